// The art folder the generator fills: skin/art/.
#pragma once

#include <filesystem>

namespace pix::skingen {

// Writes art::RenderAll() into `folder`, creating it if needed; throws
// std::runtime_error naming the file that could not be written.
void WriteAll(const std::filesystem::path& folder);

}  // namespace pix::skingen
