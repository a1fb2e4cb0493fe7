#include "app/dialog_support.h"

#include <stdexcept>

namespace veskaro::app {

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
