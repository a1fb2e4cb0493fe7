// Small pieces the dialogs share: text conversion at the Win32 boundary,
// owned GDI and shell handles, and strings from the program's resources.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace veskaro::app {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// The module whose resources (dialog templates, string table) we use: the
// program itself.
HINSTANCE ResourceModule();

// A string from the string table; throws when it is missing, since every
// user-visible text must come from there.
std::wstring LoadResourceString(UINT id);

// Handle deleters, for std::unique_ptr over the pointee of a handle type.
struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct EnhMetaFileDeleter {
  void operator()(HENHMETAFILE metafile) const { DeleteEnhMetaFile(metafile); }
};
struct FileHandleDeleter {
  void operator()(HANDLE file) const {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueEnhMetaFile = std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, EnhMetaFileDeleter>;
using UniqueFile = std::unique_ptr<void, FileHandleDeleter>;

// SelectObject undone at the end of the scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, old_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory DC, deleted at the end of the scope.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// The screen's DC, released at the end of the scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Casts what GetProcAddress returns to the entry point's real type.
template <typename Function>
Function EntryPointCast(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace veskaro::app
