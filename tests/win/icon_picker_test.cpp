// PickIcon against injected entry points (what the shell's picker receives
// and what its answers do), against Wine's real shell32, and our own picker
// dialog driven by messages.
#include "app/icon_picker.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../../res/dialogs_ids.h"
#include "app/dialog_support.h"
#include "app/icon_picker_dialog.h"
#include "dialog_test_support.h"

namespace veskaro::app {
namespace {

using test::DialogScript;
using test::TempFile;

const char kUnsupported[] = "Функция не поддерживается вашей версией Windows!";

// What an injected entry point saw, and what it does in return.
struct EntryScript {
  int returns = 0;
  std::optional<std::vector<wchar_t>> writePath;  // copied into the buffer as it stands
  std::optional<int> writeIndex;

  int calls = 0;
  HWND owner = nullptr;
  std::vector<wchar_t> received;  // the whole buffer, capacity characters
  std::string receivedNarrow;
  UINT capacity = 0;
  int* indexAddress = nullptr;
  int indexSeen = 0;
};

EntryScript g_system;
EntryScript g_fallback;

int Record(EntryScript& script, HWND owner, PWSTR path, UINT capacity, int* index) {
  ++script.calls;
  script.owner = owner;
  script.received.assign(path, path + capacity);
  script.capacity = capacity;
  script.indexAddress = index;
  script.indexSeen = *index;
  if (script.writePath) std::copy(script.writePath->begin(), script.writePath->end(), path);
  if (script.writeIndex) *index = *script.writeIndex;
  return script.returns;
}

int WINAPI SystemEntry(HWND owner, PWSTR path, UINT capacity, int* index) {
  return Record(g_system, owner, path, capacity, index);
}
int WINAPI FallbackEntry(HWND owner, PWSTR path, UINT capacity, int* index) {
  return Record(g_fallback, owner, path, capacity, index);
}
int WINAPI NarrowEntry(HWND owner, PSTR path, UINT capacity, int* index) {
  ++g_system.calls;
  g_system.owner = owner;
  g_system.receivedNarrow.assign(path, path + capacity);
  g_system.capacity = capacity;
  g_system.indexAddress = index;
  if (g_system.writePath) {
    for (size_t i = 0; i < g_system.writePath->size(); ++i) path[i] = static_cast<char>((*g_system.writePath)[i]);
  }
  if (g_system.writeIndex) *index = *g_system.writeIndex;
  return g_system.returns;
}

std::vector<wchar_t> Terminated(const std::wstring& text) {
  std::vector<wchar_t> units(text.begin(), text.end());
  units.push_back(L'\0');
  return units;
}

// The text of a received buffer up to its first NUL.
std::wstring UpToNul(const std::vector<wchar_t>& buffer) {
  return std::wstring(buffer.begin(), std::find(buffer.begin(), buffer.end(), L'\0'));
}

class PickIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_system = {};
    g_fallback = {};
  }

  // The shell library as the tests stand in for it: a fake module, the given
  // entry at ordinal 62 (or none), every load and free counted.
  IconPickerSystem System(FARPROC entry, DWORD platformId = VER_PLATFORM_WIN32_NT, bool loads = true) {
    IconPickerSystem system;
    system.loadLibrary = [this, loads](const wchar_t* name) {
      loadedNames.emplace_back(name);
      return loads ? shell : nullptr;
    };
    system.getEntry = [this, entry](HMODULE module, WORD ordinal) {
      askedModule = module;
      askedOrdinal = ordinal;
      return entry;
    };
    system.freeLibrary = [this](HMODULE module) { freed.push_back(module); };
    system.platformId = platformId;
    system.fallback = FallbackEntry;
    return system;
  }

  static FARPROC Entry(PickIconDlgW entry) { return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(entry)); }
  static FARPROC Entry(PickIconDlgA entry) { return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(entry)); }

  HMODULE shell = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x7ff00000));
  HWND owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1234));
  std::vector<std::wstring> loadedNames;
  std::vector<HMODULE> freed;
  HMODULE askedModule = nullptr;
  WORD askedOrdinal = 0;
};

TEST_F(PickIconTest, MissingEntryRaisesTheStringTableMessageAndFreesTheLibrary) {
  REQUIRE_RESOURCES();
  std::string name = "C:\\icons\\folder.ico";
  std::int32_t index = 4;
  try {
    PickIcon(owner, name, index, System(nullptr));
    FAIL() << "no error raised";
  } catch (const PickIconUnsupported& error) {
    EXPECT_STREQ(error.what(), kUnsupported);
  }
  EXPECT_EQ(loadedNames, std::vector<std::wstring>{L"shell32.dll"});
  EXPECT_EQ(askedModule, shell);
  EXPECT_EQ(askedOrdinal, 62);
  EXPECT_EQ(freed, std::vector<HMODULE>{shell});
  EXPECT_EQ(name, "C:\\icons\\folder.ico");
  EXPECT_EQ(index, 4);
  EXPECT_EQ(g_fallback.calls, 0);
}

