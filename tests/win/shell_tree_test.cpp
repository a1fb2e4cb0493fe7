// The shell folder tree against the real shell namespace (under Wine: My
// Computer with C: and Z:), in a real top-level window.
#include "app/shell_tree.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace veskaro::app {
namespace {

std::string ToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// Runs the message loop until `done` holds or the time is up; the result is
// the last value of `done`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::wstring TreeText(HWND tree, HTREEITEM item) {
  wchar_t text[MAX_PATH] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  TreeView_GetItem(tree, &tv);
  return text;
}

std::vector<std::wstring> ChildTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::wstring> texts;
  for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c))
    texts.push_back(TreeText(tree, c));
  return texts;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const auto& t : texts)
    if (t == text) return true;
  return false;
}

// A fresh folder under the temp folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    wchar_t longBase[MAX_PATH];
    if (GetLongPathNameW(base, longBase, MAX_PATH)) wcscpy_s(base, longBase);
    path_ = std::wstring(base) + L"veskaro_tree_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    std::wstring from = path_;
    from.push_back(L'\0');  // SHFileOperation wants a double-NUL list
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring Sub(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeTopLevelWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = TestWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ShellTreeTestWindow";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  const HWND window = CreateWindowExW(0, wc.lpszClassName, L"Shell tree test",
                                      WS_OVERLAPPEDWINDOW, 100, 100, 320, 400, nullptr, nullptr,
                                      wc.hInstance, nullptr);
  if (window) ShowWindow(window, SW_SHOW);
  return window;
}

// One top-level window for the suite: under Wine and Xvfb destroying a
// shown top-level window takes seconds.
class ShellTreeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    sharedWindow_ = MakeTopLevelWindow();
  }
  static void TearDownTestSuite() {
    if (sharedWindow_) DestroyWindow(sharedWindow_);
    sharedWindow_ = nullptr;
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_NE(sharedWindow_, nullptr);
    window_ = sharedWindow_;
  }
  void TearDown() override {
    tree_.reset();
    EXPECT_EQ(ShellTree::LiveItemCount(), 0u);
  }

  void MakeTree(ShellTree::ErrorHandler onError = {}) {
    const RECT bounds{16, 27, 16 + 263, 27 + 285};
    tree_ = std::make_unique<ShellTree>(
        window_, 1018, bounds,
        [this](const std::string& path) {
          changes_.push_back(path);
          if (throwOn_ && path == *throwOn_) throw std::runtime_error("handler failed");
        },
        std::move(onError));
  }

  // Selects the folder and expands it, so that its children are shown.
  HTREEITEM OpenFolder(const std::wstring& path) {
    EXPECT_TRUE(tree_->SelectPath(ToUtf8(path))) << ToUtf8(path);
    const HTREEITEM selected = TreeView_GetSelection(tree_->treeHwnd());
    TreeView_Expand(tree_->treeHwnd(), selected, TVE_EXPAND);
    return selected;
  }

  static inline HWND sharedWindow_ = nullptr;
  HWND window_ = nullptr;
  std::unique_ptr<ShellTree> tree_;
  std::vector<std::string> changes_;
  const std::string* throwOn_ = nullptr;
};

