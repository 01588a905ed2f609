// What `compare` computes, over hand-made runs.
#include <gtest/gtest.h>

#include <cmath>

#include "compare/compare_command.h"
#include "compare/comparison.h"

namespace vardelmo {
namespace {

RunRow row(const std::string& name, Outcome outcome, double seconds,
           std::optional<double> z = std::nullopt, std::optional<double> nodes = std::nullopt,
           std::optional<double> bound = std::nullopt) {
  RunRow r;
  r.name = name;
  r.outcome = outcome;
  r.seconds = seconds;
  r.z = z;
  r.nodes = nodes;
  r.dual_bound = bound;
  return r;
}

TEST(CompareRuns, TableAndProfileOverTheModelsEveryRunHolds) {
  const std::vector<vardelmo::Run> runs = {
      {"A",
       {row("m1", Outcome::Optimal, 1, 10, 0), row("m2", Outcome::Optimal, 3, 5, 100),
        row("m3", Outcome::TimeLimit, 10), row("m4", Outcome::ReadError, 0.001)}},
      {"B",
       {row("m5", Outcome::Optimal, 1), row("m1", Outcome::Optimal, 2, 10, 100),
        row("m2", Outcome::Optimal, 0.5, 5.00001, 0), row("m3", Outcome::Optimal, 4, 7),
        row("m4", Outcome::Infeasible, 0.001)}}};
  const Comparison c = compare_runs(runs);
  EXPECT_EQ(c.models, (std::vector<std::string>{"m1", "m2", "m3", "m4"}));
  EXPECT_EQ(c.missing, std::vector<std::string>{"m5"});
  EXPECT_EQ(c.inconsistent, std::vector<bool>(4, false));
  const RunSummary& a = c.summaries[0];
  const RunSummary& b = c.summaries[1];
  EXPECT_EQ((std::vector<std::size_t>{a.models, a.solved, a.limit, a.failures, a.wins}),
            (std::vector<std::size_t>{4, 2, 1, 1, 1}));
  EXPECT_EQ((std::vector<std::size_t>{b.models, b.solved, b.limit, b.failures, b.wins}),
            (std::vector<std::size_t>{4, 4, 0, 0, 3}));
  // m4 failed in A: the means of time leave it out; m3 counts at A's limit.
  EXPECT_NEAR(*a.mean_time, std::cbrt(2.0 * 4 * 11) - 1, 1e-12);
  EXPECT_NEAR(*b.mean_time, std::cbrt(3.0 * 1.5 * 5) - 1, 1e-12);
  EXPECT_NEAR(*a.mean_time_solved, std::sqrt(2.0 * 4) - 1, 1e-12);
  EXPECT_NEAR(*b.mean_time_solved, std::sqrt(3.0 * 1.5) - 1, 1e-12);
  EXPECT_NEAR(*a.ratio, *a.mean_time / *b.mean_time, 1e-12);
  EXPECT_EQ(*b.ratio, 1);
  EXPECT_NEAR(*a.mean_nodes, std::sqrt(100.0 * 200) - 100, 1e-9);
  // A's ratios are 1 (m1) and 6 (m2); B's 2 (m1) and 1 for the rest (m4's
  // times, below 0.01 s, at 0.01 s).
  EXPECT_EQ(c.taus, (std::vector<double>{1, 2, 6}));
  EXPECT_EQ(c.shares, (std::vector<std::vector<double>>{{0.25, 0.75}, {0.25, 1}, {0.5, 1}}));
  EXPECT_EQ(c.solved_by_time[0].size(), 2u);
  EXPECT_EQ(c.solved_by_time[1].back().x, 4);
  EXPECT_EQ(c.solved_by_time[1].back().y, 4);
}

TEST(CompareRuns, RunsContradictOnValuesInfeasibilityAndBounds) {
  auto opt = [](double z) { return row("m", Outcome::Optimal, 1, z); };
  auto differ = [](const RunRow& x, const RunRow& y) { return contradict({&x, &y}); };
  EXPECT_TRUE(differ(opt(10), opt(10.0002)));
  EXPECT_FALSE(differ(opt(10), opt(10.00005)));
  EXPECT_FALSE(differ(opt(1e6), opt(1e6 + 5)));
  EXPECT_TRUE(differ(opt(1e6), opt(1e6 + 20)));
  const RunRow infeasible = row("m", Outcome::Infeasible, 1, 1e20);
  EXPECT_TRUE(differ(infeasible, opt(3)));
  EXPECT_FALSE(differ(infeasible, infeasible));
  // A minimisation stopped at 100 with its bound at 90: no solution below 90.
  const RunRow limited = row("m", Outcome::TimeLimit, 1, 100, std::nullopt, 90);
  EXPECT_TRUE(differ(limited, opt(85)));
  EXPECT_FALSE(differ(limited, opt(95)));
  // Without a bound the files tell no sense.
  EXPECT_FALSE(differ(row("m", Outcome::TimeLimit, 1, 100), opt(85)));
}

TEST(CompareRuns, OneRunStandsAloneAndAnEmptyComparisonHasNoMeans) {
  Comparison c = compare_runs({{"A", {row("m1", Outcome::Optimal, 2, 1)}}});
  EXPECT_EQ(c.summaries[0].wins, 1u);
  EXPECT_EQ(c.summaries[0].ratio, 1);
  EXPECT_EQ(c.shares, std::vector<std::vector<double>>{{1}});
  c = compare_runs({{"A", {row("m1", Outcome::Optimal, 2)}}, {"B", {}}});
  EXPECT_EQ(c.missing, std::vector<std::string>{"m1"});
  EXPECT_FALSE(c.summaries[0].mean_time);
  EXPECT_EQ(c.shares, (std::vector<std::vector<double>>{{0, 0}}));
}

TEST(BatchRecord, LabelsTheRunBySolverVersionAndSettingsFile) {
  EXPECT_EQ(label_from_batch_record("SOLVER: SCIP\r\nVERSAO_SOLVER: 10.0.2\nOUTRO: x\n"
                                    "ARQUIVO_PARAMETROS: /p/rapido.set\n"),
            "SCIP 10.0.2 (rapido.set)");
  EXPECT_EQ(label_from_batch_record("SOLVER: HIGHS"), "HIGHS");
  EXPECT_EQ(label_from_batch_record("VERSAO_SOLVER: 10\n"), std::nullopt);
}

}  // namespace
}  // namespace vardelmo
