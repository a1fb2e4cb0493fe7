#include "app/skin/paint.h"

namespace veskaro::app::skin {

COLORREF Mix(COLORREF a, COLORREF b, int p) {
  auto ch = [p](int x, int y) { return static_cast<BYTE>((x * (100 - p) + y * p) / 100); };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FrameColor(HDC dc, const RECT& r, COLORREF color) {
  win32::UniqueBrush brush(CreateSolidBrush(color));
  FrameRect(dc, &r, brush.get());
}

void VerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
  TRIVERTEX v[2] = {};
  v[0].x = r.left;
  v[0].y = r.top;
  v[0].Red = static_cast<COLOR16>(GetRValue(top) << 8);
  v[0].Green = static_cast<COLOR16>(GetGValue(top) << 8);
  v[0].Blue = static_cast<COLOR16>(GetBValue(top) << 8);
  v[1].x = r.right;
  v[1].y = r.bottom;
  v[1].Red = static_cast<COLOR16>(GetRValue(bottom) << 8);
  v[1].Green = static_cast<COLOR16>(GetGValue(bottom) << 8);
  v[1].Blue = static_cast<COLOR16>(GetBValue(bottom) << 8);
  GRADIENT_RECT g{0, 1};
  GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

void RoundedBox(HDC dc, const RECT& r, int radius, COLORREF top, COLORREF bottom, COLORREF frame) {
  win32::UniqueRegion region(CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, radius, radius));
  SaveDC(dc);
  SelectClipRgn(dc, region.get());
  VerticalGradient(dc, r, top, bottom);
  RestoreDC(dc, -1);
  win32::UniquePen pen(CreatePen(PS_SOLID, 1, frame));
  win32::SelectScope selPen(dc, pen.get());
  win32::SelectScope selBrush(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color) {
  win32::UniquePen pen(CreatePen(PS_SOLID, 1, color));
  win32::SelectScope sel(dc, pen.get());
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

win32::UniqueFont MakeFont(const wchar_t* face, int charHeight, bool bold, bool underline) {
  LOGFONTW lf{};
  lf.lfHeight = -charHeight;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return win32::UniqueFont(CreateFontIndirectW(&lf));
}

}  // namespace veskaro::app::skin
