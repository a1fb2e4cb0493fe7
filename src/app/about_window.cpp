#include "app/about_window.h"

#include <commctrl.h>
#include <wincodec.h>
#include <windowsx.h>

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "../../res/about_ids.h"
#include "app/error_display.h"
#include "app/skin/theme.h"
#include "platform/win32/handles.h"
#include "core/about_text.h"
#include "app/window_object.h"

namespace veskaro::app {

TForm3* Form3 = nullptr;

namespace {

// ---------------------------------------------------------------------------
// Layout, in pixels (no scaling to the system font size).

constexpr int kClientWidth = 301;
constexpr int kClientHeight = 232;
constexpr int kTitleBarHeight = 29;
constexpr int kTitleButtonSize = 19;
constexpr int kIconLeft = 3;
constexpr int kCaptionLeft = 21;
constexpr RECT kPageControlRect = {6, 48, 6 + 289, 48 + 177};
constexpr RECT kPageRect = {3, 21, 3 + 283, 21 + 153};
constexpr int kTabRowHeight = 20;  // the page frame's top line lies on it
constexpr int kTabsLeft = 10;
constexpr int kTabPadding = 8;
constexpr RECT kScrollBarRect = {265, 1, 265 + 16, 1 + 151};
constexpr POINT kCreditPosition = {0, 140};

// The credit line stays empty as laid out: showing it reveals only an empty,
// space-wide label. The text lives here so that it can be given one.
constexpr wchar_t kCreditLine[] = L"";

// ---------------------------------------------------------------------------
// Look: the About window takes the colours of the skin's theme, which the
// main window settled at start-up (the theme file, else the built-in style).

struct Theme {
  COLORREF face;
  COLORREF border;
  int cornerRounding;
  COLORREF titleTop;
  COLORREF titleBottom;
  COLORREF pageBorder;
  COLORREF pageFill;
  COLORREF inactiveTab;
  COLORREF scrollFill;
  COLORREF memoFill;
};

COLORREF Mix(COLORREF a, COLORREF b, int numerator, int denominator) {
  auto channel = [&](int ca, int cb) { return ca + (cb - ca) * numerator / denominator; };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

Theme MakeTheme(const skin::Theme& skin) {
  Theme theme{};
  theme.face = skin.face;
  theme.border = skin.border;
  theme.cornerRounding = skin.rounding;
  // The standard title bar: a light gradient from the face towards the border.
  theme.titleTop = Mix(skin.face, RGB(255, 255, 255), 1, 2);
  theme.titleBottom = Mix(skin.face, skin.border, 1, 3);
  theme.pageBorder = skin.border;
  theme.pageFill = skin.face;
  theme.inactiveTab = Mix(skin.face, skin.border, 1, 6);
  theme.scrollFill = static_cast<COLORREF>(16382457);
  theme.memoFill = RGB(255, 255, 255);
  return theme;
}

const Theme& CurrentTheme() {
  // Read once, like the main window's: the file was valid at start-up; should
  // it have gone bad since, the colours the layout stores stand in.
  static const Theme theme = [] {
    try {
      return MakeTheme(skin::LoadStartupTheme());
    } catch (const std::exception&) {
      skin::Theme layout = skin::DeepBlueTheme();
      layout.face = static_cast<COLORREF>(16180442);
      layout.border = static_cast<COLORREF>(10513231);
      layout.rounding = 14;
      return MakeTheme(layout);
    }
  }();
  return theme;
}

// Window classes of the About window's own controls.
constexpr wchar_t kPageControlClass[] = L"TsuiPageControl";
constexpr wchar_t kPageClass[] = L"TsuiTabSheet";
constexpr wchar_t kImageClass[] = L"TImage";
constexpr wchar_t kApplicationClass[] = L"VeskaroApplication";
constexpr UINT_PTR kMemoSubclassId = 1;

// ---------------------------------------------------------------------------
// Handles.

using win32::PaintScope;
using win32::SelectScope;
using win32::UniqueBitmap;
using win32::UniqueBrush;
using win32::UniqueFont;
using win32::UniquePen;
using win32::UniqueRegion;
using win32::UniqueWindow;
using win32::WindowDc;

// ---------------------------------------------------------------------------
// Helpers.

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                   static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) throw std::runtime_error("Invalid UTF-8 text");
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      wide.data(), length);
  return wide;
}

