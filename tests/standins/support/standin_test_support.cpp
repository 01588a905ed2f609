#include "standin_test_support.h"

#include <glpk.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace standin_test {

std::string data_file(const std::string& name) {
  return std::string(STANDIN_TEST_DATA_DIR) + "/" + name;
}

std::string miplib_file(const std::string& name) {
  return std::string(VARDELMO_MIPLIB_DIR) + "/" + name;
}

const MiplibCase kMiplibCases[6] = {
    {"bell5.lp", true, 8966406.49}, {"egout.lp", true, 568.1007}, {"flugpl.lp", true, 1201500.0},
    {"lseu.lp", true, 1120.0},      {"p0548.lp", true, 8691.0},   {"stein27_inf.lp", false, 0.0},
};

void PrintTo(const MiplibCase& instance, std::ostream* out) { *out << instance.file; }

bool matches_known_optimum(double value, double expected) {
  return std::fabs(value - expected) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  const std::string path = path_ + "/" + name;
  vardelmo::test::write_file(path, content);
  return path;
}

OutputCapture::OutputCapture(int fd) : fd_(fd), file_(std::tmpfile()) {
  if (!file_) throw std::runtime_error("cannot create a capture file");
  std::fflush(nullptr);
  saved_ = ::dup(fd_);
  if (saved_ < 0 || ::dup2(::fileno(file_.get()), fd_) < 0)
    throw std::runtime_error("cannot redirect output");
}

OutputCapture::~OutputCapture() {
  try {
    finish();
  } catch (...) {
  }
}

std::string OutputCapture::finish() {
  if (saved_ < 0) return text_;
  std::fflush(nullptr);
  ::dup2(saved_, fd_);
  ::close(saved_);
  saved_ = -1;
  std::rewind(file_.get());
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file_.get())) > 0) text_.append(buffer, got);
  return text_;
}

bool glpk_term_out_on() {
  const int previous = glp_term_out(GLP_ON);
  glp_term_out(previous);
  return previous == GLP_ON;
}

bool glpk_messages_reach_stdout() {
  const int previous = glp_term_out(GLP_ON);
  OutputCapture capture(1);
  glp_printf("glpk output probe\n");
  const std::string text = capture.finish();
  glp_term_out(previous);
  return text.find("glpk output probe") != std::string::npos;
}

int count_of(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size()))
    ++count;
  return count;
}

}  // namespace standin_test
