// The art library as the program runs it, on Windows: every picture
// drawn at every scale is its committed file byte for byte, so the doubles
// of the drawing round here as where the files were drawn.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "art/Artwork.h"

namespace {

pix::art::Bytes ArtFile(const std::string& name) {
  std::ifstream in(std::string(PIX_SKIN_ART_PATH) + "\\" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ArtDrawing, EveryPictureAtEveryScaleIsItsCommittedFile) {
  for (const int percent : pix::art::kScales) {
    for (const std::string_view stem : pix::art::PictureStems()) {
      const std::string file = pix::art::PictureFileName(stem, percent);
      SCOPED_TRACE(file);
      const pix::art::Bytes committed = ArtFile(file);
      ASSERT_FALSE(committed.empty());
      EXPECT_TRUE(pix::art::DrawPicture(stem, percent) == committed);
    }
  }
}

}  // namespace
