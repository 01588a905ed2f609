#include "batch/parallel_batch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/platform.h"
#include "base/shell_settings.h"
#include "batch/workers.h"
#include "solvers/outcome.h"

namespace vardelmo {
namespace {

using Clock = std::chrono::steady_clock;

/// A private folder for the batch's task, output and result files, gone
/// with the object.
class TaskFolder {
 public:
  TaskFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate =
          base / ("vardelmo-" + std::to_string(platform::process_id()) + "-" +
                  std::to_string(random()));
      if (!std::filesystem::create_directory(candidate, error)) {
        if (error) return;
        continue;
      }
      native_ = candidate;
      path_ = platform::narrow_name(candidate, error);
      if (error) path_.clear();
      return;
    }
  }
  ~TaskFolder() {
    std::error_code ignored;
    if (!native_.empty()) std::filesystem::remove_all(native_, ignored);
  }
  TaskFolder(const TaskFolder&) = delete;
  TaskFolder& operator=(const TaskFolder&) = delete;

  bool usable() const { return !path_.empty(); }
  /// The path of the entry's file with `suffix`.
  std::string file(std::size_t entry, const char* suffix) const {
    return path_ + platform::path_separator + std::to_string(entry) + suffix;
  }

 private:
  std::filesystem::path native_;
  std::string path_;
};

/// What the worker printed, as text: on Windows its line ends come back as
/// the console's.
std::string read_output(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return text;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    text.append(buffer, got);
  std::fclose(file);
  return text;
}

/// The lines a dead worker's report had begun are said again, whole.
void drop_begun_report(std::string& output) {
  const std::size_t at = output.compare(0, 6, "NOME: ") == 0 ? 0 : output.rfind("\nNOME: ");
  if (at != std::string::npos) output.erase(at == 0 ? 0 : at + 1);
}

struct Running {
  std::size_t entry = 0;
  Clock::time_point started;
};

class WorkerBatch {
 public:
  WorkerBatch(const FileNameList& models, std::size_t jobs, const EntryFinished& finished)
      : models_(models), finished_(finished), workers_(jobs), running_(jobs) {}

  bool usable() const { return folder_.usable(); }

  /// Starts entry `entry` in free slot `slot`; false, having said why, when
  /// it cannot.
  bool start(std::size_t slot, std::size_t entry) {
    WorkerTask task{shell_settings.solver, shell_settings.time_limit, shell_settings.verbose,
                    std::string(models_[entry]), folder_.file(entry, ".res")};
    const std::string input = folder_.file(entry, ".in");
    std::string reason;
    if (!write_task(input, encode_worker_task(task), reason) ||
        !workers_[slot].start(input, folder_.file(entry, ".out"), folder_.file(entry, ".err"),
                              reason)) {
      print_error("Não foi possível iniciar um processo para o modelo " + task.model_path + ": " +
                  reason + "; ele é resolvido pelo próprio shell.\n");
      std::remove(input.c_str());
      return false;
    }
    running_[slot] = {entry, Clock::now()};
    return true;
  }

  /// Waits for a worker to end and reports its model.
  void collect_one() {
    platform::WorkerEnd how = platform::WorkerEnd::Exited;
    const std::size_t slot = platform::WorkerProcess::wait_for_any(workers_, how);
    const double seconds =
        std::chrono::duration<double>(Clock::now() - running_[slot].started).count();
    report(running_[slot].entry, how, seconds);
  }

  std::size_t free_slot() const {
    for (std::size_t slot = 0; slot < workers_.size(); ++slot)
      if (!workers_[slot].running()) return slot;
    return workers_.size();
  }

  bool any_running() const { return free_slot_count() < workers_.size(); }

 private:
  std::size_t free_slot_count() const {
    std::size_t count = 0;
    for (const platform::WorkerProcess& worker : workers_) count += worker.running() ? 0 : 1;
    return count;
  }

  static bool write_task(const std::string& path, const std::string& text, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (!written) reason = path + ": não foi possível escrever";
    return written;
  }

  void report(std::size_t entry, platform::WorkerEnd how, double seconds) {
    const std::string model_path(models_[entry]);
    std::string output = read_output(folder_.file(entry, ".out"));
    const std::string errors = read_output(folder_.file(entry, ".err"));
    const WorkerResult result = read_worker_result(folder_.file(entry, ".res"));
    for (const char* suffix : {".in", ".out", ".err", ".res"})
      std::remove(folder_.file(entry, suffix).c_str());

    print_model_header(entry);
    std::optional<std::string> row;
    if (result) {
      print(output);
      row = *result;
    } else {
      // The worker ended before its model did: the model gets the row of a
      // failed solve, the batch goes on.
      drop_begun_report(output);
      print(output);
      OutcomeReport lost(model_path);
      lost.time(seconds);
      if (how == platform::WorkerEnd::Interrupted)
        lost.status(Outcome::UserInterrupt, false);
      else
        lost.status(Outcome::SolverError, true);
      lost.no_objective();
      lost.finish();
      row = std::string(result_rows[result_rows.size() - 1]);
      result_rows.clear();
    }
    flush_output();
    print_error(errors);
    finished_(entry, row ? std::optional<std::string_view>(*row) : std::nullopt);
  }

  const FileNameList& models_;
  const EntryFinished& finished_;
  TaskFolder folder_;
  std::vector<platform::WorkerProcess> workers_;
  std::vector<Running> running_;
};

}  // namespace

void print_model_header(std::size_t entry) {
  print("----------------------------------------------------------------------\nMODELO " +
        std::to_string(entry) + " \n");
}

void solve_in_workers(const FileNameList& models, std::size_t jobs, const SolveHere& solve_here,
                      const EntryFinished& finished) {
  // Any number may be typed; slots beyond the batch's entries would be idle.
  jobs = std::max<std::size_t>(1, std::min(jobs, models.size()));
  WorkerBatch batch(models, jobs, finished);
  if (!batch.usable()) {
    print_error("Não foi possível criar uma pasta temporária para os processos; os modelos são "
                "resolvidos um a um pelo próprio shell.\n");
    for (std::size_t entry = 0; entry < models.size(); ++entry) solve_here(entry);
    return;
  }
  platform::WorkerInterrupts interrupts(jobs);
  std::size_t next = 0;
  while (next < models.size() || batch.any_running()) {
    for (std::size_t slot; next < models.size() && (slot = batch.free_slot()) < jobs; ++next) {
      if (!names_a_model(std::string(models[next]))) {
        print_model_header(next);
        finished(next, std::nullopt);
      } else if (!batch.start(slot, next)) {
        solve_here(next);
      }
    }
    if (!batch.any_running()) continue;
    flush_output();
    batch.collect_one();
  }
}

}  // namespace vardelmo