std::wstring LoadText(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(instance, id, reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || !text) throw std::runtime_error("Missing string resource " + std::to_string(id));
  return std::wstring(text, static_cast<size_t>(length));
}

void ThrowIfFailed(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    char code[16];
    wsprintfA(code, "%08lX", static_cast<unsigned long>(hr));
    throw std::runtime_error(std::string(what) + " failed (0x" + code + ")");
  }
}

[[noreturn]] void ThrowLastError(const char* what) {
  throw std::runtime_error(std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")");
}

UniqueFont MakeFont(const wchar_t* face, int pixelHeight, int weight, BYTE charset) {
  LOGFONTW font{};
  font.lfHeight = -pixelHeight;  // character height, not cell height
  font.lfWeight = weight;
  font.lfCharSet = charset;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  UniqueFont result(CreateFontIndirectW(&font));
  if (!result) ThrowLastError("CreateFontIndirect");
  return result;
}

// The logo, decoded from the JPEG in the resources into a 32-bit DIB.
UniqueBitmap LoadLogo(HINSTANCE instance, SIZE& size) {
  HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(IDR_ABOUT_LOGO), MAKEINTRESOURCEW(10));
  if (!info) ThrowLastError("Finding the logo resource");
  HGLOBAL loaded = LoadResource(instance, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  DWORD length = SizeofResource(instance, info);
  if (!bytes || length == 0) ThrowLastError("Loading the logo resource");

  using win32::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  ThrowIfFailed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(factory.put())),
                "Creating the imaging factory");
  ComPtr<IWICStream> stream;
  ThrowIfFailed(factory->CreateStream(stream.put()), "Creating an image stream");
  ThrowIfFailed(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), length),
                "Opening the logo");
  ComPtr<IWICBitmapDecoder> decoder;
  ThrowIfFailed(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                 WICDecodeMetadataCacheOnDemand, decoder.put()),
                "Decoding the logo");
  ComPtr<IWICBitmapFrameDecode> frame;
  ThrowIfFailed(decoder->GetFrame(0, frame.put()), "Decoding the logo");
  ComPtr<IWICFormatConverter> converter;
  ThrowIfFailed(factory->CreateFormatConverter(converter.put()), "Converting the logo");
  ThrowIfFailed(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR,
                                      WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom),
                "Converting the logo");
  UINT width = 0, height = 0;
  ThrowIfFailed(converter->GetSize(&width, &height), "Measuring the logo");

  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = static_cast<LONG>(width);
  bmi.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC delivers rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) ThrowLastError("Creating the logo bitmap");
  ThrowIfFailed(converter->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(bits)),
                "Copying the logo");
  size = {static_cast<LONG>(width), static_cast<LONG>(height)};
  return bitmap;
}

// The first icon group of the program file is the application icon, as the
// shell takes it for the program's own icon.
BOOL CALLBACK TakeFirstIcon(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR param) {
  // Shared icons from the module need no destroying. A string name is valid
  // only during this call, so the icon is loaded here.
  *reinterpret_cast<HICON*>(param) =
      static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, 16, 16, LR_SHARED));
  return FALSE;
}

HICON LoadApplicationIcon(HINSTANCE instance) {
  HICON icon = nullptr;
  EnumResourceNamesW(instance, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, TakeFirstIcon,
                     reinterpret_cast<LONG_PTR>(&icon));
  return icon ? icon : static_cast<HICON>(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, 16, 16, LR_SHARED));
}

// Exceptions stop at the window procedure: the application's error display
// shows them and the message loop goes on.
template <typename Handler>
LRESULT Guarded(Handler&& handler, LRESULT onError) {
  try {
    return handler();
  } catch (...) {
    ShowCurrentException();
  }
  return onError;
}

// The application's own hidden window owns every About window: so the About
// windows have no taskbar buttons of their own and go when the program ends,
// yet stay siblings of the main window, which can come in front of them (its
// "О программе" button lies under the centred About window). Owning them by
// the main window would keep them above it for good.
HWND ApplicationWindow(HINSTANCE instance) {
  static UniqueWindow hidden;
  if (!hidden || !IsWindow(hidden.get())) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = kApplicationClass;
    if (!GetClassInfoExW(instance, kApplicationClass, &wc) && !RegisterClassExW(&wc))
      ThrowLastError("Registering the application window");
    hidden.reset(CreateWindowExW(0, kApplicationClass, L"", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr));
    if (!hidden) ThrowLastError("Creating the application window");
  }
  return hidden.get();
}

void RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style,
                       HCURSOR cursor) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc)) ThrowLastError("Registering a window class");
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
  FillSolid(dc, {rect.left, rect.top, rect.right, rect.top + 1}, color);
  FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
  FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, color);
  FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

void VerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
  int height = rect.bottom - rect.top;
  for (int y = 0; y < height; ++y)
    FillSolid(dc, {rect.left, rect.top + y, rect.right, rect.top + y + 1},
              Mix(top, bottom, y, height > 1 ? height - 1 : 1));
}

TForm3* FormOf(HWND hwnd) { return reinterpret_cast<TForm3*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

}  // namespace

// Everything the window draws with, made once per window.
struct TForm3::Resources {
  UniqueFont windowFont;   // MS Sans Serif 11 px: tabs and memo
  UniqueFont captionFont;  // Tahoma 11 px bold: title bar
  UniqueFont creditFont;   // Book Antiqua 11 px: the credit line
  UniqueBrush memoBrush;
  UniqueBrush scrollBrush;
  UniqueRegion shape;  // the window's outline, for drawing its border
  UniqueBitmap logo;
  SIZE logoSize{};
  HICON icon = nullptr;
  std::wstring caption;
  std::wstring pageTitles[2];
};

// ---------------------------------------------------------------------------
// Creation and lifetime.

void OpenAboutWindow(HINSTANCE instance, CreditGesture& gesture) {
  // Form3 names the new window from the start of its construction to the end
  // of its creation handler; a failure anywhere leaves it clear.
  try {
    std::unique_ptr<TForm3> form(new TForm3(instance, gesture));
    Form3 = form.get();
    RegisterClassOnce(instance, kAboutWindowClass, TForm3::WindowProc, CS_DBLCLKS,
                      LoadCursorW(nullptr, IDC_ARROW));
    RegisterClassOnce(instance, kPageControlClass, TForm3::PageControlProc, 0,
                      LoadCursorW(nullptr, IDC_ARROW));
    RegisterClassOnce(instance, kPageClass, TForm3::PageProc, 0, LoadCursorW(nullptr, IDC_ARROW));
    RegisterClassOnce(instance, kImageClass, TForm3::ImageProc, CS_DBLCLKS,
                      LoadCursorW(nullptr, IDC_ARROW));
    HWND owner = ApplicationWindow(instance);
    int x = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
    HWND hwnd = CreateWindowExW(0, kAboutWindowClass, form->resources_->caption.c_str(),
                                WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                kClientWidth, kClientHeight, owner, nullptr, instance, form.get());
    if (!hwnd) {
      // The creation handler's own error says more than CreateWindowEx's.
      if (form->createError_) std::rethrow_exception(form->createError_);
      ThrowLastError("Creating the About window");
    }
    // Shown while it was still being created, the window may not have taken
    // the activation (Wine leaves it with the main window, which then stays
    // active behind it): the new window is the one the user works with.
    SetForegroundWindow(hwnd);
    // From here on the window owns the object and deletes it on WM_NCDESTROY.
    form.release()->ownedByWindow_ = true;
  } catch (...) {
    Form3 = nullptr;
    throw;
  }
}

TForm3::TForm3(HINSTANCE instance, CreditGesture& gesture)
    : instance_(instance), gesture_(gesture), resources_(std::make_unique<Resources>()) {
  Resources& r = *resources_;
  r.caption = LoadText(instance, IDS_ABOUT_CAPTION);
  r.pageTitles[0] = LoadText(instance, IDS_ABOUT_PAGE_ABOUT);
  r.pageTitles[1] = LoadText(instance, IDS_ABOUT_PAGE_LOGO);
  r.windowFont = MakeFont(L"MS Sans Serif", 11, FW_NORMAL, DEFAULT_CHARSET);
  r.captionFont = MakeFont(L"Tahoma", 11, FW_BOLD, DEFAULT_CHARSET);
  r.creditFont = MakeFont(L"Book Antiqua", 11, FW_NORMAL, ANSI_CHARSET);
  r.memoBrush.reset(CreateSolidBrush(CurrentTheme().memoFill));
  r.scrollBrush.reset(CreateSolidBrush(CurrentTheme().scrollFill));
  r.logo = LoadLogo(instance, r.logoSize);
  r.icon = LoadApplicationIcon(instance);
}

