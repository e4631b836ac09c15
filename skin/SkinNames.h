// The names under which the skin's pictures, the list glyphs and the icon are
// built into the program (skin.rc), for loading them by name.
#pragma once

#include <array>

namespace pix::skin {

// One picture for each image component of the main window.
inline constexpr const char* kBackground = "BACKGROUND";     // the narrow window's skin
inline constexpr const char* kAboutButton = "ABOUT_BUTTON";  // opens and closes the author panel
inline constexpr const char* kHelpButton = "HELP_BUTTON";
inline constexpr const char* kMinimizeButton = "MINIMIZE_BUTTON";
inline constexpr const char* kExitButton = "EXIT_BUTTON";
inline constexpr const char* kStopButton = "STOP_BUTTON";  // stops the countdown
inline constexpr const char* kAboutPanel = "ABOUT_PANEL";  // the author panel
// Each switch's face as the window is created, and its off and on faces.
inline constexpr const char* kRandomSwitch = "RANDOM_SWITCH";
inline constexpr const char* kSequenceSwitch = "SEQUENCE_SWITCH";
inline constexpr const char* kSequenceOff = "SEQUENCE_OFF";
inline constexpr const char* kSequenceOn = "SEQUENCE_ON";
inline constexpr const char* kRandomOff = "RANDOM_OFF";
inline constexpr const char* kRandomOn = "RANDOM_ON";

// The folder list's glyphs: 16 colours, the bottom-left pixel's colour is
// the transparent one.
inline constexpr const char* kOpenFolder = "OPENFOLDER";
inline constexpr const char* kCurrentFolder = "CURRENTFOLDER";
inline constexpr const char* kClosedFolder = "CLOSEDFOLDER";

// The program's icon (an ICON resource; all the others are BITMAP resources).
inline constexpr const char* kMainIcon = "MAINICON";

inline constexpr std::array kComponentPictures = {
    kBackground,   kAboutButton,    kHelpButton,  kMinimizeButton, kExitButton, kStopButton, kAboutPanel,
    kRandomSwitch, kSequenceSwitch, kSequenceOff, kSequenceOn,     kRandomOff,  kRandomOn};
inline constexpr std::array kGlyphs = {kOpenFolder, kCurrentFolder, kClosedFolder};

}  // namespace pix::skin
