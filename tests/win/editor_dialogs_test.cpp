// The dialogs behind the editor's commands, shown for real and driven by
// messages: openpd1 (filters, typed names, the preset last file, the
// preview pane) and cd1 (the colour and custom colours kept between uses).
#include "app/editor_dialogs.h"

#include <objbase.h>
#include <colordlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dialog_support.h"
#include "dialog_test_support.h"

namespace veskaro::app {
namespace {

using test::DialogScript;
using test::TempFile;

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

// The open dialog's file-name box: a combo box on newer systems, an edit
// box on older ones and Wine.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, cmb13)) return combo;
  return GetDlgItem(dialog, edt1);
}

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    items.push_back(text);
  }
  return items;
}

// A BMP of 7 x 5 pixels, written by hand (24 bits, bottom-up).
void WriteSmallBitmap(const std::wstring& path) {
  const int width = 7, height = 5, stride = 24;
  std::vector<BYTE> bytes(54 + stride * height, 0);
  auto put32 = [&](size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<BYTE>(v >> (8 * i));
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, static_cast<DWORD>(bytes.size()));
  put32(10, 54);
  put32(14, 40), put32(18, width), put32(22, height);
  bytes[26] = 1, bytes[28] = 24;
  put32(34, stride * height);
  ASSERT_TRUE(test::WriteFileBytes(path, bytes.data(), bytes.size()));
}

TEST(PictureDialogLive, FiltersTypedNamesAndTheLastFileKeptBetweenUses) {
  REQUIRE_RESOURCES();
  ComApartment com;
  const std::wstring missing = TempFile(L"veskaro-не-существует.jpg");
  DeleteFileW(missing.c_str());
  const std::wstring bitmap = TempFile(L"veskaro-small.bmp");
  WriteSmallBitmap(bitmap);
  Win32EditorDialogs dialogs(nullptr);

  // First use: the filter list, the preview pane, a typed name of a file
  // that does not exist.
  std::vector<std::wstring> filters;
  int selectedFilter = -1;
  bool hasPreview = false, readOnlyShown = true;
  std::wstring firstName = L"?";
  {
    DialogScript script({[&](HWND dialog) {
      HWND types = GetDlgItem(dialog, cmb1);
      filters = ComboItems(types);
      selectedFilter = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
      hasPreview = DialogScript::FindControl(dialog, 3002) != nullptr;  // IDC_PREVIEW_IMAGE
      HWND readOnly = GetDlgItem(dialog, chx1);
      readOnlyShown = readOnly && IsWindowVisible(readOnly);
      firstName = DialogScript::Text(FileNameBox(dialog));
      SetWindowTextW(FileNameBox(dialog), missing.c_str());
      DialogScript::Click(dialog, IDOK);
      return true;
    }});
    const auto chosen = dialogs.ChoosePicture();
    EXPECT_TRUE(script.Finished());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, WideToUtf8(missing));
  }
  EXPECT_EQ(filters, (std::vector<std::wstring>{
                         L"All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)", L"JPEG Image File (*.jpg)",
                         L"JPEG Image File (*.jpeg)", L"Bitmaps (*.bmp)", L"Icons (*.ico)",
                         L"Enhanced Metafiles (*.emf)", L"Metafiles (*.wmf)"}));
  EXPECT_EQ(selectedFilter, 0);
  EXPECT_TRUE(hasPreview);
  EXPECT_FALSE(readOnlyShown);
  EXPECT_EQ(firstName, L"");

  // Second use: opens with that name, in its folder; choose the bitmap.
  std::wstring presetName, presetFolder;
  {
    DialogScript script({[&](HWND dialog) {
      presetName = DialogScript::Text(FileNameBox(dialog));
      wchar_t folder[MAX_PATH] = {};
      SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
      presetFolder = folder;
      SetWindowTextW(FileNameBox(dialog), bitmap.c_str());
      DialogScript::Click(dialog, IDOK);
      return true;
    }});
    const auto chosen = dialogs.ChoosePicture();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, WideToUtf8(bitmap));
  }
  const size_t slash = missing.rfind(L'\\');
  EXPECT_EQ(presetName, missing.substr(slash + 1));
  EXPECT_EQ(presetFolder, missing.substr(0, slash));

  // Third use: the preset bitmap is previewed with its size; Cancel keeps
  // the last file.
  std::wstring sizeText;
  RECT imageBefore{}, imageAfter{};
  {
    DialogScript script({[&](HWND dialog) {
                           sizeText = DialogScript::Text(DialogScript::FindControl(dialog, 3003));  // IDC_PREVIEW_SIZE
                           if (!sizeText.empty()) test::SaveScreenshot(dialog, L"picture_dialog");
                           return !sizeText.empty();
                         },
                         [&](HWND dialog) {
                           // Resizing: the pane keeps to the right edge and grows with the height.
                           GetWindowRect(DialogScript::FindControl(dialog, 3002), &imageBefore);
                           RECT frame{};
                           GetWindowRect(dialog, &frame);
                           SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 120,
                                        frame.bottom - frame.top + 80, SWP_NOMOVE | SWP_NOZORDER);
                           return true;
                         },
                         [&](HWND dialog) {
                           GetWindowRect(DialogScript::FindControl(dialog, 3002), &imageAfter);
                           test::SaveScreenshot(dialog, L"picture_dialog_resized");
                           DialogScript::Click(dialog, IDCANCEL);
                           return true;
                         }});
    EXPECT_FALSE(dialogs.ChoosePicture().has_value());
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ(sizeText, L"7 x 5");
  EXPECT_EQ(imageAfter.left - imageBefore.left, 120);
  EXPECT_EQ(imageAfter.right - imageAfter.left, imageBefore.right - imageBefore.left);
  EXPECT_EQ((imageAfter.bottom - imageAfter.top) - (imageBefore.bottom - imageBefore.top), 80);
  DeleteFileW(bitmap.c_str());
}