TForm3::~TForm3() = default;

LRESULT CALLBACK TForm3::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TForm3* form = nullptr;
  if (message == WM_NCCREATE) {
    // Bound here, not on WM_CREATE, so that every later message reaches us.
    form = static_cast<TForm3*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = FormOf(hwnd);
  }
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    // Destroyed without closing (with its owner, at the end of the program):
    // Form3 must not keep pointing at a deleted window.
    if (Form3 == form) Form3 = nullptr;
    if (form->ownedByWindow_) delete form;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (message == WM_CREATE) {
    // Handed back to OpenAboutWindow, which reports it to its caller.
    try {
      return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
      form->createError_ = std::current_exception();
      return -1;
    }
  }
  return Guarded([&] { return form->HandleMessage(message, wParam, lParam); }, 0);
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(); return 0;
    case WM_NCHITTEST: return OnNcHitTest(lParam);
    case WM_MOUSEMOVE: OnMouseMove(point); return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      OnMouseMove({-1, -1});
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(point); return 0;
    case WM_LBUTTONUP: OnLButtonUp(point); return 0;
    case WM_CAPTURECHANGED:
      if (pressedButton_ != TitleButton::None) {
        pressedButton_ = TitleButton::None;
        InvalidateTitleBar();
      }
      return 0;
    case WM_NCACTIVATE:
      OnActivate(wParam != FALSE);
      return TRUE;
    case WM_CLOSE: OnClose(); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void TForm3::OnCreate() {
  Resources& r = *resources_;
  // The frame's outline: rounded top corners, square bottom ones.
  const Theme& theme = CurrentTheme();
  UniqueRegion round(CreateRoundRectRgn(0, 0, kClientWidth + 1, kClientHeight + 1,
                                        theme.cornerRounding, theme.cornerRounding));
  UniqueRegion bottom(CreateRectRgn(0, kClientHeight / 2, kClientWidth, kClientHeight));
  UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
  CombineRgn(shape.get(), round.get(), bottom.get(), RGN_OR);
  r.shape.reset(CreateRectRgn(0, 0, 0, 0));
  CombineRgn(r.shape.get(), shape.get(), nullptr, RGN_COPY);
  SetWindowRgn(hwnd_, shape.release(), FALSE);  // the system owns it now

  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(r.icon));
  CreateControls();
  FormCreate();
}

