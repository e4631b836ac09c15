#include "art/Artwork.h"
#include "art/Canvas.h"
#include "art/Packing.h"
#include "skin/SkinNames.h"
#include "support/SkinFiles.h"
#include "tools/skingen/ArtFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const fs::path kArt = PIX_SKIN_ART_DIR;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U16(const Bytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}
std::int32_t S32(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

bool IsGreen(Rgb c) {
  return c.g > 150 && c.r < 100 && c.b < 100;
}
bool IsRed(Rgb c) {
  return c.r > 150 && c.g < 100 && c.b < 100;
}
int Luminance(Rgb c) {
  return (299 * c.r + 587 * c.g + 114 * c.b) / 1000;
}

// A BMP as far as the program relies on it, read independently of the generator.
struct Bmp {
  int width = 0, height = 0, bitsPerPixel = 0;
  std::vector<Rgb> palette;
  std::vector<int> indices;  // 4-bit pictures, top row first
  std::vector<Rgb> pixels;   // top row first

  Rgb At(int x, int y) const { return pixels.at(Index(x, y)); }
  int IndexAt(int x, int y) const { return indices.at(Index(x, y)); }
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
};

Bmp Decode(const Bytes& b) {
  Bmp bmp;
  bmp.width = S32(b, 18);
  bmp.height = S32(b, 22);
  bmp.bitsPerPixel = static_cast<int>(U16(b, 28));
  const std::uint32_t offset = U32(b, 10);
  const std::size_t stride = (static_cast<std::size_t>(bmp.width * bmp.bitsPerPixel) + 31) / 32 * 4;
  if (bmp.bitsPerPixel == 4) {
    for (std::size_t i = 0; i < 16; ++i) {
      const std::size_t at = 14 + 40 + i * 4;
      bmp.palette.push_back({b.at(at + 2), b.at(at + 1), b.at(at)});
    }
  }
  for (int y = 0; y < bmp.height; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>(bmp.height - 1 - y) * stride;
    for (int x = 0; x < bmp.width; ++x) {
      if (bmp.bitsPerPixel == 24) {
        const std::size_t at = row + static_cast<std::size_t>(x) * 3;
        bmp.pixels.push_back({b.at(at + 2), b.at(at + 1), b.at(at)});
      } else {
        const std::uint8_t pair = b.at(row + static_cast<std::size_t>(x / 2));
        const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
        bmp.indices.push_back(index);
        bmp.pixels.push_back(bmp.palette.at(static_cast<std::size_t>(index)));
      }
    }
  }
  return bmp;
}

Bmp Load(const std::string& name) {
  return Decode(ReadFile(kArt / name));
}

struct PictureCase {
  std::string file;
  int width;
  int height;
  int bitsPerPixel;
};

const std::vector<PictureCase> kPictures = {
    {"background.bmp", 276, 196, 24},    {"about-button.bmp", 60, 12, 24},
    {"help-button.bmp", 17, 18, 24},     {"minimize-button.bmp", 17, 18, 24},
    {"exit-button.bmp", 17, 18, 24},     {"stop-button.bmp", 11, 11, 24},
    {"about-panel.bmp", 194, 196, 24},   {"random-switch.bmp", 17, 18, 24},
    {"sequence-switch.bmp", 17, 18, 24}, {"sequence-off.bmp", 17, 18, 24},
    {"sequence-on.bmp", 17, 18, 24},     {"random-off.bmp", 17, 18, 24},
    {"random-on.bmp", 17, 18, 24},       {"open-folder.bmp", 16, 15, 4},
    {"current-folder.bmp", 16, 15, 4},   {"closed-folder.bmp", 16, 15, 4},
};

class TempFolder {
 public:
  TempFolder() : path_(UniquePath()) {}
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  static fs::path UniquePath() {
    std::random_device seed;
    return fs::temp_directory_path() / ("pix_skin_" + std::to_string(seed()) + std::to_string(seed()));
  }

  fs::path path_;
};

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(SkinTest, CommittedArtIsWhatTheGeneratorDraws) {
  TempFolder temp;
  skingen::WriteAll(temp.Path());
  const std::set<std::string> drawn = FilesIn(temp.Path());
  EXPECT_EQ(drawn, FilesIn(kArt));
  for (const std::string& name : drawn) {
    EXPECT_TRUE(ReadFile(temp.Path() / name) == ReadFile(kArt / name))
        << name << " differs from what the generator draws; run scripts/skin";
  }
}

TEST(SkinTest, DrawingTwiceGivesTheSameBytes) {
  const auto first = art::RenderAll();
  const auto second = art::RenderAll();
  ASSERT_EQ(first.size(), second.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].name, second[i].name);
    EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name;
  }
}

