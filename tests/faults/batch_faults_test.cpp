// A batch whose file system changes under it: every model still gets its
// header and its block, and the results file never loses a row for good.
// The tests change the folders while a time-limited model is being solved,
// which leaves them about a second; the SCIP library prints (and flushes)
// its reading report as each model starts, which tells them when.

#include <gtest/gtest.h>

#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <locale.h>
#include <algorithm>
#include <regex>
#include <thread>
#include <string>
#include <vector>

#include "base/process.h"
#include "batch.h"
#include "child.h"

namespace vardelmo::test {
namespace {

const std::string kStopped = "PROCESSO INTERROMPIDO - LIMITE DE TEMPO";

/// The system's words for the failure `code`, in the shell's Portuguese.
std::string reason(int code) {
  locale_t portuguese = newlocale(LC_ALL_MASK, "pt_BR.UTF-8", static_cast<locale_t>(0));
  const std::string words = strerror_l(code, portuguese);
  freelocale(portuguese);
  return words;
}

std::string cannot_write(const std::string& file, int code) {
  return "Não foi possível gravar " + file + ": " + reason(code) +
         "; as linhas ficam guardadas e serão gravadas assim que possível.\n";
}

std::string written_again(const std::string& file) {
  return "O arquivo " + file + " foi gravado novamente.\n";
}

std::string hard_row(const std::string& name) {
  return "SCIP;" + name + ";T;" + kStopped + ";100000000000000000000,000000;";
}

class BatchFaults : public BatchTest {
 protected:
  /// Three models that each run into a one-second time limit.
  void SetUp() override {
    for (const char* name : {"h0.lp", "h1.lp", "h2.lp"}) write_file(models.path() / name, hard_model());
  }
  /// Starts `opt` over the models with a one-second limit.
  void start_batch(Child& child) {
    child.send(opt_session(models.path(), output.path(), "time_limit\n1\n", ""));
  }
  /// Waits until model `i` has started, so model i - 1 is done and written.
  static bool reached(Child& child, int i) { return child.wait_for_output(model_header(i)); }
  /// The whole session's output once every hard model ran.
  std::string hard_session() const {
    std::string out = kBanner + kPrompt + kAskTimeLimit + kPrompt + kAskModels + kAskOutput;
    int i = 0;
    for (const std::string& name : listing_order(models.path()))
      out += model_header(i++) + model_block(name, kStopped);
    return out + kPrompt + kBye;
  }
  /// Ends the session: the shell went on to the end, every model got its
  /// block, and the results file holds all three rows again; standard error
  /// said one of `errors`.
  void expect_every_model_ran_and_written(Child& child,
                                          const std::vector<std::string>& errors) const {
    child.send("exit\n");
    ChildResult r = child.finish();
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(mask_console(r.out), hard_session());
    EXPECT_NE(std::find(errors.begin(), errors.end(), mask_library_errors(r.err)), errors.end())
        << r.err;
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(mask_times(csv()), results_file(hard_rows(3)));
  }
  /// Both results files failed with `code` and were written again.
  std::vector<std::string> both_failed_then_written(int code) const {
    const std::string stat = output / "sol_stat.csv", details = output / "sol_detalhes.csv";
    return {cannot_write(stat, code) + cannot_write(details, code) + written_again(stat) +
            written_again(details)};
  }
  std::vector<std::string> hard_rows(std::size_t count) const {
    std::vector<std::string> rows;
    for (const std::string& name : listing_order(models.path()))
      if (rows.size() < count) rows.push_back(hard_row(name));
    return rows;
  }
};

TEST_F(BatchFaults, OutputFolderRemovedMidBatchLosesNoRowOnceItIsBack) {
  Child child(work.path());
  start_batch(child);
  ASSERT_TRUE(reached(child, 1));
  ASSERT_EQ(mask_times(csv()), results_file(hard_rows(1)));
  fs::remove_all(output.path());

  ASSERT_TRUE(reached(child, 2));
  // Model 1 found no folder to write in, and none was made for it.
  EXPECT_FALSE(fs::exists(output.path()));
  fs::create_directory(output.path());

  expect_every_model_ran_and_written(child, both_failed_then_written(ENOENT));
}

TEST_F(BatchFaults, OutputFolderReplacedByAFileIsLeftAloneAndTheBatchGoesOn) {
  Child child(work.path());
  start_batch(child);
  ASSERT_TRUE(reached(child, 1));
  fs::remove_all(output.path());
  write_file(output.path(), "not a folder\n");

  ASSERT_TRUE(reached(child, 2));
  EXPECT_EQ(read_file(output.path()), "not a folder\n");
  fs::remove(output.path());
  fs::create_directory(output.path());

  expect_every_model_ran_and_written(child, both_failed_then_written(ENOTDIR));
}

TEST_F(BatchFaults, ResultsFileOnAFullDiskKeepsThePreviousOneAndTheNextWriteCompletesIt) {
  Child child(work.path());
  start_batch(child);
  ASSERT_TRUE(reached(child, 1));
  const std::string previous = csv();
  ASSERT_EQ(mask_times(previous), results_file(hard_rows(1)));
  // Root writes through any permission bits, but not onto a full device.
  fs::create_symlink("/dev/full", output.path() / "sol_stat.csv.tmp");

  ASSERT_TRUE(reached(child, 2));
  EXPECT_EQ(csv(), previous);

  const std::string stat = output / "sol_stat.csv";
  expect_every_model_ran_and_written(child, {cannot_write(stat, ENOSPC) + written_again(stat)});
  EXPECT_FALSE(fs::exists(fs::symlink_status(output.path() / "sol_stat.csv.tmp")));
}

TEST_F(BatchFaults, ResultsFileOverTheFileSizeLimitKeepsThePreviousOneAndTheProcessGoesOn) {
  // Room for the header and one row, not for two.
  const rlim_t limit = results_file(hard_rows(1)).size() + 40;
  Child child(work.path(), limit);
  start_batch(child);
  ASSERT_TRUE(reached(child, 1));
  const std::string previous = csv();
  ASSERT_EQ(mask_times(previous), results_file(hard_rows(1)));

  ASSERT_TRUE(reached(child, 2));
  EXPECT_EQ(csv(), previous);
  child.set_file_size_limit(RLIM_INFINITY);

  // The details file's longer lines may fail with the first model already;
  // the batch's record, longer than the limit, was not written at the start.
  const std::string stat = output / "sol_stat.csv", details = output / "sol_detalhes.csv";
  const std::string again = written_again(stat) + written_again(details);
  const std::string record =
      "Não foi possível gravar " + (output.path() / "sol_lote.txt").string() + "\n";
  expect_every_model_ran_and_written(
      child, {record + cannot_write(details, EFBIG) + cannot_write(stat, EFBIG) + again,
              record + cannot_write(stat, EFBIG) + cannot_write(details, EFBIG) + again});
}

// A shell killed during a batch of several models at once leaves its task
// folder behind; the next such batch removes it, but not while it runs.
TEST_F(BatchFaults, AKilledShellsTaskFolderGoesWithTheNextBatchAndNotBefore) {
  TempFolder temporary;
  BatchFolders next;
  copy_model("decimals.lp", next.models.path());
  const TemporaryFolderOverride in_use(temporary.path());
  Child shell(work.path());
  shell.send(opt_session(models.path(), output.path(), "jobs\n2\ntime_limit\n60\n", ""));
  std::vector<std::string> left;
  for (int wait = 0; wait < 600 && left.empty(); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    left = listing_order(temporary.path());
  }
  ASSERT_EQ(left.size(), 1u);
  const fs::path held = temporary.path() / left[0] / "lock";

  next.run_opt("jobs\n2\n");
  EXPECT_EQ(mask_times(next.csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
  EXPECT_EQ(listing_order(temporary.path()), left);
  EXPECT_EQ(platform::HeldFile::state(held), platform::HeldFile::State::Held);
  shell.kill();
  EXPECT_EQ(shell.finish().signal, SIGKILL);
  EXPECT_EQ(listing_order(temporary.path()), left);
  EXPECT_EQ(platform::HeldFile::state(held), platform::HeldFile::State::Free);

  const ProcessResult r = next.run_opt("jobs\n2\n");
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(listing_order(temporary.path()), std::vector<std::string>());
}

// An output folder on a file system that is full from the start: every row
// waits, said once per file, until space comes back half-way.
TEST_F(BatchFaults, AFullFileSystemFreedHalfWayLosesNoRowAndSaysSo) {
  if (run_program({"mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", output.path().string()}) != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here (root only)";
  struct Unmount {
    std::string at;
    ~Unmount() { run_program({"umount", at}); }
  } unmount{output.path().string()};
  auto fill = [&] {
    try {
      for (int i = 0;; ++i)
        write_file(output.path() / ("fill" + std::to_string(i)), std::string(4096, 'x'));
    } catch (const std::exception&) {
    }
  };
  fill();
  Child child(work.path());
  start_batch(child);
  ASSERT_TRUE(reached(child, 1));
  EXPECT_EQ(csv(), "");
  for (const std::string& name : listing_order(output.path()))
    if (name.rfind("fill", 0) == 0) fs::remove(output.path() / name);
  // The batch's record could not be made at the start either.
  expect_every_model_ran_and_written(
      child, {"Não foi possível gravar " + (output.path() / "sol_lote.txt").string() + "\n" +
              both_failed_then_written(ENOSPC)[0]});

  // Full to the end, the temporary folder too: the rows come after the block.
  fill();
  BatchFolders next;
  copy_model("decimals.lp", next.models.path());
  const TemporaryFolderOverride full(output.path());
  Child last(next.work.path());
  last.send(opt_session(next.models.path(), output.path()));
  const ChildResult r = last.finish();
  std::string err;
  for (const std::string name : {"sol_stat.csv", "sol_detalhes.csv"})
    err += cannot_write(output / name, ENOSPC);
  for (const std::string name : {"sol_stat.csv", "sol_detalhes.csv"})
    err += "O arquivo " + output / name +
           " não pôde ser gravado em parte alguma; suas linhas seguem na saída.\n";
  EXPECT_EQ(mask_library_errors(r.err), err);
  const std::string out = mask_console(r.out);
  EXPECT_NE(out.find(model_block("decimals.lp", "SOL OTIMA") +
                     results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}) +
                     "SOLVER;NOME;TEMPO;STATUS;Z;LIMITANTE_DUAL;GAP;NOS;REFERENCIA;CONFERE\n"
                     "SCIP;decimals.lp;T;SOL OTIMA;31,337500;"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.substr(out.size() - (kPrompt + kBye).size()), kPrompt + kBye);
  EXPECT_EQ(mask_times(csv()), results_file(hard_rows(3)));
}

// One batch per output folder: while one runs, a second into the same folder
// (in another shell, in the shell's process or with workers) is refused and
// leaves its rows alone; a model folder that is another batch's output
// folder lists neither its mark nor its results.
TEST_F(BatchFaults, ASecondBatchIntoTheSameOutputFolderIsRefused) {
  copy_model("decimals.lp", output.path());
  for (const std::string jobs : {"", "jobs\n2\n"}) {
    Child child(work.path());
    // Two seconds a model leave the other batches time.
    child.send(opt_session(models.path(), output.path(), "time_limit\n2\n", ""));
    ASSERT_TRUE(reached(child, 0));
    BatchFolders second;
    copy_model("decimals.lp", second.models.path());
    ProcessResult r =
        run_vardelmo(opt_session(second.models.path(), output.path(), jobs), second.work.path());
    const std::string asked = kBanner + kPrompt + (jobs.empty() ? "" : kAskJobs + kPrompt) +
                              kAskModels + kAskOutput;
    EXPECT_EQ(r.out, asked + kPrompt + kBye) << jobs;
    EXPECT_TRUE(std::regex_match(
        r.err, std::regex("A pasta " + output.path().string() +
                          " está em uso pelo lote do processo [0-9]+ em " + platform::host_name() +
                          "; nenhum modelo foi resolvido\\.\n")))
        << r.err;

    r = run_vardelmo(opt_session(output.path(), second.output.path(), jobs), second.work.path());
    EXPECT_EQ(mask_console(r.out),
              asked + model_header(0) + model_block("decimals.lp", "SOL OTIMA") + kPrompt + kBye)
        << jobs;
    EXPECT_EQ(mask_library_errors(r.err), "");
    EXPECT_EQ(mask_times(second.csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));

    expect_every_model_ran_and_written(child, {""});
    EXPECT_FALSE(fs::exists(output.path() / "lote_em_andamento"));
  }
}

// A batch whose holder is gone takes the folder: a killed shell's on this
// machine (its held file let go), another machine's whose heartbeat stopped;
// another machine's that beats still holds it.
TEST_F(BatchFaults, AGoneHolderNeverBlocksTheNextBatch) {
  BatchFolders next;
  copy_model("decimals.lp", next.models.path());
  const fs::path mark = output.path() / "lote_em_andamento";
  {
    Child child(work.path());
    start_batch(child);
    ASSERT_TRUE(reached(child, 0));
    child.kill();
    EXPECT_EQ(child.finish().signal, SIGKILL);
  }
  ASSERT_TRUE(fs::exists(mark / "lock"));
  const std::string solved = results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"});
  auto run_next = [&] {
    return run_vardelmo(opt_session(next.models.path(), output.path()), next.work.path());
  };
  ProcessResult r = run_next();
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), solved);
  EXPECT_FALSE(fs::exists(mark));

  fs::create_directory(mark);
  write_file(mark / "dono", "4321\noutra-maquina\n");
  write_file(mark / "heartbeat", "7");
  fs::remove(output.path() / "sol_stat.csv");
  r = run_next();
  EXPECT_EQ(r.err, "A pasta " + output.path().string() +
                       " está em uso pelo lote do processo 4321 em outra-maquina; nenhum modelo "
                       "foi resolvido.\n");
  EXPECT_FALSE(fs::exists(output.path() / "sol_stat.csv"));

  fs::last_write_time(mark / "heartbeat",
                      fs::last_write_time(mark / "heartbeat") - std::chrono::minutes(3));
  r = run_next();
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), solved);
  // The results files and the batch's record; no mark.
  EXPECT_EQ(listing_order(output.path()).size(), 3u);
}

