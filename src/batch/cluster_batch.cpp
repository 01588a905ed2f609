#include "batch/cluster_batch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/worker_files.h"
#include "cluster/slurm.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

using Clock = std::chrono::steady_clock;

struct Task {
  std::size_t entry = 0;
  std::string model_path;
  bool done = false;
  std::optional<Clock::time_point> running_since;
};

/// An absolute path for a path text, so that a node finds what it names.
std::optional<std::string> absolute_text(const std::string& path) {
  std::error_code error;
  const std::filesystem::path native = platform::native_path(path, error);
  if (error) return std::nullopt;
  const std::filesystem::path absolute = std::filesystem::absolute(native, error);
  if (error) return std::nullopt;
  std::string text = platform::narrow_name(absolute, error);
  if (error) return std::nullopt;
  return text;
}

/// The line that tells, on a terminal, how far the array is; redrawn in
/// place and wiped before a block is printed.
class ProgressLine {
 public:
  ProgressLine() : shown_(platform::output_is_terminal()) {}
  ~ProgressLine() { wipe(); }
  void show(std::size_t done, std::size_t running, std::size_t waiting) {
    if (!shown_) return;
    wipe();
    text_ = "Slurm: " + std::to_string(done) + " prontos, " + std::to_string(running) +
            " em execução, " + std::to_string(waiting) + " aguardando";
    print(text_);
    flush_output();
  }
  void wipe() {
    if (text_.empty()) return;
    print("\r" + std::string(text_.size(), ' ') + "\r");
    text_.clear();
  }

 private:
  bool shown_;
  std::string text_;
};

std::string slurm_words(const cluster::TaskState& state) {
  if (state.end == cluster::TaskEnd::unknown) return "o Slurm não tem mais registro dela";
  std::string words = state.slurm_state;
  if (state.end == cluster::TaskEnd::failed && state.signal != 0)
    words += ", sinal " + std::to_string(state.signal);
  else if (state.end == cluster::TaskEnd::failed)
    words += ", código de saída " + std::to_string(state.exit_code);
  if (!state.reason.empty() && state.reason != "None") words += " (" + state.reason + ")";
  return words;
}

class ClusterBatch {
 public:
  ClusterBatch(const std::string& output_folder, const EntryFinished& finished)
      : folder_(std::filesystem::path(output_folder)), finished_(finished) {}

  bool usable() const { return folder_.usable(); }

  bool add(std::size_t entry, const std::string& model_path, std::string& reason) {
    const std::optional<std::string> absolute = absolute_text(model_path);
    if (!absolute) {
      reason = model_path + ": caminho sem forma absoluta";
      return false;
    }
    if (!folder_.write_task(tasks_.size(), *absolute, reason)) return false;
    tasks_.push_back({entry, model_path, false, std::nullopt});
    return true;
  }

  bool empty() const { return tasks_.empty(); }

  bool submit(std::size_t jobs, std::string& why) {
    cluster::ArrayRequest request;
    request.tasks = static_cast<int>(tasks_.size());
    request.throttle = static_cast<int>(std::min<std::size_t>(jobs, tasks_.size()));
    request.time_limit_minutes = cluster::task_time_limit_minutes(shell_settings.time_limit);
    request.program = platform::program_path();
    if (request.program.empty()) {
      why = "o arquivo do programa foi substituído desde que o shell começou";
      return false;
    }
    const std::string pattern =
        cluster::pattern_text(folder_.path()) + platform::path_separator + "%a";
    request.input_pattern = pattern + ".in";
    request.output_pattern = pattern + ".out";
    request.error_pattern = pattern + ".err";
    request.job_name = "vardelmo";
    std::optional<std::string> job = cluster::submit_array(request, why);
    if (!job) return false;
    job_ = *job;
    return true;
  }

