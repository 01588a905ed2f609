#include "batch/worker_files.h"

#include <cstdio>
#include <random>
#include <system_error>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "batch/workers.h"
#include "solvers/outcome.h"

namespace vardelmo {
namespace {

/// What the worker printed, as text: on Windows its line ends come back as
/// the console's.
std::string read_output(const std::string& path) {
  return read_whole_file(path, true).value_or(std::string());
}

/// The lines a dead worker's report had begun are said again, whole.
void drop_begun_report(std::string& output) {
  const std::size_t at = output.compare(0, 6, "NOME: ") == 0 ? 0 : output.rfind("\nNOME: ");
  if (at != std::string::npos) output.erase(at == 0 ? 0 : at + 1);
}

}  // namespace

TaskFolder::TaskFolder(const std::filesystem::path& base) {
  std::random_device random;
  std::error_code error;
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

TaskFolder::~TaskFolder() {
  std::error_code ignored;
  if (!native_.empty()) std::filesystem::remove_all(native_, ignored);
}

std::string TaskFolder::file(std::size_t task, const char* suffix) const {
  return path_ + platform::path_separator + std::to_string(task) + suffix;
}

bool TaskFolder::write_task(std::size_t task, const std::string& model_path,
                            std::string& reason) const {
  const std::string text =
      encode_worker_task({shell_settings.solver, shell_settings.time_limit,
                          shell_settings.verbose, model_path, file(task, ".res")});
  const std::string path = file(task, ".in");
  const bool written = write_whole_file(path, text);
  if (!written) reason = path + ": não foi possível escrever";
  return written;
}

std::optional<std::string> TaskFolder::report(std::size_t task, std::size_t entry,
                                              const std::string& model_path, bool interrupted,
                                              double seconds) const {
  std::string output = read_output(file(task, ".out"));
  const std::string errors = read_output(file(task, ".err"));
  const WorkerResult result = read_worker_result(file(task, ".res"));
  for (const char* suffix : {".in", ".out", ".err", ".res"}) std::remove(file(task, suffix).c_str());

  print_model_header(entry);
  std::optional<std::string> row;
  if (result) {
    print(output);
    row = *result;
  } else {
    drop_begun_report(output);
    print(output);
    OutcomeReport lost(model_path);
    lost.time(seconds);
    if (interrupted)
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
  return row;
}

void print_model_header(std::size_t entry) {
  print("----------------------------------------------------------------------\nMODELO " +
        std::to_string(entry) + " \n");
}

}  // namespace vardelmo
