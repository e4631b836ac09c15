#include "art/Packing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <queue>
#include <utility>

namespace pix::art {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'P', 'X', 'Z', '1'};
constexpr std::size_t kHeaderSize = 12;

constexpr int kLiterals = 256;
constexpr int kLengthCodes = 16;
constexpr int kLiteralSymbols = kLiterals + kLengthCodes;
constexpr int kDistanceSymbols = 32;
constexpr int kMaxCodeLength = 15;
// Code lengths run from 0 (no code) to kMaxCodeLength.
constexpr std::size_t kCodeLengths = kMaxCodeLength + 1;

constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = kMinMatch + 255;
constexpr std::size_t kWindow = std::size_t{1} << 16;
// How many earlier places with the same hash a match is looked for at.
constexpr int kMaxChain = 256;
constexpr int kHashBits = 16;

// A value of a match's length (less kMinMatch) or distance (less 1) as a
// code and extra bits: 0 to 3 stand for themselves; above, the code gives
// the value's top bit and the bit below it, the extra bits the rest.
struct Bucketed {
  int code;
  int extraBits;
  std::uint32_t extra;
};

Bucketed Bucket(std::uint32_t value) {
  if (value < 4) return {static_cast<int>(value), 0, 0};
  const int top = static_cast<int>(std::bit_width(value)) - 1;
  return {2 * top + static_cast<int>((value >> (top - 1)) & 1u), top - 1, value & ((1u << (top - 1)) - 1)};
}

std::uint32_t BucketBase(int code) {
  if (code < 4) return static_cast<std::uint32_t>(code);
  return (2u | static_cast<std::uint32_t>(code & 1)) << (code / 2 - 1);
}

int BucketExtraBits(int code) {
  return code < 4 ? 0 : code / 2 - 1;
}

// The literal and length symbol of a length's code.
std::size_t LengthSymbol(int code) {
  return static_cast<std::size_t>(kLiterals) + static_cast<std::size_t>(code);
}

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k)
      c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

void Put32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}

class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}

  // The value's low `count` bits, the lowest first.
  void Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
      PutBit((value >> i) & 1u);
  }
  // A code's bits from its top bit down, as the decoder builds it.
  void PutCode(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i)
      PutBit((code >> i) & 1u);
  }

 private:
  void PutBit(std::uint32_t bit) {
    if (used_ == 0) out_.push_back(0);
    out_.back() = static_cast<std::uint8_t>(out_.back() | bit << used_);
    used_ = (used_ + 1) % 8;
  }

  Bytes& out_;
  int used_ = 0;
};

class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint32_t Bit() {
    if (at_ >= bytes_.size()) throw DamagedData("packed data cut short");
    const std::uint32_t bit = (bytes_[at_] >> used_) & 1u;
    if (++used_ == 8) {
      used_ = 0;
      ++at_;
    }
    return bit;
  }

  std::uint32_t Bits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
      value |= Bit() << i;
    return value;
  }

  // Whether all has been read but zero bits up to the current byte's end.
  bool AtCleanEnd() const {
    if (used_ == 0) return at_ == bytes_.size();
    return at_ + 1 == bytes_.size() && (bytes_[at_] >> used_) == 0;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  int used_ = 0;
};

// The lengths of a Huffman code for the symbols' frequencies, none longer
// than kMaxCodeLength; 0 for a symbol that never occurs.
std::vector<std::uint8_t> CodeLengths(std::vector<std::uint64_t> frequencies) {
  const std::size_t symbols = frequencies.size();
  std::vector<std::uint8_t> lengths(symbols, 0);
  for (;;) {
    // Nodes 0 to symbols - 1 are the leaves; ties go to the lower node, so
    // that the code never depends on the queue's inner order.
    using Node = std::pair<std::uint64_t, std::size_t>;
    std::priority_queue<Node, std::vector<Node>, std::greater<>> queue;
    for (std::size_t s = 0; s < symbols; ++s)
      if (frequencies[s] > 0) queue.emplace(frequencies[s], s);
    if (queue.empty()) return lengths;
    if (queue.size() == 1) {
      lengths[queue.top().second] = 1;
      return lengths;
    }
    std::vector<std::size_t> parent(2 * symbols, 2 * symbols);
    std::size_t next = symbols;
    while (queue.size() > 1) {
      const Node a = queue.top();
      queue.pop();
      const Node b = queue.top();
      queue.pop();
      parent[a.second] = parent[b.second] = next;
      queue.emplace(a.first + b.first, next++);
    }
    bool fits = true;
    for (std::size_t s = 0; s < symbols; ++s) {
      if (frequencies[s] == 0) continue;
      int depth = 0;
      for (std::size_t node = s; parent[node] != 2 * symbols; node = parent[node])
        ++depth;
      lengths[s] = static_cast<std::uint8_t>(std::min(depth, kMaxCodeLength + 1));
      fits = fits && depth <= kMaxCodeLength;
    }
    if (fits) return lengths;
    // Too deep: flatten the frequencies and build again.
    for (std::uint64_t& f : frequencies)
      if (f > 0) f = (f + 1) / 2;
  }
}

