// The main window and its side panel, driven as a user drives them: start-up
// state, the automatic slide back, choosing and confirming a folder, the
// loaded display, the empty-path warning, the pin and the panel's edges.
#include <gtest/gtest.h>

#include <thread>

#include "veskaro_app.h"

namespace e2e = veskaro::e2e;
namespace ids = veskaro::app::ids;
using namespace std::chrono_literals;

namespace {

// Caption colours prepared in the folder's settings file: red text on a
// yellow background, far apart so that sampling cannot confuse them.
constexpr COLORREF kTextColor = 255;          // R 255, G 0, B 0
constexpr COLORREF kTextBackColor = 65535;    // R 255, G 255, B 0
constexpr wchar_t kPicturePath[] = L"C:\\pictures\\back.jpg";

std::string DesktopIni() {
  return "[.ShellClassInfo]\r\n"
         "IconFile=C:\\windows\\system32\\shell32.dll\r\n"
         "IconIndex=4\r\n"
         "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\n"
         "Iconarea_Image=C:\\pictures\\back.jpg\r\n"
         "IconArea_Text=255\r\n"
         "IconArea_TextBackground=65535\r\n";
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session_.Started()) << "the main window did not show"; }

  void ExpectEditingButtonsEnabled(bool enabled) {
    for (const auto& button : e2e::kEditingButtons) {
      EXPECT_EQ(e2e::IsEnabled(session_.Control(button.id)), enabled)
          << e2e::Utf8(button.caption);
    }
  }

  // Label4's pixels, as on the screen.
  std::vector<COLORREF> Label4Pixels() {
    const e2e::Snapshot shot =
        e2e::CaptureWhenSteady(e2e::WindowRect(session_.Control(ids::Label4)));
    return shot.Region(RECT{0, 0, shot.Width(), shot.Height()});
  }

  // Label4 transparent with black text: the frame's face shows around the
  // glyphs, and the glyphs are black.
  void ExpectLabel4TransparentWithBlackText() {
    const auto pixels = Label4Pixels();
    const COLORREF face = session_.FaceColor();
    EXPECT_EQ(e2e::MostCommonColor(pixels), face)
        << e2e::DescribeColor(e2e::MostCommonColor(pixels)) << " vs face "
        << e2e::DescribeColor(face);
    EXPECT_LE(e2e::ColorDistance(e2e::ClosestColor(pixels, RGB(0, 0, 0)), RGB(0, 0, 0)), 40);
  }

  e2e::VeskaroSession session_;
};

