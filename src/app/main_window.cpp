#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cwctype>

#include "app/about_window.h"
#include "app/control_ids.h"
#include "app/editor_dialogs.h"
#include "app/error_display.h"
#include "app/settings_store.h"
#include "app/skin/paint.h"
#include "app/text.h"
#include "veskaro_ids.h"

#include "app/shell_tree.h"
#include "app/window_object.h"

namespace veskaro::app {

namespace {

constexpr COLORREF kLinkColor = 8388608;  // navy
constexpr COLORREF kLinkHoverColor = 255;  // red

// A push button of the layout: id, caption, left, top, width, height.
struct ButtonSpec {
  int id;
  unsigned text;
  int x, y, w, h;
};

// Focusable controls in tab order: the window's z-order is its tab order.
constexpr ButtonSpec kButtonsInTabOrder[] = {
    {ids::Button7, IDS_BUTTON7, 10, 378, 231, 25}, {ids::Button5, IDS_BUTTON5, 128, 315, 113, 25},
    {ids::Button6, IDS_BUTTON6, 128, 169, 113, 25}, {ids::Button4, IDS_BUTTON4, 128, 139, 113, 25},
    {ids::BitBtn1, IDS_BITBTN1, 10, 169, 113, 25},  {ids::Button1, IDS_BUTTON1, 144, 205, 97, 25},
    {ids::Button2, IDS_BUTTON2, 10, 315, 113, 25},  {ids::Button3, IDS_BUTTON3, 10, 139, 113, 25},
    {ids::Panel1, IDS_PANEL1, 10, 88, 231, 41},
};

constexpr int kEditingButtonIds[7] = {ids::Button1, ids::Button2, ids::Button3, ids::Button4,
                                      ids::Button5, ids::Button6, ids::Button7};

std::wstring TextOf(HWND hwnd) { return WindowText(hwnd); }

}  // namespace

void Timer1::Enable() {
  // Enabling a running timer must not restart its interval.
  if (enabled_) return;
  if (!SetTimer(owner_, Id, 1000, nullptr)) throw std::runtime_error(Narrow(ResString(IDS_NOT_ENOUGH_TIMERS)));
  enabled_ = true;
}

void TForm1::Register(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.lpfnWndProc = WndProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, LR_SHARED));
  wc.lpszClassName = ClassName;
  if (!RegisterClassExW(&wc)) throw std::runtime_error("RegisterClassEx TForm1");
  skin::RegisterControlClasses(instance);
  skin::TitleBar::Register(instance);
  skin::SidePanel::Register(instance);
}

TForm1::TForm1(HINSTANCE instance, const skin::Theme& theme) : instance_(instance), skin_(theme) {
  // Dialog-style frame: no sizing border, no system caption, no maximise.
  DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND created = CreateWindowExW(WS_EX_CONTROLPARENT, ClassName, ResString(IDS_APP_TITLE).c_str(), style, 0, 0,
                                 ClientWidth, ClientHeight, nullptr, nullptr, instance, this);
  if (!created) throw std::runtime_error("CreateWindowEx TForm1");
  try {
    BuildLayout();
    FormCreate();
  } catch (...) {
    DestroyWindow(hwnd_);
    throw;
  }
}

