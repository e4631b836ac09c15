#include "backend/Gdi.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "art/Artwork.h"
#include "skin/SkinNames.h"

namespace pix::win32 {

namespace {

constexpr TColor kSystemColour = 0x80000000;

// A 32-bit top-down DIB section, to be filled by the caller.
UniqueBitmap CreateDib32(int width, int height, std::uint32_t*& bits) {
  const BITMAPINFO info = TopDownBitmapInfo32(width, height);
  void* memory = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
  if (!bitmap || !memory) ThrowLastError("CreateDIBSection");
  bits = static_cast<std::uint32_t*>(memory);
  return bitmap;
}

void Blit(HDC dc, int x, int y, int width, int height, HBITMAP source, DWORD operation) {
  MemoryDC memory(dc);
  Selection selected(memory.get(), source);
  ::BitBlt(dc, x, y, width, height, memory.get(), 0, 0, operation);
}

}  // namespace

BITMAPINFO TopDownBitmapInfo32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

int DisplayScale::Design(int px) const {
  int v = ::MulDiv(px, kDesignDpi, dpi_);
  while (Px(v) > px)
    --v;
  while (Px(v + 1) <= px)
    ++v;
  return v;
}

int DisplayScale::ArtPercent() const {
  const int wanted = ::MulDiv(dpi_, 100, kDesignDpi);
  int best = art::kScales[0];
  for (const int percent : art::kScales)
    if (std::abs(percent - wanted) < std::abs(best - wanted)) best = percent;
  return best;
}

namespace {
// GetDpiForSystem and GetDpiForWindow, where user32 has them (Windows 10).
template <class Function>
Function User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleA("user32.dll");
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                : nullptr;
}
}  // namespace

int SystemDpi() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  if (const auto getDpi = User32Function<GetDpiForSystemFunction>("GetDpiForSystem")) {
    if (const UINT dpi = getDpi(); dpi > 0) return static_cast<int>(dpi);
  }
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : DisplayScale::kDesignDpi;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : DisplayScale::kDesignDpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  if (const auto getDpi = User32Function<GetDpiForWindowFunction>("GetDpiForWindow")) {
    if (const UINT dpi = getDpi(window); dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

COLORREF ColorRef(TColor color) {
  if (color & kSystemColour) return ::GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

PictureBitmap::PictureBitmap(const TPicture& picture) : width_(picture.width), height_(picture.height) {
  std::uint32_t* bits = nullptr;
  bitmap_ = CreateDib32(width_, height_, bits);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
          picture.PixelRgb(x, y);
  ::GdiFlush();
}

PictureBitmap::PictureBitmap(const TPicture& picture, int width, int height)
    : width_(width), height_(height) {
  const PictureBitmap source(picture);
  std::uint32_t* bits = nullptr;
  bitmap_ = CreateDib32(width_, height_, bits);
  MemoryDC from(nullptr), to(nullptr);
  Selection fromSelected(from.get(), source.get()), toSelected(to.get(), bitmap_.get());
  ::SetStretchBltMode(to.get(), HALFTONE);
  ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
  ::StretchBlt(to.get(), 0, 0, width_, height_, from.get(), 0, 0, source.Width(), source.Height(), SRCCOPY);
  ::GdiFlush();
}

void PictureBitmap::Draw(HDC dc, int x, int y) const {
  Blit(dc, x, y, width_, height_, bitmap_.get(), SRCCOPY);
}

TransparentGlyph::TransparentGlyph(const TPicture& picture) : width_(picture.width), height_(picture.height) {
  std::uint32_t* bits = nullptr;
  image_ = CreateDib32(width_, height_, bits);
  const std::uint32_t transparent = picture.PixelRgb(0, height_ - 1);
  // Monochrome rows are word-aligned; a set bit is the transparent colour.
  const int maskStride = ((width_ + 15) / 16) * 2;
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskStride) * static_cast<std::size_t>(height_), 0);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t rgb = picture.PixelRgb(x, y);
      const bool clear = rgb == transparent;
      bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
          clear ? 0 : rgb;
      if (clear)
        mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(maskStride) +
             static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  ::GdiFlush();
  mask_.reset(::CreateBitmap(width_, height_, 1, 1, mask.data()));
  if (!mask_) ThrowLastError("CreateBitmap");
}

void TransparentGlyph::Draw(HDC dc, int x, int y) const {
  // Black out the glyph's own pixels, then paint them in; the transparent
  // ones stay as the background was.
  const COLORREF text = ::SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = ::SetBkColor(dc, RGB(255, 255, 255));
  Blit(dc, x, y, width_, height_, mask_.get(), SRCAND);
  ::SetTextColor(dc, text);
  ::SetBkColor(dc, back);
  Blit(dc, x, y, width_, height_, image_.get(), SRCPAINT);
}

HFONT GdiCache::Font(const TFont& font) {
  // Negative heights are character heights, positive ones cell heights:
  // either scales with the display.
  const int height = scale_.Px(font.height);
  const auto key = std::make_tuple(font.name, height);
  auto found = fonts_.find(key);
  if (found == fonts_.end()) {
    // Unsmoothed, as the small bitmap face the window's font names; where
    // that face is missing, the nearest sans-serif of the height stands in.
    UniqueFont created(::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
    if (!created) ThrowLastError("CreateFont");
    found = fonts_.emplace(key, std::move(created)).first;
  }
  return found->second.get();
}

HBRUSH GdiCache::Brush(TColor color) {
  auto found = brushes_.find(color);
  if (found == brushes_.end()) {
    UniqueBrush created(::CreateSolidBrush(ColorRef(color)));
    if (!created) ThrowLastError("CreateSolidBrush");
    found = brushes_.emplace(color, std::move(created)).first;
  }
  return found->second.get();
}

std::shared_ptr<const TPicture> GdiCache::ScaledArt(const std::shared_ptr<const TPicture>& picture) {
  const int percent = scale_.ArtPercent();
  if (percent == 100 || !pictures_ || picture->name.empty()) return picture;
  return pictures_->Load(skin::ScaledName(picture->name, percent));
}

const PictureBitmap& GdiCache::Bitmap(const std::shared_ptr<const TPicture>& picture) {
  Bitmaps& entry = bitmaps_[{picture.get(), scale_.Dpi()}];
  if (!entry.opaque) {
    entry.picture = picture;
    const auto art = ScaledArt(picture);
    const int width = scale_.Px(picture->width), height = scale_.Px(picture->height);
    entry.opaque = art->width == width && art->height == height
                       ? std::make_unique<PictureBitmap>(*art)
                       : std::make_unique<PictureBitmap>(*art, width, height);
  }
  return *entry.opaque;
}

const TransparentGlyph& GdiCache::Glyph(const std::shared_ptr<const TPicture>& picture) {
  Bitmaps& entry = bitmaps_[{picture.get(), scale_.Dpi()}];
  if (!entry.glyph) {
    entry.picture = picture;
    // The nearest art as drawn: a glyph's see-through colour takes no filter.
    entry.glyph = std::make_unique<TransparentGlyph>(*ScaledArt(picture));
  }
  return *entry.glyph;
}

}  // namespace pix::win32
