#include "app/shell_tree.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "app/shell_tree_watcher.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace veskaro::app {

namespace {

constexpr wchar_t kHostClassName[] = L"VeskaroShellTree";
constexpr UINT kFolderChangedMessage = WM_APP + 0x51;
constexpr UINT kFillMessage = WM_APP + 0x52;
// A node with many folders shows its first screenful at once; the rest go in
// in batches from the message loop, so that a large folder opens without a
// long wait for items no one sees yet.
constexpr std::size_t kFirstBatch = 100;
constexpr std::size_t kLaterBatch = 5000;
constexpr int kTreeControlId = 1;
constexpr COLORREF kBackground = 16776176;  // R 240, G 251, B 255
constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr int kFontHeight = -11;  // character height, not cell height
constexpr wchar_t kFontFace[] = L"Tahoma";
constexpr int kIndent = 19;
constexpr UINT kFirstMenuCommand = 1;
constexpr UINT kLastMenuCommand = 0x7FFF;
constexpr int kUnknownIcon = -1;

std::atomic<std::size_t> g_liveItems{0};

// A failed HRESULT as an exception that says which call failed.
void ThrowIfFailed(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw std::system_error(static_cast<int>(hr), std::system_category(), what);
}

// One folder as listed: a plain directory usually comes with its name, which
// is then its display name too.
struct Listed {
  win32::UniqueChildPidl pidl;
  std::wstring name;
  bool plain = false;
};

// What each tree item owns: its absolute PIDL, and once its children have
// been listed, the folder object that listed them (it names and compares
// them later).
struct Item {
  explicit Item(win32::UniqueAbsolutePidl p) : pidl(std::move(p)) { ++g_liveItems; }
  ~Item() { --g_liveItems; }
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  win32::UniqueAbsolutePidl pidl;
  win32::ComPtr<IShellFolder> folder;
  bool listed = false;
  bool fileSystem = false;  // a directory: its children are directories or files too
  bool plain = false;       // a directory without customisation: the shell's standard icons
  std::vector<Listed> unfilled;  // listed children not in the tree yet
  std::size_t filled = 0;        // how many of them went in already
  bool restSorted = true;        // the ones after the first batch are in order too
  int icon = kUnknownIcon;
  int openIcon = kUnknownIcon;
};

std::wstring TakeStrRet(STRRET& strret, PCUITEMID_CHILD pidl) {
  win32::UniqueCoString text;
  if (FAILED(StrRetToStrW(&strret, pidl, text.put())) || !text) return {};
  return text.get();
}

std::wstring DisplayName(IShellFolder* folder, PCUITEMID_CHILD pidl, SHGDNF flags) {
  STRRET strret{};
  if (FAILED(folder->GetDisplayNameOf(pidl, flags, &strret))) return {};
  return TakeStrRet(strret, pidl);
}

// The shell's own order; a failed comparison counts as "not less" so that a
// misbehaving folder cannot break the sort.
bool ShellLess(IShellFolder* folder, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
  const HRESULT hr = folder->CompareIDs(0, a, b);
  return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0;
}

int ShellCompare(IShellFolder* folder, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
  const HRESULT hr = folder->CompareIDs(0, a, b);
  if (FAILED(hr)) return 1;  // unknown: treat as different
  return static_cast<short>(HRESULT_CODE(hr));
}

// Only a directory marked system or read-only can carry its own icon or name
// (through its Desktop.ini); a reparse point may be anything.
constexpr DWORD kCustomisable =
    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;

PCUITEMID_CHILD LastId(PCIDLIST_ABSOLUTE pidl) { return ILFindLastID(pidl); }

void RegisterHostClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "RegisterClassExW");
}

}  // namespace