TEST(ConversionFaults, LpFileOverTheFileSizeLimitIsReportedAndTheNextModelIsConverted) {
  TempFolder work, models;
  write_file(models.path() / "small.mod", "var y >= 0;\nmaximize z: y;\ns.t. c: y <= 4;\nend;\n");
  write_file(models.path() / "big.mod",
             "var x{1..500} >= 0;\nmaximize z: sum{i in 1..500} i * x[i];\n"
             "s.t. c: sum{i in 1..500} x[i] <= 10;\nend;\n");
  Child child(work.path(), 1000);
  child.send("mod_lp\n" + models.path().string() + "\nexit\n");
  ChildResult r = child.finish();
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kWriteError);
  EXPECT_NE(r.out.find("Modelo 0 gerado\n"), std::string::npos);
  EXPECT_NE(r.out.find("Modelo 1 gerado\n"), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - (kPrompt + kBye).size() - 2), "\n\n" + kPrompt + kBye);
  EXPECT_NE(read_file(models.path() / "small.lp").find("Maximize\n z: + y\n"), std::string::npos);
}

class DeletedModel : public BatchTest {
 protected:
  void SetUp() override {
    copy_model("decimals.lp", models.path());
    copy_model("infeasible.lp", models.path(), "gone.lp");
    decimals_first = listing_order(models.path()).front() == "decimals.lp";
  }
  /// Answers the model folder, removes gone.lp once the folder is listed,
  /// then answers the output folder.
  ChildResult run(const std::string& before = "") {
    Child child(work.path());
    child.send(before + "opt\n" + models.path().string() + "\n");
    EXPECT_TRUE(child.wait_for_output(kAskOutput));
    fs::remove(models.path() / "gone.lp");
    child.send(output.path().string() + "\nexit\n");
    return child.finish();
  }
  std::string in_listing_order(const std::string& decimals, const std::string& gone) const {
    return decimals_first ? decimals + gone : gone + decimals;
  }
  bool decimals_first = true;
  const std::string decimals = model_block("decimals.lp", "SOL OTIMA");
};

