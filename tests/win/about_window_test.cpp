// The About window against the real window manager (Wine under Xvfb).
#include "app/about_window.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "../../res/about_ids.h"
#include "core/about_text.h"

namespace veskaro::app {
namespace {

class IdleTimer : public GestureTimer {
 public:
  void Enable() override {}
};

void Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND FindDescendant(HWND root, int id) {
  Search search{id, nullptr};
  EnumChildWindows(root, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring Widen(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                      wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

std::vector<std::wstring> SplitCrLf(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) return lines;
    start = end + 2;
  }
}

// Where a child lies in its parent's client area.
RECT RectInParent(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Click(HWND hwnd, int x, int y) {
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Pump();
}

// Handles of one About window's controls, found as automation finds them.
struct AboutControls {
  explicit AboutControls(HWND about) : window(about) {
    pageControl = FindDescendant(about, IDC_ABOUT_PAGECONTROL);
    aboutPage = FindWindowExW(pageControl, nullptr, nullptr, L"About");
    logoPage = FindWindowExW(pageControl, nullptr, nullptr, L"Logo");
    memo = FindDescendant(about, IDC_ABOUT_MEMO);
    scrollBar = FindDescendant(about, IDC_ABOUT_SCROLLBAR);
    image = FindDescendant(about, IDC_ABOUT_IMAGE);
    label1 = FindDescendant(about, IDC_ABOUT_CREDIT);
  }

  // Clicks along the tab row until the wanted page is the active one.
  void SelectTab(HWND page) const {
    for (int x = 11; x < 200 && !IsWindowEnabled(page); x += 4) Click(pageControl, x, 10);
  }

  bool InFront(HWND page) const { return GetWindow(pageControl, GW_CHILD) == page; }

  HWND window, pageControl, aboutPage, logoPage, memo, scrollBar, image, label1;
};

class AboutWindowTest : public ::testing::Test {
 protected:
  // COM stays up for the whole suite, as it does for the program's life:
  // taking it down after each test costs Wine seconds.
  static void SetUpTestSuite() { comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  static void TearDownTestSuite() {
    if (comReady_) CoUninitialize();
  }

  void SetUp() override { ASSERT_TRUE(comReady_); }

  void TearDown() override {
    for (HWND hwnd : opened_)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    Pump();
    EXPECT_EQ(Form3, nullptr);
  }

  static inline bool comReady_ = false;

  HWND Open() {
    OpenAboutWindow(GetModuleHandleW(nullptr), gesture_);
    Pump();
    EXPECT_NE(Form3, nullptr);
    HWND hwnd = Form3 ? Form3->Handle() : nullptr;
    opened_.push_back(hwnd);
    return hwnd;
  }

  void Unlock() {
    gesture_.MouseDown(MouseButton::Right);
    gesture_.MouseDown(MouseButton::Left);
    ASSERT_TRUE(gesture_.CreditUnlocked());
  }

  IdleTimer timer_;
  CreditGesture gesture_{timer_};
  std::vector<HWND> opened_;
};

TEST_F(AboutWindowTest, EachOpeningAddsAWindowAndForm3NamesTheNewest) {
  HWND first = Open();
  HWND second = Open();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(Form3->Handle(), second);
  for (HWND hwnd : {first, second}) {
    EXPECT_TRUE(IsWindowVisible(hwnd));
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    EXPECT_STREQ(cls, L"TForm3");
    EXPECT_EQ(TextOf(hwnd), L"Created by Tamberlo Studio");
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 301);
    EXPECT_EQ(client.bottom, 232);
    // Owned by the application's hidden window: no taskbar button of its
    // own, and no other window is kept behind it.
    HWND owner = GetWindow(hwnd, GW_OWNER);
    EXPECT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  }
  // Both at the same centred place.
  RECT a, b;
  GetWindowRect(first, &a);
  GetWindowRect(second, &b);
  EXPECT_TRUE(EqualRect(&a, &b));
  EXPECT_NEAR((a.left + a.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((a.top + a.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

  // Closing the older one clears Form3 although it named the newer one.
  SendMessageW(first, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(Form3, nullptr);
  ASSERT_TRUE(IsWindow(second));
  AboutControls controls(second);
  controls.SelectTab(controls.logoPage);
  EXPECT_TRUE(IsWindowEnabled(controls.logoPage));
}

TEST_F(AboutWindowTest, FailedCreationClearsForm3AndReportsTheError) {
  HWND first = Open();
  ASSERT_EQ(Form3->Handle(), first);
  // A module without the About window's resources.
  EXPECT_THROW(OpenAboutWindow(GetModuleHandleW(L"kernel32.dll"), gesture_), std::exception);
  EXPECT_EQ(Form3, nullptr);
  EXPECT_TRUE(IsWindowVisible(first));
  // The next opening works again.
  HWND next = Open();
  EXPECT_NE(next, nullptr);
  EXPECT_EQ(Form3->Handle(), next);
}

TEST_F(AboutWindowTest, LaysOutTheControlsAsDesigned) {
  AboutControls c(Open());
  ASSERT_TRUE(c.pageControl && c.aboutPage && c.logoPage && c.memo && c.scrollBar && c.image && c.label1);
  RECT rect = RectInParent(c.pageControl);
  EXPECT_EQ(rect.left, 6);
  EXPECT_EQ(rect.top, 48);
  EXPECT_EQ(rect.right - rect.left, 289);
  EXPECT_EQ(rect.bottom - rect.top, 177);
  for (HWND page : {c.aboutPage, c.logoPage}) {
    rect = RectInParent(page);
    EXPECT_EQ(rect.left, 3);
    EXPECT_EQ(rect.top, 21);
    EXPECT_EQ(rect.right - rect.left, 283);
    EXPECT_EQ(rect.bottom - rect.top, 153);
  }
  EXPECT_EQ(GetParent(c.memo), c.aboutPage);
  EXPECT_EQ(GetParent(c.image), c.logoPage);
  EXPECT_EQ(GetParent(c.label1), c.logoPage);
  rect = RectInParent(c.scrollBar);
  EXPECT_EQ(rect.left, 265);
  EXPECT_EQ(rect.top, 1);
  EXPECT_EQ(rect.right - rect.left, 16);
  EXPECT_EQ(rect.bottom - rect.top, 151);
  wchar_t cls[32] = {};
  GetClassNameW(c.scrollBar, cls, 32);
  EXPECT_STREQ(cls, L"ScrollBar");

  // The credit line: hidden, at (0, 140), in front of the logo, with its font.
  rect = RectInParent(c.label1);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 140);
  EXPECT_GT(rect.right - rect.left, 0);
  EXPECT_FALSE(IsWindowVisible(c.label1));
  EXPECT_EQ(TextOf(c.label1), L"");
  EXPECT_EQ(GetWindow(c.logoPage, GW_CHILD), c.label1);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.label1, WM_GETFONT, 0, 0)), sizeof(font), &font);
  EXPECT_STREQ(font.lfFaceName, L"Book Antiqua");
  EXPECT_EQ(font.lfHeight, -11);
}

TEST_F(AboutWindowTest, MemoHoldsTheDescriptionLineByLineAndCannotBeEdited) {
  AboutControls c(Open());
  std::vector<std::wstring> shown = SplitCrLf(TextOf(c.memo));
  std::vector<std::wstring> expected = SplitCrLf(Widen(AboutText()));
  ASSERT_EQ(shown.size(), 32u);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(shown[i], expected[i]) << "line " << i + 1;
  EXPECT_EQ(shown[31], std::wstring(70, L' ') + L"Tamberlo.");

  LONG style = GetWindowLongW(c.memo, GWL_STYLE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_MULTILINE);
  // Word wrap: no horizontal scrolling of any kind.
  EXPECT_FALSE(style & (ES_AUTOHSCROLL | WS_HSCROLL));

  const std::wstring before = TextOf(c.memo);
  SetFocus(c.memo);
  SendMessageW(c.memo, EM_SETSEL, 0, -1);
  SendMessageW(c.memo, WM_CHAR, L'x', 0);
  SendMessageW(c.memo, WM_KEYDOWN, VK_DELETE, 0);
  SendMessageW(c.memo, WM_CHAR, VK_BACK, 0);
  SendMessageW(c.memo, WM_CUT, 0, 0);
  SendMessageW(c.memo, WM_CLEAR, 0, 0);
  Pump();
  EXPECT_EQ(TextOf(c.memo), before);
}

TEST_F(AboutWindowTest, OnlyTheActivePageIsEnabledAndInFront) {
  AboutControls c(Open());
  EXPECT_TRUE(IsWindowEnabled(c.aboutPage));
  EXPECT_FALSE(IsWindowEnabled(c.logoPage));
  EXPECT_TRUE(c.InFront(c.aboutPage));

  c.SelectTab(c.logoPage);
  EXPECT_TRUE(IsWindowEnabled(c.logoPage));
  EXPECT_FALSE(IsWindowEnabled(c.aboutPage));
  EXPECT_TRUE(IsWindowVisible(c.logoPage));
  EXPECT_TRUE(c.InFront(c.logoPage));

  c.SelectTab(c.aboutPage);
  EXPECT_TRUE(IsWindowEnabled(c.aboutPage));
  EXPECT_FALSE(IsWindowEnabled(c.logoPage));
  EXPECT_TRUE(c.InFront(c.aboutPage));
}

TEST_F(AboutWindowTest, ScrollBarFollowsTheMemoBothWays) {
  AboutControls c(Open());
  auto position = [&] {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(c.scrollBar, SB_CTL, &info);
    return info.nPos;
  };
  auto firstLine = [&] { return static_cast<int>(SendMessageW(c.memo, EM_GETFIRSTVISIBLELINE, 0, 0)); };

  // The description is longer than the page: the bar is live.
  EXPECT_TRUE(IsWindowEnabled(c.scrollBar));
  EXPECT_EQ(position(), 0);

  // The bar scrolls the memo.
  SendMessageW(c.aboutPage, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(c.scrollBar));
  EXPECT_EQ(firstLine(), 1);
  EXPECT_EQ(position(), 1);
  SendMessageW(c.aboutPage, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(c.scrollBar));
  EXPECT_GT(firstLine(), 1);
  EXPECT_EQ(position(), firstLine());
  SendMessageW(c.aboutPage, WM_VSCROLL, SB_TOP, reinterpret_cast<LPARAM>(c.scrollBar));
  EXPECT_EQ(firstLine(), 0);
  EXPECT_EQ(position(), 0);

  // The memo's own scrolling moves the bar: by message, by keyboard and by wheel.
  SendMessageW(c.memo, EM_LINESCROLL, 0, 5);
  EXPECT_EQ(firstLine(), 5);
  EXPECT_EQ(position(), 5);
  SendMessageW(c.memo, WM_KEYDOWN, VK_NEXT, 0);
  Pump();
  EXPECT_EQ(position(), firstLine());
  SendMessageW(c.memo, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  Pump();
  EXPECT_EQ(position(), firstLine());
  SendMessageW(c.memo, EM_SCROLL, SB_PAGEDOWN, 0);
  SendMessageW(c.memo, EM_SCROLL, SB_PAGEDOWN, 0);
  SendMessageW(c.memo, EM_SCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(position(), firstLine());

  // A text that fits leaves nothing to scroll: the bar goes dead.
  SetWindowTextW(c.memo, L"short");
  EXPECT_FALSE(IsWindowEnabled(c.scrollBar));
  SetWindowTextW(c.memo, Widen(AboutText()).c_str());
  EXPECT_TRUE(IsWindowEnabled(c.scrollBar));
}

struct RevealCase {
  const char* name;
  bool unlocked;
};

class AboutRevealTest : public AboutWindowTest, public ::testing::WithParamInterface<RevealCase> {};

TEST_P(AboutRevealTest, DoubleClickOnTheLogoShowsTheCreditOnlyWhenUnlocked) {
  if (GetParam().unlocked) Unlock();
  AboutControls c(Open());
  c.SelectTab(c.logoPage);
  ASSERT_TRUE(IsWindowEnabled(c.logoPage));
  SendMessageW(c.image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  SendMessageW(c.image, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_FALSE(IsWindowVisible(c.label1));  // a single click is not enough
  SendMessageW(c.image, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
  EXPECT_EQ(IsWindowVisible(c.label1) != FALSE, GetParam().unlocked);
  // The reveal does not use the unlock up.
  EXPECT_EQ(gesture_.CreditUnlocked(), GetParam().unlocked);
}

INSTANTIATE_TEST_SUITE_P(AboutGesture, AboutRevealTest,
                         ::testing::Values(RevealCase{"Locked", false}, RevealCase{"Unlocked", true}),
                         [](const ::testing::TestParamInfo<RevealCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(AboutWindowTest, ClosingOneWindowLocksTheCreditButKeepsAnotherShownOne) {
  Unlock();
  AboutControls a(Open());
  AboutControls b(Open());
  a.SelectTab(a.logoPage);
  SendMessageW(a.image, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
  ASSERT_TRUE(IsWindowVisible(a.label1));

  // Close b with its title bar's close button (the right end of the bar).
  Click(b.window, 301 - 5 - 10, 14);
  EXPECT_FALSE(IsWindow(b.window));
  EXPECT_FALSE(gesture_.CreditUnlocked());
  EXPECT_EQ(Form3, nullptr);
  EXPECT_TRUE(IsWindowVisible(a.label1));

  // A new window starts on "About" with the credit hidden, and stays locked.
  AboutControls c(Open());
  EXPECT_TRUE(IsWindowEnabled(c.aboutPage));
  EXPECT_FALSE(IsWindowVisible(c.label1));
  c.SelectTab(c.logoPage);
  SendMessageW(c.image, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
  EXPECT_FALSE(IsWindowVisible(c.label1));
}

TEST_F(AboutWindowTest, MinimiseButtonMinimisesTheWindow) {
  HWND hwnd = Open();
  Click(hwnd, 301 - 5 - 19 - 1 - 10, 14);
  EXPECT_TRUE(IsIconic(hwnd));
  EXPECT_TRUE(IsWindow(hwnd));
}

// Saves what the screen shows of a window as a PNG, for a person to look at.
void SaveScreenshot(HWND hwnd, const std::wstring& path, std::vector<COLORREF>* pixels) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  GdiFlush();
  const auto* data = static_cast<const BYTE*>(bits);
  for (int i = 0; i < width * height && pixels; ++i)
    pixels->push_back(RGB(data[4 * i + 2], data[4 * i + 1], data[4 * i]));

  using Microsoft::WRL::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
  bool saved =
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
      SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
      SUCCEEDED(frame->WritePixels(height, width * 4, width * height * 4, static_cast<BYTE*>(bits))) &&
      SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  EXPECT_TRUE(saved) << "screenshot not saved";
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(AboutWindowTest, DrawsTheLogoOverItsPage) {
  Unlock();
  AboutControls c(Open());
  SetForegroundWindow(c.window);
  RedrawWindow(c.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  const std::wstring dir = std::wstring(L"" VESKARO_SOURCE_DIR) + L"\\build\\screenshots";
  CreateDirectoryW((std::wstring(L"" VESKARO_SOURCE_DIR) + L"\\build").c_str(), nullptr);
  CreateDirectoryW(dir.c_str(), nullptr);
  SaveScreenshot(c.window, dir + L"\\about-page.png", nullptr);

  c.SelectTab(c.logoPage);
  SendMessageW(c.image, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
  RedrawWindow(c.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  SaveScreenshot(c.window, dir + L"\\logo-page.png", nullptr);
  std::vector<COLORREF> pixels;
  SaveScreenshot(c.image, dir + L"\\logo-picture.png", &pixels);
  ASSERT_EQ(pixels.size(), 283u * 153u);
  // The picture is stretched over the whole page: its light background at
  // the corners, the studio's dark blue lettering across the lower middle.
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * 283 + static_cast<size_t>(x)]; };
  for (COLORREF corner : {at(1, 1), at(281, 1), at(281, 151)}) EXPECT_GT(GetBValue(corner), 180);
  int dark = 0;
  for (int x = 20; x < 263; ++x)
    for (int y = 95; y < 120; ++y)
      if (GetRValue(at(x, y)) < 100 && GetBValue(at(x, y)) < 150) ++dark;
  EXPECT_GT(dark, 100);
}

}  // namespace
}  // namespace veskaro::app
