#include "core/editor.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace veskaro {
namespace {

// Names each case after its table entry.
struct CaseName {
  template <class Info>
  std::string operator()(const Info& param) const {
    return param.param.name;
  }
};

constexpr ColorValue kWindowColor = 0xF0F0F0;
constexpr ColorValue kRed = 0x0000FF;
constexpr ColorValue kBlue = 0xFF0000;
constexpr ColorValue kGreen = 0x00FF00;

class FakeView : public EditorView {
 public:
  void SetEditingEnabled(bool e) override { enabled = e; }
  void SetFolderName(const std::string& t) override { folderName = t; }
  void SetPictureText(const std::string& t) override { edit1 = t; }
  std::string PictureText() const override { return edit1; }
  void SetPathText(const std::string& t) override { pathTo = t; }
  std::string PathText() const override { return pathTo; }
  void SetSampleTextColor(ColorValue c) override { sampleText = c; }
  void SetSampleBackColor(ColorValue c) override { sampleBack = c; }
  void SetSampleTransparent(bool t) override { transparent = t; }
  ColorValue WindowColor() const override { return kWindowColor; }
  void ShowEmptyPathError() override { ++emptyPathErrors; }

  bool enabled = false;
  std::string folderName, edit1, pathTo;
  ColorValue sampleText = 0;
  ColorValue sampleBack = 0x123456;  // the layout's own, before any load
  bool transparent = false;
  int emptyPathErrors = 0;
};

// Each dialog answers from a queue; an empty queue means Cancel.
class FakeDialogs : public EditorDialogs {
 public:
  std::optional<std::string> ChoosePicture() override { return Next(pictures); }
  std::optional<ColorValue> ChooseColor() override { return Next(colors); }
  bool PickIcon(std::string& file, std::int32_t& index) override {
    ++iconCalls;
    auto answer = Next(icons);
    if (!answer) return false;
    file = answer->first;
    index = answer->second;
    return true;
  }
  std::deque<std::optional<std::string>> pictures;
  std::deque<std::optional<ColorValue>> colors;
  std::deque<std::optional<std::pair<std::string, int>>> icons;
  int iconCalls = 0;

 private:
  template <class T>
  static std::optional<T> Next(std::deque<std::optional<T>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
  }
};

// Desktop.ini per folder, as key=value pairs; the key rules of the settings
// file (what is written when) but none of its text format.
class FakeStore : public FolderSettingsStore {
 public:
  using File = std::map<std::string, std::string>;

  void Load(FolderState& s) override {
    ++loads;
    auto it = files.find(s.FolderPath);
    if (it == files.end()) {
      s.TextBackColor = ColorNone;
      s.TextColor = 0;
      s.ImagePath.clear();
      s.IconFileName.clear();
      s.IconIndexValue = 0;
      return;
    }
    const File& f = it->second;
    auto get = [&](const char* k, const std::string& d) {
      auto kv = f.find(k);
      return kv == f.end() ? d : kv->second;
    };
    s.ImagePath = get("Iconarea_Image", "");
    s.TextColor = std::stoi(get("IconArea_Text", "0"));
    s.TextBackColor = std::stoi(get("IconArea_TextBackground", "-1"));
    s.IconFileName = get("IconFile", "");
    s.IconIndexValue = std::stoi(get("IconIndex", "0"));
  }
  void Save(const FolderState& s, bool writePicture) override {
    if (failSave) throw std::runtime_error("Unable to write to " + s.FolderPath + "\\Desktop.ini");
    ++saves;
    File update;
    if (writePicture) update["Iconarea_Image"] = s.ImagePath;
    if (s.TextColorChanged) update["IconArea_Text"] = std::to_string(s.TextColor);
    if (s.TextBackChanged) update["IconArea_TextBackground"] = std::to_string(s.TextBackColor);
    if (!s.IconFileName.empty()) {
      update["IconFile"] = s.IconFileName;
      update["IconIndex"] = std::to_string(s.IconIndexValue);
    }
    if (update.empty()) return;  // no key written, no file created
    for (auto& [k, v] : update) files[s.FolderPath][k] = v;
  }
  void Remove(const FolderState& s) override {
    if (failRemove) throw std::runtime_error("access denied");
    files.erase(s.FolderPath);
  }

