#include "core/profile_file.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/utf.h"

namespace veskaro {
namespace {

enum class Break : std::uint8_t { None, CrLf, Cr, Lf };
enum class Kind : std::uint8_t { Other, Section, Key, Comment };

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::u16string_view BreakUnits(Break b) {
  switch (b) {
    case Break::CrLf: return u"\r\n";
    case Break::Cr: return u"\r";
    case Break::Lf: return u"\n";
    case Break::None: break;
  }
  return {};
}

// 32 bytes a line: a 1 MB file of short lines stays a few MB in memory.
struct Line {
  std::size_t begin = 0;  // into the parsed text, or into the edits' text
  std::uint32_t length = 0;
  // Name and value, relative to the line's content.
  std::uint32_t nameBegin = 0, nameLength = 0;
  std::uint32_t valueBegin = 0, valueLength = 0;
  Break brk = Break::None;
  Kind kind = Kind::Other;
  bool edited = false;  // the content lives in the edits' text
};

void Classify(std::u16string_view content, Line& line) {
  line.kind = Kind::Other;
  std::size_t i = 0;
  while (i < content.size() && IsBlank(content[i])) ++i;
  if (i == content.size()) return;
  if (content[i] == u'[') {
    // The name runs to the first "]"; a missing "]" ends it at the line's end.
    const std::size_t start = i + 1;
    std::size_t end = content.find(u']', start);
    if (end == std::u16string_view::npos) end = content.size();
    std::u16string_view name = content.substr(start, end - start);
    const std::u16string_view trimmed = TrimBlanks(name);
    line.kind = Kind::Section;
    line.nameBegin = static_cast<std::uint32_t>(
        trimmed.empty() ? start : static_cast<std::size_t>(trimmed.data() - content.data()));
    line.nameLength = static_cast<std::uint32_t>(trimmed.size());
    return;
  }
  if (content[i] == u';') {
    line.kind = Kind::Comment;
    return;
  }
  const std::size_t eq = content.find(u'=', i);
  if (eq == std::u16string_view::npos) return;
  line.kind = Kind::Key;
  std::size_t nameEnd = eq;
  while (nameEnd > i && IsBlank(content[nameEnd - 1])) --nameEnd;
  line.nameBegin = static_cast<std::uint32_t>(i);
  line.nameLength = static_cast<std::uint32_t>(nameEnd - i);
  std::size_t v = eq + 1;
  std::size_t vEnd = content.size();
  while (v < vEnd && IsBlank(content[v])) ++v;
  while (vEnd > v && IsBlank(content[vEnd - 1])) --vEnd;
  line.valueBegin = static_cast<std::uint32_t>(v);
  line.valueLength = static_cast<std::uint32_t>(vEnd - v);
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A value that trimming or quote removal would change on reading is stored
// inside one more pair of quotes, so that it reads back as itself.
std::string StoredValue(std::string_view value) {
  if (value.empty()) return std::string();
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.front() == value.back();
  if (blank(value.front()) || blank(value.back()) || quoted) {
    std::string stored;
    stored.reserve(value.size() + 2);
    stored += '"';
    stored.append(value);
    stored += '"';
    return stored;
  }
  return std::string(value);
}

// Code-page text to UTF-8 keeping every byte: a byte the code page leaves
// undefined becomes the character with the byte's number (as Windows maps
// them), instead of U+FFFD.
std::string DecodeKeepingBytes(std::string_view bytes, const TextCodec& codec) {
  std::string whole = codec.ToUtf8(bytes);
  if (whole.find("\xEF\xBF\xBD") == std::string::npos) return whole;
  std::string out;
  for (char b : bytes) {
    std::string one = codec.ToUtf8(std::string_view(&b, 1));
    if (one == "\xEF\xBF\xBD") {
      const auto u = static_cast<unsigned char>(b);
      one.clear();
      if (u < 0x80) {
        one += static_cast<char>(u);
      } else {
        one += static_cast<char>(0xC0 | (u >> 6));
        one += static_cast<char>(0x80 | (u & 0x3F));
      }
    }
    out += one;
  }
  return out;
}

std::string UnitsToBytes(std::u16string_view units) {
  std::string bytes(units.size(), '\0');
  for (std::size_t i = 0; i < units.size(); ++i) bytes[i] = static_cast<char>(units[i] & 0xFF);
  return bytes;
}

std::u16string BytesToUnits(std::string_view bytes) {
  std::u16string units(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
  }
  return units;
}

}  // namespace

struct ProfileFile::Impl {
  ProfileEncoding encoding = ProfileEncoding::CodePage;
  std::u16string text;
  std::u16string editedText;  // the content of lines written since parsing
  std::string oddTail;        // a last odd byte of a UTF-16 file
  std::vector<Line> lines;

