// The driver's own checks, against a probe window whose contents are known:
// if these fail, a failing end-to-end test of the program says nothing.
#include <gtest/gtest.h>

#include "driver.h"

namespace e2e = veskaro::e2e;
using namespace std::chrono_literals;

namespace {

constexpr int kEditId = 101;
constexpr int kButtonId = 102;
constexpr int kStatusId = 103;
constexpr int kMoveId = 104;
constexpr COLORREF kPatchColor = RGB(12, 34, 56);

std::filesystem::path ProbePath() {
  return std::filesystem::path(e2e::Wide(VESKARO_PROGRAM_DIR)) / L"driver_probe.exe";
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.emplace(e2e::Process::Start(ProbePath(), folder_.Path()));
    window_ = app_->WaitForMainWindow(L"DriverProbe", 20s);
    ASSERT_NE(window_, nullptr) << "the probe window did not show";
    e2e::BringToFront(window_);
  }

  std::wstring Status() const { return e2e::WindowText(e2e::FindControl(window_, kStatusId)); }

  bool StatusBecomes(std::wstring_view text) const {
    return e2e::WaitUntil([&] { return Status() == text; }, 3s);
  }

  e2e::TempFolder folder_{L"driver"};
  std::optional<e2e::Process> app_;
  HWND window_ = nullptr;
};

TEST_F(DriverTest, FindsControlsByIdTextAndClassAndReadsTheirState) {
  HWND button = e2e::FindControl(window_, kButtonId);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(e2e::FindControlByText(window_, L"Показать"), button);
  EXPECT_EQ(e2e::WindowText(button), L"Показать");
  EXPECT_EQ(e2e::ClassName(window_), L"DriverProbe");
  EXPECT_EQ(e2e::FindControlsByClass(window_, L"Static").size(), 2u);
  EXPECT_TRUE(e2e::IsEnabled(button));
  EXPECT_TRUE(e2e::IsVisible(button));
  EXPECT_EQ(e2e::FindControl(window_, 9999), nullptr);
  EXPECT_EQ(e2e::FindControlByText(window_, L"no such text"), nullptr);

  const SIZE client = e2e::ClientSize(window_);
  EXPECT_EQ(client.cx, 320);
  EXPECT_EQ(client.cy, 200);
  const RECT button_rect = e2e::WindowRect(button);
  EXPECT_EQ(e2e::Width(button_rect), 120);
  EXPECT_EQ(e2e::Height(button_rect), 25);
  const POINT origin = e2e::ClientToScreenPoint(window_, {10, 90});
  EXPECT_EQ(button_rect.left, origin.x);
  EXPECT_EQ(button_rect.top, origin.y);
}

TEST_F(DriverTest, ClicksLandOnTheExactPixelWithTheRightButton) {
  struct Case {
    POINT client;
    e2e::MouseButton button;
    const wchar_t* status;
  };
  const Case cases[] = {
      {{150, 20}, e2e::MouseButton::Left, L"left 150,20"},
      {{0, 0}, e2e::MouseButton::Left, L"left 0,0"},
      {{319, 199}, e2e::MouseButton::Right, L"right 319,199"},
      {{233, 111}, e2e::MouseButton::Right, L"right 233,111"},
  };
  for (const Case& c : cases) {
    e2e::Click(e2e::ClientToScreenPoint(window_, c.client), c.button);
    EXPECT_TRUE(StatusBecomes(c.status)) << "got " << e2e::Utf8(Status());
  }
}

TEST_F(DriverTest, MovesReachTheWindowUnderThePointer) {
  e2e::GlideMouse(e2e::ClientToScreenPoint(window_, {300, 10}),
                  e2e::ClientToScreenPoint(window_, {250, 40}), 5);
  HWND move = e2e::FindControl(window_, kMoveId);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(move) == L"move 250,40"; }, 3s))
      << "got " << e2e::Utf8(e2e::WindowText(move));
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, e2e::ClientToScreenPoint(window_, {250, 40}).x);
  EXPECT_EQ(cursor.y, e2e::ClientToScreenPoint(window_, {250, 40}).y);
}

TEST_F(DriverTest, DoubleClickArrivesAsOne) {
  e2e::DoubleClick(e2e::ClientToScreenPoint(window_, {200, 30}));
  EXPECT_TRUE(StatusBecomes(L"double 200,30")) << "got " << e2e::Utf8(Status());
}

TEST_F(DriverTest, TypesUnicodeTextAndReplacesIt) {
  HWND edit = e2e::FindControl(window_, kEditId);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(e2e::ReplaceEditText(edit, L"C:\\Папка с пробелом\\x"));
  EXPECT_TRUE(e2e::ReplaceEditText(edit, L"short"));
  EXPECT_TRUE(e2e::ReplaceEditText(edit, L""));
  e2e::TypeText(L"ab");
  e2e::PressKey(VK_BACK);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(edit) == L"a"; }, 3s))
      << "got " << e2e::Utf8(e2e::WindowText(edit));
}

