#include "cluster/slurm.h"

#include <cmath>
#include <cstdlib>

#include "base/process.h"

namespace vardelmo::cluster {
namespace {

// Without a size, squeue's -O fields are neither padded nor cut; each ends
// with the separator. exit_code is the task's wait status.
const char* const kTaskFields = "ArrayTaskID:|,State:|,Reason:|,exit_code:|";

// Slurm's answers to a job it does not know, or to a cancel of one that has
// ended: versions differ in whether they exit with 0.
bool is_about_an_ended_job(const std::string& errors) {
  return errors.find("Invalid job id specified") != std::string::npos ||
         errors.find("already completing or completed") != std::string::npos;
}

std::string trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// Runs one of Slurm's commands; false, with `why`, unless it exits with 0.
bool run_slurm(const std::vector<std::string>& command, platform::CommandOutcome& outcome,
               std::string& why) {
  outcome = platform::run_command(command);
  if (!outcome.started) {
    why = "o comando " + command[0] + " do Slurm não pôde ser executado: " + outcome.errors;
    return false;
  }
  if (outcome.exit_code == 0) return true;
  const std::string words = trimmed(outcome.errors);
  why = command[0] + " falhou" + (words.empty() ? std::string() : ": " + words);
  return false;
}

bool cancel(const std::string& target, std::string& why) {
  platform::CommandOutcome outcome;
  if (run_slurm({"scancel", target}, outcome, why)) return true;
  return outcome.started && is_about_an_ended_job(outcome.errors);
}

bool is_number(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t begin = 0;
  for (std::size_t end; (end = line.find('|', begin)) != std::string::npos; begin = end + 1)
    fields.push_back(line.substr(begin, end - begin));
  return fields;
}

struct StateWord {
  const char* word;
  TaskPhase phase;
  TaskEnd end;
};

// Slurm's job states; a word not here is taken as an end Slurm made.
// COMPLETING is a task whose program ended but whose processes Slurm is
// still cleaning up: its state is not final yet.
const StateWord kStates[] = {
    {"PENDING", TaskPhase::pending, TaskEnd::unknown},
    {"REQUEUED", TaskPhase::pending, TaskEnd::unknown},
    {"REQUEUE_HOLD", TaskPhase::pending, TaskEnd::unknown},
    {"REQUEUE_FED", TaskPhase::pending, TaskEnd::unknown},
    {"RESV_DEL_HOLD", TaskPhase::pending, TaskEnd::unknown},
    {"CONFIGURING", TaskPhase::running, TaskEnd::unknown},
    {"RUNNING", TaskPhase::running, TaskEnd::unknown},
    {"COMPLETING", TaskPhase::running, TaskEnd::unknown},
    {"SUSPENDED", TaskPhase::running, TaskEnd::unknown},
    {"STOPPED", TaskPhase::running, TaskEnd::unknown},
    {"SIGNALING", TaskPhase::running, TaskEnd::unknown},
    {"STAGE_OUT", TaskPhase::running, TaskEnd::unknown},
    {"RESIZING", TaskPhase::running, TaskEnd::unknown},
    {"COMPLETED", TaskPhase::finished, TaskEnd::completed},
    {"FAILED", TaskPhase::finished, TaskEnd::failed},
    {"CANCELLED", TaskPhase::finished, TaskEnd::cancelled},
    {"TIMEOUT", TaskPhase::finished, TaskEnd::time_limit},
    {"OUT_OF_MEMORY", TaskPhase::finished, TaskEnd::out_of_memory},
    {"NODE_FAIL", TaskPhase::finished, TaskEnd::node_failure},
    {"BOOT_FAIL", TaskPhase::finished, TaskEnd::node_failure},
};

}  // namespace

bool read_task_line(const std::string& line, int tasks, int& index, TaskState& state) {
  const std::vector<std::string> fields = fields_of(line);
  if (fields.size() != 4 || !is_number(fields[0]) || fields[0].size() > 9) return false;
  index = std::atoi(fields[0].c_str());
  if (index >= tasks) return false;
  state.slurm_state = fields[1];
  state.reason = fields[2];
  // "CANCELLED by 0" on some versions.
  const std::string word = fields[1].substr(0, fields[1].find(' '));
  state.phase = TaskPhase::finished;
  state.end = TaskEnd::other;
  for (const StateWord& known : kStates) {
    if (word != known.word) continue;
    state.phase = known.phase;
    state.end = known.end;
  }
  if (state.end == TaskEnd::failed && is_number(fields[3]) && fields[3].size() < 10) {
    const int status = std::atoi(fields[3].c_str());
    state.signal = status & 0x7f;
    state.exit_code = state.signal == 0 ? (status >> 8) & 0xff : 0;
  }
  return true;
}

bool slurm_answers(std::string& why) {
  platform::CommandOutcome outcome;
  for (const char* command : {"sbatch", "scancel"})
    if (!run_slurm({command, "--version"}, outcome, why)) return false;
  // A query that needs the controller, and asks it for little.
  if (run_slurm({"squeue", "--me", "--noheader", "--format=%A"}, outcome, why)) return true;
  why = "o controlador do Slurm não responde: " + why;
  return false;
}

int task_time_limit_minutes(double solver_seconds, std::size_t models) {
  if (!(solver_seconds > 0)) return 0;
  // Reading the model and writing the result are outside the solver's clock,
  // and a busy node reads slowly: a tenth more and five minutes.
  const double minutes = (std::ceil(solver_seconds * 1.1 / 60) + 5) * static_cast<double>(models);
  // A year: beyond it a limit stops nothing that would otherwise end.
  if (minutes > 366.0 * 24 * 60) return 0;
  return static_cast<int>(minutes);
}

std::string this_task_name() {
  const char* job = std::getenv("SLURM_ARRAY_JOB_ID");
  const char* task = std::getenv("SLURM_ARRAY_TASK_ID");
  if (!job || !task || !is_number(job) || !is_number(task)) return "";
  return std::string(job) + "_" + task;
}

std::string pattern_text(const std::string& path) {
  std::string text;
  for (char c : path) {
    if (c == '%') text += '%';
    text += c;
  }
  return text;
}

std::optional<std::string> submit_array(const ArrayRequest& request, std::string& why) {
  // With a backslash anywhere in a pattern, Slurm reads none of its
  // placeholders, and every task would share one file.
  for (const std::string* pattern :
       {&request.input_pattern, &request.output_pattern, &request.error_pattern}) {
    if (pattern->find('\\') != std::string::npos) {
      why = "o Slurm não aceita uma \\ no caminho " + *pattern;
      return std::nullopt;
    }
  }
  std::string array = "--array=0-" + std::to_string(request.tasks - 1);
  if (request.throttle > 0) array += "%" + std::to_string(request.throttle);
  // sbatch runs scripts only; the script starts the program in its place,
  // with the input sbatch gave the script. A task that a node failure ends
  // stays ended: run again, it would solve the model twice.
  std::string quoted = "'";
  for (char c : request.program) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  std::vector<std::string> command = {"sbatch",
                                      "--parsable",
                                      "--no-requeue",
                                      array,
                                      "--job-name=" + request.job_name,
                                      "--input=" + request.input_pattern,
                                      "--output=" + request.output_pattern,
                                      "--error=" + request.error_pattern,
                                      "--wrap=exec " + quoted};
  if (request.time_limit_minutes > 0)
    command.push_back("--time=" + std::to_string(request.time_limit_minutes));
  if (request.memory_megabytes > 0)
    command.push_back("--mem=" + std::to_string(request.memory_megabytes) + "M");
  platform::CommandOutcome outcome;
  if (!run_slurm(command, outcome, why)) return std::nullopt;
  // "<job id>" or "<job id>;<cluster>".
  const std::string job = trimmed(outcome.output.substr(0, outcome.output.find(';')));
  if (!is_number(job)) {
    why = "sbatch respondeu sem o número do job: " + trimmed(outcome.output);
    return std::nullopt;
  }
  return job;
}

std::optional<std::vector<TaskState>> poll_array(const std::string& job, int tasks,
                                                 std::string& why) {
  std::vector<TaskState> states(static_cast<std::size_t>(tasks > 0 ? tasks : 0));
  std::vector<bool> seen(states.size(), false);
  platform::CommandOutcome outcome;
  // -r: one line per task, pending ones too; -t all: ended ones as well.
  if (!run_slurm({"squeue", "--noheader", "--array", "--states=all", "--jobs=" + job,
                  std::string("--Format=") + kTaskFields},
                 outcome, why) &&
      !(outcome.started && is_about_an_ended_job(outcome.errors)))
    return std::nullopt;
  std::size_t begin = 0;
  while (begin < outcome.output.size()) {
    std::size_t end = outcome.output.find('\n', begin);
    if (end == std::string::npos) end = outcome.output.size();
    int index = 0;
    TaskState state;
    if (read_task_line(outcome.output.substr(begin, end - begin), tasks, index, state)) {
      states[static_cast<std::size_t>(index)] = state;
      seen[static_cast<std::size_t>(index)] = true;
    }
    begin = end + 1;
  }
  for (std::size_t index = 0; index < states.size(); ++index)
    if (!seen[index]) states[index].phase = TaskPhase::finished;
  return states;
}

bool cancel_array(const std::string& job, std::string& why) { return cancel(job, why); }

bool cancel_task(const std::string& job, int task, std::string& why) {
  return cancel(job + "_" + std::to_string(task), why);
}

}  // namespace vardelmo::cluster
