#include "worker/task_queue.h"

#include <algorithm>
#include <limits>
#include <cstdio>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"
#include "worker/protocol.h"

namespace vardelmo {
namespace {

// Rewritten by the shell while it runs.
const char kHeartbeatFile[] = "heartbeat";

}  // namespace

namespace queue_files {

std::string tasks(const std::string& folder) {
  return folder + platform::path_separator + "tasks";
}

std::string claim(const std::string& folder, std::size_t entry) {
  return folder + platform::path_separator + std::to_string(entry) + ".taken";
}

std::string token(const std::string& folder, const std::string& worker, std::size_t number) {
  return folder + platform::path_separator + "w" + worker + ".t" + std::to_string(number);
}

std::string of_worker(const std::string& folder, const std::string& worker, const char* suffix) {
  return folder + platform::path_separator + "w" + worker + suffix;
}

std::string heartbeat(const std::string& folder) {
  return folder + platform::path_separator + kHeartbeatFile;
}

}  // namespace queue_files

namespace {

// Workers give up a minute after the heartbeat stops: a few beats a minute
// survive a slow file server.
constexpr std::chrono::seconds kBeat{10};

/// Bytes `from` to `to` (none: to the end) of the file at `path`, as text;
/// empty when it cannot be read.
std::string text_between(const std::string& path, std::size_t from,
                         std::optional<std::size_t> to) {
  const std::optional<std::string> bytes = read_file_part(path, from, to);
  return bytes ? text_of(*bytes) : std::string();
}

}  // namespace

double EntryClock::seconds(std::size_t entry) const {
  if (!began_[entry]) return 0;
  return std::chrono::duration<double>(Clock::now() - *began_[entry]).count();
}

TaskQueue::TaskQueue(const std::filesystem::path& base, bool held, bool shared,
                     const FileNameList& models, EntryClock& clock, SolveSettings settings)
    : folder_(base, held),
      shared_(shared),
      models_(models),
      clock_(clock),
      settings_(std::move(settings)),
      states_(models.size(), State::None) {
  if (!folder_.usable()) return;
  last_beat_ = std::chrono::steady_clock::now() - kBeat;
  beat();
}

void TaskQueue::add(std::size_t entry, const ModelJob& job) {
  std::error_code error;
  std::uintmax_t size = std::filesystem::file_size(platform::native_path(job.model_path, error), error);
  // Unknown: the worker finds out what it is.
  if (error) size = 0;
  listed_.emplace_back(size, encode_task(entry, job));
  states_[entry] = State::Queued;
  ++open_;
  ++untaken_;
}

bool TaskQueue::publish(std::string& why) {
  if (published_) return true;
  std::stable_sort(listed_.begin(), listed_.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::string list;
  for (const auto& [size, task] : listed_) list += task;
  const std::string path = queue_files::tasks(folder());
  if (!write_whole_file(path, list)) {
    why = path + ": não foi possível escrever";
    return false;
  }
  published_ = true;
  listed_ = {};
  return true;
}

bool TaskQueue::write_order(const std::string& worker, std::string& why) const {
  const std::string path = file_of(worker, ".in");
  const WorkerOrder order{settings_, folder(), states_.size(), worker, shared_};
  if (write_whole_file(path, encode_worker_order(order))) return true;
  why = path + ": não foi possível escrever";
  return false;
}

void TaskQueue::beat() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_beat_ < kBeat) return;
  // Whole or not at all: a worker never reads half a beat as a change.
  const std::string path = queue_files::heartbeat(folder());
  const std::string partial = path + ".part";
  if (write_whole_file(partial, std::to_string(++beats_)) && platform::replace_file(partial, path)) {
    last_beat_ = now;
    beating_ = true;
  }
}

