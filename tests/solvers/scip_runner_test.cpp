// The SCIP runner against the stand-in's failure injection and call record.

#include <gtest/gtest.h>
#include <scip/scip.h>
#include <scip/standin_control.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "base/platform.h"
#include "results/rows.h"
#include "solvers/runners.h"
#include "solvers/scip_runner.h"
#include "files.h"
#include "program.h"

#if defined(__SANITIZE_ADDRESS__)
#define VARDELMO_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARDELMO_LEAK_CHECKED 1
#endif
#endif
#ifdef VARDELMO_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace vardelmo {
namespace {

using test::read_file;
using test::TempFolder;
using test::write_file;

// A library whose free fails keeps the instance; the leak checker must not
// blame the runner for memory that only the library could give back.
class LibraryKeepsWhatItFailedToFree {
 public:
#ifdef VARDELMO_LEAK_CHECKED
  LibraryKeepsWhatItFailedToFree() { __lsan_disable(); }
  ~LibraryKeepsWhatItFailedToFree() { __lsan_enable(); }
#endif
};

const std::string kModel =
    (std::filesystem::path(VARDELMO_TEST_MODELS) / "opt" / "decimals.lp").string();

class ScipRunner : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::set_process_locale(); }
  void SetUp() override {
    SCIPstandinReset();
    SCIPstandinRecordCalls(1);
  }
  void TearDown() override { SCIPstandinReset(); }
  // The model's row, if the run gave a result.
  std::optional<std::string> run(const std::string& path) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const RunResult result = solve_model({path, ""}, settings);
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    if (!result) return std::nullopt;
    return result_row(*result);
  }
  static std::vector<std::string> calls() {
    std::vector<std::string> names;
    // Error reports are checked on standard error instead.
    for (int i = 0; i < SCIPstandinGetNCalls(); ++i)
      if (std::string(SCIPstandinGetCall(i)).rfind("SCIPmessage", 0) != 0)
        names.push_back(SCIPstandinGetCall(i));
    return names;
  }
  static bool called(const std::string& name) {
    std::vector<std::string> all = calls();
    return std::find(all.begin(), all.end(), name) != all.end();
  }
  SolveSettings settings;
  std::string out, err;
};

TEST_F(ScipRunner, SkipsPathsNotEndingInLpWithoutAnyCall) {
  EXPECT_FALSE(run("/models/MODEL.LP"));
  EXPECT_FALSE(run("/models/model.lp.txt"));
  EXPECT_FALSE(run("l"));
  EXPECT_EQ(out + err, "");
  EXPECT_EQ(SCIPstandinGetNCalls(), 0);
}

TEST_F(ScipRunner, CallsInOrderWithLimitsAndSilencingAfterTheRead) {
  settings.time_limit = 10;
  settings.mem_limit = 100;
  ASSERT_TRUE(run(kModel));
  std::vector<std::string> expected = {"SCIPcreate", "SCIPincludeDefaultPlugins",
                                       "SCIPcreateProbBasic", "SCIPreadProb",
                                       "SCIPsetMessagehdlr", "SCIPsetRealParam",
                                       "SCIPsetRealParam", "SCIPsolve"};
  std::vector<std::string> all = calls();
  ASSERT_GE(all.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + expected.size()), expected);
  EXPECT_EQ(all.back(), "SCIPfree");
  EXPECT_EQ(err, "");
}

TEST_F(ScipRunner, NoLimitAndVerboseTouchNeitherSetting) {
  settings.verbose = true;
  ASSERT_TRUE(run(kModel));
  EXPECT_FALSE(called("SCIPsetRealParam"));
  EXPECT_FALSE(called("SCIPsetMessagehdlr"));
}

TEST_F(ScipRunner, FailedCallsAreReportedAndTheRunGoesOn) {
  SCIPstandinFailNext("SCIPsolve", SCIP_ERROR);
  ASSERT_TRUE(run(kModel));
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <0> in function call\n$")))
      << err;
  EXPECT_EQ(calls().back(), "SCIPfree");

  // Out of memory, SCIP cannot tell what it found: the solver failed.
  for (const char* failing : {"SCIPreadProb", "SCIPsolve"}) {
    SCIPstandinFailNext(failing, SCIP_NOMEMORY);
    EXPECT_EQ(run(kModel), "decimals.lp;0,000000;ERRO NO SOLVER;;") << failing;
    // After the reading report of a model that was read.
    EXPECT_EQ(out.substr(out.find("NOME: ")),
              "NOME: decimals.lp\nTEMPO: 0\nSTATUS: ERRO NO SOLVER\n")
        << failing;
  }
}

