// Owning wrappers for the handles and shell objects the folder tree holds:
// COM interface pointers, PIDLs, kernel handles, windows, GDI objects and
// menus. Each frees exactly once and cannot be copied.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace veskaro::app::shell {

// Owns one reference to a COM interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-parameters of the T** kind: releases what is held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

  // QueryInterface into another wrapper; empty when not supported.
  template <typename U>
  ComPtr<U> As() const {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(__uuidof(U), result.PutVoid());
    return result;
  }

 private:
  T* p_ = nullptr;
};

// Owns memory from the shell's task allocator: PIDLs and the strings that
// StrRetToStrW and friends hand out.
template <typename T>
class CoTaskMem {
 public:
  CoTaskMem() = default;
  explicit CoTaskMem(T* p) : p_(p) {}
  ~CoTaskMem() { Reset(); }
  CoTaskMem(const CoTaskMem&) = delete;
  CoTaskMem& operator=(const CoTaskMem&) = delete;
  CoTaskMem(CoTaskMem&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  CoTaskMem& operator=(CoTaskMem&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Put() {
    Reset();
    return &p_;
  }
  T* Release() { return std::exchange(p_, nullptr); }
  void Reset(T* p = nullptr) {
    if (p_) CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p_)));
    p_ = p;
  }

 private:
  T* p_ = nullptr;
};

using UniqueAbsolutePidl = CoTaskMem<ITEMIDLIST_ABSOLUTE>;
using UniqueChildPidl = CoTaskMem<ITEMID_CHILD>;
using UniqueCoString = CoTaskMem<wchar_t>;

// A handle type with its own close function and invalid value.
template <typename H, auto Close, auto Invalid>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, Invalid());
    }
    return *this;
  }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != Invalid(); }
  H Release() { return std::exchange(h_, Invalid()); }
  void Reset(H h = Invalid()) {
    if (h_ != Invalid()) Close(h_);
    h_ = h;
  }

 private:
  H h_ = Invalid();
};

namespace detail {
inline HANDLE NullHandle() { return nullptr; }
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void CloseChangeNotification(HANDLE h) { FindCloseChangeNotification(h); }
inline HWND NullWindow() { return nullptr; }
inline void DestroyWindowHandle(HWND h) { DestroyWindow(h); }
inline HFONT NullFont() { return nullptr; }
inline void DeleteFont(HFONT h) { DeleteObject(h); }
inline HMENU NullMenu() { return nullptr; }
inline void DestroyMenuHandle(HMENU h) { DestroyMenu(h); }
}  // namespace detail

using UniqueEvent = UniqueHandle<HANDLE, detail::CloseKernelHandle, detail::NullHandle>;
using UniqueChangeNotification =
    UniqueHandle<HANDLE, detail::CloseChangeNotification, detail::InvalidHandle>;
using UniqueWindow = UniqueHandle<HWND, detail::DestroyWindowHandle, detail::NullWindow>;
using UniqueFont = UniqueHandle<HFONT, detail::DeleteFont, detail::NullFont>;
using UniqueMenu = UniqueHandle<HMENU, detail::DestroyMenuHandle, detail::NullMenu>;

// A failed HRESULT as an exception that says which call failed.
inline void ThrowIfFailed(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw std::system_error(static_cast<int>(hr), std::system_category(), what);
}

inline std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

inline std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace veskaro::app::shell
