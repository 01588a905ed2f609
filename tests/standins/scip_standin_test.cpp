#include <glpk.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <functional>
#include <limits>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "scip/scip.h"
#include "scip/scipdefplugins.h"
#include "scip/standin_control.h"
#include "support/standin_test_support.h"

using standin_test::count_of;
using standin_test::data_file;
using standin_test::OutputCapture;
using standin_test::TempDir;

namespace {

// Owns one SCIP instance with the default plugins.
class Instance {
 public:
  explicit Instance(bool plugins = true) {
    EXPECT_EQ(SCIPcreate(&scip_), SCIP_OKAY);
    if (scip_ != nullptr && plugins) {
      EXPECT_EQ(SCIPincludeDefaultPlugins(scip_), SCIP_OKAY);
    }
  }
  ~Instance() {
    if (scip_ != nullptr) SCIPfree(&scip_);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  SCIP* get() const { return scip_; }
  void silence() const { EXPECT_EQ(SCIPsetMessagehdlr(scip_, nullptr), SCIP_OKAY); }

 private:
  SCIP* scip_ = nullptr;
};

// A whole line of the form SCIP prints its errors in.
bool is_error_line(const std::string& text, const std::string& detail) {
  static const std::regex shape(R"(\[[^:\]]+:[0-9]+\] ERROR: .*\n)");
  return std::regex_match(text, shape) && text.find(detail) != std::string::npos;
}

struct Outcome {
  const char* file;
  SCIP_STATUS status;
  double primal_bound;
};

void PrintTo(const Outcome& outcome, std::ostream* out) { *out << outcome.file; }

}  // namespace

class ScipRead : public ::testing::Test {
 protected:
  Instance scip;
  TempDir temp;
};

TEST_F(ScipRead, ReportsTheOriginalProblemSize) {
  OutputCapture out(1);
  const SCIP_RETCODE rc = SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr);
  const std::string text = out.finish();
  EXPECT_EQ(rc, SCIP_OKAY);
  EXPECT_EQ(text,
            "original problem has 5 variables (1 bin, 3 int, 0 impl, 1 cont) and 3 constraints\n");
}

TEST_F(ScipRead, ChoosesTheReaderByExtension) {
  const std::string model = vardelmo::test::read_file(data_file("decimals.lp"));
  scip.silence();
  EXPECT_EQ(SCIPreadProb(scip.get(), temp.write("upper.LP", model).c_str(), nullptr), SCIP_OKAY);
  EXPECT_EQ(SCIPreadProb(scip.get(), temp.write("model.txt", model).c_str(), "lp"), SCIP_OKAY);

  // MPS and gzip-compressed files, as the program's tests of them need.
  for (const char* name : {"egout.mps", "flugpl.mps.gz", "lseu.lp.gz"})
    EXPECT_EQ(SCIPreadProb(scip.get(),
                           data_file(std::string("../../data/formats/") + name).c_str(), nullptr),
              SCIP_OKAY)
        << name;

  OutputCapture err(2);
  EXPECT_EQ(SCIPreadProb(scip.get(), temp.write("model", model).c_str(), nullptr),
            SCIP_PLUGINNOTFOUND);
  // The missing file is not even looked for without a reader for it.
  EXPECT_EQ(SCIPreadProb(scip.get(), (temp.path() + "/missing.bz2").c_str(), nullptr),
            SCIP_PLUGINNOTFOUND);
  EXPECT_EQ(count_of(err.finish(), "no reader for input file"), 2);
}

TEST_F(ScipRead, NeedsTheDefaultPlugins) {
  Instance bare(false);
  OutputCapture err(2);
  EXPECT_EQ(SCIPreadProb(bare.get(), data_file("decimals.lp").c_str(), nullptr),
            SCIP_PLUGINNOTFOUND);
  EXPECT_TRUE(
      is_error_line(err.finish(), "no reader for input file <" + data_file("decimals.lp") + ">"));
}

TEST_F(ScipRead, IncludingThePluginsTwiceIsAnError) {
  OutputCapture err(2);
  EXPECT_EQ(SCIPincludeDefaultPlugins(scip.get()), SCIP_INVALIDDATA);
  EXPECT_TRUE(is_error_line(err.finish(), "already included"));
}