  std::u16string_view Content(const Line& line) const {
    return std::u16string_view(line.edited ? editedText : text).substr(line.begin, line.length);
  }

  // A line longer than 4 G units cannot be described; such a text is split
  // there, which no real settings file comes near.
  static constexpr std::size_t kMaxLine = 0xFFFFFFFFu;

  void SplitLines() {
    lines.clear();
    editedText.clear();
    const std::size_t n = text.size();
    std::size_t breaks = 0;
    for (char16_t c : text) breaks += (c == u'\n' || c == u'\r') ? 1 : 0;
    lines.reserve(breaks + 1);
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < n) {
      const char16_t c = text[i];
      if (c != u'\r' && c != u'\n' && i - start < kMaxLine) {
        ++i;
        continue;
      }
      Line line;
      line.begin = start;
      line.length = static_cast<std::uint32_t>(i - start);
      if (c != u'\r' && c != u'\n') {
        Classify(Content(line), line);
        lines.push_back(line);
        start = i;
        continue;
      }
      if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
        line.brk = Break::CrLf;
        i += 2;
      } else {
        line.brk = c == u'\r' ? Break::Cr : Break::Lf;
        i += 1;
      }
      Classify(Content(line), line);
      lines.push_back(line);
      start = i;
    }
    if (start < n) {
      Line line;
      line.begin = start;
      line.length = static_cast<std::uint32_t>(n - start);
      Classify(Content(line), line);
      lines.push_back(line);
    }
  }

  // A name in this file's units, or nothing when the code page cannot hold it.
  std::optional<std::u16string> ToUnits(std::string_view utf8, const TextCodec& codec) const {
    if (encoding == ProfileEncoding::Utf16Le) return Utf8ToUtf16(utf8);
    std::optional<std::string> bytes = codec.FromUtf8(utf8);
    if (!bytes) return std::nullopt;
    return BytesToUnits(*bytes);
  }

  std::string Decode(std::u16string_view units, const TextCodec& codec) const {
    if (encoding == ProfileEncoding::Utf16Le) return Utf16ToUtf8(units);
    return codec.ToUtf8(UnitsToBytes(units));
  }

  std::u16string_view NameOf(const Line& line) const {
    return Content(line).substr(line.nameBegin, line.nameLength);
  }

  std::size_t FindSection(std::u16string_view name) const {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].kind == Kind::Section && EqualNoCase(NameOf(lines[i]), name)) return i;
    }
    return kNone;
  }

  std::size_t SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Kind::Section) ++i;
    return i;
  }

  std::size_t FindKey(std::size_t header, std::u16string_view name) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
      if (lines[i].kind == Kind::Key && EqualNoCase(NameOf(lines[i]), name)) return i;
    }
    return kNone;
  }

  Line MakeLine(std::u16string_view content) {
    Line line;
    line.edited = true;
    line.begin = editedText.size();
    line.length = static_cast<std::uint32_t>(std::min(content.size(), kMaxLine));
    editedText.append(content.substr(0, line.length));
    line.brk = Break::CrLf;
    Classify(Content(line), line);
    return line;
  }

  void ConvertToUtf16(const TextCodec& codec) {
    std::u16string converted;
    converted.reserve(text.size());
    for (const Line& line : lines) {
      const std::string utf8 = DecodeKeepingBytes(UnitsToBytes(Content(line)), codec);
      std::optional<std::u16string> units = Utf8ToUtf16(utf8);
      converted += units ? *units : BytesToUnits(UnitsToBytes(Content(line)));
      converted += BreakUnits(line.brk);
    }
    encoding = ProfileEncoding::Utf16Le;
    text = std::move(converted);
    oddTail.clear();
    SplitLines();
  }
};

