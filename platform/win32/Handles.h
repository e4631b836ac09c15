// Owners for the Win32 handles of the OS layer, the window backend and the
// help program: kernel objects and file searches, windows, GDI objects,
// icons, modules, device contexts and what is selected into them. Each one
// gives its handle back exactly once.
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

// A handle that one call closes. The calls that make kernel objects and
// searches give nullptr or INVALID_HANDLE_VALUE for none (which one depends
// on the call); an owner of either holds nothing.
template <class Closer>
class BasicHandle {
 public:
  BasicHandle() noexcept = default;
  explicit BasicHandle(HANDLE handle) noexcept : handle_(handle) {}
  BasicHandle(BasicHandle&& other) noexcept : handle_(other.release()) {}
  BasicHandle& operator=(BasicHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.release();
    }
    return *this;
  }
  BasicHandle(const BasicHandle&) = delete;
  BasicHandle& operator=(const BasicHandle&) = delete;
  ~BasicHandle() { Close(); }

  HANDLE get() const noexcept { return handle_; }
  bool valid() const noexcept { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const noexcept { return valid(); }
  // Gives the handle up without closing it.
  HANDLE release() noexcept { return std::exchange(handle_, nullptr); }

  // Closes the handle now. Gives ERROR_SUCCESS, or the error code of the
  // closing call; the handle is gone either way.
  DWORD Close() noexcept {
    if (!valid()) return ERROR_SUCCESS;
    return Closer::Close(release()) ? ERROR_SUCCESS : ::GetLastError();
  }

 private:
  HANDLE handle_ = nullptr;
};

struct KernelHandleCloser {
  static BOOL Close(HANDLE handle) noexcept { return ::CloseHandle(handle); }
};
// Files, processes, threads, mutexes and the other kernel objects.
using UniqueHandle = BasicHandle<KernelHandleCloser>;

struct FindCloser {
  static BOOL Close(HANDLE handle) noexcept { return ::FindClose(handle); }
};
// A FindFirstFile search.
using UniqueFind = BasicHandle<FindCloser>;

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

// An icon made by CreateIcon* or LoadImage without LR_SHARED.
struct IconDeleter {
  using pointer = HICON;
  void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// A module that LoadLibrary loaded.
struct ModuleDeleter {
  using pointer = HMODULE;
  void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

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

// The DC of a window's client area, or of the screen for nullptr, for the
// time of a drawing or a measurement.
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
