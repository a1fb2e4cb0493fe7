#include "core/int_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace veskaro {
namespace {

struct ReadCase {
  const char* text;
  std::optional<std::int32_t> expected;
};

class IntTextRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IntTextRead, FollowsTheSettingsFileRule) {
  EXPECT_EQ(ParseIntText(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

constexpr std::optional<std::int32_t> kFails = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, IntTextRead,
    ::testing::Values(
        ReadCase{"255", 255}, ReadCase{"0xFF", 255}, ReadCase{"0Xff", 255}, ReadCase{"$ff", 255},
        ReadCase{"xFF", 255}, ReadCase{"XfF", 255}, ReadCase{"-0x10", -16},
        ReadCase{"+0x10", 16}, ReadCase{"  42", 42}, ReadCase{"42 ", kFails},
        ReadCase{"\t42", kFails}, ReadCase{"012", 12}, ReadCase{"0", 0}, ReadCase{"-0", 0},
        ReadCase{"+7", 7}, ReadCase{"$FFFFFFFF", -1}, ReadCase{"$80000000", INT32_MIN},
        ReadCase{"-$FFFFFFFF", 1}, ReadCase{"$000000000FF", 255},  // leading zeros are free
        ReadCase{"$100000000", kFails},                              // a ninth significant digit
        ReadCase{"2147483647", 2147483647}, ReadCase{"2147483648", kFails},
        ReadCase{"-2147483648", INT32_MIN}, ReadCase{"-2147483649", kFails},
        ReadCase{"0002147483647", 2147483647}, ReadCase{"99999999999999999999", kFails},
        ReadCase{"0x", kFails}, ReadCase{"$", kFails}, ReadCase{"x", kFails},
        ReadCase{"+", kFails}, ReadCase{"-", kFails}, ReadCase{"- 1", kFails},
        ReadCase{"+-1", kFails}, ReadCase{"12abc", kFails}, ReadCase{"0x1G", kFails},
        ReadCase{"", kFails}, ReadCase{"   ", kFails}, ReadCase{"1.5", kFails},
        ReadCase{"0x-1", kFails}, ReadCase{"00x1", kFails}, ReadCase{"16711680", 16711680}));

TEST(IntTextWrite, IsPlainSignedDecimal) {
  EXPECT_EQ(FormatIntText(-1), "-1");
  EXPECT_EQ(FormatIntText(16711680), "16711680");
  EXPECT_EQ(FormatIntText(0), "0");
  EXPECT_EQ(FormatIntText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(FormatIntText(std::numeric_limits<std::int32_t>::max()), "2147483647");
}

TEST(IntTextWrite, ReadsBackAsItself) {
  for (std::int32_t v : {INT32_MIN, -65536, -1, 0, 1, 255, 65280, 16777215, INT32_MAX}) {
    EXPECT_EQ(ParseIntText(FormatIntText(v)), v);
  }
}

}  // namespace
}  // namespace veskaro
