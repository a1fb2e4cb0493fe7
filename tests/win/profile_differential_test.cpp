// Our profile engine against Windows' own profile functions: the same random
// edits go through ProfileFile and through WritePrivateProfileStringW, and
// the files must agree byte for byte and every read value for value.
//
// The files start as the profile functions themselves create them, so they
// are in the shape those functions write (no blank lines, no comments, one
// "name=value" per line). That keeps Wine's habit of rewriting the whole
// file (and dropping blank lines, where Windows edits in place) out of the
// comparison: on such files both give the same bytes.
//
// Where Wine's profile functions are known to differ from Windows' (Wine's
// own API tests mark them todo_wine), Windows is what the engine follows and
// these files stay clear of it: bytes before the first section that hold
// NULs (Windows keeps them), keys in a section with an empty name, and
// lines Wine normalises when it rewrites the file (blanks around a value).
// Values that reading would change (blanks or quotes around them) are
// stored quoted by our engine, unlike the profile functions; they are only
// compared as reads.
#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_text_codec.h"
#include "win_test_support.h"

namespace veskaro::test {
namespace {

using win32::ToUtf8;
using win32::ToWide;

// What GetPrivateProfileStringW hands back for a missing key: text no file
// of ours contains.
constexpr wchar_t kMissing[] = L"\x1F<missing>\x1F";
constexpr DWORD kReadBuffer = 2048;

struct Scenario {
  unsigned seed;
  bool utf16;  // starts from a file holding only the UTF-16LE byte-order mark
};

std::ostream& operator<<(std::ostream& out, const Scenario& s) {
  return out << "seed " << s.seed << (s.utf16 ? " UTF-16LE" : " code page");
}

struct Key {
  std::string name;  // as first written
};
struct Section {
  std::string name;
  std::vector<Key> keys;
};

class ProfileDifferential : public ScratchFolder, public ::testing::WithParamInterface<Scenario> {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    path_ = Wide(L"profile.ini");
    random_.seed(GetParam().seed);
    if (GetParam().utf16) {
      ASSERT_TRUE(WriteRaw(path_, "\xFF\xFE"));
      model_ = ProfileFile::Parse("\xFF\xFE");
    }
  }

  std::size_t Pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

  // The same name in a random letter case: lookups ignore ASCII case.
  std::string Recase(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
      if (std::isalpha(static_cast<unsigned char>(c)) && Chance(30)) {
        c = std::islower(static_cast<unsigned char>(c))
                ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
    }
    return out;
  }

  std::string NewSectionName() {
    static const char* const names[] = {"{BE098140-A513-11D0-A3A4-00C04FD706EC}",
                                        ".ShellClassInfo", "ViewState", "DeleteOnCopy",
                                        "LocalizedFileNames", "Veskaro test"};
    std::string name = names[Pick(std::size(names))];
    if (FindSection(name) != nullptr) {
      name += '.';
      name += std::to_string(Pick(1000));
    }
    return name;
  }

  std::string NewKeyName(const Section& section) {
    static const char* const names[] = {"Iconarea_Image", "IconArea_Text",
                                        "IconArea_TextBackground", "IconFile", "IconIndex",
                                        "InfoTip", "IconResource", "Mode", "Vid", "FolderType"};
    std::string name = names[Pick(std::size(names))];
    const auto same = [&](const Key& k) { return EqualNoCase(k.name, name); };
    if (std::any_of(section.keys.begin(), section.keys.end(), same)) {
      name += '_';
      name += std::to_string(Pick(1000));
    }
    return name;
  }

  // A value that reads back as itself: no blank at either end, not wrapped
  // in a pair of matching quotes. Characters beyond ASCII only where the
  // file can hold them without changing its encoding.
  std::string NewValue() {
    static const char* const pieces[] = {
        "a", "Z", "0", "7", " ", ".", ",", ";", "=", "[", "]", "\"", "'", "\\", "/", ":", "%",
        "#", "$", "-1", "0x1F", "C:\\Users\\Pictures\\sky.jpg", "%SystemRoot%\\system32\\shell32.dll",
        "\xC3\xA9",            // é
        "\xD0\x96",            // Ж
        "\xE6\x96\x87",        // 文
        "\xF0\x9F\x98\x80"};   // an emoji
    const std::size_t length = Chance(5) ? 40 + Pick(200) : Pick(12);
    std::string value;
    while (value.size() < length) {
      const std::string piece = pieces[Pick(std::size(pieces))];
      if (!GetParam().utf16 && !codePage_.FromUtf8(piece)) continue;
      value += piece;
    }
    while (!value.empty() && value.back() == ' ') value.pop_back();
    while (!value.empty() && value.front() == ' ') value.erase(value.begin());
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.front() == value.back()) {
      value += 'x';
    }
    return value;
  }

