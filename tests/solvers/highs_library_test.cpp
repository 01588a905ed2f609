// The program's own HiGHS declarations (declarations/highs) against the real
// library they are linked with: the version, the index size, and every value
// and call the runner relies on. A wrong constant compiles and links
// silently; here it fails.

#include <gtest/gtest.h>
#include <interfaces/highs_c_api.h>

#include <cstdint>
#include <string>

#include "batch.h"
#include "solvers/highs_runner.h"

namespace vardelmo::test {
namespace {

class HighsLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(highs_, nullptr);
    ASSERT_EQ(Highs_setBoolOptionValue(highs_, "output_flag", 0), kHighsStatusOk);
    ASSERT_EQ(Highs_setIntOptionValue(highs_, "threads", 1), kHighsStatusOk);
  }
  void TearDown() override { Highs_destroy(highs_); }
  HighsInt read_model(const std::string& name) {
    return Highs_readModel(highs_, (fs::path(VARDELMO_TEST_MODELS) / "opt" / name).string().c_str());
  }
  HighsInt solve() {
    EXPECT_NE(Highs_run(highs_), kHighsStatusError);
    return Highs_getModelStatus(highs_);
  }
  HighsInt int_info(const char* name) {
    HighsInt value = -7;
    EXPECT_EQ(Highs_getIntInfoValue(highs_, name, &value), kHighsStatusOk) << name;
    return value;
  }
  double double_info(const char* name) {
    double value = -7;
    EXPECT_EQ(Highs_getDoubleInfoValue(highs_, name, &value), kHighsStatusOk) << name;
    return value;
  }
  int64_t nodes() {
    int64_t value = -7;
    EXPECT_EQ(Highs_getInt64InfoValue(highs_, "mip_node_count", &value), kHighsStatusOk);
    return value;
  }
  void* highs_ = Highs_create();
};

TEST_F(HighsLibrary, IsThePinnedVersionWithTheDeclaredIndexSize) {
  EXPECT_EQ(Highs_version(), std::string(VARDELMO_HIGHS_VERSION));
  EXPECT_EQ(std::to_string(Highs_versionMajor()) + "." + std::to_string(Highs_versionMinor()) +
                "." + std::to_string(Highs_versionPatch()),
            VARDELMO_HIGHS_VERSION);
  EXPECT_EQ(Highs_getSizeofHighsInt(highs_), static_cast<HighsInt>(sizeof(HighsInt)));
  // What the build was told of the library's zlib (its pin file).
  const std::string packed = (fs::path(VARDELMO_TESTDATA) / "formats" / "lseu.lp.gz").string();
  EXPECT_EQ(Highs_readModel(highs_, packed.c_str()) != kHighsStatusError, highs_library_reads_gzip());
}

TEST_F(HighsLibrary, ReadErrorsAndOptionErrors) {
  TempFolder folder;
  EXPECT_EQ(Highs_readModel(highs_, (folder / "missing.lp").c_str()), kHighsStatusError);
  EXPECT_EQ(Highs_readModel(highs_, folder.path().string().c_str()), kHighsStatusError);
  EXPECT_EQ(read_model("broken.lp"), kHighsStatusError);
  EXPECT_EQ(Highs_setDoubleOptionValue(highs_, "time_limit", -1.0), kHighsStatusError);
  EXPECT_EQ(Highs_setIntOptionValue(highs_, "no_such_option", 1), kHighsStatusError);
}

// A MIP: its bound, gap and nodes; the columns' names and values.
TEST_F(HighsLibrary, OptimalMipWithItsFiguresAndSolution) {
  ASSERT_EQ(read_model("decimals.lp"), kHighsStatusOk);
  EXPECT_EQ(solve(), kHighsModelStatusOptimal);
  EXPECT_EQ(int_info("primal_solution_status"), kHighsSolutionStatusFeasible);
  EXPECT_NEAR(Highs_getObjectiveValue(highs_), 31.3375, 1e-9);
  EXPECT_NEAR(double_info("mip_dual_bound"), 31.3375, 1e-9);
  EXPECT_NEAR(double_info("mip_gap"), 0, 1e-9);
  EXPECT_GE(nodes(), 1);
  EXPECT_GT(Highs_getRunTime(highs_), 0);
  HighsInt sense = 0;
  ASSERT_EQ(Highs_getObjectiveSense(highs_, &sense), kHighsStatusOk);
  EXPECT_EQ(sense, kHighsObjSenseMaximize);
  ASSERT_EQ(Highs_getNumCol(highs_), 3);
  double values[3] = {-1, -1, -1};
  ASSERT_EQ(Highs_getSolution(highs_, values, nullptr, nullptr, nullptr), kHighsStatusOk);
  char name[kHighsMaximumStringLength + 1] = "";
  ASSERT_EQ(Highs_getColName(highs_, 0, name), kHighsStatusOk);
  EXPECT_EQ(std::string(name), "x");
  EXPECT_NE(values[0], -1);
}

// An LP: no MIP figures (the runner tells an LP by its node count of -1).
TEST_F(HighsLibrary, InfeasibleAndUnboundedLps) {
  ASSERT_EQ(read_model("infeasible.lp"), kHighsStatusOk);
  EXPECT_EQ(solve(), kHighsModelStatusInfeasible);
  EXPECT_EQ(int_info("primal_solution_status"), kHighsSolutionStatusNone);
  EXPECT_EQ(nodes(), -1);
  ASSERT_EQ(read_model("unbounded.lp"), kHighsStatusOk);
  EXPECT_EQ(solve(), kHighsModelStatusUnbounded);
  EXPECT_GE(Highs_getInfinity(highs_), 1e30);
}

class HighsLibraryOnAHardModel : public HighsLibrary {
 protected:
  void SetUp() override {
    HighsLibrary::SetUp();
    write_file(folder_.path() / "hard.lp", hard_model(true));
    ASSERT_EQ(Highs_readModel(highs_, (folder_ / "hard.lp").c_str()), kHighsStatusOk);
  }
  TempFolder folder_;
};

TEST_F(HighsLibraryOnAHardModel, TimeLimitStatusWithGap) {
  ASSERT_EQ(Highs_setDoubleOptionValue(highs_, "time_limit", 0.2), kHighsStatusOk);
  EXPECT_EQ(solve(), kHighsModelStatusTimeLimit);
  EXPECT_GT(double_info("mip_gap"), 0);
}

// Each interrupt callback the runner starts is one HiGHS has, and an answer
// of user_interrupt ends the solve with the Interrupt status.
TEST_F(HighsLibraryOnAHardModel, InterruptCallbacksStopTheSolve) {
  int asked = 0;
  auto interrupt = [](int type, const char*, const HighsCallbackDataOut*, HighsCallbackDataIn* in,
                      void* count) {
    if (type == kHighsCallbackMipInterrupt && ++*static_cast<int*>(count) >= 50)
      in->user_interrupt = 1;
  };
  ASSERT_EQ(Highs_setCallback(highs_, interrupt, &asked), kHighsStatusOk);
  for (HighsInt type :
       {kHighsCallbackMipInterrupt, kHighsCallbackSimplexInterrupt, kHighsCallbackIpmInterrupt})
    EXPECT_EQ(Highs_startCallback(highs_, type), kHighsStatusOk) << type;
  EXPECT_EQ(solve(), kHighsModelStatusInterrupt);
  EXPECT_GE(asked, 50);
}

}  // namespace
}  // namespace vardelmo::test
