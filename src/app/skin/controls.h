// The skinned controls. Each is a real child window whose text is its
// caption, so that automation and screen readers find it: push buttons are
// owner-drawn BUTTONs, edits are EDITs with a border in the theme's colour,
// labels are STATICs, separator lines and caption buttons small classes of
// our own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/skin/theme.h"
#include "platform/win32/handles.h"

namespace veskaro::app::skin {

// The theme with the fonts and brushes made from it, for the whole run.
struct Skin {
  explicit Skin(const Theme& t);
  ~Skin();
  Skin(const Skin&) = delete;
  Skin& operator=(const Skin&) = delete;
  Theme theme;
  win32::UniqueFont windowFont;   // MS Sans Serif, 11 px
  win32::UniqueFont headingFont;  // the same, underlined
  win32::UniqueFont linkFont;     // the same, bold and underlined
  win32::UniqueFont titleFont;    // Tahoma, 11 px, bold
  win32::UniqueFont panelFont;    // Tahoma, 11 px
  // Tahoma twins of the three MS Sans Serif fonts, for labels whose text the
  // system's MS Sans Serif draws wider than the layout allows (Wine's
  // stand-in) or cannot draw at all.
  win32::UniqueFont windowFallback;
  win32::UniqueFont headingFallback;
  win32::UniqueFont linkFallback;
  // The twin of one of the fonts above; nullptr for the others.
  HFONT FallbackFor(HFONT font) const;
  // The font for a label of the layout: `font` when it draws `text` within
  // `width`, else its Tahoma twin, else that twin narrowed until it does.
  HFONT LabelFont(HFONT font, const std::wstring& text, int width);
  std::vector<win32::UniqueFont> narrowedFonts;  // made by LabelFont
  win32::UniqueBrush faceBrush;
  win32::UniqueBrush whiteBrush;
};

// Registers the window classes of this file once per process.
void RegisterControlClasses(HINSTANCE instance);

HWND CreateChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, HWND parent, int id,
                 int x, int y, int w, int h, HFONT font);

HWND CreateSkinButton(HWND parent, int id, const std::wstring& text, int x, int y, int w, int h, const Skin& skin);
// WM_DRAWITEM of a skinned button, sent to its parent.
void DrawSkinButton(const DRAWITEMSTRUCT& item, const Skin& skin);

HWND CreateSkinEdit(HWND parent, int id, int x, int y, int w, int h, const Skin& skin);

// A label that keeps the clicks that land on it (SS_NOTIFY), sized to its
// text. With a skin, a font that draws the text wider than `room` (the free
// space to the label's right; the layout's width `w` when 0), or lacks some
// of its characters, gives way to skin->LabelFont's choice.
HWND CreateLabel(HWND parent, int id, const std::wstring& text, int x, int y, int w, int h, HFONT font,
                 Skin* skin = nullptr, int room = 0);

// Whether `font` draws all of `text`, no wider than `width` pixels.
bool FontFitsText(HFONT font, const std::wstring& text, int width);

// Sizes a label to its text, as the layout's labels do.
void FitLabelToText(HWND label);

// A one-pixel separator line.
HWND CreateBevel(HWND parent, int x, int y, int w, int h);

// A 19 x 19 (or smaller) button of the title bar or the side panel: normal,
// hover and pressed looks, no focus; WM_COMMAND/BN_CLICKED to the parent.
enum class Glyph { AppIcon, Minimize, Close, Pin };
HWND CreateCaptionButton(HWND parent, int id, const std::wstring& text, Glyph glyph, int x, int y, int w, int h);
// The pin's toggle state.
void SetCaptionButtonChecked(HWND button, bool checked);
bool CaptionButtonChecked(HWND button);

// Hover state kept for owner-drawn controls (buttons, the mail link).
bool IsHot(HWND hwnd);
// Tracks hover for a control and repaints it on entering and leaving.
void TrackHover(HWND hwnd);

}  // namespace veskaro::app::skin
