// The program's own SCIP declarations against the real library they are
// linked with: the version, and every value the runner relies on. A wrong
// constant compiles and links silently; here it fails.

#include <gtest/gtest.h>
#include <scip/scip.h>
#include <scip/scipdefplugins.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "batch.h"
#include "solvers/scip_runner.h"

// What the check below needs of SCIP's API beyond what the runner calls.
extern "C" {
typedef struct SCIP_Heur SCIP_HEUR;
SCIP_RETCODE SCIPcreateSol(SCIP* scip, SCIP_SOL** sol, SCIP_HEUR* heur);
SCIP_RETCODE SCIPreadSolFile(SCIP* scip, const char* filename, SCIP_SOL* sol, SCIP_Bool xml,
                             SCIP_Bool* partial, SCIP_Bool* error);
SCIP_RETCODE SCIPcheckSolOrig(SCIP* scip, SCIP_SOL* sol, SCIP_Bool* feasible,
                              SCIP_Bool printreason, SCIP_Bool completely);
SCIP_RETCODE SCIPfreeSol(SCIP* scip, SCIP_SOL** sol);
}

namespace vardelmo::test {
namespace {

class ScipLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SCIPcreate(&scip_), SCIP_OKAY);
    ASSERT_EQ(SCIPincludeDefaultPlugins(scip_), SCIP_OKAY);
    ASSERT_EQ(SCIPcreateProbBasic(scip_, "lp_example"), SCIP_OKAY);
  }
  void TearDown() override { EXPECT_EQ(SCIPfree(&scip_), SCIP_OKAY); }
  SCIP_RETCODE read(const std::string& path) { return SCIPreadProb(scip_, path.c_str(), nullptr); }
  SCIP_RETCODE read_model(const std::string& name) {
    return read((fs::path(VARDELMO_TEST_MODELS) / "opt" / name).string());
  }
  SCIP_STATUS solve() {
    EXPECT_EQ(SCIPsetMessagehdlr(scip_, nullptr), SCIP_OKAY);
    EXPECT_EQ(SCIPsolve(scip_), SCIP_OKAY);
    return SCIPgetStatus(scip_);
  }
  SCIP* scip_ = nullptr;
};

TEST_F(ScipLibrary, IsThePinnedVersion) {
  EXPECT_EQ(SCIPmajorVersion(), SCIP_VERSION_MAJOR);
  EXPECT_EQ(std::to_string(SCIPmajorVersion()) + "." + std::to_string(SCIPminorVersion()) + "." +
                std::to_string(SCIPtechVersion()),
            VARDELMO_SCIP_WHEEL_VERSION);
  // The Linux wheel's SCIP is built with zlib, the Windows wheel's without.
#ifdef _WIN32
  EXPECT_FALSE(scip_library_reads_gzip());
#else
  EXPECT_TRUE(scip_library_reads_gzip());
#endif
}

TEST_F(ScipLibrary, ReturnCodes) {
  TempFolder folder;
  EXPECT_EQ(read(folder / "missing.lp"), SCIP_NOFILE);
  EXPECT_EQ(read_model("broken.lp"), SCIP_READERROR);
  EXPECT_EQ(SCIPsetRealParam(scip_, "limits/time", -1.0), SCIP_PARAMETERWRONGVAL);
}

TEST_F(ScipLibrary, OptimalStatusBoundsAndStages) {
  ASSERT_EQ(read_model("decimals.lp"), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStage(scip_), SCIP_STAGE_PROBLEM);
  EXPECT_EQ(solve(), SCIP_STATUS_OPTIMAL);
  EXPECT_EQ(SCIPgetStage(scip_), SCIP_STAGE_SOLVED);
  EXPECT_NEAR(SCIPgetPrimalbound(scip_), 31.3375, 1e-9);
  EXPECT_NEAR(SCIPgetDualbound(scip_), 31.3375, 1e-9);
  EXPECT_EQ(SCIPgetObjsense(scip_), SCIP_OBJSENSE_MAXIMIZE);
}

TEST_F(ScipLibrary, InfeasibleStatus) {
  ASSERT_EQ(read_model("infeasible.lp"), SCIP_OKAY);
  EXPECT_EQ(solve(), SCIP_STATUS_INFEASIBLE);
}