class ShellTree::Impl {
 public:
  Impl(ChangeHandler onChange, ErrorHandler onError)
      : onChange_(std::move(onChange)), onError_(std::move(onError)) {}
  ~Impl() { Teardown(); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  void Create(HWND parent, int controlId, const RECT& bounds);
  void Teardown();

  HWND host() const { return host_.get(); }
  HWND tree() const { return tree_; }
  std::string Path() const;
  bool SelectPath(const std::string& utf8Path);

  static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Report(std::exception_ptr error) const;
  void OnDestroy();
  void OnNcDestroy();
  LRESULT OnNotify(NMHDR* header);
  void OnGetDispInfo(NMTVDISPINFOW& info);
  bool OnItemExpanding(const NMTREEVIEWW& nm);
  void OnSelectionChanged();
  void OnDeleteItem(const NMTREEVIEWW& nm);
  void OnRightClick();
  void OnContextMenu(LPARAM lParam);
  void OnFolderChanged(WPARAM generation);
  bool ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  Item* ItemOf(HTREEITEM item) const;
  HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, win32::UniqueAbsolutePidl pidl,
                       const wchar_t* text, bool plain = false);
  bool ListChildren(const Item& item, win32::ComPtr<IShellFolder>& folder,
                    std::vector<Listed>& children) const;
  void ExpandFirstTime(HTREEITEM handle, Item& item);
  void Fill(HTREEITEM handle, Item& item, std::size_t count);
  void FillAll(HTREEITEM handle);
  void OnFill();
  void Relist(HTREEITEM handle);
  void SetHasChildren(HTREEITEM handle, int children);
  void ArmWatcher();
  void ShowContextMenu(HTREEITEM handle, POINT screen);
  std::wstring PathOf(const Item& item) const;
  void LookUpIcons(Item& item, const Item* parent, bool open) const;

  ChangeHandler onChange_;
  ErrorHandler onError_;
  win32::ComPtr<IShellFolder> desktop_;
  win32::UniqueFont font_;
  win32::UniqueWindow host_;
  HWND tree_ = nullptr;
  HTREEITEM root_ = nullptr;
  int plainFolderIcon_ = kUnknownIcon;
  int plainFolderOpenIcon_ = kUnknownIcon;
  std::unique_ptr<shell::FolderWatcher> watcher_;
  std::vector<HTREEITEM> filling_;  // nodes with children still to insert, oldest first
  bool fillPosted_ = false;
  WPARAM generation_ = 0;
  bool quiet_ = false;       // selection changes made by us that onChange must not see
  bool destroying_ = false;  // no more notifications to our callers
  win32::ComPtr<IContextMenu2> menu2_;
  win32::ComPtr<IContextMenu3> menu3_;
};

LRESULT CALLBACK ShellTree::Impl::HostProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* impl = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    impl = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));
  }
  if (!impl) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    impl->OnNcDestroy();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return impl->HandleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    impl->Report(std::current_exception());
    return 0;
  }
}

void ShellTree::Impl::Report(std::exception_ptr error) const {
  if (!onError_) return;
  try {
    onError_(error);
  } catch (...) {
    // The error display itself failed; nothing is left to tell.
  }
}

// The parent can be destroyed before this object: from here on nothing is
// reported, and the items free their PIDLs while the tree still exists.
void ShellTree::Impl::OnDestroy() {
  destroying_ = true;
  if (watcher_) watcher_->Stop();
  if (tree_) TreeView_DeleteAllItems(tree_);
}

void ShellTree::Impl::OnNcDestroy() {
  destroying_ = true;
  tree_ = nullptr;
  root_ = nullptr;
  host_.release();  // already gone; nothing left to destroy
}

