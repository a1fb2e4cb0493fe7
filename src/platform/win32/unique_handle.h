// Ownership of a kernel HANDLE: closed exactly once, never copied.
#pragma once

#include <windows.h>

#include <utility>

namespace veskaro::win32 {

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

  // Both nullptr and INVALID_HANDLE_VALUE mean "no handle": CreateFileW
  // reports failure with the one, most other calls with the other.
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

}  // namespace veskaro::win32
