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

// The display's scale. The components keep their places and sizes in the
// design's pixels (96 dpi); the windows get them times dpi / 96, halves
// rounded up, so that the window is 414 x 294 at 144 dpi.
class DisplayScale {
 public:
  static constexpr int kDesignDpi = 96;
  int Dpi() const { return dpi_; }
  void SetDpi(int dpi) { dpi_ = dpi > 0 ? dpi : kDesignDpi; }
  bool IsDesign() const { return dpi_ == kDesignDpi; }
  // A design length or coordinate in the device's pixels.
  int Px(int v) const { return ::MulDiv(v, dpi_, kDesignDpi); }
  RECT Px(const RECT& r) const { return RECT{Px(r.left), Px(r.top), Px(r.right), Px(r.bottom)}; }
  // The design coordinate whose pixels hold device coordinate `px`.
  int Design(int px) const;
  // The scale of the art drawn nearest to this one, in percent (100 to 200).
  int ArtPercent() const;

 private:
  int dpi_ = kDesignDpi;
};

// The dpi the program's windows start with: the system's (the primary
// display's), as the platform reports it to a program that scales itself.
int SystemDpi();
// The dpi of the display a window stands on, where the platform knows it
// per display; else the system's.
int WindowDpi(HWND window);

// A component colour as the platform's: system colours resolved.
COLORREF ColorRef(TColor color);

// The header of a 32-bit top-down bitmap of that size, rows of whole pixels.
BITMAPINFO TopDownBitmapInfo32(int width, int height);

// A picture as a 24-bit DIB section.
class PictureBitmap {
 public:
  explicit PictureBitmap(const TPicture& picture);
  // The picture brought to a size with a smooth filter.
  PictureBitmap(const TPicture& picture, int width, int height);
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
// the backend goes (the controls hold nothing of the platform's). Fonts and
// pictures come at the display's scale: a picture's art drawn at the nearest
// scale (its resource name with "_" and the percent, BACKGROUND_150), brought
// to the exact size with a smooth filter where no art was drawn for it.
class GdiCache {
 public:
  explicit GdiCache(PictureSource* pictures = nullptr) : pictures_(pictures) {}
  void SetPictures(PictureSource* pictures) { pictures_ = pictures; }
  DisplayScale& Scale() { return scale_; }
  const DisplayScale& Scale() const { return scale_; }

  HFONT Font(const TFont& font);
  HBRUSH Brush(TColor color);
  const PictureBitmap& Bitmap(const std::shared_ptr<const TPicture>& picture);
  const TransparentGlyph& Glyph(const std::shared_ptr<const TPicture>& picture);

 private:
  // The art of a picture at the scale's nearest percent.
  std::shared_ptr<const TPicture> ScaledArt(const std::shared_ptr<const TPicture>& picture);

  PictureSource* pictures_;  // not owned
  DisplayScale scale_;
  std::map<std::tuple<std::string, int>, UniqueFont> fonts_;
  std::map<TColor, UniqueBrush> brushes_;
  // The pictures are kept alive with their bitmaps, so that an address is
  // never reused for another picture.
  struct Bitmaps {
    std::shared_ptr<const TPicture> picture;
    std::unique_ptr<PictureBitmap> opaque;
    std::unique_ptr<TransparentGlyph> glyph;
  };
  std::map<std::pair<const TPicture*, int>, Bitmaps> bitmaps_;  // by picture and dpi
};

}  // namespace pix::win32
