// What the Slurm layer makes of squeue's lines and of a solver's time limit,
// without a cluster.

#include <gtest/gtest.h>

#include <string>

#include "cluster/slurm.h"
#include "task_summary.h"

namespace vardelmo::cluster {
namespace {

/// The task a line is about, what became of it, and Slurm's words for it.
std::string read(const std::string& line, int tasks = 10) {
  int index = -1;
  TaskState state;
  if (!read_task_line(line, tasks, index, state)) return "no task";
  return std::to_string(index) + ": " + summary(state) + " (" + state.slurm_state + ", " +
         state.reason + ")";
}

TEST(SqueueLines, StatesAndReasonsAsSlurmGivesThem) {
  EXPECT_EQ(read("0|PENDING|JobArrayTaskLimit|0|"), "0: pending (PENDING, JobArrayTaskLimit)");
  EXPECT_EQ(read("1|REQUEUE_HOLD|launch failed requeued held|0|"),
            "1: pending (REQUEUE_HOLD, launch failed requeued held)");
  EXPECT_EQ(read("2|RUNNING|None|0|"), "2: running (RUNNING, None)");
  // Its program has ended, but its result may not be all written yet.
  EXPECT_EQ(read("3|COMPLETING|None|0|"), "3: running (COMPLETING, None)");
  EXPECT_EQ(read("4|COMPLETED|None|0|"), "4: completed (COMPLETED, None)");
  EXPECT_EQ(read("5|CANCELLED by 0|None|0|"), "5: cancelled (CANCELLED by 0, None)");
  EXPECT_EQ(read("6|TIMEOUT|TimeLimit|0|"), "6: time limit (TIMEOUT, TimeLimit)");
  EXPECT_EQ(read("7|OUT_OF_MEMORY|None|0|"), "7: out of memory (OUT_OF_MEMORY, None)");
  EXPECT_EQ(read("8|NODE_FAIL|NodeDown|0|"), "8: node failure (NODE_FAIL, NodeDown)");
  EXPECT_EQ(read("8|BOOT_FAIL|None|0|"), "8: node failure (BOOT_FAIL, None)");
  EXPECT_EQ(read("9|PREEMPTED|None|0|"), "9: other: PREEMPTED (PREEMPTED, None)");
}

// The field is the wait status: the exit code above the low byte, or the
// signal in its low bits (0x80 marks a core dump).
TEST(SqueueLines, AFailedTaskEndsWithItsExitCodeOrSignal) {
  EXPECT_EQ(read("0|FAILED|None|768|"), "0: failed, exit 3, signal 0 (FAILED, None)");
  EXPECT_EQ(read("0|FAILED|None|65280|"), "0: failed, exit 255, signal 0 (FAILED, None)");
  EXPECT_EQ(read("0|FAILED|None|15|"), "0: failed, exit 0, signal 15 (FAILED, None)");
  EXPECT_EQ(read("0|FAILED|None|134|"), "0: failed, exit 0, signal 6 (FAILED, None)");
  EXPECT_EQ(read("0|FAILED|None|N/A|"), "0: failed, exit 0, signal 0 (FAILED, None)");
  EXPECT_EQ(read("0|FAILED|None|99999999999|"), "0: failed, exit 0, signal 0 (FAILED, None)");
}

// A line read as a task that it is not about would give that task another's
// state. With --array, squeue gives each task its own line, never a range of
// pending ones.
TEST(SqueueLines, OnlyALineOfOneOfTheArraysTasksIsATask) {
  EXPECT_EQ(read("12|RUNNING|None|0|", 13), "12: running (RUNNING, None)");
  for (const char* line :
       {"13|RUNNING|None|0|", "-1|RUNNING|None|0|", "4294967297|RUNNING|None|0|",
        "N/A|PENDING|None|0|", "[2-12%1]|PENDING|JobArrayTaskLimit|0|", "2-12|PENDING|None|0|",
        " 2|RUNNING|None|0|", "+2|RUNNING|None|0|", "2|RUNNING|None|0", "2|RUNNING|None|0|x|",
        "ARRAY_TASK_ID|STATE|REASON|EXIT_CODE|", "", "squeue: error: Invalid job id specified"})
    EXPECT_EQ(read(line, 13), "no task") << line;
}

TEST(TaskTimeLimit, LeavesRoomAboveTheSolversOrSetsNone) {
  EXPECT_EQ(task_time_limit_minutes(0), 0);
  EXPECT_GT(task_time_limit_minutes(3600), 60);
  EXPECT_EQ(task_time_limit_minutes(1e308), 0);
}

}  // namespace
}  // namespace vardelmo::cluster
