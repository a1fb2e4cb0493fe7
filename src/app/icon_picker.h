// PickIcon: the shell's icon-picker dialog (shell32.dll, ordinal 62), loaded
// when the command runs, with our own picker standing in where the shell's
// cannot show itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace veskaro::app {

// The entry point's two variants: wide on the NT family, single-byte on the
// others. Arguments: owner, path buffer (in/out), capacity in characters,
// icon index (in/out). Exactly 1 means the user accepted.
using PickIconDlgW = int(WINAPI*)(HWND owner, PWSTR path, UINT capacity, int* index);
using PickIconDlgA = int(WINAPI*)(HWND owner, PSTR path, UINT capacity, int* index);

// The path buffer's capacity: 260 characters and the NUL.
inline constexpr UINT kIconPathCapacity = 261;
inline constexpr WORD kPickIconOrdinal = 62;

// Raised when the shell has no icon picker; the message is the string
// table's "Функция не поддерживается вашей версией Windows!" (UTF-8).
class PickIconUnsupported : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What PickIcon needs of the system, so that tests can stand in for it.
struct IconPickerSystem {
  std::function<HMODULE(const wchar_t* name)> loadLibrary;
  std::function<FARPROC(HMODULE library, WORD ordinal)> getEntry;
  std::function<void(HMODULE library)> freeLibrary;
  // VER_PLATFORM_WIN32_NT (2) selects the wide variant.
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  // Shown when the shell's entry returns -1: it exists but could not show
  // its dialog (Wine's is such a stub). Same contract as the wide variant.
  PickIconDlgW fallback = nullptr;
};

// The platform identifier as GetVersionExW reported it when the program
// started.
DWORD StartupPlatformId();

// LoadLibraryW, GetProcAddress by ordinal, FreeLibrary, the start-up
// platform identifier and our own picker dialog.
IconPickerSystem DefaultIconPickerSystem();

// Shows the icon picker owned by owner, starting from iconFileName (UTF-8)
// and iconIndex. Returns true when the user accepted; iconFileName then
// holds the chosen path. The index is handed to the dialog by address
// whatever the outcome. Throws PickIconUnsupported when the entry point
// cannot be obtained; the library is freed in every case.
bool PickIcon(HWND owner, std::string& iconFileName, std::int32_t& iconIndex,
              const IconPickerSystem& system = DefaultIconPickerSystem());

}  // namespace veskaro::app
