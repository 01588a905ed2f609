// `opt` end to end through the binary, with the SCIP solver, and with HiGHS
// where the build has it.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>

#include "base/process.h"
#include "batch.h"

namespace vardelmo::test {
namespace {

using Opt = BatchTest;

TEST_F(Opt, EmptyFolderRunsNothingAndWritesNoResults) {
  ProcessResult r = run_opt();
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskModels + kAskOutput + kPrompt + kBye);
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_FALSE(fs::exists(output.path() / "sol_stat.csv"));
}

TEST_F(Opt, InvalidModelFolderStopsBeforeAnything) {
  write_file(models.path() / "file.txt", "");
  for (const std::string& answer : {std::string(), models / "missing", models / "file.txt"}) {
    ProcessResult r = run_vardelmo("opt\n" + answer + "\nexit\n", work.path());
    EXPECT_EQ(r.out, kBanner + kPrompt + kAskModels + kNoModels + kPrompt + kBye) << answer;
    EXPECT_EQ(mask_library_errors(r.err), "");
  }
}

TEST_F(Opt, AnswersCutShortByEndOfInputRunNothing) {
  copy_model("decimals.lp", models.path());
  ProcessResult r = run_vardelmo("opt\n", work.path());
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskModels + kPrompt + "\n");
  r = run_vardelmo("opt\n" + models.path().string() + "\n", work.path());
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskModels + kAskOutput + kPrompt + "\n");
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(r.status, 0);
}

TEST_F(Opt, InvalidOutputFolderComesAfterTheStaleResultsAreGone) {
  copy_model("decimals.lp", models.path());
  write_file(models.path() / "sol_stat.csv", "old");
  ProcessResult r = run_vardelmo(opt_session(models.path(), output / "missing"), work.path());
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskModels + kAskOutput + kNoOutput + kPrompt + kBye);
  EXPECT_FALSE(fs::exists(models.path() / "sol_stat.csv"));
}

TEST_F(Opt, EveryEntryGetsItsHeaderAndOnlyLpPathsRun) {
  copy_model("decimals.lp", models.path(), "a.lp");
  write_file(models.path() / "notes.txt", "not a model\n");
  write_file(models.path() / "MODEL.LP", "Minimize\n obj: x\nEnd\n");
  fs::create_directory(models.path() / "sub");
  ProcessResult r = run_opt();

  std::string expected = kBanner + kPrompt + kAskModels + kAskOutput;
  int i = 0;
  for (const std::string& name : listing_order(models.path())) {
    expected += model_header(i++);
    if (name == "a.lp") expected += model_block("a.lp", "SOL OTIMA");
  }
  EXPECT_EQ(mask_console(r.out), expected + kPrompt + kBye);
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;a.lp;T;SOL OTIMA;31,337500;"}));
}

TEST_F(Opt, ResultsFileHoldsEveryModelInRunOrderWithExactNumbers) {
  copy_model("decimals.lp", models.path());
  copy_model("infeasible.lp", models.path());
  copy_model("unbounded.lp", models.path());
  ProcessResult r = run_opt();
  const std::map<std::string, std::string> rows = {
      {"decimals.lp", "SCIP;decimals.lp;T;SOL OTIMA;31,337500;"},
      {"infeasible.lp", "SCIP;infeasible.lp;T;PROBLEMA INFACTIVEL;100000000000000000000,000000;"},
      {"unbounded.lp", "SCIP;unbounded.lp;T;PROBLEMA ILIMITADO;100000000000000000000,000000;"},
  };
  std::vector<std::string> expected;
  for (const std::string& name : listing_order(models.path())) expected.push_back(rows.at(name));
  EXPECT_EQ(mask_times(csv()), results_file(expected));
  EXPECT_EQ(mask_library_errors(r.err), "");

  // The numbers themselves: a comma and six decimals in the file, the
  // stream's default form on the console.
  std::regex file_time("^SCIP;[a-z]+\\.lp;[0-9]+,[0-9]{6};", std::regex::multiline);
  const std::string file = csv();
  EXPECT_EQ(std::distance(std::sregex_iterator(file.begin(), file.end(), file_time),
                          std::sregex_iterator()), 3);
  std::regex console_time("TEMPO: (0|[1-9][0-9]*(\\.[0-9]*[1-9])?|0\\.[0-9]*[1-9]|[0-9](\\.[0-9]+)?e[-+][0-9]{2})\n");
  EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), console_time),
                          std::sregex_iterator()), 3) << r.out;
}

