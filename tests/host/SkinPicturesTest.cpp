#include "components/SkinPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "art/Artwork.h"
#include "art/Packing.h"
#include "settings/Errors.h"
#include "skin/SkinNames.h"

namespace pix {
namespace {

const std::filesystem::path kArt = PIX_SKIN_ART_DIR;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The packed pictures as skin.rc builds them in, by name, and the names
// asked for.
class PackedPictures {
 public:
  PackedPictures() {
    for (const skin::PictureArt& picture : skin::kPictureArt)
      bytes_[picture.name] = ReadFile(kArt / art::PackedFileName(picture.stem));
  }
  PackedPictureFinder Finder() {
    return [this](const char* name) -> std::optional<std::string_view> {
      asked.emplace_back(name);
      const auto found = bytes_.find(name);
      if (found == bytes_.end()) return std::nullopt;
      return found->second;
    };
  }
  std::string& Of(const char* name) { return bytes_.at(name); }

  std::vector<std::string> asked;

 private:
  std::map<std::string, std::string> bytes_;
};

std::shared_ptr<const TPicture> Committed(const skin::PictureArt& picture, int percent) {
  return ReadBitmap(picture.name, ReadFile(kArt / art::PictureFileName(picture.stem, percent)));
}

void ExpectSamePicture(const TPicture& loaded, const TPicture& expected) {
  EXPECT_EQ(loaded.width, expected.width);
  EXPECT_EQ(loaded.height, expected.height);
  EXPECT_TRUE(loaded.pixels == expected.pixels);
}

TEST(SkinPicturesTest, TheDesignsPicturesComeFromTheirPackedFiles) {
  PackedPictures packed;
  for (const skin::PictureArt& picture : skin::kPictureArt) {
    SCOPED_TRACE(picture.name);
    packed.asked.clear();
    const auto loaded = LoadSkinPicture(picture.name, packed.Finder());
    EXPECT_EQ(loaded->name, picture.name);
    ExpectSamePicture(*loaded, *Committed(picture, 100));
    EXPECT_EQ(packed.asked, std::vector<std::string>{picture.name});
  }
}

// BACKGROUND_150 is drawn, as background-150.bmp is; nothing packed is read.
TEST(SkinPicturesTest, ThePicturesAtTheOtherScalesAreDrawn) {
  PackedPictures packed;
  for (const int percent : art::kScales) {
    if (percent == 100) continue;
    for (const skin::PictureArt& picture : skin::kPictureArt) {
      const std::string name = skin::ScaledName(picture.name, percent);
      SCOPED_TRACE(name);
      const auto loaded = LoadSkinPicture(name, packed.Finder());
      EXPECT_EQ(loaded->name, name);
      ExpectSamePicture(*loaded, *Committed(picture, percent));
    }
  }
  EXPECT_TRUE(packed.asked.empty());
}

TEST(SkinPicturesTest, NamesIgnoreLetterCase) {
  PackedPictures packed;
  ExpectSamePicture(*LoadSkinPicture("Background", packed.Finder()), *Committed(skin::kPictureArt[0], 100));
  EXPECT_EQ(packed.asked, std::vector<std::string>{skin::kBackground});
  ExpectSamePicture(*LoadSkinPicture("stop_button_125", packed.Finder()),
                    *Committed(skin::kPictureArt[5], 125));
}

TEST(SkinPicturesTest, ANameWithoutArtIsNotFound) {
  PackedPictures packed;
  for (const std::string name : {"NOPE", "MAINICON", "MAINICON_150", "BACKGROUND_100", "BACKGROUND_110",
                                 "BACKGROUND_", "BACKGROUND150", "_150", ""}) {
    SCOPED_TRACE(name);
    try {
      LoadSkinPicture(name, packed.Finder());
      ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Resource " + name + " not found");
    }
  }
}

TEST(SkinPicturesTest, AMissingPackedPictureIsNotFound) {
  const PackedPictureFinder none = [](const char*) { return std::nullopt; };
  try {
    LoadSkinPicture(skin::kAboutPanel, none);
    ADD_FAILURE() << "loaded";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), std::string("Resource ") + skin::kAboutPanel + " not found");
  }
}

TEST(SkinPicturesTest, ADamagedPackedPictureIsTheProgramsException) {
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  };
  const std::vector<Case> cases = {
      {"cut short", [](std::string& b) { b.resize(b.size() / 2); }},
      {"a turned bit", [](std::string& b) { b[b.size() / 3] = static_cast<char>(b[b.size() / 3] ^ 0x10); }},
      {"empty", [](std::string& b) { b.clear(); }},
      {"a bitmap of another form packed",
       [](std::string& b) {
         const std::string text = "not a bitmap at all";
         const auto packed = art::Pack(std::vector<std::uint8_t>(text.begin(), text.end()));
         b.assign(packed.begin(), packed.end());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackedPictures packed;
    c.damage(packed.Of(skin::kBackground));
    try {
      LoadSkinPicture(skin::kBackground, packed.Finder());
      ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Resource BACKGROUND is damaged");
    }
    // The others load as they did.
    EXPECT_NO_THROW(LoadSkinPicture(skin::kExitButton, packed.Finder()));
  }
}

}  // namespace
}  // namespace pix
