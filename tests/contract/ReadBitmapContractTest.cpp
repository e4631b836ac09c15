// Reading a bitmap, in the host build and in the program under Wine: the
// header's sizes, however large, never lead the reading outside the bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/Picture.h"

namespace pix::test {
namespace {

void Put(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// A bitmap resource (no file header) of 2 x 2 pixels, 24 or 4 bits a pixel.
std::string Bitmap(std::uint32_t bits) {
  const std::size_t palette = bits == 4 ? 16 * 4 : 0;
  const std::size_t stride = bits == 4 ? 4 : 8;  // rows padded to 4 bytes
  std::string bytes(40 + palette + 2 * stride, '\x7F');
  Put(bytes, 0, 40, 4);
  Put(bytes, 4, 2, 4);
  Put(bytes, 8, 2, 4);
  Put(bytes, 12, 1, 2);
  Put(bytes, 14, bits, 2);
  Put(bytes, 16, 0, 4);
  Put(bytes, 32, bits == 4 ? 16 : 0, 4);
  if (bits == 4) bytes.replace(40 + palette, 2 * stride, std::string(2 * stride, '\0'));
  return bytes;
}

TEST(ReadBitmapContract, SoundBitmapsAreRead) {
  for (const std::uint32_t bits : {24u, 4u}) {
    const auto picture = ReadBitmap("SOUND", Bitmap(bits));
    EXPECT_EQ(picture->width, 2);
    EXPECT_EQ(picture->height, 2);
    EXPECT_EQ(picture->pixels.size(), 12u);
  }
}

TEST(ReadBitmapContract, SizesThatReachPastTheBytesAreRefused) {
  struct Case {
    const char* what;
    std::uint32_t bits;
    std::size_t at;
    std::uint32_t value;
  };
  const std::vector<Case> cases = {
      // 0xFFFFFFF0 and two rows of 8 bytes wrap a 32-bit size round to 0.
      {"a header that wraps round", 24, 0, 0xFFFFFFF0u},
      {"a header past the end", 24, 0, 1'000},
      // 40, 0x3FFFFFF4 entries of 4 bytes and two rows of 4 bytes: 0 again.
      {"a palette that wraps round", 4, 32, 0x3FFFFFF4u},
      {"a palette past the end", 4, 32, 1'000},
      {"more rows than bytes", 24, 8, 30'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = Bitmap(c.bits);
    Put(bytes, c.at, c.value, 4);
    EXPECT_THROW(ReadBitmap("DAMAGED", bytes), std::runtime_error);
  }
}

}  // namespace
}  // namespace pix::test
