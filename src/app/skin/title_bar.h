// The skinned frame's custom title bar: a child window across the top of the
// main window, 29 pixels high, with the application icon as window-menu
// button, the caption, and the minimise and close buttons.
#pragma once

#include <windows.h>

#include <string>

#include "app/skin/controls.h"

namespace veskaro::app::skin {

class TitleBar {
 public:
  static constexpr int Height = 29;
  static constexpr int ButtonSize = 19;

  TitleBar(HWND frame, const std::wstring& caption, const Skin& skin);
  TitleBar(const TitleBar&) = delete;
  TitleBar& operator=(const TitleBar&) = delete;

  HWND hwnd() const { return hwnd_; }
  void SetActive(bool active);

  static void Register(HINSTANCE instance);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnPaint(HDC dc);
  void OnCommand(int id);
  void OnLButtonDown(POINT p);
  void ShowWindowMenu();

  HWND frame_;
  HWND hwnd_ = nullptr;
  HWND closeButton_ = nullptr;
  HWND minButton_ = nullptr;
  const Skin& skin_;
  bool active_ = true;
};

// The frame's shape: the two top corners rounded by the theme, the bottom
// ones square. Null for square corners.
HRGN CreateFrameRegion(int width, int height, int rounding);
// The frame's face and border over the whole rectangle.
void PaintFrame(HDC dc, int width, int height, const Theme& theme);

}  // namespace veskaro::app::skin