TForm1::~TForm1() {
  shellTree_.reset();
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TForm1::BuildLayout() {
  using namespace skin;
  HFONT font = skin_.windowFont.get();
  if (win32::UniqueRegion region(CreateFrameRegion(ClientWidth, ClientHeight, skin_.theme.rounding)); region) {
    if (SetWindowRgn(hwnd_, region.get(), FALSE)) region.release();  // the system owns it now
  }
  titleBar_ = std::make_unique<TitleBar>(hwnd_, ResString(IDS_CAPTION), skin_);

  // The focusable controls, in tab order.
  foldername_ = CreateSkinEdit(hwnd_, ids::foldername, 10, 60, 233, 21, skin_);
  for (const ButtonSpec& b : kButtonsInTabOrder) {
    CreateSkinButton(hwnd_, b.id, ResString(b.text), b.x, b.y, b.w, b.h, skin_);
  }
  edit1_ = CreateSkinEdit(hwnd_, ids::Edit1, 10, 237, 233, 21, skin_);
  for (int i = 0; i < 7; ++i) editingButtons_[i] = GetDlgItem(hwnd_, kEditingButtonIds[i]);

  // Labels and separator lines take no focus.
  // Where the system's font is wider than the layout's, a heading may grow
  // up to its neighbour: "Выбрать" beside Label2, the frame's line elsewhere.
  constexpr int kWorkAreaRight = 247 - 3;
  CreateLabel(hwnd_, ids::Label2, ResString(IDS_LABEL2), 10, 211, 126, 13, skin_.headingFont.get(), &skin_,
              144 - 6 - 10);
  CreateLabel(hwnd_, ids::Label1, ResString(IDS_LABEL1), 10, 273, 120, 13, skin_.headingFont.get(), &skin_,
              kWorkAreaRight - 10);
  label4_ = CreateLabel(hwnd_, ids::Label4, ResString(IDS_LABEL4), 90, 298, 71, 13, font, &skin_,
                        kWorkAreaRight - 90);
  CreateLabel(hwnd_, ids::Label6, ResString(IDS_LABEL6), 8, 360, 152, 13, skin_.headingFont.get(), &skin_,
              kWorkAreaRight - 8);
  label7_ = CreateLabel(hwnd_, ids::Label7, ResString(IDS_LABEL7), 74, 413, 109, 13, skin_.linkFont.get(), &skin_);
  TrackHover(label7_);
  for (int y : {50, 199, 265, 352, 408, 430}) CreateBevel(hwnd_, 4, y, 243, 1);
  for (int x : {4, 247}) CreateBevel(hwnd_, x, 50, 1, 380);

  // The side panel over everything below the title bar, and what it holds.
  sidePanel_ = std::make_unique<SidePanel>(hwnd_, TitleBar::Height, ResString(IDS_SIDE_CHANNEL), skin_);
  sideChannel_ = std::make_unique<SideChannel>(*sidePanel_);
  sidePanel_->Bind(*sideChannel_);
  dialogs_ = std::make_unique<Win32EditorDialogs>(hwnd_);
  store_ = CreateSettingsStore();
  editor_ = std::make_unique<Editor>(folderState_, *this, *dialogs_, *store_, *sideChannel_);

  HWND panel = sidePanel_->hwnd();
  RECT treeBounds{16, 27, 16 + 263, 27 + 285};
  pathTo_ = CreateSkinEdit(panel, ids::PathTo, 16, 320, 263, 21, skin_);
  HWND confirm = CreateSkinButton(panel, ids::suiButton1, ResString(IDS_SUIBUTTON1), 16, 352, 263, 27, skin_);
  // Building the tree selects its root, which writes its name into PathTo.
  shellTree_ = std::make_unique<ShellTree>(
      panel, ids::ShellTreeView1, treeBounds,
      [this](const std::string& path) { editor_->ShellTreeView1Change(path); },
      [](std::exception_ptr error) {
        try {
          std::rethrow_exception(error);
        } catch (...) {
          ShowCurrentException();
        }
      });
  // Tab order inside the panel: tree, PathTo, confirm.
  SetWindowPos(shellTree_->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(pathTo_, shellTree_->hwnd(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(confirm, pathTo_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  sidePanel_->AddContent(shellTree_->hwnd());
  sidePanel_->AddContent(pathTo_);
  sidePanel_->AddContent(confirm);

  // As after a load without a folder: the seven editing buttons disabled.
  SetEditingEnabled(false);
  sideChannel_->Start();
  sideChannel_->SetOnPush([this] { editor_->suiSideChannel1Push(); });

  timer1_ = std::make_unique<Timer1>(hwnd_);
  gesture_ = std::make_unique<CreditGesture>(*timer1_);
}

void TForm1::FormCreate() {
  gesture_->FormCreate();
  linkColor_ = kLinkColor;
  InvalidateRect(label7_, nullptr, TRUE);
}

void TForm1::Show() {
  // Centred on the screen.
  int x = (GetSystemMetrics(SM_CXSCREEN) - ClientWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - ClientHeight) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetFocus(foldername_);
}

LRESULT CALLBACK TForm1::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TForm1>(hwnd, msg, lp);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  if (msg == WM_NCDESTROY) self->hwnd_ = nullptr;
  return self->HandleMessage(msg, wp, lp);
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT:
      skin::PaintFrame(reinterpret_cast<HDC>(wp), ClientWidth, ClientHeight, skin_.theme);
      return 0;
    case WM_COMMAND:
      Guarded([&] { OnCommand(LOWORD(wp), HIWORD(wp)); });
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_TIMER:
      Guarded([&] { OnTimer(wp); });
      return 0;
    case WM_LBUTTONDOWN:
      Guarded([&] { OnMouseDown(MouseButton::Left); });
      return 0;
    case WM_RBUTTONDOWN:
      Guarded([&] { OnMouseDown(MouseButton::Right); });
      return 0;
    case WM_MBUTTONDOWN:
      Guarded([&] { OnMouseDown(MouseButton::Middle); });
      return 0;
    case WM_XBUTTONDOWN:
      Guarded([&] { OnMouseDown(MouseButton::Other); });
      return TRUE;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wp) != WA_INACTIVE);
      break;
    case WM_SYSCOMMAND:
      return OnSysCommand(wp, lp);
    case WM_NCLBUTTONDBLCLK:
      return 0;  // no maximise button, so a double-click on the bar does nothing
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == label7_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_DESTROY:
      KillTimer(hwnd_, Timer1::Id);
      // The tree's watcher and shell data go while its window still exists.
      shellTree_.reset();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void TForm1::OnPaint() {
  win32::PaintScope ps(hwnd_);
  skin::BufferedPaint buf(ps.dc(), ClientWidth, ClientHeight);
  skin::PaintFrame(buf.dc(), ClientWidth, ClientHeight, skin_.theme);
}

void TForm1::OnCommand(int id, int code) {
  if (code != BN_CLICKED && code != STN_CLICKED) return;
  switch (id) {
    case ids::Panel1: editor_->Panel1Click(); break;
    case ids::suiButton1: editor_->suiButton1Click(); break;
    case ids::Button1: editor_->Button1Click(); break;
    case ids::Button2: editor_->Button2Click(); break;
    case ids::Button3: editor_->Button3Click(); break;
    case ids::Button4: editor_->Button4Click(); break;
    case ids::Button5: editor_->Button5Click(); break;
    case ids::Button6: editor_->Button6Click(); break;
    case ids::Button7: editor_->Button7Click(); break;
    case ids::BitBtn1: OpenAboutWindow(instance_, *gesture_); break;
    case ids::Label7:
      if (code == STN_CLICKED) Label7Click();
      break;
    default: break;
  }
}

void TForm1::Label7Click() {
  std::wstring link = ResString(IDS_MAIL_LINK);
  // A link of blanks and control characters only is no link.
  bool blank = true;
  for (wchar_t c : link) blank = blank && (c <= L' ');
  if (blank) return;
  // What the shell does with it (no mail program, say) is not reported.
  ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOW);
}

LRESULT TForm1::OnCtlColorStatic(HDC dc, HWND control) {
  SetBkMode(dc, TRANSPARENT);
  if (control == label4_) {
    SetTextColor(dc, sampleText_);
    if (!sampleTransparent_) {
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, sampleBack_);
      if (!sampleBrush_) sampleBrush_.reset(CreateSolidBrush(sampleBack_));
      return reinterpret_cast<LRESULT>(sampleBrush_.get());
    }
  } else if (control == label7_) {
    SetTextColor(dc, skin::IsHot(label7_) ? kLinkHoverColor : linkColor_);
  } else {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }
  if (GetParent(control) != hwnd_) return reinterpret_cast<LRESULT>(skin_.whiteBrush.get());
  return reinterpret_cast<LRESULT>(skin_.faceBrush.get());
}

LRESULT TForm1::OnCtlColorEdit(HDC dc, HWND) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void TForm1::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType == ODT_BUTTON) skin::DrawSkinButton(item, skin_);
}