TEST_F(PickIconTest, LibraryThatDoesNotLoadRaisesTheSameErrorAndFreesNothing) {
  REQUIRE_RESOURCES();
  std::string name = "x.ico";
  std::int32_t index = 2;
  EXPECT_THROW(PickIcon(owner, name, index, System(Entry(SystemEntry), VER_PLATFORM_WIN32_NT, false)),
               PickIconUnsupported);
  EXPECT_TRUE(freed.empty());
  EXPECT_EQ(name, "x.ico");
  EXPECT_EQ(index, 2);
  EXPECT_EQ(g_system.calls, 0);
}

TEST_F(PickIconTest, EveryInvocationWithoutEntryFailsAlike) {
  REQUIRE_RESOURCES();
  std::string name;
  std::int32_t index = 0;
  for (int i = 0; i < 3; ++i) EXPECT_THROW(PickIcon(owner, name, index, System(nullptr)), PickIconUnsupported);
  EXPECT_EQ(loadedNames.size(), 3u);
  EXPECT_EQ(freed.size(), 3u);
}

// What the entry (and, after -1, our own dialog) returns, and the outcome.
struct ReturnCase {
  const char* name;
  int systemReturns;
  std::optional<int> fallbackReturns;  // set: the fallback must be called
  bool accepted;
  const wchar_t* expectedPath;         // the name afterwards (UTF-16 for the table)
};

constexpr const wchar_t* kStart = L"C:\\Старт\\start.ico";
constexpr const wchar_t* kSystemChoice = L"C:\\Windows\\system32\\shell32.dll";
constexpr const wchar_t* kFallbackChoice = L"D:\\Значки\\свои.icl";

void PrintTo(const ReturnCase& c, std::ostream* os) { *os << c.name; }

class PickIconReturnTest : public PickIconTest, public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(PickIconReturnTest, OnlyExactlyOneAcceptsAndMinusOneShowsOurDialog) {
  const ReturnCase& c = GetParam();
  g_system.returns = c.systemReturns;
  g_system.writePath = Terminated(kSystemChoice);
  g_system.writeIndex = 7;
  if (c.fallbackReturns) {
    g_fallback.returns = *c.fallbackReturns;
    g_fallback.writePath = Terminated(kFallbackChoice);
    g_fallback.writeIndex = 9;
  }
  std::string name = WideToUtf8(kStart);
  std::int32_t index = 3;

  EXPECT_EQ(PickIcon(owner, name, index, System(Entry(SystemEntry))), c.accepted);

  EXPECT_EQ(g_system.calls, 1);
  EXPECT_EQ(g_system.owner, owner);
  EXPECT_EQ(UpToNul(g_system.received), kStart);
  EXPECT_EQ(g_system.capacity, 261u);
  EXPECT_EQ(g_system.indexSeen, 3);
  EXPECT_EQ(g_fallback.calls, c.fallbackReturns ? 1 : 0);
  if (c.fallbackReturns) {
    // Our dialog starts from the caller's name, not from what the shell's
    // entry may have left in the buffer, and edits the same index.
    EXPECT_EQ(g_fallback.owner, owner);
    EXPECT_EQ(UpToNul(g_fallback.received), kStart);
    EXPECT_EQ(g_fallback.capacity, 261u);
    EXPECT_EQ(g_fallback.indexAddress, reinterpret_cast<int*>(&index));
  }
  EXPECT_EQ(name, WideToUtf8(c.expectedPath));
  // The index is never restored: whatever the dialog left stays.
  EXPECT_EQ(index, c.fallbackReturns ? 9 : 7);
  EXPECT_EQ(freed, std::vector<HMODULE>{shell});
}

INSTANTIATE_TEST_SUITE_P(
    PickIconReturns, PickIconReturnTest,
    ::testing::Values(ReturnCase{"One", 1, std::nullopt, true, kSystemChoice},
                      ReturnCase{"Zero", 0, std::nullopt, false, kStart},
                      ReturnCase{"Two", 2, std::nullopt, false, kStart},
                      ReturnCase{"MinusTwo", -2, std::nullopt, false, kStart},
                      ReturnCase{"MinusOneThenOursAccepted", -1, 1, true, kFallbackChoice},
                      ReturnCase{"MinusOneThenOursCancelled", -1, 0, false, kStart},
                      ReturnCase{"MinusOneThenOursReturnsTwo", -1, 2, false, kStart}),
    [](const ::testing::TestParamInfo<ReturnCase>& param) { return std::string(param.param.name); });