TEST_F(MainWindowTest, StartsWithTitleFixedSizeEditorsDisabledAndTheTreeRootInPathTo) {
  HWND main = session_.Main();
  // The taskbar button shows the application title; the skinned bar shows
  // the form's caption.
  EXPECT_EQ(e2e::WindowText(main), L"Veskaro v 1.3");
  EXPECT_EQ(session_.Text(ids::TitleBar), L"Veskaro");

  const SIZE client = e2e::ClientSize(main);
  EXPECT_EQ(client.cx, 294);
  EXPECT_EQ(client.cy, 438);
  EXPECT_EQ(e2e::Style(main) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CAPTION), 0)
      << "no sizing border, no maximise box, no system caption";
  // No point of the window offers a sizing handle.
  const RECT frame = e2e::WindowRect(main);
  const POINT edges[] = {{frame.left, frame.top},          {frame.right - 1, frame.bottom - 1},
                         {frame.left, e2e::Center(frame).y}, {e2e::Center(frame).x, frame.bottom - 1},
                         {frame.right - 1, frame.top}};
  for (POINT p : edges) {
    DWORD_PTR hit = 0;
    SendMessageTimeoutW(main, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 2000, &hit);
    EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "hit test " << hit << " at " << p.x
                                                        << "," << p.y;
  }
  // Centred on the screen.
  const POINT middle = e2e::Center(frame);
  EXPECT_NEAR(middle.x, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR(middle.y, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

  for (const auto& button : e2e::kEditingButtons) {
    HWND control = session_.Control(button.id);
    ASSERT_NE(control, nullptr) << e2e::Utf8(button.caption);
    EXPECT_EQ(e2e::WindowText(control), button.caption);
    EXPECT_FALSE(e2e::IsEnabled(control)) << e2e::Utf8(button.caption);
  }
  EXPECT_EQ(session_.Text(ids::Panel1), L"Выбрать / изменить папку");
  EXPECT_TRUE(e2e::IsEnabled(session_.Control(ids::Panel1)));
  EXPECT_EQ(session_.Text(ids::BitBtn1), L"О программе");
  EXPECT_TRUE(e2e::IsEnabled(session_.Control(ids::BitBtn1)));

  EXPECT_EQ(session_.Text(ids::foldername), L"");
  EXPECT_EQ(session_.Text(ids::Edit1), L"");
  EXPECT_EQ(session_.Text(ids::PathTo), e2e::MyComputerDisplayName());
  EXPECT_EQ(session_.Text(ids::suiSideChannel1), L"Выбери директорию");
  EXPECT_EQ(session_.Text(ids::suiButton1), L"Подтвердить выбор");
  EXPECT_EQ(session_.Text(ids::Label7), L"Sent mail to Author");
}

TEST_F(MainWindowTest, PanelSlidesBackByItselfAndTheLoadStepKeepsEditorsDisabled) {
  EXPECT_EQ(session_.PanelWidth(), e2e::kPanelInWidth);
  // The first tick, about a second after start-up, slides the panel back
  // with no folder chosen.
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(session_.PanelWidth(), e2e::kPanelInWidth);
  EXPECT_FALSE(e2e::IsVisible(session_.Control(ids::PinButton)));
  ExpectEditingButtonsEnabled(false);
  EXPECT_EQ(session_.Text(ids::foldername), L"");
  EXPECT_EQ(session_.Text(ids::Edit1), L"");
  ExpectLabel4TransparentWithBlackText();
  EXPECT_FALSE(e2e::SaveScreenshot(session_.Main(), "main_panel_in").empty());
}

// The folder names of the road: plain, and with Cyrillic letters and blanks.
class FolderRoadTest : public MainWindowTest,
                       public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(FolderRoadTest, NewChoiceConfirmAndLeaveShowsTheFolderSettings) {
  e2e::TempFolder parent(L"road");
  const std::filesystem::path folder = parent.Path() / GetParam();
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  e2e::WriteFileBytes(folder / L"Desktop.ini", DesktopIni());

  ASSERT_TRUE(session_.OpenPanelForNewChoice()) << "width " << session_.PanelWidth();
  EXPECT_TRUE(e2e::IsVisible(session_.Control(ids::PinButton)));
  EXPECT_TRUE(e2e::IsVisible(session_.Control(ids::PathTo)));
  EXPECT_FALSE(e2e::SaveScreenshot(session_.Main(), "main_panel_out").empty());

  ASSERT_TRUE(session_.TypeAndConfirm(folder.wstring()))
      << "PathTo shows " << e2e::Utf8(session_.Text(ids::PathTo));
  // Confirming loads nothing by itself, and the panel stays out.
  EXPECT_TRUE(e2e::HoldsFor([&] { return session_.PanelWidth() == e2e::kPanelOutWidth; }, 300ms));
  EXPECT_EQ(session_.Text(ids::foldername), L"");
  EXPECT_TRUE(e2e::TopWindows(session_.App().Id(), L"#32770").empty()) << "no message box";

  ASSERT_TRUE(session_.LeavePanel()) << "width " << session_.PanelWidth();
  EXPECT_EQ(session_.Text(ids::foldername), folder.wstring());
  EXPECT_EQ(session_.Text(ids::Edit1), kPicturePath);
  ExpectEditingButtonsEnabled(true);
  EXPECT_TRUE(e2e::IsEnabled(session_.Control(ids::Panel1)));
  EXPECT_TRUE(e2e::IsEnabled(session_.Control(ids::BitBtn1)));

  // Label4 opaque on the file's background colour, with the file's text colour.
  const auto pixels = Label4Pixels();
  EXPECT_EQ(e2e::MostCommonColor(pixels), kTextBackColor)
      << e2e::DescribeColor(e2e::MostCommonColor(pixels));
  EXPECT_LE(e2e::ColorDistance(e2e::ClosestColor(pixels, kTextColor), kTextColor), 40)
      << "closest to the text colour: " << e2e::DescribeColor(e2e::ClosestColor(pixels, kTextColor));
  EXPECT_FALSE(e2e::SaveScreenshot(session_.Main(), "main_loaded").empty());

  // The file is only read.
  EXPECT_EQ(e2e::ReadFileBytes(folder / L"Desktop.ini"), DesktopIni());
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderRoadTest,
                         ::testing::Values(L"plain", L"Папка с пробелами"));

TEST_F(MainWindowTest, NewChoiceLeftWithoutConfirmingEmptiesTheDisplay) {
  e2e::TempFolder folder(L"leave");
  e2e::WriteFileBytes(folder.Path() / L"Desktop.ini", DesktopIni());
  ASSERT_TRUE(session_.ChooseFolder(folder.Path().wstring()));

  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  // Under the panel the last load's display stays until the next load.
  EXPECT_EQ(session_.Text(ids::foldername), folder.Path().wstring());
  // The box keeps the last typed path.
  EXPECT_EQ(session_.Text(ids::PathTo), folder.Path().wstring());
  ASSERT_TRUE(session_.LeavePanel());
  ExpectEditingButtonsEnabled(false);
  EXPECT_EQ(session_.Text(ids::foldername), L"");
  EXPECT_EQ(session_.Text(ids::Edit1), L"");
  ExpectLabel4TransparentWithBlackText();
}

TEST_F(MainWindowTest, ConfirmingTheUntouchedTreeRootChoosesItsDisplayName) {
  const std::wstring root = e2e::MyComputerDisplayName();
  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  ASSERT_EQ(session_.Text(ids::PathTo), root);
  e2e::Click(session_.CenterOf(ids::suiButton1));
  ASSERT_TRUE(session_.LeavePanel());
  // Not a folder, but accepted as typed: the load finds no settings file.
  EXPECT_EQ(session_.Text(ids::foldername), root);
  EXPECT_EQ(session_.Text(ids::Edit1), L"");
  ExpectEditingButtonsEnabled(true);
}

TEST_F(MainWindowTest, KeyboardSelectionInTheTreeWritesTheDrivePathIntoPathTo) {
  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  HWND tree = session_.Control(ids::ShellTreeView1);
  ASSERT_NE(tree, nullptr);
  // Focus the tree without selecting anything: a click below its items.
  const RECT box = e2e::WindowRect(tree);
  e2e::Click(POINT{e2e::Center(box).x, box.bottom - 8});
  auto path_becomes = [&](std::wstring_view text) {
    return e2e::WaitUntil([&] { return session_.Text(ids::PathTo) == text; }, 3s);
  };
  // My Computer's children: virtual folders such as the Control Panel (shown
  // by display name, never as "::{...}") come before the drives, which show
  // as root paths, C: before Z:.
  auto down_to_drive_c = [&] {
    for (int i = 0; i < 4; ++i) {
      e2e::PressKey(VK_DOWN);
      if (path_becomes(L"C:\\")) return true;
      const std::wstring shown = session_.Text(ids::PathTo);
      EXPECT_FALSE(shown.empty());
      EXPECT_NE(shown.rfind(L"::{", 0), 0u) << e2e::Utf8(shown);
    }
    return false;
  };
  ASSERT_TRUE(down_to_drive_c()) << e2e::Utf8(session_.Text(ids::PathTo));
  e2e::PressKey(VK_DOWN);
  EXPECT_TRUE(path_becomes(L"Z:\\")) << e2e::Utf8(session_.Text(ids::PathTo));
  e2e::PressKey(VK_HOME);
  EXPECT_TRUE(path_becomes(e2e::MyComputerDisplayName())) << e2e::Utf8(session_.Text(ids::PathTo));
  ASSERT_TRUE(down_to_drive_c()) << e2e::Utf8(session_.Text(ids::PathTo));

  e2e::Click(session_.CenterOf(ids::suiButton1));
  ASSERT_TRUE(session_.LeavePanel());
  EXPECT_EQ(session_.Text(ids::foldername), L"C:\\");
  ExpectEditingButtonsEnabled(true);
}

TEST_F(MainWindowTest, PointerOverTheBarSlidesThePanelOutAndTheSameFolderIsReloaded) {
  e2e::TempFolder folder(L"bar");
  e2e::WriteFileBytes(folder.Path() / L"Desktop.ini", DesktopIni());
  ASSERT_TRUE(session_.ChooseFolder(folder.Path().wstring()));

  const RECT bar = e2e::WindowRect(session_.Control(ids::suiSideChannel1));
  const POINT bar_middle = e2e::Center(bar);
  e2e::BringToFront(session_.Main());
  e2e::GlideMouse(POINT{bar_middle.x + 60, bar_middle.y}, bar_middle, 6);
  ASSERT_TRUE(session_.WaitForPanelWidth(e2e::kPanelOutWidth, 2s))
      << "width " << session_.PanelWidth();
  // Sliding out this way begins no new choice.
  EXPECT_EQ(session_.Text(ids::foldername), folder.Path().wstring());

  ASSERT_TRUE(session_.LeavePanel());
  EXPECT_EQ(session_.Text(ids::foldername), folder.Path().wstring());
  EXPECT_EQ(session_.Text(ids::Edit1), kPicturePath);
  ExpectEditingButtonsEnabled(true);
}

// Enter and Escape both close the warning.
class EmptyPathTest : public MainWindowTest, public ::testing::WithParamInterface<WORD> {};

TEST_P(EmptyPathTest, ConfirmWithEmptyPathWarnsAndKeepsTheFolder) {
  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  ASSERT_TRUE(session_.TypeAndConfirm(L""));
  auto box = e2e::WaitForMessageBox(session_.App().Id(), 5s);
  ASSERT_TRUE(box.has_value()) << "no message box";
  EXPECT_EQ(box->caption, L"Error");
  EXPECT_EQ(box->text, L"Не прописан путь к папке!");
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_FALSE(e2e::IsEnabled(session_.Main())) << "the box is modal";
  const POINT box_middle = e2e::Center(e2e::WindowRect(box->window));
  EXPECT_NEAR(box_middle.x, GetSystemMetrics(SM_CXSCREEN) / 2, 16);
  EXPECT_NEAR(box_middle.y, GetSystemMetrics(SM_CYSCREEN) / 2, 16);
  e2e::SaveScreenshot(nullptr, "message_box_empty_path");

  e2e::BringToFront(box->window);
  e2e::PressKey(GetParam());
  EXPECT_TRUE(e2e::WaitForWindowGone(box->window, 3s));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(session_.Main()); }, 2s));

  // No folder was confirmed: the slide back loads nothing.
  ASSERT_TRUE(session_.LeavePanel());
  ExpectEditingButtonsEnabled(false);
  EXPECT_EQ(session_.Text(ids::foldername), L"");
}

