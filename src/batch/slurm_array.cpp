// Models solved as a Slurm job array of worker tasks, up to `jobs` at once.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/executor.h"
#include "batch/worker_files.h"
#include "batch/workers.h"
#include "cluster/slurm.h"

namespace vardelmo {
namespace {

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

/// The job with absolute paths, so that a node finds its files.
std::optional<ModelJob> absolute_job(const ModelJob& job, std::string& why) {
  ModelJob absolute;
  for (auto [from, to] : {std::pair{&job.model_path, &absolute.model_path},
                          std::pair{&job.solution_path, &absolute.solution_path}}) {
    if (from->empty()) continue;
    const std::optional<std::string> text = absolute_text(*from);
    if (!text) {
      why = *from + ": caminho sem forma absoluta";
      return std::nullopt;
    }
    *to = *text;
  }
  return absolute;
}

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

class SlurmArray final : public Executor {
 public:
  SlurmArray(const std::string& output_folder, std::size_t jobs, EntryClock& clock)
      // Not held: nothing sweeps the output folder, often a network file
      // system whose locks may be slow or missing.
      : folder_(std::filesystem::path(output_folder), false), jobs_(jobs), clock_(clock) {}

  bool usable() const { return folder_.usable(); }
  // The whole batch goes out as one array; Slurm keeps to `jobs` at once.
  std::size_t slots() const override { return std::numeric_limits<std::size_t>::max(); }
  CtrlC ctrl_c() const override { return CtrlC::Noted; }

  Start start(std::size_t entry, const ModelJob& job) override {
    std::string why;
    const std::optional<ModelJob> absolute = absolute_job(job, why);
    if (!absolute || !folder_.write_task(tasks_.size(), *absolute, why)) {
      print_error("Não foi possível preparar a tarefa do modelo " + job.model_path + ": " + why +
                  "; nenhum modelo foi enviado.\n");
      return Start::Failed;
    }
    tasks_.push_back({entry, job.model_path});
    return Start::Running;
  }

  bool dispatch() override {
    if (!job_.empty()) return true;
    std::string why;
    if (submit(why)) return true;
    print_error("Não foi possível enviar os modelos ao Slurm: " + why + "\n");
    return false;
  }

  // Slurm is asked once a call: at once the first time, then after `at_most`
  // (cut short by Ctrl+C).
  std::optional<EntryEnd> wait_for_any(const Interruption& interruption,
                                       std::chrono::milliseconds at_most) override {
    if (ended_.empty()) {
      const auto until = std::chrono::steady_clock::now() + at_most;
      while (polled_ && !interruption.raised() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (interruption.raised())
        stop_all();
      else
        poll();
    }
    if (ended_.empty()) return std::nullopt;
    EntryEnd end = std::move(ended_.front());
    ended_.pop_front();
    return end;
  }

  std::size_t queued() const override { return waiting_; }

 private:
  struct Task {
    std::size_t entry = 0;
    std::string model_path;
    bool done = false;
    bool began = false;
  };

  bool submit(std::string& why) {
    cluster::ArrayRequest request;
    request.tasks = static_cast<int>(tasks_.size());
    request.throttle = static_cast<int>(std::min<std::size_t>(jobs_, tasks_.size()));
    request.time_limit_minutes = cluster::task_time_limit_minutes(shell_settings.time_limit);
    if (shell_settings.mem_limit != 0)
      request.memory_megabytes = worker_memory_cap(shell_settings.mem_limit);
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
    // Until Slurm says otherwise, every task waits in its queue.
    waiting_ = tasks_.size();
    return true;
  }

  void poll() {
    polled_ = true;
    std::string why;
    const std::optional<std::vector<cluster::TaskState>> states =
        cluster::poll_array(job_, static_cast<int>(tasks_.size()), why);
    if (!states) {
      if (!told_unreachable_) {
        print_error("O Slurm não respondeu (" + why + "); nova tentativa em instantes.\n");
        told_unreachable_ = true;
      }
      return;
    }
    told_unreachable_ = false;
    waiting_ = 0;
    for (std::size_t task = 0; task < tasks_.size(); ++task) {
      Task& each = tasks_[task];
      const cluster::TaskState& state = (*states)[task];
      if (each.done) continue;
      if (state.phase != cluster::TaskPhase::pending && !each.began) {
        each.began = true;
        clock_.began(each.entry);
      }
      if (state.phase == cluster::TaskPhase::finished)
        end(task, &state);
      else if (state.phase == cluster::TaskPhase::pending)
        ++waiting_;
    }
  }

  void stop_all() {
    std::string why;
    if (!cluster::cancel_array(job_, why))
      print_error("Não foi possível cancelar as tarefas no Slurm: " + why + "\n");
    for (std::size_t task = 0; task < tasks_.size(); ++task)
      if (!tasks_[task].done) end(task, nullptr);
  }

  /// Task `task` is over: as Slurm saw it end, or (no state) stopped by Ctrl+C.
  void end(std::size_t task, const cluster::TaskState* state) {
    Task& each = tasks_[task];
    each.done = true;
    // A task that Slurm ended (cancelled, out of time or memory, its node
    // lost) failed, whatever its solver managed to write as the end came.
    const bool ended_by_slurm = state && state->end != cluster::TaskEnd::completed &&
                                state->end != cluster::TaskEnd::failed &&
                                state->end != cluster::TaskEnd::unknown;
    if (ended_by_slurm) std::remove(folder_.file(task, ".res").c_str());
    TaskFolder::Left left = folder_.collect(task);
    if (!left.result && state && state->end != cluster::TaskEnd::completed)
      left.captured.errors += "O Slurm encerrou a tarefa do modelo " + each.model_path + ": " +
                              slurm_words(*state) + "\n";
    ended_.push_back({each.entry, std::move(left.captured), std::move(left.result), !state});
  }

  TaskFolder folder_;
  std::size_t jobs_;
  EntryClock& clock_;
  std::vector<Task> tasks_;
  std::string job_;
  std::deque<EntryEnd> ended_;
  bool polled_ = false;
  bool told_unreachable_ = false;
  std::size_t waiting_ = 0;
};

bool slurm_ready() {
  std::string why;
  if (cluster::slurm_answers(why)) return true;
  print_error("O Slurm não está disponível: " + why + "; nenhum modelo foi enviado.\n");
  return false;
}

std::unique_ptr<Executor> open_slurm_array(const BatchPlan& plan) {
  const std::optional<std::string> output = absolute_text(plan.output_folder);
  auto array =
      std::make_unique<SlurmArray>(output ? *output : plan.output_folder, plan.jobs, plan.clock);
  if (array->usable()) return array;
  print_error("Não foi possível criar a pasta das tarefas em " + plan.output_folder +
              "; nenhum modelo foi enviado.\n");
  return nullptr;
}

}  // namespace

const ExecutionMode kSlurmArray = {slurm_ready, open_slurm_array};

}  // namespace vardelmo
