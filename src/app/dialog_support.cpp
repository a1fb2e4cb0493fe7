#include "app/dialog_support.h"

#include <stdexcept>

namespace veskaro::app {

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

HINSTANCE ResourceModule() { return GetModuleHandleW(nullptr); }

std::wstring LoadResourceString(UINT id) {
  // With a zero length LoadStringW hands out a pointer into the resource
  // itself, which is not NUL-terminated but has its length returned.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr)
    throw std::runtime_error("String resource " + std::to_string(id) + " is missing");
  return std::wstring(text, static_cast<size_t>(length));
}

}  // namespace veskaro::app