TEST_F(Opt, StaleResultsInTheModelFolderAreRemovedAndNeverListed) {
  copy_model("decimals.lp", models.path());
  write_file(models.path() / "sol_stat.csv", kResultsHeader + "old\n");
  ProcessResult r = run_vardelmo(opt_session(models.path(), models.path()), work.path());
  EXPECT_EQ(mask_console(r.out), kBanner + kPrompt + kAskModels + kAskOutput + model_header(0) +
                                   model_block("decimals.lp", "SOL OTIMA") + kPrompt + kBye);
  EXPECT_EQ(mask_times(read_text_file(models.path() / "sol_stat.csv")),
            results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
}

TEST_F(Opt, StaleResultsThatCannotBeRemovedEndTheBatch) {
  copy_model("decimals.lp", models.path());
  fs::create_directories(models.path() / "sol_stat.csv" / "keep");
  ProcessResult r = run_opt();
  // The output folder answer is then read as a command.
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskModels + kPrompt + kPrompt + kBye);
  const std::string cannot = "Não foi possível remover " + models / "sol_stat.csv" + ": ";
  ASSERT_EQ(r.err.substr(0, cannot.size()), cannot);
  // The reason is the system's own words, in the user's language.
  std::string reason = r.err.substr(cannot.size());
  EXPECT_TRUE(std::regex_match(reason, std::regex("[^\n]+\n" + kUnknownCommand))) << r.err;
  EXPECT_TRUE(fs::exists(models.path() / "sol_stat.csv" / "keep"));
}

TEST_F(Opt, TrailingSeparatorsAreNotDoubled) {
  copy_model("decimals.lp", models.path());
  ProcessResult r = run_vardelmo(opt_session(models.path().string() + kPathSeparator,
                                             output.path().string() + kPathSeparator),
                                 work.path());
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
  EXPECT_EQ(mask_library_errors(r.err), "");
}

TEST_F(Opt, ASecondBatchWritesOnlyItsOwnRows) {
  TempFolder second;
  copy_model("decimals.lp", models.path());
  copy_model("infeasible.lp", second.path());
  ProcessResult r = run_vardelmo(
      opt_session(models.path(), output.path(), "", opt_session(second.path(), output.path())),
      work.path());
  EXPECT_EQ(mask_times(csv()),
            results_file({"SCIP;infeasible.lp;T;PROBLEMA INFACTIVEL;100000000000000000000,000000;"}));
}