TEST_F(ScipRunner, FailedReadSkipsSettingsAndSolveButFreesAndReports) {
  settings.time_limit = 10;
  SCIPstandinFailNext("SCIPreadProb", SCIP_READERROR);
  EXPECT_EQ(run(kModel), "decimals.lp;0,000000;ERRO NA LEITURA DO MODELO;;");
  EXPECT_FALSE(called("SCIPsetRealParam"));
  EXPECT_FALSE(called("SCIPsolve"));
  EXPECT_EQ(calls().back(), "SCIPfree");
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <-2> in function call\n$")))
      << err;
  EXPECT_EQ(out, "NOME: decimals.lp\nTEMPO: 0\nSTATUS: ERRO NA LEITURA DO MODELO\n");
}

TEST_F(ScipRunner, FailedCreationEndsTheRunWithoutARow) {
  SCIPstandinFailNext("SCIPcreate", SCIP_NOMEMORY);
  EXPECT_FALSE(run(kModel));
  EXPECT_EQ(calls(), std::vector<std::string>{"SCIPcreate"});
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <-1> in function call\n$")))
      << err;
  EXPECT_EQ(out, "");
}

TEST_F(ScipRunner, FailedFreeIsReportedToo) {
  SCIPstandinFailNext("SCIPfree", SCIP_ERROR);
  [[maybe_unused]] LibraryKeepsWhatItFailedToFree unfreed;
  ASSERT_TRUE(run(kModel));
  EXPECT_TRUE(std::regex_search(err, std::regex("(^|\n)\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <0> in function call\n$")))
      << err;
}

TEST_F(ScipRunner, ALibraryOfAnotherMajorVersionIsNamed) {
  EXPECT_EQ(scip_library_mismatch(), "");
  SCIPstandinSetMajorVersion(9);
  EXPECT_EQ(scip_library_mismatch(),
            "A biblioteca do SCIP encontrada é a versão 9.0.0, mas o Vardelmo foi feito para o "
            "SCIP 10; nenhum modelo foi resolvido.\n");
}

// `text` gzip-compressed, in a member per part, as `cat a.gz b.gz` makes.
void write_gzip(const std::filesystem::path& path, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    gzFile file = gzopen(path.string().c_str(), "ab");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(gzwrite(file, part.data(), static_cast<unsigned>(part.size())),
              static_cast<int>(part.size()));
    EXPECT_EQ(gzclose(file), Z_OK);
  }
}

// A library that reads no gzip gets a copy, gone after the model, as is a
// killed process's; a file that does not unpack is a model that did not
// read; a library with zlib reads the compressed file itself.
TEST_F(ScipRunner, ACompressedModelIsUnpackedForALibraryThatReadsNoGzip) {
  TempFolder folder, temporary;
  const test::TemporaryFolderOverride isolated(temporary.path());
  const std::filesystem::path abandoned = temporary / "vardelmo-1-1";
  std::filesystem::create_directory(abandoned);
  write_file(abandoned / "lock", "");
  write_file(abandoned / "model.mps", "NAME killed\n");
  const std::string text = read_file(kModel);
  const std::filesystem::path packed = folder / "decimals.lp.gz";
  write_gzip(packed, {text.substr(0, 100), text.substr(100)});
  SCIPstandinReportZlib(0);
  EXPECT_FALSE(scip_library_reads_gzip());
  const std::optional<std::string> row = run(packed.string());
  ASSERT_TRUE(row);
  EXPECT_TRUE(std::regex_match(*row, std::regex("decimals\\.lp\\.gz;[0-9]+,[0-9]{6};SOL OTIMA;31,337500;")))
      << *row;
  EXPECT_NE(out.find("NOME: decimals.lp.gz\n"), std::string::npos) << out;
  EXPECT_EQ(test::listing_order(temporary.path()), std::vector<std::string>{});

  const std::string whole = read_file(packed);
  write_file(packed, whole.substr(0, whole.size() - 10));
  SCIPstandinReset();
  SCIPstandinReportZlib(0);
  SCIPstandinRecordCalls(1);
  EXPECT_EQ(run(packed.string()), "decimals.lp.gz;0,000000;ERRO NA LEITURA DO MODELO;;");
  EXPECT_EQ(out, "NOME: decimals.lp.gz\nTEMPO: 0\nSTATUS: ERRO NA LEITURA DO MODELO\n");
  EXPECT_EQ(err, "Não foi possível descompactar o modelo " + packed.string() + ": " +
                     packed.string() + ": fim inesperado do arquivo comprimido\n");
  EXPECT_FALSE(called("SCIPreadProb"));
  EXPECT_EQ(test::listing_order(temporary.path()), std::vector<std::string>{});

  SCIPstandinReportZlib(1);
  EXPECT_TRUE(scip_library_reads_gzip());
  (void)run(packed.string());
  EXPECT_TRUE(called("SCIPreadProb"));
  EXPECT_EQ(err.find("descompactar"), std::string::npos) << err;
}

}  // namespace
}  // namespace vardelmo
