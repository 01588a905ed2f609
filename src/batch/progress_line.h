#pragma once
#include <chrono>
#include <cstddef>
#include <string>

namespace vardelmo {

/// The progress line's text: models done, running and waiting, the time
/// since the batch began and, once a model has ended, about how long the
/// rest will take at the pace so far. `kept` of the models done were done by
/// an earlier batch (resume) and set no pace.
[[nodiscard]] std::string progress_text(std::size_t done, std::size_t kept, std::size_t running,
                                        std::size_t waiting, double seconds);

/// The line that tells a person at a terminal how far a batch is, redrawn in
/// place while the batch waits; any output takes its place (see
/// show_passing_line), and it goes with the object. Where standard output is
/// no terminal it never shows.
class ProgressLine {
 public:
  explicit ProgressLine(std::size_t models);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void started() { ++started_; }
  void ended() { ++done_; }
  /// A model done by an earlier batch.
  void kept() {
    ++started_;
    ++done_;
    ++kept_;
  }
  /// Draws it anew, unless every model has ended; `queued` of the models
  /// started and not ended still wait for a place to run.
  void show(std::size_t queued);

 private:
  bool terminal_;
  std::size_t models_;
  std::size_t started_ = 0;
  std::size_t done_ = 0;
  std::size_t kept_ = 0;
  std::chrono::steady_clock::time_point began_ = std::chrono::steady_clock::now();
};

}  // namespace vardelmo
