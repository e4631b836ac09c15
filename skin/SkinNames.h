// The names under which the skin's pictures, the list glyphs and the icon are
// built into the program (skin.rc), for loading them by name.
#pragma once

#include <array>

namespace pix::skin {

// One picture for each image component of the main window.
inline constexpr const char* kBack = "BACK";
inline constexpr const char* kLogo = "LOGO";
inline constexpr const char* kVpr = "VPR";
inline constexpr const char* kMin = "MIN";
inline constexpr const char* kHlt = "HLT";
inline constexpr const char* kMinBut = "MINBUT";
inline constexpr const char* kAuthprg = "AUTHPRG";
inline constexpr const char* kSfl = "SFL";
inline constexpr const char* kNsfl = "NSFL";
inline constexpr const char* kNsfl1 = "NSFL1";
inline constexpr const char* kNsfl2 = "NSFL2";
inline constexpr const char* kSfl1 = "SFL1";
inline constexpr const char* kSfl2 = "SFL2";

// The same pictures under the names the window knows them by.
inline constexpr const char* kBackground = "BACK";
inline constexpr const char* kAboutButton = "LOGO";
inline constexpr const char* kHelpButton = "VPR";
inline constexpr const char* kMinimizeButton = "MIN";
inline constexpr const char* kExitButton = "HLT";
inline constexpr const char* kStopButton = "MINBUT";
inline constexpr const char* kAboutPanel = "AUTHPRG";
inline constexpr const char* kRandomSwitch = "SFL";
inline constexpr const char* kSequenceSwitch = "NSFL";
inline constexpr const char* kRandomOff = "SFL1";
inline constexpr const char* kRandomOn = "SFL2";
inline constexpr const char* kSequenceOff = "NSFL1";
inline constexpr const char* kSequenceOn = "NSFL2";

// The file widgets' glyphs: 16 colours, the bottom-left pixel's colour is
// the transparent one.
inline constexpr const char* kOpenFolder = "OPENFOLDER";
inline constexpr const char* kCurrentFolder = "CURRENTFOLDER";
inline constexpr const char* kClosedFolder = "CLOSEDFOLDER";
inline constexpr const char* kExecutable = "EXECUTABLE";
inline constexpr const char* kUnknownFile = "UNKNOWNFILE";
inline constexpr const char* kFloppy = "FLOPPY";
inline constexpr const char* kHard = "HARD";
inline constexpr const char* kNetwork = "NETWORK";
inline constexpr const char* kCdRom = "CDROM";
inline constexpr const char* kRam = "RAM";

// The program's icon (an ICON resource; all the others are BITMAP resources).
inline constexpr const char* kMainIcon = "MAINICON";

inline constexpr std::array kComponentPictures = {kBack, kLogo, kVpr,   kMin,   kHlt,  kMinBut, kAuthprg,
                                                  kSfl,  kNsfl, kNsfl1, kNsfl2, kSfl1, kSfl2};
inline constexpr std::array kGlyphs = {kOpenFolder, kCurrentFolder, kClosedFolder, kExecutable, kUnknownFile,
                                       kFloppy,     kHard,          kNetwork,      kCdRom,      kRam};

}  // namespace pix::skin
