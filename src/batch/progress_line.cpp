#include "batch/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/process.h"

namespace vardelmo {
namespace {

std::string clock_text(double seconds) {
  const long long whole = std::llround(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                whole % 60);
  return text;
}

}  // namespace

std::string progress_text(std::size_t done, std::size_t kept, std::size_t running,
                          std::size_t waiting, double seconds) {
  // Short enough for a terminal of 80 columns with a thousand models.
  std::string text = std::to_string(done) + " prontos, " + std::to_string(running) +
                     " em execução, " + std::to_string(waiting) + " aguardando; " +
                     clock_text(std::floor(seconds));
  if (done > kept)
    text += " (faltam ~" +
            clock_text(seconds * static_cast<double>(running + waiting) /
                       static_cast<double>(done - kept)) +
            ")";
  return text;
}

ProgressLine::ProgressLine(std::size_t models)
    : terminal_(platform::output_is_terminal()), models_(models) {}

ProgressLine::~ProgressLine() {
  if (terminal_) wipe_passing_line();
}

void ProgressLine::show(std::size_t queued) {
  if (!terminal_ || done_ >= models_) return;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count();
  const std::size_t unfinished = started_ - done_;
  queued = std::min(queued, unfinished);
  show_passing_line(
      progress_text(done_, kept_, unfinished - queued, models_ - started_ + queued, seconds));
}

}  // namespace vardelmo
