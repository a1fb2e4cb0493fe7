// The appearance commands end to end, as a user drives them: the colour
// dialog, the picture dialog with a typed name, our icon picker (Wine's
// shell has none that shows), Apply, then Desktop.ini byte for byte, the
// attributes and the icon the shell itself reports for the folder; Reset,
// Restore default, a read-only settings file, and the colour dialog opening
// with the colour confirmed before.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <filesystem>
#include <string>

#include "veskaro_app.h"

namespace e2e = veskaro::e2e;
namespace ids = veskaro::app::ids;
using namespace std::chrono_literals;

namespace {

constexpr wchar_t kIconPickerCaption[] = L"Выбор иконки";
// The colour dialog's red, green and blue boxes and its basic colours.
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708, kBasicColors = 720;
constexpr int kIconList = 3105;                                       // IDC_ICON_LIST

std::wstring SystemShell32() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\shell32.dll";
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Started()) << "the main window did not show";
    const std::wstring folder = folder_.Path().wstring();
    ASSERT_TRUE(session_.OpenPanelForNewChoice());
    ASSERT_TRUE(session_.TypeAndConfirm(folder));
    ASSERT_TRUE(session_.LeavePanel());
    ASSERT_TRUE(e2e::WaitUntil([&] { return session_.Text(ids::foldername) == folder; }, 2s))
        << "the folder was not loaded";
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(session_.Control(ids::Button3)); }, 3s));
  }

  DWORD Pid() { return session_.App().Id(); }
  std::filesystem::path Ini() const { return folder_.Path() / L"Desktop.ini"; }

  void Press(int button) {
    e2e::BringToFront(session_.Main());
    e2e::Click(session_.CenterOf(button));
  }

  // A dialog of the program that is not a message box of ours; nullptr when
  // none shows within the time.
  HWND WaitForDialog(std::wstring_view caption = {}) {
    const auto box = e2e::WaitForMessageBox(Pid(), 10s, caption);
    return box ? box->window : nullptr;
  }

  void ClickOk(HWND dialog) {
    e2e::ClickWindow(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(e2e::WaitForWindowGone(dialog, 5s));
  }
  void ClickCancel(HWND dialog) {
    e2e::ClickWindow(GetDlgItem(dialog, IDCANCEL));
    EXPECT_TRUE(e2e::WaitForWindowGone(dialog, 5s));
  }

  // The colour dialog's red, green and blue boxes.
  static COLORREF ShownColor(HWND dialog) {
    auto value = [&](int id) { return static_cast<BYTE>(_wtoi(e2e::WindowText(GetDlgItem(dialog, id)).c_str())); };
    return RGB(value(kColorRed), value(kColorGreen), value(kColorBlue));
  }

  // "Цвет шрифта" or "Цвет подписей": a click on one of the basic colours
  // (8 columns, 6 rows) and OK. Returns the colour the dialog showed when it
  // opened. (The boxes that show the colour are only kept up to date while
  // the dialog is fully open, so what was clicked is read back at the next
  // opening.)
  COLORREF ChooseColor(int button, int column, int row) {
    Press(button);
    HWND dialog = WaitForDialog();
    if (!dialog) {
      ADD_FAILURE() << "no colour dialog";
      return CLR_INVALID;
    }
    const COLORREF shown = ShownColor(dialog);
    const RECT palette = e2e::WindowRect(GetDlgItem(dialog, kBasicColors));
    e2e::Click(POINT{palette.left + (2 * column + 1) * e2e::Width(palette) / 16,
                     palette.top + (2 * row + 1) * e2e::Height(palette) / 12});
    ClickOk(dialog);
    return shown;
  }

  // The colour the colour dialog opens with; closed with Cancel.
  COLORREF ColorAtOpening(int button) {
    Press(button);
    HWND dialog = WaitForDialog();
    if (!dialog) {
      ADD_FAILURE() << "no colour dialog";
      return CLR_INVALID;
    }
    const COLORREF shown = ShownColor(dialog);
    e2e::SaveScreenshot(dialog, "dialogs_colour");
    ClickCancel(dialog);
    return shown;
  }

  // "Выбрать" with a typed file name.
  void ChoosePicture(const std::wstring& path) {
    Press(ids::Button1);
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    ASSERT_TRUE(e2e::ReplaceEditText(name, path));
    ClickOk(dialog);
  }

  // "Выбор иконки": moves the selection with the arrow keys and confirms;
  // the index chosen, as the list reports it.
  int PickIconByKeys(int downPresses) {
    Press(ids::Button7);
    HWND dialog = WaitForDialog(kIconPickerCaption);
    if (!dialog) {
      ADD_FAILURE() << "no icon picker";
      return -1;
    }
    HWND list = GetDlgItem(dialog, kIconList);
    EXPECT_TRUE(e2e::WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 5; }, 10s));
    e2e::BringToFront(dialog);
    for (int i = 0; i < downPresses; ++i) e2e::PressKey(VK_DOWN);
    int selected = -1;
    e2e::WaitUntil(
        [&] {
          selected = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
          return selected > 0;
        },
        2s);
    e2e::SaveScreenshot(dialog, "dialogs_icon_picker");
    ClickOk(dialog);
    return selected;
  }

  e2e::TempFolder folder_{L"veskaro-dialogs"};
  e2e::VeskaroSession session_;
};

