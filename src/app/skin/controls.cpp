#include "app/skin/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/skin/paint.h"

namespace veskaro::app::skin {

namespace {

constexpr wchar_t kHotProp[] = L"Veskaro.Hot";
constexpr wchar_t kBevelClass[] = L"VeskaroBevel";
constexpr wchar_t kCaptionButtonClass[] = L"VeskaroCaptionButton";
constexpr UINT_PTR kHoverSubclass = 1;
constexpr UINT_PTR kEditSubclass = 2;
// Space between an edit's border and its text, so that one line of the
// window font sits in the middle of a 21-pixel box. The border itself is
// ours too (no WS_BORDER), so that the control draws none of its own.
constexpr int kEditPadTop = 3;
constexpr int kEditPadSide = 2;

Skin* g_skin = nullptr;  // the edits' border colour, for WM_NCPAINT

LRESULT CALLBACK HoverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!IsHot(hwnd)) {
        SetPropW(hwnd, kHotProp, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      RemovePropW(hwnd, kHotProp);
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      RemovePropW(hwnd, kHotProp);
      RemoveWindowSubclass(hwnd, HoverProc, kHoverSubclass);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      auto* r = reinterpret_cast<RECT*>(lp);  // first rectangle in both forms
      LRESULT res = DefSubclassProc(hwnd, msg, wp, lp);
      // One pixel of border all round, then the padding.
      r->left += 1 + kEditPadSide;
      r->right -= 1 + kEditPadSide;
      r->top += 1 + kEditPadTop;
      r->bottom -= 1;
      return res;
    }
    case WM_NCPAINT: {
      win32::WindowDc dc(hwnd, true);
      RECT w;
      GetWindowRect(hwnd, &w);
      RECT whole{0, 0, w.right - w.left, w.bottom - w.top};
      RECT client;
      GetClientRect(hwnd, &client);
      POINT origin{0, 0};
      ClientToScreen(hwnd, &origin);
      OffsetRect(&client, origin.x - w.left, origin.y - w.top);
      ExcludeClipRect(dc.dc(), client.left, client.top, client.right, client.bottom);
      bool enabled = IsWindowEnabled(hwnd);
      FillColor(dc.dc(), whole, enabled ? GetSysColor(COLOR_WINDOW) : GetSysColor(COLOR_BTNFACE));
      FrameColor(dc.dc(), whole, g_skin ? g_skin->theme.editBorder : 0);
      return 0;
    }
    case WM_ENABLE:
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditProc, kEditSubclass);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK BevelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    win32::PaintScope ps(hwnd);
    RECT r;
    GetClientRect(hwnd, &r);
    FillColor(ps.dc(), r, g_skin ? g_skin->theme.bevel : GetSysColor(COLOR_BTNSHADOW));
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Caption buttons keep their state in the window's extra bytes.
enum CaptionSlot { kSlotGlyph = 0, kSlotState = 1 };
enum CaptionState : LONG_PTR { kPressed = 1, kChecked = 2, kCaptured = 4 };

void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, COLORREF ink) {
  int cx = (r.left + r.right) / 2;
  int cy = (r.top + r.bottom) / 2;
  switch (glyph) {
    case Glyph::AppIcon: {
      HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 16,
                                                 16, LR_SHARED));
      if (icon) DrawIconEx(dc, cx - 8, cy - 8, icon, 16, 16, 0, nullptr, DI_NORMAL);
      break;
    }
    case Glyph::Minimize: {
      RECT bar{cx - 4, cy + 2, cx + 4, cy + 4};
      FillColor(dc, bar, ink);
      break;
    }
    case Glyph::Close:
      for (int d = -1; d <= 0; ++d) {
        Line(dc, cx - 4 + d + 1, cy - 4, cx + 4 + d + 1, cy + 4, ink);
        Line(dc, cx + 3 + d + 1, cy - 4, cx - 5 + d + 1, cy + 4, ink);
      }
      break;
    case Glyph::Pin: {
      RECT head{cx - 3, cy - 5, cx + 3, cy + 1};
      FrameColor(dc, head, ink);
      Line(dc, cx - 5, cy + 1, cx + 6, cy + 1, ink);
      Line(dc, cx, cy + 1, cx, cy + 6, ink);
      break;
    }
  }
}

