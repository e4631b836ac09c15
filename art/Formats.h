// The file formats the program's resources come in: BMP with 24 bits per
// pixel (the skin), BMP with a 16-colour palette (the list glyphs) and an
// ICO with one 256-colour image and its mask (the program's icon).
#pragma once

#include "art/Bytes.h"
#include "art/Canvas.h"

#include <cstdint>
#include <vector>

namespace pix::art {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;  // row by row, top row first
  std::vector<Rgb> palette;
};

// Uncompressed, bottom-up, rows padded to 4 bytes, no palette.
Bytes EncodeBmp24(const Image& image);
// Uncompressed, bottom-up, two pixels a byte, the high nibble on the left.
Bytes EncodeBmp4(const IndexedImage& image);

// Reduces the picture to at most `colours` entries by median cut; pixels
// marked in `skip` take no part and get index 0. Deterministic.
IndexedImage Quantize(const Image& image, int colours, const std::vector<bool>& skip);

// One image of 8 bits per pixel; pixels marked in `transparent` are masked out
// (AND bit set, colour index 0, which must be black).
Bytes EncodeIco8(const IndexedImage& image, const std::vector<bool>& transparent);

}  // namespace pix::art
