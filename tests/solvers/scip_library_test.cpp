// The program's own SCIP declarations against the real library they are
// linked with: the version, and every value the runner relies on. A wrong
// constant compiles and links silently; here it fails.

#include <gtest/gtest.h>
#include <scip/scip.h>
#include <scip/scipdefplugins.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "batch.h"

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
}

TEST_F(ScipLibrary, ReturnCodes) {
  TempFolder folder;
  EXPECT_EQ(read(folder / "missing.lp"), SCIP_NOFILE);
  EXPECT_EQ(read_model("broken.lp"), SCIP_READERROR);
  EXPECT_EQ(SCIPsetRealParam(scip_, "limits/time", -1.0), SCIP_PARAMETERWRONGVAL);
}

TEST_F(ScipLibrary, OptimalStatusAndBound) {
  ASSERT_EQ(read_model("decimals.lp"), SCIP_OKAY);
  EXPECT_EQ(solve(), SCIP_STATUS_OPTIMAL);
  EXPECT_NEAR(SCIPgetPrimalbound(scip_), 31.3375, 1e-9);
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

}  // namespace
}  // namespace vardelmo::test
