// A model that drives the solver library into an internal error: the library
// reports it, the model keeps its row, and the shell goes on. A Gurobi
// library file that does not load is tried again at the next batch.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "batch.h"
#include "child.h"

#if defined(__SANITIZE_ADDRESS__)
#define VARDELMO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARDELMO_ADDRESS_SANITIZER 1
#endif
#endif

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

using MemoryCap = BatchTest;

// Past a 10 MB limit a worker has a cap of 268 MB: this model needs more for
// SCIP to read it and set out to solve it, before SCIP looks at its limit.
// The allocation that fails costs only the model. AddressSanitizer's
// allocator takes its memory up front, where the cap does not see it grow.
TEST_F(MemoryCap, AWorkerPastItsCapCostsOnlyItsModel) {
#ifdef VARDELMO_ADDRESS_SANITIZER
  GTEST_SKIP() << "AddressSanitizer's allocator";
#endif
  write_file(models.path() / "dense.lp", dense_model(3000));
  copy_model("decimals.lp", models.path());
  ProcessResult r = run_opt("jobs\n2\nmem_limit\n10\n");
  std::string blocks;
  std::vector<std::string> rows;
  int i = 0;
  for (const std::string& name : listing_order(models.path())) {
    const std::string status = name == "dense.lp" ? "ERRO NO SOLVER" : "SOL OTIMA";
    blocks += model_header(i++) + model_block(name, status);
    rows.push_back("SCIP;" + name + ";T;" + status + (name == "dense.lp" ? ";;" : ";31,337500;"));
  }
  EXPECT_EQ(blocks_in_entry_order(mask_console(r.out)),
            kBanner + kPrompt + kAskJobs + kPrompt + kAskMemLimit + kPrompt + kAskModels +
                kAskOutput + blocks + kPrompt + kBye);
  EXPECT_TRUE(std::regex_search(
      mask_library_errors(r.err),
      std::regex("(^|\n)\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <-1> in function call\n")))
      << r.err;
  EXPECT_EQ(mask_times(csv()), results_file(rows));
}

}  // namespace
}  // namespace vardelmo::test
