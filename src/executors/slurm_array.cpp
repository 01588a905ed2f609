// Models solved by up to `jobs` Slurm tasks (one job array, again when
// all of them ended with models left), each taking the next model from the
// batch's queue in the output folder until none is left: Slurm starts a
// task in about a second, which a model each would pay again and again.
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
#include "executors/executor.h"
#include "worker/protocol.h"
#include "worker/task_queue.h"
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

/// The settings with an absolute settings file, which every node then reads.
SolveSettings on_every_node(SolveSettings settings) {
  if (settings.param_file.empty()) return settings;
  if (const std::optional<std::string> text = absolute_text(settings.param_file))
    settings.param_file = *text;
  return settings;
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

// Array indexes stay below Slurm's default MaxArraySize (1001), whatever
// `jobs` a user typed.
constexpr std::size_t kMostTasks = 1000;

class SlurmTasks final : public Executor {
 public:
  // The whole batch goes into the queue at once; at most `jobs` tasks take
  // from it.
  SlurmTasks(const std::string& output_folder, const BatchPlan& plan)
      : Executor(std::numeric_limits<std::size_t>::max(), false),
        // Not held: nothing sweeps the output folder, often a network file
        // system whose locks may be slow or missing.
        queue_(std::filesystem::path(output_folder), false, true, plan.models, plan.clock,
               on_every_node(plan.settings.solve)),
        settings_(plan.settings.solve),
        jobs_(plan.settings.jobs) {}

  ~SlurmTasks() override {
    // Tasks still waiting for a node would find nothing left to do.
    std::string ignored;
    for (const Array& array : arrays_)
      if (!array.ended()) (void)cluster::cancel_array(array.job, ignored);
  }

  bool usable() const { return queue_.usable(); }
  /// Killed shells' folders would pile up in the output folder for good.
  void remove_silent_neighbours() const { queue_.remove_silent_neighbours(); }
  bool start(std::size_t entry, const ModelJob& job) override {
    std::string why;
    const std::optional<ModelJob> absolute = absolute_job(job, why);
    if (absolute) {
      queue_.add(entry, *absolute);
      return true;
    }
    print_error("Não foi possível preparar a tarefa do modelo " + job.model_path + ": " + why +
                "; nenhum modelo foi enviado.\n");
    return false;
  }

  bool dispatch() override {
    if (!arrays_.empty()) return true;
    std::string why;
    if (queue_.publish(why) && queue_.write_order("", why) && submit(why)) return true;
    print_error("Não foi possível enviar os modelos ao Slurm: " + why + "\n");
    return false;
  }

  // Slurm is asked once a call: at once the first time, then after `at_most`
  // (cut short by Ctrl+C, which ends every model still running, unsolved).
  std::optional<EntryEnd> wait_for_any(std::chrono::milliseconds at_most) override {
    if (std::optional<EntryEnd> ended = queue_.next_ended()) return ended;
    const auto until = std::chrono::steady_clock::now() + at_most;
    while (polled_ && !ctrl_c_.raised() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (ctrl_c_.raised())
      stop_all();
    else
      poll();
    return queue_.next_ended();
  }

  std::size_t queued() const override { return queue_.untaken(); }

 private:
  struct Array {
    std::string job;
    std::vector<bool> finished;
    [[nodiscard]] bool ended() const {
      return std::find(finished.begin(), finished.end(), false) == finished.end();
    }
  };

  static std::string task_name(const Array& array, std::size_t task) {
    return array.job + "_" + std::to_string(task);
  }

  bool submit(std::string& why) {
    const std::size_t models = queue_.untaken();
    const std::size_t tasks = std::min({jobs_, models, kMostTasks});
    cluster::ArrayRequest request;
    request.tasks = static_cast<int>(tasks);
    // Slurm's limit covers a task's share; the worker keeps each model to its own.
    request.time_limit_minutes = cluster::task_time_limit_minutes(
        settings_.time_limit, (models + tasks - 1) / tasks);
    if (settings_.mem_limit != 0)
      request.memory_megabytes = worker_memory_cap(settings_.mem_limit);
    request.program = platform::program_path();
    if (request.program.empty()) {
      why = "o arquivo do programa foi substituído desde que o shell começou";
      return false;
    }
    const std::string pattern = cluster::pattern_text(queue_.file_of("", "")) + "%A_%a";
    request.input_pattern = cluster::pattern_text(queue_.file_of("", ".in"));
    request.output_pattern = pattern + ".out";
    request.error_pattern = pattern + ".err";
    request.job_name = "vardelmo";
    std::optional<std::string> job = cluster::submit_array(request, why);
    if (!job) return false;
    arrays_.push_back({*job, std::vector<bool>(tasks, false)});
    return true;
  }

  void poll() {
    polled_ = true;
    queue_.beat();
    for (Array& array : arrays_) {
      if (array.ended()) continue;
      std::string why;
      const std::optional<std::vector<cluster::TaskState>> states =
          cluster::poll_array(array.job, static_cast<int>(array.finished.size()), why);
      if (!states) {
        if (!told_unreachable_)
          print_error("O Slurm não respondeu (" + why + "); nova tentativa em instantes.\n");
        told_unreachable_ = true;
        return;
      }
      told_unreachable_ = false;
      for (std::size_t task = 0; task < array.finished.size(); ++task) {
        const cluster::TaskState& state = (*states)[task];
        if (array.finished[task] || state.phase == cluster::TaskPhase::pending) continue;
        if (state.phase == cluster::TaskPhase::running) {
          queue_.read_log(task_name(array, task));
          continue;
        }
        array.finished[task] = true;
        queue_.worker_ended(task_name(array, task), false,
                            state.end == cluster::TaskEnd::completed ? "" : slurm_words(state));
        if (queue_.heard_from(task_name(array, task))) heard_ = true;
        else if (silence_.empty()) silence_ = slurm_words(state);
      }
    }
    if (queue_.open() == 0 || !all_finished()) return;
    // Models are left and no task takes them: new tasks, unless the last
    // ones ended without taking any (they would fail alike).
    std::string why = silence_;
    if (heard_ && submit(why)) {
      heard_ = false;
      silence_.clear();
      return;
    }
    print_error("As tarefas do Slurm terminaram sem resolver os modelos restantes: " + why + "\n");
    queue_.end_all(false);
  }

  bool all_finished() const {
    return std::all_of(arrays_.begin(), arrays_.end(), [](const Array& a) { return a.ended(); });
  }

  void stop_all() {
    for (Array& array : arrays_) {
      if (array.ended()) continue;
      std::string why;
      if (!cluster::cancel_array(array.job, why))
        print_error("Não foi possível cancelar as tarefas no Slurm: " + why + "\n");
      // What they finished before counts.
      for (std::size_t task = 0; task < array.finished.size(); ++task)
        if (!array.finished[task]) queue_.read_log(task_name(array, task));
      std::fill(array.finished.begin(), array.finished.end(), true);
    }
    queue_.end_all(true);
  }

  TaskQueue queue_;
  SolveSettings settings_;
  std::size_t jobs_;
  // Only noted: the tasks on the nodes never see it, and are cancelled.
  platform::InterruptFlag ctrl_c_;
  std::vector<Array> arrays_;
  bool polled_ = false;
  bool told_unreachable_ = false;
  bool heard_ = false;
  std::string silence_;
};

bool slurm_ready() {
  std::string why;
  if (cluster::slurm_answers(why)) return true;
  print_error("O Slurm não está disponível: " + why + "; nenhum modelo foi enviado.\n");
  return false;
}

std::unique_ptr<Executor> open_slurm_array(const BatchPlan& plan) {
  const std::optional<std::string> output = absolute_text(plan.output_folder);
  auto array = std::make_unique<SlurmTasks>(output ? *output : plan.output_folder, plan);
  if (array->usable()) {
    array->remove_silent_neighbours();
    return array;
  }
  print_error("Não foi possível criar a pasta das tarefas em " + plan.output_folder +
              "; nenhum modelo foi enviado.\n");
  return nullptr;
}

}  // namespace

const ExecutionMode kSlurmArray = {slurm_ready, open_slurm_array};

}  // namespace vardelmo