TEST_F(ScipRead, MissingFileOrFolder) {
  const std::string missing = temp.path() + "/missing.lp";
  {
    OutputCapture err(2);
    EXPECT_EQ(SCIPreadProb(scip.get(), missing.c_str(), nullptr), SCIP_NOFILE);
    EXPECT_TRUE(is_error_line(err.finish(),
                              "cannot open file <" + missing + "> for reading: No such file"));
  }
  {
    const std::string folder = temp.path() + "/folder.lp";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    OutputCapture err(2);
    EXPECT_EQ(SCIPreadProb(scip.get(), folder.c_str(), nullptr), SCIP_NOFILE);
    EXPECT_TRUE(is_error_line(err.finish(),
                              "cannot open file <" + folder + "> for reading: Is a directory"));
  }
}

TEST_F(ScipRead, SyntaxErrorNamesFileAndLine) {
  OutputCapture out(1);
  OutputCapture err(2);
  EXPECT_EQ(SCIPreadProb(scip.get(), data_file("syntax_error.lp").c_str(), nullptr),
            SCIP_READERROR);
  EXPECT_TRUE(is_error_line(
      err.finish(), data_file("syntax_error.lp") + ":5: invalid symbol(s) beyond right-hand side"));
  EXPECT_EQ(out.finish(), "");
}

TEST_F(ScipRead, FailedReadLeavesNoProblem) {
  scip.silence();
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  OutputCapture err(2);
  EXPECT_EQ(SCIPreadProb(scip.get(), data_file("syntax_error.lp").c_str(), nullptr),
            SCIP_READERROR);
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_INVALIDCALL);
  EXPECT_NE(err.finish().find("cannot be called in the initialization stage"), std::string::npos);
}

TEST_F(ScipRead, ReadingAgainForgetsTheLastSolve) {
  scip.silence();
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  ASSERT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_OPTIMAL);
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("infeasible_lp.lp").c_str(), nullptr), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_UNKNOWN);
  EXPECT_EQ(SCIPgetSolvingTime(scip.get()), 0.0);
  EXPECT_EQ(SCIPgetPrimalbound(scip.get()), 1e20);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_INFEASIBLE);
}

TEST(ScipParameters, TimeLimitRange) {
  Instance scip;
  for (const double good : {0.0, 0.2, 3600.0, 1e20}) {
    EXPECT_EQ(SCIPsetRealParam(scip.get(), "limits/time", good), SCIP_OKAY) << good;
  }
  for (const double bad : {-1.0, -1e-9, 1.0000001e20, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()}) {
    OutputCapture err(2);
    EXPECT_EQ(SCIPsetRealParam(scip.get(), "limits/time", bad), SCIP_PARAMETERWRONGVAL) << bad;
    EXPECT_TRUE(
        is_error_line(err.finish(), "for real parameter <limits/time>. Must be in range [0,1e+20]"))
        << bad;
  }
  OutputCapture err(2);
  EXPECT_EQ(SCIPsetRealParam(scip.get(), "limits/time", -5.0), SCIP_PARAMETERWRONGVAL);
  EXPECT_TRUE(is_error_line(err.finish(), "Invalid value <-5> for real parameter <limits/time>"));
}

TEST(ScipParameters, UnknownNames) {
  Instance scip;
  for (const char* name : {"limits/nodes", "Limits/Time", "limits/time ", ""}) {
    OutputCapture err(2);
    EXPECT_EQ(SCIPsetRealParam(scip.get(), name, 1.0), SCIP_PARAMETERUNKNOWN) << name;
    EXPECT_TRUE(is_error_line(err.finish(), std::string("parameter <") + name + "> unknown"))
        << name;
  }
  OutputCapture err(2);
  EXPECT_EQ(SCIPsetRealParam(scip.get(), nullptr, 1.0), SCIP_PARAMETERUNKNOWN);
}

class ScipOutcomes : public ::testing::TestWithParam<Outcome> {};

