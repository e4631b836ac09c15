// The art files the skin's names are built from or drawn as (skin/skin.rc,
// skin/SkinNames.h), for the tests that check every name reaches its own
// picture.
#pragma once

#include "skin/SkinNames.h"

namespace pix::test {

struct SkinFile {
  const char* name;  // the resource name, from SkinNames.h
  const char* file;  // within skin/art/
};

inline constexpr SkinFile kSkinIcon = {skin::kMainIcon, "MAINICON.ico"};

}  // namespace pix::test
