// The worker's side of a batch: this program started again by the shell or
// by Slurm, taking the models of the batch's queue one after another.
#include "worker/worker_main.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"
#include "cluster/slurm.h"
#include "solvers/runners.h"
#include "worker/protocol.h"
#include "worker/task_queue.h"

namespace vardelmo {
namespace {

// Past it, allocations fail: the solver reports its failure, or the worker
// dies, and the model ends in ERRO NO SOLVER. Taken once the solver's library
// is loaded, so that the model has it all.
void cap_memory(std::size_t mem_limit) {
  if (mem_limit == 0) return;
  std::string reason;
  if (!platform::cap_memory_growth(worker_memory_cap(mem_limit), reason))
    print_error("Não foi possível limitar a memória do processo: " + reason +
                "; vale só o limite do solver.\n");
}

}  // namespace

namespace {

/// Tells whether the shell that wrote the batch's heartbeat still runs: it
/// rewrites the file every few seconds, and one unchanged for a minute (by
/// this machine's clock, whatever the file system's says) or gone means no
/// shell waits for any more results.
class Heartbeat {
 public:
  explicit Heartbeat(std::string path) : path_(std::move(path)) {}

  [[nodiscard]] bool shell_gone() {
    // Read a few times a minute, not before every model: on a network file
    // system each read is a round trip to the server.
    const auto now = std::chrono::steady_clock::now();
    if (read_ && now - *read_ < std::chrono::seconds(5)) return false;
    read_ = now;
    const std::optional<std::string> beat = read_whole_file(path_, false);
    if (!beat) return true;
    if (!seen_ || *beat != last_) {
      last_ = *beat;
      seen_ = now;
      return false;
    }
    return now - *seen_ > std::chrono::minutes(1);
  }

 private:
  std::string path_;
  std::string last_;
  std::optional<std::chrono::steady_clock::time_point> seen_;
  std::optional<std::chrono::steady_clock::time_point> read_;
};

/// Ends the worker when a model runs far past its solver's time limit (a
/// solver that stopped answering): the batch then counts it as failed and
/// goes on, as Slurm's time limit did when each model was a task of its own.
class Watchdog {
 public:
  explicit Watchdog(double time_limit) {
    if (time_limit > 0)
      allowed_ = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double>(time_limit * 1.1 + 300));
  }
  ~Watchdog() {
    if (!thread_.joinable()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      leaving_ = true;
    }
    awake_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void watch(const std::string& model) {
    if (!allowed_) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      model_ = model;
      until_ = std::chrono::steady_clock::now() + *allowed_;
    }
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    awake_.notify_one();
  }

  void done() {
    const std::lock_guard<std::mutex> lock(mutex_);
    until_.reset();
  }

 private:
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!leaving_) {
      if (!until_) {
        awake_.wait(lock);
      } else if (awake_.wait_until(lock, *until_) == std::cv_status::timeout && until_ &&
                 std::chrono::steady_clock::now() >= *until_) {
        print_error("O modelo " + model_ + " passou muito do tempo máximo sem terminar; o processo "
                    "que o resolvia foi encerrado.\n");
        std::fflush(stderr);
        std::_Exit(1);
      }
    }
  }

  std::optional<std::chrono::steady_clock::duration> allowed_;
  std::mutex mutex_;
  std::condition_variable awake_;
  std::optional<std::chrono::steady_clock::time_point> until_;
  std::string model_;
  bool leaving_ = false;
  std::thread thread_;
};

/// Takes the batch's models for one worker: a model is taken by a hard link
/// of the worker's token (a file holding its name) under the model's claim
/// name, which exactly one worker can make, also when workers on several
/// machines try at once (a link is atomic on the file server too).
class Claims {
 public:
  explicit Claims(const WorkerOrder& order) : order_(order) {}

  [[nodiscard]] bool take(std::size_t entry) {
    if (links_ == 0 || links_ >= kLinksPerToken) {
      // Some file systems allow a file only so many names (NTFS 1024).
      token_ = queue_files::token(order_.folder, order_.name, tokens_++);
      if (!write_whole_file(token_, order_.name)) return false;
      links_ = 0;
    }
    const std::string claim = queue_files::claim(order_.folder, entry);
    std::error_code error;
    std::error_code unnamed;
    std::filesystem::create_hard_link(platform::native_path(token_, unnamed),
                                      platform::native_path(claim, unnamed), error);
    // A link that NFS retried after it had succeeded reports the name as
    // taken: the name's content tells whose it is.
    if (error && read_whole_file(claim, false) != order_.name) return false;
    ++links_;
    return true;
  }

 private:
  static constexpr std::size_t kLinksPerToken = 1000;
  const WorkerOrder& order_;
  std::string token_;
  std::size_t tokens_ = 0;
  std::size_t links_ = 0;
};

void log_record(const WorkerOrder& order, const WorkerRecord& record) {
  if (!append_to_file(queue_files::of_worker(order.folder, order.name, ".log"),
                      encode_worker_record(record), order.shared))
    print_error("Não foi possível registrar o resultado na pasta " + order.folder + ".\n");
}

}  // namespace

bool serve_as_worker() {
  const std::optional<std::string> request = platform::standard_input_request(kOrderMagic);
  if (!request) return false;
  platform::end_crashes_quietly();
  std::optional<WorkerOrder> order = decode_worker_order(*request);
  if (order && order->name.empty()) order->name = cluster::this_task_name();
  if (!order || order->name.empty()) {
    print_error("Tarefa de processo de trabalho inválida; nenhum modelo foi resolvido.\n");
    return true;
  }
  // Whatever was printed before a crash reaches the shell.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const SolverRunner& runner = find_runner(order->settings.solver);
  const bool ready = runner.library_fits() && runner.prepare();
  if (ready) cap_memory(order->settings.mem_limit);
  const std::optional<std::string> list = read_whole_file(queue_files::tasks(order->folder), false);
  const std::optional<std::vector<std::pair<std::size_t, ModelJob>>> jobs =
      list ? decode_task_list(*list, order->entries) : std::nullopt;
  if (!jobs) {
    print_error("Lista de tarefas ilegível em " + order->folder + "; nenhum modelo foi resolvido.\n");
    return true;
  }
  Heartbeat heartbeat(queue_files::heartbeat(order->folder));
  Watchdog watchdog(order->settings.time_limit);
  Claims claims(*order);
  // Every worker goes down the list from its top, so each finds the next
  // untaken model after a few links that fail.
  for (auto next = jobs->begin(); next != jobs->end() && !heartbeat.shell_gone(); ++next) {
    const auto& [entry, job] = *next;
    if (!claims.take(entry)) continue;
    log_record(*order, {false, entry, std::nullopt, std::nullopt, std::nullopt});
    RunResult result;
    if (ready) {
      watchdog.watch(job.model_path);
      result = solve_model(job, order->settings);
      watchdog.done();
    }
    std::fflush(stdout);
    std::fflush(stderr);
    if (order->shared) platform::push_out_standard_streams();
    log_record(*order, {true, entry, platform::standard_stream_position(1),
                        platform::standard_stream_position(2), std::move(result)});
  }
  return true;
}

}  // namespace vardelmo
