// `opt` sent to the one-node Slurm cluster: the blocks and rows of one model
// at a time, a task that Slurm ends costing only its model, and Ctrl+C
// cancelling the rest of the array.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>

#include "batch.h"
#include "child.h"

namespace vardelmo::test {
namespace {

const std::string kToCluster = "cluster\ns\n";

/// What a shell command printed.
std::string output_of(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      text.append(buffer, got);
    ::pclose(pipe);
  }
  return text;
}

/// The running tasks of this user's vardelmo arrays, as JOB_TASK lines;
/// waits up to a minute for `count` of them.
std::string running_tasks(std::size_t count) {
  std::string tasks;
  for (int tries = 0; tries < 600; ++tries) {
    tasks = output_of("squeue -h -r -t R -n vardelmo -o %i");
    if (static_cast<std::size_t>(std::count(tasks.begin(), tasks.end(), '\n')) >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return tasks;
}

class ClusterOpt : public BatchTest {
 protected:
  // A shell that a failed check ends leaves its array behind, holding the
  // node's cores for minutes.
  void TearDown() override { output_of("scancel -n vardelmo"); }
};

TEST_F(ClusterOpt, BlocksAndRowsAreThoseOfOneModelAtATime) {
  for (const char* name : {"decimals.lp", "infeasible.lp", "broken.lp"})
    copy_model(name, models.path());
  copy_model("unbounded.lp", models.path(), "a;b.lp");
  write_file(models.path() / "notes.txt", "not a model\n");
  write_file(models.path() / "known.solu", "=opt= decimals 31.3375\n=inf= infeasible\n");
  const std::string keep = "save_sol\ns\n";
  ProcessResult one = run_opt(keep);
  const std::string rows = mask_times(csv());
  const std::string details = mask_times(read_text_file(output.path() / "sol_detalhes.csv"));
  std::vector<std::string> solutions = listing_order(output.path() / "solucoes");
  fs::remove_all(output.path() / "solucoes");
  // Folders of killed shells' batches: one silent for minutes goes, one
  // whose shell beat a moment ago stays.
  for (const char* name : {"vardelmo-1-1", "vardelmo-1-2"}) {
    fs::create_directory(output.path() / name);
    write_file(output.path() / name / "heartbeat", "1");
  }
  fs::last_write_time(output.path() / "vardelmo-1-1" / "heartbeat",
                      fs::file_time_type::clock::now() - std::chrono::minutes(6));
  // A memory limit that none of them reaches: the tasks' --mem and caps hold.
  ProcessResult sent = run_opt(keep + kToCluster + "jobs\n2\nmem_limit\n100\nverbose\ns\n");
  const std::string record = read_text_file(output.path() / "sol_lote.txt");
  EXPECT_NE(record.find("\nMEM_LIMIT: 100\nJOBS: 2\nCLUSTER: s\nSAVE_SOL: s\n"), std::string::npos)
      << record;
  EXPECT_NE(record.find("\nFIM: "), std::string::npos) << record;
  ProcessResult verbose_one = run_opt(keep + "verbose\ns\n");
  EXPECT_EQ(blocks_in_entry_order(mask_console(sent.out)),
            kBanner + kPrompt + kAskSaveSol + kPrompt + kAskCluster + kPrompt + kAskJobs +
                kPrompt + kAskMemLimit +
                mask_console(verbose_one.out).substr(kBanner.size() + kPrompt.size() + kAskSaveSol.size()));
  EXPECT_EQ(mask_library_errors(sent.err), mask_library_errors(one.err));
  EXPECT_EQ(mask_times(csv()), rows);
  EXPECT_EQ(mask_times(read_text_file(output.path() / "sol_detalhes.csv")), details);
  EXPECT_EQ(listing_order(output.path() / "solucoes"), solutions);
  // No task file of its own is left in the output folder.
  std::vector<std::string> left = listing_order(output.path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"sol_detalhes.csv", "sol_lote.txt", "sol_stat.csv",
                                            "solucoes", "vardelmo-1-2"}));

  // Where Slurm's commands are missing, nothing is asked or run.
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", work.path().c_str(), 1);
  ProcessResult refused = run_vardelmo(kToCluster + "opt\nexit\n", work.path());
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(refused.out, kBanner + kPrompt + kAskCluster + kPrompt + kPrompt + kBye);
  EXPECT_TRUE(std::regex_match(
      refused.err, std::regex("O Slurm não está disponível: [^\n]+; nenhum modelo foi enviado[.]\n")))
      << refused.err;
}

// Tasks take models one after another, so a batch of any size goes through
// `jobs` tasks: here more models than Slurm's default MaxArraySize allows
// tasks in one array.
TEST_F(ClusterOpt, MoreModelsThanAnArrayMayHaveTasks) {
  std::vector<std::string> rows;
  for (int i = 0; i < 1100; ++i)
    write_file(models.path() / ("m" + std::to_string(i) + ".lp"),
               "Minimize\n obj: x\nSubject To\n c: x >= " + std::to_string(i) + "\nEnd\n");
  for (const std::string& name : listing_order(models.path()))
    rows.push_back("SCIP;" + name + ";T;SOL OTIMA;" + name.substr(1, name.size() - 4) + ",000000;");
  ProcessResult r = run_opt(kToCluster + "jobs\n2\n");
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), results_file(rows));
  EXPECT_EQ(r.status, 0);
}

