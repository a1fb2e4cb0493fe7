#include "app/icon_picker.h"

#include <algorithm>
#include <array>
#include <memory>

#include "../../res/dialogs_ids.h"
#include "app/dialog_support.h"
#include "app/icon_picker_dialog.h"

namespace veskaro::app {
namespace {

DWORD ReadPlatformId() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // deprecated, but the platform identifier is all we ask of it
#endif
  if (!GetVersionExW(&version)) return VER_PLATFORM_WIN32_NT;
  return version.dwPlatformId;
}

// Read once, when the program starts.
const DWORD g_startupPlatformId = ReadPlatformId();

// The loaded shell library, freed by the system's own free function.
class LoadedLibrary {
 public:
  LoadedLibrary(HMODULE module, const std::function<void(HMODULE)>& free) : module_(module), free_(free) {}
  ~LoadedLibrary() {
    if (module_) free_(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
  const std::function<void(HMODULE)>& free_;
};

// Text up to the first NUL, or the whole buffer when it has none.
template <typename Char>
std::basic_string<Char> BufferText(const std::array<Char, kIconPathCapacity>& buffer) {
  const auto end = std::find(buffer.begin(), buffer.end(), Char{});
  return std::basic_string<Char>(buffer.begin(), end);
}

template <typename Char>
void FillBuffer(std::array<Char, kIconPathCapacity>& buffer, const std::basic_string<Char>& text) {
  buffer.fill(Char{});
  std::copy_n(text.begin(), std::min<size_t>(text.size(), kIconPathCapacity - 1), buffer.begin());
}

std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return WideToUtf8(wide);
}

std::string Utf8ToAnsi(const std::string& utf8) {
  const std::wstring wide = Utf8ToWide(utf8);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

// The shell's entry exists but could not show anything (-1): our own
// dialog, started afresh from the caller's name.
int ShowFallback(const IconPickerSystem& system, HWND owner, const std::string& iconFileName,
                 std::array<wchar_t, kIconPathCapacity>& buffer, int* index) {
  if (!system.fallback) return -1;
  FillBuffer(buffer, Utf8ToWide(iconFileName));
  return system.fallback(owner, buffer.data(), kIconPathCapacity, index);
}

}  // namespace

DWORD StartupPlatformId() { return g_startupPlatformId; }

IconPickerSystem DefaultIconPickerSystem() {
  IconPickerSystem system;
  system.loadLibrary = [](const wchar_t* name) { return LoadLibraryW(name); };
  system.getEntry = [](HMODULE library, WORD ordinal) {
    return GetProcAddress(library, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)));
  };
  system.freeLibrary = [](HMODULE library) { FreeLibrary(library); };
  system.platformId = StartupPlatformId();
  system.fallback = ShowIconPickerDialog;
  return system;
}

bool PickIcon(HWND owner, std::string& iconFileName, std::int32_t& iconIndex, const IconPickerSystem& system) {
  bool result = false;
  const LoadedLibrary shell(system.loadLibrary(L"shell32.dll"), system.freeLibrary);
  PickIconDlgW wide = nullptr;
  PickIconDlgA narrow = nullptr;
  if (shell.get()) {
    const FARPROC entry = system.getEntry(shell.get(), kPickIconOrdinal);
    if (entry && system.platformId == VER_PLATFORM_WIN32_NT)
      wide = EntryPointCast<PickIconDlgW>(entry);
    else if (entry)
      narrow = EntryPointCast<PickIconDlgA>(entry);
  }
  // The index goes to the dialog by address: whatever it leaves there stays.
  int* const index = reinterpret_cast<int*>(&iconIndex);
  static_assert(sizeof(int) == sizeof(std::int32_t));

  if (wide) {
    std::array<wchar_t, kIconPathCapacity> buffer{};
    FillBuffer(buffer, Utf8ToWide(iconFileName));
    int returned = wide(owner, buffer.data(), kIconPathCapacity, index);
    if (returned == -1) returned = ShowFallback(system, owner, iconFileName, buffer, index);
    result = returned == 1;
    if (result) iconFileName = WideToUtf8(BufferText(buffer));
  } else if (narrow) {
    std::array<char, kIconPathCapacity> buffer{};
    FillBuffer(buffer, Utf8ToAnsi(iconFileName));
    const int returned = narrow(owner, buffer.data(), kIconPathCapacity, index);
    if (returned == -1) {
      std::array<wchar_t, kIconPathCapacity> wideBuffer{};
      result = ShowFallback(system, owner, iconFileName, wideBuffer, index) == 1;
      if (result) iconFileName = WideToUtf8(BufferText(wideBuffer));
    } else {
      result = returned == 1;
      if (result) iconFileName = AnsiToUtf8(BufferText(buffer));
    }
  } else {
    throw PickIconUnsupported(WideToUtf8(LoadResourceString(IDS_PICKICON_UNSUPPORTED)));
  }
  return result;
}

}  // namespace veskaro::app
