#include "batch/workers.h"

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
#include "base/shell_settings.h"
#include "batch/worker_files.h"
#include "cluster/slurm.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

// No command script a user feeds the shell starts with this line.
constexpr std::string_view kOrderMagic = "\x7fVARDELMO WORKER 2\n";

// Each field is its length, a line feed, its bytes and a line feed: a model
// path may hold any byte but NUL, line feeds included.
void put_field(std::string& text, std::string_view field) {
  text += std::to_string(field.size());
  text += '\n';
  text += field;
  text += '\n';
}

// A count of at most nine digits.
bool count_of(std::string_view digits, std::size_t& count) {
  if (digits.empty() || digits.size() > 9) return false;
  count = 0;
  for (char digit : digits) {
    if (digit < '0' || digit > '9') return false;
    count = count * 10 + static_cast<std::size_t>(digit - '0');
  }
  return true;
}

bool take_field(std::string_view& text, std::string& field) {
  const std::size_t end = text.find('\n');
  std::size_t size = 0;
  if (end == std::string_view::npos || !count_of(text.substr(0, end), size)) return false;
  text.remove_prefix(end + 1);
  if (text.size() < size + 1 || text[size] != '\n') return false;
  field.assign(text.substr(0, size));
  text.remove_prefix(size + 1);
  return true;
}

// "%.17g" under the process's classic numeric locale gives every double back.
std::string number_field(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

bool take_number(std::string_view& text, double& value) {
  std::string field;
  if (!take_field(text, field) || field.empty()) return false;
  char* end = nullptr;
  value = std::strtod(field.c_str(), &end);
  return *end == '\0';
}

bool take_count(std::string_view& text, std::size_t& count) {
  std::string field;
  return take_field(text, field) && count_of(field, count);
}

// An absent value is an empty field.
void put_optional(std::string& text, const std::optional<double>& value) {
  put_field(text, value ? number_field(*value) : std::string());
}

bool take_optional(std::string_view& text, std::optional<double>& value) {
  if (text.substr(0, 2) == "0\n") {
    std::string empty;
    value.reset();
    return take_field(text, empty);
  }
  double number = 0;
  if (!take_number(text, number)) return false;
  value = number;
  return true;
}

}  // namespace

std::string encode_worker_order(const WorkerOrder& order) {
  std::string text(kOrderMagic);
  put_field(text, order.solver);
  put_field(text, number_field(order.time_limit));
  put_field(text, order.verbose);
  put_field(text, std::to_string(order.mem_limit));
  put_field(text, order.folder);
  put_field(text, std::to_string(order.entries));
  put_field(text, order.name);
  put_field(text, order.shared ? "1" : "0");
  return text;
}

std::optional<WorkerOrder> decode_worker_order(std::string_view text) {
  if (text.substr(0, kOrderMagic.size()) != kOrderMagic) return std::nullopt;
  text.remove_prefix(kOrderMagic.size());
  WorkerOrder order;
  std::string shared;
  if (!take_field(text, order.solver) || !take_number(text, order.time_limit) ||
      !take_field(text, order.verbose) || !take_count(text, order.mem_limit) ||
      !take_field(text, order.folder) || !take_count(text, order.entries) ||
      !take_field(text, order.name) || !take_field(text, shared) || !text.empty())
    return std::nullopt;
  order.shared = shared == "1";
  return order;
}

std::string encode_task(std::size_t entry, const ModelJob& job) {
  std::string text;
  put_field(text, std::to_string(entry));
  put_field(text, job.model_path);
  put_field(text, job.solution_path);
  return text;
}

std::optional<std::vector<std::pair<std::size_t, ModelJob>>> decode_task_list(
    std::string_view text, std::size_t entries) {
  std::vector<std::pair<std::size_t, ModelJob>> jobs;
  while (!text.empty()) {
    std::size_t entry = 0;
    ModelJob job;
    if (!take_count(text, entry) || entry >= entries || !take_field(text, job.model_path) ||
        !take_field(text, job.solution_path))
      return std::nullopt;
    jobs.emplace_back(entry, std::move(job));
  }
  return jobs;
}