TEST_F(DeletedModel, ScipReportsItAsUnreadableWithItsRow) {
  ChildResult r = run();
  const std::string gone = model_block("gone.lp", "ERRO NA LEITURA DO MODELO");
  EXPECT_EQ(mask_console(r.out),
            kBanner + kPrompt + kAskModels + kAskOutput +
                in_listing_order(model_header(decimals_first ? 0 : 1) + decimals,
                                 model_header(decimals_first ? 1 : 0) + gone) +
                kPrompt + kBye);
  EXPECT_TRUE(std::regex_match(
      mask_library_errors(r.err), std::regex("\\[Functions\\.cpp:[0-9]+\\] ERROR: Error <-4> in function call\n")))
      << r.err;
  EXPECT_EQ(mask_times(csv()),
            kResultsHeader +
                in_listing_order("SCIP;decimals.lp;T;SOL OTIMA;31,337500;\n",
                                 "SCIP;gone.lp;T;ERRO NA LEITURA DO MODELO;;\n"));
  EXPECT_EQ(r.status, 0);
}

TEST_F(DeletedModel, GurobiReportsTheLibrarysRefusalAndTheOthersKeepTheirRows) {
  place_gurobi_library(work.path());
  ChildResult r = run("solver\nGUROBI\n");
  EXPECT_EQ(mask_console(r.out),
            kBanner + kPrompt + kAskSolver + kPrompt + kAskModels + kAskOutput +
                in_listing_order(model_header(decimals_first ? 0 : 1) + decimals,
                                 model_header(decimals_first ? 1 : 0)) +
                kPrompt + kBye);
  // The library's reason is in the user's language.
  EXPECT_TRUE(std::regex_match(r.err, std::regex("Erro do Gurobi \\(código 10012\\): Unable to open file '" +
                                                 (models / "gone.lp") + "' for input: [^\n]+\n")))
      << r.err;
  EXPECT_EQ(mask_times(csv()), results_file({"GUROBI;decimals.lp;T;SOL OTIMA;31,337500;"}));
  EXPECT_EQ(r.status, 0);
}

