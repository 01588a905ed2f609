#include "batch/known_optima.h"

#include "base/platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardelmo {
namespace {

ModelResult result(Outcome outcome, std::optional<double> z, bool maximize = false) {
  ModelResult figures;
  figures.outcome = outcome;
  figures.search.objective = z;
  figures.search.maximize = maximize;
  return figures;
}

TEST(KnownOptima, ReadsTheTestSetsFormSkippingWhatItCannotRead) {
  KnownOptima optima;
  testing::internal::CaptureStderr();
  optima.read_text(
      "=opt=  a  12.5\n"
      "# a comment, and a line of another tool\n"
      "=best= b 1e3\r\n"
      "=inf= c\n"
      "=unkn= d\n"
      "=opt= a 99\n"
      "=opt= e\n"
      "=best= f 1,5\n"
      "=inf= g h\n",
      "x.solu");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Linha 7 de x.solu ilegível; ela foi ignorada.\n"
            "Linha 8 de x.solu ilegível; ela foi ignorada.\n"
            "Linha 9 de x.solu ilegível; ela foi ignorada.\n");
  const std::string folder = std::string("m") + platform::path_separator;
  ASSERT_TRUE(optima.find(folder + "a.lp"));
  EXPECT_EQ(optima.find(folder + "a.lp")->value, 12.5);  // the first one given
  EXPECT_EQ(optima.find(folder + "b.lp")->kind, Reference::Kind::Best);
  EXPECT_EQ(optima.find(folder + "b.lp")->value, 1000);
  EXPECT_EQ(optima.find(folder + "c.lp")->kind, Reference::Kind::Infeasible);
  EXPECT_EQ(optima.find(folder + "d.lp")->kind, Reference::Kind::Unknown);
  EXPECT_EQ(optima.find(folder + "a"), optima.find(folder + "a.lp"));
  for (const char* unknown : {"e.lp", "f.lp", "g.lp", "A.lp", "a.lp.lp"})
    EXPECT_EQ(optima.find(folder + unknown), nullptr) << unknown;
}

TEST(KnownOptima, VerdictsFollowTheReferenceAndTheObjectiveSense) {
  const Reference opt{Reference::Kind::Optimum, 100};
  const Reference best{Reference::Kind::Best, 100};
  const Reference inf{Reference::Kind::Infeasible, 0};
  const Reference unknown{Reference::Kind::Unknown, 0};
  struct Case {
    Reference reference;
    ModelResult figures;
    Verdict verdict;
  };
  const std::vector<Case> cases = {
      // Within max(1e-4, 1e-5 * |Z|) of the optimum, and not beyond.
      {{Reference::Kind::Optimum, 1}, result(Outcome::Optimal, 1.00009), Verdict::Agrees},
      {{Reference::Kind::Optimum, 1}, result(Outcome::Optimal, 1.00011), Verdict::Contradicts},
      {{Reference::Kind::Optimum, 1e6}, result(Outcome::Optimal, 1e6 + 9), Verdict::Agrees},
      {{Reference::Kind::Optimum, 1e6}, result(Outcome::Optimal, 1e6 + 11), Verdict::Contradicts},
      // Unproven: only a value beyond the optimum contradicts it.
      {opt, result(Outcome::TimeLimit, 100), Verdict::None},
      {opt, result(Outcome::TimeLimit, 120), Verdict::None},
      {opt, result(Outcome::TimeLimit, 90), Verdict::Contradicts},
      {opt, result(Outcome::TimeLimit, 90, true), Verdict::None},
      {opt, result(Outcome::TimeLimit, 120, true), Verdict::Contradicts},
      {opt, result(Outcome::Infeasible, std::nullopt), Verdict::Contradicts},
      {opt, result(Outcome::Unbounded, std::nullopt), Verdict::Contradicts},
      {opt, result(Outcome::ReadError, std::nullopt), Verdict::None},
      {opt, result(Outcome::SolverError, std::nullopt), Verdict::None},
      // Best known: as good, better, or proven worse.
      {best, result(Outcome::TimeLimit, 100.0009), Verdict::Agrees},
      {best, result(Outcome::TimeLimit, 99), Verdict::Better},
      {best, result(Outcome::Optimal, 101, true), Verdict::Better},
      {best, result(Outcome::TimeLimit, 101), Verdict::None},
      {best, result(Outcome::Optimal, 101), Verdict::Contradicts},
      {best, result(Outcome::Infeasible, std::nullopt), Verdict::Contradicts},
      // Infeasible: agreed only by an infeasible verdict.
      {inf, result(Outcome::Infeasible, std::nullopt), Verdict::Agrees},
      {inf, result(Outcome::TimeLimit, 5), Verdict::Contradicts},
      {inf, result(Outcome::Unbounded, std::nullopt), Verdict::Contradicts},
      {inf, result(Outcome::TimeLimit, std::nullopt), Verdict::None},
      {unknown, result(Outcome::Optimal, 1), Verdict::None},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(check(cases[i].reference, cases[i].figures), cases[i].verdict) << "case " << i;
}

}  // namespace
}  // namespace vardelmo
