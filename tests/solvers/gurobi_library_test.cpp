// The client and our Gurobi declarations against the real Gurobi 11 library
// of the pinned gurobipy wheel. Its licence has expired and the tests let no
// other licence be found, so Gurobi refuses every environment: the program
// must say so for each model and go on.

#include <gtest/gtest.h>
#include <gurobi_c.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>

#include "base/platform.h"
#include "batch.h"
#include "solvers/gurobi_client.h"

namespace vardelmo::test {
namespace {

class GurobiLibrary : public ::testing::Test {
 protected:
  // A licence of this machine would let Gurobi solve; this file does not
  // exist, and Gurobi then looks nowhere else.
  void SetUp() override {
    ASSERT_EQ(setenv("GRB_LICENSE_FILE", (no_licence_ / "gurobi.lic").c_str(), 1), 0);
  }
  /// A function the library exports, found beside the client's copy.
  template <typename Function>
  Function function(const char* name) {
    std::string reason;
    void* address = library_.function(name, reason);
    EXPECT_NE(address, nullptr) << reason;
    return reinterpret_cast<Function>(address);
  }
  TempFolder no_licence_;
  std::string load_error_;
  platform::SharedLibrary library_{VARDELMO_GUROBI_LIBRARY, load_error_};
};

TEST_F(GurobiLibrary, ExportsEveryFunctionTheClientCalls) {
  try {
    load_gurobi_library();
  } catch (const GurobiLibraryError& error) {
    FAIL() << error.path() << ": " << error.reason();
  }
}

TEST_F(GurobiLibrary, IsThePinnedVersionOfTheDeclaredOne) {
  int major = 0, minor = 0, technical = 0;
  function<void (*)(int*, int*, int*)>("GRBversion")(&major, &minor, &technical);
  const std::string version =
      std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(technical);
  EXPECT_EQ(version, VARDELMO_GUROBI_WHEEL_VERSION);
  EXPECT_EQ(version, std::to_string(GRB_VERSION_MAJOR) + "." + std::to_string(GRB_VERSION_MINOR) +
                         "." + std::to_string(GRB_VERSION_TECHNICAL));
}

// A refused environment still takes parameters: those the runner sets exist
// by the declared names.
TEST_F(GurobiLibrary, KnowsTheParametersTheRunnerSets) {
  GRBenv* environment = nullptr;
  function<decltype(&GRBloadenvadv)>("GRBloadenvadv")(
      &environment, nullptr, 1, GRB_VERSION_MAJOR, GRB_VERSION_MINOR, GRB_VERSION_TECHNICAL,
      nullptr, nullptr, nullptr, nullptr, 0, -1, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr);
  ASSERT_NE(environment, nullptr);
  std::unique_ptr<GRBenv, decltype(&GRBfreeenv)> owner(
      environment, function<decltype(&GRBfreeenv)>("GRBfreeenv"));
  const auto set_int = function<decltype(&GRBsetintparam)>("GRBsetintparam");
  const auto set_double = function<decltype(&GRBsetdblparam)>("GRBsetdblparam");
  EXPECT_EQ(set_int(environment, GRB_INT_PAR_OUTPUTFLAG, 0), 0);
  EXPECT_EQ(set_double(environment, GRB_DBL_PAR_TIMELIMIT, 0.5), 0);
  EXPECT_EQ(set_double(environment, GRB_DBL_PAR_SOFTMEMLIMIT, 0.1), 0);
  EXPECT_EQ(set_int(environment, "NoSuchParameter", 0), GRB_ERROR_UNKNOWN_PARAMETER);
}

TEST_F(GurobiLibrary, LicenceRefusalIsReportedForEachModelAndTheShellGoesOn) {
  TempFolder work, models, output;
  fs::copy_file(VARDELMO_GUROBI_LIBRARY, work.path() / kGurobiLibraryFile);
  copy_model("decimals.lp", models.path());
  copy_model("infeasible.lp", models.path());
  const ProcessResult r = run_vardelmo("solver\nGUROBI\nopt\n" + models.path().string() + "\n" +
                                           output.path().string() + "\nexit\n",
                                       work.path());
  // Gurobi's own words name the user and the machine.
  const std::regex refusal("Erro do Gurobi \\(código 10009\\): [^\n]+\n");
  EXPECT_EQ(std::regex_replace(r.err, refusal, "refused\n"), "refused\nrefused\n") << r.err;
  EXPECT_EQ(r.out.substr(r.out.rfind(kAskOutput)),
            kAskOutput + model_header(0) + model_header(1) + kPrompt + kBye);
  EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace vardelmo::test
