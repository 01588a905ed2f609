// Test control shared by the stand-ins: records the API calls a library
// receives and makes chosen calls fail on demand. Each stand-in owns one.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vardelmo::engine {

struct InjectedFailure {
  int code = 0;
  std::string message;
};

struct RecordedCall {
  const char* function = nullptr;  // a string literal naming the API function
  const void* handle = nullptr;
};

class CallJournal {
 public:
  // Records the call while recording is on, and hands back the failure
  // armed for this function, consuming it.
  std::optional<InjectedFailure> enter(const char* function, const void* handle = nullptr) noexcept;

  void arm(const std::string& function, InjectedFailure failure);
  void set_recording(bool on);
  std::size_t size() const;
  std::optional<RecordedCall> at(std::size_t index) const;
  // Forgets armed failures and recorded calls, and stops recording.
  void reset();

 private:
  mutable std::mutex mutex_;
  bool recording_ = false;
  std::vector<RecordedCall> calls_;
  std::map<std::string, InjectedFailure, std::less<>> armed_;
};

}  // namespace vardelmo::engine
