// Solver engine shared by the SCIP and Gurobi stand-ins: reads CPLEX LP
// and free MPS files and solves them with GLPK's branch-and-cut.
#pragma once

#include <glpk.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vardelmo::engine {

// Counts the times GLPK's environment was freed after an internal error,
// which takes every GLPK object of the thread with it.
unsigned long generation() noexcept;

// A problem of an older generation is freed memory: it is never deleted.
struct ProblemDeleter {
  unsigned long generation = engine::generation();
  void operator()(glp_prob* problem) const noexcept {
    if (generation == engine::generation()) glp_delete_prob(problem);
  }
};
using Problem = std::unique_ptr<glp_prob, ProblemDeleter>;

Problem make_problem();

// False once GLPK freed the problem along with its environment.
bool is_alive(const Problem& problem) noexcept;

// The part of a path after its last separator.
const char* base_name(const char* path) noexcept;

// GLPK's terminal switch is process-wide and other GLPK users in the process
// depend on it, so every change is undone on scope exit.
class TermOutGuard {
 public:
  explicit TermOutGuard(bool on) noexcept;
  ~TermOutGuard();
  TermOutGuard(const TermOutGuard&) = delete;
  TermOutGuard& operator=(const TermOutGuard&) = delete;

 private:
  int previous_;
};

// Routes GLPK's terminal text to a callback while in scope; the callback
// decides where the text goes, GLPK itself prints nothing meanwhile.
class TermHookGuard {
 public:
  using Sink = std::function<void(const char*)>;
  explicit TermHookGuard(Sink sink);
  ~TermHookGuard();
  TermHookGuard(const TermHookGuard&) = delete;
  TermHookGuard& operator=(const TermHookGuard&) = delete;

 private:
  static int forward(void* info, const char* text);
  Sink sink_;
};

enum class ReadStatus { ok, no_file, bad_format };

struct ReadResult {
  ReadStatus status = ReadStatus::bad_format;
  Problem problem;      // set when status is ok
  std::string message;  // why reading failed, one line per problem found
};

// Never prints: GLPK's reader messages are captured into `message`. A name
// ending in ".mps" (or ".mps.gz") is read as free MPS, any other as CPLEX LP;
// GLPK opens ".gz" names through its own zlib.
ReadResult read_model_file(const std::string& path);

// The lines of a text file (a settings file), without their line feeds;
// none when it does not open.
std::optional<std::vector<std::string>> read_file_lines(const char* path);

// Whether a file name, without a ".gz" end, ends in ".mps" (any case).
bool names_mps(const std::string& path);

struct ProblemSize {
  int rows = 0;
  int columns = 0;
  int binaries = 0;
  int integers = 0;  // integer columns that are not binary
  int continuous = 0;
  int nonzeros = 0;
  bool maximise = false;
};

ProblemSize problem_size(glp_prob* problem);

enum class Outcome {
  optimal,
  infeasible,
  unbounded,
  infeasible_or_unbounded,
  time_limit,
  interrupted,  // Ctrl+C while solving
  node_limit,
  unknown,
};

struct SolveOptions {
  // Seconds of wall-clock time; infinity (or anything huge) means none.
  double time_limit = std::numeric_limits<double>::infinity();
  bool log = true;
  // Branch-and-bound nodes processed at most; negative: no limit.
  long long node_limit = -1;
  // With log on: receives GLPK's log instead of standard output.
  TermHookGuard::Sink log_sink;
};

struct SolveResult {
  Outcome outcome = Outcome::unknown;
  bool has_solution = false;
  double objective = 0.0;  // in the model's own sense; valid with has_solution
  double seconds = 0.0;    // wall-clock time of the solve
  // The bound branch and cut proved, in the model's own sense: the optimum
  // once proven; none for an infeasible problem or before a search began.
  bool has_dual_bound = false;
  double dual_bound = 0.0;
  long long nodes = 0;  // subproblems branch and cut processed
  // GLPK stopped on an internal error (one it would end the process for,
  // such as a scale factor it cannot use). Its environment then had to be
  // freed, and with it the problem and every other GLPK object of the
  // thread: no longer alive, each is released without being deleted.
  bool glpk_failed = false;
};

// Ctrl+C while it runs ends the solve with Outcome::interrupted, as the
// real solvers do, instead of the process; the previous handling of SIGINT
// is back when it returns.
// May tighten bounds in place (integer columns with fractional bounds,
// double bounds that coincide); the feasible set stays the same.
SolveResult solve(glp_prob& problem, const SolveOptions& options);

// After a solve: column `j`'s (1-based) value in the best solution found.
double column_value(glp_prob* problem, int j);

// GLPK time limits are int milliseconds with INT_MAX meaning "none".
int time_limit_ms(double seconds) noexcept;

std::string glpk_version();

}  // namespace vardelmo::engine
