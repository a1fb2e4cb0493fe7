// Waiting, text conversion and handle ownership: the small pieces every other
// part of the driver leans on.
#include "driver.h"

#include <thread>

namespace veskaro::e2e {

bool WaitUntil(const std::function<bool()>& condition, Milliseconds timeout, Milliseconds step) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(step);
  }
}

bool HoldsFor(const std::function<bool()>& condition, Milliseconds period, Milliseconds step) {
  const auto deadline = std::chrono::steady_clock::now() + period;
  for (;;) {
    if (!condition()) return false;
    if (std::chrono::steady_clock::now() >= deadline) return true;
    std::this_thread::sleep_for(step);
  }
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string result(std::size_t(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size, nullptr,
                      nullptr);
  return result;
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring result(std::size_t(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), result.data(), size);
  return result;
}

void HandleCloser::operator()(HANDLE handle) const noexcept {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

}  // namespace veskaro::e2e
