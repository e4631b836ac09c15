// Choosing the picture and putting it in place: the sequence advance, the
// random pick and the installation over the picture the program owns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Countdown.h"
#include "core/PictureFolder.h"
#include "platform/Os.h"

namespace pix {

// What the settings file holds besides the sequence position.
struct RotationSettings {
  std::string pictureFolder;  // line 1
  std::string delay;          // line 2
  SelectionMode mode = kRandomMode;
};

// Selects the picture after the one whose index line 4 of the settings file
// holds, and writes that index back with the other lines. An index outside
// the pictures (the folder shrank, or a hand edit) starts again at the
// first. Raises EInOutError when the file cannot be read or written.
void AdvanceSequence(Os& os, PictureFolder& pictures, const std::string& settingsPath,
                     const RotationSettings& settings);

// Where the random pick takes its numbers.
class UniformDraws {
 public:
  virtual ~UniformDraws() = default;
  // A number from 0 to bound - 1, each as likely; bound is above 0.
  virtual int Draw(int bound) = 0;
};

// The program's own generator, seeded from the performance counter (the tick
// count where there is none): state = state * 134775813 + 1, and a draw is
// the high half of bound * state.
class SeededDraws final : public UniformDraws {
 public:
  explicit SeededDraws(Os& os);
  int Draw(int bound) override;

 private:
  std::uint32_t state_;
};

// How many pictures a random pick looks at, at most.
inline constexpr int kMostRandomDraws = 16;

// Picks a picture at random that changes the picture on the screen: each
// draw is among the pictures not looked at yet, and the picture drawn is
// taken only where it reads whole, the installation would take it, and it
// differs from what Pix_Rn.jpg holds (any does where there is no Pix_Rn.jpg).
// Gives the picture taken, read whole and selected, or nothing, with none
// selected, when none of the pictures drawn qualifies.
std::optional<std::string> PickAtRandom(Os& os, PictureFolder& pictures, UniformDraws& draws);

enum class InstallOutcome : std::uint8_t {
  Installed,
  Kept,     // the old picture stays: read-only, or the picture could not be read or written whole
  Nothing,  // no picture to install, one too large, or a path too long to hand on whole
  // Written in place, the old picture was overwritten part way when the
  // write failed: neither stands whole, and the next run installs a whole one.
  Damaged,
};

// The largest picture the program installs. It is read whole into memory
// before Pix_Rn.jpg is touched, by a program that runs unattended at every
// log-on, when the machine has least memory to spare; 256 MiB is far beyond
// any picture a desktop shows (the desktop decodes it at 4 bytes a pixel: a
// 256 MiB JPEG is some 400 megapixels, over 1.5 GiB decoded), so a larger
// file is no desktop picture and not worth that memory.
inline constexpr std::uint64_t kLargestPicture = std::uint64_t{256} << 20;

// Replaces "Pix_Rn.jpg" in the Windows directory with a copy of `source`,
// read whole and checked against its length before the old picture is
// touched, so that a failure leaves the old picture whole (see
// ReplaceFileContents), and asks the desktop to load it anew when it shows
// that very file. `source` is in wide characters, as the picture folder
// lists it.
InstallOutcome InstallPicture(Os& os, const std::wstring& source);
// The same for a picture read whole already, as the random pick hands it on:
// the picture is read once, and held in memory once.
InstallOutcome InstallPicture(Os& os, std::string_view picture);

// The picture the program owns.
std::string TargetPicturePath(Os& os);

}  // namespace pix
