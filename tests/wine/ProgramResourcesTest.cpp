// What the built Pix_Rn.exe carries: its manifest, its version and its
// packed pictures and icon, read from the file itself.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"
// Project headers only after the macros are gone.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "art/Artwork.h"
#include "art/Packing.h"
#include "components/Picture.h"
#include "components/SkinPictures.h"
#include "platform/win32/Handles.h"
#include "skin/SkinNames.h"

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

std::string ArtFile(const std::string& name) {
  std::ifstream in(std::string(PIX_SKIN_ART_PATH) + "\\" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

// Each picture is built in packed under its name, from its own file, and
// unpacks to its committed file at the design's scale.
TEST(ProgramResources, EveryPictureIsBuiltInUnderItsNameFromItsOwnFile) {
  ProgramFile program;
  ASSERT_NE(program.get(), nullptr) << PIX_PROGRAM_PATH;
  for (const pix::skin::PictureArt& picture : pix::skin::kPictureArt) {
    SCOPED_TRACE(picture.name);
    const std::string packed = program.Resource(picture.name, pix::skin::kPackedPictureType);
    EXPECT_TRUE(packed == ArtFile(pix::art::PackedFileName(picture.stem)));
    const std::string file = ArtFile(pix::art::PictureFileName(picture.stem, 100));
    ASSERT_GT(file.size(), 14u);
    EXPECT_TRUE(pix::art::Unpack(Bytes(packed)) == Bytes(file));
  }
}

// The pictures as the backend reads them from the program: the design's
// unpacked from its resources, the others drawn; each the committed file.
TEST(ProgramResources, TheProgramsPicturesLoadAsTheirCommittedFiles) {
  ProgramFile program;
  ASSERT_NE(program.get(), nullptr) << PIX_PROGRAM_PATH;
  std::string held;  // the bytes of the resource last found
  const pix::PackedPictureFinder finder = [&](const char* name) -> std::optional<std::string_view> {
    held = program.Resource(name, pix::skin::kPackedPictureType);
    if (held.empty()) return std::nullopt;
    return held;
  };
  for (const int percent : {100, 150}) {
    for (const pix::skin::PictureArt& picture : pix::skin::kPictureArt) {
      const std::string name = pix::skin::ScaledName(picture.name, percent);
      SCOPED_TRACE(name);
      const auto loaded = pix::LoadSkinPicture(name, finder);
      const auto committed = pix::ReadBitmap(name, ArtFile(pix::art::PictureFileName(picture.stem, percent)));
      EXPECT_EQ(loaded->width, committed->width);
      EXPECT_EQ(loaded->height, committed->height);
      EXPECT_TRUE(loaded->pixels == committed->pixels);
    }
  }
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);  // NOLINT(performance-no-int-to-ptr)
  return TRUE;
}

// The pictures at the other scales are drawn at run time, not carried.
TEST(ProgramResources, NoBitmapIsBuiltIn) {
  ProgramFile program;
  ASSERT_NE(program.get(), nullptr) << PIX_PROGRAM_PATH;
  int bitmaps = 0, packed = 0;
  ::EnumResourceNamesA(program.get(), MAKEINTRESOURCEA(2), &CountName, reinterpret_cast<LONG_PTR>(&bitmaps));
  ::EnumResourceNamesA(program.get(), pix::skin::kPackedPictureType, &CountName,
                       reinterpret_cast<LONG_PTR>(&packed));
  EXPECT_EQ(packed, static_cast<int>(pix::skin::kPictureArt.size())) << "the count is taken";
  EXPECT_EQ(bitmaps, 0);
  EXPECT_TRUE(program.Resource("BACKGROUND_150", pix::skin::kPackedPictureType).empty());
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
