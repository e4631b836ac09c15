// The library search: a library planted in the current directory or beside
// the program is what a load by bare name finds, until the process narrows
// the search to the system folder, as both programs do first thing.
#include <windows.h>
// windows.h first.
#include <shellapi.h>

#include "platform/win32/NoNameMacros.h"
// Project headers only after the macros are gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "contract/Stage.h"
#include "platform/Os.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace pix::test {
namespace {

// A process under Wine starts in seconds, in minutes where Wine itself runs
// emulated; one that takes longer than this has hung.
constexpr DWORD kProcessLimitMs = 600000;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The folder of this test executable, where the build puts the probe and
// the library to plant.
std::string TestFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string SystemFolder() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  return Lower(std::string(folder, length));
}

std::wstring Wide(const std::string& text) {
  return win32::WideFromCodePage(CP_ACP, text);
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyInto(const std::string& from, const std::string& to) {
  ASSERT_TRUE(::CopyFileA(from.c_str(), to.c_str(), FALSE))
      << from << " -> " << to << ": " << ::GetLastError();
}

// The folder of a path, lower case, without the trailing backslash.
std::string FolderOf(const std::string& path) {
  return Lower(path.substr(0, path.find_last_of('\\')));
}

// Wine takes its own build of a system library before a file of that name
// that it finds on the search path, where Windows takes the first file it
// finds. Told by its per-program setting to prefer the file for the theme
// library, Wine searches as Windows does. The setting goes with the scope.
class PreferPlantedTheme {
 public:
  explicit PreferPlantedTheme(const std::string& program)
      : program_("Software\\Wine\\AppDefaults\\" + program), overrides_(program_ + "\\DllOverrides") {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, overrides_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("cannot write " + overrides_);
    constexpr char kNativeFirst[] = "native,builtin";
    ::RegSetValueExA(key, "uxtheme", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                     sizeof kNativeFirst);
    ::RegCloseKey(key);
  }
  PreferPlantedTheme(const PreferPlantedTheme&) = delete;
  PreferPlantedTheme& operator=(const PreferPlantedTheme&) = delete;
  ~PreferPlantedTheme() {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, overrides_.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, program_.c_str());
  }

 private:
  std::string program_, overrides_;
};

struct Started {
  win32::UniqueHandle process;
  win32::UniqueHandle output;  // the read end of its standard output, if asked for
};

// Starts a program in a folder; with `capture`, its standard output and
// error go into a pipe.
Started Start(const std::string& program, const std::string& arguments, const std::string& folder,
              bool capture) {
  Started started;
  win32::UniqueHandle writeEnd;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (capture) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readHandle = nullptr, writeHandle = nullptr;
    // Room for all the probe prints, so that it never waits on the pipe.
    if (!::CreatePipe(&readHandle, &writeHandle, &inherited, 1 << 16)) win32::ThrowLastError("CreatePipe");
    started.output = win32::UniqueHandle(readHandle);
    writeEnd = win32::UniqueHandle(writeHandle);
    ::SetHandleInformation(readHandle, HANDLE_FLAG_INHERIT, 0);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeHandle;
  }
  const std::wstring path = Wide(program);
  std::wstring commandLine = L"\"" + path + L"\" " + Wide(arguments);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, capture, 0, nullptr,
                        Wide(folder).c_str(), &startup, &info))
    win32::ThrowLastError("CreateProcessW");
  ::CloseHandle(info.hThread);
  started.process = win32::UniqueHandle(info.hProcess);
  return started;
}

