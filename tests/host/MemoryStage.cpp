#include "host/MemoryStage.h"

#include <stdexcept>

namespace pix::test {
namespace {

std::string ParentOf(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  // The parent of C:\x is the root C:\, which keeps its backslash.
  if (cut == 2 && path.size() > 1 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, cut);
}

}  // namespace

MemoryStage::MemoryStage() {
  static int cases = 0;
  os_.AddDrive('C', DriveType::Fixed, "SYSTEM", volflag::kCasePreserved);
  os_.MakeDirectory("C:\\windows");
  os_.MakeDirectory("C:\\Program");
  os_.SetModuleFileName("C:\\Program\\Pix_Rn.exe");
  os_.SetWindowsDirectory("C:\\windows");
  if (os_.SetCurrentDirectory("C:\\") != oserr::kSuccess) throw std::logic_error("the stage has no C:\\");
  root_ = "C:\\pixtest\\case" + std::to_string(++cases);
  os_.MakeDirectory(root_);
}

// The real stage's calls need the parent to exist; so does this one, so that
// a case cannot pass here that would fail there.
void MemoryStage::RequireParent(const std::string& path) {
  const std::string parent = ParentOf(path);
  if (!os_.Exists(parent)) throw std::runtime_error("the folder of " + path + " does not exist");
}

void MemoryStage::MakeDir(const std::string& path, std::uint32_t attributes) {
  RequireParent(path);
  if (os_.Exists(path)) throw std::runtime_error(path + " exists already");
  os_.MakeDirectory(path, attributes);
}

void MemoryStage::MakeFile(const std::string& path, const std::string& contents, std::uint32_t attributes) {
  RequireParent(path);
  os_.WriteFileContents(path, contents, attr::kArchive | attributes);
}

void MemoryStage::MakeFileWide(const std::wstring& path, const std::string& contents) {
  const std::string spelled = MemoryOs::SpelledName(path);
  RequireParent(spelled);
  os_.WriteFileContents(spelled, contents, attr::kArchive);
}

std::string MemoryStage::ReadFile(const std::string& path) {
  return os_.ReadFileContents(path);
}

void MemoryStage::Remove(const std::string& path) {
  const auto found = os_.FindFiles(path + "\\*");
  for (const auto& entry : found.value)
    if (entry.name != "." && entry.name != "..") throw std::runtime_error(path + " is not empty");
  os_.Remove(path);
}

std::shared_ptr<void> MemoryStage::HoldOpen(const std::string& path) {
  return os_.HoldOpen(path);
}

std::unique_ptr<Stage> MakeStage() {
  return std::make_unique<MemoryStage>();
}

}  // namespace pix::test
