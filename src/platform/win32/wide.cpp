#include "platform/win32/wide.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace veskaro::win32 {

namespace {

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error("text too long to convert");
  }
  return static_cast<int>(size);
}

}  // namespace

std::wstring ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int inputLength = CheckedLength(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputLength, nullptr, 0);
  if (length <= 0) throw std::runtime_error("cannot convert UTF-8 text");
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputLength, wide.data(), length);
  return wide;
}

std::string ToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int inputLength = CheckedLength(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), inputLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) throw std::runtime_error("cannot convert UTF-16 text");
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), inputLength, utf8.data(), length, nullptr,
                      nullptr);
  return utf8;
}

}  // namespace veskaro::win32
