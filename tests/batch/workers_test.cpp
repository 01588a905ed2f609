#include "batch/workers.h"

#include <gtest/gtest.h>

#include <string>

namespace vardelmo {
namespace {

// A model path may hold any byte but NUL; a task or result cut short or
// with bytes after it is no task or result.
TEST(WorkerFiles, TasksAndResultsComeBackWholeOrNotAtAll) {
  const WorkerTask task{"GUROBI", 0.1, "s", 999999999, "pasta\n3\nx;\"é\r.lp", "/tmp/a b/7.res",
                        "s.sol"};
  const std::string text = encode_worker_task(task);
  const std::optional<WorkerTask> back = decode_worker_task(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->solver, task.solver);
  EXPECT_EQ(back->time_limit, task.time_limit);
  EXPECT_EQ(back->verbose, task.verbose);
  EXPECT_EQ(back->mem_limit, task.mem_limit);
  EXPECT_EQ(back->model_path, task.model_path);
  EXPECT_EQ(back->result_path, task.result_path);
  EXPECT_EQ(back->solution_path, task.solution_path);
  for (std::size_t cut = 0; cut < text.size(); ++cut)
    EXPECT_FALSE(decode_worker_task(text.substr(0, cut))) << cut;
  EXPECT_FALSE(decode_worker_task(text + "x"));
  EXPECT_FALSE(decode_worker_task("x" + text.substr(1)));

  ModelResult row{"a\n;b.lp;0,500000;SOL OTIMA;1,000000;", {}};
  row.figures = {Outcome::TimeLimit, 0.1, {-0.1, 1e-300, std::nullopt, 7, true}};
  const std::string bytes = encode_worker_result(row);
  const std::optional<ModelResult> back_row = decode_worker_result(bytes);
  ASSERT_TRUE(back_row);
  EXPECT_EQ(back_row->row, row.row);
  const OutcomeFigures& figures = back_row->figures;
  EXPECT_EQ(figures.outcome, Outcome::TimeLimit);
  EXPECT_EQ(figures.seconds, 0.1);
  EXPECT_EQ(figures.search.objective, -0.1);
  EXPECT_EQ(figures.search.dual_bound, 1e-300);
  EXPECT_EQ(figures.search.gap_percent, std::nullopt);
  EXPECT_EQ(figures.search.nodes, 7);
  EXPECT_TRUE(figures.search.maximize);
  EXPECT_EQ(decode_worker_result(encode_worker_result(ModelResult{}))->row, std::nullopt);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_FALSE(decode_worker_result(bytes.substr(0, cut))) << cut;
  EXPECT_FALSE(decode_worker_result(bytes + "\n"));
}

}  // namespace
}  // namespace vardelmo
