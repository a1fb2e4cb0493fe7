// Owning wrappers for every handle kind the program holds, in the spirit of
// WIL's unique_any: one template, one closer per kind; each frees exactly
// once and none can be copied. Also the scoped pairs of the GDI
// (SelectObject, BeginPaint/EndPaint, GetDC/ReleaseDC).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

#include <type_traits>
#include <utility>

namespace veskaro::win32 {

// A handle of type T closed by Close; Invalid means "no handle".
template <typename T, auto Close, auto Invalid = nullptr>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T h) : h_(h) {}
  UniqueAny(UniqueAny&& other) noexcept : h_(std::exchange(other.h_, none())) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, none()));
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  T get() const { return h_; }
  explicit operator bool() const { return h_ != none(); }
  // For out-parameters of the T* kind: closes what is held first.
  T* put() {
    reset();
    return &h_;
  }
  T release() { return std::exchange(h_, none()); }
  void reset(T h = none()) {
    if (h_ != none()) Close(h_);
    h_ = h;
  }

 private:
  // A C-style cast: INVALID_HANDLE_VALUE is an integer cast to a pointer.
  static T none() { return (T)(Invalid); }
  T h_ = none();
};

namespace detail {
inline void CloseGdiObject(HGDIOBJ h) { DeleteObject(h); }
// A child window is already gone when its parent was destroyed first.
inline void CloseWindow(HWND h) {
  if (IsWindow(h)) DestroyWindow(h);
}
inline void CloseIcon(HICON h) { DestroyIcon(h); }
inline void CloseMenu(HMENU h) { DestroyMenu(h); }
inline void CloseMemoryDc(HDC h) { DeleteDC(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
inline void CloseEnhMetaFile(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void CloseChangeNotification(HANDLE h) { FindCloseChangeNotification(h); }
constexpr LONG_PTR kInvalidHandle = -1;  // INVALID_HANDLE_VALUE as a template argument
}  // namespace detail

using UniqueFont = UniqueAny<HFONT, detail::CloseGdiObject>;
using UniqueBrush = UniqueAny<HBRUSH, detail::CloseGdiObject>;
using UniquePen = UniqueAny<HPEN, detail::CloseGdiObject>;
using UniqueBitmap = UniqueAny<HBITMAP, detail::CloseGdiObject>;
using UniqueRegion = UniqueAny<HRGN, detail::CloseGdiObject>;
using UniqueWindow = UniqueAny<HWND, detail::CloseWindow>;
using UniqueIcon = UniqueAny<HICON, detail::CloseIcon>;
using UniqueMenu = UniqueAny<HMENU, detail::CloseMenu>;
using UniqueMemoryDc = UniqueAny<HDC, detail::CloseMemoryDc>;
using UniqueModule = UniqueAny<HMODULE, detail::CloseModule>;
using UniqueEnhMetaFile = UniqueAny<HENHMETAFILE, detail::CloseEnhMetaFile>;
using UniqueFindHandle = UniqueAny<HANDLE, detail::CloseFind, detail::kInvalidHandle>;
using UniqueChangeNotification =
    UniqueAny<HANDLE, detail::CloseChangeNotification, detail::kInvalidHandle>;

// A kernel handle. Both nullptr and INVALID_HANDLE_VALUE mean "no handle":
// CreateFileW reports failure with the one, most other calls with the other.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

  // Closes now and reports whether the close succeeded (it can fail to
  // flush a file).
  bool close() {
    const bool closed = !*this || CloseHandle(handle_) != FALSE;
    handle_ = nullptr;
    return closed;
  }
  void reset(HANDLE handle = nullptr) {
    if (*this) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Memory from the COM task allocator: PIDLs and the strings that
// StrRetToStrW and friends hand out.
template <typename T>
class CoTaskMem {
 public:
  CoTaskMem() = default;
  explicit CoTaskMem(T* p) : p_(p) {}
  ~CoTaskMem() { reset(); }
  CoTaskMem(const CoTaskMem&) = delete;
  CoTaskMem& operator=(const CoTaskMem&) = delete;
  CoTaskMem(CoTaskMem&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  CoTaskMem& operator=(CoTaskMem&& other) noexcept {
    if (this != &other) reset(std::exchange(other.p_, nullptr));
    return *this;
  }

  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  T* release() { return std::exchange(p_, nullptr); }
  void reset(T* p = nullptr) {
    if (p_) CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p_)));
    p_ = p;
  }

 private:
  T* p_ = nullptr;
};

using UniqueAbsolutePidl = CoTaskMem<ITEMIDLIST_ABSOLUTE>;
using UniqueChildPidl = CoTaskMem<ITEMID_CHILD>;
using UniqueCoString = CoTaskMem<wchar_t>;

// One reference to a COM interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  // From a pointer to a derived interface (IWICBitmapScaler to IWICBitmapSource).
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& other) noexcept : p_(other.release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-parameters of the T** kind: releases what is held first.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  T* release() { return std::exchange(p_, nullptr); }

  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

  // QueryInterface into another wrapper; empty when not supported.
  template <typename U>
  ComPtr<U> query() const {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(__uuidof(U), result.put_void());
    return result;
  }

 private:
  T* p_ = nullptr;
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

// GetDC (or GetWindowDC, frame included) with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd, bool wholeWindow = false)
      : hwnd_(hwnd), dc_(wholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
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

}  // namespace veskaro::win32