// The file of a picture drawn at a scale: the design's own name at 100.
std::string AtScale(const std::string& file, int percent) {
  if (percent == 100) return file;
  const auto dot = file.rfind('.');
  return file.substr(0, dot) + "-" + std::to_string(percent) + file.substr(dot);
}

// One picture drawn by name is the committed file of its scale, byte for
// byte, at every scale; so is it drawn again, after any other.
TEST(SkinTest, EachPictureDrawnAloneIsItsCommittedFileAtEveryScale) {
  for (const int percent : art::kScales) {
    for (const std::string_view stem : art::PictureStems()) {
      const std::string file = art::PictureFileName(stem, percent);
      SCOPED_TRACE(file);
      EXPECT_TRUE(art::DrawPicture(stem, percent) == ReadFile(kArt / file));
      EXPECT_EQ(art::DrawingScale::Current(), 100) << "the drawing's scale left in force";
    }
  }
  // Backwards, so that each follows another picture and scale than before.
  std::vector<std::string_view> stems = art::PictureStems();
  std::reverse(stems.begin(), stems.end());
  for (const std::string_view stem : stems) {
    const std::string file = art::PictureFileName(stem, 150);
    EXPECT_TRUE(art::DrawPicture(stem, 150) == ReadFile(kArt / file)) << file << " drawn again";
  }
}

TEST(SkinTest, APictureOrAScaleWithoutArtIsRefused) {
  EXPECT_THROW(art::DrawPicture("no-such-picture", 100), std::invalid_argument);
  EXPECT_THROW(art::DrawPicture("MAINICON", 100), std::invalid_argument) << "the icon is no picture";
  for (const int percent : {0, 99, 110, 201, -100})
    EXPECT_THROW(art::DrawPicture("background", percent), std::invalid_argument) << percent;
  EXPECT_EQ(art::DrawingScale::Current(), 100);
}

TEST(SkinTest, TheDrawingScaleIsRestoredAsItsScopesEnd) {
  {
    const art::DrawingScale outer(150);
    EXPECT_EQ(art::DrawingScale::Current(), 150);
    {
      const art::DrawingScale inner(200);
      EXPECT_EQ(art::DrawingScale::Current(), 200);
    }
    EXPECT_EQ(art::DrawingScale::Current(), 150);
    // A picture drawn by name takes its own scale and leaves this one.
    EXPECT_TRUE(art::DrawPicture("stop-button", 125) == ReadFile(kArt / "stop-button-125.bmp"));
    EXPECT_EQ(art::DrawingScale::Current(), 150);
  }
  EXPECT_EQ(art::DrawingScale::Current(), 100);
}

// The packed file of each picture unpacks to its file at the design's scale.
TEST(SkinTest, EachPackedPictureUnpacksToItsDesignFile) {
  for (const std::string_view stem : art::PictureStems()) {
    SCOPED_TRACE(std::string(stem));
    const Bytes packed = ReadFile(kArt / art::PackedFileName(stem));
    const Bytes bmp = ReadFile(kArt / art::PictureFileName(stem, 100));
    ASSERT_FALSE(bmp.empty());
    EXPECT_TRUE(art::Unpack(packed) == bmp);
    EXPECT_LT(packed.size() * 3, bmp.size() * 2) << "packed to less than two thirds";
  }
}

// At every scale, each picture is drawn anew at its design size times the
// scale, halves rounded up: 276 x 196 becomes 345 x 245, 414 x 294, 483 x 343
// and 552 x 392.
TEST(SkinTest, PicturesAreUncompressedBottomUpBitmapsOfTheirSizes) {
  for (const int percent : art::kScales) {
    for (const PictureCase& design : kPictures) {
      PictureCase c = design;
      c.width = (design.width * percent + 50) / 100;
      c.height = (design.height * percent + 50) / 100;
      const std::string file = AtScale(design.file, percent);
      SCOPED_TRACE(file);
      const Bytes b = ReadFile(kArt / file);
      ASSERT_GE(b.size(), 54u);
      const std::size_t paletteSize = c.bitsPerPixel == 4 ? 16 * 4 : 0;
      const std::size_t stride = (static_cast<std::size_t>(c.width * c.bitsPerPixel) + 31) / 32 * 4;
      EXPECT_EQ(b[0], 'B');
      EXPECT_EQ(b[1], 'M');
      EXPECT_EQ(U32(b, 2), b.size());
      EXPECT_EQ(U32(b, 10), 54 + paletteSize);
      EXPECT_EQ(U32(b, 14), 40u);
      EXPECT_EQ(S32(b, 18), c.width);
      EXPECT_EQ(S32(b, 22), c.height);  // positive: bottom-up
      EXPECT_EQ(U16(b, 26), 1u);
      EXPECT_EQ(static_cast<int>(U16(b, 28)), c.bitsPerPixel);
      EXPECT_EQ(U32(b, 30), 0u);  // BI_RGB
      const std::uint32_t used = U32(b, 46);
      if (c.bitsPerPixel == 24) {
        EXPECT_EQ(used, 0u);
      } else {
        EXPECT_TRUE(used == 0 || used == 16) << used;
      }
      EXPECT_EQ(b.size(), 54 + paletteSize + stride * static_cast<std::size_t>(c.height));
    }
  }
}

