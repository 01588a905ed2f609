// The client and our Gurobi declarations against the real Gurobi 11, 12 and
// 13 libraries of the pinned gurobipy wheels (on Windows, their DLLs). The
// tests let Gurobi find no licence (each wheel's own stays in the wheel), so
// Gurobi refuses every environment: the program must say so for each model
// and go on.

#include <gtest/gtest.h>
#include <gurobi_c.h>

#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "base/platform.h"
#include "batch.h"

namespace vardelmo::test {
namespace {

struct PinnedLibrary {
  std::string version;
  fs::path file;
};

/// VARDELMO_GUROBI_LIBRARIES: "version=path|..." (tests/CMakeLists.txt).
std::vector<PinnedLibrary> pinned_libraries() {
  std::vector<PinnedLibrary> libraries;
  const std::string list = VARDELMO_GUROBI_LIBRARIES;
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find('|', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    const std::size_t equals = entry.find('=');
    libraries.push_back({entry.substr(0, equals), entry.substr(equals + 1)});
    start = end + 1;
  }
  return libraries;
}

// gtest names a case by its version.
void PrintTo(const PinnedLibrary& library, std::ostream* out) { *out << library.version; }

class GurobiLibrary : public ::testing::TestWithParam<PinnedLibrary> {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.loaded()) << load_error_; }
  /// A function the library exports.
  template <typename Function>
  Function function(const char* name) {
    std::string reason;
    void* address = library_.function(name, reason);
    EXPECT_NE(address, nullptr) << reason;
    return reinterpret_cast<Function>(address);
  }
  /// GRBversion's major, minor and technical number.
  std::tuple<int, int, int> version() {
    int major = 0, minor = 0, technical = 0;
    function<decltype(&GRBversion)>("GRBversion")(&major, &minor, &technical);
    return {major, minor, technical};
  }
  TempFolder no_licence_;
  // A licence of this machine would let Gurobi solve; this file does not
  // exist, and Gurobi then looks nowhere else.
  VariableOverride licence_{"GRB_LICENSE_FILE", (no_licence_.path() / "gurobi.lic").string()};
  std::string load_error_;
  platform::SharedLibrary library_{GetParam().file, load_error_};
};

TEST_P(GurobiLibrary, IsThePinnedVersion) {
  const auto [major, minor, technical] = version();
  const std::string version =
      std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(technical);
  EXPECT_EQ(version, GetParam().version);
  // The declarations are those of one of them.
  if (major == GRB_VERSION_MAJOR) {
    EXPECT_EQ(version, std::to_string(GRB_VERSION_MAJOR) + "." +
                           std::to_string(GRB_VERSION_MINOR) + "." +
                           std::to_string(GRB_VERSION_TECHNICAL));
  }
}

// A refused environment, asked for as the client asks, still takes
// parameters: those the runner sets exist by the declared names.
TEST_P(GurobiLibrary, KnowsTheParametersTheRunnerSets) {
  const auto [major, minor, technical] = version();
  GRBenv* environment = nullptr;
  function<decltype(&GRBloadenvadv)>("GRBloadenvadv")(
      &environment, nullptr, 1, major, minor, technical, nullptr, nullptr, nullptr, nullptr, 0, -1,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
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

// Through the program, from the start folder and from GUROBI_HOME: it loads,
// resolves every function the client calls and reports the licence refusal
// of each model.
TEST_P(GurobiLibrary, LicenceRefusalIsReportedForEachModelAndTheShellGoesOn) {
  const std::string name = GetParam().file.filename().string();
  TempFolder models, output, home;
  copy_model("decimals.lp", models.path());
  copy_model("infeasible.lp", models.path());
  fs::create_directory(home.path() / kGurobiHomeLibraryFolder);
  fs::copy_file(GetParam().file, home.path() / kGurobiHomeLibraryFolder / name);
  for (const bool in_start_folder : {true, false}) {
    TempFolder work;
    std::optional<VariableOverride> installation;
    if (in_start_folder)
      fs::copy_file(GetParam().file, work.path() / name);
    else
      installation.emplace("GUROBI_HOME", home.path().string());
    const ProcessResult r = run_vardelmo("solver\nGUROBI\nopt\n" + models.path().string() + "\n" +
                                             output.path().string() + "\nexit\n",
                                         work.path());
    // Gurobi's own words name the user and the machine.
    const std::regex refusal("Erro do Gurobi \\(código 10009\\): [^\n]+\n");
    EXPECT_EQ(std::regex_replace(r.err, refusal, "refused\n"), "refused\nrefused\n") << r.err;
    EXPECT_EQ(r.out.substr(r.out.rfind(kAskOutput)),
              kAskOutput + model_header(0) + model_header(1) + kPrompt + kBye);
    EXPECT_EQ(r.status, 0);

    const fs::path loaded = in_start_folder ? work.path() / name
                                            : home.path() / kGurobiHomeLibraryFolder / name;
    const ProcessResult version = run_vardelmo("", work.path(), kProgram, {"--version"});
    EXPECT_NE(version.out.find("\nGurobi " + GetParam().version + " (" + loaded.string() + ")\n"),
              std::string::npos)
        << version.out << version.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Pinned, GurobiLibrary, ::testing::ValuesIn(pinned_libraries()),
                         [](const ::testing::TestParamInfo<PinnedLibrary>& info) {
                           return "Gurobi" + info.param.version.substr(0, info.param.version.find('.'));
                         });

}  // namespace
}  // namespace vardelmo::test
