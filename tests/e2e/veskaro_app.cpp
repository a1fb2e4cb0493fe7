#include "veskaro_app.h"

namespace veskaro::e2e {

std::filesystem::path VeskaroPath() {
  return std::filesystem::path(Wide(VESKARO_PROGRAM_DIR)) / L"veskaro.exe";
}

std::filesystem::path SourceDir() { return std::filesystem::path(Wide(VESKARO_SOURCE_DIR)); }

POINT PointAwayFromMainWindow() { return POINT{40, 40}; }

namespace {

Process ParkPointerAndStart(const std::filesystem::path& exe,
                            const std::filesystem::path& working_dir) {
  // Where the pointer lies when the window appears decides the first tick
  // of the panel's check; keep it clear of the window.
  MoveMouse(PointAwayFromMainWindow());
  return Process::Start(exe, working_dir);
}

}  // namespace

VeskaroSession::VeskaroSession(const std::filesystem::path& exe,
                               const std::filesystem::path& working_dir)
    : app_(ParkPointerAndStart(exe, working_dir.empty() ? default_folder_.Path() : working_dir)) {
  main_ = app_.WaitForMainWindow(kMainWindowClass, 30s);
  if (main_ != nullptr) BringToFront(main_);
}

HWND VeskaroSession::Control(int id) const { return FindControl(main_, id); }

bool VeskaroSession::WaitForPanelWidth(LONG width, Milliseconds timeout) const {
  return WaitUntil([&] { return PanelWidth() == width; }, timeout);
}

bool VeskaroSession::OpenPanelForNewChoice() {
  BringToFront(main_);
  Click(CenterOf(ids::Panel1));
  // The panel covers Panel1 once out, so the pointer is inside it now.
  return WaitForPanelWidth(kPanelOutWidth, 2s);
}

bool VeskaroSession::TypeAndConfirm(std::wstring_view path) {
  if (!ReplaceEditText(Control(ids::PathTo), path)) return false;
  Click(CenterOf(ids::suiButton1));
  return true;
}

bool VeskaroSession::LeavePanel() {
  MoveMouse(PointAwayFromMainWindow());
  return WaitForPanelWidth(kPanelInWidth);
}

COLORREF VeskaroSession::FaceColor() const { return ScreenPixel(ClientPoint(150, 40)); }

}  // namespace veskaro::e2e
