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

// All the files, always the same bytes and in the same order.
std::vector<OutputFile> RenderAll();

// Writes RenderAll() into `folder`, creating it if needed; throws
// std::runtime_error naming the file that could not be written.
void WriteAll(const std::filesystem::path& folder);

}  // namespace pix::skingen