  // "Iconarea_Image=x;IconFile=y" or "-" when there is no file.
  std::string Render(const std::string& folder) const {
    auto it = files.find(folder);
    if (it == files.end()) return "-";
    std::string out;
    for (auto& [k, v] : it->second) out += (out.empty() ? "" : ";") + k + "=" + v;
    return out;
  }

  std::map<std::string, File> files;
  int loads = 0, saves = 0;
  bool failSave = false, failRemove = false;
};

class NullSideView : public SideChannelView {
 public:
  void SetPanelWidth(int) override {}
  void SetPinButtonVisible(bool) override {}
  void SetPinButtonDown(bool) override {}
  void SetCheckTimer(bool) override {}
};

// The main window as the user drives it: panel, editor and fakes wired as
// the program wires them.
struct Window {
  Window() {
    panel.Start();
    panel.SetOnPush([this] { editor.suiSideChannel1Push(); });
    store.files["C:\\Styled"] = {{"Iconarea_Image", "C:\\pics\\sea.jpg"},
                                 {"IconArea_Text", "255"},
                                 {"IconArea_TextBackground", "16711680"},
                                 {"IconFile", "C:\\icons\\a.ico"},
                                 {"IconIndex", "3"},
                                 {"Other", "kept"}};
    store.files["C:\\Plain"] = {{"Other", "kept"}};
  }
  // Pointer leaves the panel; the next tick slides it back.
  void Leave() { panel.CheckTick(-50, -50, {100, 100, panel.Width(), 400}); }

