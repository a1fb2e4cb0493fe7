#include "app/skin/theme.h"

#include <charconv>

#include "app/text.h"
#include "platform/win32/handles.h"
#include "veskaro_ids.h"

namespace veskaro::app::skin {

Theme DeepBlueTheme() {
  Theme t{};
  t.face = 15263976;
  t.border = 0;
  t.borderWidth = 1;
  t.rounding = 0;
  t.editBorder = 0;
  t.sideBorder = 0;
  t.sideBar = 15263976;
  t.sideCaptionText = RGB(255, 255, 255);
  t.sideBody = RGB(255, 255, 255);
  t.buttonTop = RGB(252, 252, 252);
  t.buttonBottom = RGB(214, 214, 214);
  t.buttonText = 0;
  t.bevel = RGB(160, 160, 160);
  t.fromFile = false;
  return t;
}

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

long ParseNumber(std::string_view value, long low, long high) {
  long v = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || end != value.data() + value.size() || v < low || v > high)
    throw InvalidThemeError("bad value");
  return v;
}

}  // namespace

Theme ParseTheme(std::string_view text) {
  // A UTF-8 byte-order mark in front of the signature is allowed.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t eol = text.find('\n');
  if (Trim(text.substr(0, eol)) != ThemeSignature) throw InvalidThemeError("no signature");
  Theme t = DeepBlueTheme();
  t.fromFile = true;
  while (eol != std::string_view::npos) {
    text.remove_prefix(eol + 1);
    eol = text.find('\n');
    std::string_view line = Trim(text.substr(0, eol));
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) throw InvalidThemeError("no '='");
    std::string_view key = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    auto color = [&] { return static_cast<COLORREF>(ParseNumber(value, 0, 0xFFFFFF)); };
    if (key == "face") t.face = color();
    else if (key == "border") t.border = color();
    else if (key == "border_width") t.borderWidth = static_cast<int>(ParseNumber(value, 0, 8));
    else if (key == "rounding") t.rounding = static_cast<int>(ParseNumber(value, 0, 64));
    else if (key == "edit_border") t.editBorder = color();
    else if (key == "side_border") t.sideBorder = color();
    else if (key == "side_bar") t.sideBar = color();
    else if (key == "side_caption_text") t.sideCaptionText = color();
    else if (key == "side_body") t.sideBody = color();
    else if (key == "button_top") t.buttonTop = color();
    else if (key == "button_bottom") t.buttonBottom = color();
    else if (key == "button_text") t.buttonText = color();
    else if (key == "bevel") t.bevel = color();
    // Keys of later versions are ignored, so that newer themes still load.
  }
  return t;
}

std::vector<std::wstring> ThemeSearchPaths() {
  std::vector<std::wstring> paths{ThemeInstallPath};
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) {
    std::wstring exe(buf, n);
    paths.push_back(exe.substr(0, exe.find_last_of(L"\\/") + 1) + ThemeFileName);
  }
  UINT w = GetWindowsDirectoryW(buf, MAX_PATH * 2);
  if (w > 0 && w < MAX_PATH * 2) paths.push_back(std::wstring(buf, w) + L"\\" + ThemeFileName);
  UINT s = GetSystemDirectoryW(buf, MAX_PATH * 2);
  if (s > 0 && s < MAX_PATH * 2) paths.push_back(std::wstring(buf, s) + L"\\" + ThemeFileName);
  return paths;
}

Theme LoadStartupTheme() {
  for (const std::wstring& path : ThemeSearchPaths()) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) continue;
    win32::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text;
    if (file) {
      char chunk[4096];
      DWORD got = 0;
      while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0 && text.size() < (1u << 20))
        text.append(chunk, got);
    }
    try {
      return ParseTheme(text);
    } catch (const InvalidThemeError&) {
      throw InvalidThemeError(Narrow(ResString(IDS_INVALID_SKIN)));
    }
  }
  return DeepBlueTheme();
}

}  // namespace veskaro::app::skin