void ShellTree::Impl::Create(HWND parent, int controlId, const RECT& bounds) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterHostClass(instance, HostProc);

  ThrowIfFailed(SHGetDesktopFolder(desktop_.put()), "SHGetDesktopFolder");
  win32::UniqueAbsolutePidl rootPidl;
  ThrowIfFailed(SHGetFolderLocation(nullptr, CSIDL_DRIVES, nullptr, 0, rootPidl.put()),
                "SHGetFolderLocation(CSIDL_DRIVES)");

  font_.reset(CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, kFontFace));

  host_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, kHostClassName, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance,
                              this));
  if (!host_)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(shell tree host)");
  tree_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                              TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                          0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
                          host_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeControlId)),
                          instance, nullptr);
  if (!tree_)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(SysTreeView32)");
  if (font_) SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  TreeView_SetBkColor(tree_, kBackground);
  TreeView_SetTextColor(tree_, kTextColor);
  TreeView_SetIndent(tree_, kIndent);

  // The system image list is shared by the whole process; the tree only
  // borrows it (a tree view never destroys its image lists).
  SHFILEINFOW info{};
  const auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(reinterpret_cast<const wchar_t*>(rootPidl.get()), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) TreeView_SetImageList(tree_, images, TVSIL_NORMAL);
  // The shell gives every directory without a customisation the same two
  // icons; asking it once here spares a lookup per folder shown (one that
  // costs tens of milliseconds per folder in a large directory under Wine).
  for (const bool open : {false, true}) {
    SHFILEINFOW plain{};
    if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &plain, sizeof plain,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON |
                           (open ? SHGFI_OPENICON : 0u)))
      (open ? plainFolderOpenIcon_ : plainFolderIcon_) = plain.iIcon;
  }

  watcher_ = std::make_unique<shell::FolderWatcher>(host_.get(), kFolderChangedMessage);

  const std::wstring rootName = DisplayName(desktop_.get(), reinterpret_cast<PCUITEMID_CHILD>(rootPidl.get()), SHGDN_NORMAL);
  quiet_ = true;
  root_ = InsertItem(TVI_ROOT, TVI_LAST, std::move(rootPidl), rootName.c_str());
  if (!root_) {
    quiet_ = false;
    throw std::runtime_error("The folder tree could not add My Computer");
  }
  TreeView_Expand(tree_, root_, TVE_EXPAND);
  TreeView_SelectItem(tree_, root_);
  quiet_ = false;
  // Called here rather than from the notification so that a failure while
  // the owner is being built reaches the owner.
  if (onChange_) onChange_(Path());
}

void ShellTree::Impl::Teardown() {
  destroying_ = true;
  if (watcher_) watcher_->Stop();
  if (tree_) TreeView_DeleteAllItems(tree_);
  host_.reset();
  watcher_.reset();
  tree_ = nullptr;
}

Item* ShellTree::Impl::ItemOf(HTREEITEM handle) const {
  if (!handle) return nullptr;
  TVITEMW item{};
  item.mask = TVIF_PARAM | TVIF_HANDLE;
  item.hItem = handle;
  if (!TreeView_GetItem(tree_, &item)) return nullptr;
  return reinterpret_cast<Item*>(item.lParam);
}

HTREEITEM ShellTree::Impl::InsertItem(HTREEITEM parent, HTREEITEM after, win32::UniqueAbsolutePidl pidl,
                                      const wchar_t* text, bool plain) {
  auto owned = std::make_unique<Item>(std::move(pidl));
  owned->plain = plain;
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = text ? const_cast<wchar_t*>(text) : LPSTR_TEXTCALLBACKW;
  insert.item.iImage = I_IMAGECALLBACK;
  insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.cChildren = I_CHILDRENCALLBACK;
  insert.item.lParam = reinterpret_cast<LPARAM>(owned.get());
  const HTREEITEM handle = TreeView_InsertItem(tree_, &insert);
  // From here the tree owns the item; TVN_DELETEITEM frees it.
  if (handle) owned.release();
  return handle;
}