LRESULT CALLBACK CaptionButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LONG_PTR state = GetWindowLongPtrW(hwnd, sizeof(LONG_PTR) * kSlotState);
  auto setState = [hwnd](LONG_PTR s) {
    SetWindowLongPtrW(hwnd, sizeof(LONG_PTR) * kSlotState, s);
    InvalidateRect(hwnd, nullptr, FALSE);
  };
  switch (msg) {
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      setState(state | kPressed | kCaptured);
      return 0;
    case WM_MOUSEMOVE:
      if (state & kCaptured) {
        RECT r;
        GetClientRect(hwnd, &r);
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        bool inside = PtInRect(&r, p);
        if (inside != static_cast<bool>(state & kPressed)) setState(inside ? state | kPressed : state & ~kPressed);
      }
      break;  // the hover subclass tracks the pointer
    case WM_LBUTTONUP:
      if (state & kCaptured) {
        bool click = state & kPressed;
        setState(state & ~(kPressed | kCaptured));
        ReleaseCapture();
        if (click) {
          SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(hwnd));
        }
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (state & kCaptured) setState(state & ~(kPressed | kCaptured));
      return 0;
    case BM_CLICK:
      SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
      return 0;
    case BM_GETCHECK:
      return (state & kChecked) ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      setState(wp == BST_CHECKED ? state | kChecked : state & ~kChecked);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      win32::PaintScope ps(hwnd);
      RECT r;
      GetClientRect(hwnd, &r);
      BufferedPaint buf(ps.dc(), r.right, r.bottom);
      HDC dc = buf.dc();
      // The parent's background first: the buttons sit on gradients.
      POINT origin{0, 0};
      MapWindowPoints(hwnd, GetParent(hwnd), &origin, 1);
      SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
      SendMessageW(GetParent(hwnd), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      SetWindowOrgEx(dc, 0, 0, nullptr);
      auto glyph = static_cast<Glyph>(GetWindowLongPtrW(hwnd, 0));
      bool pressed = (state & kPressed) || (state & kChecked);
      bool hot = IsHot(hwnd) || (state & kCaptured);
      RECT box{r.left, r.top, r.right - 1, r.bottom - 1};
      COLORREF frame = g_skin ? g_skin->theme.border : RGB(79, 107, 160);
      if (pressed) {
        RoundedBox(dc, box, 5, Mix(frame, RGB(255, 255, 255), 55), Mix(frame, RGB(255, 255, 255), 75), frame);
      } else if (hot) {
        bool danger = glyph == Glyph::Close;
        COLORREF top = danger ? RGB(250, 200, 190) : RGB(255, 255, 255);
        COLORREF bottom = danger ? RGB(232, 120, 100) : Mix(frame, RGB(255, 255, 255), 80);
        RoundedBox(dc, box, 5, top, bottom, danger ? RGB(170, 60, 40) : frame);
      } else if (glyph != Glyph::AppIcon) {
        RoundedBox(dc, box, 5, RGB(255, 255, 255), Mix(frame, RGB(255, 255, 255), 88),
                   Mix(frame, RGB(255, 255, 255), 45));
      }
      COLORREF ink = (hot && glyph == Glyph::Close) ? RGB(255, 255, 255) : RGB(40, 52, 80);
      if (hot && glyph == Glyph::Close) ink = RGB(90, 20, 10);
      RECT g = r;
      if (pressed) OffsetRect(&g, 1, 1);
      DrawGlyph(dc, g, glyph, ink);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

Skin::Skin(const Theme& t)
    : theme(t),
      windowFont(MakeFont(L"MS Sans Serif", 11)),
      headingFont(MakeFont(L"MS Sans Serif", 11, false, true)),
      linkFont(MakeFont(L"MS Sans Serif", 11, true, true)),
      titleFont(MakeFont(L"Tahoma", 11, true)),
      panelFont(MakeFont(L"Tahoma", 11)),
      windowFallback(MakeFont(L"Tahoma", 11)),
      headingFallback(MakeFont(L"Tahoma", 11, false, true)),
      linkFallback(MakeFont(L"Tahoma", 11, true, true)),
      faceBrush(CreateSolidBrush(t.face)),
      whiteBrush(CreateSolidBrush(RGB(255, 255, 255))) {
  g_skin = this;
}

Skin::~Skin() {
  if (g_skin == this) g_skin = nullptr;
}

void RegisterControlClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kBevelClass;
  wc.lpfnWndProc = BevelProc;
  RegisterClassExW(&wc);
  wc.lpszClassName = kCaptionButtonClass;
  wc.lpfnWndProc = CaptionButtonProc;
  wc.cbWndExtra = 2 * sizeof(LONG_PTR);
  RegisterClassExW(&wc);
}

HWND CreateChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, HWND parent, int id,
                 int x, int y, int w, int h, HFONT font) {
  HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w,
                              h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw std::runtime_error("CreateWindowEx failed");
  if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

bool IsHot(HWND hwnd) { return GetPropW(hwnd, kHotProp) != nullptr; }

void TrackHover(HWND hwnd) { SetWindowSubclass(hwnd, HoverProc, kHoverSubclass, 0); }

HWND CreateSkinButton(HWND parent, int id, const std::wstring& text, int x, int y, int w, int h, const Skin& skin) {
  HWND b = CreateChild(WC_BUTTONW, text, BS_OWNERDRAW | WS_TABSTOP, 0, parent, id, x, y, w, h,
                       skin.windowFont.get());
  TrackHover(b);
  return b;
}

void DrawSkinButton(const DRAWITEMSTRUCT& item, const Skin& skin) {
  RECT r = item.rcItem;
  BufferedPaint buf(item.hDC, r.right, r.bottom);
  HDC dc = buf.dc();
  // Corners show the surface the button lies on.
  HWND parent = GetParent(item.hwndItem);
  bool onPanel = GetDlgCtrlID(parent) != 0;
  FillColor(dc, r, onPanel ? skin.theme.sideBody : skin.theme.face);
  bool enabled = !(item.itemState & ODS_DISABLED);
  bool pressed = item.itemState & ODS_SELECTED;
  bool hot = enabled && IsHot(item.hwndItem);
  const Theme& t = skin.theme;
  RECT box{r.left, r.top, r.right - 1, r.bottom - 1};
  COLORREF frame = enabled ? t.border : Mix(t.border, t.face, 60);
  COLORREF top = t.buttonTop, bottom = t.buttonBottom;
  if (!enabled) {
    top = Mix(t.buttonTop, t.face, 50);
    bottom = Mix(t.buttonBottom, t.face, 70);
  } else if (pressed) {
    std::swap(top, bottom);
    bottom = Mix(bottom, t.border, 8);
  } else if (hot) {
    top = RGB(255, 255, 255);
    bottom = Mix(t.buttonBottom, RGB(255, 236, 170), 45);
    frame = Mix(t.border, RGB(230, 160, 40), 45);
  }
  RoundedBox(dc, box, 6, top, bottom, frame);
  if (enabled && !pressed) Line(dc, box.left + 3, box.top + 1, box.right - 3, box.top + 1, RGB(255, 255, 255));
  wchar_t text[256];
  int n = GetWindowTextW(item.hwndItem, text, 256);
  win32::SelectScope font(dc, skin.windowFont.get());
  SetBkMode(dc, TRANSPARENT);
  RECT tr = r;
  if (pressed) OffsetRect(&tr, 1, 1);
  if (enabled) {
    SetTextColor(dc, t.buttonText);
    DrawTextW(dc, text, n, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  } else {
    SetTextColor(dc, RGB(255, 255, 255));
    OffsetRect(&tr, 1, 1);
    DrawTextW(dc, text, n, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    OffsetRect(&tr, -1, -1);
    SetTextColor(dc, Mix(t.border, t.face, 35));
    DrawTextW(dc, text, n, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT f{r.left + 3, r.top + 3, r.right - 4, r.bottom - 4};
    SetTextColor(dc, 0);
    DrawFocusRect(dc, &f);
  }
}

HWND CreateSkinEdit(HWND parent, int id, int x, int y, int w, int h, const Skin& skin) {
  HWND e = CreateChild(WC_EDITW, L"", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP, 0, parent, id, x, y, w, h,
                       skin.windowFont.get());
  SetWindowSubclass(e, EditProc, kEditSubclass, 0);
  SetWindowPos(e, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return e;
}

HFONT Skin::FallbackFor(HFONT font) const {
  if (font && font == windowFont.get()) return windowFallback.get();
  if (font && font == headingFont.get()) return headingFallback.get();
  if (font && font == linkFont.get()) return linkFallback.get();
  return nullptr;
}

bool FontFitsText(HFONT font, const std::wstring& text, int width) {
  if (text.empty()) return true;
  win32::WindowDc dc(nullptr);
  win32::SelectScope sel(dc.dc(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  const int n = static_cast<int>(text.size());
  // A font without Cyrillic would draw boxes; raster fonts may not answer
  // (GDI_ERROR), and then only the width decides.
  std::vector<WORD> glyphs(text.size());
  if (GetGlyphIndicesW(dc.dc(), text.c_str(), n, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR &&
      std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) != glyphs.end())
    return false;
  SIZE size{};
  return GetTextExtentPoint32W(dc.dc(), text.c_str(), n, &size) && size.cx <= width;
}

HFONT Skin::LabelFont(HFONT font, const std::wstring& text, int width) {
  if (FontFitsText(font, text, width)) return font;
  const HFONT twin = FallbackFor(font);
  if (!twin) return font;
  if (FontFitsText(twin, text, width)) return twin;
  // Without Tahoma the system's stand-in may be wider still: keep the
  // height and narrow the characters until the text fits the layout.
  LOGFONTW lf{};
  if (!GetObjectW(twin, sizeof lf, &lf)) return twin;
  TEXTMETRICW tm{};
  SIZE size{};
  {
    win32::WindowDc dc(nullptr);
    win32::SelectScope sel(dc.dc(), twin);
    if (!GetTextMetricsW(dc.dc(), &tm) ||
        !GetTextExtentPoint32W(dc.dc(), text.c_str(), static_cast<int>(text.size()), &size) || size.cx <= 0)
      return twin;
  }
  for (lf.lfWidth = std::max<LONG>(1, MulDiv(tm.tmAveCharWidth, width, size.cx)); lf.lfWidth > 0; --lf.lfWidth) {
    win32::UniqueFont narrowed(CreateFontIndirectW(&lf));
    if (narrowed && FontFitsText(narrowed.get(), text, width)) {
      narrowedFonts.push_back(std::move(narrowed));
      return narrowedFonts.back().get();
    }
  }
  return twin;
}

HWND CreateLabel(HWND parent, int id, const std::wstring& text, int x, int y, int w, int h, HFONT font,
                 Skin* skin, int room) {
  if (skin) font = skin->LabelFont(font, text, room > 0 ? room : w);
  HWND label =
      CreateChild(WC_STATICW, text, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, 0, parent, id, x, y, w, h, font);
  FitLabelToText(label);
  return label;
}

void FitLabelToText(HWND label) {
  // A label's size follows its text, whatever the font's metrics here.
  win32::WindowDc dc(label, false);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  win32::SelectScope sel(dc.dc(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  wchar_t text[512];
  int n = GetWindowTextW(label, text, 512);
  SIZE size{};
  GetTextExtentPoint32W(dc.dc(), text, n, &size);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateBevel(HWND parent, int x, int y, int w, int h) {
  return CreateChild(kBevelClass, L"", 0, 0, parent, 0, x, y, w, h, nullptr);
}

HWND CreateCaptionButton(HWND parent, int id, const std::wstring& text, Glyph glyph, int x, int y, int w, int h) {
  HWND b = CreateChild(kCaptionButtonClass, text, 0, 0, parent, id, x, y, w, h, nullptr);
  SetWindowLongPtrW(b, 0, static_cast<LONG_PTR>(glyph));
  TrackHover(b);
  return b;
}

void SetCaptionButtonChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CaptionButtonChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace veskaro::app::skin
