// The baseline of the start-up benchmark: the least a Win32 program does to
// show one window, an empty one, and wait for input.
#include <windows.h>

namespace {

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = MinimalProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = L"MinimalWindow";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 294, 438, nullptr, nullptr, instance,
                                nullptr);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return int(message.wParam);
}
