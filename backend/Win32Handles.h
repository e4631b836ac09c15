// Owners for the handles of the window layer: windows, GDI objects, device
// contexts and selections. Each one gives its handle back exactly once.
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace pix::win32 {

// Throws for a failed Win32 call, with its error code.
[[noreturn]] inline void ThrowLastError(const char* what) {
  throw std::runtime_error(std::string(what) + " failed (error " + std::to_string(::GetLastError()) + ")");
}

struct WindowDeleter {
  using pointer = HWND;
  void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

template <class Handle>
struct GdiDeleter {
  using pointer = Handle;
  void operator()(Handle object) const noexcept { ::DeleteObject(object); }
};
template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiDeleter<Handle>>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueFont = GdiObject<HFONT>;

struct IconDeleter {
  using pointer = HICON;
  void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// A memory DC compatible with another one.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {
    if (!dc_) ThrowLastError("CreateCompatibleDC");
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  ~MemoryDC() { ::DeleteDC(dc_); }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// The DC of a window's client area, for the time of a drawing.
class ClientDC {
 public:
  explicit ClientDC(HWND window) : window_(window), dc_(::GetDC(window)) {
    if (!dc_) ThrowLastError("GetDC");
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  ~ClientDC() { ::ReleaseDC(window_, dc_); }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint to EndPaint.
class PaintSession {
 public:
  explicit PaintSession(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  ~PaintSession() { ::EndPaint(window_, &paint_); }
  HDC get() const { return dc_; }
  const RECT& Area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a DC until the end of the scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A DC's state (clipping, colours, modes) put back at the end of the scope.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;
  ~SavedDC() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace pix::win32
