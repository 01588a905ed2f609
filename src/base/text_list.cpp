#include "base/text_list.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace vardelmo {
namespace {

// Large enough that a batch needs few, small enough to stay in the heap
// proper, where pages count only once they are written.
constexpr std::size_t kBlockSize = 64 * 1024 - 64;

}  // namespace

void TextList::push_back(std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("TextList: a text of 4 GiB or more");
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < text.size()) {
    blocks_.emplace_back();
    blocks_.back().reserve(std::max(kBlockSize, text.size()));
  }
  std::string& block = blocks_.back();
  spans_.push_back(Span{static_cast<std::uint32_t>(blocks_.size() - 1),
                        static_cast<std::uint32_t>(block.size()),
                        static_cast<std::uint32_t>(text.size())});
  block.append(text);
}

void TextList::clear() {
  // Gives the memory back too, as the batch that filled the list may have
  // been large, all but one block: a list emptied after every text would
  // otherwise take a block from the heap and give it back each time, and
  // the heap then gives its top pages back to the system and faults them in
  // again.
  if (blocks_.size() > 1) {
    blocks_.resize(1);
    blocks_.shrink_to_fit();
  }
  if (!blocks_.empty()) blocks_.front().clear();
  std::vector<Span>().swap(spans_);
}

std::string_view TextList::operator[](std::size_t index) const {
  const Span& span = spans_[index];
  return std::string_view(blocks_[span.block]).substr(span.begin, span.length);
}

bool operator==(const TextList& list, const std::vector<std::string>& texts) {
  if (list.size() != texts.size()) return false;
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (list[i] != texts[i]) return false;
  return true;
}

}  // namespace vardelmo
