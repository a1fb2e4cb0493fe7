// Owning wrappers for the Win32 handles the program creates, in the spirit of
// WIL's unique_any: one template, one closer per handle kind, no copies.
#pragma once

#include <windows.h>

#include <utility>

namespace veskaro::app {

template <class T, auto Close, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Invalid));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const { return h_; }
  explicit operator bool() const { return h_ != Invalid; }
  T release() { return std::exchange(h_, Invalid); }
  void reset(T h = Invalid) {
    if (h_ != Invalid) Close(h_);
    h_ = h;
  }

 private:
  T h_ = Invalid;
};

inline void CloseGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void CloseWindowHandle(HWND h) { DestroyWindow(h); }
inline void CloseIconHandle(HICON h) { DestroyIcon(h); }
inline void CloseMenuHandle(HMENU h) { DestroyMenu(h); }
inline void CloseDcHandle(HDC h) { DeleteDC(h); }

using UniqueFont = UniqueHandle<HFONT, CloseGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, CloseGdiObject>;
using UniquePen = UniqueHandle<HPEN, CloseGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, CloseGdiObject>;
using UniqueRegion = UniqueHandle<HRGN, CloseGdiObject>;
using UniqueWindow = UniqueHandle<HWND, CloseWindowHandle>;
using UniqueIcon = UniqueHandle<HICON, CloseIconHandle>;
using UniqueMenu = UniqueHandle<HMENU, CloseMenuHandle>;
using UniqueMemoryDc = UniqueHandle<HDC, CloseDcHandle>;

// A kernel handle; both null and INVALID_HANDLE_VALUE mean "none".
class UniqueKernelHandle {
 public:
  explicit UniqueKernelHandle(HANDLE h) : h_(h) {}
  ~UniqueKernelHandle() {
    if (valid()) CloseHandle(h_);
  }
  UniqueKernelHandle(const UniqueKernelHandle&) = delete;
  UniqueKernelHandle& operator=(const UniqueKernelHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& rect() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// GetWindowDC/GetDC with ReleaseDC.
class WindowDc {
 public:
  WindowDc(HWND hwnd, bool wholeWindow) : hwnd_(hwnd), dc_(wholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// SelectObject that puts the old object back.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectScope() { SelectObject(dc_, old_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// An off-screen bitmap the size of a rectangle, copied to the target on
// destruction: painting without flicker.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, int width, int height)
      : target_(target), width_(width), height_(height),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, width, height)),
        select_(dc_.get(), bitmap_.get()) {}
  ~BufferedPaint() { BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY); }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  HDC target_;
  int width_, height_;
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  SelectScope select_;
};

}  // namespace veskaro::app
