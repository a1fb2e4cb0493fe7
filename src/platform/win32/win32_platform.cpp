// The ports for Windows.
#include "platform/platform.h"

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_text_codec.h"

namespace veskaro {

std::unique_ptr<FileSystem> MakeFileSystem() {
  return std::make_unique<win32::Win32FileSystem>();
}

// Desktop.ini is read by the shell through the "A" profile functions, which
// use the ANSI code page; a name chosen elsewhere has no say here.
std::unique_ptr<TextCodec> MakeSystemCodePage(const std::string& /*name*/) {
  return std::make_unique<win32::Win32TextCodec>(CP_ACP);
}

bool PlatformHasFileAttributes() { return true; }

}  // namespace veskaro
