#pragma once
// Slurm through its own commands (sbatch, squeue, scancel), as a user at a
// login node would use it: no library of Slurm's, so any version's commands
// do. The texts that say why something failed are for the user, in the
// shell's language, with Slurm's own words after them.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vardelmo::cluster {

/// True when sbatch, squeue and scancel are there and the controller
/// answers; otherwise `why` says what is missing.
[[nodiscard]] bool slurm_answers(std::string& why);

/// One job array: tasks 0 to tasks - 1, each running `program` with no
/// argument, its standard input and output and error in files named by
/// patterns where %a stands for the task's index. Every path is absolute and
/// on a file system that the nodes share. The tasks start in the folder the
/// submission was made from.
struct ArrayRequest {
  int tasks = 0;
  /// At most this many tasks at once; 0 leaves it to Slurm.
  int throttle = 0;
  /// Per task; 0 sets none (the partition's own applies).
  int time_limit_minutes = 0;
  /// Memory per task in MB (--mem); 0 asks for none (the partition's default applies).
  std::size_t memory_megabytes = 0;
  std::string program;
  std::string input_pattern;
  std::string output_pattern;
  std::string error_pattern;
  std::string job_name;
};

/// Slurm's time limit for a task that solves up to `models` models whose
/// solver stops after `solver_seconds` (0: never): more than that, for what
/// the task does besides solving. 0, for none, when the solver has none or
/// the sum is beyond any sensible limit.
[[nodiscard]] int task_time_limit_minutes(double solver_seconds, std::size_t models = 1);

/// In a task of a job array: its name, "<array's job id>_<task index>", as
/// patterns write it with %A_%a; empty elsewhere.
[[nodiscard]] std::string this_task_name();

/// `path` as a part of a file name pattern: Slurm would read a % in it as
/// the start of a placeholder.
[[nodiscard]] std::string pattern_text(const std::string& path);

/// Submits the array; its job id, or nothing with `why`.
[[nodiscard]] std::optional<std::string> submit_array(const ArrayRequest& request,
                                                      std::string& why);

enum class TaskPhase { pending, running, finished };

/// How a finished task ended.
enum class TaskEnd {
  /// The program exited with 0.
  completed,
  /// The program exited with another code, or a signal ended it.
  failed,
  cancelled,
  time_limit,
  out_of_memory,
  node_failure,
  /// Another of Slurm's ends (preempted, deadline, ...): see slurm_state.
  other,
  /// Slurm no longer knows the task: it ended long enough ago for its record
  /// to be purged (MinJobAge), or the job never existed.
  unknown,
};

struct TaskState {
  TaskPhase phase = TaskPhase::pending;
  /// For a finished task.
  TaskEnd end = TaskEnd::unknown;
  /// For a failed one: the exit code, or the signal that ended it (0 when
  /// it exited).
  int exit_code = 0;
  int signal = 0;
  /// Slurm's words for the state and its reason ("TIMEOUT", "TimeLimit"),
  /// for a message; empty for an unknown task.
  std::string slurm_state;
  std::string reason;
};

/// Reads one line of the squeue query of poll_array, one task's
/// "index|state|reason|wait status|", into `index` and `state`; false for a
/// line that is not one, or one of a task not below `tasks`.
[[nodiscard]] bool read_task_line(const std::string& line, int tasks, int& index,
                                  TaskState& state);

/// The state of each of the `tasks` tasks of `job`, indexed by task, from
/// one query to the controller (a few milliseconds: fit for every second).
/// Nothing, with `why`, when the controller cannot be asked.
[[nodiscard]] std::optional<std::vector<TaskState>> poll_array(const std::string& job, int tasks,
                                                               std::string& why);

/// Cancels every task of the job that has not ended; a job that has ended
/// already is no failure.
[[nodiscard]] bool cancel_array(const std::string& job, std::string& why);

/// Cancels one task, as cancel_array.
[[nodiscard]] bool cancel_task(const std::string& job, int task, std::string& why);

}  // namespace vardelmo::cluster
