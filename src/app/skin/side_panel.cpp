#include "app/skin/side_panel.h"

#include "app/control_ids.h"
#include "app/error_display.h"
#include "app/skin/paint.h"
#include "app/text.h"
#include "veskaro_ids.h"
#include "app/window_object.h"

namespace veskaro::app::skin {

namespace {
constexpr wchar_t kClass[] = L"TsuiSideChannel";
constexpr UINT_PTR kCheckTimer = 1;
constexpr int kPinSize = 17;
}  // namespace

void SidePanel::Register(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.lpfnWndProc = WndProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;
  RegisterClassExW(&wc);
}

SidePanel::SidePanel(HWND frame, int top, const std::wstring& caption, const Skin& skin)
    : frame_(frame), top_(top), skin_(skin) {
  RECT rc;
  GetClientRect(frame, &rc);
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClass, caption.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rc.right - width_, top_, width_,
                          rc.bottom - top_, frame,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::suiSideChannel1)),
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) throw std::runtime_error("side panel");
  pin_ = CreateCaptionButton(hwnd_, ids::PinButton, ResString(IDS_PIN), Glyph::Pin,
                             SideChannel::OutWidth - kPinSize - 4, (CaptionHeight - kPinSize) / 2 + 1, kPinSize,
                             kPinSize);
  ShowWindow(pin_, SW_HIDE);
}

void SidePanel::AddContent(HWND child) {
  content_.push_back(child);
  ShowWindow(child, width_ == SideChannel::OutWidth ? SW_SHOWNA : SW_HIDE);
}

void SidePanel::SetPanelWidth(int width) {
  if (deferring_) {
    pendingWidth_ = width;
    return;
  }
  ApplyWidth(width);
}

void SidePanel::ApplyDeferred() {
  deferring_ = false;
  if (pendingPinVisible_ == 0) ShowWindow(pin_, SW_HIDE);
  if (pendingWidth_) ApplyWidth(pendingWidth_);
  if (pendingPinVisible_ == 1) ShowWindow(pin_, SW_SHOWNA);
  pendingWidth_ = 0;
  pendingPinVisible_ = -1;
}

void SidePanel::ApplyWidth(int width) {
  width_ = width;
  RECT rc;
  GetClientRect(frame_, &rc);
  bool out = width == SideChannel::OutWidth;
  // Hide the content before sliding in, so that no focus stays on a hidden
  // control; show it after sliding out.
  if (!out) {
    HWND focus = GetFocus();
    for (HWND c : content_) {
      if (focus == c || IsChild(c, focus)) SetFocus(frame_);
      ShowWindow(c, SW_HIDE);
    }
  }
  SetWindowPos(hwnd_, HWND_TOP, rc.right - width, top_, width, rc.bottom - top_, SWP_NOACTIVATE);
  if (out) {
    for (HWND c : content_) ShowWindow(c, SW_SHOWNA);
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void SidePanel::SetPinButtonVisible(bool visible) {
  if (deferring_) {
    pendingPinVisible_ = visible ? 1 : 0;
    return;
  }
  ShowWindow(pin_, visible ? SW_SHOWNA : SW_HIDE);
}

void SidePanel::SetPinButtonDown(bool down) { SetCaptionButtonChecked(pin_, down); }

void SidePanel::SetCheckTimer(bool on) {
  if (on) {
    if (!SetTimer(hwnd_, kCheckTimer, SideChannel::CheckIntervalMs, nullptr))
      throw std::runtime_error(Narrow(ResString(IDS_NOT_ENOUGH_TIMERS)));
  } else {
    KillTimer(hwnd_, kCheckTimer);
  }
}

LRESULT CALLBACK SidePanel::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<SidePanel>(hwnd, msg, lp);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->HandleMessage(msg, wp, lp);
}

LRESULT SidePanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
    case WM_TIMER:
      if (wp == kCheckTimer) Guarded([&] { OnTimer(); });
      return 0;
    case WM_MOUSEMOVE:
      Guarded([&] { OnMouseMove(); });
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == ids::PinButton) {
        Guarded([&] {
          if (channel_) channel_->TogglePin();
        });
        return 0;
      }
      // The panel's controls belong to the main window's handlers.
      return SendMessageW(frame_, msg, wp, lp);
    case WM_DRAWITEM:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(frame_, msg, wp, lp);
    case WM_SETTEXT: {
      LRESULT res = DefWindowProcW(hwnd_, msg, wp, lp);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return res;
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void SidePanel::OnPaint(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  const Theme& t = skin_.theme;
  int bar = SideChannel::InWidth;
  // The bar along the left edge, with a grip in its middle.
  RECT barRect{0, 0, bar, r.bottom};
  VerticalGradient(dc, barRect, Mix(t.sideBar, RGB(255, 255, 255), 40), t.sideBar);
  int mid = r.bottom / 2;
  for (int i = -3; i <= 3; ++i) {
    RECT dot{bar / 2 - 1, mid + i * 5, bar / 2 + 1, mid + i * 5 + 2};
    FillColor(dc, dot, Mix(t.sideBorder, t.sideBar, 35));
  }
  if (r.right > bar) {
    RECT body{bar, 0, r.right, r.bottom};
    FillColor(dc, body, t.sideBody);
    RECT strip{bar, 0, r.right, CaptionHeight};
    VerticalGradient(dc, strip, Mix(t.sideBar, RGB(255, 255, 255), 50), t.sideBar);
    Line(dc, bar, CaptionHeight, r.right, CaptionHeight, Mix(t.sideBorder, t.sideBar, 40));
    Line(dc, bar, 0, bar, r.bottom, Mix(t.sideBorder, t.sideBar, 40));
    std::wstring caption = WindowText(hwnd_);
    win32::SelectScope font(dc, skin_.panelFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, t.sideCaptionText);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &strip,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  FrameColor(dc, r, t.sideBorder);
}

void SidePanel::OnTimer() {
  if (!channel_) return;
  POINT p;
  GetCursorPos(&p);
  RECT r;
  GetWindowRect(hwnd_, &r);
  deferring_ = true;
  try {
    channel_->CheckTick(p.x, p.y, PanelRect{r.left, r.top, r.right - r.left, r.bottom - r.top});
  } catch (...) {
    ApplyDeferred();
    throw;
  }
  ApplyDeferred();
}

void SidePanel::OnMouseMove() {
  if (!channel_) return;
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  bool windowActive = GetActiveWindow() == root;
  DWORD pid = 0;
  HWND foreground = GetForegroundWindow();
  if (foreground) GetWindowThreadProcessId(foreground, &pid);
  bool appActive = foreground && pid == GetCurrentProcessId();
  channel_->PointerMoved(windowActive, appActive);
}

}  // namespace veskaro::app::skin
