// The names under which the skin's pictures, the list glyphs and the icon are
// built into the program (skin.rc), for loading them by name, and the art
// each picture is drawn as.
#pragma once

#include <array>
#include <string>

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

// The program's icon, an ICON resource, also drawn at the other scales of
// the art (MAINICON_150).
inline constexpr const char* kMainIcon = "MAINICON";

// The resource type the pictures are built in as: each picture's BMP file at
// the design's scale, packed by the art library (art/Packing.h). At the other
// scales the program draws them itself.
inline constexpr const char* kPackedPictureType = "PACKED_BITMAP";

inline constexpr std::array kComponentPictures = {
    kBackground,   kAboutButton,    kHelpButton,  kMinimizeButton, kExitButton, kStopButton, kAboutPanel,
    kRandomSwitch, kSequenceSwitch, kSequenceOff, kSequenceOn,     kRandomOff,  kRandomOn};
inline constexpr std::array kGlyphs = {kOpenFolder, kCurrentFolder, kClosedFolder};

// Each picture's name and the stem of its art: the files skin/art/<stem>.bmp
// (the design's), <stem>-150.bmp (at 150 %) ... and <stem>.pxz (packed).
struct PictureArt {
  const char* name;
  const char* stem;
};

inline constexpr std::array<PictureArt, 16> kPictureArt = {{
    {kBackground, "background"},
    {kAboutButton, "about-button"},
    {kHelpButton, "help-button"},
    {kMinimizeButton, "minimize-button"},
    {kExitButton, "exit-button"},
    {kStopButton, "stop-button"},
    {kAboutPanel, "about-panel"},
    {kRandomSwitch, "random-switch"},
    {kSequenceSwitch, "sequence-switch"},
    {kSequenceOff, "sequence-off"},
    {kSequenceOn, "sequence-on"},
    {kRandomOff, "random-off"},
    {kRandomOn, "random-on"},
    {kOpenFolder, "open-folder"},
    {kCurrentFolder, "current-folder"},
    {kClosedFolder, "closed-folder"},
}};

// The name a picture or the icon is asked for at a scale of the art, in
// percent: the name itself at 100, BACKGROUND_150 at 150.
inline std::string ScaledName(const std::string& name, int percent) {
  return percent == 100 ? name : name + "_" + std::to_string(percent);
}

}  // namespace pix::skin
