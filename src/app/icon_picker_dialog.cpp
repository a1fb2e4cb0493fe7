#include "app/icon_picker_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

#include "../../res/dialogs_ids.h"

namespace veskaro::app {
namespace {

// Beyond this a file is not an icon library a person picks from.
constexpr UINT kMaxIcons = 4096;

struct PickerState {
  PWSTR path;
  UINT capacity;
  int* index;
  std::wstring shownPath;  // the file whose icons the list shows
};

std::wstring DialogItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

void ShowIcons(HWND dialog, PickerState& state, const std::wstring& path, int select) {
  HWND list = GetDlgItem(dialog, IDC_ICON_LIST);
  ListView_DeleteAllItems(list);
  const std::vector<win32::UniqueIcon> icons = ExtractLargeIcons(path);
  HIMAGELIST images = ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                       ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.size()), 0);
  for (const auto& icon : icons) ImageList_AddIcon(images, icon.get());
  // The list owns its image list and destroys it with itself; the one it
  // had before is ours to destroy.
  if (HIMAGELIST old = ListView_SetImageList(list, images, LVSIL_NORMAL)) ImageList_Destroy(old);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCount(list, static_cast<int>(icons.size()));
  for (int i = 0; i < static_cast<int>(icons.size()); ++i) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE | LVIF_TEXT;
    item.iItem = i;
    item.iImage = i;
    item.pszText = const_cast<PWSTR>(L"");
    ListView_InsertItem(list, &item);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  if (select >= 0 && select < static_cast<int>(icons.size())) {
    ListView_SetItemState(list, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, select, FALSE);
  }
  state.shownPath = path;
}

std::wstring FilterFromResource(UINT id) {
  std::wstring filter = LoadResourceString(id);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  return filter + L'\0';
}

void Browse(HWND dialog, PickerState& state) {
  const std::wstring filter = FilterFromResource(IDS_ICON_FILES_FILTER) + FilterFromResource(IDS_ALL_FILES_FILTER);
  const std::wstring title = LoadResourceString(IDS_ICON_BROWSE_TITLE);
  std::vector<wchar_t> file(32768);
  const std::wstring current = DialogItemText(dialog, IDC_ICON_PATH);
  std::copy_n(current.begin(), std::min(current.size(), file.size() - 1), file.begin());
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = dialog;
  open.lpstrFilter = filter.c_str();
  open.nFilterIndex = 1;
  open.lpstrFile = file.data();
  open.nMaxFile = static_cast<DWORD>(file.size());
  open.lpstrTitle = title.c_str();
  open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&open)) return;
  SetDlgItemTextW(dialog, IDC_ICON_PATH, file.data());
  ShowIcons(dialog, state, file.data(), 0);
}

void Accept(HWND dialog, PickerState& state) {
  const std::wstring path = DialogItemText(dialog, IDC_ICON_PATH);
  if (path != state.shownPath) {
    // A path typed by hand: show its icons first, accept on the next OK.
    ShowIcons(dialog, state, path, 0);
    return;
  }
  const int selected = ListView_GetNextItem(GetDlgItem(dialog, IDC_ICON_LIST), -1, LVNI_SELECTED);
  if (selected < 0) return;
  const size_t length = std::min<size_t>(path.size(), state.capacity - 1);
  std::copy_n(path.begin(), length, state.path);
  state.path[length] = L'\0';
  *state.index = selected;
  EndDialog(dialog, 1);
}

void Initialize(HWND dialog, PickerState& state) {
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  std::wstring start(state.path, std::find(state.path, state.path + state.capacity, L'\0'));
  if (start.empty()) start = SystemShellLibraryPath();
  SendDlgItemMessageW(dialog, IDC_ICON_PATH, EM_LIMITTEXT, state.capacity - 1, 0);
  SetDlgItemTextW(dialog, IDC_ICON_PATH, start.c_str());
  ShowIcons(dialog, state, DialogItemText(dialog, IDC_ICON_PATH), *state.index);
}

INT_PTR CALLBACK PickerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    auto* state = reinterpret_cast<PickerState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    switch (message) {
      case WM_INITDIALOG:
        Initialize(dialog, *reinterpret_cast<PickerState*>(lParam));
        // The list takes the focus, so that the selection shows and the
        // arrow keys pick an icon.
        SetFocus(GetDlgItem(dialog, IDC_ICON_LIST));
        return FALSE;
      case WM_COMMAND:
        if (!state) break;
        switch (LOWORD(wParam)) {
          case IDOK:
            Accept(dialog, *state);
            return TRUE;
          case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
          case IDC_ICON_BROWSE:
            if (HIWORD(wParam) == BN_CLICKED) Browse(dialog, *state);
            return TRUE;
          default:
            break;
        }
        break;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (state && header->idFrom == IDC_ICON_LIST && header->code == NM_DBLCLK) {
          Accept(dialog, *state);
          return TRUE;
        }
        break;
      }
      default:
        break;
    }
  } catch (...) {
    // Nothing may cross the dialog procedure; the dialog stays as it was.
  }
  return FALSE;
}

}  // namespace

std::wstring SystemShellLibraryPath() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"shell32.dll";
  return std::wstring(folder, length) + L"\\shell32.dll";
}

std::vector<win32::UniqueIcon> ExtractLargeIcons(const std::wstring& path) {
  std::vector<win32::UniqueIcon> icons;
  if (path.empty()) return icons;
  std::vector<wchar_t> expanded(32768);
  const DWORD length = ExpandEnvironmentStringsW(path.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
  const std::wstring file = length > 0 && length <= expanded.size() ? std::wstring(expanded.data()) : path;
  const UINT count = ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0);
  if (count == 0 || count > kMaxIcons) return icons;
  std::vector<HICON> raw(count, nullptr);
  ExtractIconExW(file.c_str(), 0, raw.data(), nullptr, count);
  // Some implementations (Wine's) fill only the first slot of a batch; take
  // the others one at a time.
  for (UINT i = 0; i < count; ++i) {
    if (!raw[i]) ExtractIconExW(file.c_str(), static_cast<int>(i), &raw[i], nullptr, 1);
  }
  for (HICON icon : raw) icons.emplace_back(icon);
  // The list's positions must stay the file's indexes: stop at the first gap.
  icons.erase(std::find_if(icons.begin(), icons.end(), [](const win32::UniqueIcon& icon) { return !icon; }), icons.end());
  return icons;
}

int WINAPI ShowIconPickerDialog(HWND owner, PWSTR path, UINT capacity, int* index) {
  if (!path || capacity == 0 || !index) return -1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  PickerState state{path, capacity, index, {}};
  return static_cast<int>(DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_ICON_PICKER), owner, PickerProc,
                                          reinterpret_cast<LPARAM>(&state)));
}

}  // namespace veskaro::app
