// The main program's pieces that need no window: the theme file format, the
// error display's text rule and the choice of the labels' fonts.
#include <gtest/gtest.h>

#include <string>

#include "app/error_display.h"
#include "app/skin/controls.h"
#include "app/skin/theme.h"
#include "app/text.h"

namespace veskaro::app {
namespace {

struct DisplayCase {
  const wchar_t* message;
  const wchar_t* shown;
};

class ErrorDisplayTextTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(ErrorDisplayTextTest, AddsAFullStopOnlyAfterCharactersAboveTheDot) {
  EXPECT_EQ(ErrorDisplayText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ErrorDisplayTextTest,
    ::testing::Values(DisplayCase{L"Unable to write to C:\\x\\Desktop.ini", L"Unable to write to C:\\x\\Desktop.ini."},
                      DisplayCase{L"Not enough timers available", L"Not enough timers available."},
                      DisplayCase{L"Функция не поддерживается вашей версией Windows!",
                                  L"Функция не поддерживается вашей версией Windows!"},
                      DisplayCase{L"Done.", L"Done."}, DisplayCase{L"a,", L"a,"},
                      DisplayCase{L"Папка не найдена: C:\\Нет", L"Папка не найдена: C:\\Нет."},
                      DisplayCase{L"ends in a slash/", L"ends in a slash/."},  // '/' is above '.'
                      DisplayCase{L"ends in a dash-", L"ends in a dash-"},    // '-' is below '.'
                      DisplayCase{L"", L""}));

// The layout's labels: text and the width the layout gives it.
struct LabelCase {
  const wchar_t* text;
  int width;
};

class LabelFontTest : public ::testing::TestWithParam<LabelCase> {};

// Whatever the system maps MS Sans Serif to, a label stays within the
// layout's width (and so off the control beside it), and keeps the layout's
// font when that fits.
TEST_P(LabelFontTest, StaysWithinTheLayoutsWidth) {
  skin::Skin skin(skin::DeepBlueTheme());
  for (HFONT font : {skin.windowFont.get(), skin.headingFont.get(), skin.linkFont.get()}) {
    const HFONT chosen = skin.LabelFont(font, GetParam().text, GetParam().width);
    EXPECT_TRUE(skin::FontFitsText(chosen, GetParam().text, GetParam().width));
    EXPECT_EQ(skin.LabelFont(font, GetParam().text, 1000), font);
  }
}

INSTANTIATE_TEST_SUITE_P(Layout, LabelFontTest,
                         ::testing::Values(LabelCase{L"Фоновый рисунок папки", 126},
                                           LabelCase{L"Шрифт значков в папке", 120},
                                           LabelCase{L"Текущий цвет", 71},
                                           LabelCase{L"Установить для папки иконку", 152},
                                           LabelCase{L"Sent mail to Author", 109}));

TEST(LabelFont, OnlyTheLayoutsOwnFontsHaveATwin) {
  skin::Skin skin(skin::DeepBlueTheme());
  EXPECT_NE(skin.FallbackFor(skin.headingFont.get()), nullptr);
  EXPECT_EQ(skin.FallbackFor(skin.titleFont.get()), nullptr);
  // Without a twin the label keeps its font, however narrow the layout.
  EXPECT_EQ(skin.LabelFont(skin.titleFont.get(), L"Фоновый рисунок папки", 10), skin.titleFont.get());
}

TEST(Theme, OurFileGivesItsColours) {
  skin::Theme t = skin::ParseTheme(
      "VESKARO-SKIN 1\r\n; comment\r\nface=16180442\r\nborder = 10513231\r\nrounding=14\r\n"
      "edit_border=10513231\r\nside_caption_text=0\r\nfuture_key=1\r\n");
  EXPECT_TRUE(t.fromFile);
  EXPECT_EQ(t.face, 16180442u);
  EXPECT_EQ(t.border, 10513231u);
  EXPECT_EQ(t.rounding, 14);
  EXPECT_EQ(t.editBorder, 10513231u);
  EXPECT_EQ(t.sideCaptionText, 0u);
  EXPECT_EQ(t.borderWidth, 1);  // not given: the built-in value
}

TEST(Theme, BuiltInDeepBlue) {
  skin::Theme t = skin::DeepBlueTheme();
  EXPECT_FALSE(t.fromFile);
  EXPECT_EQ(t.face, 15263976u);
  EXPECT_EQ(t.border, 0u);
  EXPECT_EQ(t.rounding, 0);
  EXPECT_EQ(t.sideCaptionText, RGB(255, 255, 255));
}

class InvalidThemeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(InvalidThemeTest, IsRefused) { EXPECT_THROW(skin::ParseTheme(GetParam()), skin::InvalidThemeError); }

INSTANTIATE_TEST_SUITE_P(Files, InvalidThemeTest,
                         ::testing::Values("", "not a theme", "VESKARO-SKIN 2\nface=1\n",
                                           "VESKARO-SKIN 1\nface=red\n", "VESKARO-SKIN 1\nface=16777216\n",
                                           "VESKARO-SKIN 1\nface\n", "VESKARO-SKIN 1\nrounding=-1\n"));

TEST(Theme, ShippedFileIsValid) {
  FILE* f = _wfopen((Widen(VESKARO_SOURCE_DIR) + L"\\res\\msn.sui").c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  std::string text;
  char buf[1024];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  fclose(f);
  skin::Theme t = skin::ParseTheme(text);
  EXPECT_EQ(t.face, 16180442u);
  EXPECT_EQ(t.border, 10513231u);
  EXPECT_EQ(t.rounding, 14);
  EXPECT_EQ(t.sideBar, 16180442u);
  EXPECT_EQ(t.sideBody, 16777215u);
}

}  // namespace
}  // namespace veskaro::app