TEST_F(PickIconTest, NameLongerThan260CharactersIsCutAndNulTerminated) {
  // Cyrillic letters: two bytes in UTF-8, one UTF-16 unit each.
  std::wstring longName(300, L'ж');
  longName[0] = L'C';
  std::string name = WideToUtf8(longName);
  std::int32_t index = 0;
  g_system.returns = 0;
  PickIcon(owner, name, index, System(Entry(SystemEntry)));
  ASSERT_EQ(g_system.received.size(), 261u);
  EXPECT_EQ(std::wstring(g_system.received.begin(), g_system.received.begin() + 260), longName.substr(0, 260));
  EXPECT_EQ(g_system.received[260], L'\0');
  EXPECT_EQ(name, WideToUtf8(longName));  // not accepted: the name is left whole
}

TEST_F(PickIconTest, ReturnedTextOf261CharactersWithoutNulIsTakenWhole) {
  const std::wstring full(261, L'я');
  g_system.returns = 1;
  g_system.writePath = std::vector<wchar_t>(full.begin(), full.end());
  std::string name = "C:\\a.ico";
  std::int32_t index = 0;
  EXPECT_TRUE(PickIcon(owner, name, index, System(Entry(SystemEntry))));
  EXPECT_EQ(name, WideToUtf8(full));
}

TEST_F(PickIconTest, AcceptingTheSamePathStillReplacesTheName) {
  g_system.returns = 1;  // the buffer is handed back untouched
  std::string name = WideToUtf8(L"C:\\Мои значки\\a.ico");
  std::int32_t index = 5;
  EXPECT_TRUE(PickIcon(owner, name, index, System(Entry(SystemEntry))));
  EXPECT_EQ(name, WideToUtf8(L"C:\\Мои значки\\a.ico"));
  EXPECT_EQ(index, 5);
}

TEST_F(PickIconTest, EmptyNameIsAnEmptyStartingPathAndTheIndexGoesByAddress) {
  g_system.returns = 0;
  std::string name;
  std::int32_t index = -12;
  PickIcon(owner, name, index, System(Entry(SystemEntry)));
  ASSERT_FALSE(g_system.received.empty());
  EXPECT_EQ(g_system.received[0], L'\0');
  EXPECT_EQ(g_system.indexAddress, reinterpret_cast<int*>(&index));
  EXPECT_EQ(g_system.indexSeen, -12);
  EXPECT_TRUE(name.empty());
}

TEST_F(PickIconTest, SingleByteVariantOutsideTheNtFamily) {
  const std::string longName = "C:\\" + std::string(297, 'n');
  std::string name = longName;
  std::int32_t index = 1;
  g_system.returns = 1;
  g_system.writeIndex = 6;
  EXPECT_TRUE(PickIcon(owner, name, index, System(Entry(NarrowEntry), VER_PLATFORM_WIN32_WINDOWS)));
  ASSERT_EQ(g_system.receivedNarrow.size(), 261u);
  EXPECT_EQ(g_system.receivedNarrow.substr(0, 260), longName.substr(0, 260));
  EXPECT_EQ(g_system.receivedNarrow[260], '\0');
  EXPECT_EQ(name, longName.substr(0, 260));  // accepted: what came back, which was the cut text
  EXPECT_EQ(index, 6);
  EXPECT_EQ(freed, std::vector<HMODULE>{shell});
}

TEST_F(PickIconTest, SingleByteVariantReturningMinusOneShowsOurDialog) {
  g_system.returns = -1;
  g_fallback.returns = 1;
  g_fallback.writePath = Terminated(kFallbackChoice);
  std::string name = "C:\\a.ico";
  std::int32_t index = 0;
  EXPECT_TRUE(PickIcon(owner, name, index, System(Entry(NarrowEntry), VER_PLATFORM_WIN32_WINDOWS)));
  EXPECT_EQ(UpToNul(g_fallback.received), L"C:\\a.ico");
  EXPECT_EQ(name, WideToUtf8(kFallbackChoice));
}

