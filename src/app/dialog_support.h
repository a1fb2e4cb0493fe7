// Small pieces the dialogs share: strings from the
// program's resources, entry points taken by ordinal.
#pragma once

#include <windows.h>

#include <string>

namespace veskaro::app {

// The module whose resources (dialog templates, string table) we use: the
// program itself.
HINSTANCE ResourceModule();

// A string from the string table; throws when it is missing, since every
// user-visible text must come from there.
std::wstring LoadResourceString(UINT id);

// Casts what GetProcAddress returns to the entry point's real type.
template <typename Function>
Function EntryPointCast(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace veskaro::app
