// Our own icon picker: a modal dialog with the icon file's path, a
// "Обзор..." button and the file's icons, with the contract of the shell's
// icon picker (path and index edited in place, 1 when accepted).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/dialog_support.h"
#include "platform/win32/handles.h"

namespace veskaro::app {

// Shows the dialog owned by owner. path holds a NUL-terminated starting path
// of at most capacity characters (empty: the system's shell32.dll); on OK the
// chosen path (cut to capacity - 1 characters) and *index are written and 1
// is returned; otherwise nothing is written and 0 is returned (-1 when the
// dialog cannot be created).
int WINAPI ShowIconPickerDialog(HWND owner, PWSTR path, UINT capacity, int* index);

// The large icons of a file, in index order; empty when it has none or
// cannot be read. Environment variables in the path are expanded.
std::vector<win32::UniqueIcon> ExtractLargeIcons(const std::wstring& path);

// The system folder's shell32.dll, where an empty starting path leads.
std::wstring SystemShellLibraryPath();

}  // namespace veskaro::app
