#include "glpk_engine.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace vardelmo::engine {

namespace {

// Each stand-in library carries its own copy of this engine, while a reset
// frees the problems of both: the count lives where both copies see it.
constexpr const char* kResetCount = "VARDELMO_STANDIN_GLPK_RESETS";

void count_reset() {
  const std::string next = std::to_string(generation() + 1);
#ifdef _WIN32
  _putenv_s(kResetCount, next.c_str());
#else
  setenv(kResetCount, next.c_str(), 1);
#endif
}

}  // namespace

unsigned long generation() noexcept {
  const char* count = std::getenv(kResetCount);
  return count != nullptr ? std::strtoul(count, nullptr, 10) : 0;
}

Problem make_problem() { return Problem(glp_create_prob()); }

bool is_alive(const Problem& problem) noexcept {
  return problem && problem.get_deleter().generation == generation();
}

const char* base_name(const char* path) noexcept {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
#ifdef _WIN32
    if (*at == '\\') name = at + 1;
#endif
    if (*at == '/') name = at + 1;
  }
  return name;
}

TermOutGuard::TermOutGuard(bool on) noexcept : previous_(glp_term_out(on ? GLP_ON : GLP_OFF)) {}

TermOutGuard::~TermOutGuard() { glp_term_out(previous_); }

TermHookGuard::TermHookGuard(Sink sink) : sink_(std::move(sink)) {
  glp_term_hook(&TermHookGuard::forward, this);
}

TermHookGuard::~TermHookGuard() { glp_term_hook(nullptr, nullptr); }

int TermHookGuard::forward(void* info, const char* text) {
  // Exceptions must not unwind through GLPK's C frames.
  try {
    static_cast<TermHookGuard*>(info)->sink_(text);
  } catch (...) {
  }
  return 1;  // non-zero: GLPK does not print the text itself
}

namespace {

std::string trim_trailing_newlines(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// GLPK announces the file before complaining about it; only the complaint
// tells the reader anything.
std::string reader_complaint(const std::string& captured) {
  std::string complaint;
  std::size_t begin = 0;
  while (begin < captured.size()) {
    std::size_t end = captured.find('\n', begin);
    if (end == std::string::npos) end = captured.size();
    const std::string line = captured.substr(begin, end - begin);
    if (!line.empty() && line.rfind("Reading problem data from", 0) != 0) {
      complaint += line;
      complaint += '\n';
    }
    begin = end + 1;
  }
  complaint = trim_trailing_newlines(complaint);
  return complaint.empty() ? std::string("not a readable CPLEX LP file") : complaint;
}

}  // namespace

bool names_mps(const std::string& path) {
  std::string name = base_name(path.c_str());
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) name.resize(name.size() - 3);
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".mps") == 0;
}

std::optional<std::vector<std::string>> read_file_lines(const char* path) {
  std::FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr;
  if (file == nullptr) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    text.append(buffer, read);
  std::fclose(file);
  std::vector<std::string> lines;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return lines;
}

ReadResult read_model_file(const std::string& path) {
  // A model named so stands for one that a solver library crashes on.
  const std::size_t name = path.find_last_of("/\\");
  if (path.compare(name == std::string::npos ? 0 : name + 1, 13, "standin-crash") == 0) {
    // As a library's fault ends a process: no handler (a sanitizer's either)
    // gets to report it.
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
  }
  ReadResult result;
  // GLPK reports a missing file like any other read error; callers need to
  // tell the two apart.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    result.status = ReadStatus::no_file;
    result.message = std::strerror(errno);
    return result;
  }
  if (S_ISDIR(info.st_mode)) {
    result.status = ReadStatus::no_file;
    result.message = std::strerror(EISDIR);
    return result;
  }
  if (std::FILE* file = std::fopen(path.c_str(), "r")) {
    std::fclose(file);
  } else {
    result.status = ReadStatus::no_file;
    result.message = std::strerror(errno);
    return result;
  }

  Problem problem = make_problem();
  std::string captured;
  int rc = 0;
  {
    TermOutGuard out(true);  // the hook only sees text while output is on
    TermHookGuard hook([&captured](const char* text) { captured += text; });
    rc = names_mps(path) ? glp_read_mps(problem.get(), GLP_MPS_FILE, nullptr, path.c_str())
                         : glp_read_lp(problem.get(), nullptr, path.c_str());
  }
  if (rc != 0) {
    result.status = ReadStatus::bad_format;
    result.message = reader_complaint(captured);
    return result;
  }
  result.status = ReadStatus::ok;
  result.problem = std::move(problem);
  return result;
}

ProblemSize problem_size(glp_prob* problem) {
  ProblemSize size;
  size.rows = glp_get_num_rows(problem);
  size.columns = glp_get_num_cols(problem);
  const int integer_columns = glp_get_num_int(problem);
  size.binaries = glp_get_num_bin(problem);
  size.integers = integer_columns - size.binaries;
  size.continuous = size.columns - integer_columns;
  size.nonzeros = glp_get_num_nz(problem);
  size.maximise = glp_get_obj_dir(problem) == GLP_MAX;
  return size;
}

