#include <glpk.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "glpk_engine.h"
#include "support/standin_test_support.h"

namespace engine = vardelmo::engine;
using standin_test::data_file;
using standin_test::OutputCapture;
using standin_test::TempDir;

namespace {

engine::Problem read_ok(const std::string& path) {
  engine::ReadResult read = engine::read_model_file(path);
  EXPECT_EQ(read.status, engine::ReadStatus::ok) << read.message;
  return std::move(read.problem);
}

engine::SolveResult solve_quietly(const std::string& path,
                                  double time_limit = std::numeric_limits<double>::infinity()) {
  engine::Problem problem = read_ok(path);
  if (!problem) return {};
  engine::SolveOptions options;
  options.log = false;
  options.time_limit = time_limit;
  return engine::solve(*problem, options);
}

}  // namespace

TEST(EngineTimeLimit, SecondsBecomeGlpkMilliseconds) {
  EXPECT_EQ(engine::time_limit_ms(0.2), 200);
  EXPECT_EQ(engine::time_limit_ms(1.5), 1500);
  EXPECT_EQ(engine::time_limit_ms(0.0001), 1);  // a positive limit never becomes "stop at once"
  EXPECT_EQ(engine::time_limit_ms(0.0), 0);
  EXPECT_EQ(engine::time_limit_ms(-3.0), 0);
}

TEST(EngineTimeLimit, HugeOrInfiniteLimitsMeanNone) {
  EXPECT_EQ(engine::time_limit_ms(3e6), INT_MAX);  // past INT_MAX milliseconds
  EXPECT_EQ(engine::time_limit_ms(1e20), INT_MAX);
  EXPECT_EQ(engine::time_limit_ms(1e100), INT_MAX);
  EXPECT_EQ(engine::time_limit_ms(std::numeric_limits<double>::infinity()), INT_MAX);
}

TEST(EngineRead, ReportsMissingFilesApartFromBadOnes) {
  TempDir temp;
  engine::ReadResult missing = engine::read_model_file(temp.path() + "/missing.lp");
  EXPECT_EQ(missing.status, engine::ReadStatus::no_file);
  EXPECT_EQ(missing.message, "No such file or directory");
  EXPECT_FALSE(missing.problem);

  engine::ReadResult folder = engine::read_model_file(temp.path());
  EXPECT_EQ(folder.status, engine::ReadStatus::no_file);
  EXPECT_EQ(folder.message, "Is a directory");

  engine::ReadResult broken = engine::read_model_file(data_file("syntax_error.lp"));
  EXPECT_EQ(broken.status, engine::ReadStatus::bad_format);
  EXPECT_FALSE(broken.problem);
  // GLPK's own complaint, naming file and line, without its progress chatter.
  EXPECT_EQ(broken.message,
            data_file("syntax_error.lp") + ":5: invalid symbol(s) beyond right-hand side");
}

TEST(EngineRead, EmptyFileIsMalformed) {
  TempDir temp;
  engine::ReadResult read = engine::read_model_file(temp.write("empty.lp", ""));
  EXPECT_EQ(read.status, engine::ReadStatus::bad_format);
  EXPECT_NE(read.message.find("empty.lp:"), std::string::npos) << read.message;
}

TEST(EngineRead, CountsVariablesByKind) {
  engine::Problem problem = read_ok(data_file("decimals.lp"));
  ASSERT_TRUE(problem);
  const engine::ProblemSize size = engine::problem_size(problem.get());
  EXPECT_EQ(size.rows, 3);
  EXPECT_EQ(size.columns, 5);
  EXPECT_EQ(size.binaries, 1);
  EXPECT_EQ(size.integers, 3);
  EXPECT_EQ(size.continuous, 1);
  EXPECT_EQ(size.nonzeros, 10);
  EXPECT_TRUE(size.maximise);
}

TEST(EngineRead, PrintsNothingAndLeavesGlpkOutputAsFound) {
  for (const int state : {GLP_ON, GLP_OFF}) {
    glp_term_out(state);
    OutputCapture out(1);
    engine::read_model_file(data_file("decimals.lp"));
    engine::read_model_file(data_file("syntax_error.lp"));
    EXPECT_EQ(out.finish(), "");
    EXPECT_EQ(standin_test::glpk_term_out_on(), state == GLP_ON);
  }
  glp_term_out(GLP_ON);
  EXPECT_TRUE(standin_test::glpk_messages_reach_stdout());  // the capture hook is gone
}

TEST(EngineSolve, DecimalsAndFractionalIntegerBounds) {
  const engine::SolveResult result = solve_quietly(data_file("decimals.lp"));
  EXPECT_EQ(result.outcome, engine::Outcome::optimal);
  ASSERT_TRUE(result.has_solution);
  EXPECT_NEAR(result.objective, 31.125, 1e-9);
}

TEST(EngineSolve, TellsInfeasibleFromUnbounded) {
  EXPECT_EQ(solve_quietly(data_file("infeasible_lp.lp")).outcome, engine::Outcome::infeasible);
  EXPECT_EQ(solve_quietly(data_file("infeasible_max.lp")).outcome, engine::Outcome::infeasible);
  EXPECT_EQ(solve_quietly(data_file("integer_infeasible.lp")).outcome, engine::Outcome::infeasible);
  EXPECT_EQ(solve_quietly(data_file("empty_bounds.lp")).outcome, engine::Outcome::infeasible);
  EXPECT_EQ(solve_quietly(data_file("unbounded_lp.lp")).outcome, engine::Outcome::unbounded);
  // Integer variables and an unbounded relaxation: either could be true.
  EXPECT_EQ(solve_quietly(data_file("unbounded_mip.lp")).outcome,
            engine::Outcome::infeasible_or_unbounded);
}

