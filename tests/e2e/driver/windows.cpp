// Finding windows and controls and reading what they show.
#include "driver.h"

namespace veskaro::e2e {

namespace {

struct TopSearch {
  DWORD pid;
  std::wstring_view class_name;
  bool visible_only;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<TopSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.pid) return TRUE;
  if (search.visible_only && !IsWindowVisible(window)) return TRUE;
  if (!search.class_name.empty() && ClassName(window) != search.class_name) return TRUE;
  search.found.push_back(window);
  return TRUE;
}

struct ChildSearch {
  std::function<bool(HWND)> match;
  std::vector<HWND> found;
  bool first_only;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<ChildSearch*>(param);
  if (search.match(window)) {
    search.found.push_back(window);
    if (search.first_only) return FALSE;
  }
  return TRUE;
}

// EnumChildWindows walks all descendants, not only direct children, so the
// controls inside the side panel are found from the main window.
std::vector<HWND> FindChildren(HWND parent, std::function<bool(HWND)> match, bool first_only) {
  ChildSearch search{std::move(match), {}, first_only};
  if (parent != nullptr) EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid, std::wstring_view class_name, bool visible_only) {
  TopSearch search{pid, class_name, visible_only, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopWindow(DWORD pid, std::wstring_view class_name, Milliseconds timeout,
                      Milliseconds step) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        auto windows = TopWindows(pid, class_name);
        window = windows.empty() ? nullptr : windows.front();
        return window != nullptr;
      },
      timeout, step);
  return window;
}

HWND FindControl(HWND parent, int id) {
  auto found = FindChildren(parent, [id](HWND w) { return GetDlgCtrlID(w) == id; }, true);
  return found.empty() ? nullptr : found.front();
}

HWND FindControlByText(HWND parent, std::wstring_view text) {
  auto found = FindChildren(parent, [text](HWND w) { return WindowText(w) == text; }, true);
  return found.empty() ? nullptr : found.front();
}

std::vector<HWND> FindControlsByClass(HWND parent, std::wstring_view class_name) {
  return FindChildren(parent, [class_name](HWND w) { return ClassName(w) == class_name; }, false);
}

HWND WaitForControl(HWND parent, int id, Milliseconds timeout) {
  HWND control = nullptr;
  WaitUntil([&] { return (control = FindControl(parent, id)) != nullptr; }, timeout);
  return control;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT, not GetWindowTextW: the latter does not ask another
  // process's controls for their text.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::wstring text(std::size_t(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, WPARAM(text.size()),
                           reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000, &copied))
    return {};
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, std::size_t(std::max(length, 0)));
}

bool IsEnabled(HWND window) { return window != nullptr && IsWindowEnabled(window) != FALSE; }

bool IsVisible(HWND window) { return window != nullptr && IsWindowVisible(window) != FALSE; }

LONG_PTR Style(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

RECT ClientRectOnScreen(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

LONG WindowWidth(HWND window) { return Width(WindowRect(window)); }

POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

POINT ClientToScreenPoint(HWND window, POINT client) {
  ClientToScreen(window, &client);
  return client;
}

bool BringToFront(HWND window, Milliseconds timeout) {
  if (GetForegroundWindow() == window) return true;
  SetForegroundWindow(window);
  return WaitUntil([window] { return GetForegroundWindow() == window; }, timeout);
}

}  // namespace veskaro::e2e
