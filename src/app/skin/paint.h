// Small GDI drawing helpers shared by the skinned parts.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace veskaro::app::skin {

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB);
void FillColor(HDC dc, const RECT& r, COLORREF color);
void FrameColor(HDC dc, const RECT& r, COLORREF color);
void VerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom);
// A rounded rectangle filled with a vertical gradient and framed.
void RoundedBox(HDC dc, const RECT& r, int radius, COLORREF top, COLORREF bottom, COLORREF frame);
void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color);
// Character height in pixels (negative lfHeight), as the layout gives it.
win32::UniqueFont MakeFont(const wchar_t* face, int charHeight, bool bold = false, bool underline = false);

// An off-screen bitmap the size of a rectangle, copied to the target on
// destruction: painting without flicker.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, int width, int height)
      : target_(target), width_(width), height_(height),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, width, height)),
        select_(dc_.get(), bitmap_.get()) {}
  ~BufferedPaint() { BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY); }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  HDC target_;
  int width_, height_;
  win32::UniqueMemoryDc dc_;
  win32::UniqueBitmap bitmap_;
  win32::SelectScope select_;
};

}  // namespace veskaro::app::skin
