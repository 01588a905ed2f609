// The Slurm layer against a real cluster (scripts/slurm-cluster start), with
// a shell script as the task program. A cluster that does not answer fails.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/process.h"
#include "cluster/slurm.h"
#include "files.h"
#include "task_summary.h"

namespace vardelmo::cluster {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempFolder;
using test::write_file;

// Each task's input line says what it does.
const char* const kTaskProgram =
    "#!/bin/sh\n"
    "read what\n"
    "echo \"out $what\"\n"
    "echo \"err $what\" >&2\n"
    "case $what in\n"
    "  term) kill -TERM $$ ;;\n"
    "  sleep) exec sleep 300 ;;\n"
    "  *) exit $what ;;\n"
    "esac\n";

std::vector<std::string> summaries(const std::vector<TaskState>& states) {
  std::vector<std::string> texts;
  for (const TaskState& state : states) texts.push_back(summary(state));
  return texts;
}

// One array, one task at a time, through every way a task ends: the
// controller's polls see each as it is; cancelling one task and then the
// array ends only those; a task that never started has no files.
TEST(SlurmCluster, ArrayTasksRunThrottledAndEndAsSlurmSays) {
  std::string why;
  ASSERT_TRUE(slurm_answers(why)) << why;

  TempFolder temp;
  // A % and a quote that Slurm and the script's shell must take literally.
  const fs::path folder = temp.path() / "lote%a";
  fs::create_directory(folder);
  const std::string program = (folder / "it's.sh").string();
  write_file(program, kTaskProgram);
  fs::permissions(program, fs::perms::owner_all);
  const std::vector<std::string> lines = {"0", "3", "term", "sleep", "sleep", "sleep", "sleep"};
  const int tasks = static_cast<int>(lines.size());
  for (int task = 0; task < tasks; ++task)
    write_file(folder / ("in." + std::to_string(task)), lines[task] + "\n");

  ArrayRequest request;
  request.tasks = tasks;
  request.throttle = 1;
  request.time_limit_minutes = 1;
  request.memory_megabytes = 64;
  request.program = program;
  request.input_pattern = pattern_text(folder.string()) + "/in.%a";
  request.output_pattern = pattern_text(folder.string()) + "/out.%a";
  request.error_pattern = pattern_text(folder.string()) + "/err.%a";
  request.job_name = "vardelmo-test";
  const std::optional<std::string> job = submit_array(request, why);
  ASSERT_TRUE(job) << why;
  // Each task asks for its memory.
  const platform::CommandOutcome memory =
      platform::run_command({"squeue", "--noheader", "--array", "--jobs=" + *job, "--format=%m"});
  EXPECT_EQ(memory.output.substr(0, memory.output.find('\n')), "64M") << memory.errors;

  // Task 3 is cancelled alone once it runs, task 4 meets the time limit, and
  // the array is cancelled once task 5 runs, while 6 waits for its turn.
  // Each is cancelled once it has printed, for its files to be checked.
  const auto printed = [&](int task) {
    return !read_file(folder / ("out." + std::to_string(task))).empty();
  };
  int most_running = 0;
  bool task_cancelled = false, array_cancelled = false;
  std::vector<TaskState> states;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
  for (;;) {
    std::optional<std::vector<TaskState>> polled = poll_array(*job, tasks, why);
    ASSERT_TRUE(polled) << why;
    states = *polled;
    int running = 0, finished = 0;
    for (const TaskState& state : states) {
      running += state.phase == TaskPhase::running;
      finished += state.phase == TaskPhase::finished;
    }
    most_running = std::max(most_running, running);
    if (finished == tasks) break;
    if (!task_cancelled && states[3].phase == TaskPhase::running && printed(3)) {
      ASSERT_TRUE(cancel_task(*job, 3, why)) << why;
      task_cancelled = true;
    }
    if (!array_cancelled && states[5].phase == TaskPhase::running && printed(5)) {
      ASSERT_TRUE(cancel_array(*job, why)) << why;
      array_cancelled = true;
    }
    ASSERT_LT(std::chrono::steady_clock::now(), deadline)
        << ::testing::PrintToString(summaries(states));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }

  EXPECT_EQ(most_running, 1);
  EXPECT_EQ(summaries(states),
            (std::vector<std::string>{"completed", "failed, exit 3, signal 0",
                                      "failed, exit 0, signal 15", "cancelled", "time limit",
                                      "cancelled", "cancelled"}));
  // Slurm adds its own line to the errors of a task it ended.
  for (int task = 0; task < 6; ++task) {
    const std::string index = std::to_string(task);
    EXPECT_EQ(read_file(folder / ("out." + index)), "out " + lines[task] + "\n") << task;
    EXPECT_EQ(read_file(folder / ("err." + index)).rfind("err " + lines[task] + "\n", 0), 0u)
        << task;
  }
  EXPECT_FALSE(fs::exists(folder / "out.6"));

  // Cancelling what has ended is no failure; a job Slurm does not know has
  // only tasks of unknown end.
  EXPECT_TRUE(cancel_array(*job, why)) << why;
  std::optional<std::vector<TaskState>> unknown = poll_array("99999999", 2, why);
  ASSERT_TRUE(unknown) << why;
  EXPECT_EQ(summaries(*unknown), (std::vector<std::string>{"unknown", "unknown"}));
}

}  // namespace
}  // namespace vardelmo::cluster
