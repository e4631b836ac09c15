// The contract stage on the in-memory machine: drive C: (label SYSTEM, case
// preserving) with C:\windows, the module's folder C:\Program, the current
// directory C:\ and a fresh scratch folder under C:\pixtest. Memory-only
// cases make one directly and reach the machine through memory().
#pragma once

#include <memory>
#include <string>

#include "contract/Stage.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {

class MemoryStage final : public Stage {
 public:
  MemoryStage();

  Os& os() override { return os_; }
  MemoryOs& memory() { return os_; }
  const std::string& Root() const override { return root_; }

  void MakeDir(const std::string& path, std::uint32_t attributes = 0) override;
  void MakeFile(const std::string& path, const std::string& contents, std::uint32_t attributes = 0) override;
  void MakeFileWide(const std::wstring& path, const std::string& contents) override;
  std::string ReadFile(const std::string& path) override;
  void Remove(const std::string& path) override;
  std::shared_ptr<void> HoldOpen(const std::string& path) override;
  bool IsMemoryMachine() const override { return true; }
  bool HonoursReadOnly() override { return true; }

 private:
  void RequireParent(const std::string& path);

  MemoryOs os_;
  std::string root_;
};

}  // namespace pix::test