void TForm1::OnTimer(UINT_PTR id) {
  if (id == Timer1::Id) gesture_->TimerTick();
}

void TForm1::OnMouseDown(MouseButton button) {
  // Only presses on the frame's bare surface reach here: every control,
  // label and line is a window of its own and keeps its presses.
  gesture_->MouseDown(button);
}

void TForm1::OnActivate(bool active) {
  if (titleBar_) titleBar_->SetActive(active);
}

LRESULT TForm1::OnSysCommand(WPARAM wp, LPARAM lp) {
  switch (wp & 0xFFF0) {
    case SC_MAXIMIZE:
    case SC_SIZE:
      return 0;  // the window keeps its size
    default:
      return DefWindowProcW(hwnd_, WM_SYSCOMMAND, wp, lp);
  }
}

// EditorView

void TForm1::SetEditingEnabled(bool enabled) {
  for (HWND b : editingButtons_) EnableWindow(b, enabled);
}

void TForm1::SetFolderName(const std::string& text) { SetWindowTextW(foldername_, Widen(text).c_str()); }

void TForm1::SetPictureText(const std::string& text) { SetWindowTextW(edit1_, Widen(text).c_str()); }

std::string TForm1::PictureText() const { return Narrow(TextOf(edit1_)); }

void TForm1::SetPathText(const std::string& text) { SetWindowTextW(pathTo_, Widen(text).c_str()); }

std::string TForm1::PathText() const { return Narrow(TextOf(pathTo_)); }

void TForm1::SetSampleTextColor(ColorValue color) {
  sampleText_ = static_cast<COLORREF>(color) & 0xFFFFFF;
  InvalidateRect(label4_, nullptr, TRUE);
}

void TForm1::SetSampleBackColor(ColorValue color) {
  sampleBack_ = static_cast<COLORREF>(color) & 0xFFFFFF;
  sampleBrush_.reset();
  InvalidateRect(label4_, nullptr, TRUE);
}

void TForm1::SetSampleTransparent(bool transparent) {
  sampleTransparent_ = transparent;
  InvalidateRect(label4_, nullptr, TRUE);
}

ColorValue TForm1::WindowColor() const { return static_cast<ColorValue>(GetSysColor(COLOR_BTNFACE)); }

void TForm1::ShowEmptyPathError() {
  // Modal for the main window, centred on the screen by the system.
  MessageBoxW(hwnd_, ResString(IDS_EMPTY_PATH).c_str(), ResString(IDS_ERROR).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace veskaro::app
