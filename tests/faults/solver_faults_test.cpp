// A model that drives the solver library into an internal error: the library
// reports it, the model keeps its row, and the shell goes on. A Gurobi
// library file that does not load is tried again at the next batch.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "batch.h"
#include "child.h"

namespace vardelmo::test {
namespace {

// GLPK, which the stand-ins solve with, cannot scale a coefficient of 1e304
// and would end the process over it.
const std::string kBreaksGlpk =
    "Minimize\n obj: x + y\nSubject To\n big: 1e304 x = 1\n low: y >= 1\n high: y <= 0\nEnd\n";
const std::string kWentOn = " exit           " + kAfterHelp + kBye;

class SolverFaults : public BatchTest {
 protected:
  void SetUp() override {
    write_file(models.path() / "breaks.lp", kBreaksGlpk);
    place_gurobi_library(work.path());
  }
  // The stand-in's engine is GLPK, which this model breaks.
  ProcessResult run(const std::string& solver) {
    return run_vardelmo(opt_session(models.path(), output.path(), "solver\n" + solver + "\n",
                                    "help\nexit\n"),
                        work.path(), kProgramOnStandIn);
  }
};

TEST_F(SolverFaults, ScipReportsAnLpErrorAndTheModelKeepsItsRow) {
  ProcessResult r = run("SCIP");
  const std::string out = mask_times(r.out);
  // No STATUS line: the status is not in SCIP's table.
  EXPECT_NE(out.find(model_block("breaks.lp", "") + kPrompt + "\n opt "), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - kWentOn.size()), kWentOn);
  EXPECT_TRUE(std::regex_match(
      r.err, std::regex("\\[scip_standin\\.cpp:[0-9]+\\] ERROR: GLPK stopped on an internal error "
                        "while solving; the problem is lost\n"
                        "\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <-6> in function call\n")))
      << r.err;
  EXPECT_EQ(mask_times(csv()),
            results_file({"SCIP;breaks.lp;T;STATUS DESCONHECIDO;100000000000000000000,000000;"}));
  EXPECT_EQ(r.status, 0);
}

TEST_F(SolverFaults, GurobiEndsInNumericTroubleAndTheModelKeepsItsRow) {
  ProcessResult r = run("GUROBI");
  const std::string out = mask_times(r.out);
  EXPECT_NE(out.find(model_block("breaks.lp", "") + kPrompt + "\n opt "), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - kWentOn.size()), kWentOn);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(mask_times(csv()), results_file({"GUROBI;breaks.lp;T;STATUS DESCONHECIDO;;"}));
  EXPECT_EQ(r.status, 0);
}

TEST_F(SolverFaults, GurobiLibraryThatDidNotLoadIsTriedAgainOnceReplaced) {
  write_file(work.path() / "libgurobi110.so", "no library\n");
  const std::string batch = opt_session(models.path(), output.path(), "", "");
  Child child(work.path());
  child.send("solver\nGUROBI\n" + batch);
  ASSERT_TRUE(child.wait_for_output(kAskOutput + kPrompt));
  place_gurobi_library(work.path());
  child.send(batch + "exit\n");
  ChildResult r = child.finish();
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(mask_times(csv()), results_file({"GUROBI;breaks.lp;T;STATUS DESCONHECIDO;;"}));
  EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace vardelmo::test
