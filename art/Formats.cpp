#include "art/Formats.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <stdexcept>

namespace pix::art {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dpi

// Where pixel (x, y) lies in a picture `width` pixels wide, row by row.
std::size_t PixelIndex(int width, int x, int y) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
}

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::uint32_t Stride(int width, int bitsPerPixel) {
  return ((static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) + 31) / 32) * 4;
}

void PutInfoHeader(Bytes& out, int width, int height, int bitsPerPixel, std::uint32_t imageSize,
                   std::uint32_t coloursUsed, std::int32_t pixelsPerMetre) {
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, static_cast<std::uint32_t>(pixelsPerMetre));
  Put32(out, static_cast<std::uint32_t>(pixelsPerMetre));
  Put32(out, coloursUsed);
  Put32(out, 0);  // all colours important
}

void PutPalette(Bytes& out, const std::vector<Rgb>& palette, std::size_t entries) {
  for (std::size_t i = 0; i < entries; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{};
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
}

void PutFileHeader(Bytes& out, std::uint32_t fileSize, std::uint32_t pixelOffset) {
  out.push_back('B');
  out.push_back('M');
  Put32(out, fileSize);
  Put32(out, 0);
  Put32(out, pixelOffset);
}

struct Entry {
  Rgb colour;
  std::uint32_t count;
};

int Component(Rgb c, int channel) {
  return channel == 0 ? c.r : channel == 1 ? c.g : c.b;
}

Rgb Average(const std::vector<Entry>& box) {
  double r = 0, g = 0, b = 0, n = 0;
  for (const Entry& e : box) {
    r += e.colour.r * static_cast<double>(e.count);
    g += e.colour.g * static_cast<double>(e.count);
    b += e.colour.b * static_cast<double>(e.count);
    n += e.count;
  }
  return n > 0 ? Rgb{static_cast<std::uint8_t>(std::lround(r / n)),
                     static_cast<std::uint8_t>(std::lround(g / n)),
                     static_cast<std::uint8_t>(std::lround(b / n))}
               : Rgb{};
}

// The channel with the widest spread in the box, and that spread.
std::pair<int, int> WidestChannel(const std::vector<Entry>& box) {
  int best = 0, spread = -1;
  for (int channel = 0; channel < 3; ++channel) {
    int lo = 255, hi = 0;
    for (const Entry& e : box) {
      lo = std::min(lo, Component(e.colour, channel));
      hi = std::max(hi, Component(e.colour, channel));
    }
    if (hi - lo > spread) {
      spread = hi - lo;
      best = channel;
    }
  }
  return {best, spread};
}

}  // namespace

