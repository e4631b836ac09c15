// A picture as the program's components hold it: 24-bit pixels, read from
// the device-independent bitmaps of the skin (unpacked from the program's
// resources or drawn for the display's scale: components/SkinPictures.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pix {

struct TPicture {
  std::string name;
  int width = 0;
  int height = 0;
  // Rows from the top down, 3 bytes a pixel in the order blue, green, red.
  std::vector<std::uint8_t> pixels;

  // 0x00RRGGBB of a pixel.
  std::uint32_t PixelRgb(int x, int y) const;
};

// Reads a bitmap as it is stored: a BITMAPINFOHEADER followed by its
// palette and pixels (the form of a bitmap resource), or the same behind a
// BITMAPFILEHEADER (a .bmp file). 24-bit and 4-bit pictures, uncompressed.
// Throws std::runtime_error for anything else, sizes that reach past the
// bytes among it.
std::shared_ptr<const TPicture> ReadBitmap(std::string name, std::string_view bytes);

// Where the components' pictures come from, by resource name.
class PictureSource {
 public:
  virtual ~PictureSource() = default;
  virtual std::shared_ptr<const TPicture> Load(const std::string& name) = 0;
};

}  // namespace pix