// The canonical codes of the lengths: shorter codes first, and within one
// length in the order of the symbols.
std::vector<std::uint32_t> CanonicalCodes(std::span<const std::uint8_t> lengths) {
  std::array<std::uint32_t, kCodeLengths> count{};
  std::array<std::uint32_t, kCodeLengths> next{};
  for (const std::uint8_t length : lengths)
    if (length > 0) ++count[length];
  std::uint32_t code = 0;
  for (std::size_t length = 1; length < kCodeLengths; ++length) {
    code = (code + count[length - 1]) << 1;
    next[length] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size(), 0);
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] > 0) codes[s] = next[lengths[s]]++;
  return codes;
}

// Reads the symbols of a canonical code bit by bit: at each length the
// codes of that length are one run of numbers.
class CodeReader {
 public:
  explicit CodeReader(std::span<const std::uint8_t> lengths) {
    for (const std::uint8_t length : lengths)
      ++count_[length];
    count_[0] = 0;
    int left = 1;
    for (std::size_t length = 1; length < kCodeLengths; ++length) {
      left = 2 * left - count_[length];
      if (left < 0) throw DamagedData("code lengths over-subscribed");
    }
    // Where each length's symbols start, and past the last: the count.
    std::array<int, kCodeLengths + 1> offset{};
    for (std::size_t length = 1; length < kCodeLengths; ++length)
      offset[length + 1] = offset[length] + count_[length];
    symbols_.resize(static_cast<std::size_t>(offset[kCodeLengths]));
    for (std::size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] > 0) symbols_[static_cast<std::size_t>(offset[lengths[s]]++)] = static_cast<int>(s);
  }

  int Read(BitReader& in) const {
    int code = 0, first = 0, index = 0;
    for (std::size_t length = 1; length < kCodeLengths; ++length) {
      code |= static_cast<int>(in.Bit());
      const int count = count_[length];
      if (code - first < count) return symbols_[static_cast<std::size_t>(index + code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    throw DamagedData("a code that stands for no symbol");
  }

 private:
  std::array<int, kCodeLengths> count_{};
  std::vector<int> symbols_;  // by length, then by symbol
};

void PutLengths(BitWriter& out, std::span<const std::uint8_t> lengths) {
  for (std::size_t i = 0; i < lengths.size();) {
    if (lengths[i] != 0) {
      out.Put(lengths[i], 4);
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (run < 16 && i + run < lengths.size() && lengths[i + run] == 0)
      ++run;
    out.Put(0, 4);
    out.Put(static_cast<std::uint32_t>(run - 1), 4);
    i += run;
  }
}

std::vector<std::uint8_t> ReadLengths(BitReader& in, std::size_t count) {
  std::vector<std::uint8_t> lengths;
  lengths.reserve(count);
  while (lengths.size() < count) {
    const std::uint32_t length = in.Bits(4);
    if (length != 0) {
      lengths.push_back(static_cast<std::uint8_t>(length));
      continue;
    }
    const std::size_t run = in.Bits(4) + 1;
    if (lengths.size() + run > count) throw DamagedData("code lengths run past their end");
    lengths.insert(lengths.end(), run, 0);
  }
  return lengths;
}

// A literal (length 0) or a match of `length` bytes `distance` back.
struct Token {
  std::uint32_t length;
  std::uint32_t value;  // the literal, or the distance
};

class MatchFinder {
 public:
  explicit MatchFinder(std::span<const std::uint8_t> data)
      : data_(data), head_(std::size_t{1} << kHashBits, kNone), previous_(data.size(), kNone) {}

  // The longest match of the bytes at `at` with bytes before it, the nearest
  // of equal length; {0, 0} when none is kMinMatch long.
  std::pair<std::size_t, std::size_t> Longest(std::size_t at) const {
    if (at + kMinMatch > data_.size()) return {0, 0};
    const std::size_t limit = std::min(kMaxMatch, data_.size() - at);
    std::size_t best = 0, distance = 0;
    int chain = kMaxChain;
    for (std::size_t candidate = head_[Hash(at)];
         candidate != kNone && at - candidate <= kWindow && chain-- > 0; candidate = previous_[candidate]) {
      if (data_[candidate + best] != data_[at + best]) continue;
      std::size_t length = 0;
      while (length < limit && data_[candidate + length] == data_[at + length])
        ++length;
      if (length > best) {
        best = length;
        distance = at - candidate;
        if (best == limit) break;
      }
    }
    return best >= kMinMatch ? std::pair{best, distance} : std::pair<std::size_t, std::size_t>{0, 0};
  }

  void Insert(std::size_t at) {
    if (at + kMinMatch > data_.size()) return;
    std::size_t& head = head_[Hash(at)];
    previous_[at] = head;
    head = at;
  }

 private:
  static constexpr std::size_t kNone = ~std::size_t{0};

  std::size_t Hash(std::size_t at) const {
    const std::uint32_t key = static_cast<std::uint32_t>(data_[at]) << 16 |
                              static_cast<std::uint32_t>(data_[at + 1]) << 8 | data_[at + 2];
    return (key * 2654435761u) >> (32 - kHashBits);
  }

  std::span<const std::uint8_t> data_;
  std::vector<std::size_t> head_;
  std::vector<std::size_t> previous_;
};

// Greedy matches, each put off by one byte where the next byte starts a
// longer one.
std::vector<Token> Tokens(std::span<const std::uint8_t> data) {
  std::vector<Token> tokens;
  MatchFinder finder(data);
  for (std::size_t at = 0; at < data.size();) {
    const auto [length, distance] = finder.Longest(at);
    finder.Insert(at);
    if (length == 0 || (at + 1 < data.size() && finder.Longest(at + 1).first > length)) {
      tokens.push_back({0, data[at]});
      ++at;
      continue;
    }
    tokens.push_back({static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(distance)});
    for (std::size_t i = 1; i < length; ++i)
      finder.Insert(at + i);
    at += length;
  }
  return tokens;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t byte : data)
    crc = kCrcTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

Bytes Pack(std::span<const std::uint8_t> data) {
  if (data.size() > kMaxUnpackedSize) throw std::length_error("too much data to pack");
  const std::vector<Token> tokens = Tokens(data);

  std::vector<std::uint64_t> literalFrequencies(kLiteralSymbols, 0), distanceFrequencies(kDistanceSymbols, 0);
  for (const Token& token : tokens) {
    if (token.length == 0) {
      ++literalFrequencies[token.value];
      continue;
    }
    ++literalFrequencies[LengthSymbol(Bucket(token.length - kMinMatch).code)];
    ++distanceFrequencies[static_cast<std::size_t>(Bucket(token.value - 1).code)];
  }
  std::vector<std::uint8_t> lengths = CodeLengths(std::move(literalFrequencies));
  const std::vector<std::uint8_t> distanceLengths = CodeLengths(std::move(distanceFrequencies));
  lengths.insert(lengths.end(), distanceLengths.begin(), distanceLengths.end());
  const std::span<const std::uint8_t> all(lengths);
  const std::vector<std::uint32_t> literalCodes = CanonicalCodes(all.first(kLiteralSymbols));
  const std::vector<std::uint32_t> distanceCodes = CanonicalCodes(all.subspan(kLiteralSymbols));

  Bytes out(kMagic.begin(), kMagic.end());
  Put32(out, static_cast<std::uint32_t>(data.size()));
  Put32(out, Crc32(data));
  BitWriter bits(out);
  PutLengths(bits, all);
  auto put = [&](std::size_t symbol) { bits.PutCode(literalCodes[symbol], lengths[symbol]); };
  for (const Token& token : tokens) {
    if (token.length == 0) {
      put(token.value);
      continue;
    }
    const Bucketed length = Bucket(token.length - kMinMatch);
    put(LengthSymbol(length.code));
    bits.Put(length.extra, length.extraBits);
    const Bucketed distance = Bucket(token.value - 1);
    const auto code = static_cast<std::size_t>(distance.code);
    bits.PutCode(distanceCodes[code], distanceLengths[code]);
    bits.Put(distance.extra, distance.extraBits);
  }
  return out;
}

Bytes Unpack(std::span<const std::uint8_t> packed) {
  if (packed.size() < kHeaderSize || !std::equal(kMagic.begin(), kMagic.end(), packed.begin()))
    throw DamagedData("not packed data");
  const std::uint32_t size = Read32(packed, 4);
  const std::uint32_t crc = Read32(packed, 8);
  // Every symbol takes a bit at least and gives kMaxMatch bytes at most.
  const std::span<const std::uint8_t> stream = packed.subspan(kHeaderSize);
  if (size > kMaxUnpackedSize || size / (8 * kMaxMatch) > stream.size())
    throw DamagedData("unpacked size out of range");

  BitReader in(stream);
  const std::vector<std::uint8_t> lengths = ReadLengths(in, kLiteralSymbols + kDistanceSymbols);
  const std::span<const std::uint8_t> all(lengths);
  const CodeReader literals(all.first(kLiteralSymbols));
  const CodeReader distances(all.subspan(kLiteralSymbols));

  Bytes out(size);
  std::size_t at = 0;
  while (at < out.size()) {
    const int symbol = literals.Read(in);
    if (symbol < kLiterals) {
      out[at++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    const int lengthCode = symbol - kLiterals;
    const std::size_t length = kMinMatch + BucketBase(lengthCode) + in.Bits(BucketExtraBits(lengthCode));
    const int distanceCode = distances.Read(in);
    const std::size_t distance = 1 + BucketBase(distanceCode) + in.Bits(BucketExtraBits(distanceCode));
    if (distance > at) throw DamagedData("a match reaches before the start");
    if (length > out.size() - at) throw DamagedData("a match runs past the end");
    for (std::size_t i = 0; i < length; ++i, ++at)
      out[at] = out[at - distance];
  }
  if (!in.AtCleanEnd()) throw DamagedData("data after the end");
  if (Crc32(out) != crc) throw DamagedData("checksum mismatch");
  return out;
}

}  // namespace pix::art
