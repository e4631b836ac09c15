#include "components/SkinPictures.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <stdexcept>

#include "art/Artwork.h"
#include "art/Packing.h"
#include "settings/Errors.h"
#include "skin/SkinNames.h"

namespace pix {

namespace {

// Resource names, as the platform's, ignore letter case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
  });
}

// A picture of the skin and the scale a name asks for it at.
struct Wanted {
  const skin::PictureArt* art;
  int percent;
};

std::optional<Wanted> PictureNamed(const std::string& name) {
  for (const skin::PictureArt& art : skin::kPictureArt) {
    for (const int percent : art::kScales) {
      if (SameName(name, skin::ScaledName(art.name, percent))) return Wanted{&art, percent};
    }
  }
  return std::nullopt;
}

std::string_view Chars(const art::Bytes& bytes) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): bytes read as the characters they are
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

std::shared_ptr<const TPicture> LoadSkinPicture(const std::string& name, const PackedPictureFinder& packed) {
  const std::optional<Wanted> wanted = PictureNamed(name);
  if (!wanted) throw Exception("Resource " + name + " not found");
  if (wanted->percent != 100)
    return ReadBitmap(name, Chars(art::DrawPicture(wanted->art->stem, wanted->percent)));

  const std::optional<std::string_view> bytes = packed(wanted->art->name);
  if (!bytes) throw Exception("Resource " + name + " not found");
  try {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the characters read as the bytes they are
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes->data());
    return ReadBitmap(name, Chars(art::Unpack({first, bytes->size()})));
  } catch (const std::runtime_error&) {
    // art::DamagedData, or the bitmap's own faults.
    throw Exception("Resource " + name + " is damaged");
  }
}

}  // namespace pix
