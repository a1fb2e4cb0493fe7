// The About window and the hidden credit, driven as a user drives them:
// "О программе" opens one more window each time, the description is shown
// exactly and cannot be edited, the "Logo" tab, the logo's double-click with
// and without the right-then-left gesture on the main window, and closing
// one window while another keeps its shown credit line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../res/about_ids.h"
#include "../core/about_text_expected.h"
#include "veskaro_app.h"

namespace e2e = veskaro::e2e;
namespace ids = veskaro::app::ids;
using namespace std::chrono_literals;

namespace {

constexpr wchar_t kAboutClass[] = L"TForm3";
constexpr LONG kAboutWidth = 301;
constexpr LONG kAboutHeight = 232;

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

// One About window and its controls, found by their IDs and page texts.
struct AboutWindow {
  explicit AboutWindow(HWND hwnd) : window(hwnd) {
    pageControl = e2e::FindControl(hwnd, IDC_ABOUT_PAGECONTROL);
    aboutPage = e2e::FindControlByText(hwnd, L"About");
    logoPage = e2e::FindControlByText(hwnd, L"Logo");
    memo = e2e::FindControl(hwnd, IDC_ABOUT_MEMO);
    scrollBar = e2e::FindControl(hwnd, IDC_ABOUT_SCROLLBAR);
    image = e2e::FindControl(hwnd, IDC_ABOUT_IMAGE);
    label1 = e2e::FindControl(hwnd, IDC_ABOUT_CREDIT);
  }

  bool Complete() const { return pageControl && aboutPage && logoPage && memo && scrollBar && image && label1; }

  // Clicks along the tab row, left to right, until `page` is the active one,
  // as a user aims at a tab by its caption.
  bool SelectTab(HWND page) const {
    const RECT row = e2e::WindowRect(pageControl);
    for (LONG x = row.left + 12; x < row.left + 200 && !e2e::IsEnabled(page); x += 8) {
      e2e::Click(POINT{x, row.top + 10});
      e2e::WaitUntil([&] { return e2e::IsEnabled(page); }, 300ms);
    }
    return e2e::IsEnabled(page);
  }

  void DoubleClickLogo() const { e2e::DoubleClick(e2e::Center(e2e::WindowRect(image))); }

  // The title bar's close button, at the bar's right end.
  void ClickClose() const {
    const RECT rect = e2e::WindowRect(window);
    e2e::Click(POINT{rect.right - 5 - 10, rect.top + 14});
  }

  HWND window, pageControl, aboutPage, logoPage, memo, scrollBar, image, label1;
};

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session_.Started()) << "the main window did not show"; }

  std::vector<HWND> AboutWindows() { return e2e::TopWindows(session_.App().Id(), kAboutClass); }

  // Brings the main window in front of the About windows the way a user
  // does, by clicking its caption (the centred About windows cover its
  // middle, "О программе" included).
  void ActivateMain() { e2e::BringToFront(session_.Main()); }

  // Drags an About window by its caption to the left edge of the screen, out
  // of the way of "О программе". (Under Wine without a window manager an
  // activated window is not raised, so the main window cannot be brought in
  // front of the centred About window that covers the button.)
  void DragAside(HWND about) {
    const RECT rect = e2e::WindowRect(about);
    const POINT from{rect.left + 150, rect.top + 14};
    const POINT to{from.x - rect.left + 4, from.y};
    e2e::PressMouse(from, e2e::MouseButton::Left);
    e2e::GlideMouse(from, to, 12);
    e2e::ReleaseMouse(to, e2e::MouseButton::Left);
    e2e::WaitUntil([&] { return e2e::WindowRect(about).left <= 8; }, 2s);
  }

  void PressAboutButton() {
    ActivateMain();
    e2e::ClickWindow(session_.Control(ids::BitBtn1));
  }

  // Presses "О программе" and returns the window that appears.
  HWND OpenAbout() {
    const std::vector<HWND> before = AboutWindows();
    PressAboutButton();
    HWND opened = nullptr;
    e2e::WaitUntil(
        [&] {
          for (HWND hwnd : AboutWindows())
            if (std::find(before.begin(), before.end(), hwnd) == before.end()) opened = hwnd;
          return opened != nullptr;
        },
        5s);
    return opened;
  }

  // A point of the main window's bare surface: under the title bar, above
  // the first group's line.
  POINT FreeSurface() const { return session_.ClientPoint(150, 40); }

  // Right press, then left press, on the free surface; twice, so that a tick
  // of the running one-second timer between one pair cannot spoil both.
  void DoGesture() {
    ActivateMain();
    for (int i = 0; i < 2; ++i) {
      e2e::Click(FreeSurface(), e2e::MouseButton::Right);
      e2e::Click(FreeSurface(), e2e::MouseButton::Left);
    }
  }

  bool CreditStaysHidden(const AboutWindow& about) {
    return e2e::HoldsFor([&] { return !e2e::IsVisible(about.label1); }, 600ms);
  }
  bool CreditShows(const AboutWindow& about) {
    return e2e::WaitUntil([&] { return e2e::IsVisible(about.label1); }, 2s);
  }

  e2e::VeskaroSession session_;
};