void TForm3::CreateControls() {
  Resources& r = *resources_;
  auto font = reinterpret_cast<WPARAM>(r.windowFont.get());
  auto make = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& rc,
                  HWND parent, int id) {
    HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | style, rc.left, rc.top,
                                 rc.right - rc.left, rc.bottom - rc.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, this);
    if (!child) ThrowLastError("Creating a control of the About window");
    SendMessageW(child, WM_SETFONT, font, FALSE);
    return child;
  };

  pageControl_ = make(0, kPageControlClass, L"", WS_VISIBLE | WS_CLIPCHILDREN, kPageControlRect,
                      hwnd_, IDC_ABOUT_PAGECONTROL);
  // Both pages stay visible; the active one lies in front and alone is
  // enabled, so the page behind takes no input.
  pages_[0] = make(0, kPageClass, r.pageTitles[0].c_str(),
                   WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, kPageRect, pageControl_,
                   IDC_ABOUT_PAGE_ABOUT);
  pages_[1] = make(0, kPageClass, r.pageTitles[1].c_str(),
                   WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_DISABLED, kPageRect,
                   pageControl_, IDC_ABOUT_PAGE_LOGO);

  const RECT pageClient{0, 0, kPageRect.right - kPageRect.left, kPageRect.bottom - kPageRect.top};
  // The memo wraps words (no horizontal scrolling) and has no scroll bar of
  // its own: suiScrollBar1 lies over its right edge.
  memo_ = make(0, L"EDIT", Widen(AboutText()).c_str(),
               WS_VISIBLE | WS_CLIPSIBLINGS | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
               pageClient, pages_[0], IDC_ABOUT_MEMO);
  SendMessageW(memo_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
               MAKELPARAM(3, pageClient.right - kScrollBarRect.left + 2));
  scrollBar_ = make(0, L"SCROLLBAR", L"", WS_VISIBLE | SBS_VERT, kScrollBarRect, pages_[0],
                    IDC_ABOUT_SCROLLBAR);
  SetWindowPos(scrollBar_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!SetWindowSubclass(memo_, MemoSubclassProc, kMemoSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    ThrowLastError("Watching the memo's scrolling");

  image_ = make(0, kImageClass, L"", WS_VISIBLE | WS_CLIPSIBLINGS, pageClient, pages_[1], IDC_ABOUT_IMAGE);
  // The credit line is sized to its text; an empty text still measures one
  // blank, so the label keeps a size.
  SIZE extent{};
  {
    WindowDc dc(hwnd_);
    SelectScope selected(dc.dc(), r.creditFont.get());
    std::wstring measured = kCreditLine[0] ? std::wstring(kCreditLine) : std::wstring(L" ");
    GetTextExtentPoint32W(dc.dc(), measured.c_str(), static_cast<int>(measured.size()), &extent);
  }
  label1_ = make(0, L"STATIC", kCreditLine, SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS,
                 {kCreditPosition.x, kCreditPosition.y, kCreditPosition.x + extent.cx,
                  kCreditPosition.y + extent.cy},
                 pages_[1], IDC_ABOUT_CREDIT);
  SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(r.creditFont.get()), FALSE);
  SetWindowPos(label1_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  SelectPage(0);
  SyncScrollBar();
}

void TForm3::FormCreate() {
  // Form3 is the window being created.
  if (Form3 && Form3->hwnd_) ShowWindow(Form3->hwnd_, SW_SHOW);
}

void TForm3::OnClose() {
  FormClose();
  DestroyWindow(hwnd_);
}

void TForm3::FormClose() {
  Form3 = nullptr;
  gesture_.AboutWindowClosed();
}

void TForm3::Image1DblClick() {
  if (gesture_.CreditUnlocked()) ShowWindow(label1_, SW_SHOW);
}

// ---------------------------------------------------------------------------
// Frame and title bar.

RECT TForm3::TitleButtonRect(TitleButton button) const {
  const int top = (kTitleBarHeight - kTitleButtonSize) / 2;
  const int closeLeft = kClientWidth - 5 - kTitleButtonSize;
  switch (button) {
    case TitleButton::ControlBox: {
      const int iconTop = (kTitleBarHeight - 16) / 2;
      return {kIconLeft, iconTop, kIconLeft + 16, iconTop + 16};
    }
    case TitleButton::Close: return {closeLeft, top, closeLeft + kTitleButtonSize, top + kTitleButtonSize};
    case TitleButton::Minimise: {
      const int left = closeLeft - 1 - kTitleButtonSize;
      return {left, top, left + kTitleButtonSize, top + kTitleButtonSize};
    }
    case TitleButton::None: break;
  }
  return {};
}

TForm3::TitleButton TForm3::TitleButtonAt(POINT point) const {
  for (TitleButton button : {TitleButton::ControlBox, TitleButton::Minimise, TitleButton::Close}) {
    RECT rect = TitleButtonRect(button);
    if (PtInRect(&rect, point)) return button;
  }
  return TitleButton::None;
}

void TForm3::InvalidateTitleBar() {
  RECT bar{0, 0, kClientWidth, kTitleBarHeight};
  InvalidateRect(hwnd_, &bar, FALSE);
}

LRESULT TForm3::OnNcHitTest(LPARAM lParam) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd_, &point);
  // The bar moves the window, except where its buttons are.
  if (point.y >= 0 && point.y < kTitleBarHeight && TitleButtonAt(point) == TitleButton::None)
    return HTCAPTION;
  return HTCLIENT;
}

void TForm3::OnMouseMove(POINT point) {
  if (!trackingLeave_ && point.x >= 0) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd_;
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  TitleButton hot = TitleButtonAt(point);
  if (hot != hotButton_) {
    hotButton_ = hot;
    InvalidateTitleBar();
  }
}

void TForm3::OnLButtonDown(POINT point) {
  TitleButton button = TitleButtonAt(point);
  if (button == TitleButton::None) return;
  if (button == TitleButton::ControlBox) {
    ShowControlBoxMenu();
    return;
  }
  pressedButton_ = button;
  SetCapture(hwnd_);
  InvalidateTitleBar();
}

