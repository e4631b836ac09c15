// Every picture of the program's skin, its list glyphs and its icon, drawn
// from scratch, and the files they are kept in (skin/art/).
#pragma once

#include "tools/skingen/Formats.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pix::skingen {

struct OutputFile {
  std::string name;  // file name within the art folder
  Bytes bytes;
};

// The scales everything is drawn at, in percent of the design (100 at 96
// dpi). The design's files are named as they always were, the others carry
// their scale: background.bmp, background-125.bmp, ...
inline constexpr int kScales[] = {100, 125, 150, 175, 200};

// All the files, always the same bytes and in the same order.
std::vector<OutputFile> RenderAll();

// Writes RenderAll() into `folder`, creating it if needed; throws
// std::runtime_error naming the file that could not be written.
void WriteAll(const std::filesystem::path& folder);

}  // namespace pix::skingen
