#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/files.h"
#include "batch.h"

namespace vardelmo {
namespace {

using Components = std::vector<std::string>;

TEST(SplitPath, CutsAtEverySeparator) {
  const std::string s = test::kPathSeparator;
  EXPECT_EQ(split_path(s + "home" + s + "ana" + s + "modelos" + s + "p01.lp"),
            (Components{"", "home", "ana", "modelos", "p01.lp"}));
  EXPECT_EQ(split_path("modelos" + s), (Components{"modelos", ""}));
  EXPECT_EQ(split_path("p01.lp"), (Components{"p01.lp"}));
  EXPECT_EQ(split_path(""), (Components{""}));
  EXPECT_EQ(split_path("a" + s + s + "b"), (Components{"a", "", "b"}));
}

}  // namespace
}  // namespace vardelmo