TEST(PickIconPlatform, StartupPlatformIsTheNtFamily) {
  EXPECT_EQ(StartupPlatformId(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

// --- Our own dialog, shown for real and driven by messages ---------------

class PickIconDialogTest : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kCaption = L"Выбор иконки";

  static HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_ICON_LIST); }
  static int Count(HWND dialog) { return ListView_GetItemCount(List(dialog)); }
  static int Selected(HWND dialog) { return ListView_GetNextItem(List(dialog), -1, LVNI_SELECTED); }
  static void Select(HWND dialog, int item) {
    ListView_SetItemState(List(dialog), item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }

  void SetUp() override {
    REQUIRE_RESOURCES();
    std::fill(std::begin(buffer), std::end(buffer), L'\0');
  }

  void Start(const std::wstring& path) { std::copy(path.begin(), path.end(), buffer); }

  wchar_t buffer[kIconPathCapacity] = {};
  int index = 0;
  int shownCount = -1, shownSelection = -2;
  std::wstring shownPath;
};

TEST_F(PickIconDialogTest, EmptyPathShowsTheSystemShellLibraryAndOkTakesTheSelection) {
  index = 3;
  DialogScript script({[&](HWND dialog) {
                         shownPath = DialogScript::Text(GetDlgItem(dialog, IDC_ICON_PATH));
                         shownCount = Count(dialog);
                         shownSelection = Selected(dialog);
                         test::SaveScreenshot(dialog, L"icon_picker");
                         Select(dialog, 5);
                         DialogScript::Click(dialog, IDOK);
                         return true;
                       }},
                      kCaption);
  EXPECT_EQ(ShowIconPickerDialog(nullptr, buffer, kIconPathCapacity, &index), 1);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(shownPath, SystemShellLibraryPath());
  EXPECT_GT(shownCount, 5);
  EXPECT_EQ(shownSelection, 3);  // the starting index
  EXPECT_EQ(std::wstring(buffer), SystemShellLibraryPath());
  EXPECT_EQ(index, 5);
}

TEST_F(PickIconDialogTest, CancelStoresNothing) {
  Start(L"%SystemRoot%\\system32\\shell32.dll");
  index = 1;
  DialogScript script({[&](HWND dialog) {
                         shownCount = Count(dialog);
                         Select(dialog, 4);
                         SetDlgItemTextW(dialog, IDC_ICON_PATH, L"C:\\elsewhere.dll");
                         DialogScript::Click(dialog, IDCANCEL);
                         return true;
                       }},
                      kCaption);
  EXPECT_EQ(ShowIconPickerDialog(nullptr, buffer, kIconPathCapacity, &index), 0);
  EXPECT_GT(shownCount, 4);  // environment variables are expanded for loading
  EXPECT_EQ(std::wstring(buffer), L"%SystemRoot%\\system32\\shell32.dll");
  EXPECT_EQ(index, 1);
}

TEST_F(PickIconDialogTest, FileWithoutIconsShowsAnEmptyListAndOkWaitsForASelection) {
  const std::wstring noIcons = TempFile(L"veskaro-no-icons.txt");
  const char text[] = "not an icon file";
  ASSERT_TRUE(test::WriteFileBytes(noIcons, text, sizeof text - 1));
  const std::wstring ico = TempFile(L"veskaro-picker.ico");
  ASSERT_TRUE(test::WriteIcoFile(ico, {16}));
  Start(noIcons);
  index = 0;
  bool stillOpenAfterOk = false;
  int countAfterTyping = -1;
  DialogScript script({[&](HWND dialog) {
                         shownCount = Count(dialog);
                         DialogScript::Click(dialog, IDOK);  // nothing selected: nothing happens
                         return true;
                       },
                       [&](HWND dialog) {
                         stillOpenAfterOk = true;
                         // A path typed by hand: OK shows its icons first.
                         SetDlgItemTextW(dialog, IDC_ICON_PATH, ico.c_str());
                         DialogScript::Click(dialog, IDOK);
                         return true;
                       },
                       [&](HWND dialog) {
                         countAfterTyping = Count(dialog);
                         shownSelection = Selected(dialog);
                         DialogScript::Click(dialog, IDOK);
                         return true;
                       }},
                      kCaption);
  EXPECT_EQ(ShowIconPickerDialog(nullptr, buffer, kIconPathCapacity, &index), 1);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(shownCount, 0);
  EXPECT_TRUE(stillOpenAfterOk);
  EXPECT_EQ(countAfterTyping, 1);
  EXPECT_EQ(shownSelection, 0);
  EXPECT_EQ(std::wstring(buffer), ico);
  EXPECT_EQ(index, 0);
  DeleteFileW(noIcons.c_str());
  DeleteFileW(ico.c_str());
}

TEST_F(PickIconDialogTest, BrowseOpensIconFilesAndShowsTheChosenFilesIcons) {
  const std::wstring ico = TempFile(L"veskaro-browse.ico");
  ASSERT_TRUE(test::WriteIcoFile(ico, {32}));
  index = 7;
  std::vector<std::wstring> filters;
  std::wstring pathAfterBrowse;
  int countAfterBrowse = -1;
  DialogScript script({[&](HWND dialog) {
                         // Posted: the open dialog runs its own loop, in which this script goes on.
                         PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ICON_BROWSE, BN_CLICKED),
                                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ICON_BROWSE)));
                         return true;
                       },
                       [&](HWND) {
                         HWND open = DialogScript::FindDialog(L"Обзор");
                         if (!open) return false;
                         HWND types = GetDlgItem(open, 0x470);  // cmb1
                         for (int i = 0; i < static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0)); ++i) {
                           wchar_t text[256] = {};
                           SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                           filters.emplace_back(text);
                         }
                         HWND name = GetDlgItem(open, 0x47c);  // cmb13, or edt1 where the box is an edit
                         SetWindowTextW(name ? name : GetDlgItem(open, 0x480), ico.c_str());
                         DialogScript::Click(open, IDOK);
                         return true;
                       },
                       [&](HWND dialog) {
                         if (DialogScript::FindDialog(L"Обзор")) return false;
                         pathAfterBrowse = DialogScript::Text(GetDlgItem(dialog, IDC_ICON_PATH));
                         countAfterBrowse = Count(dialog);
                         shownSelection = Selected(dialog);
                         DialogScript::Click(dialog, IDOK);
                         return true;
                       }},
                      kCaption);
  EXPECT_EQ(ShowIconPickerDialog(nullptr, buffer, kIconPathCapacity, &index), 1);
  EXPECT_TRUE(script.Finished());
  ASSERT_FALSE(filters.empty());
  EXPECT_EQ(filters[0], L"Файлы значков (*.ico;*.exe;*.dll;*.icl)");
  EXPECT_EQ(pathAfterBrowse, ico);
  EXPECT_EQ(countAfterBrowse, 1);
  EXPECT_EQ(shownSelection, 0);
  EXPECT_EQ(std::wstring(buffer), ico);
  EXPECT_EQ(index, 0);
  DeleteFileW(ico.c_str());
}

