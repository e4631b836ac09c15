// A stage for the contract cases: a machine behind the OS seam plus a fresh,
// empty scratch folder on it, and the means to lay out files and folders
// there. The host tests implement it on the in-memory machine, the Wine
// tests on the real layer, and the same cases run against both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Os.h"

namespace pix::test {

class Stage {
 public:
  virtual ~Stage() = default;

  virtual Os& os() = 0;

  // The scratch folder: absolute, on drive C:, without a trailing backslash.
  // It exists and is empty when the stage is made, and it is removed (with
  // everything in it) when the stage goes.
  virtual const std::string& Root() const = 0;

  // Creates a folder (its parent must exist) and gives it the extra
  // attributes (attr::kHidden, attr::kSystem, attr::kReadOnly).
  virtual void MakeDir(const std::string& path, std::uint32_t attributes = 0) = 0;
  // Creates or replaces a file with these bytes and then sets the extra
  // attributes (attr::kReadOnly, attr::kHidden, attr::kSystem).
  virtual void MakeFile(const std::string& path, const std::string& contents,
                        std::uint32_t attributes = 0) = 0;
  // Creates a file under a name in wide characters (its folder must exist),
  // also one the ANSI code page cannot spell.
  virtual void MakeFileWide(const std::wstring& path, const std::string& contents) = 0;
  // The bytes of a file; throws std::runtime_error when it cannot be read.
  virtual std::string ReadFile(const std::string& path) = 0;
  // Removes a file or an empty folder; attributes are cleared first.
  virtual void Remove(const std::string& path) = 0;

  // Holds a file open as another program would, sharing nothing, until the
  // returned token goes.
  virtual std::shared_ptr<void> HoldOpen(const std::string& path) = 0;

  // Whether this stage is the in-memory machine (some cases only it can stage).
  virtual bool IsMemoryMachine() const = 0;
  // Whether the machine refuses to write or replace a read-only file. Windows
  // does; Wine running as root does not, since it keeps the attribute as file
  // permissions, which do not bind root.
  virtual bool HonoursReadOnly() = 0;
};

// Made once for each case by the executable's own implementation.
std::unique_ptr<Stage> MakeStage();

}  // namespace pix::test
