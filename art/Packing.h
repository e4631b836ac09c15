// The lossless coder the design's pictures are built into the program with:
// LZ77 matches over a 64 KiB window, literals, lengths and distances coded
// with canonical Huffman codes, and a CRC-32 of the whole.
//
// A packed file:
//   4 bytes  "PXZ1"
//   4 bytes  the unpacked size, little-endian
//   4 bytes  the CRC-32 of the unpacked bytes, little-endian
//   bits     (least significant bit of each byte first) the code lengths of
//            the 272 literal and length symbols and of the 32 distance
//            symbols, 4 bits each, a 0 followed by 4 bits n standing for
//            n + 1 lengths of 0; then the symbols, each code's bits from its
//            top bit down, each length or distance symbol followed by its
//            extra bits; then zero bits up to the byte's end.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

#include "art/Bytes.h"

namespace pix::art {

// Packed data that Pack did not make as it stands: cut short, altered, or
// with something after its end.
class DamagedData : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest unpacked size Unpack accepts.
inline constexpr std::uint32_t kMaxUnpackedSize = 64u << 20;

// Always the same bytes for the same data. Throws std::length_error for
// data above kMaxUnpackedSize.
Bytes Pack(std::span<const std::uint8_t> data);

// The data Pack was given. Throws DamagedData for anything else; it reads
// and writes nothing outside the input and its own result.
Bytes Unpack(std::span<const std::uint8_t> packed);

// The CRC-32 (the polynomial of zip and PNG) of the bytes.
std::uint32_t Crc32(std::span<const std::uint8_t> data);

}  // namespace pix::art
