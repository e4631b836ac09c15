// A main window on the in-memory machine with the headless backend: the
// program as it starts, with a settings file the test writes first.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "skin/SkinNames.h"
#include "support/HeadlessBackend.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {

class MainWindowTest : public ::testing::Test {
 protected:
  static constexpr const char* kSettings = "C:\\Program\\Pix_rn.dat";
  static constexpr const char* kTarget = "C:\\windows\\Pix_Rn.jpg";

  MainWindowTest() {
    os.AddDrive('c', DriveType::Fixed, "SYSTEM");
    os.MakeDirectory("C:\\Program");
    os.MakeDirectory("C:\\windows");
    os.SetModuleFileName("C:\\Program\\Pix_Rn.exe");
    os.SetLocalTime({2026, 12, 8, 8, 30, 0, 0});
  }

  // Writes the settings file, each line ended by CR LF.
  void Settings(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
      text += line + "\r\n";
    os.WriteFileContents(kSettings, text);
  }
  std::string SettingsText() { return os.ReadFileContents(kSettings); }

  // A picture folder with these files, each holding its own name.
  void Pictures(const std::string& folder, const std::vector<std::string>& names) {
    os.MakeDirectory(folder);
    for (const auto& name : names)
      os.WriteFileContents(folder + "\\" + name, "JPEG " + name);
  }

  // Starts the program: the application, the main window and its create handler.
  MainWindow& Start() {
    app.emplace(os, backend);
    app->Initialize();
    form = &app->CreateForm<MainWindow>();
    app->Run();
    return *form;
  }

  // One timer event, the clock one millisecond on so that it is a step.
  // Gives the exit code when the program halted.
  std::optional<int> Step() {
    os.Advance(1);
    try {
      backend.TickRunningTimers();
    } catch (const HaltRequested& halt) {
      return halt.exitCode;
    }
    return std::nullopt;
  }
  // Steps until the program halts or the timer stops; the number of steps.
  int StepsUntilEnd(int limit, std::optional<int>& exitCode) {
    for (int steps = 1; steps <= limit; ++steps) {
      exitCode = Step();
      if (exitCode || !backend.IsRunning(form->countdownTimer)) return steps;
    }
    return limit;
  }

  // A click with a mouse button: press and release on the control.
  static void Click(TControl& control, TMouseButton button = TMouseButton::mbLeft) {
    control.MouseDown(button, {}, 1, 1);
    control.MouseUp(button, {}, 1, 1);
  }
  // A click that may end the program; gives the exit code when it did.
  static std::optional<int> ClickMayHalt(TControl& control) {
    try {
      Click(control);
    } catch (const HaltRequested& halt) {
      return halt.exitCode;
    }
    return std::nullopt;
  }

  // A picture of the skin, as the window loads it.
  std::shared_ptr<const TPicture> Face(const char* name) { return backend.Load(name); }

  MemoryOs os;
  HeadlessBackend backend;
  std::optional<TApplication> app;
  MainWindow* form = nullptr;
};

}  // namespace pix::test
