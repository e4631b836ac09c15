// The art file each of the skin's names is built from (skin/skin.rc), for the
// tests that check every name reaches its own picture.
#pragma once

#include <array>

#include "skin/SkinNames.h"

namespace pix::test {

struct SkinFile {
  const char* name;  // the resource name, from SkinNames.h
  const char* file;  // within skin/art/
};

inline constexpr std::array<SkinFile, 16> kSkinBitmaps = {{
    {skin::kBackground, "background.bmp"},
    {skin::kAboutButton, "about-button.bmp"},
    {skin::kHelpButton, "help-button.bmp"},
    {skin::kMinimizeButton, "minimize-button.bmp"},
    {skin::kExitButton, "exit-button.bmp"},
    {skin::kStopButton, "stop-button.bmp"},
    {skin::kAboutPanel, "about-panel.bmp"},
    {skin::kRandomSwitch, "random-switch.bmp"},
    {skin::kSequenceSwitch, "sequence-switch.bmp"},
    {skin::kSequenceOff, "sequence-off.bmp"},
    {skin::kSequenceOn, "sequence-on.bmp"},
    {skin::kRandomOff, "random-off.bmp"},
    {skin::kRandomOn, "random-on.bmp"},
    {skin::kOpenFolder, "open-folder.bmp"},
    {skin::kCurrentFolder, "current-folder.bmp"},
    {skin::kClosedFolder, "closed-folder.bmp"},
}};

inline constexpr SkinFile kSkinIcon = {skin::kMainIcon, "MAINICON.ico"};

}  // namespace pix::test
