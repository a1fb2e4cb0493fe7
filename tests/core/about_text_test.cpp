#include "core/about_text.h"

#include "about_text_expected.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace veskaro {
namespace {

using testing_data::kAboutLines;

std::vector<std::string_view> SplitCrLf(std::string_view text) {
  std::vector<std::string_view> lines;
  for (;;) {
    size_t end = text.find("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 2);
  }
}

TEST(AboutText, HasThirtyTwoLinesJoinedByCrLf) {
  std::vector<std::string_view> lines = SplitCrLf(AboutText());
  ASSERT_EQ(lines.size(), std::size(kAboutLines));
  for (std::string_view line : lines) {
    // A lone CR or LF would make the memo break a line where none belongs.
    EXPECT_EQ(line.find_first_of("\r\n"), std::string_view::npos) << line;
  }
}

TEST(AboutText, EveryLineKeepsItsSpacesAndText) {
  std::vector<std::string_view> lines = SplitCrLf(AboutText());
  ASSERT_EQ(lines.size(), std::size(kAboutLines));
  for (const testing_data::ExpectedLine& want : kAboutLines) {
    SCOPED_TRACE("line " + std::to_string(want.number));
    std::string_view line = lines[want.number - 1];
    if (want.text.empty()) {
      // Blank and space-only lines: only the total count of spaces is defined.
      EXPECT_EQ(line, std::string(want.spacesBefore + want.spacesAfter, ' '));
      continue;
    }
    size_t first = line.find_first_not_of(' ');
    size_t last = line.find_last_not_of(' ');
    ASSERT_NE(first, std::string_view::npos);
    EXPECT_EQ(static_cast<int>(first), want.spacesBefore);
    EXPECT_EQ(static_cast<int>(line.size() - 1 - last), want.spacesAfter);
    EXPECT_EQ(line.substr(first, last + 1 - first), want.text);
  }
}

}  // namespace
}  // namespace veskaro
