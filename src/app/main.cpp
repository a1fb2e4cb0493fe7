// Veskaro's entry point: COM on the user-interface thread, the skin, the
// main window, the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>

#include "app/error_display.h"
#include "app/main_window.h"
#include "app/skin/theme.h"
#include "app/text.h"
#include "veskaro_ids.h"

namespace {

// COM in a single-threaded apartment for the shell calls, for the run.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool ok_;
};

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab, Enter and the arrows between the controls of whichever of our
    // windows the message is for.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace veskaro::app;
  ComApartment com;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  // Until the message loop runs, errors end the program.
  try {
    skin::Theme theme = skin::LoadStartupTheme();
    TForm1::Register(instance);
    TForm1 form1(instance, theme);
    form1.Show();
    return RunMessageLoop();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, ExceptionMessage(e).c_str(), ResString(IDS_APPLICATION_ERROR).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
  }
}
