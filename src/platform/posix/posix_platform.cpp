#include "platform/platform.h"
#include "platform/posix/iconv_text_codec.h"
#include "platform/posix/posix_file_system.h"

namespace veskaro {

std::unique_ptr<FileSystem> MakeFileSystem() { return std::make_unique<PosixFileSystem>(); }

std::unique_ptr<TextCodec> MakeSystemCodePage(const std::string& name) {
  return std::make_unique<IconvTextCodec>(name);
}

bool PlatformHasFileAttributes() { return false; }

}  // namespace veskaro