int time_limit_ms(double seconds) noexcept {
  if (!(seconds > 0.0)) return 0;
  const double ms = std::ceil(seconds * 1000.0);
  if (!(ms < static_cast<double>(INT_MAX))) return INT_MAX;
  return static_cast<int>(ms);
}

std::string glpk_version() { return glp_version(); }

namespace {

using Clock = std::chrono::steady_clock;

class Deadline {
 public:
  Deadline(Clock::time_point start, double limit) : start_(start), limit_(limit) {}
  double elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  int remaining_ms() const { return time_limit_ms(limit_ - elapsed()); }

 private:
  Clock::time_point start_;
  double limit_;
};

double bound_tolerance(double value) { return 1e-9 * std::max(1.0, std::fabs(value)); }

// GLPK's branch-and-cut refuses to start on integer columns with fractional
// bounds and on double bounds with lb >= ub; LP files allow both. Returns
// false when some variable or row has an empty range, i.e. no solution exists.
bool make_bounds_acceptable(glp_prob* problem) {
  const int rows = glp_get_num_rows(problem);
  for (int i = 1; i <= rows; ++i) {
    if (glp_get_row_type(problem, i) != GLP_DB) continue;
    const double lb = glp_get_row_lb(problem, i);
    const double ub = glp_get_row_ub(problem, i);
    if (lb > ub) return false;
    if (lb == ub) glp_set_row_bnds(problem, i, GLP_FX, lb, ub);
  }
  const int columns = glp_get_num_cols(problem);
  for (int j = 1; j <= columns; ++j) {
    int type = glp_get_col_type(problem, j);
    double lb = glp_get_col_lb(problem, j);
    double ub = glp_get_col_ub(problem, j);
    const bool has_lb = type == GLP_LO || type == GLP_DB || type == GLP_FX;
    const bool has_ub = type == GLP_UP || type == GLP_DB || type == GLP_FX;
    if (glp_get_col_kind(problem, j) != GLP_CV) {
      if (has_lb) lb = std::ceil(lb - bound_tolerance(lb));
      if (has_ub) ub = std::floor(ub + bound_tolerance(ub));
    }
    if (has_lb && has_ub) {
      if (lb > ub) return false;
      type = lb == ub ? GLP_FX : GLP_DB;
    }
    if (type != GLP_FR) glp_set_col_bnds(problem, j, type, lb, ub);
  }
  return true;
}

volatile std::sig_atomic_t interrupt_requested = 0;

extern "C" void request_interrupt(int) { interrupt_requested = 1; }

// SIGINT is the user's to stop a solve with while one runs, and the
// program's again afterwards.
class InterruptGuard {
 public:
  InterruptGuard() noexcept : previous_(std::signal(SIGINT, request_interrupt)) {
    interrupt_requested = 0;
  }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  void (*previous_)(int);
};

// What branch and cut has done so far, as its callback sees it. Plain data:
// a fatal error in GLPK jumps over the frames that hold it.
struct SearchTrack {
  long long nodes = 0;
  bool has_bound = false;
  double bound = 0.0;
  long long node_limit = -1;
  bool node_limit_reached = false;
};

void follow_search(glp_tree* tree, void* info) {
  SearchTrack& track = *static_cast<SearchTrack*>(info);
  if (glp_ios_reason(tree) == GLP_IPREPRO) {
    // A node beyond the limit is not processed, as the solvers count.
    if (track.node_limit >= 0 && track.nodes >= track.node_limit) {
      track.node_limit_reached = true;
      glp_ios_terminate(tree);
      return;
    }
    ++track.nodes;
  }
  // The best active node's bound is the bound on every solution left.
  if (const int best = glp_ios_best_node(tree); best != 0) {
    track.bound = glp_ios_node_bound(tree, best);
    track.has_bound = true;
  }
  if (interrupt_requested) glp_ios_terminate(tree);
}

SolveResult from_intopt(glp_prob* problem, int rc, const SearchTrack& track) {
  SolveResult result;
  const int status = glp_mip_status(problem);
  result.has_solution = status == GLP_OPT || status == GLP_FEAS;
  if (result.has_solution) result.objective = glp_mip_obj_val(problem);
  result.nodes = track.nodes;
  result.has_dual_bound = track.has_bound;
  result.dual_bound = track.bound;
  if (rc == 0 && status == GLP_OPT) {
    result.outcome = Outcome::optimal;
    result.has_dual_bound = true;
    result.dual_bound = result.objective;
  } else if (rc == 0 && status == GLP_NOFEAS) {
    result.outcome = Outcome::infeasible;
    result.has_dual_bound = false;
  } else if (rc == GLP_ETMLIM) {
    result.outcome = Outcome::time_limit;
  } else if (rc == GLP_ESTOP && track.node_limit_reached) {
    result.outcome = Outcome::node_limit;
  } else if (rc == GLP_ESTOP) {
    result.outcome = Outcome::interrupted;
  } else {
    result.outcome = Outcome::unknown;
  }
  return result;
}

glp_iocp branch_and_cut_parameters(int message_level, int time_limit_ms, bool presolve,
                                   SearchTrack& track) {
  glp_iocp parameters;
  glp_init_iocp(&parameters);
  parameters.msg_lev = message_level;
  parameters.tm_lim = time_limit_ms;
  parameters.presolve = presolve ? GLP_ON : GLP_OFF;
  parameters.cb_func = follow_search;
  parameters.cb_info = &track;
  // The cut generators are what make the classic MIPLIB instances finish
  // in seconds rather than minutes.
  parameters.gmi_cuts = GLP_ON;
  parameters.mir_cuts = GLP_ON;
  parameters.cov_cuts = GLP_ON;
  parameters.clq_cuts = GLP_ON;
  return parameters;
}

// With presolve on, glp_intopt reports "no primal" or "no dual feasible
// solution" without telling infeasible from unbounded; the LP relaxation,
// solved without presolve, does.
SolveResult settle_presolver_verdict(glp_prob* problem, int intopt_rc, int message_level,
                                     const Deadline& deadline, SearchTrack& track) {
  SolveResult result;
  glp_smcp parameters;
  glp_init_smcp(&parameters);
  parameters.msg_lev = message_level;
  parameters.presolve = GLP_OFF;
  parameters.tm_lim = deadline.remaining_ms();
  // Scaling reports are noise in a solver log. No guard object here: a
  // fatal error in GLPK leaves this frame by a jump.
  const int output = glp_term_out(GLP_OFF);
  glp_scale_prob(problem, GLP_SF_AUTO);
  glp_term_out(output);
  glp_std_basis(problem);
  const int rc = glp_simplex(problem, &parameters);
  if (rc == GLP_ETMLIM) {
    result.outcome = Outcome::time_limit;
    return result;
  }
  if (rc != 0) return result;  // unknown
  switch (glp_get_status(problem)) {
    case GLP_NOFEAS:
      result.outcome = Outcome::infeasible;
      return result;
    case GLP_UNBND:
      // An unbounded relaxation says nothing about integer feasibility.
      result.outcome =
          glp_get_num_int(problem) > 0 ? Outcome::infeasible_or_unbounded : Outcome::unbounded;
      return result;
    case GLP_OPT:
      if (intopt_rc == GLP_ENOPFS) {
        // The presolver's proof covers integrality, which the relaxation ignores.
        result.outcome = Outcome::infeasible;
        return result;
      } else {
        // Conflicting verdicts: search again from the relaxation's optimal basis.
        const glp_iocp again =
            branch_and_cut_parameters(message_level, deadline.remaining_ms(), false, track);
        return from_intopt(problem, glp_intopt(problem, &again), track);
      }
    default:
      return result;  // unknown
  }
}

// Holds, as everything it calls, no object with a destructor: a fatal error
// in GLPK jumps over these frames.
SolveResult run(glp_prob* problem, const SolveOptions& options, const Deadline& deadline,
                SearchTrack& track) {
  SolveResult result;
  if (!(options.time_limit > 0.0)) {
    result.outcome = Outcome::time_limit;
    return result;
  }
  if (!make_bounds_acceptable(problem)) {
    result.outcome = Outcome::infeasible;
    return result;
  }
  const int message_level = options.log ? GLP_MSG_ON : GLP_MSG_OFF;
  const glp_iocp parameters =
      branch_and_cut_parameters(message_level, deadline.remaining_ms(), true, track);
  const int rc = glp_intopt(problem, &parameters);
  if (rc == GLP_ENOPFS || rc == GLP_ENODFS)
    return settle_presolver_verdict(problem, rc, message_level, deadline, track);
  return from_intopt(problem, rc, track);
}

// GLPK ends the process when its error hook returns, so the hook never does.
[[noreturn]] void leave_glpk(void* landing) {
  std::longjmp(*static_cast<std::jmp_buf*>(landing), 1);
}

// A model can drive GLPK into one of its internal errors, which end the
// process unless its hook leaves; freeing the whole environment is then
// GLPK's documented way back.
SolveResult run_guarded(glp_prob* problem, const SolveOptions& options, const Deadline& deadline,
                        SearchTrack& track) {
  std::jmp_buf landing;
  glp_error_hook(leave_glpk, &landing);
  if (setjmp(landing) != 0) {
    glp_free_env();
    count_reset();
    SolveResult failed;
    failed.glpk_failed = true;
    return failed;
  }
  const SolveResult result = run(problem, options, deadline, track);
  glp_error_hook(nullptr, nullptr);
  return result;
}

}  // namespace

double column_value(glp_prob* problem, int j) { return glp_mip_col_val(problem, j); }

SolveResult solve(glp_prob& problem, const SolveOptions& options) {
  const Clock::time_point start = Clock::now();
  const Deadline deadline(start, options.time_limit);
  TermOutGuard out(options.log);
  InterruptGuard interrupt;
  std::optional<TermHookGuard> hook;
  if (options.log && options.log_sink) hook.emplace(options.log_sink);
  SearchTrack track;
  track.node_limit = options.node_limit;
  SolveResult result = run_guarded(&problem, options, deadline, track);
  result.seconds = deadline.elapsed();
  return result;
}

}  // namespace vardelmo::engine