TEST_P(ScipOutcomes, StatusAndPrimalBound) {
  Instance scip;
  scip.silence();
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file(GetParam().file).c_str(), nullptr), SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), GetParam().status);
  EXPECT_NEAR(SCIPgetPrimalbound(scip.get()), GetParam().primal_bound, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Models, ScipOutcomes,
    ::testing::Values(Outcome{"decimals.lp", SCIP_STATUS_OPTIMAL, 31.125},
                      Outcome{"infeasible_lp.lp", SCIP_STATUS_INFEASIBLE, 1e20},
                      Outcome{"infeasible_max.lp", SCIP_STATUS_INFEASIBLE, -1e20},
                      Outcome{"integer_infeasible.lp", SCIP_STATUS_INFEASIBLE, 1e20},
                      Outcome{"empty_bounds.lp", SCIP_STATUS_INFEASIBLE, 1e20},
                      Outcome{"unbounded_lp.lp", SCIP_STATUS_UNBOUNDED, -1e20},
                      Outcome{"unbounded_mip.lp", SCIP_STATUS_INFORUNBD, 1e20}));

TEST(ScipSolve, NothingKnownBeforeSolving) {
  Instance scip;
  scip.silence();
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_UNKNOWN);
  EXPECT_EQ(SCIPgetSolvingTime(scip.get()), 0.0);
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_UNKNOWN);
  EXPECT_EQ(SCIPgetSolvingTime(scip.get()), 0.0);
  EXPECT_EQ(SCIPgetPrimalbound(scip.get()), -1e20);  // a maximisation
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("infeasible_lp.lp").c_str(), nullptr), SCIP_OKAY);
  EXPECT_EQ(SCIPgetPrimalbound(scip.get()), 1e20);
}

TEST(ScipSolve, InternalGlpkErrorIsAnLpErrorThatLosesTheProblem) {
  Instance scip;
  scip.silence();
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("glpk_internal_error.lp").c_str(), nullptr),
            SCIP_OKAY);
  Instance bystander;
  bystander.silence();
  ASSERT_EQ(SCIPreadProb(bystander.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  OutputCapture out(1);
  OutputCapture err(2);
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_LPERROR);
  EXPECT_TRUE(is_error_line(err.finish(), "GLPK stopped on an internal error while solving"));
  EXPECT_NE(out.finish().find("invalid scale factor"), std::string::npos);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_UNKNOWN);
  EXPECT_EQ(SCIPgetSolvingTime(scip.get()), 0.0);
  EXPECT_EQ(SCIPgetPrimalbound(scip.get()), 1e20);
  // Back before reading: solving needs a problem again, reading works.
  OutputCapture again(2);
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_INVALIDCALL);
  again.finish();
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_OPTIMAL);
  // GLPK freed the other instance's problem too; freeing that instance
  // leaves GLPK's new environment alone.
  OutputCapture lost(2);
  EXPECT_EQ(SCIPsolve(bystander.get()), SCIP_LPERROR);
  EXPECT_TRUE(is_error_line(lost.finish(), "the problem is lost"));
  EXPECT_EQ(SCIPgetStatus(bystander.get()), SCIP_STATUS_UNKNOWN);
}

TEST(ScipSolve, CreatedProblemIsEmptyAndOptimal) {
  Instance scip;
  scip.silence();
  ASSERT_EQ(SCIPcreateProbBasic(scip.get(), "empty"), SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_OPTIMAL);
  EXPECT_EQ(SCIPgetPrimalbound(scip.get()), 0.0);
}

TEST(ScipSolve, NeedsAProblem) {
  Instance scip;
  OutputCapture err(2);
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_INVALIDCALL);
  EXPECT_TRUE(is_error_line(err.finish(),
                            "method <SCIPsolve> cannot be called in the initialization stage"));
}

TEST(ScipSolve, StopsAtTheTimeLimit) {
  Instance scip;
  scip.silence();
  ASSERT_EQ(SCIPsetRealParam(scip.get(), "limits/time", 0.2), SCIP_OKAY);
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("market_split_feasibility.lp").c_str(), nullptr),
            SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_TIMELIMIT);
  EXPECT_EQ(SCIPgetPrimalbound(scip.get()), 1e20);
  const double first = SCIPgetSolvingTime(scip.get());
  EXPECT_GE(first, 0.15);
  EXPECT_LT(first, 2.0);
}