// Runs the probe in a folder and gives its report: each line "key: value"
// as key -> value.
std::map<std::string, std::string> RunProbe(const std::string& probe, const std::string& arguments,
                                            const std::string& folder) {
  const Started run = Start(probe, arguments, folder, true);
  if (::WaitForSingleObject(run.process.get(), kProcessLimitMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(run.process.get(), 1);
    ADD_FAILURE() << "the probe did not end";
    return {};
  }
  DWORD exitCode = 1;
  ::GetExitCodeProcess(run.process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u) << arguments;
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(run.output.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  // Into the log as well, for the reading of a failure.
  std::printf("%s", text.c_str());
  std::map<std::string, std::string> report;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos) report[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return report;
}

bool NotLoaded(const std::map<std::string, std::string>& report, const std::string& name) {
  const auto found = report.find(name);
  return found != report.end() && found->second.rfind("not loaded", 0) == 0;
}

std::string LoadedFrom(const std::map<std::string, std::string>& report, const std::string& name) {
  const auto found = report.find(name);
  return found == report.end() || found->second.rfind("not loaded", 0) == 0 ? "(not loaded)"
                                                                            : FolderOf(found->second);
}

constexpr const char* kThemeLibrary = "uxtheme.dll";

// A scratch folder with a program in "program\" and a folder "current\" for
// it to run in, the picture folder of the program's settings.
class PlantedSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    programFolder_ = stage_->Root() + "\\program";
    currentFolder_ = stage_->Root() + "\\current";
    stage_->MakeDir(programFolder_);
    stage_->MakeDir(currentFolder_);
  }

  // Plants the library under a name in a folder.
  static void Plant(const std::string& folder, const std::string& name) {
    CopyInto(TestFolder() + "\\pix_planted_library.dll", folder + "\\" + name);
  }
  static bool Marked(const std::string& folder, const std::string& name) {
    return Exists(folder + "\\" + name + ".loaded");
  }

  std::unique_ptr<Stage> stage_ = MakeStage();
  std::string programFolder_, currentFolder_;
};

// The probe in "program\" beside a library of a name of its own and one of
// the system's theme library's name, and another of a name of its own in
// "current\", where it runs.
class DllSearchTest : public PlantedSearch {
 protected:
  void SetUp() override {
    PlantedSearch::SetUp();
    probe_ = programFolder_ + "\\pix_dll_search_probe.exe";
    CopyInto(TestFolder() + "\\pix_dll_search_probe.exe", probe_);
    Plant(programFolder_, kBeside);
    Plant(programFolder_, kThemeLibrary);
    Plant(currentFolder_, kCurrent);
  }

  static constexpr const char* kBeside = "pix_planted_beside.dll";
  static constexpr const char* kCurrent = "pix_planted_current.dll";

  std::map<std::string, std::string> Probe(const std::string& mode) {
    const PreferPlantedTheme nativeFirst("pix_dll_search_probe.exe");
    return RunProbe(probe_, mode + " " + kBeside + " " + kCurrent + " " + kThemeLibrary + " @late",
                    currentFolder_);
  }

  std::string probe_;
};

TEST_F(DllSearchTest, WithoutTheRestrictionBareNamesFindThePlantedLibraries) {
  // What the restriction guards against: the usual search takes a library
  // from the program's folder, a system library's name included, and from
  // the current directory.
  const auto report = Probe("as-is");
  EXPECT_EQ(report.at("search"), "unchanged");
  EXPECT_EQ(LoadedFrom(report, kBeside), Lower(programFolder_));
  EXPECT_EQ(LoadedFrom(report, kThemeLibrary), Lower(programFolder_));
  EXPECT_EQ(LoadedFrom(report, kCurrent), Lower(currentFolder_));
  EXPECT_TRUE(Marked(currentFolder_, kCurrent));
  EXPECT_TRUE(Marked(programFolder_, kThemeLibrary));
}

TEST_F(DllSearchTest, TheRestrictionLeavesOnlyTheSystemFolder) {
  const auto report = Probe("restrict");
  EXPECT_EQ(report.at("search"), "system folder only");
  EXPECT_TRUE(NotLoaded(report, kBeside)) << report.at(kBeside);
  EXPECT_TRUE(NotLoaded(report, kCurrent)) << report.at(kCurrent);
  // A system library by bare name still loads, from the system folder.
  EXPECT_EQ(LoadedFrom(report, kThemeLibrary), SystemFolder());
  EXPECT_FALSE(Marked(programFolder_, kBeside));
  EXPECT_FALSE(Marked(programFolder_, kThemeLibrary));
  EXPECT_FALSE(Marked(currentFolder_, kCurrent));
  // The late libraries still answer: the shell's own answer for a missing
  // file, and the network library's for a drive that is no connection.
  EXPECT_EQ(report.at("ShellExecute"), std::to_string(SE_ERR_FNF));
  EXPECT_EQ(report.at("WNetGetConnection"), std::to_string(oserr::kNotConnected));
}