TEST_F(AboutTest, EachPressOpensOneMoreWindowWithTheDescriptionThatCannotBeEdited) {
  HWND first = OpenAbout();
  ASSERT_NE(first, nullptr);
  const RECT firstRect = e2e::WindowRect(first);
  DragAside(first);
  HWND second = OpenAbout();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(AboutWindows().size(), 2u);
  // Both opened at the same centred place.
  const RECT secondRect = e2e::WindowRect(second);
  EXPECT_TRUE(EqualRect(&firstRect, &secondRect));
  const SIZE client = e2e::ClientSize(second);
  EXPECT_EQ(client.cx, kAboutWidth);
  EXPECT_EQ(client.cy, kAboutHeight);
  const POINT centre = e2e::Center(e2e::WindowRect(second));
  EXPECT_NEAR(centre.x, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR(centre.y, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(e2e::WindowText(second), L"Created by Tamberlo Studio");
  // Owned by the application, not by the main window, which can therefore
  // come in front of it.
  EXPECT_NE(GetWindow(second, GW_OWNER), nullptr);
  EXPECT_NE(GetWindow(second, GW_OWNER), session_.Main());

  AboutWindow about(second);
  ASSERT_TRUE(about.Complete());
  // Opens on "About".
  EXPECT_TRUE(e2e::IsEnabled(about.aboutPage));
  EXPECT_FALSE(e2e::IsEnabled(about.logoPage));
  EXPECT_FALSE(e2e::IsVisible(about.label1));

  const std::wstring text = e2e::WindowText(about.memo);
  const std::vector<std::wstring> lines = SplitCrLf(text);
  ASSERT_EQ(lines.size(), std::size(veskaro::testing_data::kAboutLines));
  for (const auto& expected : veskaro::testing_data::kAboutLines) {
    EXPECT_EQ(lines[static_cast<size_t>(expected.number - 1)],
              e2e::Wide(veskaro::testing_data::FullLine(expected)))
        << "line " << expected.number;
  }

  // The text runs past the page: the bar is live and scrolls the memo.
  EXPECT_TRUE(e2e::IsEnabled(about.scrollBar));
  const RECT bar = e2e::WindowRect(about.scrollBar);
  e2e::Click(POINT{e2e::Center(bar).x, bar.bottom - 6});  // the down arrow
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return SendMessageW(about.memo, EM_GETFIRSTVISIBLELINE, 0, 0) == 1; }, 2s));
  EXPECT_EQ(GetScrollPos(about.scrollBar, SB_CTL), 1);
  e2e::SaveScreenshot(second, "about-e2e-about-page");

  // Typing, deleting and pasting change nothing.
  e2e::ClickWindow(about.memo);
  e2e::TypeText(L"xyz");
  e2e::PressKey(VK_DELETE);
  e2e::PressKey(VK_BACK);
  e2e::PressKey('A', {VK_CONTROL});
  e2e::PressKey('X', {VK_CONTROL});
  e2e::PressKey('V', {VK_CONTROL});
  EXPECT_TRUE(e2e::HoldsFor([&] { return e2e::WindowText(about.memo) == text; }, 500ms));

  // The older window still works.
  AboutWindow older(first);
  e2e::BringToFront(first);
  EXPECT_TRUE(older.SelectTab(older.logoPage));
  EXPECT_FALSE(e2e::IsEnabled(older.aboutPage));
}

