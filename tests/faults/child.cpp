#include "child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace vardelmo::test {
namespace {

void make_pipe(int ends[2]) {
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
}

void close_fd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

Child::Child(const std::filesystem::path& workdir, std::optional<rlim_t> file_size_limit,
             const char* binary) {
  // A child that ended early must fail the test, not end it by SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);
  int input[2], out[2], err[2];
  make_pipe(input);
  make_pipe(out);
  make_pipe(err);
  // Prepared before fork: the child may only make async-signal-safe calls.
  const std::string directory = workdir.string();
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid_ == 0) {
    if (file_size_limit) {
      // Only the soft limit, which the test may raise again later.
      rlimit limit{};
      if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
      limit.rlim_cur = *file_size_limit;
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    // A group of its own, which its workers join: kill() leaves them running,
    // and only they may be ended with the group afterwards.
    if (::setpgid(0, 0) != 0 || ::chdir(directory.c_str()) != 0) ::_exit(126);
    ::dup2(input[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::execl(binary, binary, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(out[1]);
  ::close(err[1]);
  input_ = input[1];
  out_ = out[0];
  err_ = err[0];
  reader_ = std::thread(&Child::read_output, this);
}

Child::~Child() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (killed_group_ > 0) ::kill(-killed_group_, SIGKILL);
  close_fd(input_);
  if (reader_.joinable()) reader_.join();
  close_fd(out_);
  close_fd(err_);
}

void Child::read_output() {
  std::vector<pollfd> fds = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  std::string* const texts[] = {&out_text_, &err_text_};
  char buffer[65536];
  int open_count = 2;
  while (open_count > 0) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
      std::lock_guard<std::mutex> lock(mutex_);
      if (count > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        fds[i].fd = -1;  // poll skips negative descriptors
        --open_count;
      }
      changed_.notify_all();
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  outputs_closed_ = true;
  changed_.notify_all();
}

void Child::send(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t count = ::write(input_, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw std::runtime_error(std::string("write: ") + std::strerror(errno));
    done += static_cast<std::size_t>(count);
  }
}

bool Child::wait_for_output(const std::string& text, std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return out_text_.find(text) != std::string::npos || outputs_closed_;
  }) && out_text_.find(text) != std::string::npos;
}

void Child::interrupt() { ::kill(pid_, SIGINT); }

void Child::kill() {
  ::kill(pid_, SIGKILL);
  killed_group_ = pid_;
}

void Child::set_file_size_limit(rlim_t bytes) {
  rlimit limit{};
  if (::prlimit(pid_, RLIMIT_FSIZE, nullptr, &limit) != 0)
    throw std::runtime_error(std::string("prlimit: ") + std::strerror(errno));
  limit.rlim_cur = bytes;
  if (::prlimit(pid_, RLIMIT_FSIZE, &limit, nullptr) != 0)
    throw std::runtime_error(std::string("prlimit: ") + std::strerror(errno));
}

ChildResult Child::finish() {
  close_fd(input_);
  int raw = 0;
  while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  reader_.join();
  ChildResult result;
  result.out = out_text_;
  result.err = err_text_;
  if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
  return result;
}

}  // namespace vardelmo::test
