// Inputs at the edges of what the shell is given: a folder of 10,000
// entries, names that are not plain text, and a line of a mebibyte.

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "batch.h"

namespace vardelmo::test {
namespace {

std::string at_least(int k) {
  return "Minimize\n obj: x\nSubject To\n c: x >= " + std::to_string(k) + "\nEnd\n";
}

using LargeFolder = BatchTest;

TEST_F(LargeFolder, TenThousandEntriesAreEachAnnouncedAndEveryModelKeepsItsRow) {
  char name[32];
  for (int i = 0; i < 10000; ++i) {
    if (i % 10 == 0) {
      std::snprintf(name, sizeof name, "m%05d.lp", i);
      write_file(models.path() / name, at_least(i));
    } else {
      std::snprintf(name, sizeof name, "n%05d.txt", i);
      write_file(models.path() / name, "");
    }
  }
  ProcessResult r = run_opt();

  std::string expected = kBanner + kPrompt + kAskModels + kAskOutput;
  std::vector<std::string> rows;
  int i = 0;
  for (const std::string& entry : listing_order(models.path())) {
    expected += model_header(i++);
    if (entry[0] != 'm') continue;
    expected += model_block(entry, "SOL OTIMA");
    rows.push_back("SCIP;" + entry + ";T;SOL OTIMA;" + std::to_string(std::stoi(entry.substr(1))) +
                   ",000000;");
  }
  ASSERT_EQ(i, 10000);
  ASSERT_EQ(rows.size(), 1000u);
  EXPECT_TRUE(mask_console(r.out) == expected + kPrompt + kBye);  // too long to print
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(mask_times(csv()), results_file(rows));
}

// Names the shell must pass on byte for byte: a field separator, blanks, and
// bytes that are not UTF-8 (Latin-1 letters, a lone 0xFF).
const std::vector<std::string> kOddNames = {"a;b", "com espaço", " dois  brancos ",
                                            "a\xe7\xe3o", "\xff"};
// And names that the results file quotes: a double quote, line breaks.
const std::vector<std::string> kQuotedNames = {"diz \"oi\"", "\"", "linha\nquebrada",
                                               "cr\rlf\r\n"};

class OddNames : public ::testing::Test {
 protected:
  void SetUp() override {
    models = parent.path() / "modelos; com \xe9";
    output = parent.path() / "sa\xed" "da;\xff";
    fs::create_directory(models);
    fs::create_directory(output);
  }
  TempFolder work, parent;
  fs::path models, output;
};

// A spreadsheet reads each name back whole from its row of five fields.
TEST_F(OddNames, OptSolvesEachModelAndWritesItsNameUnchanged) {
  for (const std::string& name : kOddNames) copy_model("decimals.lp", models, name + ".lp");
  for (const std::string& name : kQuotedNames) copy_model("decimals.lp", models, name + ".lp");
  place_gurobi_library(work.path());
  for (const std::string solver : {"SCIP", "GUROBI"}) {
    ProcessResult r =
        run_vardelmo(opt_session(models, output, "solver\n" + solver + "\n"), work.path());
    std::string expected;
    // The five fields, and the empty one after the ';' that ends each row.
    std::vector<std::vector<std::string>> rows = {{"SOLVER", "NOME", "TEMPO", "STATUS", "Z"}};
    int i = 0;
    for (const std::string& entry : listing_order(models)) {
      expected += model_header(i++);
      expected += model_block(entry, "SOL OTIMA");
      rows.push_back({solver, entry, "T", "SOL OTIMA", "31,337500", ""});
    }
    const std::string out = mask_console(r.out);
    const std::size_t ask = out.find(kAskOutput);
    ASSERT_NE(ask, std::string::npos) << solver << ":\n" << out;
    EXPECT_EQ(out.substr(ask + kAskOutput.size()), expected + kPrompt + kBye) << solver;
    EXPECT_EQ(mask_library_errors(r.err), "") << solver;
    std::vector<std::vector<std::string>> read = read_csv_fields(output / "sol_stat.csv");
    for (std::size_t row = 1; row < read.size(); ++row)
      if (read[row].size() > 2 && std::regex_match(read[row][2], std::regex("[0-9]+,[0-9]{6}")))
        read[row][2] = "T";
    EXPECT_EQ(read, rows) << solver;
  }
}

TEST_F(OddNames, ModLpWritesEachLpFileBesideItsModel) {
  const std::string model =
      "var y{1..3} integer >= 0;\nmaximize z: y[1] + 2 * y[2] + y[3];\n"
      "s.t. c: y[1] + y[2] + y[3] <= 4.5;\nend;\n";
  for (const std::string& name : kOddNames) write_file(models / (name + ".mod"), model);
  write_file(models / "plain.mod", model);
  ProcessResult r = run_vardelmo("mod_lp\n" + models.string() + "\nexit\n", work.path());
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  for (std::size_t i = 0; i <= kOddNames.size(); ++i)
    EXPECT_NE(r.out.find("Modelo " + std::to_string(i) + " gerado\n"), std::string::npos) << i;
  // The first line names the problem after what GLPK makes of the file name.
  auto problem = [](const fs::path& lp) {
    const std::string text = read_file(lp);
    return text.substr(text.find('\n'));
  };
  const std::string plain = problem(models / "plain.lp");
  ASSERT_NE(plain.find("Maximize\n z: "), std::string::npos) << plain;
  for (const std::string& name : kOddNames) EXPECT_EQ(problem(models / (name + ".lp")), plain) << name;
}

using LongLine = BatchTest;

TEST_F(LongLine, AMebibyteLineIsReadWholeWhereverItIsTyped) {
  write_file(models.path() / "hard.lp", hard_model());
  const std::string mebibyte(1 << 20, 'x');
  const std::string blanks(1 << 20, ' ');
  const std::string digits = "1" + std::string(1 << 20, '0');
  const std::string folder = models.path().string() + "/" + std::string((1 << 20) - 1, 'a');
  const std::string input = mebibyte + "\n" +                        // as a command
                            "opt\n" + folder + "\n" +                 // as the model folder
                            "opt\n" + models.path().string() + "\n" + mebibyte + "\n" +
                            "mod_lp\n" + mebibyte + "\n" +            // as the .mod folder
                            "verbose\n" + mebibyte + "\n" +
                            "solver\n" + mebibyte + "\n" +
                            "time_limit\n" + digits + "\n" +          // out of range
                            "time_limit\n" + blanks + "1\n";          // one second
  ProcessResult r = run_opt(input);
  EXPECT_EQ(mask_console(r.out),
            kBanner + kPrompt +
                kPrompt + kAskModels + kNoModels +
                kPrompt + kAskModels + kAskOutput + kNoOutput +
                kPrompt + kAskModFolder + kNoModFolder +
                kPrompt + kAskVerbose + kBadYesOrNo +
                kPrompt + kAskSolver + kBadSolver +
                kPrompt + kAskTimeLimit + kBadTimeLimit +
                kPrompt + kAskTimeLimit +
                kPrompt + kAskModels + kAskOutput + model_header(0) +
                model_block("hard.lp", "PROCESSO INTERROMPIDO - LIMITE DE TEMPO") +
                kPrompt + kBye);
  EXPECT_EQ(r.err, kUnknownCommand);
  EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace vardelmo::test
