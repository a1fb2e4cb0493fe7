// Message boxes and other standard dialogs (window class #32770).
#include "driver.h"

namespace veskaro::e2e {

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.window = box;
  info.caption = WindowText(box);
  for (HWND control : FindControlsByClass(box, L"Static")) {
    std::wstring text = WindowText(control);
    if (text.empty()) continue;  // the icon is a static control too
    if (!info.text.empty()) info.text += L'\n';
    info.text += text;
  }
  for (HWND button : FindControlsByClass(box, L"Button")) {
    if (IsVisible(button)) info.buttons.push_back(WindowText(button));
  }
  return info;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, Milliseconds timeout,
                                                std::wstring_view caption) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND box : TopWindows(pid, L"#32770")) {
          if (caption.empty() || WindowText(box) == caption) {
            found = box;
            return true;
          }
        }
        return false;
      },
      timeout);
  if (found == nullptr) return std::nullopt;
  // The box may still be filling in its controls when it turns visible.
  WaitUntil([&] { return !FindControlsByClass(found, L"Button").empty(); }, 2s);
  return ReadMessageBox(found);
}

bool ClickDialogButton(HWND box, std::wstring_view caption) {
  HWND button = nullptr;
  for (HWND candidate : FindControlsByClass(box, L"Button")) {
    if (WindowText(candidate) == caption && IsVisible(candidate)) button = candidate;
  }
  if (button == nullptr) return false;
  ClickWindow(button);
  return true;
}

bool WaitForWindowGone(HWND window, Milliseconds timeout) {
  return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

}  // namespace veskaro::e2e
