// The ports for the system the program is built for. Implemented once for
// Win32 (win32/) and once for POSIX (posix/).
#pragma once

#include <memory>
#include <string>

#include "core/file_system.h"
#include "core/text_codec.h"

namespace veskaro {

std::unique_ptr<FileSystem> MakeFileSystem();

// The system code page. POSIX has none, so `name` chooses it (an iconv name
// such as "WINDOWS-1251"); Windows ignores it and uses the ANSI code page
// (CP_ACP). Throws std::runtime_error for a name the system does not know.
std::unique_ptr<TextCodec> MakeSystemCodePage(const std::string& name);

// Whether SetAttributes can set Hidden and System here.
bool PlatformHasFileAttributes();

}  // namespace veskaro