void TaskQueue::remove_silent_neighbours() const {
  std::error_code error;
  const std::filesystem::path own = platform::native_path(folder(), error);
  if (error) return;
  const auto now = std::filesystem::last_write_time(own / kHeartbeatFile, error);
  if (error) return;
  std::vector<std::filesystem::path> silent;
  for (std::filesystem::directory_iterator entry(own.parent_path(), error), end;
       !error && entry != end; entry.increment(error)) {
    std::error_code unnamed;
    if (entry->path() == own ||
        !own_folder_maker(platform::narrow_name(entry->path().filename(), unnamed)) || unnamed ||
        !entry->is_directory(unnamed))
      continue;
    // A folder without one is an earlier version's: its own time tells.
    auto beat = std::filesystem::last_write_time(entry->path() / kHeartbeatFile, unnamed);
    if (unnamed) beat = std::filesystem::last_write_time(entry->path(), unnamed);
    if (!unnamed && now - beat > std::chrono::minutes(5)) silent.push_back(entry->path());
  }
  for (const std::filesystem::path& folder : silent) remove_own_folder(folder);
}

bool TaskQueue::heard_from(const std::string& worker) const {
  const auto found = workers_.find(worker);
  return found != workers_.end() && found->second.log_at > 0;
}

CapturedOutput TaskQueue::output_of(const std::string& worker, Worker& at,
                                    std::optional<std::size_t> output_end,
                                    std::optional<std::size_t> errors_end) const {
  CapturedOutput captured{text_between(file_of(worker, ".out"), at.output_at, output_end),
                          text_between(file_of(worker, ".err"), at.errors_at, errors_end)};
  // What a worker printed is its current model's; where it did not say how
  // far that went, what comes later cannot be told apart and stays with it.
  at.output_at = output_end ? *output_end : std::numeric_limits<std::size_t>::max();
  at.errors_at = errors_end ? *errors_end : std::numeric_limits<std::size_t>::max();
  return captured;
}

void TaskQueue::read_log(const std::string& worker) {
  Worker& at = workers_[worker];
  const std::optional<std::string> log = read_file_part(file_of(worker, ".log"), at.log_at, {});
  if (!log) return;
  std::string_view rest = *log;
  for (WorkerRecord record; take_worker_record(rest, record);) {
    if (record.entry >= states_.size()) continue;
    State& state = states_[record.entry];
    if (!record.ended && state == State::Queued) {
      state = State::Taken;
      --untaken_;
      at.solving = record.entry;
      clock_.began(record.entry);
    } else if (record.ended && state != State::Ended && state != State::None) {
      at.solving.reset();
      CapturedOutput captured = output_of(worker, at, record.output_end, record.errors_end);
      end(record.entry, {record.entry, std::move(captured), std::move(record.result), false});
    }
  }
  at.log_at += log->size() - rest.size();
}

void TaskQueue::worker_ended(const std::string& worker, bool interrupted, const std::string& why) {
  read_log(worker);
  Worker& at = workers_[worker];
  std::optional<std::size_t> solving = at.solving;
  // One that died between taking a model and saying so: its claim tells.
  for (std::size_t entry = 0; !solving && entry < states_.size(); ++entry)
    if (states_[entry] == State::Queued &&
        read_whole_file(queue_files::claim(folder(), entry), false) == worker)
      solving = entry;
  if (!solving) return;
  at.solving.reset();
  CapturedOutput captured = output_of(worker, at, std::nullopt, std::nullopt);
  if (!why.empty())
    captured.errors += "O Slurm encerrou a tarefa do modelo " + std::string(models_[*solving]) +
                       ": " + why + "\n";
  end(*solving, {*solving, std::move(captured), std::nullopt, interrupted});
}

void TaskQueue::end_all(bool interrupted) {
  for (std::size_t entry = 0; entry < states_.size(); ++entry)
    if (states_[entry] == State::Queued || states_[entry] == State::Taken)
      end(entry, {entry, std::nullopt, std::nullopt, interrupted});
}

void TaskQueue::end(std::size_t entry, EntryEnd ended) {
  if (states_[entry] == State::Queued) --untaken_;
  states_[entry] = State::Ended;
  --open_;
  ended_.push_back(std::move(ended));
}

std::optional<EntryEnd> TaskQueue::next_ended() {
  if (ended_.empty()) return std::nullopt;
  EntryEnd ended = std::move(ended_.front());
  ended_.pop_front();
  return ended;
}

}  // namespace vardelmo