INSTANTIATE_TEST_SUITE_P(Keys, EmptyPathTest, ::testing::Values(WORD(VK_RETURN), WORD(VK_ESCAPE)));

TEST_F(MainWindowTest, PanelSlidesBackBehindTheWarning) {
  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  ASSERT_TRUE(session_.TypeAndConfirm(L""));
  auto box = e2e::WaitForMessageBox(session_.App().Id(), 5s, L"Error");
  ASSERT_TRUE(box.has_value());
  // The panel's check keeps ticking inside the box's modal loop.
  e2e::MoveMouse(e2e::PointAwayFromMainWindow());
  EXPECT_TRUE(session_.WaitForPanelWidth(e2e::kPanelInWidth)) << "width " << session_.PanelWidth();
  EXPECT_TRUE(e2e::IsVisible(box->window));
  ExpectEditingButtonsEnabled(false);
  ASSERT_TRUE(e2e::ClickDialogButton(box->window, L"OK"));
  EXPECT_TRUE(e2e::WaitForWindowGone(box->window, 3s));
}

TEST_F(MainWindowTest, PinnedPanelStaysOutUntilUnpinned) {
  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  HWND pin = session_.Control(ids::PinButton);
  ASSERT_TRUE(e2e::IsVisible(pin));
  e2e::ClickWindow(pin);
  e2e::MoveMouse(e2e::PointAwayFromMainWindow());
  EXPECT_TRUE(
      e2e::HoldsFor([&] { return session_.PanelWidth() == e2e::kPanelOutWidth; }, 2500ms))
      << "a pinned panel slid back";
  e2e::SaveScreenshot(session_.Main(), "main_panel_pinned");

  e2e::ClickWindow(pin);
  e2e::MoveMouse(e2e::PointAwayFromMainWindow());
  EXPECT_TRUE(session_.WaitForPanelWidth(e2e::kPanelInWidth)) << "width " << session_.PanelWidth();
  EXPECT_FALSE(e2e::IsVisible(pin));
}