bool ShellTree::Impl::ListChildren(const Item& item, win32::ComPtr<IShellFolder>& folder,
                                   std::vector<Listed>& children) const {
  children.clear();
  if (FAILED(desktop_->BindToObject(item.pidl.get(), nullptr, IID_IShellFolder, folder.put_void())))
    return false;
  win32::ComPtr<IEnumIDList> items;
  // No owner window: a drive without media must not raise a prompt from here.
  const HRESULT hr = folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put());
  if (FAILED(hr)) return false;
  if (hr == S_FALSE || !items) return true;
  PITEMID_CHILD batch[64];
  for (;;) {
    ULONG fetched = 0;
    const HRESULT got = items->Next(static_cast<ULONG>(std::size(batch)), batch, &fetched);
    if (FAILED(got)) break;
    for (ULONG i = 0; i < fetched; ++i) {
      Listed child;
      child.pidl.reset(batch[i]);
      PCUITEMID_CHILD one = child.pidl.get();
      WIN32_FIND_DATAW data;
      if (item.fileSystem &&
          SUCCEEDED(SHGetDataFromIDListW(folder.get(), one, SHGDFIL_FINDDATA, &data, sizeof data))) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
        child.plain = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                      !(data.dwFileAttributes & kCustomisable) && data.cFileName[0];
        // A name the item's data could not hold comes back with "?" in it,
        // which no real file name contains: the shell names such folders.
        if (child.plain && !wcschr(data.cFileName, L'?')) child.name = data.cFileName;
      }
      if (!child.plain) {
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_HIDDEN;
        if (FAILED(folder->GetAttributesOf(1, &one, &attributes))) continue;
        if (!(attributes & SFGAO_FOLDER) || (attributes & SFGAO_HIDDEN)) continue;
      }
      children.push_back(std::move(child));
    }
    if (got != S_OK || fetched == 0) break;
  }
  return true;
}

namespace {

// Puts [first, last) into the shell's order, the first `leading` of them at
// least: those are the smallest, in order; the rest stay unsorted.
void SortListed(IShellFolder* folder, std::vector<Listed>::iterator first,
                std::vector<Listed>::iterator last, std::size_t leading) {
  const auto less = [folder](const Listed& a, const Listed& b) {
    return ShellLess(folder, a.pidl.get(), b.pidl.get());
  };
  if (static_cast<std::size_t>(last - first) > leading)
    std::partial_sort(first, first + static_cast<std::ptrdiff_t>(leading), last, less);
  else
    std::sort(first, last, less);
}

}  // namespace

void ShellTree::Impl::SetHasChildren(HTREEITEM handle, int children) {
  TVITEMW item{};
  item.mask = TVIF_CHILDREN | TVIF_HANDLE;
  item.hItem = handle;
  item.cChildren = children;
  TreeView_SetItem(tree_, &item);
}

void ShellTree::Impl::ExpandFirstTime(HTREEITEM handle, Item& item) {
  item.listed = true;
  wchar_t directory[MAX_PATH];
  item.fileSystem = SHGetPathFromIDListW(item.pidl.get(), directory) && directory[0];
  std::vector<Listed> children;
  win32::ComPtr<IShellFolder> folder;
  if (!ListChildren(item, folder, children) || children.empty()) {
    SetHasChildren(handle, 0);
    return;
  }
  // Only the first batch needs its order before anything shows.
  SortListed(folder.get(), children.begin(), children.end(), kFirstBatch);
  item.folder = std::move(folder);
  item.unfilled = std::move(children);
  item.filled = 0;
  item.restSorted = item.unfilled.size() <= kFirstBatch;
  // The node is not expanded yet, so the tree neither lays out nor paints
  // while the first batch goes in.
  Fill(handle, item, kFirstBatch);
  if (item.filled < item.unfilled.size()) {
    filling_.push_back(handle);
    if (!fillPosted_) fillPosted_ = PostMessageW(host_.get(), kFillMessage, 0, 0) != FALSE;
  }
  SetHasChildren(handle, TreeView_GetChild(tree_, handle) ? 1 : 0);
}

