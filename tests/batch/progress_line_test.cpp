#include "batch/progress_line.h"

#include <gtest/gtest.h>

namespace vardelmo {
namespace {

// The rest is estimated at the pace so far, once a model has ended; models
// an earlier batch did set no pace.
TEST(ProgressLine, CountsTheTimeAndEstimatesTheRestOnceAModelEnded) {
  EXPECT_EQ(progress_text(0, 0, 2, 10, 5.7), "0 prontos, 2 em execução, 10 aguardando; 00:00:05");
  EXPECT_EQ(progress_text(3, 0, 2, 10, 72),
            "3 prontos, 2 em execução, 10 aguardando; 00:01:12 (faltam ~00:04:48)");
  EXPECT_EQ(progress_text(1, 0, 1, 99, 3725),
            "1 prontos, 1 em execução, 99 aguardando; 01:02:05 (faltam ~103:28:20)");
  EXPECT_EQ(progress_text(4, 4, 2, 10, 5), "4 prontos, 2 em execução, 10 aguardando; 00:00:05");
  EXPECT_EQ(progress_text(7, 4, 2, 10, 72),
            "7 prontos, 2 em execução, 10 aguardando; 00:01:12 (faltam ~00:04:48)");
}

}  // namespace
}  // namespace vardelmo
