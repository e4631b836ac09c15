#include "tools/skingen/ArtFolder.h"

#include <fstream>
#include <stdexcept>

#include "art/Artwork.h"

namespace pix::skingen {

void WriteAll(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  for (const art::OutputFile& file : art::RenderAll()) {
    const std::filesystem::path path = folder / file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes.data()),
              static_cast<std::streamsize>(file.bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }
}

}  // namespace pix::skingen
