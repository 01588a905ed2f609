#include "worker/protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace vardelmo {
namespace {

// A model path may hold any byte but NUL; an order, task, result or log
// record cut short or with bytes after it is none.
TEST(WorkerProtocol, OrdersTasksResultsAndRecordsComeBackWholeOrNotAtAll) {
  const WorkerOrder order{{"GUROBI", 0.1, true, 999999999, "/p/n\n1.prm"}, "/tmp/a b\n", 12, "L3", true};
  const std::string text = encode_worker_order(order);
  const std::optional<WorkerOrder> back = decode_worker_order(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->settings.solver, order.settings.solver);
  EXPECT_EQ(back->settings.time_limit, order.settings.time_limit);
  EXPECT_TRUE(back->settings.verbose);
  EXPECT_EQ(back->settings.mem_limit, order.settings.mem_limit);
  EXPECT_EQ(back->settings.param_file, order.settings.param_file);
  EXPECT_EQ(back->folder, order.folder);
  EXPECT_EQ(back->entries, order.entries);
  EXPECT_EQ(back->name, order.name);
  EXPECT_TRUE(back->shared);
  for (std::size_t cut = 0; cut < text.size(); ++cut)
    EXPECT_FALSE(decode_worker_order(text.substr(0, cut))) << cut;
  EXPECT_FALSE(decode_worker_order(text + "x"));
  EXPECT_FALSE(decode_worker_order("x" + text.substr(1)));
  const ModelJob job{"pasta\n3\nx;\"é\r.lp", "s.sol"};
  const std::string list = encode_task(2, job) + encode_task(0, {"a.lp", ""});
  const auto jobs = decode_task_list(list, 3);
  ASSERT_TRUE(jobs);
  ASSERT_EQ(jobs->size(), 2u);
  EXPECT_EQ((*jobs)[0].first, 2u);
  EXPECT_EQ((*jobs)[0].second.model_path, job.model_path);
  EXPECT_EQ((*jobs)[0].second.solution_path, job.solution_path);
  EXPECT_EQ((*jobs)[1].first, 0u);
  EXPECT_EQ((*jobs)[1].second.model_path, "a.lp");
  EXPECT_FALSE(decode_task_list(list, 2));
  EXPECT_FALSE(decode_task_list(list.substr(1), 3));

  const ModelResult row{"a\n;b.lp", Outcome::TimeLimit, 0.1, 1e20,
                        {-0.1, 1e-300, std::nullopt, 7, true}};
  const std::string bytes = encode_worker_result(row);
  const std::optional<RunResult> back_row = decode_worker_result(bytes);
  ASSERT_TRUE(back_row && *back_row);
  const ModelResult& result = **back_row;
  EXPECT_EQ(result.name, row.name);
  EXPECT_EQ(result.outcome, Outcome::TimeLimit);
  EXPECT_EQ(result.seconds, 0.1);
  EXPECT_EQ(result.z, 1e20);
  EXPECT_EQ(result.search.objective, -0.1);
  EXPECT_EQ(result.search.dual_bound, 1e-300);
  EXPECT_EQ(result.search.gap_percent, std::nullopt);
  EXPECT_EQ(result.search.nodes, 7);
  EXPECT_TRUE(result.search.maximize);
  const std::optional<RunResult> none = decode_worker_result(encode_worker_result(std::nullopt));
  EXPECT_TRUE(none && !*none);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_FALSE(decode_worker_result(bytes.substr(0, cut))) << cut;
  EXPECT_FALSE(decode_worker_result(bytes + "\n"));

  // A log read while its worker writes ends in part of a record: the whole
  // ones come off, the part stays for the next read.
  const std::string log = encode_worker_record({false, 7, {}, {}, {}}) +
                          encode_worker_record({true, 7, 1234, std::nullopt, row});
  for (std::size_t cut = 0; cut <= log.size(); ++cut) {
    std::string_view rest = std::string_view(log).substr(0, cut);
    std::vector<WorkerRecord> records;
    for (WorkerRecord record; take_worker_record(rest, record);) records.push_back(record);
    const std::size_t whole = cut == log.size() ? 2 : cut >= log.find('E') ? 1 : 0;
    ASSERT_EQ(records.size(), whole) << cut;
    EXPECT_EQ(rest.size(), cut - (whole == 0 ? 0 : whole == 1 ? log.find('E') : log.size())) << cut;
  }
  std::string_view rest = log;
  WorkerRecord taken, ended;
  ASSERT_TRUE(take_worker_record(rest, taken) && take_worker_record(rest, ended));
  EXPECT_FALSE(taken.ended);
  EXPECT_EQ(taken.entry, 7u);
  EXPECT_TRUE(ended.ended);
  EXPECT_EQ(ended.output_end, 1234u);
  EXPECT_EQ(ended.errors_end, std::nullopt);
  ASSERT_TRUE(ended.result && *ended.result);
  EXPECT_EQ((*ended.result)->name, row.name);
}

}  // namespace
}  // namespace vardelmo