// The pointer check counts a point as inside only strictly between the
// panel's edges: its leftmost column and top row are outside.
struct EdgeCase {
  const char* name;
  bool on_left;  // else on the top
  int offset;    // from the left column / top row inwards
  bool slides_back;
};

class PanelEdgeTest : public MainWindowTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(PanelEdgeTest, PointerOnTheEdge) {
  const EdgeCase& c = GetParam();
  ASSERT_TRUE(session_.OpenPanelForNewChoice());
  const RECT panel = e2e::WindowRect(session_.Control(ids::suiSideChannel1));
  const POINT middle = e2e::Center(panel);
  const POINT spot = c.on_left ? POINT{panel.left + c.offset, middle.y}
                               : POINT{middle.x, panel.top + c.offset};
  e2e::MoveMouse(spot);
  if (c.slides_back) {
    EXPECT_TRUE(session_.WaitForPanelWidth(e2e::kPanelInWidth)) << "width " << session_.PanelWidth();
  } else {
    EXPECT_TRUE(
        e2e::HoldsFor([&] { return session_.PanelWidth() == e2e::kPanelOutWidth; }, 2500ms))
        << "slid back with the pointer inside";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PanelEdgeTest,
    ::testing::Values(EdgeCase{"LeftColumn", true, 0, true}, EdgeCase{"TopRow", false, 0, true},
                      EdgeCase{"OneInsideLeft", true, 1, false},
                      EdgeCase{"OneInsideTop", false, 1, false}),
    [](const ::testing::TestParamInfo<EdgeCase>& param_info) { return param_info.param.name; });

}  // namespace
