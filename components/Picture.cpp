#include "components/Picture.h"

#include <cstring>
#include <stdexcept>

namespace pix {

namespace {

std::uint32_t ReadLittle(std::string_view bytes, std::size_t offset, std::size_t size) {
  if (offset + size > bytes.size()) throw std::runtime_error("bitmap cut short");
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return value;
}

}  // namespace

std::uint32_t TPicture::PixelRgb(int x, int y) const {
  const std::size_t at =
      (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  return (static_cast<std::uint32_t>(pixels[at + 2]) << 16) |
         (static_cast<std::uint32_t>(pixels[at + 1]) << 8) | pixels[at];
}

std::shared_ptr<const TPicture> ReadBitmap(std::string name, std::string_view bytes) {
  std::size_t header = 0;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') header = 14;
  const std::uint32_t headerSize = ReadLittle(bytes, header, 4);
  if (headerSize < 40) throw std::runtime_error(name + ": not a BITMAPINFOHEADER");
  const auto width = static_cast<std::int32_t>(ReadLittle(bytes, header + 4, 4));
  const auto rawHeight = static_cast<std::int32_t>(ReadLittle(bytes, header + 8, 4));
  const std::uint32_t bits = ReadLittle(bytes, header + 14, 2);
  const std::uint32_t compression = ReadLittle(bytes, header + 16, 4);
  std::uint32_t colours = ReadLittle(bytes, header + 32, 4);
  if (width <= 0 || width > 32768 || rawHeight == 0 || rawHeight < -32768 || rawHeight > 32768)
    throw std::runtime_error(name + ": bad size");
  if (compression != 0 || (bits != 24 && bits != 4)) throw std::runtime_error(name + ": unsupported format");
  if (bits == 4 && colours == 0) colours = 16;

  const bool bottomUp = rawHeight > 0;
  const int height = bottomUp ? rawHeight : -rawHeight;
  // In 64 bits: a header or palette size near 4 GiB must not wrap a size
  // kept in 32 bits round to a place inside the bytes.
  const std::uint64_t stride64 = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  const std::uint64_t palette64 = std::uint64_t{header} + headerSize;
  const std::uint64_t data64 = palette64 + (bits == 4 ? std::uint64_t{colours} * 4 : 0);
  if (data64 + stride64 * static_cast<std::uint64_t>(height) > bytes.size())
    throw std::runtime_error(name + ": pixels cut short");
  const auto palette = static_cast<std::size_t>(palette64);
  const auto stride = static_cast<std::size_t>(stride64);
  const auto data = static_cast<std::size_t>(data64);

  auto picture = std::make_shared<TPicture>();
  picture->name = std::move(name);
  picture->width = width;
  picture->height = height;
  picture->pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y) {
    const std::size_t row = data + stride * static_cast<std::size_t>(bottomUp ? height - 1 - y : y);
    std::uint8_t* out = &picture->pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3];
    if (bits == 24) {
      std::memcpy(out, bytes.data() + row, static_cast<std::size_t>(width) * 3);
      continue;
    }
    for (int x = 0; x < width; ++x) {
      const auto packed = static_cast<unsigned char>(bytes[row + static_cast<std::size_t>(x) / 2]);
      const std::uint32_t index = (x % 2 == 0) ? packed >> 4 : packed & 0x0F;
      if (index >= colours) throw std::runtime_error(picture->name + ": colour outside the palette");
      const std::size_t entry = palette + static_cast<std::size_t>(index) * 4;
      std::uint8_t* pixel = out + static_cast<std::size_t>(x) * 3;
      pixel[0] = static_cast<std::uint8_t>(bytes[entry]);
      pixel[1] = static_cast<std::uint8_t>(bytes[entry + 1]);
      pixel[2] = static_cast<std::uint8_t>(bytes[entry + 2]);
    }
  }
  return picture;
}

}  // namespace pix
