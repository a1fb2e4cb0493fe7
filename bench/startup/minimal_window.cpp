// The baseline of the start-up benchmark: the least a Win32 program does to
// show one window, an empty one, and wait for input.
// With --load-libraries it first loads the system libraries veskaro.exe
// links and initialises COM, which tells the cost of loading them (large
// under Wine) apart from the program's own start-up work.
#include <windows.h>

#include <objbase.h>

#include <string>

namespace {

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show) {
  const bool load_libraries =
      std::wstring(command_line).find(L"--load-libraries") != std::wstring::npos;
  if (load_libraries) {
    for (const wchar_t* name : {L"comctl32.dll", L"comdlg32.dll", L"shell32.dll", L"shlwapi.dll",
                                L"ole32.dll", L"oleaut32.dll", L"windowscodecs.dll",
                                L"uxtheme.dll", L"msimg32.dll", L"gdi32.dll"}) {
      LoadLibraryW(name);  // kept loaded until the process ends, as imports are
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
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
  if (load_libraries) CoUninitialize();
  return int(message.wParam);
}