TEST_F(PickIconDialogTest, ChosenPathLongerThanTheBufferIsCut) {
  wchar_t small[8] = {};
  int smallIndex = 0;
  DialogScript script({[&](HWND dialog) {
                         Select(dialog, 2);
                         DialogScript::Click(dialog, IDOK);
                         return true;
                       }},
                      kCaption);
  EXPECT_EQ(ShowIconPickerDialog(nullptr, small, 8, &smallIndex), 1);
  EXPECT_EQ(std::wstring(small), SystemShellLibraryPath().substr(0, 7));
  EXPECT_EQ(smallIndex, 2);
}

// The real shell32 of Wine: its entry at ordinal 62 exists but returns -1
// without showing anything, so our dialog comes up in its place.
TEST(PickIconRealShell, WinesEntryLeadsToOurDialog) {
  REQUIRE_RESOURCES();
  HMODULE shell32 = LoadLibraryW(L"shell32.dll");
  ASSERT_NE(shell32, nullptr);
  EXPECT_NE(GetProcAddress(shell32, MAKEINTRESOURCEA(62)), nullptr);
  FreeLibrary(shell32);

  std::string name;
  std::int32_t index = 0;
  int listed = 0;
  DialogScript script({[&](HWND dialog) {
                         listed = ListView_GetItemCount(GetDlgItem(dialog, IDC_ICON_LIST));
                         ListView_SetItemState(GetDlgItem(dialog, IDC_ICON_LIST), 4, LVIS_SELECTED, LVIS_SELECTED);
                         DialogScript::Click(dialog, IDOK);
                         return true;
                       }},
                      L"Выбор иконки");
  EXPECT_TRUE(PickIcon(nullptr, name, index));
  EXPECT_TRUE(script.Finished());
  EXPECT_GT(listed, 4);
  EXPECT_EQ(name, WideToUtf8(SystemShellLibraryPath()));
  EXPECT_EQ(index, 4);
}

TEST(PickIconRealShell, CancelLeavesTheName) {
  REQUIRE_RESOURCES();
  std::string name = "C:\\nothing-here.ico";
  std::int32_t index = 2;
  DialogScript script({[&](HWND dialog) {
                         DialogScript::Click(dialog, IDCANCEL);
                         return true;
                       }},
                      L"Выбор иконки");
  EXPECT_FALSE(PickIcon(nullptr, name, index));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(name, "C:\\nothing-here.ico");
  EXPECT_EQ(index, 2);
}

}  // namespace
}  // namespace veskaro::app