void TForm3::OnLButtonUp(POINT point) {
  TitleButton pressed = pressedButton_;
  if (pressed == TitleButton::None) return;
  ReleaseCapture();  // clears pressedButton_ through WM_CAPTURECHANGED
  pressedButton_ = TitleButton::None;
  InvalidateTitleBar();
  if (TitleButtonAt(point) != pressed) return;
  // The buttons go the system's way, so closing runs the normal close path.
  PostMessageW(hwnd_, WM_SYSCOMMAND, pressed == TitleButton::Close ? SC_CLOSE : SC_MINIMIZE, 0);
}

void TForm3::ShowControlBoxMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, SC_MINIMIZE, L"Mi&nimize");
  AppendMenuW(menu, MF_STRING | MF_GRAYED, SC_MAXIMIZE, L"Ma&ximize/Restore");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, SC_CLOSE, L"&Close");
  POINT at{0, kTitleBarHeight};
  ClientToScreen(hwnd_, &at);
  UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0,
                     hwnd_, nullptr));
  DestroyMenu(menu);
  if (command == SC_MINIMIZE || command == SC_CLOSE) PostMessageW(hwnd_, WM_SYSCOMMAND, command, 0);
}

void TForm3::OnActivate(bool active) {
  if (active_ == active) return;
  active_ = active;
  InvalidateTitleBar();
}

void TForm3::OnPaint() {
  PaintScope paint(hwnd_);
  HDC dc = paint.dc();
  const Theme& theme = CurrentTheme();
  const Resources& r = *resources_;

  FillSolid(dc, {0, kTitleBarHeight, kClientWidth, kClientHeight}, theme.face);
  VerticalGradient(dc, {0, 0, kClientWidth, kTitleBarHeight}, theme.titleTop, theme.titleBottom);
  FillSolid(dc, {0, kTitleBarHeight - 1, kClientWidth, kTitleBarHeight}, theme.border);

  RECT iconRect = TitleButtonRect(TitleButton::ControlBox);
  if (r.icon) DrawIconEx(dc, iconRect.left, iconRect.top, r.icon, 16, 16, 0, nullptr, DI_NORMAL);

  for (TitleButton button : {TitleButton::Minimise, TitleButton::Close}) {
    RECT rect = TitleButtonRect(button);
    COLORREF fill = pressedButton_ == button ? Mix(theme.titleBottom, theme.border, 1, 2)
                    : hotButton_ == button  ? RGB(255, 255, 255)
                                            : Mix(theme.titleTop, theme.titleBottom, 1, 2);
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, 1, theme.border));
    {
      SelectScope b(dc, brush.get());
      SelectScope p(dc, pen.get());
      RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 4, 4);
    }
    COLORREF glyph = button == TitleButton::Close && hotButton_ == button ? RGB(192, 32, 32)
                                                                         : RGB(32, 48, 80);
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    if (button == TitleButton::Minimise) {
      FillSolid(dc, {cx - 4, cy + 2, cx + 4, cy + 4}, glyph);
    } else {
      UniquePen glyphPen(CreatePen(PS_SOLID, 2, glyph));
      SelectScope p(dc, glyphPen.get());
      MoveToEx(dc, cx - 4, cy - 4, nullptr);
      LineTo(dc, cx + 4, cy + 4);
      MoveToEx(dc, cx + 3, cy - 4, nullptr);
      LineTo(dc, cx - 5, cy + 4);
    }
  }

  {
    SelectScope font(dc, r.captionFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, active_ ? RGB(0, 0, 0) : GetSysColor(COLOR_INACTIVECAPTION));
    RECT text{kCaptionLeft, 0, TitleButtonRect(TitleButton::Minimise).left - 4, kTitleBarHeight};
    DrawTextW(dc, r.caption.c_str(), static_cast<int>(r.caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }

  UniqueBrush border(CreateSolidBrush(theme.border));
  FrameRgn(dc, r.shape.get(), border.get(), 1, 1);
}

// ---------------------------------------------------------------------------
// Page control.

LRESULT CALLBACK TForm3::PageControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TForm3* form = WindowObject<TForm3>(hwnd, message, lParam);
  if (!form || message == WM_NCDESTROY) return DefWindowProcW(hwnd, message, wParam, lParam);
  return Guarded([&] { return form->HandlePageControlMessage(hwnd, message, wParam, lParam); }, 0);
}