TEST(SkinTest, RandomSwitchStartsOnItsOnFace) {
  EXPECT_TRUE(Load("random-switch.bmp").pixels == Load("random-on.bmp").pixels);
}

TEST(SkinTest, SequenceSwitchStartsOnAnOffFaceOfItsOwn) {
  const Bmp sequenceSwitch = Load("sequence-switch.bmp");
  EXPECT_FALSE(sequenceSwitch.pixels == Load("sequence-off.bmp").pixels);
  EXPECT_EQ(std::count_if(sequenceSwitch.pixels.begin(), sequenceSwitch.pixels.end(), IsGreen), 0);
}

struct FaceCase {
  std::string file;
  bool on;
};

TEST(SkinTest, OnFacesShowGreenAndOffFacesRed) {
  const std::vector<FaceCase> cases = {{"random-on.bmp", true},
                                       {"sequence-on.bmp", true},
                                       {"random-off.bmp", false},
                                       {"sequence-off.bmp", false}};
  for (const FaceCase& c : cases) {
    SCOPED_TRACE(c.file);
    const Bmp face = Load(c.file);
    const auto green = std::count_if(face.pixels.begin(), face.pixels.end(), IsGreen);
    const auto red = std::count_if(face.pixels.begin(), face.pixels.end(), IsRed);
    if (c.on) {
      EXPECT_GT(green, 0);
    } else {
      EXPECT_EQ(green, 0);
      EXPECT_GT(red, 0);
    }
  }
}

TEST(SkinTest, TheTwoSwitchesAndTheThreeButtonsLookDifferent) {
  EXPECT_FALSE(Load("random-on.bmp").pixels == Load("sequence-on.bmp").pixels);
  EXPECT_FALSE(Load("random-off.bmp").pixels == Load("sequence-off.bmp").pixels);
  EXPECT_FALSE(Load("help-button.bmp").pixels == Load("minimize-button.bmp").pixels);
  EXPECT_FALSE(Load("help-button.bmp").pixels == Load("exit-button.bmp").pixels);
  EXPECT_FALSE(Load("minimize-button.bmp").pixels == Load("exit-button.bmp").pixels);
}

TEST(SkinTest, DelayDigitsStandOnALightGround) {
  // The delay label is transparent and writes black digits at 213,138 in 31 x 13.
  const Bmp background = Load("background.bmp");
  for (int y = 138; y < 138 + 13; ++y) {
    for (int x = 213; x < 213 + 31; ++x) {
      EXPECT_GT(Luminance(background.At(x, y)), 150) << x << "," << y;
    }
  }
}

TEST(SkinTest, AboutPanelsFirstColumnClosesTheNarrowWindow) {
  // At width 276 the window's last column is the about panel's first.
  const Bmp aboutPanel = Load("about-panel.bmp");
  const Bmp background = Load("background.bmp");
  for (int y = 0; y < 196; ++y) {
    EXPECT_LT(Luminance(aboutPanel.At(0, y)), 24) << y;
    EXPECT_EQ(aboutPanel.At(0, y), background.At(0, y)) << y;  // the same outline as the left edge
  }
}

TEST(SkinTest, GlyphsHaveASeeThroughBackgroundInTheirBottomLeftColour) {
  for (const PictureCase& c : kPictures) {
    if (c.bitsPerPixel != 4) continue;
    SCOPED_TRACE(c.file);
    const Bmp glyph = Load(c.file);
    const int key = glyph.IndexAt(0, glyph.height - 1);
    const auto clear = std::count(glyph.indices.begin(), glyph.indices.end(), key);
    const auto total = static_cast<long>(glyph.indices.size());
    EXPECT_GT(clear * 16, total) << "too little background";
    EXPECT_GT((total - clear) * 4, total) << "too little drawn";
    EXPECT_NE(glyph.palette.at(static_cast<std::size_t>(key)), (Rgb{0, 0, 0})) << "outlines would vanish";
  }
}

