// TextCodec over iconv for a code page named as iconv names it.
#pragma once

#include <string>

#include "core/text_codec.h"

namespace veskaro {

class IconvTextCodec : public TextCodec {
 public:
  // Throws std::runtime_error when iconv does not know `codePageName`.
  explicit IconvTextCodec(std::string codePageName);

  std::string ToUtf8(std::string_view codePageText) const override;
  std::optional<std::string> FromUtf8(std::string_view utf8) const override;

 private:
  std::string name_;
};

}  // namespace veskaro
