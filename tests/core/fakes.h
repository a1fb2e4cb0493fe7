// In-memory stand-ins for the ports, shared by the core tests, the fuzz
// targets and the benchmarks. Nothing here touches the operating system.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"
#include "core/text_codec.h"

namespace veskaro::testing {

// A cut-down Windows-1251: ASCII, the Cyrillic letters А-я (C0-FF), Ё, ё,
// the no-break space and №. Every other byte of 80-BF is left undefined, as
// 98 is in the real code page.
class FakeCodePage : public TextCodec {
 public:
  std::string ToUtf8(std::string_view text) const override {
    std::string out;
    for (char b : text) Append(out, Decode(static_cast<unsigned char>(b)));
    return out;
  }

  std::optional<std::string> FromUtf8(std::string_view utf8) const override {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
      const auto b0 = static_cast<unsigned char>(utf8[i]);
      char32_t c;
      std::size_t n;
      if (b0 < 0x80) {
        c = b0, n = 1;
      } else if ((b0 & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
        c = ((b0 & 0x1F) << 6) | (utf8[i + 1] & 0x3F), n = 2;
      } else if ((b0 & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
        c = ((b0 & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F), n = 3;
      } else {
        return std::nullopt;
      }
      i += n;
      bool found = false;
      for (int b = 0; b < 256 && !found; ++b) {
        if (Decode(static_cast<unsigned char>(b)) == c) {
          out += static_cast<char>(b);
          found = true;
        }
      }
      if (!found || c == 0xFFFD) return std::nullopt;
    }
    return out;
  }

  static char32_t Decode(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    switch (b) {
      case 0xA0: return 0x00A0;
      case 0xA8: return 0x0401;
      case 0xB8: return 0x0451;
      case 0xB9: return 0x2116;
      default: return 0xFFFD;
    }
  }

 private:
  static void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
};

// Files and folders in memory, under Windows paths. Runs of '\' count as one,
// so "C:\\Desktop.ini" (two) is the file "C:\Desktop.ini".
class FakeFileSystem : public FileSystem {
 public:
  struct File {
    std::string bytes;
    std::uint32_t attributes = file_attribute::Archive;
  };

  void AddFolder(const std::string& path, std::uint32_t attributes = file_attribute::Directory) {
    folders[Key(path)] = attributes | file_attribute::Directory;
  }
  void AddFile(const std::string& path, std::string bytes,
               std::uint32_t attributes = file_attribute::Archive) {
    files[Key(path)] = File{std::move(bytes), attributes};
  }
  const File* Find(const std::string& path) const {
    auto it = files.find(Key(path));
    return it == files.end() ? nullptr : &it->second;
  }
  std::optional<std::string> Bytes(const std::string& path) const {
    const File* file = Find(path);
    return file ? std::optional<std::string>(file->bytes) : std::nullopt;
  }

  std::optional<std::string> ReadFile(const std::string& path) override {
    ++reads;
    if (unreadable.count(Key(path))) return std::nullopt;
    const File* file = Find(path);
    return file ? std::optional<std::string>(file->bytes) : std::nullopt;
  }

  void ReplaceFileSafely(const std::string& path, std::string_view bytes) override {
    ++replaceCalls;
    if (failReplaceAfter >= 0 && replaceCalls > failReplaceAfter) {
      throw FileSystemError("injected failure");
    }
    const std::string key = Key(path);
    if (folders.count(key) || !folders.count(Parent(key))) throw FileSystemError("no such folder");
    auto it = files.find(key);
    if (it != files.end()) {
      if (it->second.attributes & file_attribute::ReadOnly) throw FileSystemError("read-only");
      it->second.bytes = std::string(bytes);
    } else {
      files[key] = File{std::string(bytes), file_attribute::Archive};
    }
  }

  bool IsExistingFile(const std::string& path) override { return files.count(Key(path)) != 0; }

  bool IsExistingAbsoluteDirectory(const std::string& path) override {
    const bool absolute = (path.size() >= 3 && path[1] == ':' && path[2] == '\\') ||
                          path.rfind("\\\\", 0) == 0;
    return absolute && folders.count(Key(path)) != 0;
  }

  DeleteResult DeleteFile(const std::string& path) override {
    auto it = files.find(Key(path));
    if (it == files.end()) return DeleteResult::NotFound;
    if (failDelete || (it->second.attributes & file_attribute::ReadOnly)) {
      return DeleteResult::Failed;
    }
    files.erase(it);
    return DeleteResult::Deleted;
  }

  std::optional<std::uint32_t> GetAttributes(const std::string& path) override {
    const std::string key = Key(path);
    if (auto it = folders.find(key); it != folders.end()) return it->second;
    if (auto it = files.find(key); it != files.end()) return it->second.attributes;
    return std::nullopt;
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    setAttributeCalls.emplace_back(path, attributes);
    if (failSetAttributes) return false;
    const std::string key = Key(path);
    if (auto it = folders.find(key); it != folders.end()) {
      it->second = attributes | file_attribute::Directory;
      return true;
    }
    if (auto it = files.find(key); it != files.end()) {
      it->second.attributes = attributes;
      return true;
    }
    return false;
  }

  static std::string Key(const std::string& path) {
    std::string key;
    for (std::size_t i = 0; i < path.size(); ++i) {
      if (path[i] == '\\' && !key.empty() && key.back() == '\\' && i > 1) continue;
      key += path[i];
    }
    if (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
  }
  static std::string Parent(const std::string& key) {
    const std::size_t slash = key.rfind('\\');
    if (slash == std::string::npos) return std::string();
    std::string parent = key.substr(0, slash);
    if (parent.size() == 2 && parent[1] == ':') parent += '\\';
    return parent;
  }

  std::map<std::string, File> files;
  std::map<std::string, std::uint32_t> folders;
  std::set<std::string> unreadable;
  std::vector<std::pair<std::string, std::uint32_t>> setAttributeCalls;
  int failReplaceAfter = -1;  // replacements that succeed before one fails
  bool failSetAttributes = false;
  bool failDelete = false;
  int replaceCalls = 0;
  int reads = 0;
};

}  // namespace veskaro::testing

namespace veskaro::testing {

// UTF-16LE bytes of `text`, with the byte-order mark unless told otherwise.
inline std::string Utf16Bytes(std::u16string_view text, bool mark = true) {
  std::string bytes = mark ? "\xFF\xFE" : "";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

// The same for UTF-8 text (ASCII and the BMP are enough for the tests, plus
// pairs for four-byte characters).
inline std::string Utf16Bytes(std::string_view utf8, bool mark) {
  std::u16string units;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c;
    if (b < 0x80) {
      c = b, i += 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = ((b & 0x1F) << 6) | (utf8[i + 1] & 0x3F), i += 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = ((b & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F), i += 3;
    } else {
      c = ((b & 0x07) << 18) | ((utf8[i + 1] & 0x3F) << 12) | ((utf8[i + 2] & 0x3F) << 6) |
          (utf8[i + 3] & 0x3F);
      i += 4;
    }
    if (c >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
  }
  return Utf16Bytes(units, mark);
}

}  // namespace veskaro::testing
