#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vardelmo {

/// An ordered list of texts packed into large blocks. A batch keeps a path
/// and a row for each of its models until it ends; as separate strings,
/// thousands of them would cost more memory than their text, and one buffer
/// that doubles as it grows would leave its old copies behind in the heap.
class TextList {
 public:
  class const_iterator {
   public:
    const_iterator(const TextList* list, std::size_t index) : list_(list), index_(index) {}
    std::string_view operator*() const { return (*list_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator!=(const const_iterator& other) const { return index_ != other.index_; }

   private:
    const TextList* list_;
    std::size_t index_;
  };

  /// Throws std::length_error for a text of 4 GiB or more.
  void push_back(std::string_view text);
  void clear();
  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](std::size_t index) const;
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size()); }

 private:
  // Narrow, since there is one per text: no block holds 4 GiB.
  struct Span {
    std::uint32_t block;
    std::uint32_t begin;
    std::uint32_t length;
  };
  // Each block is reserved once and never grows, so texts never move.
  std::vector<std::string> blocks_;
  std::vector<Span> spans_;
};

/// Same texts in the same order.
bool operator==(const TextList& list, const std::vector<std::string>& texts);

}  // namespace vardelmo