TEST_F(AboutTest, LogoDoubleClickShowsTheCreditOnlyAfterTheGesture) {
  AboutWindow about(OpenAbout());
  ASSERT_TRUE(about.Complete());
  ASSERT_TRUE(about.SelectTab(about.logoPage));
  EXPECT_FALSE(e2e::IsEnabled(about.aboutPage));

  // Without the gesture nothing shows.
  about.DoubleClickLogo();
  EXPECT_TRUE(CreditStaysHidden(about));

  // Presses on a button and a label of the main window do not count.
  ActivateMain();
  for (int i = 0; i < 2; ++i) {
    e2e::Click(session_.CenterOf(ids::BitBtn1), e2e::MouseButton::Right);
    e2e::Click(session_.CenterOf(ids::Label2), e2e::MouseButton::Left);
    e2e::Click(session_.CenterOf(ids::Label2), e2e::MouseButton::Right);
    e2e::Click(session_.CenterOf(ids::Label2), e2e::MouseButton::Left);
  }
  e2e::BringToFront(about.window);
  about.DoubleClickLogo();
  EXPECT_TRUE(CreditStaysHidden(about));

  // A left press followed by a right press unlocks nothing either.
  ActivateMain();
  e2e::Click(FreeSurface(), e2e::MouseButton::Left);
  e2e::Click(FreeSurface(), e2e::MouseButton::Right);
  e2e::BringToFront(about.window);
  about.DoubleClickLogo();
  EXPECT_TRUE(CreditStaysHidden(about));

  // Right then left on the bare surface, done while the window is open.
  DoGesture();
  e2e::BringToFront(about.window);
  about.DoubleClickLogo();
  EXPECT_TRUE(CreditShows(about));
  e2e::SaveScreenshot(about.window, "about-e2e-logo-page");
}

TEST_F(AboutTest, ClosingOneWindowClearsTheUnlockWhileAnotherKeepsItsCredit) {
  DoGesture();
  AboutWindow kept(OpenAbout());
  DragAside(kept.window);
  AboutWindow closed(OpenAbout());
  ASSERT_TRUE(kept.Complete() && closed.Complete());

  e2e::BringToFront(kept.window);
  ASSERT_TRUE(kept.SelectTab(kept.logoPage));
  kept.DoubleClickLogo();
  ASSERT_TRUE(CreditShows(kept));

  e2e::BringToFront(closed.window);
  closed.ClickClose();
  EXPECT_TRUE(e2e::WaitForWindowGone(closed.window, 5s));
  EXPECT_EQ(AboutWindows().size(), 1u);
  EXPECT_TRUE(e2e::IsVisible(kept.label1));

  // A new window opens on "About" with the credit hidden, and the unlock is
  // gone: its logo's double-click shows nothing until the gesture again.
  AboutWindow next(OpenAbout());
  ASSERT_TRUE(next.Complete());
  EXPECT_TRUE(e2e::IsEnabled(next.aboutPage));
  EXPECT_FALSE(e2e::IsVisible(next.label1));
  ASSERT_TRUE(next.SelectTab(next.logoPage));
  next.DoubleClickLogo();
  EXPECT_TRUE(CreditStaysHidden(next));
  DoGesture();
  e2e::BringToFront(next.window);
  next.DoubleClickLogo();
  EXPECT_TRUE(CreditShows(next));
  EXPECT_TRUE(e2e::IsVisible(kept.label1));
}

TEST_F(AboutTest, ClosingTheMainWindowEndsTheProgramWithAboutWindowsOpen) {
  HWND first = OpenAbout();
  ASSERT_NE(first, nullptr);
  DragAside(first);
  ASSERT_NE(OpenAbout(), nullptr);
  PostMessageW(session_.Main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(session_.App().WaitForExit(10s).has_value());
}

}  // namespace
