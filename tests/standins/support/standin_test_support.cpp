#include "standin_test_support.h"

#include <glpk.h>
#include <unistd.h>

#include <stdexcept>

namespace standin_test {

std::string data_file(const std::string& name) {
  return std::string(STANDIN_TEST_DATA_DIR) + "/" + name;
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
