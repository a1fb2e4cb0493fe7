// A private-profile (INI) file held in memory: read and write one key at a
// time with the effect Windows' profile functions have on the file, and give
// back every byte that was not edited exactly as it came.
//
// The file is kept as a list of lines over its text units (code-page bytes or
// UTF-16 code units). Lines are recognised as Windows recognises them:
// after leading blanks, "[" starts a section header whose name runs to the
// first "]" (text after it is ignored); ";" starts a comment; otherwise a
// line with "=" is a key. Lines end at CR LF, a lone CR or a lone LF.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/text_codec.h"

namespace veskaro {

enum class ProfileEncoding { CodePage, Utf16Le };

class ProfileFile {
 public:
  // A file that does not exist yet: empty, in the system code page.
  ProfileFile();
  // Parses a file's bytes. A UTF-16LE byte-order mark selects UTF-16LE;
  // anything else is text in the code page. Never fails.
  static ProfileFile Parse(std::string_view bytes);

  ProfileFile(const ProfileFile&);
  ProfileFile& operator=(const ProfileFile&);
  ProfileFile(ProfileFile&&) noexcept;
  ProfileFile& operator=(ProfileFile&&) noexcept;
  ~ProfileFile();

  ProfileEncoding encoding() const;

  // The value as Explorer reads it (UTF-8: blanks around it trimmed, one pair
  // of matching quotes removed), or nothing when the section or key is
  // missing. Names are trimmed and match without regard to ASCII letter case;
  // with duplicates the first section and its first matching key win.
  std::optional<std::string> Read(std::string_view section, std::string_view key,
                                  const TextCodec& codePage) const;

  // Sets one key (UTF-8), creating the section and key when missing: an
  // existing key's line becomes "name=value" CR LF (the name as the file
  // spells it), a new key goes after the last key of its section, a new
  // section at the end of the file. A code-page file that cannot hold the text
  // is converted whole to UTF-16LE. A value that would not read back as
  // itself (blanks at either end, or wrapped in matching quotes) is written
  // inside one more pair of double quotes.
  // Throws std::invalid_argument for CR, LF or NUL in any argument, a section
  // name with "]", a key name with "=" or starting with ";" or "[", an empty
  // name or one with a tab at either end (the file could hold it, but no read
  // would find it), or text that is not UTF-8.
  void Write(std::string_view section, std::string_view key, std::string_view value,
             const TextCodec& codePage);

  // Removes the first matching key of the first matching section; true when
  // one was removed.
  bool RemoveKey(std::string_view section, std::string_view key, const TextCodec& codePage);
  // Removes the first matching section when it holds nothing but blank
  // lines (no key, no comment, no other text); true when it was removed.
  bool RemoveSectionIfEmpty(std::string_view section, const TextCodec& codePage);
  // Nothing but blank lines (and a byte-order mark) is left.
  bool IsBlank() const;

  // The file's bytes: the original ones for every line not edited.
  std::string Serialize() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace veskaro