TEST_F(DriverTest, ReadsAndAnswersAMessageBox) {
  struct Case {
    const wchar_t* button;  // empty: answer with a key instead
    WORD key;
    const wchar_t* status;
  };
  const Case cases[] = {
      {L"Cancel", 0, L"Cancel"},
      {L"OK", 0, L"OK"},
      {L"", VK_ESCAPE, L"Cancel"},
      {L"", VK_RETURN, L"OK"},
  };
  for (const Case& c : cases) {
    e2e::ClickWindow(e2e::FindControl(window_, kButtonId));
    auto box = e2e::WaitForMessageBox(app_->Id(), 5s, L"Probe box");
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_EQ(box->caption, L"Probe box");
    EXPECT_EQ(box->text, L"Текст сообщения");
    EXPECT_EQ(box->buttons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
    if (*c.button != L'\0') {
      EXPECT_TRUE(e2e::ClickDialogButton(box->window, c.button));
    } else {
      e2e::BringToFront(box->window);
      e2e::PressKey(c.key);
    }
    EXPECT_TRUE(e2e::WaitForWindowGone(box->window, 3s));
    EXPECT_TRUE(StatusBecomes(c.status)) << "got " << e2e::Utf8(Status());
  }
}

TEST_F(DriverTest, ReadsPixelsAndSavesAPng) {
  const POINT inside = e2e::ClientToScreenPoint(window_, {50, 25});
  EXPECT_EQ(e2e::ScreenPixel(inside), kPatchColor)
      << e2e::DescribeColor(e2e::ScreenPixel(inside));
  const e2e::Snapshot shot = e2e::CaptureWindow(window_);
  const RECT window = e2e::WindowRect(window_);
  const POINT patch_origin = e2e::ClientToScreenPoint(window_, {0, 0});
  const RECT patch{patch_origin.x - window.left, patch_origin.y - window.top,
                   patch_origin.x - window.left + 100, patch_origin.y - window.top + 50};
  EXPECT_EQ(e2e::MostCommonColor(shot.Region(patch)), kPatchColor);
  EXPECT_NE(e2e::ScreenPixel(e2e::ClientToScreenPoint(window_, {150, 25})), kPatchColor);

  const auto file = e2e::SaveScreenshot(window_, "driver_probe");
  ASSERT_FALSE(file.empty());
  const auto bytes = e2e::ReadFileBytes(file);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(DriverTest, ClosingGivesTheExitCode) {
  EXPECT_EQ(app_->Close(), 7u);
  EXPECT_FALSE(app_->IsRunning());
}

TEST_F(DriverTest, ReportsMemoryOfARunningProgram) {
  const e2e::MemoryUse use = app_->Memory();
  EXPECT_GT(use.peak_working_set, 0u);
  EXPECT_GE(use.peak_working_set, use.working_set);
}

TEST(DriverStartUpFailure, ErrorBoxWithoutWindowThenExitCode) {
  e2e::TempFolder folder(L"driver");
  auto app = e2e::Process::Start(ProbePath(), folder.Path(), L"--fail");
  auto box = e2e::WaitForMessageBox(app.Id(), 20s, L"Application Error");
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Probe start-up failed");
  EXPECT_TRUE(e2e::TopWindows(app.Id(), L"DriverProbe").empty());
  EXPECT_EQ(app.WaitForExit(300ms), std::nullopt) << "must wait for the box";
  ASSERT_TRUE(e2e::ClickDialogButton(box->window, L"OK"));
  EXPECT_EQ(app.WaitForExit(5s), std::optional<DWORD>(1));
}

TEST(DriverFiles, TempFolderFilesAndAttributes) {
  std::filesystem::path kept;
  {
    e2e::TempFolder folder(L"files");
    kept = folder.Path();
    ASSERT_TRUE(e2e::FileExists(kept));
    const auto file = kept / L"Desktop.ini";
    EXPECT_FALSE(e2e::ReadFileBytes(file).has_value());
    const std::string bytes("[a]\r\nb=1\r\n\r\n\0x", 15);
    e2e::WriteFileBytes(file, bytes);
    EXPECT_EQ(e2e::ReadFileBytes(file), bytes);
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(e2e::FileAttributes(file) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(e2e::FileAttributes(kept / L"missing"), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_FALSE(e2e::FileExists(kept)) << "a read-only hidden file must not keep the folder";
}

TEST(DriverWaits, BoundedAndExact) {
  int calls = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(e2e::WaitUntil([&] { ++calls; return false; }, 200ms));
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_GE(spent, 200ms);
  EXPECT_LT(spent, 2s);
  EXPECT_GT(calls, 1);
  EXPECT_TRUE(e2e::WaitUntil([&] { return true; }, 0ms));
  EXPECT_FALSE(e2e::HoldsFor([&] { return --calls > 0; }, 10s, 1ms));
  EXPECT_TRUE(e2e::HoldsFor([] { return true; }, 100ms));
}

TEST(DriverShell, MyComputerHasADisplayName) {
  const std::wstring name = e2e::MyComputerDisplayName();
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name.find(L"::{"), std::wstring::npos);
}

}  // namespace
