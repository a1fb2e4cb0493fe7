#include "app/text.h"

#include <windows.h>

namespace veskaro::app {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring ResString(unsigned id) {
  const wchar_t* text = nullptr;
  // With a zero length LoadStringW hands back a pointer into the resource.
  int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  if (n <= 0 || !text) return {};
  return std::wstring(text, static_cast<size_t>(n));
}

std::wstring WindowText(void* hwnd) {
  HWND h = static_cast<HWND>(hwnd);
  int n = GetWindowTextLengthW(h);
  std::wstring out(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, out.data(), n + 1);
  out.resize(static_cast<size_t>(n > 0 ? n : 0));
  return out;
}

}  // namespace veskaro::app