TEST_F(ShellTreeTest, BuildsMyComputerExpandedAndSelectedAndReportsItsDisplayName) {
  PIDLIST_ABSOLUTE drives = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetFolderLocation(nullptr, CSIDL_DRIVES, nullptr, 0, &drives)));
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<const wchar_t*>(drives), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME);
  CoTaskMemFree(drives);
  const std::string displayName = ToUtf8(info.szDisplayName);
  ASSERT_FALSE(displayName.empty());

  MakeTree();
  // onChange ran inside the constructor, once, with the display name.
  ASSERT_EQ(changes_, std::vector<std::string>{displayName});
  EXPECT_EQ(tree_->Path(), displayName);

  const HWND tree = tree_->treeHwnd();
  const HTREEITEM root = TreeView_GetRoot(tree);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(TreeView_GetSelection(tree), root);
  EXPECT_EQ(TreeView_GetNextSibling(tree, root), nullptr);
  EXPECT_EQ(ToUtf8(TreeText(tree, root)), displayName);
  EXPECT_TRUE(TreeView_GetItemState(tree, root, TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_NE(TreeView_GetChild(tree, root), nullptr);  // the drives
  EXPECT_EQ(GetParent(tree), tree_->hwnd());
  EXPECT_EQ(GetParent(tree_->hwnd()), window_);
  EXPECT_EQ(GetDlgCtrlID(tree_->hwnd()), 1018);
}

TEST_F(ShellTreeTest, LooksAsConfigured) {
  MakeTree();
  const HWND tree = tree_->treeHwnd();
  EXPECT_EQ(TreeView_GetBkColor(tree), static_cast<COLORREF>(16776176));
  EXPECT_EQ(TreeView_GetIndent(tree), 19u);
  const LONG_PTR style = GetWindowLongPtrW(tree, GWL_STYLE);
  EXPECT_FALSE(style & TVS_LINESATROOT);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_FALSE(GetWindowLongPtrW(tree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  RECT host{}, inner{};
  GetClientRect(tree_->hwnd(), &host);
  GetWindowRect(tree, &inner);
  EXPECT_EQ(host.right, 263);
  EXPECT_EQ(host.bottom, 285);
  EXPECT_EQ(inner.right - inner.left, 263);
  EXPECT_EQ(inner.bottom - inner.top, 285);
  EXPECT_NE(TreeView_GetImageList(tree, TVSIL_NORMAL), nullptr);
}

TEST_F(ShellTreeTest, ListsOnlyVisibleSubfoldersInTheShellsOrder) {
  TempFolder temp;
  for (const wchar_t* name : {L"gamma", L"alpha", L"Beta"})
    ASSERT_TRUE(CreateDirectoryW(temp.Sub(name).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"secret").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(temp.Sub(L"secret").c_str(), FILE_ATTRIBUTE_HIDDEN));
  const HANDLE file = CreateFileW(temp.Sub(L"afile.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  MakeTree();
  const HTREEITEM folder = OpenFolder(temp.path());
  // The shell compares names without regard to case, and not in the order
  // the file system returns them.
  EXPECT_EQ(ChildTexts(tree_->treeHwnd(), folder),
            (std::vector<std::wstring>{L"alpha", L"Beta", L"gamma"}));
}

TEST_F(ShellTreeTest, ShowsNonAsciiFolderNames) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"Папка").c_str(), nullptr));
  MakeTree();
  const HTREEITEM folder = OpenFolder(temp.path());
  EXPECT_EQ(ChildTexts(tree_->treeHwnd(), folder), std::vector<std::wstring>{L"Папка"});
}

int TreeImage(HWND tree, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_IMAGE | TVIF_HANDLE;
  tv.hItem = item;
  TreeView_GetItem(tree, &tv);
  return tv.iImage;
}

int ShellIcon(const std::wstring& path) {
  SHFILEINFOW info{};
  SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

TEST_F(ShellTreeTest, ShowsTheShellsIconsIncludingACustomisedFolders) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"custom").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"plain").c_str(), nullptr));
  const std::wstring ini = temp.Sub(L"custom\\desktop.ini");
  ASSERT_TRUE(WritePrivateProfileStringW(L".ShellClassInfo", L"IconFile",
                                         L"C:\\windows\\system32\\shell32.dll", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L".ShellClassInfo", L"IconIndex", L"12", ini.c_str()));
  ASSERT_TRUE(SetFileAttributesW(temp.Sub(L"custom").c_str(), FILE_ATTRIBUTE_SYSTEM));
  const int customIcon = ShellIcon(temp.Sub(L"custom"));
  const int plainIcon = ShellIcon(temp.Sub(L"plain"));
  ASSERT_NE(customIcon, plainIcon);  // otherwise this test shows nothing

  MakeTree();
  const HWND tree = tree_->treeHwnd();
  const HTREEITEM folder = OpenFolder(temp.path());
  const HTREEITEM custom = TreeView_GetChild(tree, folder);
  ASSERT_EQ(TreeText(tree, custom), L"custom");
  const HTREEITEM plain = TreeView_GetNextSibling(tree, custom);
  EXPECT_EQ(TreeImage(tree, custom), customIcon);
  EXPECT_EQ(TreeImage(tree, plain), plainIcon);
}

TEST_F(ShellTreeTest, AnEmptyFolderLosesItsButtonWhenExpanded) {
  TempFolder temp;
  MakeTree();
  const HTREEITEM folder = OpenFolder(temp.path());
  TVITEMW item{};
  item.mask = TVIF_CHILDREN | TVIF_HANDLE;
  item.hItem = folder;
  TreeView_GetItem(tree_->treeHwnd(), &item);
  EXPECT_EQ(item.cChildren, 0);
  EXPECT_EQ(TreeView_GetChild(tree_->treeHwnd(), folder), nullptr);
}