// A batch killed half-way and run again with `resume`: the models that came
// to an end keep their rows byte for byte, and only the others are solved.
TEST_F(BatchFaults, AKilledBatchResumesWhereItStopped) {
  const std::vector<std::string> names = listing_order(models.path());
  for (const std::string jobs : {"", "jobs\n2\n"}) {
    fs::remove(output.path() / "sol_stat.csv");
    fs::remove(output.path() / "sol_detalhes.csv");
    {
      Child child(work.path());
      child.send(opt_session(models.path(), output.path(), jobs + "time_limit\n1\n", ""));
      // Two models have their rows, the third one is solving.
      for (auto waited = std::chrono::steady_clock::now();
           mask_times(csv()) != results_file(hard_rows(2)) &&
           std::chrono::steady_clock::now() - waited < std::chrono::seconds(30);)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      child.kill();
      EXPECT_EQ(child.finish().signal, SIGKILL);
    }
    const std::string results = read_file(output.path() / "sol_stat.csv");
    const std::string details = read_file(output.path() / "sol_detalhes.csv");
    ASSERT_EQ(mask_times(csv()), results_file(hard_rows(2))) << jobs;
    ProcessResult r = run_opt(jobs + "time_limit\n1\nresume\ns\n");
    std::string blocks;
    for (std::size_t i = 0; i < names.size(); ++i)
      blocks += model_header(static_cast<int>(i)) +
                (i < 2 ? "NOME: " + names[i] + "\nRETOMADO: resultado anterior mantido\n"
                       : model_block(names[i], kStopped));
    EXPECT_EQ(blocks_in_entry_order(mask_console(r.out)),
              kBanner + kPrompt + (jobs.empty() ? "" : kAskJobs + kPrompt) + kAskTimeLimit +
                  kPrompt + kAskResume + kPrompt + kAskModels + kAskOutput + blocks + kPrompt +
                  kBye)
        << jobs;
    EXPECT_EQ(mask_library_errors(r.err), "");
    // The rows kept as they were, the third one after them.
    EXPECT_EQ(read_file(output.path() / "sol_stat.csv").substr(0, results.size()), results);
    EXPECT_EQ(read_file(output.path() / "sol_detalhes.csv").substr(0, details.size()), details);
    EXPECT_EQ(mask_times(csv()), results_file(hard_rows(3))) << jobs;
  }
}

