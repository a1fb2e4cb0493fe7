// Conversion between the system's single-byte code page and UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veskaro {

class TextCodec {
 public:
  virtual ~TextCodec() = default;

  // Code-page bytes to UTF-8. Bytes the code page leaves undefined map to
  // U+FFFD.
  virtual std::string ToUtf8(std::string_view codePageText) const = 0;

  // UTF-8 to code-page bytes; nothing when any character has no exact
  // representation in the code page (no best-fit substitutes).
  virtual std::optional<std::string> FromUtf8(std::string_view utf8) const = 0;
};

}  // namespace veskaro