TEST_F(DialogsTest, ColourPictureAndIconAppliedAreWhatTheFileAndTheShellShow) {
  const std::wstring picture = (folder_.Path() / L"фон.jpg").wstring();  // does not exist

  EXPECT_EQ(ChooseColor(ids::Button2, 0, 1), RGB(0, 0, 0));  // black before the first use
  // Either colour command opens with the colour confirmed last: red, from
  // the second row of the basic colours.
  const COLORREF chosen = ColorAtOpening(ids::Button5);
  EXPECT_EQ(chosen, RGB(255, 0, 0));
  ChoosePicture(picture);
  EXPECT_TRUE(e2e::WaitUntil([&] { return session_.Text(ids::Edit1) == picture; }, 10s))
      << e2e::Utf8(session_.Text(ids::Edit1)) << " (" << session_.Text(ids::Edit1).size() << ") vs " << e2e::Utf8(picture) << " (" << picture.size() << ")";
  const int index = PickIconByKeys(3);
  ASSERT_GT(index, 0);

  Press(ids::Button3);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(Ini()); }, 5s));
  // The folder is marked last; the shell honours the file only then.
  e2e::WaitUntil([&] { return (e2e::FileAttributes(folder_.Path()) & FILE_ATTRIBUTE_SYSTEM) != 0; }, 5s);

  const std::string expected = "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\n"
                               "Iconarea_Image=" + e2e::Utf8(picture) + "\r\n"
                               "IconArea_Text=" + std::to_string(chosen) + "\r\n"
                               "[.ShellClassInfo]\r\n"
                               "IconFile=" + e2e::Utf8(SystemShell32()) + "\r\n"
                               "IconIndex=" + std::to_string(index) + "\r\n";
  // Cyrillic in the picture's name: the file is written as UTF-16 when the
  // system code page cannot hold it, so compare the text, not the encoding.
  const auto bytes = e2e::ReadFileBytes(Ini());
  ASSERT_TRUE(bytes.has_value());
  std::string text = *bytes;
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
    text = e2e::Utf8(std::wstring(reinterpret_cast<const wchar_t*>(text.data() + 2), (text.size() - 2) / 2));
  }
  EXPECT_EQ(text, expected);
  EXPECT_EQ(e2e::FileAttributes(Ini()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_NE(e2e::FileAttributes(folder_.Path()) & FILE_ATTRIBUTE_SYSTEM, 0u);

  // The shell reads the folder's icon from the file. (Wine's shell gives
  // the index but leaves the location's file name empty.)
  SHFILEINFOW info{};
  ASSERT_NE(SHGetFileInfoW(folder_.Path().c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION), 0u);
  EXPECT_EQ(info.iIcon, index) << "location \"" << e2e::Utf8(info.szDisplayName) << "\"";
  if (info.szDisplayName[0] != L'\0') {
    EXPECT_EQ(_wcsicmp(info.szDisplayName, SystemShell32().c_str()), 0) << e2e::Utf8(info.szDisplayName);
  }
}

TEST_F(DialogsTest, ResetThenApplyWritesTheChosenColourAsBlackAndKeepsThePicture) {
  const std::string before = "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\n"
                             "Iconarea_Image=C:\\old.jpg\r\n";
  e2e::WriteFileBytes(Ini(), before);
  ChooseColor(ids::Button2, 2, 3);
  ASSERT_NE(ColorAtOpening(ids::Button2), RGB(0, 0, 0));
  Press(ids::Button4);  // "Сброс"
  EXPECT_TRUE(e2e::WaitUntil([&] { return session_.Text(ids::Edit1).empty(); }, 2s));
  Press(ids::Button3);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        const auto bytes = e2e::ReadFileBytes(Ini());
        return bytes && *bytes == before + "IconArea_Text=0\r\n";
      },
      5s))
      << e2e::ReadFileBytes(Ini()).value_or("(no file)");
}

TEST_F(DialogsTest, RestoreDefaultRemovesOurKeysAndThenTheEmptyFile) {
  ChooseColor(ids::Button5, 5, 2);
  Press(ids::Button3);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(Ini()); }, 5s));
  Press(ids::Button6);  // "Вернуть стандарт"
  EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::FileExists(Ini()); }, 5s));
  EXPECT_EQ(session_.Text(ids::Edit1), L"");
}

TEST_F(DialogsTest, ReadOnlySettingsFileShowsTheWriteErrorAndIsLeftAsItWas) {
  const std::string before = "[.ShellClassInfo]\r\nInfoTip=ours\r\n";
  e2e::WriteFileBytes(Ini(), before);
  SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_READONLY);
  ChooseColor(ids::Button2, 0, 1);
  Press(ids::Button3);
  const auto box = e2e::WaitForMessageBox(Pid(), 10s, L"Veskaro v 1.3");
  ASSERT_TRUE(box.has_value()) << "no error box";
  EXPECT_EQ(box->text, L"Unable to write to " + Ini().wstring() + L".");
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  e2e::SaveScreenshot(box->window, "dialogs_write_error");
  EXPECT_TRUE(e2e::ClickDialogButton(box->window, L"OK"));
  SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(e2e::ReadFileBytes(Ini()).value_or(""), before);
}

}  // namespace