TEST_F(ShellTreeTest, PathFollowsTheParsingNameRule) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"Имя с пробелом").c_str(), nullptr));
  MakeTree();
  const std::string cases[] = {
      "C:\\",                                   // a drive: its root with the backslash
      ToUtf8(temp.path()),                      // a folder: its full path
      ToUtf8(temp.Sub(L"Имя с пробелом")),      // non-ASCII and blanks come through as UTF-8
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    changes_.clear();
    ASSERT_TRUE(tree_->SelectPath(path));
    EXPECT_EQ(tree_->Path(), path);
    EXPECT_EQ(changes_, std::vector<std::string>{path});
  }
}

TEST_F(ShellTreeTest, SelectPathRefusesWhatTheTreeDoesNotList) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"secret").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(temp.Sub(L"secret").c_str(), FILE_ATTRIBUTE_HIDDEN));
  MakeTree();
  const std::string before = tree_->Path();
  for (const std::wstring& path : {temp.Sub(L"secret"), temp.Sub(L"missing"), std::wstring()}) {
    SCOPED_TRACE(ToUtf8(path));
    EXPECT_FALSE(tree_->SelectPath(ToUtf8(path)));
  }
  EXPECT_EQ(tree_->Path(), before);
}

TEST_F(ShellTreeTest, FollowsFoldersAddedRenamedAndDeletedInTheSelectedFolder) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"keep").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"old").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"doomed").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"keep\\inner").c_str(), nullptr));
  MakeTree();
  const HWND tree = tree_->treeHwnd();
  const HTREEITEM folder = OpenFolder(temp.path());
  ASSERT_EQ(ChildTexts(tree, folder), (std::vector<std::wstring>{L"doomed", L"keep", L"old"}));
  // An expanded child must stay expanded across the re-listing.
  HTREEITEM keep = TreeView_GetNextSibling(tree, TreeView_GetChild(tree, folder));
  TreeView_Expand(tree, keep, TVE_EXPAND);
  const std::size_t changesBefore = changes_.size();

  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"added").c_str(), nullptr));
  EXPECT_TRUE(PumpUntil([&] { return Contains(ChildTexts(tree, folder), L"added"); }));

  ASSERT_TRUE(MoveFileW(temp.Sub(L"old").c_str(), temp.Sub(L"renamed").c_str()));
  EXPECT_TRUE(PumpUntil([&] {
    const auto texts = ChildTexts(tree, folder);
    return !Contains(texts, L"old") && Contains(texts, L"renamed");
  }));

  ASSERT_TRUE(RemoveDirectoryW(temp.Sub(L"doomed").c_str()));
  EXPECT_TRUE(PumpUntil([&] { return !Contains(ChildTexts(tree, folder), L"doomed"); }));

  // A file is not a folder: it never shows.
  const HANDLE file = CreateFileW(temp.Sub(L"zfile.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"zlast").c_str(), nullptr));
  EXPECT_TRUE(PumpUntil([&] { return Contains(ChildTexts(tree, folder), L"zlast"); }));

  EXPECT_EQ(ChildTexts(tree, folder),
            (std::vector<std::wstring>{L"added", L"keep", L"renamed", L"zlast"}));
  EXPECT_EQ(TreeView_GetSelection(tree), folder);
  keep = TreeView_GetNextSibling(tree, TreeView_GetChild(tree, folder));
  EXPECT_EQ(TreeText(tree, keep), L"keep");
  EXPECT_TRUE(TreeView_GetItemState(tree, keep, TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_EQ(ChildTexts(tree, keep), std::vector<std::wstring>{L"inner"});
  EXPECT_EQ(changes_.size(), changesBefore);  // re-listing is not a selection change
}

TEST_F(ShellTreeTest, WatchesOnlyTheSelectedFolder) {
  TempFolder first;
  TempFolder second;
  MakeTree();
  const HWND tree = tree_->treeHwnd();
  const HTREEITEM firstItem = OpenFolder(first.path());
  OpenFolder(second.path());
  // The first folder is no longer selected: a change in it goes unnoticed
  // until it is listed again, while the selected one is followed.
  ASSERT_TRUE(CreateDirectoryW(first.Sub(L"unseen").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(second.Sub(L"seen").c_str(), nullptr));
  const HTREEITEM secondItem = TreeView_GetSelection(tree);
  EXPECT_TRUE(PumpUntil([&] { return Contains(ChildTexts(tree, secondItem), L"seen"); }));
  EXPECT_FALSE(Contains(ChildTexts(tree, firstItem), L"unseen"));
}

TEST_F(ShellTreeTest, RightClickSelectsTheNodeAndOpensTheShellMenu) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"target").c_str(), nullptr));
  MakeTree();
  const HWND tree = tree_->treeHwnd();
  const HTREEITEM folder = OpenFolder(temp.path());
  const HTREEITEM target = TreeView_GetChild(tree, folder);
  ASSERT_NE(target, nullptr);
  TreeView_EnsureVisible(tree, target);
  UpdateWindow(tree);
  RECT rect{};
  ASSERT_TRUE(TreeView_GetItemRect(tree, target, &rect, TRUE));
  POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const LPARAM client = MAKELPARAM(point.x, point.y);
  ClientToScreen(tree, &point);
  SetCursorPos(point.x, point.y);
  changes_.clear();

  // The menu runs its own modal loop; a timer inside it notes the popup and
  // closes it.
  static bool menuSeen;
  menuSeen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    if (FindWindowW(L"#32768", nullptr)) {
      menuSeen = true;
      EndMenu();
    }
  });
  PostMessageW(tree, WM_RBUTTONUP, 0, client);
  SendMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, client);
  KillTimer(nullptr, timer);

  const std::string expected = ToUtf8(temp.Sub(L"target"));
  EXPECT_EQ(TreeView_GetSelection(tree), target);
  EXPECT_EQ(changes_, std::vector<std::string>{expected});
  EXPECT_TRUE(menuSeen);
}

