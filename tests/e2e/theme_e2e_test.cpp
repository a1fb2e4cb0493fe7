// The skin chosen at start-up: no theme file, our theme file beside the
// program, and a file of that name that is not a theme.
#include <gtest/gtest.h>

#include "veskaro_app.h"

namespace e2e = veskaro::e2e;
namespace ids = veskaro::app::ids;
using namespace std::chrono_literals;

namespace {

struct ThemeCase {
  const char* name;
  bool ship_theme;  // res/msn.sui beside the program's copy
  COLORREF face;
  COLORREF border;
  COLORREF edit_border;
  COLORREF side_border;
  COLORREF side_bar;
};

class ThemeTest : public ::testing::TestWithParam<ThemeCase> {};

// The places searched besides the program's folder must not hold a theme, or
// the "none" case would test nothing.
void ExpectNoThemeOutsideProgramFolder() {
  wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  GetSystemDirectoryW(system, MAX_PATH);
  for (std::filesystem::path folder : {std::filesystem::path(windows),
                                       std::filesystem::path(system),
                                       std::filesystem::path(L"C:\\Program Files\\Veskaro\\Skins")}) {
    ASSERT_FALSE(e2e::FileExists(folder / L"msn.sui")) << e2e::Utf8(folder.wstring());
  }
}

TEST_P(ThemeTest, FrameEditAndPanelTakeTheThemeColours) {
  const ThemeCase& c = GetParam();
  ExpectNoThemeOutsideProgramFolder();
  e2e::TempFolder folder(L"theme");
  std::vector<std::pair<std::wstring, std::string>> extras;
  if (c.ship_theme) {
    auto theme = e2e::ReadFileBytes(e2e::SourceDir() / L"res" / L"msn.sui");
    ASSERT_TRUE(theme.has_value()) << "res/msn.sui is missing";
    extras.emplace_back(L"msn.sui", *theme);
  }
  const auto exe = e2e::CopyProgram(e2e::VeskaroPath(), folder.Path(), extras);
  e2e::VeskaroSession session(exe, folder.Path());
  ASSERT_TRUE(session.Started());

  auto expect_color = [&](POINT client, COLORREF wanted, const char* what) {
    const COLORREF seen = e2e::ScreenPixel(session.ClientPoint(client.x, client.y));
    EXPECT_EQ(seen, wanted) << what << ": " << e2e::DescribeColor(seen) << ", wanted "
                            << e2e::DescribeColor(wanted);
  };
  expect_color({150, 40}, c.face, "face under the title bar");
  expect_color({2, 300}, c.face, "face left of the separator");
  expect_color({0, 300}, c.border, "frame border");
  // The edit box's one-pixel border, on its left side.
  const RECT edit = e2e::WindowRect(session.Control(ids::foldername));
  const COLORREF edit_left = e2e::ScreenPixel({edit.left, e2e::Center(edit).y});
  EXPECT_EQ(edit_left, c.edit_border) << e2e::DescribeColor(edit_left);
  // The panel's bar (in): framed by the side panel's border colour, filled
  // with the bar colour (shading and grip allowed, so on average).
  const RECT panel = e2e::WindowRect(session.Control(ids::suiSideChannel1));
  EXPECT_EQ(e2e::Width(panel), e2e::kPanelInWidth);
  const e2e::Snapshot bar = e2e::CaptureWhenSteady(panel);
  const COLORREF bar_border = e2e::MostCommonColor(bar.Region({0, 0, 1, bar.Height()}));
  EXPECT_EQ(bar_border, c.side_border) << e2e::DescribeColor(bar_border);
  const COLORREF bar_fill =
      e2e::AverageColor(bar.Region({1, 1, bar.Width() - 1, bar.Height() - 1}));
  EXPECT_LE(e2e::ColorDistance(bar_fill, c.side_bar), 10)
      << e2e::DescribeColor(bar_fill) << ", wanted about " << e2e::DescribeColor(c.side_bar);

  e2e::SaveScreenshot(session.Main(), std::string("theme_") + c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Themes, ThemeTest,
    ::testing::Values(
        // The built-in DeepBlue style.
        ThemeCase{"none", false, 15263976, 0, 0, 0, 15263976},
        // Our msn.sui: the layout's own colours.
        ThemeCase{"ours", true, 16180442, 10513231, 10513231, 10513231, 16180442}),
    [](const ::testing::TestParamInfo<ThemeCase>& param_info) { return param_info.param.name; });

TEST(InvalidTheme, ErrorBoxThenExitCodeOneAndNoMainWindow) {
  e2e::TempFolder folder(L"badtheme");
  const auto exe = e2e::CopyProgram(e2e::VeskaroPath(), folder.Path(),
                                    {{L"msn.sui", "face=16180442\r\nborder=0\r\n"}});
  e2e::MoveMouse(e2e::PointAwayFromMainWindow());
  e2e::Process app = e2e::Process::Start(exe, folder.Path());
  auto box = e2e::WaitForMessageBox(app.Id(), 30s, L"Application Error");
  ASSERT_TRUE(box.has_value()) << "no error box";
  EXPECT_EQ(box->text, L"Invalid skin file for SUIPack!");
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_TRUE(e2e::TopWindows(app.Id(), e2e::kMainWindowClass).empty());
  e2e::SaveScreenshot(nullptr, "theme_invalid_error");
  // The process waits for the box.
  EXPECT_EQ(app.WaitForExit(500ms), std::nullopt);
  ASSERT_TRUE(e2e::ClickDialogButton(box->window, L"OK"));
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(1));
}

}  // namespace