// "N" for a run with no row, "R" and its fields for one with a row.
std::string encode_worker_result(const ModelResult& result) {
  if (!result.row) return "N";
  const OutcomeFigures& figures = result.figures;
  std::string bytes = "R";
  put_field(bytes, *result.row);
  put_field(bytes, std::to_string(static_cast<int>(figures.outcome)));
  put_field(bytes, number_field(figures.seconds));
  put_optional(bytes, figures.search.objective);
  put_optional(bytes, figures.search.dual_bound);
  put_optional(bytes, figures.search.gap_percent);
  put_optional(bytes, figures.search.nodes);
  put_field(bytes, figures.search.maximize ? "1" : "0");
  return bytes;
}

std::optional<ModelResult> decode_worker_result(std::string_view bytes) {
  ModelResult result;
  if (bytes == "N") return result;
  if (bytes.empty() || bytes[0] != 'R') return std::nullopt;
  bytes.remove_prefix(1);
  std::string row, maximize;
  double outcome = 0;
  OutcomeFigures& figures = result.figures;
  if (!take_field(bytes, row) || !take_number(bytes, outcome) ||
      !take_number(bytes, figures.seconds) || !take_optional(bytes, figures.search.objective) ||
      !take_optional(bytes, figures.search.dual_bound) ||
      !take_optional(bytes, figures.search.gap_percent) ||
      !take_optional(bytes, figures.search.nodes) || !take_field(bytes, maximize) ||
      !bytes.empty() || outcome < 0 || outcome > static_cast<int>(Outcome::SolverError))
    return std::nullopt;
  result.row = std::move(row);
  figures.outcome = static_cast<Outcome>(static_cast<int>(outcome));
  figures.search.maximize = maximize == "1";
  return result;
}

// "C" and the entry for a model taken; "E", the entry, both positions (empty
// when unknown) and the result's bytes for one that ended.
std::string encode_worker_record(const WorkerRecord& record) {
  std::string bytes = record.ended ? "E" : "C";
  put_field(bytes, std::to_string(record.entry));
  if (!record.ended) return bytes;
  for (const std::optional<std::size_t>& at : {record.output_end, record.errors_end})
    put_field(bytes, at ? std::to_string(*at) : std::string());
  put_field(bytes, record.result ? encode_worker_result(*record.result) : std::string());
  return bytes;
}

bool take_worker_record(std::string_view& log, WorkerRecord& record) {
  std::string_view rest = log;
  if (rest.empty() || (rest[0] != 'C' && rest[0] != 'E')) return false;
  WorkerRecord taken;
  taken.ended = rest[0] == 'E';
  rest.remove_prefix(1);
  if (!take_count(rest, taken.entry)) return false;
  if (taken.ended) {
    std::string output, errors, result;
    if (!take_field(rest, output) || !take_field(rest, errors) || !take_field(rest, result))
      return false;
    for (auto [text, at] : {std::pair{&output, &taken.output_end}, std::pair{&errors, &taken.errors_end}}) {
      std::size_t position = 0;
      if (count_of(*text, position)) *at = position;
    }
    taken.result = decode_worker_result(result);
  }
  record = std::move(taken);
  log = rest;
  return true;
}

std::size_t worker_memory_cap(std::size_t mem_limit) { return mem_limit + mem_limit / 4 + 256; }

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
  shell_settings.solver = order->solver;
  shell_settings.time_limit = order->time_limit;
  shell_settings.verbose = order->verbose;
  shell_settings.mem_limit = order->mem_limit;
  // Whatever was printed before a crash reaches the shell.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const SolverRunner& runner = find_runner(order->solver);
  const bool ready = runner.library_fits() && runner.prepare();
  if (ready) cap_memory(order->mem_limit);
  const std::optional<std::string> list = read_whole_file(queue_files::tasks(order->folder), false);
  const std::optional<std::vector<std::pair<std::size_t, ModelJob>>> jobs =
      list ? decode_task_list(*list, order->entries) : std::nullopt;
  if (!jobs) {
    print_error("Lista de tarefas ilegível em " + order->folder + "; nenhum modelo foi resolvido.\n");
    return true;
  }
  Heartbeat heartbeat(queue_files::heartbeat(order->folder));
  Watchdog watchdog(order->time_limit);
  Claims claims(*order);
  // Every worker goes down the list from its top, so each finds the next
  // untaken model after a few links that fail.
  for (auto next = jobs->begin(); next != jobs->end() && !heartbeat.shell_gone(); ++next) {
    const auto& [entry, job] = *next;
    if (!claims.take(entry)) continue;
    log_record(*order, {false, entry, std::nullopt, std::nullopt, std::nullopt});
    ModelResult result;
    if (ready) {
      watchdog.watch(job.model_path);
      result = solve_model(job);
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
