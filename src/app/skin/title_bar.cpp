#include "app/skin/title_bar.h"

#include <windowsx.h>

#include "app/control_ids.h"
#include "app/error_display.h"
#include "app/skin/paint.h"
#include "app/text.h"
#include "veskaro_ids.h"
#include "app/window_object.h"

namespace veskaro::app::skin {

namespace {
constexpr wchar_t kClass[] = L"VeskaroTitleBar";
constexpr int kIconLeft = 3;
constexpr int kCaptionLeft = 21;
constexpr int kRightMargin = 5;
constexpr int kLeftSection = 57;
constexpr int kRightSection = 175;
// The bar's own look does not follow the theme (it is a custom bar).
constexpr COLORREF kBarTop = RGB(246, 249, 255);
constexpr COLORREF kBarMiddle = RGB(214, 227, 248);
constexpr COLORREF kBarBottom = RGB(188, 207, 238);
constexpr COLORREF kBarEdge = RGB(79, 107, 160);
}  // namespace

HRGN CreateFrameRegion(int width, int height, int rounding) {
  if (rounding <= 0) return nullptr;
  HRGN round = CreateRoundRectRgn(0, 0, width + 1, height + 1, rounding, rounding);
  win32::UniqueRegion bottom(CreateRectRgn(0, rounding, width, height));
  CombineRgn(round, round, bottom.get(), RGN_OR);
  return round;
}

void PaintFrame(HDC dc, int width, int height, const Theme& theme) {
  RECT all{0, 0, width, height};
  FillColor(dc, all, theme.face);
  if (theme.borderWidth <= 0) return;
  win32::UniqueBrush border(CreateSolidBrush(theme.border));
  if (win32::UniqueRegion region(CreateFrameRegion(width, height, theme.rounding)); region) {
    FrameRgn(dc, region.get(), border.get(), theme.borderWidth, theme.borderWidth);
  } else {
    for (int i = 0; i < theme.borderWidth; ++i) {
      RECT r{i, i, width - i, height - i};
      FrameRect(dc, &r, border.get());
    }
  }
}

void TitleBar::Register(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.lpfnWndProc = WndProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;  // no CS_DBLCLKS: a double-click is two presses
  RegisterClassExW(&wc);
}

TitleBar::TitleBar(HWND frame, const std::wstring& caption, const Skin& skin) : frame_(frame), skin_(skin) {
  RECT rc;
  GetClientRect(frame, &rc);
  int width = rc.right;
  hwnd_ = CreateWindowExW(0, kClass, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                          0, width, Height, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::TitleBar)),
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) throw std::runtime_error("title bar");
  int top = (Height - ButtonSize) / 2;
  int closeLeft = width - kRightMargin - ButtonSize;
  CreateCaptionButton(hwnd_, ids::suiControlBox, ResString(IDS_BUTTON_MENU), Glyph::AppIcon, kIconLeft - 1,
                      top, ButtonSize, ButtonSize);
  closeButton_ = CreateCaptionButton(hwnd_, ids::suiClose, ResString(IDS_BUTTON_CLOSE), Glyph::Close, closeLeft,
                                     top, ButtonSize, ButtonSize);
  minButton_ = CreateCaptionButton(hwnd_, ids::suiMin, ResString(IDS_BUTTON_MINIMIZE), Glyph::Minimize,
                                   closeLeft - 1 - ButtonSize, top, ButtonSize, ButtonSize);
}

void TitleBar::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK TitleBar::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TitleBar>(hwnd, msg, lp);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->HandleMessage(msg, wp, lp);
}

