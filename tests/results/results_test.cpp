#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>

#include "base/platform.h"
#include "batch.h"
#include "results/results_file.h"
#include "results/rows.h"

namespace vardelmo {
namespace {

using Components = std::vector<std::string>;

TEST(NameField, QuotesOnlyANameThatHoldsASeparatorAQuoteOrALineBreak) {
  for (const std::string name : {"p01.lp", "", " dois  brancos ", "a\xe7\xe3o,1.lp", "\xff", "'a'"})
    EXPECT_EQ(name_field(name), name);
  EXPECT_EQ(name_field("a;b.lp"), "\"a;b.lp\"");
  EXPECT_EQ(name_field("diz \"oi\".lp"), "\"diz \"\"oi\"\".lp\"");
  EXPECT_EQ(name_field("\""), "\"\"\"\"");
  EXPECT_EQ(name_field("linha\nquebrada.lp"), "\"linha\nquebrada.lp\"");
  EXPECT_EQ(name_field("cr\r.lp"), "\"cr\r.lp\"");
}

class Rows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::set_process_locale(); }
};

TEST_F(Rows, EveryStatusHasItsWordAndAnAbsentValueAnEmptyField) {
  ModelResult result;
  result.name = "x;y.lp";
  result.seconds = 12.5;
  result.z = -3.25;
  const std::pair<Outcome, const char*> words[] = {
      {Outcome::Optimal, "SOL OTIMA"},
      {Outcome::InfeasibleOrUnbounded, "PROBLEMA ILIMITADO OU INFACTIVEL"},
      {Outcome::NodeLimit, "PROCESSO INTERROMPIDO - LIMITE DE NOS"},
      {Outcome::MemoryLimit, "PROCESSO INTERROMPIDO - LIMITE DE MEMORIA"},
      {Outcome::UserInterrupt, "PROCESSO INTERROMPIDO - USUARIO"},
      {Outcome::OtherLimit, "PROCESSO INTERROMPIDO - OUTRO LIMITE"},
      {Outcome::Unknown, "STATUS DESCONHECIDO"}};
  for (const auto& [outcome, word] : words) {
    result.outcome = outcome;
    EXPECT_EQ(result_row(result), std::string("\"x;y.lp\";12,500000;") + word + ";-3,250000;");
    EXPECT_EQ(outcome_of(word), outcome);
  }
  EXPECT_EQ(outcome_of("SOL ÓTIMA"), std::nullopt);
  result.outcome = Outcome::ReadError;
  result.z.reset();
  EXPECT_EQ(result_row(result), "\"x;y.lp\";12,500000;ERRO NA LEITURA DO MODELO;;");
  EXPECT_EQ(details_row(result, "", ""), result_row(result) + ";;;;;");
  result.search.dual_bound = 1;
  result.search.nodes = 7;
  EXPECT_EQ(details_row(result, "INFACTIVEL", "NAO"),
            result_row(result) + "1,000000;;7,000000;INFACTIVEL;NAO;");
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
  ResultsFile in_order(results_file_path(folder()), kResultsHeader, "SCIP", 3);
  in_order.finish(0, row('a'));
  test::fs::create_hard_link(csv, output.path() / "link");
  in_order.finish(1, std::nullopt);
  in_order.finish(2, row('c'));
  EXPECT_EQ(test::read_text_file(output.path() / "link"), with_rows("ac"));

  ResultsFile any_order(results_file_path(folder()), kResultsHeader, "SCIP", 5);
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
  ResultsFile results(results_file_path(folder()), kResultsHeader, "SCIP", 5);
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
  ResultsFile without_rows(results_file_path(folder()), kResultsHeader, "SCIP", 2);
  without_rows.finish(1, std::nullopt);
  without_rows.finish(0, std::nullopt);
  EXPECT_FALSE(test::fs::exists(csv));

  const std::string stale = test::kResultsHeader + "GUROBI;" + row('z') + "\n";
  test::write_file(csv, stale);
  ResultsFile results(results_file_path(folder()), kResultsHeader, "SCIP", 2);
  results.finish(0, std::nullopt);
  EXPECT_EQ(test::read_file(csv), stale);
  results.finish(1, row('b'));
  EXPECT_EQ(test::read_text_file(csv), with_rows("b"));
}

}  // namespace
}  // namespace vardelmo