TEST_F(ScipLibrary, UnboundedStatus) {
  ASSERT_EQ(read_model("unbounded.lp"), SCIP_OKAY);
  EXPECT_EQ(solve(), SCIP_STATUS_UNBOUNDED);
}

class ScipLibraryOnAHardModel : public ScipLibrary {
 protected:
  void SetUp() override {
    ScipLibrary::SetUp();
    write_file(folder_.path() / "hard.lp", hard_model());
    ASSERT_EQ(read(folder_ / "hard.lp"), SCIP_OKAY);
  }
  TempFolder folder_;
};

TEST_F(ScipLibraryOnAHardModel, TimeLimitStatus) {
  ASSERT_EQ(SCIPsetRealParam(scip_, "limits/time", 0.2), SCIP_OKAY);
  EXPECT_EQ(solve(), SCIP_STATUS_TIMELIMIT);
  EXPECT_EQ(SCIPgetStage(scip_), SCIP_STAGE_SOLVING);
  EXPECT_EQ(SCIPgetObjsense(scip_), SCIP_OBJSENSE_MINIMIZE);
}

// On Windows the library's C runtime is not the program's, and a signal
// raised through one never reaches the other's handler.
#ifndef _WIN32
TEST_F(ScipLibraryOnAHardModel, UserInterruptStatus) {
  std::thread control_c([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::raise(SIGINT);
  });
  const SCIP_STATUS status = solve();
  control_c.join();
  EXPECT_EQ(status, SCIP_STATUS_USERINTERRUPT);
}
#endif

// Every solution file the program writes, with each solver, is read back
// by SCIP as a feasible solution of its model with the objective it states.
TEST(SavedSolutions, AreFeasibleWithTheirObjective) {
  BatchFolders batch;
  copy_classic_instances(batch.models.path());
  copy_model("decimals.lp", batch.models.path());
  place_gurobi_library(batch.work.path());
#ifdef VARDELMO_WITH_HIGHS
  for (const std::string solver : {"SCIP", "GUROBI", "HIGHS"}) {
#else
  for (const std::string solver : {"SCIP", "GUROBI"}) {
#endif
    fs::remove_all(batch.output.path() / "solucoes");
    batch.run_opt("solver\n" + solver + "\nsave_sol\ns\n");
    std::size_t read = 0;
    for (const std::string& name : listing_order(batch.output.path() / "solucoes")) {
      const std::string model = name.substr(0, name.size() - 4) + ".lp";
      const std::string text = read_file(batch.output.path() / "solucoes" / name);
      ASSERT_EQ(text.rfind("# Objective value = ", 0), 0u) << name;
      const double stated = std::stod(text.substr(20));
      SCIP* scip = nullptr;
      ASSERT_EQ(SCIPcreate(&scip), SCIP_OKAY);
      ASSERT_EQ(SCIPincludeDefaultPlugins(scip), SCIP_OKAY);
      ASSERT_EQ(SCIPsetMessagehdlr(scip, nullptr), SCIP_OKAY);
      ASSERT_EQ(SCIPreadProb(scip, (batch.models / model).c_str(), nullptr), SCIP_OKAY);
      SCIP_SOL* sol = nullptr;
      ASSERT_EQ(SCIPcreateSol(scip, &sol, nullptr), SCIP_OKAY);
      SCIP_Bool partial = 1, error = 1, feasible = 0;
      EXPECT_EQ(SCIPreadSolFile(scip, (batch.output / "solucoes/" + name).c_str(), sol, 0,
                                &partial, &error),
                SCIP_OKAY);
      EXPECT_FALSE(partial || error) << solver << " " << name;
      EXPECT_EQ(SCIPcheckSolOrig(scip, sol, &feasible, 0, 0), SCIP_OKAY);
      EXPECT_TRUE(feasible) << solver << " " << name;
      EXPECT_NEAR(SCIPgetSolOrigObj(scip, sol), stated, 1e-6 * std::max(1.0, std::abs(stated)))
          << solver << " " << name;
      EXPECT_EQ(SCIPfreeSol(scip, &sol), SCIP_OKAY);
      EXPECT_EQ(SCIPfree(&scip), SCIP_OKAY);
      ++read;
    }
    // Every model but the infeasible one.
    EXPECT_EQ(read, 6u) << solver;
  }
}

}  // namespace
}  // namespace vardelmo::test