TEST(ScipSolve, KeepsTheIncumbentAtTheTimeLimit) {
  Instance scip;
  scip.silence();
  ASSERT_EQ(SCIPsetRealParam(scip.get(), "limits/time", 0.5), SCIP_OKAY);
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("market_split_slack.lp").c_str(), nullptr),
            SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_TIMELIMIT);
  EXPECT_GT(SCIPgetPrimalbound(scip.get()), 0.0);
  EXPECT_LT(SCIPgetPrimalbound(scip.get()), 1e20);
}

TEST(ScipOutput, LogOfReadAndSolve) {
  Instance scip;
  OutputCapture out(1);
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  const std::string text = out.finish();
  EXPECT_EQ(
      text.rfind(
          "original problem has 5 variables (1 bin, 3 int, 0 impl, 1 cont) and 3 constraints\n", 0),
      0u)
      << text;
  EXPECT_EQ(count_of(text, "stand-in"), 1) << text;
  EXPECT_EQ(count_of(text, std::string("GLPK ") + glp_version()), 1) << text;
  EXPECT_NE(text.find("SCIP Status        : problem is solved [optimal solution found]"),
            std::string::npos);
  EXPECT_NE(text.find("Primal Bound       : +3.11250000000000e+01"), std::string::npos);
}

TEST(ScipOutput, SilencedInstancePrintsNothing) {
  for (const char* file : {"decimals.lp", "unbounded_mip.lp", "market_split_slack.lp"}) {
    Instance scip;
    scip.silence();
    ASSERT_EQ(SCIPsetRealParam(scip.get(), "limits/time", 0.2), SCIP_OKAY);
    OutputCapture out(1);
    ASSERT_EQ(SCIPreadProb(scip.get(), data_file(file).c_str(), nullptr), SCIP_OKAY);
    ASSERT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
    EXPECT_EQ(out.finish(), "") << file;
  }
}

