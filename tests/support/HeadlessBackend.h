// A window backend without windows, for driving the program's components and
// handlers in host tests: pictures come from the skin's files, timers tick
// when the test says, error boxes and other requests are recorded, and the
// halt ends the handler with a HaltRequested that the test catches.
#pragma once

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "components/Application.h"
#include "components/SkinPictures.h"
#include "skin/SkinNames.h"

namespace pix::test {

// Thrown where the program would end its process.
struct HaltRequested {
  int exitCode;
};

class HeadlessBackend final : public ApplicationBackend,
                              public TimerService,
                              public PictureSource,
                              public ScreenPointer {
 public:
  struct ErrorBox {
    std::string caption;
    std::string text;
  };

  // TimerService
  bool StartTimer(TTimer& timer, unsigned) override {
    if (refuseTimers) return false;
    running.insert(&timer);
    ++timerStarts;
    return true;
  }
  void StopTimer(TTimer& timer) override { running.erase(&timer); }

  // PictureSource: the skin's pictures as the program loads them, the packed
  // ones from the files skin.rc builds into the program under their names,
  // the others drawn for their scale.
  // Unpacked once per test program: a picture never changes once loaded,
  // and tests that start the program hundreds of times need not unpack it
  // each time.
  std::shared_ptr<const TPicture> Load(const std::string& name) override {
    static std::map<std::string, std::shared_ptr<const TPicture>> loaded;
    auto& picture = loaded[name];
    if (!picture)
      picture = LoadSkinPicture(name, [this](const char* resourceName) { return PackedFile(resourceName); });
    return picture;
  }
  // ScreenPointer
  PointerShape Shape() const override { return shape; }
  void SetShape(PointerShape newShape) override { shape = newShape; }

  // ApplicationBackend
  TimerService& Timers() override { return *this; }
  PictureSource& Pictures() override { return *this; }
  ScreenPointer& Pointer() override { return *this; }
  void CreateApplicationWindow(TApplication&) override { applicationWindow = true; }
  void CreateFormWindows(TForm& form) override { forms.push_back(&form); }
  int StartupShowCommand() override { return kShowNormal; }
  void RunMessageLoop(TApplication&, int) override { ++loops; }
  void ShowErrorBox(const std::string& caption, const std::string& text) override {
    errorBoxes.push_back({caption, text});
  }
  void Minimize() override { ++minimized; }
  [[noreturn]] void EndProcess(int exitCode) override { throw HaltRequested{exitCode}; }

  // Delivers one tick to every timer that is running.
  // NOLINTNEXTLINE(readability-make-member-function-const): the ticks' handlers change this backend.
  void TickRunningTimers() {
    const std::set<TTimer*> ticking = running;
    for (TTimer* timer : ticking)
      timer->Tick();
  }
  bool IsRunning(TTimer& timer) const { return running.contains(&timer); }

  bool refuseTimers = false;
  std::set<TTimer*> running;
  int timerStarts = 0;
  PointerShape shape = PointerShape::Default;
  bool applicationWindow = false;
  std::vector<TForm*> forms;
  int loops = 0;
  std::vector<ErrorBox> errorBoxes;
  int minimized = 0;

 private:
  // The bytes of the file skin.rc builds in as the packed picture of that
  // name, read once.
  std::optional<std::string_view> PackedFile(const std::string& name) {
    if (const auto read = packedFiles_.find(name); read != packedFiles_.end()) return read->second;
    const std::filesystem::path script = std::filesystem::path(PIX_SKIN_ART_DIR).parent_path() / "skin.rc";
    std::ifstream in(script);
    if (!in) throw std::runtime_error("cannot read " + script.string());
    const std::regex entry(std::string(R"(^\s*(\w+)\s+)") + skin::kPackedPictureType +
                           R"rc(\s+"([^"]+)"\s*$)rc");
    std::string line;
    while (std::getline(in, line)) {
      std::smatch m;
      if (!std::regex_match(line, m, entry) || Upper(m[1].str()) != Upper(name)) continue;
      std::ifstream file(script.parent_path() / m[2].str(), std::ios::binary);
      if (!file) throw std::runtime_error("cannot read the picture " + m[2].str());
      std::stringstream bytes;
      bytes << file.rdbuf();
      return packedFiles_.emplace(name, bytes.str()).first->second;
    }
    return std::nullopt;
  }

  std::map<std::string, std::string> packedFiles_;

  static std::string Upper(std::string text) {
    for (char& c : text)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
};

}  // namespace pix::test
