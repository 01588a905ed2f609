// The shell at a terminal on both sides, where Readline edits each line.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

#include "batch.h"
#include "program.h"

namespace vardelmo::test {
namespace {

const std::string kUp = "\x1b[A";

TEST(LineEditor, TabCompletesCommandsFoldersAndFixedAnswersWhole) {
  TempFolder home, work;
  fs::create_directory(work.path() / "modelos");
  VariableOverride no_history("HOME", home.path().string());
  TerminalSession session(work.path());
  session.type_after(kPrompt, "abo\t\r");
  session.type_after("about\n" + kBanner + kPrompt, "opt\r");
  session.type_after(kAskModels, "mod\t\r");
  // The folder taken: the next question comes.
  session.type_after("modelos/\n" + kAskOutput, "nada\r");
  session.type_after(kNoOutput + kPrompt, "sol\t\r");
  session.type_after("solver\n" + kAskSolver, "G\t\r");
  session.type_after("GUROBI\n" + kNoGurobi + kPrompt, "\x04");
  const ProcessResult r = session.finish();
  EXPECT_EQ(r.out.substr(r.out.size() - kPrompt.size() - 1), kPrompt + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

// Up brings back the line before, of this session or an earlier one; the
// file keeps the last thousand lines; Ctrl+C at the prompt still ends the
// shell.
TEST(LineEditor, HistoryAcrossSessionsInTheHomeFolder) {
  TempFolder home, work;
  VariableOverride home_folder("HOME", home.path().string());
  const fs::path file = home.path() / ".vardelmo_history";
  std::string earlier;
  for (int line = 0; line < 1200; ++line) earlier += "linha " + std::to_string(line) + "\n";
  write_file(file, earlier);
  {
    TerminalSession session(work.path());
    session.type_after(kPrompt, kUp + "\r");
    session.type_after("linha 1199\n" + kPrompt, "about\r");
    session.type_after(kBanner + kPrompt, kUp + "\r");
    session.type_after("about\n" + kBanner + kPrompt, "\x04");
    EXPECT_EQ(session.finish().status, 0);
  }
  const std::string kept = read_file(file);
  EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 1000);
  const std::string last = "linha 1199\nlinha 1199\nabout\nabout\n";
  EXPECT_EQ(kept.substr(kept.size() - last.size()), last);

  TerminalSession session(work.path());
  session.type_after(kPrompt, kUp + kUp + kUp + "\r");
  session.type_after("linha 1199\n" + kPrompt, "\x03");
  const ProcessResult r = session.finish();
  EXPECT_EQ(r.err, kUnknownCommand);
  EXPECT_EQ(r.status, 128 + SIGINT);
}

}  // namespace
}  // namespace vardelmo::test