TEST(ScipOutput, SilencingOneInstanceLeavesOthersTalking) {
  Instance quiet;
  quiet.silence();
  Instance talking;
  OutputCapture out(1);
  ASSERT_EQ(SCIPreadProb(talking.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  EXPECT_NE(out.finish(), "");
}

TEST(ScipOutput, ErrorsStillShowWhenSilenced) {
  Instance scip;
  scip.silence();
  OutputCapture err(2);
  EXPECT_EQ(SCIPreadProb(scip.get(), data_file("syntax_error.lp").c_str(), nullptr),
            SCIP_READERROR);
  EXPECT_NE(err.finish(), "");
}

TEST(ScipOutput, OnlyNullMessageHandlerIsKnown) {
  Instance scip;
  int not_a_handler = 0;
  OutputCapture err(2);
  EXPECT_EQ(SCIPsetMessagehdlr(scip.get(), reinterpret_cast<SCIP_MESSAGEHDLR*>(&not_a_handler)),
            SCIP_INVALIDDATA);
  EXPECT_TRUE(is_error_line(err.finish(), "message handler"));
}

TEST(ScipOutput, ErrorMessageFunctions) {
  OutputCapture out(1);
  OutputCapture err(2);
  SCIPmessagePrintErrorHeader("src/solvers/scip_backend.cpp", 42);
  SCIPmessagePrintError("could not read <%s>: %d\n", "model.lp", -2);
  EXPECT_EQ(err.finish(), "[src/solvers/scip_backend.cpp:42] ERROR: could not read <model.lp>: -2\n");
  EXPECT_EQ(out.finish(), "");
}

// Each call must leave GLPK's terminal output as it found it: on or off
// (the parameter), and without a terminal hook of ours left installed.
class ScipGlpkState : public ::testing::TestWithParam<std::tuple<bool, int>> {
 protected:
  void check(const char* what, const std::function<void()>& call) {
    const int state = std::get<1>(GetParam());
    glp_term_out(state);
    {
      OutputCapture out(1);
      OutputCapture err(2);
      call();
    }
    EXPECT_EQ(standin_test::glpk_term_out_on(), state == GLP_ON) << what;
    EXPECT_TRUE(standin_test::glpk_messages_reach_stdout()) << what;
  }
  void TearDown() override { glp_term_out(GLP_ON); }
};

TEST_P(ScipGlpkState, EveryCallLeavesGlpkOutputAsFound) {
  SCIP* scip = nullptr;
  check("SCIPcreate", [&] { ASSERT_EQ(SCIPcreate(&scip), SCIP_OKAY); });
  ASSERT_NE(scip, nullptr);
  if (std::get<0>(GetParam()))
    check("SCIPsetMessagehdlr", [&] { SCIPsetMessagehdlr(scip, nullptr); });
  check("SCIPincludeDefaultPlugins", [&] { SCIPincludeDefaultPlugins(scip); });
  check("SCIPsetRealParam", [&] { SCIPsetRealParam(scip, "limits/time", 30.0); });
  check("SCIPreadProb missing", [&] { SCIPreadProb(scip, "/nonexistent/model.lp", nullptr); });
  check("SCIPreadProb broken",
        [&] { SCIPreadProb(scip, data_file("syntax_error.lp").c_str(), nullptr); });
  check("SCIPreadProb",
        [&] { SCIPreadProb(scip, data_file("unbounded_mip.lp").c_str(), nullptr); });
  check("SCIPsolve", [&] { SCIPsolve(scip); });
  check("SCIPcreateProbBasic", [&] { SCIPcreateProbBasic(scip, "empty"); });
  check("SCIPsolve empty", [&] { SCIPsolve(scip); });
  check("getters", [&] {
    SCIPgetStatus(scip);
    SCIPgetPrimalbound(scip);
    SCIPgetSolvingTime(scip);
  });
  check("SCIPfree", [&] { SCIPfree(&scip); });
  EXPECT_EQ(scip, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Output, ScipGlpkState,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(GLP_ON, GLP_OFF)),
                         [](const ::testing::TestParamInfo<std::tuple<bool, int>>& info) {
                           return std::string(std::get<0>(info.param) ? "Silenced" : "Talking") +
                                  (std::get<1>(info.param) == GLP_ON ? "GlpkOn" : "GlpkOff");
                         });

TEST(ScipNullInstance, ErrorsInsteadOfCrashes) {
  OutputCapture err(2);
  EXPECT_EQ(SCIPcreate(nullptr), SCIP_ERROR);
  EXPECT_EQ(SCIPincludeDefaultPlugins(nullptr), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPcreateProbBasic(nullptr, "x"), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPreadProb(nullptr, data_file("decimals.lp").c_str(), nullptr), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPsetRealParam(nullptr, "limits/time", 1.0), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPsetMessagehdlr(nullptr, nullptr), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPsolve(nullptr), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPgetStatus(nullptr), SCIP_STATUS_UNKNOWN);
  EXPECT_EQ(SCIPgetSolvingTime(nullptr), 0.0);
  EXPECT_EQ(SCIPgetPrimalbound(nullptr), 1e20);
  SCIP* none = nullptr;
  EXPECT_EQ(SCIPfree(&none), SCIP_INVALIDCALL);
  EXPECT_EQ(SCIPfree(nullptr), SCIP_INVALIDCALL);
  const std::string text = err.finish();
  EXPECT_EQ(count_of(text, "] ERROR: "), 12) << text;
}

TEST(ScipNullInstance, NullNamesAreRefused) {
  Instance scip;
  OutputCapture err(2);
  EXPECT_EQ(SCIPcreateProbBasic(scip.get(), nullptr), SCIP_INVALIDDATA);
  EXPECT_EQ(SCIPreadProb(scip.get(), nullptr, nullptr), SCIP_INVALIDDATA);
}

class ScipControl : public ::testing::Test {
 protected:
  void SetUp() override { SCIPstandinReset(); }
  void TearDown() override { SCIPstandinReset(); }

  static std::vector<std::string> recorded() {
    std::vector<std::string> names;
    for (int i = 0; i < SCIPstandinGetNCalls(); ++i) names.emplace_back(SCIPstandinGetCall(i));
    return names;
  }
};

TEST_F(ScipControl, OnlyFunctionsReturningRetcodesCanFail) {
  for (const char* name :
       {"SCIPcreate", "SCIPincludeDefaultPlugins", "SCIPcreateProbBasic", "SCIPreadProb",
        "SCIPsetRealParam", "SCIPsetMessagehdlr", "SCIPsolve", "SCIPfree"}) {
    EXPECT_EQ(SCIPstandinFailNext(name, SCIP_ERROR), 1) << name;
  }
  SCIPstandinReset();  // disarms them all again
  for (const char* name :
       {"SCIPgetStatus", "SCIPgetPrimalbound", "SCIPgetSolvingTime", "SCIPmessagePrintError",
        "SCIPreadprob", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(SCIPstandinFailNext(name, SCIP_ERROR), 0) << (name != nullptr ? name : "NULL");
  }
  Instance scip;
  scip.silence();
  EXPECT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
}

TEST_F(ScipControl, FailedReadDoesNothingElse) {
  Instance scip;
  ASSERT_EQ(SCIPstandinFailNext("SCIPreadProb", SCIP_READERROR), 1);
  OutputCapture out(1);
  OutputCapture err(2);
  EXPECT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_READERROR);
  EXPECT_EQ(out.finish(), "");  // nothing was read
  EXPECT_TRUE(is_error_line(err.finish(), "SCIPreadProb"));
  scip.silence();
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_INVALIDCALL);
  // Only the next call fails.
  EXPECT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
}

TEST_F(ScipControl, FailureWaitsForTheNamedFunction) {
  Instance scip;
  scip.silence();
  ASSERT_EQ(SCIPstandinFailNext("SCIPsolve", SCIP_NOMEMORY), 1);
  ASSERT_EQ(SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr), SCIP_OKAY);
  OutputCapture err(2);
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_NOMEMORY);
  err.finish();
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_UNKNOWN);
  EXPECT_EQ(SCIPsolve(scip.get()), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip.get()), SCIP_STATUS_OPTIMAL);
}

