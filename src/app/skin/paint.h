// Small GDI drawing helpers shared by the skinned parts.
#pragma once

#include <windows.h>

#include "app/win_handles.h"

namespace veskaro::app::skin {

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB);
void FillColor(HDC dc, const RECT& r, COLORREF color);
void FrameColor(HDC dc, const RECT& r, COLORREF color);
void VerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom);
// A rounded rectangle filled with a vertical gradient and framed.
void RoundedBox(HDC dc, const RECT& r, int radius, COLORREF top, COLORREF bottom, COLORREF frame);
void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color);
// Character height in pixels (negative lfHeight), as the layout gives it.
UniqueFont MakeFont(const wchar_t* face, int charHeight, bool bold = false, bool underline = false);

}  // namespace veskaro::app::skin