TEST_F(ShellTreeTest, AFailingChangeHandlerIsReportedNotThrownThroughTheWindow) {
  TempFolder temp;
  std::vector<std::string> reported;
  MakeTree([&](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      reported.push_back(e.what());
    }
  });
  const std::string path = ToUtf8(temp.path());
  throwOn_ = &path;
  EXPECT_TRUE(tree_->SelectPath(path));
  EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
  EXPECT_EQ(tree_->Path(), path);
  throwOn_ = nullptr;
  EXPECT_TRUE(tree_->SelectPath("C:\\"));
  EXPECT_EQ(reported.size(), 1u);
}

TEST_F(ShellTreeTest, AFailureWhileBuildingReachesTheOwnerAndLeavesNothingBehind) {
  const RECT bounds{0, 0, 100, 100};
  EXPECT_THROW(ShellTree(window_, 7, bounds, [](const std::string&) {
                 throw std::runtime_error("owner failed");
               }),
               std::runtime_error);
  EXPECT_EQ(GetDlgItem(window_, 7), nullptr);
  EXPECT_EQ(ShellTree::LiveItemCount(), 0u);
}

TEST_F(ShellTreeTest, DestroyingFreesItemsAndStopsTheWatcher) {
  TempFolder temp;
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"a").c_str(), nullptr));
  MakeTree();
  OpenFolder(temp.path());  // watcher armed on a real folder
  const HWND host = tree_->hwnd();
  EXPECT_GT(ShellTree::LiveItemCount(), 0u);
  tree_.reset();
  EXPECT_FALSE(IsWindow(host));
  EXPECT_EQ(ShellTree::LiveItemCount(), 0u);
  // Nothing from a stopped watcher may reach a window that is gone.
  ASSERT_TRUE(CreateDirectoryW(temp.Sub(L"b").c_str(), nullptr));
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
}

TEST_F(ShellTreeTest, SurvivesItsParentBeingDestroyedFirst) {
  TempFolder temp;
  window_ = MakeTopLevelWindow();
  ASSERT_NE(window_, nullptr);
  MakeTree();
  OpenFolder(temp.path());
  const std::size_t changes = changes_.size();
  DestroyWindow(window_);
  EXPECT_EQ(ShellTree::LiveItemCount(), 0u);
  EXPECT_EQ(tree_->Path(), "");
  EXPECT_EQ(changes_.size(), changes);  // tearing down is not a selection change
  tree_.reset();
}

}  // namespace
}  // namespace veskaro::app