Bytes EncodeBmp24(const Image& image) {
  const std::uint32_t stride = Stride(image.PixelWidth(), 24);
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(image.PixelHeight());
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
  Bytes out;
  out.reserve(offset + imageSize);
  PutFileHeader(out, offset + imageSize, offset);
  PutInfoHeader(out, image.PixelWidth(), image.PixelHeight(), 24, imageSize, 0, kPixelsPerMetre);
  for (int y = image.PixelHeight() - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < image.PixelWidth(); ++x) {
      const Rgb c = image.Pixel(x, y);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

Bytes EncodeBmp4(const IndexedImage& image) {
  if (image.palette.size() > 16) throw std::invalid_argument("a 4-bit picture has at most 16 colours");
  const std::uint32_t stride = Stride(image.width, 4);
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(image.height);
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 16 * 4;
  Bytes out;
  out.reserve(offset + imageSize);
  PutFileHeader(out, offset + imageSize, offset);
  PutInfoHeader(out, image.width, image.height, 4, imageSize, 16, kPixelsPerMetre);
  PutPalette(out, image.palette, 16);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < image.width; x += 2) {
      const std::size_t at = PixelIndex(image.width, x, y);
      const std::uint8_t left = image.indices[at] & 0x0F;
      const std::uint8_t right = x + 1 < image.width ? image.indices[at + 1] & 0x0F : 0;
      out.push_back(static_cast<std::uint8_t>(left << 4 | right));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

IndexedImage Quantize(const Image& image, int colours, const std::vector<bool>& skip) {
  const auto pixelCount =
      static_cast<std::size_t>(image.PixelWidth()) * static_cast<std::size_t>(image.PixelHeight());
  auto key = [](Rgb c) { return static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b); };
  std::map<std::uint32_t, Entry> counts;  // ordered, so the result never depends on hashing
  for (std::size_t i = 0; i < pixelCount; ++i) {
    if (skip[i]) continue;
    const Rgb c =
        image.Pixel(static_cast<int>(i) % image.PixelWidth(), static_cast<int>(i) / image.PixelWidth());
    auto [it, added] = counts.try_emplace(key(c), Entry{c, 0});
    ++it->second.count;
  }

  std::vector<std::vector<Entry>> boxes(1);
  for (const auto& [k, e] : counts)
    boxes[0].push_back(e);
  // Split the box with the widest spread at its weighted median until there are enough.
  while (static_cast<int>(boxes.size()) < colours) {
    std::size_t pick = boxes.size();
    int pickSpread = 0, pickChannel = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) continue;
      const auto [channel, spread] = WidestChannel(boxes[i]);
      if (spread > pickSpread) {
        pick = i;
        pickSpread = spread;
        pickChannel = channel;
      }
    }
    if (pick == boxes.size()) break;  // every colour has a box of its own
    std::vector<Entry>& box = boxes[pick];
    std::stable_sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
      return Component(a.colour, pickChannel) < Component(b.colour, pickChannel);
    });
    std::uint64_t total = 0, running = 0;
    for (const Entry& e : box)
      total += e.count;
    std::size_t cut = 1;
    for (std::size_t i = 0; i + 1 < box.size(); ++i) {
      running += box[i].count;
      cut = i + 1;
      if (running * 2 >= total) break;
    }
    std::vector<Entry> upper(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }

  IndexedImage out;
  out.width = image.PixelWidth();
  out.height = image.PixelHeight();
  for (const auto& box : boxes) {
    if (!box.empty()) out.palette.push_back(Average(box));
  }
  out.indices.resize(pixelCount, 0);
  for (std::size_t i = 0; i < pixelCount; ++i) {
    if (skip[i]) continue;
    const Rgb c =
        image.Pixel(static_cast<int>(i) % image.PixelWidth(), static_cast<int>(i) / image.PixelWidth());
    int best = 0, bestDistance = 1 << 30;
    for (std::size_t p = 0; p < out.palette.size(); ++p) {
      const int dr = c.r - out.palette[p].r, dg = c.g - out.palette[p].g, db = c.b - out.palette[p].b;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<int>(p);
      }
    }
    out.indices[i] = static_cast<std::uint8_t>(best);
  }
  return out;
}

Bytes EncodeIco8(const IndexedImage& image, const std::vector<bool>& transparent) {
  if (image.palette.size() > 256) throw std::invalid_argument("an 8-bit icon has at most 256 colours");
  const std::uint32_t xorStride = Stride(image.width, 8);
  const std::uint32_t andStride = Stride(image.width, 1);
  const std::uint32_t imageSize = (xorStride + andStride) * static_cast<std::uint32_t>(image.height);
  const std::uint32_t resourceSize = kInfoHeaderSize + 256 * 4 + imageSize;
  Bytes out;
  // The directory: one image.
  Put16(out, 0);
  Put16(out, 1);  // an icon
  Put16(out, 1);
  out.push_back(static_cast<std::uint8_t>(image.width));
  out.push_back(static_cast<std::uint8_t>(image.height));
  out.push_back(0);  // 256 colours are written as 0
  out.push_back(0);
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  Put32(out, resourceSize);
  Put32(out, 6 + 16);
  // The image: its header counts the colour rows and the mask rows together.
  PutInfoHeader(out, image.width, image.height * 2, 8, imageSize, 0, 0);
  PutPalette(out, image.palette, 256);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at = PixelIndex(image.width, x, y);
      out.push_back(transparent[at] ? 0 : image.indices[at]);
    }
    out.resize(rowStart + xorStride, 0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    out.resize(rowStart + andStride, 0);
    for (int x = 0; x < image.width; ++x) {
      if (transparent[PixelIndex(image.width, x, y)]) {
        out[rowStart + static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return out;
}

}  // namespace pix::art