ProfileFile::ProfileFile() : impl_(std::make_unique<Impl>()) {}
ProfileFile::ProfileFile(const ProfileFile& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
ProfileFile& ProfileFile::operator=(const ProfileFile& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;
ProfileFile::~ProfileFile() = default;

ProfileFile ProfileFile::Parse(std::string_view bytes) {
  ProfileFile file;
  Impl& impl = *file.impl_;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    impl.encoding = ProfileEncoding::Utf16Le;
    const std::string_view body = bytes.substr(2);
    const std::size_t count = body.size() / 2;
    impl.text.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      impl.text[i] = static_cast<char16_t>(static_cast<unsigned char>(body[2 * i]) |
                                           (static_cast<unsigned char>(body[2 * i + 1]) << 8));
    }
    if (body.size() % 2 != 0) impl.oddTail = std::string(body.substr(body.size() - 1));
  } else {
    impl.text = BytesToUnits(bytes);
  }
  impl.SplitLines();
  return file;
}

ProfileEncoding ProfileFile::encoding() const { return impl_->encoding; }

std::optional<std::string> ProfileFile::Read(std::string_view section, std::string_view key,
                                             const TextCodec& codePage) const {
  const Impl& impl = *impl_;
  const std::optional<std::u16string> sectionUnits = impl.ToUnits(TrimSpaces(section), codePage);
  const std::optional<std::u16string> keyUnits = impl.ToUnits(TrimSpaces(key), codePage);
  if (!sectionUnits || !keyUnits) return std::nullopt;
  const std::size_t header = impl.FindSection(*sectionUnits);
  if (header == kNone) return std::nullopt;
  const std::size_t k = impl.FindKey(header, *keyUnits);
  if (k == kNone) return std::nullopt;
  const Line& line = impl.lines[k];
  std::u16string_view value = impl.Content(line).substr(line.valueBegin, line.valueLength);
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.front() == value.back()) {
    value = value.substr(1, value.size() - 2);
  }
  return impl.Decode(value, codePage);
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value,
                        const TextCodec& codePage) {
  section = TrimSpaces(section);
  key = TrimSpaces(key);
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) {
    throw std::invalid_argument("profile text with a line break or NUL");
  }
  const auto tabAtEnd = [](std::string_view name) {
    return !name.empty() && (name.front() == '\t' || name.back() == '\t');
  };
  if (section.empty() || key.empty() || tabAtEnd(section) || tabAtEnd(key) ||
      section.find(']') != std::string_view::npos ||
      key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[') {
    throw std::invalid_argument("profile name that the file cannot hold");
  }
  if (!Utf8ToUtf16(section) || !Utf8ToUtf16(key) || !Utf8ToUtf16(value)) {
    throw std::invalid_argument("profile text that is not UTF-8");
  }
  const std::string stored = StoredValue(value);

  Impl& impl = *impl_;
  std::optional<std::u16string> sectionUnits = impl.ToUnits(section, codePage);
  std::optional<std::u16string> keyUnits = impl.ToUnits(key, codePage);
  std::optional<std::u16string> valueUnits = impl.ToUnits(stored, codePage);
  if (!sectionUnits || !keyUnits || !valueUnits) {
    impl.ConvertToUtf16(codePage);
    sectionUnits = Utf8ToUtf16(section);
    keyUnits = Utf8ToUtf16(key);
    valueUnits = Utf8ToUtf16(stored);
  }

  const std::size_t header = impl.FindSection(*sectionUnits);
  if (header != kNone) {
    const std::size_t k = impl.FindKey(header, *keyUnits);
    if (k != kNone) {
      std::u16string content(impl.NameOf(impl.lines[k]));
      content += u'=';
      content += *valueUnits;
      impl.lines[k] = impl.MakeLine(std::move(content));
      return;
    }
    std::size_t after = header;
    const std::size_t end = impl.SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
      if (impl.lines[i].kind == Kind::Key) after = i;
    }
    if (impl.lines[after].brk == Break::None) impl.lines[after].brk = Break::CrLf;
    impl.lines.insert(impl.lines.begin() + static_cast<std::ptrdiff_t>(after + 1),
                      impl.MakeLine(std::u16string(*keyUnits) + u'=' + *valueUnits));
    return;
  }

  if (!impl.lines.empty() && impl.lines.back().brk == Break::None) {
    impl.lines.back().brk = Break::CrLf;
  }
  impl.lines.push_back(impl.MakeLine(u'[' + *sectionUnits + u']'));
  impl.lines.push_back(impl.MakeLine(*keyUnits + u'=' + *valueUnits));
}

