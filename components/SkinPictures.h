// The skin's pictures by the names the program asks for them under
// (skin/SkinNames.h): at the design's scale read from the packed pictures the
// program carries, at another scale of the art (BACKGROUND_150) drawn for it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "components/Picture.h"

namespace pix {

// The bytes of the packed picture built in under a name (in the form
// art/Packing.h makes), or nothing where there is none. The bytes must stay
// valid for the call.
using PackedPictureFinder = std::function<std::optional<std::string_view>(const char* name)>;

// Throws Exception "Resource NAME not found" for a name that is no picture
// of the skin at a scale of the art, or whose packed picture is missing, and
// Exception "Resource NAME is damaged" for a packed picture that does not
// unpack to a bitmap.
std::shared_ptr<const TPicture> LoadSkinPicture(const std::string& name, const PackedPictureFinder& packed);

}  // namespace pix