  FolderState state;
  FakeView view;
  FakeDialogs dialogs;
  FakeStore store;
  NullSideView sideView;
  SideChannel panel{sideView};
  Editor editor{state, view, dialogs, store, panel};
};

// One user action, with its argument where it needs one.
struct Act {
  enum Kind {
    StartUpTick,  // the first automatic slide back
    NewChoice,    // "Выбрать / изменить папку"
    Select,       // tree selection or typing into PathTo
    Confirm,      // "Подтвердить выбор"
    Leave,        // pointer leaves, tick
    OverBar,      // pointer over the bar: slides out, no new choice
    Pin,
    Picture,      // "Выбрать" confirmed with text
    PictureCancel,
    TextColor,    // "Цвет шрифта" confirmed with color
    BackColor,    // "Цвет подписей" confirmed with color
    ColorCancel,  // "Цвет шрифта", cancelled
    Reset,
    Restore,
    Apply,
    TypeEdit1,    // the user edits Edit1 by hand
    Icon,         // icon picker accepted with text, index = color
    IconCancel,
  } kind;
  std::string text = {};
  ColorValue color = 0;
};

void Perform(Window& w, const Act& a) {
  switch (a.kind) {
    case Act::StartUpTick: w.Leave(); break;
    case Act::NewChoice: w.editor.Panel1Click(); break;
    case Act::Select: w.editor.ShellTreeView1Change(a.text); break;
    case Act::Confirm: w.editor.suiButton1Click(); break;
    case Act::Leave: w.Leave(); break;
    case Act::OverBar: w.panel.PointerMoved(true, true); break;
    case Act::Pin: w.panel.TogglePin(); break;
    case Act::Picture: w.dialogs.pictures.push_back(a.text); w.editor.Button1Click(); break;
    case Act::PictureCancel: w.editor.Button1Click(); break;
    case Act::TextColor: w.dialogs.colors.push_back(a.color); w.editor.Button2Click(); break;
    case Act::BackColor: w.dialogs.colors.push_back(a.color); w.editor.Button5Click(); break;
    case Act::ColorCancel: w.editor.Button2Click(); w.editor.Button5Click(); break;
    case Act::Reset: w.editor.Button4Click(); break;
    case Act::Restore: w.editor.Button6Click(); break;
    case Act::Apply: w.editor.Button3Click(); break;
    case Act::TypeEdit1: w.view.edit1 = a.text; break;
    case Act::Icon: w.dialogs.icons.push_back(std::pair{a.text, a.color}); w.editor.Button7Click(); break;
    case Act::IconCancel: w.editor.Button7Click(); break;
  }
}

struct Shown {
  bool enabled;
  std::string folderName;
  std::string edit1;
  ColorValue sampleText;
  bool transparent;
  ColorValue sampleBack;  // checked only when not transparent
};

struct SequenceCase {
  const char* name;
  std::vector<Act> acts;
  FolderState state;   // expected afterwards
  Shown shown;         // expected on the window
  const char* folder;  // whose Desktop.ini to check
  const char* file;    // expected keys, "-" for no file
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.name; }

class EditorSequence : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(EditorSequence, LeavesStateWindowAndFileAsTheUserExpects) {
  Window w;
  for (const Act& a : GetParam().acts) Perform(w, a);
  const SequenceCase& c = GetParam();
  EXPECT_EQ(w.state.FolderPath, c.state.FolderPath);
  EXPECT_EQ(w.state.ImagePath, c.state.ImagePath);
  EXPECT_EQ(w.state.IconFileName, c.state.IconFileName);
  EXPECT_EQ(w.state.IconIndexValue, c.state.IconIndexValue);
  EXPECT_EQ(w.state.TextColor, c.state.TextColor);
  EXPECT_EQ(w.state.TextBackColor, c.state.TextBackColor);
  EXPECT_EQ(w.state.TextColorChanged, c.state.TextColorChanged);
  EXPECT_EQ(w.state.TextBackChanged, c.state.TextBackChanged);
  EXPECT_EQ(w.view.enabled, c.shown.enabled);
  EXPECT_EQ(w.view.folderName, c.shown.folderName);
  EXPECT_EQ(w.view.edit1, c.shown.edit1);
  EXPECT_EQ(w.view.sampleText, c.shown.sampleText);
  EXPECT_EQ(w.view.transparent, c.shown.transparent);
  if (!c.shown.transparent) {
    EXPECT_EQ(w.view.sampleBack, c.shown.sampleBack);
  }
  EXPECT_EQ(w.store.Render(c.folder), c.file);
}

FolderState St(std::string folder, std::string image, std::string icon, int index, ColorValue text,
               ColorValue back, bool textChanged = false, bool backChanged = false) {
  return FolderState{std::move(folder), std::move(image), std::move(icon), index, text, back,
                     textChanged, backChanged};
}

using A = Act;
const std::string kStyledFile =
    "IconArea_Text=255;IconArea_TextBackground=16711680;IconFile=C:\\icons\\a.ico;IconIndex=3;"
    "Iconarea_Image=C:\\pics\\sea.jpg;Other=kept";
// A confirmed, loaded C:\Styled.
const std::vector<Act> kLoadStyled{{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\Styled"},
                                   {A::Confirm}, {A::Leave}};
const FolderState kStyled = St("C:\\Styled", "C:\\pics\\sea.jpg", "C:\\icons\\a.ico", 3, kRed, kBlue);
const Shown kStyledShown{true, "C:\\Styled", "C:\\pics\\sea.jpg", kRed, false, kBlue};

std::vector<Act> Then(std::vector<Act> first, const std::vector<Act>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

INSTANTIATE_TEST_SUITE_P(
    FolderChoice, EditorSequence,
    ::testing::Values(
        SequenceCase{"StartUpSlideBackKeepsButtonsDisabled", {{A::StartUpTick}},
                     St("", "", "", 0, 0, 0), {false, "", "", 0, true, 0}, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"ConfirmAndLeaveLoadsTheFolder", kLoadStyled, kStyled, kStyledShown, "C:\\Styled",
                     kStyledFile.c_str()},
        SequenceCase{"FolderWithoutFileShowsNoCaptionBackground",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\New"}, {A::Confirm}, {A::Leave}},
                     St("C:\\New", "", "", 0, 0, ColorNone), {true, "C:\\New", "", 0, true, 0}, "C:\\New", "-"},
        SequenceCase{"ConfirmTwiceLoadsTheLast",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\Plain"}, {A::Confirm},
                      {A::Select, "C:\\Styled"}, {A::Confirm}, {A::Leave}},
                     kStyled, kStyledShown, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"SelectingWithoutConfirmKeepsTheConfirmedFolder",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\Styled"}, {A::Confirm},
                      {A::Select, "C:\\Plain"}, {A::Leave}},
                     kStyled, kStyledShown, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"LeavingWithoutConfirmClearsTheDisplay",
                     Then(kLoadStyled, {{A::NewChoice}, {A::Leave}}), St("", "", "", 3, 0, 0),
                     {false, "", "", 0, true, 0}, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"PathTextIsTakenAsTyped",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\Plain\\ "}, {A::Confirm}, {A::Leave}},
                     St("C:\\Plain\\ ", "", "", 0, 0, ColorNone), {true, "C:\\Plain\\ ", "", 0, true, 0},
                     "C:\\Plain", "Other=kept"},
        SequenceCase{"EmptyPathKeepsTheFolder",
                     Then(kLoadStyled, {{A::OverBar}, {A::Select, ""}, {A::Confirm}, {A::Leave}}), kStyled,
                     kStyledShown, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"OverTheBarReloadsAndDropsUnappliedChoices",
                     Then(kLoadStyled, {{A::TextColor, "", kGreen}, {A::Picture, "C:\\x.bmp"}, {A::OverBar},
                                        {A::Leave}}),
                     kStyled, kStyledShown, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"PinnedPanelDoesNotLoad",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Pin}, {A::Select, "C:\\Styled"}, {A::Confirm},
                      {A::Leave}},
                     St("C:\\Styled", "", "", 0, 0, 0), {false, "", "", 0, true, 0}, "C:\\Styled",
                     kStyledFile.c_str()},
        SequenceCase{"OverTheBarThenAnotherFolderKeepsThePicture",
                     Then(kLoadStyled, {{A::OverBar}, {A::Select, "C:\\New"}, {A::Confirm}, {A::Leave}}),
                     St("C:\\New", "", "", 0, 0, ColorNone), {true, "C:\\New", "", 0, true, 0}, "C:\\New",
                     "-"}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Commands, EditorSequence,
    ::testing::Values(
        SequenceCase{"CancelledDialogsChangeNothing",
                     Then(kLoadStyled, {{A::PictureCancel}, {A::ColorCancel}, {A::IconCancel}, {A::Apply}}),
                     kStyled, kStyledShown, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"ColoursShowOnTheSampleAndAreWritten",
                     Then(kLoadStyled, {{A::TextColor, "", kGreen}, {A::BackColor, "", kRed}, {A::Apply}}),
                     St("C:\\Styled", "C:\\pics\\sea.jpg", "C:\\icons\\a.ico", 3, kGreen, kRed, true, true),
                     {true, "C:\\Styled", "C:\\pics\\sea.jpg", kGreen, false, kRed}, "C:\\Styled",
                     "IconArea_Text=65280;IconArea_TextBackground=255;IconFile=C:\\icons\\a.ico;IconIndex=3;"
                     "Iconarea_Image=C:\\pics\\sea.jpg;Other=kept"},
        SequenceCase{"BackColourMakesTheTransparentSampleOpaque",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\New"}, {A::Confirm}, {A::Leave},
                      {A::BackColor, "", kGreen}},
                     St("C:\\New", "", "", 0, 0, kGreen, false, true), {true, "C:\\New", "", 0, false, kGreen},
                     "C:\\New", "-"},
        SequenceCase{"ResetAfterAColourWritesBlack",
                     Then(kLoadStyled, {{A::TextColor, "", kGreen}, {A::Reset}, {A::Apply}}),
                     St("C:\\Styled", "", "C:\\icons\\a.ico", 3, 0, 0, true, false),
                     {true, "C:\\Styled", "", 0, false, kWindowColor}, "C:\\Styled",
                     "IconArea_Text=0;IconArea_TextBackground=16711680;IconFile=C:\\icons\\a.ico;IconIndex=3;"
                     "Iconarea_Image=C:\\pics\\sea.jpg;Other=kept"},
        SequenceCase{"ResetWithoutColoursWritesOnlyTheIcon", Then(kLoadStyled, {{A::Reset}, {A::Apply}}),
                     St("C:\\Styled", "", "C:\\icons\\a.ico", 3, 0, 0),
                     {true, "C:\\Styled", "", 0, false, kWindowColor}, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"ApplyTwiceWritesTheSameAndKeepsTheFlags",
                     Then(kLoadStyled, {{A::BackColor, "", kGreen}, {A::Apply}, {A::Apply}}),
                     St("C:\\Styled", "C:\\pics\\sea.jpg", "C:\\icons\\a.ico", 3, kRed, kGreen, false, true),
                     {true, "C:\\Styled", "C:\\pics\\sea.jpg", kRed, false, kGreen}, "C:\\Styled",
                     "IconArea_Text=255;IconArea_TextBackground=65280;IconFile=C:\\icons\\a.ico;IconIndex=3;"
                     "Iconarea_Image=C:\\pics\\sea.jpg;Other=kept"},
        SequenceCase{"RestoreDeletesTheFileAndKeepsTheState", Then(kLoadStyled, {{A::Restore}}), kStyled,
                     {true, "C:\\Styled", "", 0, true, 0}, "C:\\Styled", "-"},
        SequenceCase{"RestoreThenApplyWritesWhatIsHeld",
                     Then(kLoadStyled, {{A::TextColor, "", kGreen}, {A::Restore}, {A::Apply}}),
                     St("C:\\Styled", "C:\\pics\\sea.jpg", "C:\\icons\\a.ico", 3, kGreen, kBlue, true, false),
                     {true, "C:\\Styled", "", 0, true, 0}, "C:\\Styled",
                     "IconArea_Text=65280;IconFile=C:\\icons\\a.ico;IconIndex=3"},
        SequenceCase{"RestoreThenTypingBringsBackTheOldPicture",
                     Then(kLoadStyled, {{A::Restore}, {A::TypeEdit1, "x"}, {A::Apply}}), kStyled,
                     {true, "C:\\Styled", "x", 0, true, 0}, "C:\\Styled",
                     "IconFile=C:\\icons\\a.ico;IconIndex=3;Iconarea_Image=C:\\pics\\sea.jpg"},
        SequenceCase{"TypedPictureIsNotWritten",
                     Then(kLoadStyled, {{A::TypeEdit1, "D:\\typed.jpg"}, {A::Apply}}), kStyled,
                     {true, "C:\\Styled", "D:\\typed.jpg", kRed, false, kBlue}, "C:\\Styled",
                     kStyledFile.c_str()},
        SequenceCase{"ClearedEdit1KeepsTheFilesPicture",
                     Then(kLoadStyled, {{A::Picture, "C:\\new.bmp"}, {A::TypeEdit1, ""}, {A::Apply}}),
                     St("C:\\Styled", "C:\\new.bmp", "C:\\icons\\a.ico", 3, kRed, kBlue),
                     {true, "C:\\Styled", "", kRed, false, kBlue}, "C:\\Styled", kStyledFile.c_str()},
        SequenceCase{"EmptyPictureWithTextInEdit1WritesAnEmptyValue",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\Plain"}, {A::Confirm}, {A::Leave},
                      {A::TypeEdit1, "typed"}, {A::Apply}},
                     St("C:\\Plain", "", "", 0, 0, ColorNone), {true, "C:\\Plain", "typed", 0, true, 0},
                     "C:\\Plain", "Iconarea_Image=;Other=kept"},
        SequenceCase{"PictureAndIconAreWritten",
                     {{A::StartUpTick}, {A::NewChoice}, {A::Select, "C:\\Plain"}, {A::Confirm}, {A::Leave},
                      {A::Picture, "C:\\p.jpg"}, {A::Icon, "C:\\i.dll", 7}, {A::Apply}},
                     St("C:\\Plain", "C:\\p.jpg", "C:\\i.dll", 7, 0, ColorNone),
                     {true, "C:\\Plain", "C:\\p.jpg", 0, true, 0}, "C:\\Plain",
                     "IconFile=C:\\i.dll;IconIndex=7;Iconarea_Image=C:\\p.jpg;Other=kept"},
        SequenceCase{"NewChoiceClearsEverythingButTheIconIndex",
                     Then(kLoadStyled, {{A::TextColor, "", kGreen}, {A::BackColor, "", kGreen}, {A::NewChoice}}),
                     St("", "", "", 3, 0, 0), {true, "C:\\Styled", "C:\\pics\\sea.jpg", kGreen, false, kGreen},
                     "C:\\Styled", kStyledFile.c_str()}),
    CaseName());

