// The profile engine on any bytes: parsing and serialising gives the bytes
// back; a write then reads back as the value written and leaves every other
// key as it read before; nothing crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/profile_file.h"
#include "fakes.h"

namespace {

const veskaro::testing::FakeCodePage kCodePage;

// Takes a short field from the front of the input, up to a 0x01 byte.
std::string_view Take(std::string_view& in) {
  const std::size_t end = in.find('\x01');
  const std::string_view field = in.substr(0, end);
  in.remove_prefix(end == std::string_view::npos ? in.size() : end + 1);
  return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  veskaro::ProfileFile file = veskaro::ProfileFile::Parse(input);
  if (file.Serialize() != input) std::abort();

  // A write command from the front of the input, applied to the whole input.
  std::string_view rest = input;
  const std::string_view section = Take(rest);
  const std::string_view key = Take(rest);
  const std::string_view value = Take(rest);
  const std::string_view otherKey = Take(rest);
  const auto otherBefore = file.Read(section, otherKey, kCodePage);
  try {
    file.Write(section, key, value, kCodePage);
  } catch (const std::invalid_argument&) {
    if (file.Serialize() != input) std::abort();  // a refused write changes nothing
    return 0;
  }
  if (file.Read(section, key, kCodePage) != std::string(value)) std::abort();
  const std::string written = file.Serialize();
  const veskaro::ProfileFile reparsed = veskaro::ProfileFile::Parse(written);
  if (reparsed.Read(section, key, kCodePage) != std::string(value)) std::abort();
  std::string lowerKey(key), lowerOther(otherKey);
  for (char& c : lowerKey) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
  for (char& c : lowerOther) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
  auto trim = [](std::string s) {
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  };
  // Converting a code-page file to UTF-16LE keeps bytes the code page leaves
  // undefined, which a read of the code-page text showed as U+FFFD.
  if (trim(lowerKey) != trim(lowerOther) && otherBefore.has_value() &&
      otherBefore->find("\xEF\xBF\xBD") == std::string::npos &&
      reparsed.Read(section, otherKey, kCodePage) != otherBefore) {
    std::abort();
  }
  file.RemoveKey(section, key, kCodePage);
  file.RemoveSectionIfEmpty(section, kCodePage);
  (void)file.IsBlank();
  (void)file.Serialize();
  return 0;
}