bool ProfileFile::RemoveKey(std::string_view section, std::string_view key,
                            const TextCodec& codePage) {
  Impl& impl = *impl_;
  const std::optional<std::u16string> sectionUnits = impl.ToUnits(TrimSpaces(section), codePage);
  const std::optional<std::u16string> keyUnits = impl.ToUnits(TrimSpaces(key), codePage);
  if (!sectionUnits || !keyUnits) return false;
  const std::size_t header = impl.FindSection(*sectionUnits);
  if (header == kNone) return false;
  const std::size_t k = impl.FindKey(header, *keyUnits);
  if (k == kNone) return false;
  impl.lines.erase(impl.lines.begin() + static_cast<std::ptrdiff_t>(k));
  return true;
}

bool ProfileFile::RemoveSectionIfEmpty(std::string_view section, const TextCodec& codePage) {
  Impl& impl = *impl_;
  const std::optional<std::u16string> sectionUnits = impl.ToUnits(TrimSpaces(section), codePage);
  if (!sectionUnits) return false;
  const std::size_t header = impl.FindSection(*sectionUnits);
  if (header == kNone) return false;
  const std::size_t end = impl.SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (!TrimBlanks(impl.Content(impl.lines[i])).empty()) return false;
  }
  impl.lines.erase(impl.lines.begin() + static_cast<std::ptrdiff_t>(header),
                   impl.lines.begin() + static_cast<std::ptrdiff_t>(end));
  return true;
}

bool ProfileFile::IsBlank() const {
  for (const Line& line : impl_->lines) {
    if (!TrimBlanks(impl_->Content(line)).empty()) return false;
  }
  return impl_->oddTail.empty();
}

std::string ProfileFile::Serialize() const {
  const Impl& impl = *impl_;
  std::string out;
  if (impl.encoding == ProfileEncoding::CodePage) {
    out.reserve(impl.text.size() + 64);
    for (const Line& line : impl.lines) {
      for (char16_t u : impl.Content(line)) out += static_cast<char>(u & 0xFF);
      for (char16_t u : BreakUnits(line.brk)) out += static_cast<char>(u);
    }
    return out;
  }
  out.reserve(2 * impl.text.size() + 130);
  out += "\xFF\xFE";
  const auto put = [&out](char16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (const Line& line : impl.lines) {
    for (char16_t u : impl.Content(line)) put(u);
    for (char16_t u : BreakUnits(line.brk)) put(u);
  }
  out += impl.oddTail;
  return out;
}

}  // namespace veskaro
