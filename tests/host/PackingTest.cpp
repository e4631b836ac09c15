#include "art/Packing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace pix {
namespace {

using art::Bytes;
using art::DamagedData;

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Random(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (std::uint8_t& b : bytes)
    b = static_cast<std::uint8_t>(generator());
  return bytes;
}

// A block of random bytes that comes again `distance` bytes later.
Bytes RepeatedAt(std::size_t distance, std::size_t block) {
  Bytes bytes = Random(distance + block, 7);
  std::copy_n(bytes.begin(), block, bytes.begin() + static_cast<std::ptrdiff_t>(distance));
  return bytes;
}

struct RoundTripCase {
  std::string what;
  Bytes data;
};

std::vector<RoundTripCase> RoundTripCases() {
  std::vector<RoundTripCase> cases = {
      {"nothing", {}},
      {"one byte", {0x42}},
      {"two bytes", {0, 255}},
      {"a byte 1,000,000 times", Bytes(1'000'000, 0xAB)},
      {"random bytes", Random(70'000, 1)},
      {"a block again at the window's far end", RepeatedAt(65'536, 600)},
      {"a block again past the window", RepeatedAt(65'537, 600)},
      {"a match of the longest length and one more", RepeatedAt(1'000, 259)},
  };
  Bytes text;
  for (int i = 0; i < 5'000; ++i) {
    const std::string line = "line " + std::to_string(i * 7 % 113) + " of the picture rotator\r\n";
    text.insert(text.end(), line.begin(), line.end());
  }
  cases.push_back({"text with repeats", text});
  Bytes every;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 256; ++b)
      every.push_back(static_cast<std::uint8_t>(b));
  cases.push_back({"every byte value", every});
  return cases;
}

TEST(PackingTest, WhatIsPackedUnpacksToItself) {
  for (const RoundTripCase& c : RoundTripCases()) {
    SCOPED_TRACE(c.what);
    const Bytes packed = art::Pack(c.data);
    EXPECT_TRUE(art::Unpack(packed) == c.data);
    EXPECT_TRUE(art::Pack(c.data) == packed) << "packed differently the second time";
  }
}

TEST(PackingTest, RepeatsPackSmall) {
  // A byte a bit, for the longest matches.
  EXPECT_LT(art::Pack(Bytes(1'000'000, 0xAB)).size(), 1'000'000u / 200);
  const Bytes far = RepeatedAt(65'536, 20'000);
  EXPECT_LT(art::Pack(far).size(), far.size() - 15'000) << "the match 64 KiB back is used";
}

TEST(PackingTest, TheChecksumIsZipsCrc32) {
  const std::string check = "123456789";
  EXPECT_EQ(art::Crc32(Bytes(check.begin(), check.end())), 0xCBF43926u);
  EXPECT_EQ(art::Crc32(Bytes{}), 0u);
}

// Packed pictures as the program carries them, and a few of other data.
std::vector<Bytes> PackedSamples() {
  std::vector<Bytes> samples;
  for (const char* file : {"stop-button.pxz", "open-folder.pxz"})
    samples.push_back(ReadFile(std::filesystem::path(PIX_SKIN_ART_DIR) / file));
  samples.push_back(art::Pack(RepeatedAt(300, 100)));
  samples.push_back(art::Pack(Bytes{1, 2, 3}));
  return samples;
}

TEST(PackingTest, DataCutShortIsDamaged) {
  for (const Bytes& packed : PackedSamples()) {
    ASSERT_GT(packed.size(), 12u);
    ASSERT_NO_THROW(art::Unpack(packed));
    for (std::size_t size = 0; size < packed.size(); ++size) {
      const Bytes cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_THROW(art::Unpack(cut), DamagedData) << size << " of " << packed.size() << " bytes";
    }
  }
}

// Unpacks packed data with one bit turned: damage found, or (where the bit
// only chose another way to the same bytes, such as another distance back
// into a run) the same bytes; never other bytes, never another failure.
// Gives whether the damage was found.
bool TurnedBitIsFound(const Bytes& packed, const Bytes& data, std::size_t bit) {
  Bytes turned = packed;
  turned[bit / 8] = static_cast<std::uint8_t>(turned[bit / 8] ^ (1u << (bit % 8)));
  try {
    EXPECT_TRUE(art::Unpack(turned) == data) << "bit " << bit << " of " << packed.size() << " bytes";
    return false;
  } catch (const DamagedData&) {
    return true;
  }
}

// One bit turned anywhere, in the header, the code lengths, the codes or
// the padding at the end.
TEST(PackingTest, ATurnedBitIsFoundOrChangesNothing) {
  for (const Bytes& packed : PackedSamples()) {
    const Bytes data = art::Unpack(packed);
    std::size_t found = 0;
    const std::size_t bits = packed.size() * 8;
    for (std::size_t bit = 0; bit < bits; ++bit) {
      const bool isFound = TurnedBitIsFound(packed, data, bit);
      if (bit < std::size_t{12} * 8) {
        EXPECT_TRUE(isFound) << "header bit " << bit;
      }
      found += isFound ? 1 : 0;
    }
    EXPECT_GT(found * 100, bits * 95) << found << " of " << bits << " turned bits found";
  }
}

TEST(PackingTest, TurnedBitsAcrossTheBackgroundAreFoundOrChangeNothing) {
  const Bytes packed = ReadFile(std::filesystem::path(PIX_SKIN_ART_DIR) / "background.pxz");
  const Bytes data = art::Unpack(packed);
  ASSERT_GT(packed.size(), 1'000u);
  std::size_t found = 0, tried = 0;
  for (std::size_t bit = 0; bit < packed.size() * 8; bit += 1009, ++tried)
    found += TurnedBitIsFound(packed, data, bit) ? 1 : 0;
  EXPECT_GT(found * 100, tried * 95) << found << " of " << tried << " turned bits found";
}

TEST(PackingTest, BytesAfterTheEndAreDamage) {
  Bytes packed = art::Pack(RepeatedAt(3'000, 500));
  packed.push_back(0);
  EXPECT_THROW(art::Unpack(packed), DamagedData);
}

// Packed data written bit by bit, for the damage a turned bit rarely makes.
class Stream {
 public:
  Stream(std::uint32_t size, std::uint32_t crc) : bytes_{'P', 'X', 'Z', '1'} {
    Put(size, 32);
    Put(crc, 32);
  }
  Stream& Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | ((value >> i) & 1u) << (used_ % 8));
      ++used_;
    }
    return *this;
  }
  // Code lengths: `length` for the symbols given, 0 for the other ones of the 304.
  Stream& Lengths(const std::vector<std::pair<int, int>>& symbols) {
    int next = 0;
    auto zeros = [&](int count) {
      for (; count > 0; count -= 16)
        Put(0, 4).Put(static_cast<std::uint32_t>(std::min(count, 16) - 1), 4);
    };
    for (const auto& [symbol, length] : symbols) {
      zeros(symbol - next);
      Put(static_cast<std::uint32_t>(length), 4);
      next = symbol + 1;
    }
    zeros(304 - next);
    return *this;
  }
  const art::Bytes& Data() const { return bytes_; }

 private:
  art::Bytes bytes_;
  int used_ = 0;
};

// The literal 'A' has the code 0, the length symbol for 3 bytes the code 1;
// the one distance symbol, of distance 1, the code 0.
Stream ALiteralAndAMatch(std::uint32_t size) {
  Stream stream(size, 0);
  stream.Lengths({{'A', 1}, {256, 1}, {272, 1}});
  return stream;
}

TEST(PackingTest, CraftedDamageIsFound) {
  struct Case {
    std::string what;
    art::Bytes packed;
  };
  std::vector<Case> cases;
  cases.push_back({"a match before any byte", ALiteralAndAMatch(3).Put(1, 1).Put(0, 1).Data()});
  cases.push_back({"a match past the end", ALiteralAndAMatch(3).Put(0, 1).Put(1, 1).Put(0, 1).Data()});
  cases.push_back(
      {"the right bytes under a wrong checksum", ALiteralAndAMatch(4).Put(0, 1).Put(1, 1).Put(0, 1).Data()});
  cases.push_back(
      {"three codes of one bit", Stream(1, 0).Lengths({{'A', 1}, {'B', 1}, {'C', 1}}).Put(0, 8).Data()});
  cases.push_back(
      {"a code that stands for nothing", Stream(1, 0).Lengths({{'A', 2}}).Put(0xFFFF, 16).Data()});
  cases.push_back({"a distance without a code",
                   Stream(4, 0).Lengths({{'A', 1}, {256, 1}}).Put(0, 1).Put(1, 1).Put(0, 16).Data()});
  Stream runs(1, 0);
  runs.Put(1, 4);
  for (int i = 0; i < 19; ++i)
    runs.Put(0, 4).Put(15, 4);
  cases.push_back({"zero lengths past the last symbol", runs.Data()});
  cases.push_back(
      {"a size above the limit", Stream(art::kMaxUnpackedSize + 1, 0).Lengths({{'A', 1}}).Data()});
  cases.push_back({"more bytes than the data can hold", Stream(1'000'000, 0).Lengths({{'A', 1}}).Data()});
  art::Bytes wrongMagic = art::Pack(art::Bytes{1, 2, 3});
  wrongMagic[3] = '2';
  cases.push_back({"another format", wrongMagic});

  for (const Case& c : cases)
    EXPECT_THROW(art::Unpack(c.packed), DamagedData) << c.what;

  // The same stream with a right checksum is sound: the cases fail for their fault.
  const art::Bytes aaaa = {'A', 'A', 'A', 'A'};
  Stream sound(4, art::Crc32(aaaa));
  sound.Lengths({{'A', 1}, {256, 1}, {272, 1}}).Put(0, 1).Put(1, 1).Put(0, 1);
  EXPECT_TRUE(art::Unpack(sound.Data()) == aaaa);
}

}  // namespace
}  // namespace pix
