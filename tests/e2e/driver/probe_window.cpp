// A small window with known contents that the driver's own tests act on: a
// coloured patch, an edit box, a button that shows a message box, and a
// status line that reports the input the window received.
// With --fail it instead shows a task-modal error box and exits with 1, the
// way a program that fails while starting does.
#include <windows.h>

#include <string>

namespace {

constexpr int kEditId = 101;
constexpr int kButtonId = 102;
constexpr int kStatusId = 103;
constexpr int kMoveId = 104;
constexpr COLORREF kPatchColor = RGB(12, 34, 56);

void SetStatus(HWND window, int id, const std::wstring& text) {
  SetWindowTextW(GetDlgItem(window, id), text.c_str());
}

std::wstring Position(LPARAM lparam) {
  return std::to_wstring(short(LOWORD(lparam))) + L"," + std::to_wstring(short(HIWORD(lparam)));
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10,
                      60, 200, 22, window, HMENU(INT_PTR(kEditId)), nullptr, nullptr);
      CreateWindowExW(0, L"Button", L"Показать", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 90,
                      120, 25, window, HMENU(INT_PTR(kButtonId)), nullptr, nullptr);
      CreateWindowExW(0, L"Static", L"none", WS_CHILD | WS_VISIBLE, 10, 130, 200, 20, window,
                      HMENU(INT_PTR(kStatusId)), nullptr, nullptr);
      CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 10, 155, 200, 20, window,
                      HMENU(INT_PTR(kMoveId)), nullptr, nullptr);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId) {
        const int answer = MessageBoxW(window, L"Текст сообщения", L"Probe box",
                                       MB_OKCANCEL | MB_ICONERROR);
        SetStatus(window, kStatusId, answer == IDOK ? L"OK" : L"Cancel");
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetStatus(window, kStatusId, L"left " + Position(lparam));
      return 0;
    case WM_RBUTTONDOWN:
      SetStatus(window, kStatusId, L"right " + Position(lparam));
      return 0;
    case WM_LBUTTONDBLCLK:
      SetStatus(window, kStatusId, L"double " + Position(lparam));
      return 0;
    case WM_MOUSEMOVE:
      SetStatus(window, kMoveId, L"move " + Position(lparam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBRUSH brush = CreateSolidBrush(kPatchColor);
      RECT patch{0, 0, 100, 50};
      FillRect(dc, &patch, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show) {
  if (std::wstring(command_line).find(L"--fail") != std::wstring::npos) {
    MessageBoxW(nullptr, L"Probe start-up failed", L"Application Error",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
  }
  WNDCLASSW window_class{};
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = ProbeProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = L"DriverProbe";
  RegisterClassW(&window_class);
  RECT frame{0, 0, 320, 200};
  AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE);
  HWND window = CreateWindowExW(0, L"DriverProbe", L"Driver probe",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return int(message.wParam);
}
