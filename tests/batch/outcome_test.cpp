#include <gtest/gtest.h>

#include "solvers/outcome.h"
#include "program.h"
#include "base/platform.h"
#include "base/shell_settings.h"

namespace vardelmo {
namespace {

using Components = std::vector<std::string>;

TEST(SplitPath, CutsAtEverySeparator) {
  const std::string s = test::kPathSeparator;
  EXPECT_EQ(split_path(s + "home" + s + "ana" + s + "modelos" + s + "p01.lp"),
            (Components{"", "home", "ana", "modelos", "p01.lp"}));
  EXPECT_EQ(split_path("modelos" + s), (Components{"modelos", ""}));
  EXPECT_EQ(split_path("p01.lp"), (Components{"p01.lp"}));
  EXPECT_EQ(split_path(""), (Components{""}));
  EXPECT_EQ(split_path("a" + s + s + "b"), (Components{"a", "", "b"}));
}

TEST(Numbers, ConsoleFormIsTheStreamDefault) {
  EXPECT_EQ(console_number(0.046), "0.046");
  EXPECT_EQ(console_number(12.5), "12.5");
  EXPECT_EQ(console_number(3.0), "3");
  EXPECT_EQ(console_number(0), "0");
  EXPECT_EQ(console_number(1234567.0), "1.23457e+06");
  EXPECT_EQ(console_number(0.00001234), "1.234e-05");
}

TEST(NameField, QuotesOnlyANameThatHoldsASeparatorAQuoteOrALineBreak) {
  for (const std::string name : {"p01.lp", "", " dois  brancos ", "a\xe7\xe3o,1.lp", "\xff", "'a'"})
    EXPECT_EQ(name_field(name), name);
  EXPECT_EQ(name_field("a;b.lp"), "\"a;b.lp\"");
  EXPECT_EQ(name_field("diz \"oi\".lp"), "\"diz \"\"oi\"\".lp\"");
  EXPECT_EQ(name_field("\""), "\"\"\"\"");
  EXPECT_EQ(name_field("linha\nquebrada.lp"), "\"linha\nquebrada.lp\"");
  EXPECT_EQ(name_field("cr\r.lp"), "\"cr\r.lp\"");
}

class Report : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::set_process_locale(); }
  void SetUp() override { result_rows.clear(); }
  void TearDown() override { result_rows.clear(); }

  std::string report(Outcome outcome, bool in_table) {
    testing::internal::CaptureStdout();
    OutcomeReport r(test::kPathSeparator + "m" + test::kPathSeparator + "x;y.lp");
    r.time(12.5);
    r.status(outcome, in_table);
    r.objective(-3.25);
    r.finish();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(Report, BlockAndRowOfAStatusInTheTable) {
  EXPECT_EQ(report(Outcome::Optimal, true), "NOME: x;y.lp\nTEMPO: 12.5\nSTATUS: SOL OTIMA\n");
  EXPECT_EQ(report(Outcome::InfeasibleOrUnbounded, true),
            "NOME: x;y.lp\nTEMPO: 12.5\nSTATUS: PROBLEMA ILIMITADO OU INFACTIVEL\n");
  EXPECT_EQ(result_rows, (Components{"\"x;y.lp\";12,500000;SOL OTIMA;-3,250000;",
                                     "\"x;y.lp\";12,500000;PROBLEMA ILIMITADO OU INFACTIVEL;-3,250000;"}));
}

TEST_F(Report, StatusOutsideTheTablePrintsNoLineButKeepsTheColumn) {
  EXPECT_EQ(report(Outcome::NodeLimit, false), "NOME: x;y.lp\nTEMPO: 12.5\n");
  report(Outcome::MemoryLimit, false);
  report(Outcome::UserInterrupt, false);
  report(Outcome::OtherLimit, false);
  report(Outcome::Unknown, false);
  EXPECT_EQ(result_rows,
            (Components{"\"x;y.lp\";12,500000;PROCESSO INTERROMPIDO - LIMITE DE NOS;-3,250000;",
                        "\"x;y.lp\";12,500000;PROCESSO INTERROMPIDO - LIMITE DE MEMORIA;-3,250000;",
                        "\"x;y.lp\";12,500000;PROCESSO INTERROMPIDO - USUARIO;-3,250000;",
                        "\"x;y.lp\";12,500000;PROCESSO INTERROMPIDO - OUTRO LIMITE;-3,250000;",
                        "\"x;y.lp\";12,500000;STATUS DESCONHECIDO;-3,250000;"}));
}

TEST_F(Report, ReadErrorRowHasAnEmptyObjective) {
  testing::internal::CaptureStdout();
  OutcomeReport r("a.lp");
  r.time(0);
  r.status(Outcome::ReadError, true);
  r.no_objective();
  r.finish();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "NOME: a.lp\nTEMPO: 0\nSTATUS: ERRO NA LEITURA DO MODELO\n");
  EXPECT_EQ(result_rows, (Components{"a.lp;0,000000;ERRO NA LEITURA DO MODELO;;"}));
}

}  // namespace
}  // namespace vardelmo