namespace {
// Where each tab lies in the page control's tab row.
void TabRects(HWND pageControl, HFONT font, const std::wstring (&titles)[2], RECT (&rects)[2]) {
  WindowDc dc(pageControl);
  SelectScope selected(dc.dc(), font);
  int left = kTabsLeft;
  for (int i = 0; i < 2; ++i) {
    SIZE size{};
    GetTextExtentPoint32W(dc.dc(), titles[i].c_str(), static_cast<int>(titles[i].size()), &size);
    int width = size.cx + 2 * kTabPadding;
    if (width < 40) width = 40;
    rects[i] = {left, 0, left + width, kTabRowHeight + 1};
    left += width - 1;  // neighbouring tabs share a border line
  }
}
}  // namespace

LRESULT TForm3::HandlePageControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd);
      RECT client;
      GetClientRect(hwnd, &client);
      PaintPageControl(paint.dc(), client);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      RECT tabs[2];
      TabRects(hwnd, resources_->windowFont.get(), resources_->pageTitles, tabs);
      for (int i = 0; i < 2; ++i) {
        if (PtInRect(&tabs[i], point)) {
          if (i != activePage_) SelectPage(i);
          return 0;
        }
      }
      // A press on the thin frame starts a drag that nothing accepts.
      if (point.y > kTabRowHeight) {
        draggingFrame_ = true;
        SetCapture(hwnd);
        SetCursor(LoadCursorW(nullptr, IDC_NO));
      }
      return 0;
    }
    case WM_SETCURSOR:
      if (draggingFrame_) {
        SetCursor(LoadCursorW(nullptr, IDC_NO));
        return TRUE;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_LBUTTONUP:
      if (draggingFrame_) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      draggingFrame_ = false;
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void TForm3::PaintPageControl(HDC dc, const RECT& client) {
  const Theme& theme = CurrentTheme();
  const Resources& r = *resources_;
  FillSolid(dc, {client.left, client.top, client.right, kTabRowHeight}, theme.face);
  FillSolid(dc, {client.left, kTabRowHeight, client.right, client.bottom}, theme.pageFill);
  FrameSolid(dc, {client.left, kTabRowHeight, client.right, client.bottom}, theme.pageBorder);

  RECT tabs[2];
  TabRects(pageControl_, r.windowFont.get(), r.pageTitles, tabs);
  SelectScope font(dc, r.windowFont.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  // The inactive tab first, lower; the active one over it, open to its page.
  for (int pass = 0; pass < 2; ++pass) {
    int i = pass == 0 ? 1 - activePage_ : activePage_;
    RECT tab = tabs[i];
    bool active = i == activePage_;
    if (!active) tab.top += 2;
    FillSolid(dc, tab, active ? theme.pageFill : theme.inactiveTab);
    FrameSolid(dc, tab, theme.pageBorder);
    if (active)
      FillSolid(dc, {tab.left + 1, kTabRowHeight, tab.right - 1, kTabRowHeight + 1}, theme.pageFill);
    RECT text = tab;
    DrawTextW(dc, r.pageTitles[i].c_str(), static_cast<int>(r.pageTitles[i].size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void TForm3::SelectPage(int index) {
  // The page that was active gives up its input before the new one comes to
  // the front, so only the page in front ever takes the mouse.
  HWND previous = pages_[activePage_];
  if (previous != pages_[index]) EnableWindow(previous, FALSE);
  activePage_ = index;
  HWND page = pages_[index];
  ShowWindow(page, SW_SHOW);
  EnableWindow(page, TRUE);
  SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(pageControl_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---------------------------------------------------------------------------
// Pages, memo and scroll bar.

LRESULT CALLBACK TForm3::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TForm3* form = WindowObject<TForm3>(hwnd, message, lParam);
  if (!form || message == WM_NCDESTROY) return DefWindowProcW(hwnd, message, wParam, lParam);
  return Guarded([&] { return form->HandlePageMessage(hwnd, message, wParam, lParam); }, 0);
}

LRESULT TForm3::HandlePageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd, &client);
      FillSolid(reinterpret_cast<HDC>(wParam), client, CurrentTheme().pageFill);
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      if (control == label1_) {
        // Transparent: the logo shows through around the letters.
        PaintLogoUnder(control, dc);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      // The read-only memo.
      SetBkColor(dc, CurrentTheme().memoFill);
      SetTextColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(resources_->memoBrush.get());
    }
    case WM_CTLCOLORSCROLLBAR: return reinterpret_cast<LRESULT>(resources_->scrollBrush.get());
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == scrollBar_) OnScrollBar(wParam);
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK TForm3::MemoSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, MemoSubclassProc, kMemoSubclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  // Whatever scrolled the memo (wheel, keys, selection, EM_ messages), the
  // bar follows.
  auto* form = reinterpret_cast<TForm3*>(data);
  Guarded([&] { form->SyncScrollBar(); return LRESULT{0}; }, 0);
  return result;
}

void TForm3::SyncScrollBar() {
  // The memo's answers below pass through its subclass, which syncs again.
  if (!memo_ || !scrollBar_ || syncing_) return;
  syncing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{syncing_};
  int lines = static_cast<int>(SendMessageW(memo_, EM_GETLINECOUNT, 0, 0));
  int first = static_cast<int>(SendMessageW(memo_, EM_GETFIRSTVISIBLELINE, 0, 0));
  RECT format{};
  SendMessageW(memo_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  TEXTMETRICW metrics{};
  {
    WindowDc dc(memo_);
    SelectScope font(dc.dc(), resources_->windowFont.get());
    GetTextMetricsW(dc.dc(), &metrics);
  }
  int lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
  int visible = (format.bottom - format.top) / lineHeight;
  if (visible < 1) visible = 1;

  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, lines - 1,
                  static_cast<UINT>(visible), first, 0};
  SCROLLINFO current{};
  current.cbSize = sizeof(current);
  current.fMask = SIF_ALL;
  GetScrollInfo(scrollBar_, SB_CTL, &current);
  if (current.nMin != info.nMin || current.nMax != info.nMax || current.nPage != info.nPage ||
      current.nPos != info.nPos)
    SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
  BOOL canScroll = lines > visible;
  if ((IsWindowEnabled(scrollBar_) != FALSE) != (canScroll != FALSE)) EnableWindow(scrollBar_, canScroll);
}

void TForm3::OnScrollBar(WPARAM wParam) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(scrollBar_, SB_CTL, &info);
  int first = static_cast<int>(SendMessageW(memo_, EM_GETFIRSTVISIBLELINE, 0, 0));
  int target = first;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: target = first - 1; break;
    case SB_LINEDOWN: target = first + 1; break;
    case SB_PAGEUP: target = first - static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: target = first + static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = info.nTrackPos; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = info.nMax; break;
    default: return;
  }
  int last = info.nMax - static_cast<int>(info.nPage) + 1;
  if (target > last) target = last;
  if (target < 0) target = 0;
  if (target != first) SendMessageW(memo_, EM_LINESCROLL, 0, target - first);
  SyncScrollBar();
}

// ---------------------------------------------------------------------------
// Logo.

LRESULT CALLBACK TForm3::ImageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TForm3* form = WindowObject<TForm3>(hwnd, message, lParam);
  if (!form || message == WM_NCDESTROY) return DefWindowProcW(hwnd, message, wParam, lParam);
  return Guarded([&] { return form->HandleImageMessage(hwnd, message, wParam, lParam); }, 0);
}

LRESULT TForm3::HandleImageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd);
      PaintLogoUnder(hwnd, paint.dc());
      return 0;
    }
    case WM_LBUTTONDBLCLK: Image1DblClick(); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// Draws the part of the stretched logo that lies under `child` (the image
// itself or a control in front of it) into the child's DC.
void TForm3::PaintLogoUnder(HWND child, HDC dc) {
  const Resources& r = *resources_;
  RECT image;
  GetClientRect(image_, &image);
  POINT offset{0, 0};
  MapWindowPoints(child, image_, &offset, 1);
  const win32::UniqueMemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  SelectScope bitmap(memory.get(), r.logo.get());
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, -offset.x, -offset.y, image.right, image.bottom, memory.get(), 0, 0, r.logoSize.cx,
             r.logoSize.cy, SRCCOPY);
}

}  // namespace veskaro::app
