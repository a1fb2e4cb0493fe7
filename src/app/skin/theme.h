// The skin's colours: loaded once at start-up from the theme file "msn.sui",
// or the built-in DeepBlue values when no such file is found.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace veskaro::app::skin {

struct Theme {
  COLORREF face;
  COLORREF border;
  int borderWidth;
  int rounding;  // width and height of the top corners' ellipse; 0: square
  COLORREF editBorder;
  COLORREF sideBorder;
  COLORREF sideBar;
  COLORREF sideCaptionText;
  COLORREF sideBody;
  COLORREF buttonTop;     // skinned buttons: gradient from top ...
  COLORREF buttonBottom;  // ... to bottom
  COLORREF buttonText;
  COLORREF bevel;
  bool fromFile;
};

// The built-in style.
Theme DeepBlueTheme();

// A theme file without our signature or with a value we cannot read.
class InvalidThemeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The first line of every theme file of ours.
inline constexpr std::string_view ThemeSignature = "VESKARO-SKIN 1";
inline constexpr wchar_t ThemeFileName[] = L"msn.sui";
// Where an installation keeps its theme; tried before the program's folder.
inline constexpr wchar_t ThemeInstallPath[] = L"C:\\Program Files\\Veskaro\\Skins\\msn.sui";

// Reads a theme file's text over the built-in style; throws InvalidThemeError.
Theme ParseTheme(std::string_view text);

// The places in the order they are tried.
std::vector<std::wstring> ThemeSearchPaths();

// Finds and loads the theme; DeepBlue when none exists. Throws
// InvalidThemeError (message "Invalid skin file for SUIPack!").
Theme LoadStartupTheme();

}  // namespace veskaro::app::skin
