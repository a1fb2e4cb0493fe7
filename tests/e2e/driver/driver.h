// The end-to-end driver: starts a Windows program, finds its windows and
// controls, acts on them as a user does (pointer, clicks, typing, keys),
// reads back what they show (texts, states, rectangles, pixels) and checks
// files. Every wait is bounded: it polls with a deadline and reports failure
// instead of hanging.
//
// Typical use from a GoogleTest case:
//
//   auto app = e2e::Process::Start(e2e::ProgramPath(), sandbox.Path());
//   HWND main = app.WaitForMainWindow(L"TForm1");
//   e2e::ClickWindow(e2e::FindControl(main, ids::Panel1));
//   e2e::WaitUntil([&] { return e2e::Width(panel) == 286; }, 2s);
//
// All texts are UTF-16 (std::wstring), the Windows way; Utf8() and Wide()
// convert for test messages and literals.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veskaro::e2e {

using Milliseconds = std::chrono::milliseconds;
using namespace std::chrono_literals;

// ---------------------------------------------------------------- waiting

// Polls `condition` every `step` until it holds or `timeout` has passed.
// Returns whether it held. The last check happens at or after the deadline.
bool WaitUntil(const std::function<bool()>& condition, Milliseconds timeout,
               Milliseconds step = 20ms);

// Returns true when `condition` stays true during the whole `period`
// (checked every `step`); false at the first time it does not.
bool HoldsFor(const std::function<bool()>& condition, Milliseconds period,
              Milliseconds step = 50ms);

// ---------------------------------------------------------------- texts

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

// ---------------------------------------------------------------- handles

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept;
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// ---------------------------------------------------------------- processes

struct MemoryUse {
  std::size_t peak_working_set = 0;  // bytes
  std::size_t working_set = 0;       // bytes
  std::size_t pagefile_usage = 0;    // bytes (private commit)
  std::size_t peak_pagefile_usage = 0;
};

// A started program. The destructor ends it if it still runs: first politely
// (WM_CLOSE to its visible top-level windows), then with TerminateProcess.
class Process {
 public:
  // Starts `exe` with `working_dir` as its current folder (the exe's own
  // folder when empty) and `arguments` appended to the quoted program name.
  // Throws std::runtime_error when CreateProcessW fails.
  static Process Start(const std::filesystem::path& exe,
                       const std::filesystem::path& working_dir = {},
                       std::wstring_view arguments = {});

  Process(Process&&) noexcept = default;
  Process& operator=(Process&&) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_.get(); }
  bool IsRunning() const;

  // Waits until a visible top-level window of this process with the given
  // class exists and the process is idle for input (WaitForInputIdle, then a
  // round trip through the window's message loop). nullptr on timeout.
  HWND WaitForMainWindow(std::wstring_view class_name,
                         Milliseconds timeout = 20s) const;

  // Waits for the process to end; its exit code, or nothing on timeout.
  std::optional<DWORD> WaitForExit(Milliseconds timeout = 10s) const;

  // Sends WM_CLOSE to every visible top-level window of the process and
  // waits for it to end; terminates it (exit code 0xDEAD) after `timeout`.
  // Returns the exit code.
  DWORD Close(Milliseconds timeout = 5s);

  MemoryUse Memory() const;

 private:
  Process(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}
  UniqueHandle process_;
  DWORD id_ = 0;
};

// ---------------------------------------------------------------- windows

// Visible top-level windows of process `pid`, optionally only of one class
// (e.g. L"TForm1", L"#32770" for dialogs and message boxes).
std::vector<HWND> TopWindows(DWORD pid, std::wstring_view class_name = {},
                             bool visible_only = true);
HWND WaitForTopWindow(DWORD pid, std::wstring_view class_name, Milliseconds timeout,
                      Milliseconds step = 20ms);

// Descendant of `parent` (searched at any depth) with the control ID / the
// exact window text / the class. nullptr when there is none.
HWND FindControl(HWND parent, int id);
HWND FindControlByText(HWND parent, std::wstring_view text);
std::vector<HWND> FindControlsByClass(HWND parent, std::wstring_view class_name);
// Same, but waits up to `timeout` for the control to appear.
HWND WaitForControl(HWND parent, int id, Milliseconds timeout = 5s);

std::wstring WindowText(HWND window);  // works across processes (WM_GETTEXT)
std::wstring ClassName(HWND window);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);  // the window and all its ancestors are visible
LONG_PTR Style(HWND window);

RECT WindowRect(HWND window);        // screen coordinates
RECT ClientRectOnScreen(HWND window);
SIZE ClientSize(HWND window);
inline LONG Width(const RECT& r) { return r.right - r.left; }
inline LONG Height(const RECT& r) { return r.bottom - r.top; }
LONG WindowWidth(HWND window);
POINT Center(const RECT& r);
// Screen point of client coordinates of `window`.
POINT ClientToScreenPoint(HWND window, POINT client);

// Makes `window` the foreground window (best effort; true when it is).
bool BringToFront(HWND window, Milliseconds timeout = 2s);

// ---------------------------------------------------------------- input

enum class MouseButton { Left, Right };

