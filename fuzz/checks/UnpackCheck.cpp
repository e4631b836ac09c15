// The coder of the packed pictures: any input packed and unpacked comes back
// as it was, and any input read as packed data is either found damaged or
// gives the bytes its header promises, their size and their CRC-32.
#include <cstdint>
#include <span>
#include <string>

#include "art/Packing.h"
#include "fuzz/checks/FuzzChecks.h"

namespace pix::fuzz {

namespace {

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}

}  // namespace

Finding CheckUnpack(std::string_view input) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the input's characters as its bytes
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(input.data()),
                                            input.size());
  const art::Bytes packed = art::Pack(bytes);
  try {
    if (art::Unpack(packed) != art::Bytes(bytes.begin(), bytes.end()))
      return "packed and unpacked, it changed";
  } catch (const art::DamagedData& e) {
    return std::string("its packed form is found damaged: ") + e.what();
  }

  art::Bytes unpacked;
  try {
    unpacked = art::Unpack(bytes);
  } catch (const art::DamagedData&) {
    return std::nullopt;
  }
  // Only what has the header of packed data unpacks at all.
  if (bytes.size() < 12) return "unpacked from less than a header";
  if (unpacked.size() != Read32(bytes, 4)) return "unpacked to another size than its header gives";
  if (art::Crc32(unpacked) != Read32(bytes, 8))
    return "unpacked to bytes of another checksum than its header gives";
  return std::nullopt;
}

}  // namespace pix::fuzz
