#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>

#include "solvers/outcome.h"
#include "solvers/results_file.h"
#include "batch.h"
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

class Results : public ::testing::Test {
 protected:
  test::TempFolder output;
  const test::fs::path csv = output.path() / "sol_stat.csv";
  std::string folder() const { return output.path().string(); }
  static std::string row(char name) { return std::string(1, name) + ".lp;1,500000;SOL OTIMA;2,000000;"; }
  /// The file as the batch should have left it, with the rows of these entries.
  static std::string with_rows(const std::string& names) {
    Components rows;
    for (char name : names) rows.push_back("SCIP;" + row(name));
    return test::results_file(rows);
  }
};

// A second name of the file shows its content only while it is written in
// place, not replaced.
TEST_F(Results, RowsAreWrittenInEntryOrderInPlaceWhateverOrderEntriesFinishIn) {
  ResultsFile in_order(results_file_path(folder()), kResultsHeader, 3);
  in_order.finish(0, row('a'));
  test::fs::create_hard_link(csv, output.path() / "link");
  in_order.finish(1, std::nullopt);
  in_order.finish(2, row('c'));
  EXPECT_EQ(test::read_text_file(output.path() / "link"), with_rows("ac"));

  ResultsFile any_order(results_file_path(folder()), kResultsHeader, 5);
  any_order.finish(3, row('d'));
  test::fs::remove(output.path() / "link");
  test::fs::create_hard_link(csv, output.path() / "link");
  const std::pair<std::size_t, const char*> steps[] = {{1, "bd"}, {4, "bde"}, {0, "abde"}, {2, "abcde"}};
  for (const auto& [entry, expected] : steps) {
    any_order.finish(entry, row(static_cast<char>('a' + entry)));
    EXPECT_EQ(test::read_text_file(output.path() / "link"), with_rows(expected)) << entry;
  }
}

TEST_F(Results, AFileChangedByAnyoneElseIsRewrittenWhole) {
  using Change = std::pair<const char*, std::function<void()>>;
  const Change changes[] = {
      {"removed", [&] { test::fs::remove(csv); }},
      {"cut short", [&] { test::write_file(csv, test::kResultsHeader); }},
      {"replaced by one of the same size",
       [&] {
         test::write_file(output.path() / "other", std::string(test::read_file(csv).size(), 'x'));
         test::fs::rename(output.path() / "other", csv);
       }},
      {"edited to the same size, later",
       [&] {
         const auto time = test::fs::last_write_time(csv);
         test::write_file(csv, std::string(test::read_file(csv).size(), 'x'));
         test::fs::last_write_time(csv, time + std::chrono::seconds(1));
       }},
  };
  ResultsFile results(results_file_path(folder()), kResultsHeader, 5);
  results.finish(0, row('a'));
  std::string names = "a";
  for (const auto& [what, change] : changes) {
    change();
    names += static_cast<char>('a' + names.size());
    results.finish(names.size() - 1, row(names.back()));
    EXPECT_EQ(test::read_text_file(csv), with_rows(names)) << what;
  }
}

TEST_F(Results, NothingIsWrittenBeforeTheFirstRowWhichReplacesAStaleFile) {
  ResultsFile without_rows(results_file_path(folder()), kResultsHeader, 2);
  without_rows.finish(1, std::nullopt);
  without_rows.finish(0, std::nullopt);
  EXPECT_FALSE(test::fs::exists(csv));

  const std::string stale = test::kResultsHeader + "GUROBI;" + row('z') + "\n";
  test::write_file(csv, stale);
  ResultsFile results(results_file_path(folder()), kResultsHeader, 2);
  results.finish(0, std::nullopt);
  EXPECT_EQ(test::read_file(csv), stale);
  results.finish(1, row('b'));
  EXPECT_EQ(test::read_text_file(csv), with_rows("b"));
}

}  // namespace
}  // namespace vardelmo