TEST_F(Opt, VerboseShowsTheSolverLogBeforeTheBlock) {
  copy_model("decimals.lp", models.path());
  // In the shell's process and in a worker's.
  for (const std::string jobs : {"", "jobs\n2\n"}) {
    ProcessResult quiet = run_opt(jobs);
    ProcessResult loud = run_opt(jobs + "verbose\ns\n");
    const std::string solve_log = "SCIP Status";
    EXPECT_EQ(quiet.out.find(solve_log), std::string::npos) << jobs;
    std::size_t log = loud.out.find(solve_log);
    ASSERT_NE(log, std::string::npos) << loud.out;
    EXPECT_LT(loud.out.find(model_header(0)), log);
    EXPECT_LT(log, loud.out.find("NOME: decimals.lp\n"));
    EXPECT_EQ(mask_times(csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
  }
}

// Stopped by the limit: no solution (hard.lp) or one short of proven
// (gap.lp, whose bound of 1000 stays below every solution found soon).
TEST_F(Opt, TimeLimitStopsAModel) {
  write_file(models.path() / "hard.lp", hard_model());
  write_file(models.path() / "gap.lp", hard_model(true));
  ProcessResult r = run_opt("time_limit\n0,5\nsave_sol\ns\n");
  for (const std::string name : {"hard.lp", "gap.lp"})
    EXPECT_NE(mask_console(r.out).find(model_block(name, "PROCESSO INTERROMPIDO - LIMITE DE TEMPO")),
              std::string::npos);
  std::smatch gap;
  const std::string details = read_text_file(output.path() / "sol_detalhes.csv");
  ASSERT_TRUE(std::regex_search(details, gap, std::regex(
      "\nSCIP;gap\\.lp;[0-9,]+;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;([0-9]+),000000;"
      "1000,000000;([0-9]+,[0-9]+);[0-9]+,000000;;;\n"))) << details;
  EXPECT_GT(std::stod(gap[1]), 1000);
  EXPECT_GT(std::stod(std::regex_replace(gap[2].str(), std::regex(","), ".")), 0);
  // Without a solution there is no gap.
  EXPECT_TRUE(std::regex_search(mask_times(details), std::regex(
      "\nSCIP;hard\\.lp;T;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;"
      "100000000000000000000,000000;-?[0-9]+,[0-9]{6};;[0-9]+,000000;;;\n"))) << details;
  EXPECT_EQ(listing_order(output.path() / "solucoes"), std::vector<std::string>{"gap.sol"});
  // About half a second each, not the seconds that solving them would take.
  const std::string file = csv();
  const std::regex stopped(";([0-9]+),([0-9]+);PROCESSO");
  for (auto time = std::sregex_iterator(file.begin(), file.end(), stopped);
       time != std::sregex_iterator(); ++time)
    EXPECT_LT(std::stod((*time)[1].str() + "." + (*time)[2].str()), 5.0);
}

// A model that needs twice the limit is stopped by SCIP, in the shell's
// process and in a worker's, whose task carries the limit; the next model
// solves. (Past its own limit, a worker has a cap: tests/faults.)
TEST_F(Opt, MemoryLimitStopsAModelAndTheBatchGoesOn) {
  write_file(models.path() / "dense.lp", dense_model(1000));
  copy_model("decimals.lp", models.path());
  for (const std::string jobs : {"", "jobs\n2\n"}) {
    ProcessResult r = run_opt(jobs + "mem_limit\n100\n");
    std::string blocks;
    std::vector<std::string> rows;
    int i = 0;
    for (const std::string& name : listing_order(models.path())) {
      const bool dense = name == "dense.lp";
      // SCIP's table has no line for this status; no solution came first.
      blocks += model_header(i++) + model_block(name, dense ? "" : "SOL OTIMA");
      rows.push_back(dense ? "SCIP;dense.lp;T;PROCESSO INTERROMPIDO - LIMITE DE MEMORIA;"
                             "-100000000000000000000,000000;"
                           : "SCIP;decimals.lp;T;SOL OTIMA;31,337500;");
    }
    EXPECT_EQ(blocks_in_entry_order(mask_console(r.out)),
              kBanner + kPrompt + (jobs.empty() ? "" : kAskJobs + kPrompt) + kAskMemLimit +
                  kPrompt + kAskModels + kAskOutput + blocks + kPrompt + kBye);
    EXPECT_EQ(mask_library_errors(r.err), "") << jobs;
    EXPECT_EQ(mask_times(csv()), results_file(rows)) << jobs;
  }
}

TEST_F(Opt, RefusedTimeLimitIsReportedAndTheModelStillSolves) {
  copy_model("decimals.lp", models.path());
  ProcessResult r = run_opt("time_limit\n-10\n");
  EXPECT_TRUE(std::regex_search(
      r.err, std::regex("\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <-14> in function call\n$")))
      << r.err;
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
}

TEST_F(Opt, UnreadableModelsAreReportedAsSuchAndTheBatchGoesOn) {
  copy_model("broken.lp", models.path());
  fs::create_directory(models.path() / "folder.lp");
  copy_model("decimals.lp", models.path());
  ProcessResult r = run_opt();

  std::string expected_out = kBanner + kPrompt + kAskModels + kAskOutput;
  std::vector<std::string> rows;
  int i = 0;
  for (const std::string& name : listing_order(models.path())) {
    expected_out += model_header(i++);
    if (name == "decimals.lp") {
      expected_out += model_block(name, "SOL OTIMA");
      rows.push_back("SCIP;decimals.lp;T;SOL OTIMA;31,337500;");
    } else {
      expected_out += model_block(name, "ERRO NA LEITURA DO MODELO");
      rows.push_back("SCIP;" + name + ";T;ERRO NA LEITURA DO MODELO;;");
    }
  }
  EXPECT_EQ(mask_console(r.out), expected_out + kPrompt + kBye);
  EXPECT_EQ(mask_times(csv()), results_file(rows));
  // Our check of each read, after whatever SCIP said of it.
  const std::string err = mask_library_errors(r.err);
  for (const char* code : {"-2", "-4"})
    EXPECT_TRUE(std::regex_search(err, std::regex("\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <" +
                                                  std::string(code) + "> in function call\n")))
        << r.err;
}

// A results file that cannot be written is named with the system's reason
// and the batch goes on; still behind at the end, it is written whole into
// the temporary folder (where that fails too, see batch_faults_test). A
// solution file that cannot be written: one line, and the batch goes on.
TEST_F(Opt, ResultsThatCannotBeWrittenAreNamedAndKeptElsewhere) {
  copy_model("decimals.lp", models.path());
  run_opt();
  const std::string previous = csv();
  ASSERT_NE(previous, "");
  fs::create_directories(output.path() / "sol_stat.csv.tmp" / "in-the-way");
  fs::create_directories(output.path() / "solucoes" / "decimals.sol.part" / "in-the-way");
  const std::string stat = output / "sol_stat.csv";
  const std::string failed =
      "Não foi possível gravar a solução em " + output / "solucoes" + kPathSeparator +
      "decimals.sol\nNão foi possível gravar " + stat + ": " + folder_as_file_reason() +
      "; as linhas ficam guardadas e serão gravadas assim que possível.\n";
  const std::string rows = results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"});
  const std::string session = kBanner + kPrompt + kAskSaveSol + kPrompt + kAskModels + kAskOutput +
                              model_header(0) + model_block("decimals.lp", "SOL OTIMA");
  TempFolder temporary;
  {
    const TemporaryFolderOverride elsewhere(temporary.path());
    ProcessResult r = run_opt("save_sol\ns\n");
    const std::vector<std::string> copies = listing_order(temporary.path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(std::regex_match(copies[0], std::regex("vardelmo-[0-9]+-sol_stat\\.csv")));
    EXPECT_EQ(mask_library_errors(r.err),
              failed + "O arquivo " + stat +
                  " não pôde ser gravado; todas as suas linhas estão em " + temporary / copies[0] +
                  ".\n");
    EXPECT_EQ(mask_console(r.out), session + kPrompt + kBye);
    EXPECT_EQ(mask_times(read_text_file(temporary.path() / copies[0])), rows);
    EXPECT_EQ(csv(), previous);
    EXPECT_EQ(r.status, 0);
#ifndef _WIN32
    // A person at a terminal is told in the summary as well.
    r = run_vardelmo_on_terminal(opt_session(models.path(), output.path()), work.path());
    EXPECT_NE(r.out.find(" s; sol_stat.csv fora da pasta de output: " + temporary / "vardelmo-"),
              std::string::npos)
        << r.out;
#endif
  }
}

// Several models at once print the blocks of one at a time, each whole, in
// the order the models end, and leave the same rows in entry order.
TEST_F(Opt, SeveralAtOnceGiveTheBlocksAndRowsOfOneAtATime) {
  copy_classic_instances(models.path());
  for (const char* name : {"decimals.lp", "infeasible.lp", "broken.lp"})
    copy_model(name, models.path());
  copy_model("unbounded.lp", models.path(), "a;b.lp");
  write_file(models.path() / "notes.txt", "not a model\n");
  // Its message would come on standard error before or after the library's
  // (on Windows the two have separate C runtimes).
  write_classic_references(models.path(), false);
  const std::string keep = "save_sol\ns\n";
  ProcessResult one = run_opt(keep);
  const std::string rows = mask_times(csv());
  // SCIP's node count may vary with the machine's load.
  auto details_file = [this] {
    static const std::regex nodes("^((?:[^;\n]*;){7})[0-9]+,000000;", std::regex::multiline);
    return std::regex_replace(mask_times(read_text_file(output.path() / "sol_detalhes.csv")), nodes,
                              "$1N;");
  };
  const std::string details = details_file();
  const std::string solution = read_file(output.path() / "solucoes" / "lseu.sol");
  fs::remove_all(output.path() / "solucoes");
  ProcessResult three = run_opt(keep + "jobs\n3\n");
  EXPECT_EQ(blocks_in_entry_order(mask_console(three.out)),
            kBanner + kPrompt + kAskSaveSol + kPrompt + kAskJobs +
                mask_console(one.out).substr(kBanner.size() + kPrompt.size() + kAskSaveSol.size()));
  EXPECT_EQ(mask_library_errors(three.err), mask_library_errors(one.err));
  EXPECT_EQ(mask_times(csv()), rows);
  EXPECT_EQ(details_file(), details);
  EXPECT_EQ(read_file(output.path() / "solucoes" / "lseu.sol"), solution);
  EXPECT_EQ(three.status, 0);
}

// A worker process that dies (here, a stand-in crashing on demand) costs
// only the model it was solving; the batch goes on. A rejected number leaves the one before.
TEST_F(Opt, AWorkerThatDiesCostsOnlyItsModel) {
  place_gurobi_library(work.path());
  copy_model("decimals.lp", models.path());
  copy_model("decimals.lp", models.path(), "standin-crash.lp");
  // Both workers may die: new ones take the models left.
  copy_model("decimals.lp", models.path(), "standin-crash2.lp");
  copy_model("infeasible.lp", models.path());
  for (const std::string solver : {"SCIP", "GUROBI"}) {
    ProcessResult r = run_opt("solver\n" + solver + "\njobs\n2\njobs\n0\n", kProgramOnStandIn);
    std::string blocks;
    std::vector<std::string> rows;
    int i = 0;
    for (const std::string& name : listing_order(models.path())) {
      const std::string status = name == "decimals.lp"  ? "SOL OTIMA"
                                 : name == "infeasible.lp" ? "PROBLEMA INFACTIVEL"
                                                           : "ERRO NO SOLVER";
      blocks += model_header(i++) + model_block(name, status);
      const std::string z = name == "decimals.lp" ? "31,337500"
                            : name == "infeasible.lp" && solver == "SCIP"
                                ? "100000000000000000000,000000"
                                : "";
      rows.push_back(solver + ";" + name + ";T;" + status + ";" + z + ";");
    }
    EXPECT_EQ(blocks_in_entry_order(mask_console(r.out)),
              kBanner + kPrompt + kAskSolver + kPrompt + kAskJobs + kPrompt + kAskJobs + kBadJobs +
                  kPrompt + kAskModels + kAskOutput + blocks + kPrompt + kBye)
        << solver;
    EXPECT_EQ(r.err, "") << solver;
    EXPECT_EQ(mask_times(csv()), results_file(rows)) << solver;
    EXPECT_NE(mask_times(read_text_file(output.path() / "sol_detalhes.csv"))
                  .find("\n" + solver + ";standin-crash.lp;T;ERRO NO SOLVER;;" + ";;;;;\n"),
              std::string::npos)
        << solver;
    EXPECT_EQ(r.status, 0);
  }
}

// Before a batch of several models at once, the task folders of shells
// that ended go from the temporary folder: a killed shell's, whose held file
// no one holds, and one without (an earlier version's) whose shell's process
// number no process has. Those of running shells, and others, stay.
TEST_F(Opt, SeveralAtOnceRemoveOnlyTheTaskFoldersOfShellsThatEnded) {
  copy_model("decimals.lp", models.path());
  TempFolder temporary;
  const std::string running = "vardelmo-" + std::to_string(platform::process_id());
  // Above any process number Linux gives.
  const std::string gone = "vardelmo-4194305";
  const std::vector<std::string> stay = {running + "-1", running + "-2", "vardelmo-x-3"};
  for (const std::string& name : stay) fs::create_directory(temporary.path() / name);
  for (const std::string& name : {gone + "-4", running + "-5"}) {
    fs::create_directory(temporary.path() / name);
    write_file(temporary.path() / name / "0.out", "");
  }
  write_file(temporary.path() / (running + "-5") / "lock", "");
  const platform::HeldFile held(temporary.path() / (running + "-2") / "lock");
  ASSERT_TRUE(held.held());
  const TemporaryFolderOverride in_use(temporary.path());
  ProcessResult r = run_opt("jobs\n2\n");
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
  std::vector<std::string> left = listing_order(temporary.path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, stay);
}

#ifndef _WIN32
// Between blocks and while models run, a terminal shows how far the batch
// is on a line of its own that the next output wipes; in the shell's own
// process, whose solver prints as it goes, only between blocks. Without
// those lines the terminal shows what a pipe gets, and the summary.
TEST_F(Opt, ATerminalSeesHowFarTheBatchIsAndNothingOfItStays) {
  copy_model("decimals.lp", models.path());
  copy_model("infeasible.lp", models.path());
  write_file(models.path() / "hard.lp", hard_model());
  const std::string stopped = "PROCESSO INTERROMPIDO - LIMITE DE TEMPO";
  for (const std::string jobs : {"", "jobs\n2\n"}) {
    ProcessResult r = run_vardelmo_on_terminal(
        opt_session(models.path(), output.path(), jobs + "time_limit\n3\n"), work.path());
    static const std::regex line(
        "([0-9]+) prontos, ([0-9]+) em execução, ([0-9]+) aguardando; [0-9]{2}:[0-9]{2}:[0-9]{2}"
        "( \\(faltam ~[0-9]{2}:[0-9]{2}:[0-9]{2}\\))?\r( *)\r");
    std::string rest;
    std::size_t lines = 0, estimates = 0, after = 0;
    for (auto found = std::sregex_iterator(r.out.begin(), r.out.end(), line);
         found != std::sregex_iterator(); ++found, ++lines) {
      const std::size_t at = static_cast<std::size_t>(found->position());
      rest += r.out.substr(after, at - after);
      after = at + static_cast<std::size_t>(found->length());
      // On a line of its own, wiped whole: a space for each of its letters.
      EXPECT_TRUE(at > 0 && (r.out[at - 1] == '\n' || r.out[at - 1] == '\r')) << jobs << r.out;
      const std::string shown = found->str().substr(0, found->str().find('\r'));
      EXPECT_GE((*found)[5].length(), static_cast<std::size_t>(std::count_if(
                                          shown.begin(), shown.end(),
                                          [](char c) { return (c & 0xC0) != 0x80; })))
          << jobs << shown;
      EXPECT_EQ(std::stoi((*found)[1]) + std::stoi((*found)[2]) + std::stoi((*found)[3]), 3)
          << jobs << shown;
      if ((*found)[4].matched) ++estimates;
    }
    rest += r.out.substr(after);
    // In the shell's process, after each block but the last; with workers,
    // also each second while hard.lp runs alone.
    if (jobs.empty()) {
      EXPECT_EQ(lines, 2u) << r.out;
    } else {
      EXPECT_GE(lines, 3u) << r.out;
    }
    EXPECT_GT(estimates, 0u) << jobs << r.out;
    EXPECT_EQ(rest.find('\r'), std::string::npos) << jobs << rest;

    std::string blocks;
    int i = 0;
    for (const std::string& name : listing_order(models.path()))
      blocks += model_header(i++) +
                model_block(name, name == "hard.lp"       ? stopped
                                  : name == "decimals.lp" ? "SOL OTIMA"
                                                          : "PROBLEMA INFACTIVEL");
    EXPECT_EQ(blocks_in_entry_order(mask_console(
                  std::regex_replace(rest, std::regex("\nResumo: [^\n]*\n"), "\n"))),
              kBanner + kPrompt + (jobs.empty() ? "" : kAskJobs + kPrompt) + kAskTimeLimit +
                  kPrompt + kAskModels + kAskOutput + blocks + kPrompt + kBye)
        << jobs;
    EXPECT_EQ(r.status, 0);
  }
}

// A person at a terminal gets one line on the whole batch after its last
// block; every other test reads the output of a pipe or file, and none.
TEST_F(Opt, ATerminalGetsASummaryOfTheBatch) {
  for (const char* name : {"decimals.lp", "infeasible.lp", "broken.lp"})
    copy_model(name, models.path());
  copy_model("decimals.lp", models.path(), "again.lp");
  write_file(models.path() / "known.solu", "=opt= decimals 1\n");
  ProcessResult r =
      run_vardelmo_on_terminal(opt_session(models.path(), output.path()), work.path());
  std::smatch summary;
  ASSERT_TRUE(std::regex_search(r.out, summary, std::regex(
      "\nResumo: 4 modelos; SOL OTIMA: 2; PROBLEMA INFACTIVEL: 1; "
      "ERRO NA LEITURA DO MODELO: 1; CONFERE NAO: 1; tempo total: ([-+.0-9e]+) s; "
      "média geométrica \\(deslocamento 1 s\\): ([-+.0-9e]+) s\n" + kPrompt + kBye + "$")))
      << r.out;
  double log_sum = 0, sum = 0;
  const std::string file = csv();
  const std::regex time("^SCIP;[^;]*;([0-9]+),([0-9]{6});", std::regex::multiline);
  for (auto row = std::sregex_iterator(file.begin(), file.end(), time);
       row != std::sregex_iterator(); ++row) {
    const double seconds = std::stod((*row)[1].str() + "." + (*row)[2].str());
    sum += seconds;
    log_sum += std::log(1 + seconds);
  }
  EXPECT_NEAR(std::stod(summary[2]), std::exp(log_sum / 4) - 1, 1e-4);
  // One model after another: the batch took at least their times together.
  EXPECT_GE(std::stod(summary[1]) + 1e-3, sum);
  EXPECT_EQ(r.status, 0);
}
#endif

// With their known optima beside them, one of them wrong, and each model's
// best solution kept.
TEST_F(Opt, ClassicInstancesReachTheirKnownOptima) {
  copy_classic_instances(models.path());
  write_classic_references(models.path());
  ProcessResult r = run_opt("save_sol\ns\n");
  expect_classic_results(csv(), "SCIP", "100000000000000000000,000000");
  expect_classic_references_and_solutions(*this, r);
}

#ifdef VARDELMO_WITH_HIGHS
// The same with HiGHS: an infeasible model has no Z.
TEST_F(Opt, WithHighsClassicInstancesReachTheirKnownOptima) {
  copy_classic_instances(models.path());
  write_classic_references(models.path());
  ProcessResult r = run_opt("solver\nHIGHS\nsave_sol\ns\n");
  expect_classic_results(csv(), "HIGHS", "");
  expect_classic_references_and_solutions(*this, r);
}

// HiGHS's block is SCIP's; its log shows only with verbose. A model it
// cannot read (or a folder) gets its own row, and none without a solution
// gets a Z or a bound; an LP has no gap and no nodes.
TEST_F(Opt, WithHighsModelsWithoutSolutionKeepTheirStatusAndTheBatchGoesOn) {
  for (const char* name : {"broken.lp", "infeasible.lp", "unbounded.lp", "decimals.lp"})
    copy_model(name, models.path());
  fs::create_directory(models.path() / "folder.lp");
  const std::map<std::string, std::string> statuses = {
      {"broken.lp", "ERRO NA LEITURA DO MODELO"}, {"folder.lp", "ERRO NA LEITURA DO MODELO"},
      {"infeasible.lp", "PROBLEMA INFACTIVEL"},    {"unbounded.lp", "PROBLEMA ILIMITADO"},
      {"decimals.lp", "SOL OTIMA"}};
  for (const std::string verbose : {"n", "s"}) {
    ProcessResult r = run_opt("solver\nHIGHS\nverbose\n" + verbose + "\n");
    std::string blocks;
    std::vector<std::string> rows, details;
    int i = 0;
    for (const std::string& name : listing_order(models.path())) {
      blocks += model_header(i++) + model_block(name, statuses.at(name));
      const std::string row = "HIGHS;" + name + ";T;" + statuses.at(name) + ";" +
                              (name == "decimals.lp" ? "31,337500" : "") + ";";
      rows.push_back(row);
      details.push_back(row + (name == "decimals.lp" ? "31,337500;0,000000;1,000000" : ";;") + ";;;");
    }
    // HiGHS's reader says why it refused broken.lp, outside its log; in the
    // Windows program that line comes when highs.dll's C runtime lets it go.
    const std::string out =
        std::regex_replace(r.out, std::regex("File appears to contain indicator[^\n]*\n"), "");
    EXPECT_EQ(mask_console(out), kBanner + kPrompt + kAskSolver + kPrompt + kAskVerbose +
                                       kPrompt + kAskModels + kAskOutput + blocks + kPrompt + kBye);
    EXPECT_EQ(r.out.find("Running HiGHS") != std::string::npos, verbose == "s") << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(mask_times(csv()), results_file(rows));
    std::string expected_details = "SOLVER;NOME;TEMPO;STATUS;Z;LIMITANTE_DUAL;GAP;NOS;REFERENCIA;CONFERE\n";
    for (const std::string& line : details) expected_details += line + "\n";
    EXPECT_EQ(mask_times(read_text_file(output.path() / "sol_detalhes.csv")), expected_details);
  }
}

// Stopped by the limit with a solution short of proven, which it keeps.
TEST_F(Opt, WithHighsTimeLimitStopsAModelWithItsBestSolution) {
  write_file(models.path() / "gap.lp", hard_model(true));
  ProcessResult r = run_opt("solver\nHIGHS\ntime_limit\n0,5\nsave_sol\ns\n");
  EXPECT_NE(mask_console(r.out).find(model_block("gap.lp", "PROCESSO INTERROMPIDO - LIMITE DE TEMPO")),
            std::string::npos) << r.out;
  std::smatch gap;
  const std::string details = read_text_file(output.path() / "sol_detalhes.csv");
  ASSERT_TRUE(std::regex_search(details, gap, std::regex(
      "\nHIGHS;gap\\.lp;0,[0-9]+;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;([0-9]+),000000;"
      "[0-9]+,[0-9]+;([0-9]+,[0-9]+);[0-9]+,000000;;;\n"))) << details;
  EXPECT_GT(std::stod(gap[1]), 1000);
  EXPECT_GT(std::stod(std::regex_replace(gap[2].str(), std::regex(","), ".")), 0);
  EXPECT_EQ(listing_order(output.path() / "solucoes"), std::vector<std::string>{"gap.sol"});
}
#endif

// Models in every format, checked against MIPLIB's names (the Windows
// libraries of SCIP and HiGHS read no gzip: they get unpacked copies), by
// SCIP and by HiGHS; then each solver's own settings file (a node limit of
// 1), which only its solver's batches read, given, and refused.
TEST_F(Opt, MpsAndGzipModelsAndASettingsFilePerSolver) {
  const std::vector<const char*> formats = {"egout.mps", "flugpl.mps.gz", "lseu.lp.gz",
                                            "formats.solu"};
  for (const char* name : formats)
    fs::copy_file(fs::path(VARDELMO_TESTDATA) / "formats" / name, models.path() / name);
  copy_model("bell5.lp", models.path());
  std::vector<const char*> solved = formats;
  solved.back() = "bell5.lp";  // in place of the .solu file
  write_file(work.path() / "nodes.set", "# one node\nlimits/nodes = 1\n");
  write_file(work.path() / "wrong.set", "limits/nodes = -5\n");
  write_file(work.path() / "unknown.set", "limits/nodez = 1\n");
  write_file(work.path() / "nodes.opt", "mip_max_nodes = 1\n");
  write_file(work.path() / "wrong.opt", "mip_max_nodes = -5\n");
  write_file(work.path() / "unknown.opt", "mip_max_nodez = 1\n");
  const std::string refused = "O arquivo de parâmetros não foi alterado.\n";
  auto ask = [](const std::string& solver) {
    return "Digite o caminho do arquivo de parâmetros do " + solver + " (vazio para nenhum)> ";
  };
  auto batch = [&](const std::string& before) {
    return run_vardelmo(before + opt_session(models.path(), output.path()), work.path());
  };
  std::vector<std::string> solvers = {"SCIP"};
#ifdef VARDELMO_WITH_HIGHS
  solvers.push_back("HIGHS");
#endif
  for (const std::string& solver : solvers) {
    // The other solver's file is no concern of this batch.
    const std::string other = solver == "SCIP" ? "HIGHS" : "SCIP";
    ProcessResult r = batch("solver\n" + other + "\nparam_file\nnodes." +
                            (other == "SCIP" ? "set" : "opt") + "\nsolver\n" + solver + "\n");
    EXPECT_EQ(mask_library_errors(r.err), "") << solver;
    const std::string details = read_text_file(output.path() / "sol_detalhes.csv");
    for (const char* name : solved) {
      EXPECT_TRUE(std::regex_search(details, std::regex("\n" + solver + ";" + name +
                                                        ";[0-9,]+;SOL OTIMA;[^\n]*;SIM;\n")))
          << name << "\n" << details;
    }
  }

  // Refused, then unknown (SCIP warns and takes it), then given.
  ProcessResult r = batch("param_file\nmissing.set\nparam_file\nwrong.set\nparam_file\nunknown.set\n"
                          "param_file\nnodes.set\nsolver\nGUROBI\nsolver\nSCIP\n");
  EXPECT_EQ(mask_console(r.out).rfind(kBanner + kPrompt + ask("SCIP") + refused + kPrompt +
                                          ask("SCIP") + refused + kPrompt + ask("SCIP") + kPrompt +
                                          ask("SCIP") + kPrompt,
                                      0),
            0u)
      << r.out;
  EXPECT_NE(r.err.find("cannot open file <missing.set> for reading"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("<limits/nodes>"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("WARNING: unknown parameter <limits/nodez>"), std::string::npos) << r.err;
  EXPECT_TRUE(std::regex_search(csv(), std::regex("\nSCIP;bell5.lp;[0-9,]+;PROCESSO INTERROMPIDO - LIMITE DE NOS;")))
      << csv();

#ifdef VARDELMO_WITH_HIGHS
  // HiGHS refuses an unknown option; its words go to standard error.
  r = batch("solver\nHIGHS\nparam_file\nmissing.opt\nparam_file\nwrong.opt\nparam_file\n"
            "unknown.opt\nparam_file\nnodes.opt\n");
  EXPECT_EQ(mask_console(r.out).rfind(kBanner + kPrompt + kAskSolver + kPrompt + ask("HIGHS") +
                                          refused + kPrompt + ask("HIGHS") + refused + kPrompt +
                                          ask("HIGHS") + refused + kPrompt + ask("HIGHS") + kPrompt,
                                      0),
            0u)
      << r.out;
  EXPECT_EQ(r.err,
            "O HiGHS não leu o arquivo de opções missing.opt.\n"
            "ERROR:   checkOptionValue: Value -5 for option \"mip_max_nodes\" is below lower bound of 0\n"
            "ERROR:   Cannot read value \"-5\" for option \"mip_max_nodes\"\n"
            "O HiGHS não leu o arquivo de opções wrong.opt.\n"
            "ERROR:   getOptionIndex: Option \"mip_max_nodez\" is unknown\n"
            "ERROR:   Cannot read value \"1\" for option \"mip_max_nodez\"\n"
            "O HiGHS não leu o arquivo de opções unknown.opt.\n");
  EXPECT_TRUE(std::regex_search(csv(), std::regex("\nHIGHS;bell5.lp;[0-9,]+;PROCESSO INTERROMPIDO - OUTRO LIMITE;")))
      << csv();
#endif
}

#ifndef _WIN32
// A settings file that no longer reads when `opt` starts: nothing is asked
// or solved, and the setting stays for when it is mended.
TEST_F(Opt, ASettingsFileThatWentBadSolvesNothing) {
  TempFolder home;
  VariableOverride no_history("HOME", home.path().string());
  write_file(work.path() / "nodes.set", "limits/nodes = 1\n");
  TerminalSession session(work.path());
  const std::string ask = "Digite o caminho do arquivo de parâmetros do SCIP (vazio para nenhum)> ";
  session.type_after(kPrompt, "param_file\r");
  session.type_after(ask, "nodes.set\r");
  session.type_after(kPrompt, "");
  write_file(work.path() / "nodes.set", "limits/nodes = -5\n");
  session.type_after("", "opt\r");
  session.type_after("opt\n" + kPrompt, "\x04");
  const ProcessResult r = session.finish();
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("<limits/nodes>"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.substr(r.err.find("O arquivo")),
            "O arquivo de parâmetros nodes.set não pôde ser lido; nenhum modelo foi resolvido.\n");
}
#endif

// The record of a batch, in the process and by workers, and its settings
// file beside it; where the output folder holds the models, the next batch
// takes neither for a model.
TEST_F(Opt, ARecordOfEachBatchBesideItsResults) {
  copy_model("decimals.lp", models.path());
  write_file(work.path() / "nodes.set", "limits/nodes = 1\n");
  const std::string time = "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2}";
  auto expect_record = [&](const std::string& jobs) {
    EXPECT_TRUE(std::regex_match(
        read_text_file(models.path() / "sol_lote.txt"),
        std::regex("VERSAO: [0-9.]+\nSOLVER: SCIP\nVERSAO_SOLVER: 10\\.[0-9.]+\n"
                   "ARQUIVO_PARAMETROS: nodes\\.set\nTIME_LIMIT: 0,000000\nMEM_LIMIT: 0\n"
                   "JOBS: " + jobs + "\nCLUSTER: n\nSAVE_SOL: n\nRESUME: n\nMAQUINA: [^\n]+\n"
                   "MODELOS: 1\nINICIO: " + time + "\nFIM: " + time + "\n")))
        << read_text_file(models.path() / "sol_lote.txt");
  };
  const std::string session = "param_file\nnodes.set\n" + opt_session(models.path(), models.path());
  ProcessResult r = run_vardelmo(session, work.path());
  expect_record("1");
  r = run_vardelmo("jobs\n2\n" + session, work.path());
  EXPECT_EQ(mask_library_errors(r.err), "");
  std::size_t headers = 0;
  for (std::size_t at = r.out.find("MODELO "); at != std::string::npos;
       at = r.out.find("MODELO ", at + 1))
    ++headers;
  EXPECT_EQ(headers, 1u) << r.out;
  EXPECT_EQ(read_file(models.path() / "nodes.set"), "limits/nodes = 1\n");
  expect_record("2");
}

}  // namespace
}  // namespace vardelmo::test
