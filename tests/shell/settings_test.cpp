#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>

#include "base/platform.h"
#include "shell/settings.h"

namespace vardelmo {
namespace {

class PortugueseNumbers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::set_process_locale(); }
};

TEST_F(PortugueseNumbers, TimeLimitTakesTheLongestNumberWithADecimalComma) {
  EXPECT_EQ(parse_time_limit("30"), 30.0);
  EXPECT_EQ(parse_time_limit("1,5"), 1.5);
  EXPECT_EQ(parse_time_limit("1.5"), 1.0);
  EXPECT_EQ(parse_time_limit("  45"), 45.0);
  EXPECT_EQ(parse_time_limit("-10"), -10.0);
  EXPECT_EQ(parse_time_limit("0"), 0.0);
  EXPECT_EQ(parse_time_limit("60 s"), 60.0);
  EXPECT_EQ(parse_time_limit("2,5e1"), 25.0);
}

TEST_F(PortugueseNumbers, TimeLimitRejectsLinesWithoutANumberAndRangeErrors) {
  EXPECT_FALSE(parse_time_limit(""));
  EXPECT_FALSE(parse_time_limit("abc"));
  EXPECT_FALSE(parse_time_limit(","));
  EXPECT_FALSE(parse_time_limit("s 60"));
  EXPECT_FALSE(parse_time_limit("1e999"));
  EXPECT_FALSE(parse_time_limit("-1e999"));
}

TEST_F(PortugueseNumbers, ResultNumbersUseCommaAndSixDecimals) {
  EXPECT_EQ(platform::format_fixed_portuguese(0.046), "0,046000");
  EXPECT_EQ(platform::format_fixed_portuguese(12), "12,000000");
  EXPECT_EQ(platform::format_fixed_portuguese(-3.25), "-3,250000");
  EXPECT_EQ(platform::format_fixed_portuguese(1e20), "100000000000000000000,000000");
  EXPECT_EQ(platform::format_fixed_portuguese(-1e20), "-100000000000000000000,000000");
}

// The solver libraries parse model files with the C library's own
// conversions; those must keep the decimal point after start-up.
TEST_F(PortugueseNumbers, ProcessKeepsTheDecimalPointForLibraries) {
  EXPECT_EQ(std::strtod("16.5", nullptr), 16.5);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", 0.5);
  EXPECT_STREQ(buffer, "0.5");
  double value = 0;
  ASSERT_EQ(std::sscanf("0.8", "%lf", &value), 1);
  EXPECT_EQ(value, 0.8);
}

}  // namespace
}  // namespace vardelmo
