// A private-profile (INI) file held in memory: read and write one key at a
// time with the effect Windows' profile functions have on the file, and give
// back every byte that was not edited exactly as it came.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_codec.h"

namespace veskaro {

enum class ProfileEncoding { CodePage, Utf16Le };

class ProfileFile {
 public:
  // A file that does not exist yet: empty, in the system code page.
  ProfileFile();
  // Parses a file's bytes. A UTF-16LE byte-order mark selects UTF-16LE;
  // anything else is text in the code page.
  static ProfileFile Parse(std::string_view bytes);

  ProfileFile(const ProfileFile&);
  ProfileFile& operator=(const ProfileFile&);
  ProfileFile(ProfileFile&&) noexcept;
  ProfileFile& operator=(ProfileFile&&) noexcept;
  ~ProfileFile();

  ProfileEncoding encoding() const;

  // The value as Explorer reads it (UTF-8: trimmed, one pair of matching
  // quotes removed), or nothing when the section or key is missing. Names
  // match without regard to ASCII letter case; with duplicates the first wins.
  std::optional<std::string> Read(std::string_view section, std::string_view key,
                                  const TextCodec& codePage) const;

  // Sets one key (UTF-8 value), creating the section and key when missing.
  // A code-page file that cannot hold the value is converted whole to UTF-16LE.
  void Write(std::string_view section, std::string_view key, std::string_view value,
             const TextCodec& codePage);

  // Removes the first matching key; true when one was removed.
  bool RemoveKey(std::string_view section, std::string_view key);
  // Removes the first matching section when it holds no key and no other
  // line but blank ones; true when it was removed.
  bool RemoveSectionIfEmpty(std::string_view section);
  // Nothing but blank lines (and a byte-order mark) is left.
  bool IsBlank() const;

  // The file's bytes: the original ones for every line not edited.
  std::string Serialize() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace veskaro