TEST(SkinTest, IconIsOne32By32ImageOf256Colours) {
  const Bytes b = ReadFile(kArt / test::kSkinIcon.file);
  ASSERT_GE(b.size(), 22u + 40u);
  EXPECT_EQ(U16(b, 0), 0u);
  EXPECT_EQ(U16(b, 2), 1u);  // an icon, not a cursor
  EXPECT_EQ(U16(b, 4), 1u);  // one image
  EXPECT_EQ(b[6], 32);
  EXPECT_EQ(b[7], 32);
  EXPECT_EQ(U16(b, 12), 8u);
  const std::uint32_t size = U32(b, 14), offset = U32(b, 18);
  EXPECT_EQ(offset + size, b.size());
  ASSERT_EQ(offset, 22u);
  EXPECT_EQ(U32(b, 22), 40u);
  EXPECT_EQ(S32(b, 26), 32);
  EXPECT_EQ(S32(b, 30), 64);  // the colour rows and the mask rows
  EXPECT_EQ(U16(b, 36), 8u);
  EXPECT_EQ(U32(b, 38), 0u);
  // 256 palette entries, 32 rows of 32 bytes, then a mask of 32 rows of 4 bytes.
  ASSERT_EQ(b.size(), 22u + 40 + 256 * 4 + 32 * 32 + 32 * 4);
  const std::size_t mask = 22 + 40 + 256 * 4 + 32 * 32;
  int seeThrough = 0;
  for (std::size_t i = mask; i < b.size(); ++i)
    seeThrough += std::popcount(b[i]);
  EXPECT_GT(seeThrough, 0);
  EXPECT_LT(seeThrough, 32 * 32 / 2);
}

// Each picture's name of SkinNames.h is built in from its own packed file,
// the icon at every scale from its own, and skin.rc builds nothing else: a
// name bound to a wrong picture would show it in the window.
TEST(SkinTest, ResourceScriptBuildsEachNameFromItsOwnFile) {
  std::ifstream in(kArt.parent_path() / "skin.rc");
  ASSERT_TRUE(in) << "skin.rc";
  const std::regex entry(R"(^\s*(\w+)\s+(\w+)\s+"([^"]+)\"\s*$)");
  std::map<std::string, std::pair<std::string, std::string>> named;  // name -> type, file
  std::string line;
  while (std::getline(in, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, entry)) continue;
    EXPECT_TRUE(named.emplace(m[1], std::pair{m[2].str(), m[3].str()}).second) << "twice: " << m[1];
  }
  struct Expected {
    std::string name;
    std::string type;
    std::string file;
  };
  std::vector<Expected> expected;
  expected.reserve(skin::kPictureArt.size() + std::size(art::kScales));
  for (const skin::PictureArt& picture : skin::kPictureArt)
    expected.push_back({picture.name, skin::kPackedPictureType, art::PackedFileName(picture.stem)});
  // The icon at every scale: MAINICON_150 from MAINICON-150.ico.
  for (const int percent : art::kScales)
    expected.push_back(
        {skin::ScaledName(test::kSkinIcon.name, percent), "ICON", AtScale(test::kSkinIcon.file, percent)});
  EXPECT_EQ(named.size(), expected.size());
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    const auto it = named.find(e.name);
    ASSERT_NE(it, named.end());
    EXPECT_EQ(it->second.first, e.type);
    EXPECT_EQ(it->second.second, "art/" + e.file);
    EXPECT_TRUE(fs::is_regular_file(kArt / e.file)) << e.file;
  }
}

// The table that binds the names to their art covers every name the program
// loads and every picture the art library draws, each once.
TEST(SkinTest, EveryNameThatIsLoadedHasArtOfItsOwn) {
  std::set<std::string> names, stems;
  for (const skin::PictureArt& picture : skin::kPictureArt) {
    EXPECT_TRUE(names.insert(picture.name).second) << picture.name;
    EXPECT_TRUE(stems.insert(picture.stem).second) << picture.stem;
  }
  std::set<std::string> loaded;
  for (const char* name : skin::kComponentPictures)
    loaded.insert(name);
  for (const char* name : skin::kGlyphs)
    loaded.insert(name);
  EXPECT_EQ(names, loaded);
  EXPECT_EQ(std::size(skin::kComponentPictures) + std::size(skin::kGlyphs), loaded.size()) << "a name twice";
  std::set<std::string> drawn;
  for (const std::string_view stem : art::PictureStems())
    drawn.insert(std::string(stem));
  EXPECT_EQ(stems, drawn);
  std::set<std::string> pictureFiles, stemFiles;
  for (const PictureCase& c : kPictures)
    pictureFiles.insert(c.file);
  for (const std::string& stem : stems)
    stemFiles.insert(art::PictureFileName(stem, 100));
  EXPECT_EQ(stemFiles, pictureFiles);
}

}  // namespace
}  // namespace pix