TEST_F(ScipControl, FailedCreateLeavesThePointerAlone) {
  SCIP* scip = nullptr;
  ASSERT_EQ(SCIPstandinFailNext("SCIPcreate", SCIP_NOMEMORY), 1);
  OutputCapture err(2);
  EXPECT_EQ(SCIPcreate(&scip), SCIP_NOMEMORY);
  EXPECT_EQ(scip, nullptr);
}

TEST_F(ScipControl, RecordsCallsInOrder) {
  SCIPstandinRecordCalls(1);
  {
    Instance scip;
    scip.silence();
    SCIPsetRealParam(scip.get(), "limits/time", 10.0);
    SCIPreadProb(scip.get(), data_file("decimals.lp").c_str(), nullptr);
    SCIPsolve(scip.get());
    SCIPgetStatus(scip.get());
    SCIPgetPrimalbound(scip.get());
    SCIPgetSolvingTime(scip.get());
    OutputCapture err(2);
    SCIPmessagePrintErrorHeader("x.c", 1);
    SCIPmessagePrintError("text\n");
  }
  EXPECT_EQ(recorded(), (std::vector<std::string>{
                            "SCIPcreate", "SCIPincludeDefaultPlugins", "SCIPsetMessagehdlr",
                            "SCIPsetRealParam", "SCIPreadProb", "SCIPsolve", "SCIPgetStatus",
                            "SCIPgetPrimalbound", "SCIPgetSolvingTime",
                            "SCIPmessagePrintErrorHeader", "SCIPmessagePrintError", "SCIPfree"}));
  EXPECT_EQ(SCIPstandinGetCall(-1), nullptr);
  EXPECT_EQ(SCIPstandinGetCall(SCIPstandinGetNCalls()), nullptr);
}

TEST_F(ScipControl, RecordsFailedCallsToo) {
  SCIPstandinRecordCalls(1);
  SCIPstandinFailNext("SCIPcreate", SCIP_ERROR);
  SCIP* scip = nullptr;
  OutputCapture err(2);
  SCIPcreate(&scip);
  EXPECT_EQ(recorded(), std::vector<std::string>{"SCIPcreate"});
}

TEST_F(ScipControl, RecordsOnlyWhileAskedAndResetForgets) {
  OutputCapture err(2);
  SCIPgetStatus(nullptr);  // not recording yet
  SCIPstandinRecordCalls(1);
  SCIPgetStatus(nullptr);
  SCIPstandinRecordCalls(0);
  SCIPgetSolvingTime(nullptr);
  EXPECT_EQ(recorded(), std::vector<std::string>{"SCIPgetStatus"});
  SCIPstandinReset();
  EXPECT_EQ(SCIPstandinGetNCalls(), 0);
  SCIPgetStatus(nullptr);  // reset also stops recording
  EXPECT_EQ(SCIPstandinGetNCalls(), 0);
}
