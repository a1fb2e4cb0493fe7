// The code-page port on MultiByteToWideChar / WideCharToMultiByte.
#pragma once

#include <windows.h>

#include "core/text_codec.h"

namespace veskaro::win32 {

class Win32TextCodec final : public TextCodec {
 public:
  // CP_ACP: the code page the "A" profile functions use for Desktop.ini.
  // A symbolic id (CP_ACP, CP_OEMCP, CP_THREAD_ACP) is resolved to the code
  // page it stands for now. Throws std::invalid_argument for a code page
  // this system does not have.
  explicit Win32TextCodec(UINT codePage = CP_ACP);

  std::string ToUtf8(std::string_view codePageText) const override;
  std::optional<std::string> FromUtf8(std::string_view utf8) const override;

  UINT codePage() const { return codePage_; }

 private:
  UINT codePage_;
  UINT maxCharSize_;
};

}  // namespace veskaro::win32
