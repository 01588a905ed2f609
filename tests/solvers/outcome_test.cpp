#include <gtest/gtest.h>

#include <string>

#include "solvers/outcome.h"

namespace vardelmo {
namespace {

TEST(Numbers, ConsoleFormIsTheStreamDefault) {
  EXPECT_EQ(console_number(0.046), "0.046");
  EXPECT_EQ(console_number(12.5), "12.5");
  EXPECT_EQ(console_number(3.0), "3");
  EXPECT_EQ(console_number(0), "0");
  EXPECT_EQ(console_number(1234567.0), "1.23457e+06");
  EXPECT_EQ(console_number(0.00001234), "1.234e-05");
}

TEST(OutcomeBlock, ShowsTheStatusOnlyWhereTheSolversTableHasIt) {
  ModelResult result;
  result.name = "x;y.lp";
  result.seconds = 12.5;
  result.outcome = Outcome::InfeasibleOrUnbounded;
  testing::internal::CaptureStdout();
  print_outcome_block(result, true);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "NOME: x;y.lp\nTEMPO: 12.5\nSTATUS: PROBLEMA ILIMITADO OU INFACTIVEL\n");
  testing::internal::CaptureStdout();
  print_outcome_block(result, false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NOME: x;y.lp\nTEMPO: 12.5\n");
}

}  // namespace
}  // namespace vardelmo