LRESULT TitleBar::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      win32::PaintScope ps(hwnd_);
      RECT r;
      GetClientRect(hwnd_, &r);
      BufferedPaint buf(ps.dc(), r.right, r.bottom);
      OnPaint(buf.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      OnPaint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_COMMAND:
      Guarded([&] { OnCommand(LOWORD(wp)); });
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_SETTEXT: {
      LRESULT res = DefWindowProcW(hwnd_, msg, wp, lp);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return res;
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void TitleBar::OnPaint(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  int w = r.right;
  // Middle section stretched between the left and right ones.
  RECT upper{0, 0, w, Height / 2};
  RECT lower{0, Height / 2, w, Height};
  VerticalGradient(dc, upper, kBarTop, kBarMiddle);
  VerticalGradient(dc, lower, Mix(kBarMiddle, kBarBottom, 40), kBarBottom);
  // Left section: a soft glow behind the icon.
  for (int x = 0; x < kLeftSection; ++x) {
    RECT col{x, 0, x + 1, Height / 2};
    int p = x * 100 / kLeftSection;
    VerticalGradient(dc, col, Mix(RGB(255, 255, 255), kBarTop, p), Mix(Mix(kBarMiddle, RGB(255, 255, 255), 40), kBarMiddle, p));
  }
  // Right section: a brighter panel behind the buttons.
  RECT right{w - kRightSection, 0, w, Height};
  RECT rightUpper{right.left, 0, right.right, Height / 2};
  VerticalGradient(dc, rightUpper, RGB(252, 253, 255), Mix(kBarMiddle, RGB(255, 255, 255), 30));
  for (int x = right.left; x < right.left + 40; ++x) {
    // Fade the brighter panel in from the middle section.
    int p = (x - right.left) * 100 / 40;
    RECT col{x, 0, x + 1, Height / 2};
    VerticalGradient(dc, col, Mix(kBarTop, RGB(252, 253, 255), p),
                     Mix(kBarMiddle, Mix(kBarMiddle, RGB(255, 255, 255), 30), p));
  }
  Line(dc, 0, Height - 1, w, Height - 1, Mix(kBarEdge, kBarBottom, 30));
  // The frame's outline where the bar covers it.
  if (skin_.theme.borderWidth > 0) {
    win32::UniqueBrush border(CreateSolidBrush(skin_.theme.border));
    RECT pr;
    GetClientRect(frame_, &pr);
    if (win32::UniqueRegion region(CreateFrameRegion(pr.right, pr.bottom, skin_.theme.rounding)); region) {
      FrameRgn(dc, region.get(), border.get(), skin_.theme.borderWidth, skin_.theme.borderWidth);
    } else {
      RECT outline{0, 0, pr.right, pr.bottom};
      FrameRect(dc, &outline, border.get());
    }
  }
  // Caption, cut with "..." before the buttons.
  RECT minRect;
  GetWindowRect(minButton_, &minRect);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&minRect), 2);
  RECT text{kCaptionLeft, 0, minRect.left - 4, Height};
  std::wstring caption = WindowText(hwnd_);
  win32::SelectScope font(dc, skin_.titleFont.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, active_ ? RGB(0, 0, 0) : GetSysColor(COLOR_INACTIVECAPTION));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void TitleBar::OnCommand(int id) {
  if (id == ids::suiClose) {
    PostMessageW(frame_, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (id == ids::suiMin) {
    PostMessageW(frame_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (id == ids::suiControlBox) {
    ShowWindowMenu();
  }
}

void TitleBar::ShowWindowMenu() {
  win32::UniqueMenu menu(CreatePopupMenu());
  AppendMenuW(menu.get(), MF_STRING, SC_MINIMIZE, ResString(IDS_MENU_MINIMIZE).c_str());
  // No maximise button on this bar, so the item is there but disabled.
  AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, SC_MAXIMIZE, ResString(IDS_MENU_MAXIMIZE).c_str());
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.get(), MF_STRING, SC_CLOSE, ResString(IDS_MENU_CLOSE).c_str());
  POINT at{0, Height};
  ClientToScreen(hwnd_, &at);
  UINT cmd = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0,
                            frame_, nullptr);
  if (cmd == SC_MINIMIZE || cmd == SC_CLOSE) PostMessageW(frame_, WM_SYSCOMMAND, cmd, 0);
}

void TitleBar::OnLButtonDown(POINT p) {
  // Dragging the bar moves the window: hand the press to the system's move
  // loop as if it had landed on a caption.
  ClientToScreen(hwnd_, &p);
  ReleaseCapture();
  SendMessageW(frame_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
}

}  // namespace veskaro::app::skin