// Appends the next `count` listed children of the node to the tree.
void ShellTree::Impl::Fill(HTREEITEM handle, Item& item, std::size_t count) {
  if (!item.restSorted && item.filled > 0) {
    SortListed(item.folder.get(), item.unfilled.begin() + static_cast<std::ptrdiff_t>(item.filled),
               item.unfilled.end(), item.unfilled.size());
    item.restSorted = true;
  }
  const std::size_t end = std::min(item.unfilled.size(), item.filled + count);
  for (; item.filled < end; ++item.filled) {
    const Listed& child = item.unfilled[item.filled];
    win32::UniqueAbsolutePidl absolute(ILCombine(item.pidl.get(), child.pidl.get()));
    if (absolute)
      InsertItem(handle, TVI_LAST, std::move(absolute),
                 child.name.empty() ? nullptr : child.name.c_str(), child.plain);
  }
  if (item.filled >= item.unfilled.size()) {
    item.unfilled.clear();
    item.unfilled.shrink_to_fit();
    item.filled = 0;
    filling_.erase(std::remove(filling_.begin(), filling_.end(), handle), filling_.end());
  }
}

// Whatever walks a node's children needs all of them in the tree first.
void ShellTree::Impl::FillAll(HTREEITEM handle) {
  Item* item = ItemOf(handle);
  if (!item || item->unfilled.empty()) return;
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  Fill(handle, *item, item->unfilled.size());
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
}

void ShellTree::Impl::OnFill() {
  fillPosted_ = false;
  if (destroying_ || filling_.empty()) return;
  const HTREEITEM handle = filling_.front();
  if (Item* item = ItemOf(handle)) {
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    Fill(handle, *item, kLaterBatch);
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  } else {
    filling_.erase(filling_.begin());
  }
  if (!filling_.empty()) fillPosted_ = PostMessageW(host_.get(), kFillMessage, 0, 0) != FALSE;
}

