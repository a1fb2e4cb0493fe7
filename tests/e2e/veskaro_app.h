// Helpers for driving veskaro.exe itself, on top of the general driver:
// where the program is, starting it with the pointer parked away from it,
// and the main window's controls and side panel. Shared by every end-to-end
// test of the program.
#pragma once

#include "app/control_ids.h"
#include "driver.h"

namespace veskaro::e2e {

namespace ids = veskaro::app::ids;

inline constexpr wchar_t kMainWindowClass[] = L"TForm1";
inline constexpr LONG kPanelInWidth = 10;
inline constexpr LONG kPanelOutWidth = 286;
// The panel's pointer check ticks once a second; a slide back is due within
// one tick after the pointer leaves, plus the time Wine takes to show it.
inline constexpr Milliseconds kSlideBackTimeout = 2500ms;

std::filesystem::path VeskaroPath();  // the built veskaro.exe
std::filesystem::path SourceDir();    // the source tree (res/, tests/fixtures/)

// A point on the screen well away from the main window (which is centred), so
// that the pointer counts as outside the side panel there.
POINT PointAwayFromMainWindow();

// The seven editing buttons and their captions, in the order the load step
// enables them.
struct ControlCaption {
  int id;
  const wchar_t* caption;
};
inline constexpr ControlCaption kEditingButtons[] = {
    {ids::Button1, L"Выбрать"},     {ids::Button2, L"Цвет шрифта"},
    {ids::Button3, L"Применить"},   {ids::Button4, L"Сброс"},
    {ids::Button5, L"Цвет подписей"}, {ids::Button6, L"Вернуть стандарт"},
    {ids::Button7, L"Выбор иконки"},
};

// A running veskaro.exe with its main window shown and idle. Parks the
// pointer away from the window before starting it. Closes it at the end.
class VeskaroSession {
 public:
  explicit VeskaroSession(const std::filesystem::path& exe = VeskaroPath(),
                          const std::filesystem::path& working_dir = {});
  VeskaroSession(const VeskaroSession&) = delete;
  VeskaroSession& operator=(const VeskaroSession&) = delete;

  bool Started() const { return main_ != nullptr; }
  Process& App() { return app_; }
  HWND Main() const { return main_; }
  HWND Control(int id) const;  // nullptr when missing
  std::wstring Text(int id) const { return WindowText(Control(id)); }
  // Centre of a control, on the screen.
  POINT CenterOf(int id) const { return Center(WindowRect(Control(id))); }
  POINT ClientPoint(LONG x, LONG y) const { return ClientToScreenPoint(main_, POINT{x, y}); }

  LONG PanelWidth() const { return WindowWidth(Control(ids::suiSideChannel1)); }
  bool WaitForPanelWidth(LONG width, Milliseconds timeout = kSlideBackTimeout) const;
  // Clicks "Выбрать / изменить папку" and waits for the panel to be out.
  bool OpenPanelForNewChoice();
  // Types `path` into PathTo and presses "Подтвердить выбор".
  bool TypeAndConfirm(std::wstring_view path);
  // Moves the pointer away and waits for the panel to slide back.
  bool LeavePanel();

  // The frame's face colour as drawn on a bare spot under the title bar.
  COLORREF FaceColor() const;

 private:
  TempFolder default_folder_{L"veskaro-cwd"};
  Process app_;
  HWND main_ = nullptr;
};

}  // namespace veskaro::e2e
