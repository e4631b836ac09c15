// What the built Pix_Rn.exe carries: its manifest, its version and its
// pictures and icon, read from the file itself.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"
// Project headers only after the macros are gone.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/win32/Handles.h"
#include "skin/SkinNames.h"
#include "support/SkinFiles.h"

namespace {

// The program as a data file: its resources without running it.
class ProgramFile {
 public:
  ProgramFile() : module_(::LoadLibraryExA(PIX_PROGRAM_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  HMODULE get() const { return module_.get(); }

  std::string Resource(LPCSTR name, LPCSTR type) const {
    HRSRC found = ::FindResourceA(get(), name, type);
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(get(), found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(get(), found))
                 : std::string();
  }

 private:
  pix::win32::UniqueModule module_;
};

TEST(ProgramResources, ManifestRunsAsInvokerWithCommonControls) {
  ProgramFile program;
  ASSERT_NE(program.get(), nullptr) << PIX_PROGRAM_PATH;
  const std::string manifest = program.Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_FALSE(manifest.empty());
  const char* const ownVersion = "version=\"" PIX_VERSION ".0\"";
  for (const char* needed : {"level=\"asInvoker\"", "Microsoft.Windows.Common-Controls",
                             "version=\"6.0.0.0\"", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a", ownVersion}) {
    SCOPED_TRACE(needed);
    EXPECT_NE(manifest.find(needed), std::string::npos);
  }
}

TEST(ProgramResources, VersionComesFromTheProject) {
  ProgramFile program;
  const std::string version = program.Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  ASSERT_GT(version.size(), 40u);
  // The fixed part: the signature, then the file version as two 32-bit halves.
  const auto signature = version.find("\xBD\x04\xEF\xFE");
  ASSERT_NE(signature, std::string::npos);
  const auto word = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(version[at + i]);
    return value;
  };
  const std::uint32_t high = word(signature + 8), low = word(signature + 12);
  const std::string fileVersion =
      std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16);
  EXPECT_EQ(fileVersion, PIX_VERSION);
}

std::string ArtFile(const char* name) {
  std::ifstream in(std::string(PIX_SKIN_ART_PATH) + "\\" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ProgramResources, EveryPictureIsBuiltInUnderItsNameFromItsOwnFile) {
  ProgramFile program;
  ASSERT_NE(program.get(), nullptr) << PIX_PROGRAM_PATH;
  for (const pix::test::SkinFile& bitmap : pix::test::kSkinBitmaps) {
    SCOPED_TRACE(bitmap.name);
    const std::string file = ArtFile(bitmap.file);
    ASSERT_GT(file.size(), 14u) << bitmap.file;
    // A BITMAP resource is the file without its 14-byte file header.
    EXPECT_TRUE(program.Resource(bitmap.name, MAKEINTRESOURCEA(2)) == file.substr(14)) << bitmap.file;
  }
}

TEST(ProgramResources, TheIconIsBuiltIn) {
  ProgramFile program;
  const pix::win32::UniqueIcon icon(
      static_cast<HICON>(::LoadImageA(program.get(), pix::skin::kMainIcon, IMAGE_ICON, 32, 32, 0)));
  ASSERT_NE(icon.get(), nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
  const pix::win32::UniqueBitmap colourBitmap(info.hbmColor), maskBitmap(info.hbmMask);
  BITMAP colour{};
  ::GetObjectA(colourBitmap.get(), sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
}

}  // namespace