// Lists the node's folders again and merges them into the tree: folders that
// are gone lose their items (and subtrees), new ones get items in the
// shell's order, and the rest keep their items, expansion and selection.
void ShellTree::Impl::Relist(HTREEITEM handle) {
  Item* item = ItemOf(handle);
  if (!item) return;
  if (!item->listed) {
    // Nothing shown below it yet: let the tree ask again whether to show a
    // button.
    SetHasChildren(handle, I_CHILDRENCALLBACK);
    return;
  }
  FillAll(handle);
  std::vector<Listed> fresh;
  win32::ComPtr<IShellFolder> folder;
  if (!ListChildren(*item, folder, fresh)) return;
  IShellFolder* sorter = folder.get();
  SortListed(sorter, fresh.begin(), fresh.end(), fresh.size());

  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  HTREEITEM existing = TreeView_GetChild(tree_, handle);
  HTREEITEM previous = TVI_FIRST;
  std::size_t next = 0;
  while (existing || next < fresh.size()) {
    int order;
    if (!existing) {
      order = 1;
    } else if (next >= fresh.size()) {
      order = -1;
    } else {
      const Item* shown = ItemOf(existing);
      order = shown ? ShellCompare(sorter, LastId(shown->pidl.get()), fresh[next].pidl.get()) : -1;
    }
    if (order < 0) {
      const HTREEITEM gone = existing;
      existing = TreeView_GetNextSibling(tree_, existing);
      TreeView_DeleteItem(tree_, gone);
    } else if (order > 0) {
      const Listed& child = fresh[next++];
      win32::UniqueAbsolutePidl absolute(ILCombine(item->pidl.get(), child.pidl.get()));
      if (!absolute) continue;
      if (const HTREEITEM added =
              InsertItem(handle, previous, std::move(absolute),
                         child.name.empty() ? nullptr : child.name.c_str(), child.plain))
        previous = added;
    } else {
      previous = existing;
      existing = TreeView_GetNextSibling(tree_, existing);
      ++next;
    }
  }
  item->folder = std::move(folder);
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  SetHasChildren(handle, TreeView_GetChild(tree_, handle) ? 1 : 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

std::wstring ShellTree::Impl::PathOf(const Item& item) const {
  const auto* pidl = reinterpret_cast<PCUITEMID_CHILD>(item.pidl.get());
  std::wstring path = DisplayName(desktop_.get(), pidl, SHGDN_FORPARSING);
  if (path.rfind(L"::{", 0) == 0) path = DisplayName(desktop_.get(), pidl, SHGDN_NORMAL);
  return path;
}

std::string ShellTree::Impl::Path() const {
  if (!tree_) return {};
  const Item* item = ItemOf(TreeView_GetSelection(tree_));
  return item ? win32::ToUtf8(PathOf(*item)) : std::string();
}

bool ShellTree::Impl::SelectPath(const std::string& utf8Path) {
  if (!tree_ || !root_ || utf8Path.empty()) return false;
  const std::wstring wanted = win32::ToWide(utf8Path);
  const Item* rootItem = ItemOf(root_);
  if (rootItem && PathOf(*rootItem) == wanted) {
    TreeView_SelectItem(tree_, root_);
    return true;
  }
  win32::UniqueAbsolutePidl target;
  if (FAILED(SHParseDisplayName(wanted.c_str(), nullptr, target.put(), 0, nullptr)) || !target)
    return false;
  HTREEITEM current = root_;
  for (;;) {
    const Item* item = ItemOf(current);
    if (!item) return false;
    if (ILIsEqual(item->pidl.get(), target.get())) {
      TreeView_SelectItem(tree_, current);
      TreeView_EnsureVisible(tree_, current);
      return true;
    }
    if (!ILIsParent(item->pidl.get(), target.get(), FALSE)) return false;
    TreeView_Expand(tree_, current, TVE_EXPAND);
    FillAll(current);
    HTREEITEM child = TreeView_GetChild(tree_, current);
    while (child) {
      const Item* candidate = ItemOf(child);
      if (candidate && (ILIsEqual(candidate->pidl.get(), target.get()) ||
                        ILIsParent(candidate->pidl.get(), target.get(), FALSE)))
        break;
      child = TreeView_GetNextSibling(tree_, child);
    }
    if (!child) return false;
    current = child;
  }
}

void ShellTree::Impl::ArmWatcher() {
  ++generation_;
  const Item* item = ItemOf(TreeView_GetSelection(tree_));
  wchar_t path[MAX_PATH];
  if (item && SHGetPathFromIDListW(item->pidl.get(), path) && path[0]) {
    watcher_->Watch(path, generation_);
  } else {
    watcher_->Stop();  // virtual folders have no directory to watch
  }
}

LRESULT ShellTree::Impl::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT menuResult = 0;
  if (ForwardMenuMessage(message, wParam, lParam, menuResult)) return menuResult;
  switch (message) {
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      OnContextMenu(lParam);
      return 0;
    case kFolderChangedMessage:
      OnFolderChanged(wParam);
      return 0;
    case kFillMessage:
      OnFill();
      return 0;
    case WM_SIZE:
      if (tree_) MoveWindow(tree_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (tree_) SetFocus(tree_);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the tree covers the whole client area
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT ShellTree::Impl::OnNotify(NMHDR* header) {
  if (!header || header->hwndFrom != tree_ || !tree_) return 0;
  switch (header->code) {
    case TVN_GETDISPINFOW:
      OnGetDispInfo(*reinterpret_cast<NMTVDISPINFOW*>(header));
      return 0;
    case TVN_ITEMEXPANDINGW:
      return OnItemExpanding(*reinterpret_cast<NMTREEVIEWW*>(header)) ? TRUE : FALSE;
    case TVN_SELCHANGEDW:
      OnSelectionChanged();
      return 0;
    case TVN_DELETEITEMW:
      OnDeleteItem(*reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case NM_RCLICK:
      OnRightClick();
      return TRUE;  // handled: no WM_CONTEXTMENU from the tree as well
    default:
      return 0;
  }
}

void ShellTree::Impl::OnGetDispInfo(NMTVDISPINFOW& info) {
  auto* item = reinterpret_cast<Item*>(info.item.lParam);
  if (!item) return;
  const HTREEITEM parent = TreeView_GetParent(tree_, info.item.hItem);
  const Item* parentItem = ItemOf(parent);
  IShellFolder* folder = parentItem ? parentItem->folder.get() : nullptr;
  const PCUITEMID_CHILD last = LastId(item->pidl.get());

  if (info.item.mask & TVIF_TEXT) {
    const std::wstring name =
        folder ? DisplayName(folder, last, SHGDN_INFOLDER)
               : DisplayName(desktop_.get(), reinterpret_cast<PCUITEMID_CHILD>(item->pidl.get()),
                             SHGDN_NORMAL);
    if (info.item.pszText && info.item.cchTextMax > 0) {
      lstrcpynW(info.item.pszText, name.c_str(), info.item.cchTextMax);
      info.item.mask |= TVIF_DI_SETITEM;
    }
  }
  if (info.item.mask & TVIF_CHILDREN) {
    if (item->listed) {
      info.item.cChildren = TreeView_GetChild(tree_, info.item.hItem) ? 1 : 0;
    } else {
      SFGAOF attributes = SFGAO_HASSUBFOLDER;
      const bool known = folder && SUCCEEDED(folder->GetAttributesOf(1, &last, &attributes));
      info.item.cChildren = (!known || (attributes & SFGAO_HASSUBFOLDER)) ? 1 : 0;
    }
    info.item.mask |= TVIF_DI_SETITEM;
  }
  if (info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
    const bool open = (info.item.state & TVIS_EXPANDED) != 0;
    int& icon = open ? item->openIcon : item->icon;
    if (icon == kUnknownIcon) LookUpIcons(*item, parentItem, open);
    info.item.iImage = icon;
    info.item.iSelectedImage = icon;
  }
}

void ShellTree::Impl::LookUpIcons(Item& item, const Item* parent, bool open) const {
  IShellFolder* folder = parent ? parent->folder.get() : nullptr;
  if (!folder) {
    SHFILEINFOW file{};
    const UINT flags =
        SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0u);
    const int index = SHGetFileInfoW(reinterpret_cast<const wchar_t*>(item.pidl.get()), 0, &file,
                                     sizeof file, flags)
                          ? file.iIcon
                          : 0;
    (open ? item.openIcon : item.icon) = index;
    return;
  }
  const PCUITEMID_CHILD last = LastId(item.pidl.get());
  if (item.plain && plainFolderIcon_ >= 0 && plainFolderOpenIcon_ >= 0) {
    item.icon = plainFolderIcon_;
    item.openIcon = plainFolderOpenIcon_;
    return;
  }
  // The folder that listed the item asks for both icons at once.
  int openIndex = -1;
  const int index = SHMapPIDLToSystemImageListIndex(folder, last, &openIndex);
  item.icon = index >= 0 ? index : 0;
  item.openIcon = openIndex >= 0 ? openIndex : item.icon;
}

bool ShellTree::Impl::OnItemExpanding(const NMTREEVIEWW& nm) {
  if (!(nm.action & TVE_EXPAND)) return false;
  Item* item = reinterpret_cast<Item*>(nm.itemNew.lParam);
  if (!item) item = ItemOf(nm.itemNew.hItem);
  if (item && !item->listed) ExpandFirstTime(nm.itemNew.hItem, *item);
  return false;  // let it expand (a node without children just loses its button)
}

void ShellTree::Impl::OnSelectionChanged() {
  if (destroying_) return;
  ArmWatcher();
  if (quiet_ || !onChange_) return;
  onChange_(Path());
}

void ShellTree::Impl::OnDeleteItem(const NMTREEVIEWW& nm) {
  if (!filling_.empty())
    filling_.erase(std::remove(filling_.begin(), filling_.end(), nm.itemOld.hItem), filling_.end());
  delete reinterpret_cast<Item*>(nm.itemOld.lParam);
}

void ShellTree::Impl::OnFolderChanged(WPARAM generation) {
  if (destroying_ || generation != generation_) return;  // for a folder no longer selected
  watcher_->Acknowledge();
  const HTREEITEM selected = TreeView_GetSelection(tree_);
  if (selected) Relist(selected);
}

void ShellTree::Impl::OnRightClick() {
  POINT screen{};
  GetCursorPos(&screen);
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(tree_, &hit.pt);
  const HTREEITEM handle = TreeView_HitTest(tree_, &hit);
  if (!handle || !(hit.flags & TVHT_ONITEM)) return;
  // A right-click is a change of selection like any other: onChange runs.
  TreeView_SelectItem(tree_, handle);
  ShowContextMenu(handle, screen);
}

void ShellTree::Impl::OnContextMenu(LPARAM lParam) {
  // From the keyboard (Shift+F10, the menu key): the selected node, with the
  // menu at its lower left corner.
  const HTREEITEM handle = TreeView_GetSelection(tree_);
  if (!handle) return;
  POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (lParam == -1) {
    RECT rect{};
    TreeView_GetItemRect(tree_, handle, &rect, TRUE);
    screen = {rect.left, rect.bottom};
    ClientToScreen(tree_, &screen);
  }
  ShowContextMenu(handle, screen);
}

void ShellTree::Impl::ShowContextMenu(HTREEITEM handle, POINT screen) {
  const Item* item = ItemOf(handle);
  if (!item || destroying_) return;
  win32::ComPtr<IShellFolder> parent;
  PCUITEMID_CHILD child = nullptr;
  if (FAILED(SHBindToParent(item->pidl.get(), IID_IShellFolder, parent.put_void(), &child)))
    return;
  win32::ComPtr<IContextMenu> menu;
  if (FAILED(parent->GetUIObjectOf(host_.get(), 1, &child, IID_IContextMenu, nullptr,
                                   menu.put_void())))
    return;
  win32::UniqueMenu popup(CreatePopupMenu());
  if (!popup) return;
  if (FAILED(menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand,
                                    CMF_NORMAL | CMF_EXPLORE)))
    return;
  // Owner-drawn items and submenus of the shell's extensions come to the
  // host as menu messages while the menu is open.
  menu2_ = menu.query<IContextMenu2>();
  menu3_ = menu.query<IContextMenu3>();
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x,
                     screen.y, 0, host_.get(), nullptr));
  menu2_.reset();
  menu3_.reset();
  if (command < kFirstMenuCommand || destroying_) return;

  CMINVOKECOMMANDINFOEX invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
  invoke.hwnd = host_.get();
  invoke.lpVerb = MAKEINTRESOURCEA(command - kFirstMenuCommand);
  invoke.lpVerbW = MAKEINTRESOURCEW(command - kFirstMenuCommand);
  invoke.nShow = SW_SHOWNORMAL;
  invoke.ptInvoke = screen;
  // The shell reports its own failures (a dialog of the chosen command).
  menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&invoke));
}