  /// Follows the array until every task has ended or Ctrl+C came.
  void follow(const platform::InterruptFlag& interrupt) {
    ProgressLine progress;
    bool told_unreachable = false;
    for (std::size_t left = tasks_.size(); left > 0;) {
      std::string why;
      const std::optional<std::vector<cluster::TaskState>> states =
          cluster::poll_array(job_, static_cast<int>(tasks_.size()), why);
      if (interrupt.raised()) break;
      if (!states) {
        if (!told_unreachable) {
          progress.wipe();
          print_error("O Slurm não respondeu (" + why + "); nova tentativa em instantes.\n");
          told_unreachable = true;
        }
      } else {
        told_unreachable = false;
        std::size_t running = 0, waiting = 0;
        for (std::size_t task = 0; task < tasks_.size(); ++task) {
          Task& each = tasks_[task];
          const cluster::TaskState& state = (*states)[task];
          if (each.done) continue;
          if (state.phase != cluster::TaskPhase::pending && !each.running_since)
            each.running_since = Clock::now();
          if (state.phase == cluster::TaskPhase::finished) {
            progress.wipe();
            report(task, state, false);
            --left;
          } else {
            ++(state.phase == cluster::TaskPhase::running ? running : waiting);
          }
        }
        progress.show(tasks_.size() - left, running, waiting);
      }
      // A second between questions, cut short by Ctrl+C.
      for (int step = 0; step < 10 && left > 0 && !interrupt.raised(); ++step)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (interrupt.raised()) break;
    }
    progress.wipe();
    if (!interrupt.raised()) return;
    std::string why;
    if (!cluster::cancel_array(job_, why))
      print_error("Não foi possível cancelar as tarefas no Slurm: " + why + "\n");
    for (std::size_t task = 0; task < tasks_.size(); ++task)
      if (!tasks_[task].done) report(task, std::nullopt, true);
  }

 private:
  void report(std::size_t task, const std::optional<cluster::TaskState>& state,
              bool interrupted) {
    Task& each = tasks_[task];
    each.done = true;
    const double seconds =
        each.running_since
            ? std::chrono::duration<double>(Clock::now() - *each.running_since).count()
            : 0;
    // A task that Slurm ended (cancelled, out of time or memory, its node
    // lost) failed, whatever its solver managed to write as the end came.
    const bool ended_by_slurm = state && state->end != cluster::TaskEnd::completed &&
                                state->end != cluster::TaskEnd::failed &&
                                state->end != cluster::TaskEnd::unknown;
    if (ended_by_slurm) std::remove(folder_.file(task, ".res").c_str());
    const bool had_result = !ended_by_slurm && std::filesystem::exists(
        std::filesystem::path(folder_.file(task, ".res")));
    const std::optional<std::string> row =
        folder_.report(task, each.entry, each.model_path, interrupted, seconds);
    if (!had_result && state && state->end != cluster::TaskEnd::completed)
      print_error("O Slurm encerrou a tarefa do modelo " + each.model_path + ": " +
                  slurm_words(*state) + "\n");
    finished_(each.entry, row ? std::optional<std::string_view>(*row) : std::nullopt);
  }

  TaskFolder folder_;
  const EntryFinished& finished_;
  std::vector<Task> tasks_;
  std::string job_;
};

}  // namespace

bool slurm_ready() {
  std::string why;
  if (cluster::slurm_answers(why)) return true;
  print_error("O Slurm não está disponível: " + why + "; nenhum modelo foi enviado.\n");
  return false;
}

void solve_on_cluster(const FileNameList& models, const std::string& output_folder,
                      std::size_t jobs, const EntryFinished& finished) {
  const std::optional<std::string> output = absolute_text(output_folder);
  ClusterBatch batch(output ? *output : output_folder, finished);
  std::string why;
  if (!batch.usable()) {
    print_error("Não foi possível criar a pasta das tarefas em " + output_folder +
                "; nenhum modelo foi enviado.\n");
    return;
  }
  for (std::size_t entry = 0; entry < models.size(); ++entry) {
    const std::string path(models[entry]);
    if (names_a_model(path) && !batch.add(entry, path, why)) {
      print_error("Não foi possível preparar a tarefa do modelo " + path + ": " + why +
                  "; nenhum modelo foi enviado.\n");
      return;
    }
  }
  // From the submission on, Ctrl+C cancels the array instead of leaving it
  // to run with no one to collect it.
  platform::InterruptFlag interrupt;
  if (!batch.empty() && !batch.submit(jobs, why)) {
    print_error("Não foi possível enviar os modelos ao Slurm: " + why + "\n");
    return;
  }
  // Entries that are no model are done at once.
  for (std::size_t entry = 0; entry < models.size(); ++entry) {
    if (names_a_model(std::string(models[entry]))) continue;
    print_model_header(entry);
    finished(entry, std::nullopt);
  }
  flush_output();
  if (!batch.empty()) batch.follow(interrupt);
}

}  // namespace vardelmo
