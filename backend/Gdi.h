// Drawing helpers: colours, the fonts and brushes the controls ask for, and
// the pictures as device-independent bitmaps, made once and kept.
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "components/Controls.h"
#include "components/Picture.h"
#include "platform/win32/Handles.h"

namespace pix::win32 {

// A component colour as the platform's: system colours resolved.
COLORREF ColorRef(TColor color);

// The header of a 32-bit top-down bitmap of that size, rows of whole pixels.
BITMAPINFO TopDownBitmapInfo32(int width, int height);

// A picture as a 24-bit DIB section.
class PictureBitmap {
 public:
  explicit PictureBitmap(const TPicture& picture);
  HBITMAP get() const { return bitmap_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies the picture opaquely with its top-left corner at (x, y).
  void Draw(HDC dc, int x, int y) const;

 private:
  UniqueBitmap bitmap_;
  int width_, height_;
};

// A picture whose bottom-left pixel's colour is transparent: the list glyphs.
class TransparentGlyph {
 public:
  explicit TransparentGlyph(const TPicture& picture);
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Draw(HDC dc, int x, int y) const;

 private:
  UniqueBitmap image_;  // the transparent pixels black
  UniqueBitmap mask_;   // 1 where transparent
  int width_, height_;
};

// Fonts, brushes and picture bitmaps, each made on first use and kept until
// the backend goes (the controls hold nothing of the platform's).
class GdiCache {
 public:
  HFONT Font(const TFont& font);
  HBRUSH Brush(TColor color);
  const PictureBitmap& Bitmap(const std::shared_ptr<const TPicture>& picture);
  const TransparentGlyph& Glyph(const std::shared_ptr<const TPicture>& picture);

 private:
  std::map<std::tuple<std::string, int>, UniqueFont> fonts_;
  std::map<TColor, UniqueBrush> brushes_;
  // The pictures are kept alive with their bitmaps, so that an address is
  // never reused for another picture.
  struct Bitmaps {
    std::shared_ptr<const TPicture> picture;
    std::unique_ptr<PictureBitmap> opaque;
    std::unique_ptr<TransparentGlyph> glyph;
  };
  std::map<const TPicture*, Bitmaps> bitmaps_;
};

}  // namespace pix::win32
