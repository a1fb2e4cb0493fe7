// Drives a modal dialog from inside its own modal loop, as a user would, by
// messages: a thread timer (dispatched by the dialog's loop) runs one step
// per tick against the top-level dialog of this thread. A step that returns
// false is tried again on the next tick.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "../../res/dialogs_ids.h"

namespace veskaro::test {

// The program's dialog templates and strings come from res/dialogs.rc,
// which must be linked into the test program; without them the cases that
// show a dialog or raise a string-table message cannot run.
inline bool DialogResourcesLinked() {
  return FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ICON_PICKER), RT_DIALOG) != nullptr;
}
#define REQUIRE_RESOURCES()                    \
  if (!::veskaro::test::DialogResourcesLinked()) \
  GTEST_SKIP() << "res/dialogs.rc is not linked into this program"

class DialogScript {
 public:
  using Step = std::function<bool(HWND dialog)>;

  // Steps run in order once a visible dialog (class #32770) with the given
  // caption, or any caption when empty, is up. The script cancels the
  // dialog when it gets stuck, so that a failing test cannot hang.
  explicit DialogScript(std::vector<Step> steps, std::wstring caption = {}) {
    Current() = this;
    steps_ = std::move(steps);
    caption_ = std::move(caption);
    timer_ = SetTimer(nullptr, 0, 50, &DialogScript::Tick);
  }
  ~DialogScript() {
    KillTimer(nullptr, timer_);
    Current() = nullptr;
  }
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  // Whether every step ran.
  bool Finished() const { return next_ == steps_.size(); }
  int StepsRun() const { return static_cast<int>(next_); }

  static HWND FindDialog(const std::wstring& caption) {
    DialogSearch search{&caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &DialogScript::MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The first descendant of window with the given control identifier.
  static HWND FindControl(HWND window, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(window, &DialogScript::MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  static std::wstring Text(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  // A click on a dialog's push button, as the button itself reports it.
  static void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }

 private:
  struct DialogSearch {
    const std::wstring* caption;
    HWND found;
  };
  struct ControlSearch {
    int id;
    HWND found;
  };

  static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    if (!search->caption->empty() && *search->caption != Text(window)) return TRUE;
    search->found = window;
    return FALSE;
  }

  static BOOL CALLBACK MatchControl(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
  }

  static DialogScript*& Current() {
    static DialogScript* current = nullptr;
    return current;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogScript* self = Current();
    if (!self || self->busy_) return;
    self->busy_ = true;  // a step may run a nested message loop
    ++self->ticks_;
    HWND dialog = FindDialog(self->caption_);
    if (dialog && !self->Finished()) {
      if (self->steps_[self->next_](dialog)) {
        ++self->next_;
        self->ticks_ = 0;
      }
    }
    if (dialog && self->ticks_ > 400) Click(dialog, IDCANCEL);  // no step for twenty seconds: stuck
    self->busy_ = false;
  }

  std::vector<Step> steps_;
  std::wstring caption_;
  UINT_PTR timer_ = 0;
  size_t next_ = 0;
  int ticks_ = 0;
  bool busy_ = false;
};

// Writes a file whole through the wide API (paths may be any Unicode).
inline bool WriteFileBytes(const std::wstring& path, const void* data, size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

// An .ico file with one 32-bit image of each given side length, every
// pixel the given colour (0xAARRGGBB).
inline bool WriteIcoFile(const std::wstring& path, std::initializer_list<unsigned> sides,
                         unsigned argb = 0xFF2080E0) {
  std::vector<unsigned char> directory, images;
  auto put16 = [](std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
  };
  auto put32 = [&](std::vector<unsigned char>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
  };
  const unsigned count = static_cast<unsigned>(sides.size());
  put16(directory, 0), put16(directory, 1), put16(directory, count);
  unsigned offset = 6 + 16 * count;
  for (unsigned side : sides) {
    const unsigned maskRow = ((side + 31) / 32) * 4;
    const unsigned bytes = 40 + side * side * 4 + maskRow * side;
    directory.push_back(static_cast<unsigned char>(side & 0xFF));  // 0 stands for 256
    directory.push_back(static_cast<unsigned char>(side & 0xFF));
    directory.push_back(0), directory.push_back(0);
    put16(directory, 1), put16(directory, 32), put32(directory, bytes), put32(directory, offset);
    offset += bytes;
    // BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
    put32(images, 40), put32(images, side), put32(images, side * 2), put16(images, 1), put16(images, 32);
    put32(images, 0), put32(images, side * side * 4 + maskRow * side), put32(images, 0), put32(images, 0);
    put32(images, 0), put32(images, 0);
    for (unsigned i = 0; i < side * side; ++i) put32(images, argb);
    images.insert(images.end(), maskRow * side, 0);
  }
  directory.insert(directory.end(), images.begin(), images.end());
  return WriteFileBytes(path, directory.data(), directory.size());
}

// Saves what the screen shows of a window as build/screenshots/<name>.bmp,
// to look at the dialogs as a user sees them.
inline void SaveScreenshot(HWND window, const std::wstring& name) {
#ifdef VESKARO_SOURCE_DIR
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const DWORD imageBytes = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageBytes),
                        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  std::vector<BYTE> out(reinterpret_cast<BYTE*>(&file), reinterpret_cast<BYTE*>(&file) + sizeof file);
  out.insert(out.end(), reinterpret_cast<BYTE*>(&info.bmiHeader),
             reinterpret_cast<BYTE*>(&info.bmiHeader) + sizeof info.bmiHeader);
  out.insert(out.end(), static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + imageBytes);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::string folder = std::string(VESKARO_SOURCE_DIR) + "\\build\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::wstring path(folder.begin(), folder.end());
  WriteFileBytes(path + L"\\" + name + L".bmp", out.data(), out.size());
#else
  (void)window;
  (void)name;
#endif
}

// A file in this prefix's temporary folder.
inline std::wstring TempFile(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

}  // namespace veskaro::test