// The red, green and blue boxes of the colour dialog.
COLORREF ShownColor(HWND dialog) {
  auto value = [&](int id) { return static_cast<BYTE>(GetDlgItemInt(dialog, id, nullptr, FALSE)); };
  return RGB(value(COLOR_RED), value(COLOR_GREEN), value(COLOR_BLUE));
}

TEST(ColorDialogLive, OpensWithTheLastConfirmedColourAndKeepsCustomColoursOnlyOnOk) {
  Win32EditorDialogs dialogs(nullptr);
  std::vector<COLORREF> shown;
  auto script = [&](std::vector<DialogScript::Step> more) {
    std::vector<DialogScript::Step> steps{[&](HWND dialog) {
      shown.push_back(ShownColor(dialog));
      return true;
    }};
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
  };
  auto type = [](int id, const wchar_t* text) {
    return [id, text](HWND dialog) {
      SetDlgItemTextW(dialog, id, text);
      return true;
    };
  };
  auto click = [](int id) {
    return [id](HWND dialog) {
      DialogScript::Click(dialog, id);
      return true;
    };
  };

  {  // First use: black; choose red.
    DialogScript s(script({type(COLOR_RED, L"255"), click(IDOK)}));
    const auto color = dialogs.ChooseColor();
    ASSERT_TRUE(color.has_value());
    EXPECT_EQ(*color, 0x0000FF);
  }
  {  // Opens with red; add it to the custom colours, then cancel.
    DialogScript s(script({click(COLOR_ADD), type(COLOR_GREEN, L"128"), click(IDCANCEL)}));
    EXPECT_FALSE(dialogs.ChooseColor().has_value());
    EXPECT_EQ(dialogs.CustomColors(), (std::array<COLORREF, 16>{}));
  }
  {  // Still red after the cancel; add it and confirm blue.
    DialogScript s(script({click(COLOR_ADD), type(COLOR_RED, L"0"), type(COLOR_BLUE, L"255"), click(IDOK)}));
    const auto color = dialogs.ChooseColor();
    ASSERT_TRUE(color.has_value());
    EXPECT_EQ(*color, 0xFF0000);
  }
  {  // Opens with blue.
    DialogScript s(script({[](HWND dialog) {
                             test::SaveScreenshot(dialog, L"colour_dialog");
                             return true;
                           },
                           click(IDCANCEL)}));
    EXPECT_FALSE(dialogs.ChooseColor().has_value());
  }
  EXPECT_EQ(shown, (std::vector<COLORREF>{0, RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255)}));
  const auto& custom = dialogs.CustomColors();
  EXPECT_NE(std::find(custom.begin(), custom.end(), RGB(255, 0, 0)), custom.end());
}

}  // namespace
}  // namespace veskaro::app