TEST(EngineSolve, NoSolutionWithoutOptimum) {
  const engine::SolveResult infeasible = solve_quietly(data_file("infeasible_lp.lp"));
  EXPECT_FALSE(infeasible.has_solution);
  const engine::SolveResult unbounded = solve_quietly(data_file("unbounded_lp.lp"));
  EXPECT_FALSE(unbounded.has_solution);
}

TEST(EngineSolve, EmptyProblemIsOptimalAtZero) {
  engine::Problem problem = engine::make_problem();
  engine::SolveOptions options;
  options.log = false;
  const engine::SolveResult result = engine::solve(*problem, options);
  EXPECT_EQ(result.outcome, engine::Outcome::optimal);
  EXPECT_TRUE(result.has_solution);
  EXPECT_EQ(result.objective, 0.0);
}

TEST(EngineSolve, ZeroTimeLimitStopsAtOnce) {
  const engine::SolveResult result = solve_quietly(data_file("decimals.lp"), 0.0);
  EXPECT_EQ(result.outcome, engine::Outcome::time_limit);
  EXPECT_FALSE(result.has_solution);
}

TEST(EngineSolve, StopsAtTheTimeLimit) {
  const engine::SolveResult result = solve_quietly(data_file("market_split_feasibility.lp"), 0.2);
  EXPECT_EQ(result.outcome, engine::Outcome::time_limit);
  EXPECT_FALSE(result.has_solution);
  EXPECT_GE(result.seconds, 0.15);
  EXPECT_LT(result.seconds, 2.0);
}

TEST(EngineSolve, KeepsTheIncumbentAtTheTimeLimit) {
  const engine::SolveResult result = solve_quietly(data_file("market_split_slack.lp"), 0.5);
  EXPECT_EQ(result.outcome, engine::Outcome::time_limit);
  ASSERT_TRUE(result.has_solution);
  EXPECT_GT(result.objective, 0.0);
  // Slacks of integer rows; a heuristic's incumbent carries rounding noise.
  EXPECT_NEAR(result.objective, std::round(result.objective), 1e-6);
}

TEST(EngineSolve, InternalGlpkErrorEndsTheSolveNotTheProcess) {
  engine::Problem problem = read_ok(data_file("glpk_internal_error.lp"));
  ASSERT_TRUE(problem);
  engine::SolveOptions options;
  options.log = false;
  OutputCapture out(1);  // GLPK's own words on the error
  const engine::SolveResult failed = engine::solve(*problem, options);
  EXPECT_NE(out.finish().find("invalid scale factor"), std::string::npos);
  EXPECT_TRUE(failed.glpk_failed);
  EXPECT_FALSE(failed.has_solution);
  EXPECT_EQ(failed.outcome, engine::Outcome::unknown);
  // GLPK freed it with its environment.
  static_cast<void>(problem.release());

  // GLPK starts afresh, with its output switch as the caller left it.
  EXPECT_TRUE(standin_test::glpk_term_out_on());
  const engine::SolveResult next = solve_quietly(data_file("decimals.lp"));
  EXPECT_FALSE(next.glpk_failed);
  EXPECT_EQ(next.outcome, engine::Outcome::optimal);
}

TEST(EngineSolve, LogGoesToStdoutOrSinkAndNowhereWhenOff) {
  engine::Problem problem = read_ok(data_file("decimals.lp"));
  ASSERT_TRUE(problem);
  engine::SolveOptions options;
  {
    OutputCapture out(1);
    engine::solve(*problem, options);
    EXPECT_NE(out.finish(), "");
  }
  {
    std::string sunk;
    options.log_sink = [&sunk](const char* text) { sunk += text; };
    OutputCapture out(1);
    engine::solve(*problem, options);
    EXPECT_EQ(out.finish(), "");
    EXPECT_NE(sunk, "");
  }
  {
    std::string sunk;
    options.log = false;
    options.log_sink = [&sunk](const char* text) { sunk += text; };
    OutputCapture out(1);
    engine::solve(*problem, options);
    EXPECT_EQ(out.finish(), "");
    EXPECT_EQ(sunk, "");
  }
}

TEST(EngineSolve, LeavesGlpkOutputAsFound) {
  engine::Problem problem = read_ok(data_file("unbounded_mip.lp"));  // takes the settling path too
  ASSERT_TRUE(problem);
  for (const bool log : {true, false}) {
    for (const int state : {GLP_ON, GLP_OFF}) {
      glp_term_out(state);
      engine::SolveOptions options;
      options.log = log;
      options.log_sink = [](const char*) {};
      OutputCapture out(1);
      engine::solve(*problem, options);
      out.finish();
      EXPECT_EQ(standin_test::glpk_term_out_on(), state == GLP_ON) << "log " << log;
      EXPECT_TRUE(standin_test::glpk_messages_reach_stdout()) << "log " << log;
    }
  }
  glp_term_out(GLP_ON);
}