TEST(Editor, EmptyPathShowsTheErrorAndKeepsTheFolder) {
  Window w;
  w.state.FolderPath = "C:\\Styled";
  w.editor.ShellTreeView1Change("");
  w.editor.suiButton1Click();
  EXPECT_EQ(w.view.emptyPathErrors, 1);
  EXPECT_EQ(w.state.FolderPath, "C:\\Styled");
  w.editor.ShellTreeView1Change("C:\\Plain");
  w.editor.suiButton1Click();
  EXPECT_EQ(w.view.emptyPathErrors, 1);
  EXPECT_EQ(w.state.FolderPath, "C:\\Plain");
}

TEST(Editor, LoadStepWithoutAFolderReadsNothing) {
  Window w;
  w.Leave();
  EXPECT_EQ(w.store.loads, 0);
}

TEST(Editor, FailedRemovalLeavesTheWindowAsItWas) {
  Window w;
  for (const Act& a : kLoadStyled) Perform(w, a);
  w.store.failRemove = true;
  EXPECT_THROW(w.editor.Button6Click(), std::runtime_error);
  EXPECT_EQ(w.view.edit1, "C:\\pics\\sea.jpg");
  EXPECT_FALSE(w.view.transparent);
  EXPECT_EQ(w.view.sampleBack, kBlue);
}

TEST(Editor, FailedApplyChangesNothingAndCanBeRepeated) {
  Window w;
  for (const Act& a : kLoadStyled) Perform(w, a);
  Perform(w, {A::TextColor, "", kGreen});
  const FolderState before = w.state;
  w.store.failSave = true;
  EXPECT_THROW(w.editor.Button3Click(), std::runtime_error);
  EXPECT_EQ(w.state, before);
  w.store.failSave = false;
  w.editor.Button3Click();
  EXPECT_EQ(w.store.files["C:\\Styled"]["IconArea_Text"], "65280");
}

TEST(Editor, IconPickerEditsOnlyTheIconFields) {
  Window w;
  for (const Act& a : kLoadStyled) Perform(w, a);
  FakeView shownBefore = w.view;
  Perform(w, {A::Icon, "C:\\other.ico", 9});
  EXPECT_EQ(w.state.IconFileName, "C:\\other.ico");
  EXPECT_EQ(w.state.IconIndexValue, 9);
  EXPECT_EQ(w.view.edit1, shownBefore.edit1);
  EXPECT_EQ(w.view.sampleText, shownBefore.sampleText);
  EXPECT_EQ(w.store.saves, 0);
}

}  // namespace
}  // namespace veskaro