// Puts the pointer exactly on `screen` (SetCursorPos, then an absolute move
// through SendInput so that the window under it gets WM_MOUSEMOVE).
void MoveMouse(POINT screen);
// Moves there in `steps` straight-line steps, as a hand does.
void GlideMouse(POINT from, POINT to, int steps = 8);
void Click(POINT screen, MouseButton button = MouseButton::Left);
void DoubleClick(POINT screen);
void PressMouse(POINT screen, MouseButton button);    // down only
void ReleaseMouse(POINT screen, MouseButton button);  // up only
// Clicks the centre of `window`.
void ClickWindow(HWND window, MouseButton button = MouseButton::Left);

// Types characters as Unicode key events (KEYEVENTF_UNICODE).
void TypeText(std::wstring_view text);
// Presses and releases a virtual key, with optional modifiers held.
void PressKey(WORD virtual_key, std::initializer_list<WORD> modifiers = {});
// Selects all of the focused edit box's text (Home, Shift+End) so that the
// next typing replaces it.
void SelectAllInFocusedEdit();
// Clicks the edit box, replaces its text by typing, and waits until the box
// shows it. Returns whether it does.
bool ReplaceEditText(HWND edit, std::wstring_view text, Milliseconds timeout = 3s);

// ---------------------------------------------------------------- message boxes

struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;                  // the texts of its static controls, joined by '\n'
  std::vector<std::wstring> buttons;  // captions of its buttons
};

// The first visible dialog (#32770) of process `pid`, optionally with a given
// caption, within `timeout`.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, Milliseconds timeout,
                                                std::wstring_view caption = {});
MessageBoxInfo ReadMessageBox(HWND box);
// Clicks the box's button with this caption ("OK", "&Yes", ...); false if none.
bool ClickDialogButton(HWND box, std::wstring_view caption);
bool WaitForWindowGone(HWND window, Milliseconds timeout);

// ---------------------------------------------------------------- pixels

// A snapshot of screen pixels, top-down, as COLORREF values (0x00BBGGRR).
class Snapshot {
 public:
  Snapshot(LONG width, LONG height, std::vector<COLORREF> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}
  LONG Width() const { return width_; }
  LONG Height() const { return height_; }
  COLORREF At(LONG x, LONG y) const { return pixels_.at(std::size_t(y) * width_ + x); }
  // Pixels of a sub-rectangle (coordinates relative to the snapshot).
  std::vector<COLORREF> Region(const RECT& r) const;
  // Writes a PNG through the Windows Imaging Component; false on failure.
  bool SavePng(const std::filesystem::path& file) const;

 private:
  LONG width_, height_;
  std::vector<COLORREF> pixels_;
};

Snapshot CaptureScreen(const RECT& screen_rect);
Snapshot CaptureWholeScreen();
Snapshot CaptureWindow(HWND window);  // its window rectangle, as on screen
COLORREF ScreenPixel(POINT screen);
// Captures `screen_rect` once it has stopped changing (two captures `gap`
// apart are equal), or the last capture after `timeout`. Use before sampling
// colours of a window that may still be painting.
Snapshot CaptureWhenSteady(const RECT& screen_rect, Milliseconds timeout = 3s,
                           Milliseconds gap = 150ms);

// Colour helpers for checks and messages.
int ColorDistance(COLORREF a, COLORREF b);  // max of the channel differences
COLORREF MostCommonColor(const std::vector<COLORREF>& pixels);
// The channel-wise mean (for gradients drawn around a theme colour).
COLORREF AverageColor(const std::vector<COLORREF>& pixels);
// The pixel in `pixels` closest to `wanted` (by ColorDistance).
COLORREF ClosestColor(const std::vector<COLORREF>& pixels, COLORREF wanted);
std::string DescribeColor(COLORREF color);  // "16180442 (R 218, G 228, B 246)"

// Where screenshots go: VESKARO_SCREENSHOT_DIR when the build defines it,
// else "screenshots" in the current folder. The folder is created.
std::filesystem::path ScreenshotDir();
// Saves a screenshot of `window` (or the whole screen when nullptr) as
// ScreenshotDir()/<name>.png; returns the file's path (empty on failure).
std::filesystem::path SaveScreenshot(HWND window, std::string_view name);

// ---------------------------------------------------------------- files

// A fresh, empty folder under the system's temporary folder (or `parent`),
// removed with everything in it when the object goes away.
class TempFolder {
 public:
  explicit TempFolder(std::wstring_view name_hint = L"e2e",
                      const std::filesystem::path& parent = {});
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);
// GetFileAttributesW; INVALID_FILE_ATTRIBUTES when the file is missing.
DWORD FileAttributes(const std::filesystem::path& file);
bool FileExists(const std::filesystem::path& file);
// Removes a folder tree, clearing read-only/hidden/system attributes first.
void RemoveTree(const std::filesystem::path& folder);

// Copies `exe` into `folder` and writes `extra_files` (name, bytes) beside
// it; returns the copy's path.
std::filesystem::path CopyProgram(
    const std::filesystem::path& exe, const std::filesystem::path& folder,
    const std::vector<std::pair<std::wstring, std::string>>& extra_files = {});

// The shell's display name of My Computer (CSIDL_DRIVES), as the folder
// tree shows its root.
std::wstring MyComputerDisplayName();

}  // namespace veskaro::e2e