  static bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) ==
                    std::tolower(static_cast<unsigned char>(y));
           });
  }

  Section* FindSection(const std::string& name) {
    for (Section& s : sections_) {
      if (EqualNoCase(s.name, name)) return &s;
    }
    return nullptr;
  }

  // --- the two implementations ---

  // A null key removes the section, a null value the key.
  void ApiWrite(const std::string& section, const std::string* key, const std::string* value) {
    const std::wstring wideKey = key ? ToWide(*key) : std::wstring();
    const std::wstring wideValue = value ? ToWide(*value) : std::wstring();
    ASSERT_TRUE(WritePrivateProfileStringW(ToWide(section).c_str(),
                                           key ? wideKey.c_str() : nullptr,
                                           value ? wideValue.c_str() : nullptr, path_.c_str()))
        << GetLastError();
  }

  std::optional<std::string> ApiRead(const std::string& section, const std::string& key) {
    std::wstring buffer(kReadBuffer, L'\0');
    const DWORD length = GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                                  kMissing, buffer.data(), kReadBuffer,
                                                  path_.c_str());
    buffer.resize(length);
    if (buffer == kMissing) return std::nullopt;
    return ToUtf8(buffer);
  }

  std::optional<std::string> ModelRead(const std::string& section, const std::string& key) {
    auto value = model_.Read(section, key, codePage_);
    // The API's buffer holds 2047 characters and the terminating null.
    if (value) {
      std::wstring wide = ToWide(*value);
      if (wide.size() > kReadBuffer - 1) value = ToUtf8(wide.substr(0, kReadBuffer - 1));
    }
    return value;
  }

  void ExpectSameBytes(const std::string& step) {
    const auto onDisk = ReadRaw(path_);
    ASSERT_TRUE(onDisk.has_value()) << step;
    ASSERT_EQ(*onDisk, model_.Serialize()) << "after " << step;
  }

  void ExpectSameRead(const std::string& section, const std::string& key) {
    ASSERT_EQ(ApiRead(section, key), ModelRead(section, key))
        << "reading [" << section << "] " << key;
  }

  // --- the steps ---

  void Write(Section& section, const std::string& key, const std::string& value) {
    const std::string sectionName = Recase(section.name);
    const std::string keyName = Recase(key);
    ApiWrite(sectionName, &keyName, &value);
    model_.Write(sectionName, keyName, value, codePage_);
    ExpectSameBytes("writing [" + sectionName + "] " + keyName + "=" + value);
  }

  void Step() {
    const std::size_t kind = Pick(100);
    if (sections_.empty() || kind < 8) {  // a new section
      Section section{NewSectionName(), {}};
      const std::string key = NewKeyName(section);
      sections_.push_back(section);
      sections_.back().keys.push_back({key});
      Write(sections_.back(), key, NewValue());
      return;
    }
    Section& section = sections_[Pick(sections_.size())];
    if (section.keys.empty() || kind < 25) {  // a new key
      const std::string key = NewKeyName(section);
      section.keys.push_back({key});
      Write(section, key, NewValue());
    } else if (kind < 60) {  // a new value for an existing key
      Write(section, section.keys[Pick(section.keys.size())].name, NewValue());
    } else if (kind < 85) {  // reads, found and missing
      const std::string key = section.keys[Pick(section.keys.size())].name;
      ExpectSameRead(Recase(section.name), Recase(key));
      ExpectSameRead(Recase(section.name), key + "_absent");
      ExpectSameRead(section.name + "_absent", key);
    } else if (kind < 92) {  // a key removed
      const std::size_t index = Pick(section.keys.size());
      const std::string key = Recase(section.keys[index].name);
      ApiWrite(Recase(section.name), &key, nullptr);
      EXPECT_TRUE(model_.RemoveKey(Recase(section.name), key, codePage_));
      section.keys.erase(section.keys.begin() + static_cast<std::ptrdiff_t>(index));
      ExpectSameBytes("removing [" + section.name + "] " + key);
    } else if (kind < 96) {
      // A value that reads back changed (blanks around it, quotes around
      // it): our engine would store it quoted, so only the reads can be
      // compared, and the engine takes the file as it now is. Wine stores
      // such a line trimmed on its next rewrite of the file, where Windows
      // leaves a line it does not edit alone, so the key then gets an
      // ordinary value again through both.
      static const char* const odd[] = {"  padded  ", "\"quoted\"", "'single'", "\"  both  \"",
                                        "\"", "\"\"", "''x'", " "};
      const std::string key = section.keys[Pick(section.keys.size())].name;
      const std::string value = odd[Pick(std::size(odd))];
      const std::string keyName = Recase(key);
      ApiWrite(Recase(section.name), &keyName, &value);
      model_ = ProfileFile::Parse(*ReadRaw(path_));
      ExpectSameRead(section.name, key);
      Write(section, key, NewValue());
    } else {  // every key of a section that has lost all its keys
      for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (!sections_[i].keys.empty()) continue;
        ApiWrite(Recase(sections_[i].name), nullptr, nullptr);
        EXPECT_TRUE(model_.RemoveSectionIfEmpty(Recase(sections_[i].name), codePage_));
        sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
        ExpectSameBytes("removing an empty section");
        return;
      }
    }
  }

  void ExpectAllReadsAgree() {
    for (const Section& section : sections_) {
      for (const Key& key : section.keys) {
        ExpectSameRead(section.name, key.name);
        if (HasFatalFailure()) return;
      }
    }
  }

  std::wstring path_;
  std::mt19937 random_;
  win32::Win32TextCodec codePage_;
  ProfileFile model_;
  std::vector<Section> sections_;
};

TEST_P(ProfileDifferential, RandomEditsAgreeWithTheProfileFunctions) {
  constexpr int kSteps = 300;
  for (int step = 0; step < kSteps; ++step) {
    Step();
    if (HasFatalFailure() || HasFailure()) {
      ADD_FAILURE() << "at step " << step << ", file now:\n" << *ReadRaw(path_);
      return;
    }
  }
  ExpectAllReadsAgree();
  // The scenario really exercised the file, in the encoding it started in.
  EXPECT_GE(sections_.size(), 2u);
  const std::string bytes = *ReadRaw(path_);
  EXPECT_EQ(bytes.rfind("\xFF\xFE", 0) == 0, GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ProfileDifferential,
                         ::testing::Values(Scenario{1, false}, Scenario{2, false},
                                           Scenario{3, false}, Scenario{4, true},
                                           Scenario{5, true}, Scenario{6, true}));

}  // namespace
}  // namespace veskaro::test