// A shell killed with SIGKILL stops beating; its tasks finish the model
// they are on and take no other, well before they would have run out of
// models (sixty of five seconds each, for two tasks).
TEST_F(ClusterOpt, AKilledShellsTasksEndOnTheirOwn) {
  for (int i = 0; i < 60; ++i)
    write_file(models.path() / ("hard" + std::to_string(i) + ".lp"), hard_model());
  Child child(work.path());
  child.send(opt_session(models.path(), output.path(), kToCluster + "jobs\n2\ntime_limit\n5\n", ""));
  const std::string tasks = running_tasks(2);
  ASSERT_EQ(std::count(tasks.begin(), tasks.end(), '\n'), 2) << tasks;
  // While it runs, a second batch into its output folder is refused.
  BatchFolders second;
  copy_model("decimals.lp", second.models.path());
  const ProcessResult refused = run_vardelmo(
      opt_session(second.models.path(), output.path(), kToCluster), second.work.path());
  EXPECT_NE(refused.err.find("está em uso pelo lote do processo"), std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.out.find("MODELO"), std::string::npos);
  child.kill();
  EXPECT_EQ(child.finish().signal, SIGKILL);
  const auto killed = std::chrono::steady_clock::now();
  while (!output_of("squeue -h -n vardelmo -t PD,R,CG -o %i").empty() &&
         std::chrono::steady_clock::now() - killed < std::chrono::minutes(3))
    std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_LT(std::chrono::steady_clock::now() - killed, std::chrono::minutes(2));
}

// A task that Slurm ends (here, scancel of its task) costs only the model it
// was solving; with no task left, new ones take the models that wait. Ctrl+C
// cancels the tasks, the models not done get the rows of stopped solves, and
// the shell goes on.
TEST_F(ClusterOpt, SlurmEndingATaskCostsOnlyItsModelAndCtrlCCancelsTheRest) {
  // The one task takes the hard model first (the largest file), the others
  // after it.
  write_file(models.path() / "hard.lp", hard_model());
  copy_model("decimals.lp", models.path(), "d1.lp");
  copy_model("decimals.lp", models.path(), "d2.lp");
  std::vector<std::string> names = listing_order(models.path());
  {
    Child child(work.path());
    child.send(opt_session(models.path(), output.path(), kToCluster, "help\n"));
    const std::string task = running_tasks(1);
    ASSERT_EQ(std::count(task.begin(), task.end(), '\n'), 1) << task;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    output_of("scancel " + task);
    ASSERT_TRUE(child.wait_for_output(kAfterHelp));
    child.send("exit\n");
    ChildResult r = child.finish();
    EXPECT_NE(mask_console(r.out).find(model_block("hard.lp", "ERRO NO SOLVER")), std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("O Slurm encerrou a tarefa do modelo " + (models / "hard.lp") +
                         ": CANCELLED\n"),
              std::string::npos)
        << r.err;
    std::vector<std::string> rows;
    for (const std::string& name : names)
      rows.push_back(name == "hard.lp" ? "SCIP;hard.lp;T;ERRO NO SOLVER;;"
                                       : "SCIP;" + name + ";T;SOL OTIMA;31,337500;");
    EXPECT_EQ(mask_times(csv()), results_file(rows));
    EXPECT_EQ(r.status, 0);
  }

  // One at a time: one hard model runs, the other waits, when Ctrl+C comes.
  for (const std::string& name : names) fs::remove(models.path() / name);
  write_file(models.path() / "hard.lp", hard_model());
  write_file(models.path() / "hard2.lp", hard_model());
  names = listing_order(models.path());
  Child child(work.path());
  child.send(opt_session(models.path(), output.path(), kToCluster, "help\n"));
  running_tasks(1);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  child.interrupt();
  ASSERT_TRUE(child.wait_for_output(kAfterHelp));
  EXPECT_EQ(output_of("squeue -h -n vardelmo -t PD,R -o %i"), "");
  child.send("exit\n");
  ChildResult r = child.finish();
  EXPECT_EQ(r.signal, 0);
  std::string rows = kResultsHeader;
  for (const std::string& name : names)
    rows += "SCIP;" + name + ";T;PROCESSO INTERROMPIDO - USUARIO;[^;\n]*;\n";
  const std::string file = mask_times(csv());
  EXPECT_TRUE(std::regex_match(file, std::regex(rows))) << file;
}

// A shell killed while its array runs: once the array is cancelled, `resume`
// keeps the model that ended and sends only the other again.
TEST_F(ClusterOpt, AKilledShellsBatchResumes) {
  write_file(models.path() / "hard.lp", hard_model());
  copy_model("decimals.lp", models.path());
  {
    Child child(work.path());
    child.send(opt_session(models.path(), output.path(), kToCluster + "jobs\n2\n", ""));
    ASSERT_TRUE(child.wait_for_output("STATUS: SOL OTIMA\n"));
    // Its row follows the block.
    for (int tries = 0; tries < 300 && csv().empty(); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    child.kill();
    EXPECT_EQ(child.finish().signal, SIGKILL);
  }
  output_of("scancel -n vardelmo");
  for (int tries = 0; tries < 300 && !output_of("squeue -h -n vardelmo -t PD,R,CG -o %i").empty(); ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::string kept = read_file(output.path() / "sol_stat.csv");
  ASSERT_EQ(mask_times(kept), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));
  ProcessResult r = run_opt(kToCluster + "time_limit\n1\nresume\ns\n");
  EXPECT_NE(r.out.find("NOME: decimals.lp\nRETOMADO: resultado anterior mantido\n"), std::string::npos)
      << r.out;
  EXPECT_NE(mask_console(r.out).find(model_block("hard.lp", "PROCESSO INTERROMPIDO - LIMITE DE TEMPO")),
            std::string::npos) << r.out;
  const std::string now = read_file(output.path() / "sol_stat.csv");
  EXPECT_NE(now.find(kept.substr(kResultsHeader.size())), std::string::npos) << now;
  EXPECT_EQ(std::count(now.begin(), now.end(), '\n'), 3) << now;
}

}  // namespace
}  // namespace vardelmo::test