// Rows of another solver, or of models stopped by Ctrl+C or lost with their
// process, are solved again; a file the program did not write is never
// overwritten.
TEST_F(BatchFaults, ResumeSolvesAgainWhatDidNotEndAndLeavesForeignFilesAlone) {
  const std::vector<std::string> names = listing_order(models.path());
  write_file(output.path() / "sol_stat.csv",
             std::string(kResultsHeader) + "SCIP;" + names[0] +
                 ";1,000000;PROCESSO INTERROMPIDO - USUARIO;5,000000;\nSCIP;" + names[1] +
                 ";1,000000;ERRO NO SOLVER;;\nGUROBI;" + names[2] + ";1,000000;SOL OTIMA;0,000000;\n");
  run_opt("time_limit\n1\nresume\ns\n");
  EXPECT_EQ(mask_times(csv()), results_file(hard_rows(3)));

  for (const std::string& foreign : {std::string("SOLVER,NOME\n"),
                                    std::string(kResultsHeader) + "SCIP;a.lp;1,5;SOL OTIMA;1;\n",
                                    std::string(kResultsHeader) + "SCIP;a.lp;1,000000;SOL"}) {
    write_file(output.path() / "sol_stat.csv", foreign);
    ProcessResult r = run_opt("resume\ns\n");
    EXPECT_EQ(r.out, kBanner + kPrompt + kAskResume + kPrompt + kAskModels + kAskOutput + kPrompt + kBye);
    EXPECT_EQ(r.err, "O arquivo " + output / "sol_stat.csv" +
                         " não está na forma em que o Vardelmo o grava; para não sobrescrevê-lo, "
                         "nenhum modelo foi resolvido.\n");
    EXPECT_EQ(read_file(output.path() / "sol_stat.csv"), foreign);
  }
}

