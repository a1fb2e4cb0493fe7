// Acting as a user: pointer, buttons and keyboard through SendInput, the same
// queue real devices feed, so the program sees ordinary input messages.
#include "driver.h"

#include <thread>

namespace veskaro::e2e {

namespace {

// Gives the target's message loop time to take each step in, as a person's
// pace would; the tests never depend on this pause for correctness.
constexpr Milliseconds kInputPause = 30ms;

void Send(std::vector<INPUT> inputs) {
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
  std::this_thread::sleep_for(kInputPause);
}

// Absolute coordinates are 0..65535 over the primary screen; the system maps
// them back with floor(n * width / 65536), so rounding up lands on `pixel`.
LONG Normalise(LONG pixel, int extent) {
  return LONG((std::int64_t(pixel) * 65536 + extent - 1) / extent);
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return input;
}

DWORD DownFlag(MouseButton button) {
  return button == MouseButton::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
}

DWORD UpFlag(MouseButton button) {
  return button == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
}

INPUT KeyInput(WORD virtual_key, WORD scan, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtual_key;
  input.ki.wScan = scan;
  input.ki.dwFlags = flags;
  return input;
}

}  // namespace

void MoveMouse(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                   Normalise(screen.x, GetSystemMetrics(SM_CXSCREEN)),
                   Normalise(screen.y, GetSystemMetrics(SM_CYSCREEN)))});
  // Both steps aim at the same pixel; should the system round differently,
  // the pointer still ends exactly where the caller asked.
  POINT now{};
  if (GetCursorPos(&now) && (now.x != screen.x || now.y != screen.y))
    SetCursorPos(screen.x, screen.y);
}

void GlideMouse(POINT from, POINT to, int steps) {
  steps = std::max(steps, 1);
  for (int i = 1; i <= steps; ++i) {
    MoveMouse(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
}

void PressMouse(POINT screen, MouseButton button) {
  MoveMouse(screen);
  Send({MouseInput(DownFlag(button))});
}

void ReleaseMouse(POINT screen, MouseButton button) {
  MoveMouse(screen);
  Send({MouseInput(UpFlag(button))});
}

void Click(POINT screen, MouseButton button) {
  MoveMouse(screen);
  Send({MouseInput(DownFlag(button)), MouseInput(UpFlag(button))});
}

void DoubleClick(POINT screen) {
  MoveMouse(screen);
  // One batch, so both clicks fall well inside the double-click time.
  INPUT clicks[] = {MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP),
                    MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)};
  SendInput(UINT(std::size(clicks)), clicks, sizeof(INPUT));
  std::this_thread::sleep_for(kInputPause);
}

void ClickWindow(HWND window, MouseButton button) { Click(Center(WindowRect(window)), button); }

void TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    inputs.push_back(KeyInput(0, WORD(c), KEYEVENTF_UNICODE));
    inputs.push_back(KeyInput(0, WORD(c), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
  }
  if (!inputs.empty()) Send(std::move(inputs));
}

void PressKey(WORD virtual_key, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(KeyInput(m, 0, 0));
  inputs.push_back(KeyInput(virtual_key, 0, 0));
  inputs.push_back(KeyInput(virtual_key, 0, KEYEVENTF_KEYUP));
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
    inputs.push_back(KeyInput(*m, 0, KEYEVENTF_KEYUP));
  Send(std::move(inputs));
}

void SelectAllInFocusedEdit() {
  PressKey(VK_HOME);
  PressKey(VK_END, {VK_SHIFT});
}

bool ReplaceEditText(HWND edit, std::wstring_view text, Milliseconds timeout) {
  ClickWindow(edit);
  SelectAllInFocusedEdit();
  if (text.empty())
    PressKey(VK_DELETE);
  else
    TypeText(text);
  return WaitUntil([&] { return WindowText(edit) == text; }, timeout);
}

}  // namespace veskaro::e2e
