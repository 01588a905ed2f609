#include "base/text_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardelmo {
namespace {

std::vector<std::string> texts_of(const TextList& list) {
  std::vector<std::string> texts;
  for (std::string_view text : list) texts.emplace_back(text);
  return texts;
}

TEST(TextList, KeepsEveryTextWholeAndInOrderAcrossBlocks) {
  // Enough texts to fill several blocks, of lengths that straddle their ends,
  // with empty texts and texts larger than a block among them.
  std::vector<std::string> expected;
  for (int i = 0; i < 5000; ++i) {
    std::string text(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    if (i % 1000 == 999) text = std::string(200 * 1024, 'z') + std::to_string(i);
    expected.push_back(text + (i % 3 == 0 ? std::string(1, '\0') : std::string()));
  }
  TextList list;
  for (const std::string& text : expected) list.push_back(text);
  ASSERT_EQ(list.size(), expected.size());
  EXPECT_EQ(texts_of(list), expected);
  for (std::size_t i = 0; i < expected.size(); i += 997) EXPECT_EQ(list[i], expected[i]) << i;
  EXPECT_TRUE(list == expected);
}

TEST(TextList, ComparesWithAListOfStrings) {
  TextList list;
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(list == std::vector<std::string>{});
  list.push_back("a;b");
  list.push_back("");
  EXPECT_TRUE((list == std::vector<std::string>{"a;b", ""}));
  EXPECT_FALSE((list == std::vector<std::string>{"a;b"}));
  EXPECT_FALSE((list == std::vector<std::string>{"a;b", "x"}));
  EXPECT_FALSE((list == std::vector<std::string>{"a", ";b"}));
}

TEST(TextList, ClearEmptiesItForTheNextBatch) {
  TextList list;
  list.push_back("first batch");
  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.size(), 0u);
  list.push_back("second batch");
  EXPECT_EQ(texts_of(list), std::vector<std::string>{"second batch"});
}

}  // namespace
}  // namespace vardelmo
