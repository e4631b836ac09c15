// The pure path rules, and the network form of path resolution, which only
// the in-memory machine can stage.
#include <gtest/gtest.h>

#include "core/PathRules.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {
namespace {

TEST(PathRulesTest, DrivePartAndJoinPath) {
  struct Case {
    std::string text;
    std::string drive;
  };
  const std::vector<Case> drives = {
      {"C:\\Pictures", "C:"},
      {"c:", "c:"},
      {"C:relative", "C:"},
      {"\\\\server\\share\\pics", "\\\\server\\share"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"\\\\server", "\\\\server"},
      {"\\Pictures", ""},
      {"Pictures", ""},
      {"", ""},
  };
  for (const Case& c : drives) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DrivePart(c.text), c.drive);
  }
  struct Join {
    std::string folder, name, path;
  };
  const std::vector<Join> joins = {
      {"C:\\Pictures", "a.jpg", "C:\\Pictures\\a.jpg"},
      {"C:\\", "a.jpg", "C:\\a.jpg"},
      {"\\\\server\\share\\", "a.jpg", "\\\\server\\share\\a.jpg"},
      {"", "a.jpg", "\\a.jpg"},
  };
  for (const Join& j : joins) {
    SCOPED_TRACE(j.folder);
    EXPECT_EQ(JoinPath(j.folder, j.name), j.path);
  }
}

TEST(PathRulesTest, ResolvesANetworkPathWithoutADrive) {
  MemoryOs os;
  os.AddDrive('c', DriveType::Fixed);
  os.AddShare("\\\\server\\share");
  os.MakeDirectory("\\\\server\\share\\pics\\summer");
  os.MakeDirectory("C:\\Tools");
  ASSERT_EQ(os.SetCurrentDirectory("C:\\Tools"), oserr::kSuccess);
  struct Case {
    std::string text, folder, file;
  };
  const std::vector<Case> cases = {
      {"\\\\server\\share\\pics\\", "\\\\server\\share\\pics", ""},
      {"\\\\server\\share\\pics\\summer", "\\\\server\\share\\pics\\summer", ""},
      {"\\\\server\\share\\pics\\*.jpg", "\\\\server\\share\\pics", "*.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ResolvedPath resolved = ResolvePathText(os, c.text);
    EXPECT_FALSE(resolved.drive.has_value());
    EXPECT_EQ(resolved.folder, c.folder);
    EXPECT_EQ(resolved.file, c.file);
    EXPECT_EQ(os.GetCurrentDirectory(), "C:\\Tools");
  }
}

}  // namespace
}  // namespace pix::test
