// Every picture of the program's skin, its list glyphs and its icon, drawn
// from scratch, and the files they are kept in (skin/art/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "art/Bytes.h"

namespace pix::art {

// The scales everything is drawn at, in percent of the design (100 at 96
// dpi). The design's files are named as they always were, the others carry
// their scale: background.bmp, background-125.bmp, ...
inline constexpr int kScales[] = {100, 125, 150, 175, 200};

// The stems of the pictures' files, the skin's and the list glyphs', in the
// order they are written: "background" for background.bmp.
std::vector<std::string_view> PictureStems();

// A picture's file at a scale: background.bmp at 100, background-150.bmp at 150.
std::string PictureFileName(std::string_view stem, int percent);
// The file of the picture at 100 % packed (art/Packing.h): background.pxz.
std::string PackedFileName(std::string_view stem);

// A picture drawn at a scale of kScales, the bytes of its file. Throws
// std::invalid_argument for a stem or a scale it does not know.
Bytes DrawPicture(std::string_view stem, int percent);

struct OutputFile {
  std::string name;  // file name within the art folder
  Bytes bytes;
};

// All the files, always the same bytes and in the same order: at each scale
// the pictures and the icon, and the pictures at 100 % packed.
std::vector<OutputFile> RenderAll();

}  // namespace pix::art