bool ShellTree::Impl::ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
  if (!menu2_ && !menu3_) return false;
  switch (message) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
      break;
    default:
      return false;
  }
  if ((message == WM_DRAWITEM || message == WM_MEASUREITEM) && wParam != 0) return false;
  if (menu3_) return SUCCEEDED(menu3_->HandleMenuMsg2(message, wParam, lParam, &result));
  if (message == WM_MENUCHAR) return false;
  result = 0;
  return SUCCEEDED(menu2_->HandleMenuMsg(message, wParam, lParam));
}

// ShellTree

ShellTree::ShellTree(HWND parent, int controlId, const RECT& bounds, ChangeHandler onChange,
                     ErrorHandler onError)
    : impl_(std::make_unique<Impl>(std::move(onChange), std::move(onError))) {
  try {
    impl_->Create(parent, controlId, bounds);
  } catch (...) {
    impl_->Teardown();
    throw;
  }
}

ShellTree::~ShellTree() = default;

HWND ShellTree::hwnd() const { return impl_->host(); }
HWND ShellTree::treeHwnd() const { return impl_->tree(); }
std::string ShellTree::Path() const { return impl_->Path(); }
bool ShellTree::SelectPath(const std::string& utf8Path) { return impl_->SelectPath(utf8Path); }
std::size_t ShellTree::LiveItemCount() { return g_liveItems.load(); }

}  // namespace veskaro::app
