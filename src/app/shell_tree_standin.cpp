// Built only while shell_tree.cpp is missing (see CMakeLists.txt).
#include "app/shell_tree_standin.h"

#include <commctrl.h>

#include "app/text.h"

namespace veskaro::app {

namespace {
constexpr wchar_t kHostClass[] = L"VeskaroShellTreeStandIn";
}

ShellTree::ShellTree(HWND parent, int controlId, const RECT& bounds, ChangeHandler onChange, ErrorHandler onError)
    : onChange_(std::move(onChange)), onError_(std::move(onError)) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpfnWndProc = HostProc;
  wc.lpszClassName = kHostClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassExW(&wc);
  int w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
  host_ = CreateWindowExW(WS_EX_CONTROLPARENT, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds.left,
                          bounds.top, w, h, parent, nullptr, wc.hInstance, this);
  tree_ = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS |
                          TVS_HASLINES | TVS_SHOWSELALWAYS, 0, 0, w, h, host_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), wc.hInstance, nullptr);
  TreeView_SetBkColor(tree_, RGB(255, 251, 240));
  TVINSERTSTRUCTW ins{};
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<wchar_t*>(L"My Computer");
  HTREEITEM root = TreeView_InsertItem(tree_, &ins);
  wchar_t drives[256];
  DWORD n = GetLogicalDriveStringsW(255, drives);
  for (const wchar_t* d = drives; n && *d; d += wcslen(d) + 1) {
    ins.hParent = root;
    ins.item.pszText = const_cast<wchar_t*>(d);
    TreeView_InsertItem(tree_, &ins);
  }
  TreeView_Expand(tree_, root, TVE_EXPAND);
  TreeView_SelectItem(tree_, root);
  onChange_(Path());
}

ShellTree::~ShellTree() {
  if (host_) DestroyWindow(host_);
}

std::string ShellTree::Path() const {
  HTREEITEM sel = TreeView_GetSelection(tree_);
  if (!sel) return {};
  wchar_t text[MAX_PATH] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = sel;
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  TreeView_GetItem(tree_, &item);
  return Narrow(text);
}

LRESULT CALLBACK ShellTree::HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* self = reinterpret_cast<ShellTree*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NOTIFY && self && reinterpret_cast<NMHDR*>(lp)->code == TVN_SELCHANGEDW) {
    try {
      self->onChange_(self->Path());
    } catch (...) {
      if (self->onError_) self->onError_(std::current_exception());
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace veskaro::app