// Ctrl+C while a model solves stops that model, as the solver libraries do;
// the batch goes on, and at the prompt Ctrl+C ends the shell again. With
// several models at once, it stops every model solving at that moment.
TEST(CtrlC, StopsTheSolvingModelsAndTheBatchGoesOn) {
  const std::string scip = "", gurobi = "solver\nGUROBI\n", two = "jobs\n2\n";
  const std::vector<std::pair<std::string, const char*>> runs = {
      {scip, VARDELMO_BINARY},       {scip, VARDELMO_STANDIN_BINARY},
      {gurobi, VARDELMO_BINARY},     {two + scip, VARDELMO_BINARY},
      {two + gurobi, VARDELMO_BINARY},
#ifdef VARDELMO_WITH_HIGHS
      {"solver\nHIGHS\n", VARDELMO_BINARY}, {two + "solver\nHIGHS\n", VARDELMO_BINARY},
#endif
  };
  for (const auto& [choice, program] : runs) {
    BatchFolders folders;
    auto& [work, models, output] = folders;
    place_gurobi_library(work.path());
    const bool parallel = choice.rfind(two, 0) == 0;
    write_file(models.path() / "hard.lp", hard_model());
    if (parallel) write_file(models.path() / "hard2.lp", hard_model());
    copy_model("decimals.lp", models.path());
    const std::vector<std::string> names = listing_order(models.path());
    const std::string solver = choice.find("GUROBI") != std::string::npos  ? "GUROBI"
                               : choice.find("HIGHS") != std::string::npos ? "HIGHS"
                                                                           : "SCIP";
    const std::string trace = choice + " on " + program;

    Child child(work.path(), std::nullopt, program);
    // `help` shows when the shell is back at its prompt.
    child.send(opt_session(models.path(), output.path(), choice, "help\n"));
    // Workers take the larger files first: both hard models at once.
    if (!parallel) {
      const int hard = names[0] == "hard.lp" ? 0 : 1;
      ASSERT_TRUE(child.wait_for_output(model_header(hard))) << trace;
    }
    // Reading takes milliseconds; the solve then runs for minutes.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    child.interrupt();
    ASSERT_TRUE(child.wait_for_output("NOME: hard.lp\n")) << trace;
    if (parallel) {
      ASSERT_TRUE(child.wait_for_output("NOME: hard2.lp\n")) << trace;
    }
    ASSERT_TRUE(child.wait_for_output("STATUS: SOL OTIMA\n")) << trace;
    ASSERT_TRUE(child.wait_for_output(kAfterHelp)) << trace;
    child.interrupt();
    ChildResult r = child.finish();
    EXPECT_EQ(r.signal, SIGINT) << trace;

    std::string rows = kResultsHeader;
    for (const std::string& name : names)
      rows += name == "decimals.lp" ? solver + ";decimals.lp;T;SOL OTIMA;31,337500;\n"
                                    : solver + ";" + name + ";T;PROCESSO INTERROMPIDO - USUARIO;[^;\n]*;\n";
    const std::string csv = mask_times(folders.csv());
    EXPECT_TRUE(std::regex_match(csv, std::regex(rows))) << trace << "\n" << csv;
  }
}

}  // namespace
}  // namespace vardelmo::test
