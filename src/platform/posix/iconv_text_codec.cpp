#include "platform/posix/iconv_text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace veskaro {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using UniqueIconv = std::unique_ptr<void, IconvCloser>;

UniqueIconv OpenIconv(const std::string& to, const std::string& from) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("Unknown code page: " + (to == "UTF-8" ? from : to));
  }
  return UniqueIconv(cd);
}

// Converts as much as iconv accepts; returns false at the first character it
// rejects, leaving `in` there. `irreversible` counts substitutions iconv made.
bool Convert(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out,
             std::size_t& irreversible) {
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (result == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      return false;
    }
    irreversible += result;
  }
  char* outPtr = buffer;
  std::size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, sizeof buffer - outLeft);
  return true;
}

}  // namespace

IconvTextCodec::IconvTextCodec(std::string codePageName) : name_(std::move(codePageName)) {
  OpenIconv("UTF-8", name_);
  OpenIconv(name_, "UTF-8");
}

std::string IconvTextCodec::ToUtf8(std::string_view codePageText) const {
  UniqueIconv cd = OpenIconv("UTF-8", name_);
  std::string out;
  out.reserve(codePageText.size());
  const char* in = codePageText.data();
  std::size_t inLeft = codePageText.size();
  std::size_t irreversible = 0;
  while (!Convert(static_cast<iconv_t>(cd.get()), in, inLeft, out, irreversible)) {
    // A byte the code page leaves undefined (or a cut-off sequence).
    out += "\xEF\xBF\xBD";
    ++in;
    --inLeft;
    iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

std::optional<std::string> IconvTextCodec::FromUtf8(std::string_view utf8) const {
  UniqueIconv cd = OpenIconv(name_, "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  const char* in = utf8.data();
  std::size_t inLeft = utf8.size();
  std::size_t irreversible = 0;
  if (!Convert(static_cast<iconv_t>(cd.get()), in, inLeft, out, irreversible)) return std::nullopt;
  if (irreversible != 0) return std::nullopt;
  return out;
}

}  // namespace veskaro