TEST_F(DllSearchTest, WithoutTheUpdateTheFallbackIsTakenAndTheLateLibrariesStillAnswer) {
  // Windows without SetDefaultDllDirectories: SetDllDirectoryW(L"") takes
  // the current directory (the picture folder) out of the search and leaves
  // the program's folder in it. Wine accepts the call but keeps the current
  // directory, after the system folder, so only the rest is seen here: the
  // call taken, the program's folder still searched, the late libraries
  // still loaded.
  const auto report = Probe("restrict-without-update");
  EXPECT_EQ(report.at("search"), "current directory removed");
  EXPECT_EQ(LoadedFrom(report, kBeside), Lower(programFolder_));
  EXPECT_EQ(report.at("ShellExecute"), std::to_string(SE_ERR_FNF));
  EXPECT_EQ(report.at("WNetGetConnection"), std::to_string(oserr::kNotConnected));
}

struct WindowSearch {
  DWORD processId;
  bool found;
};

BOOL CALLBACK StopAtShownWindow(HWND window, LPARAM parameter) {
  // EnumWindows hands its parameter over as an integer.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  auto* const search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  search->found = owner == search->processId && ::IsWindowVisible(window);
  return !search->found;
}

// Whether a process shows a window of its own.
bool HasVisibleWindow(DWORD processId) {
  WindowSearch search{processId, false};
  ::EnumWindows(&StopAtShownWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Each program loads the system's theme library by bare name as its first
// window opens (under Wine through user32, on Windows through the visual
// styles), after its entry has narrowed the search. The copy planted beside
// it, preferred over Wine's own build as Windows would prefer it, would
// leave its mark before the window shows.
class ProgramDllSearch : public PlantedSearch {
 protected:
  void ExpectNoPlantedLibraryTaken(const std::string& program) {
    Plant(programFolder_, kThemeLibrary);
    Plant(currentFolder_, kThemeLibrary);
    const std::string name = program.substr(program.find_last_of('\\') + 1);
    const std::string copy = programFolder_ + "\\" + name;
    CopyInto(program, copy);
    const PreferPlantedTheme nativeFirst(name);
    const Started run = Start(copy, "", currentFolder_, false);
    const DWORD id = ::GetProcessId(run.process.get());
    const DWORD deadline = ::GetTickCount() + kProcessLimitMs;
    bool shown = false;
    // Polled: the window comes once the program has set itself up.
    while (!(shown = HasVisibleWindow(id)) && !Marked(programFolder_, kThemeLibrary) &&
           ::WaitForSingleObject(run.process.get(), 100) == WAIT_TIMEOUT &&
           static_cast<int>(deadline - ::GetTickCount()) > 0) {
    }
    ::TerminateProcess(run.process.get(), 0);
    ::WaitForSingleObject(run.process.get(), kProcessLimitMs);
    EXPECT_TRUE(shown) << program << ": no window";
    EXPECT_FALSE(Marked(programFolder_, kThemeLibrary)) << program;
    EXPECT_FALSE(Marked(currentFolder_, kThemeLibrary)) << program;
  }
};

TEST_F(ProgramDllSearch, PixRnTakesTheSystemLibraryNotTheOneBesideIt) {
  // The settings window: delay 0, the current folder as the picture folder.
  stage_->MakeFile(programFolder_ + "\\Pix_rn.dat", currentFolder_ + "\\\r\n0\r\n0\r\n-1\r\n");
  ExpectNoPlantedLibraryTaken(PIX_PROGRAM_PATH);
}

TEST_F(ProgramDllSearch, TheHelpTakesTheSystemLibraryNotTheOneBesideIt) {
  ExpectNoPlantedLibraryTaken(PIX_HELP_PROGRAM_PATH);
}

}  // namespace
}  // namespace pix::test
