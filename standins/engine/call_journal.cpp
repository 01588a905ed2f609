#include "call_journal.h"

#include <string_view>

namespace vardelmo::engine {

std::optional<InjectedFailure> CallJournal::enter(const char* function,
                                                  const void* handle) noexcept {
  std::lock_guard<std::mutex> lock(mutex_);
  try {
    if (recording_) calls_.push_back(RecordedCall{function, handle});
  } catch (...) {
    // A call the journal cannot hold still has to go through.
  }
  if (armed_.empty()) return std::nullopt;
  const auto found = armed_.find(std::string_view(function));
  if (found == armed_.end()) return std::nullopt;
  std::optional<InjectedFailure> failure(std::in_place);
  failure->code = found->second.code;
  failure->message.swap(found->second.message);
  armed_.erase(found);
  return failure;
}

void CallJournal::arm(const std::string& function, InjectedFailure failure) {
  std::lock_guard<std::mutex> lock(mutex_);
  armed_[function] = std::move(failure);
}

void CallJournal::set_recording(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  recording_ = on;
}

std::size_t CallJournal::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

std::optional<RecordedCall> CallJournal::at(std::size_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index >= calls_.size()) return std::nullopt;
  return calls_[index];
}

void CallJournal::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  recording_ = false;
  calls_.clear();
  armed_.clear();
}

}  // namespace vardelmo::engine
