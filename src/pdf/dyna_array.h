// TDynaArray: the one list type of the reader. A growable array of records with an
// iteration index and a "bound" pointer variable of the caller's that always points at the
// current record, so code can work through that variable while it selects, appends and
// iterates.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace paginor {

template <typename T>
class TDynaArray {
 public:
  // Records are counted in blocks of this many; the capacity grows and shrinks in these steps.
  static constexpr int kBlock = 100;

  TDynaArray() = default;
  explicit TDynaArray(T** bound) : bound_(bound) {}
  TDynaArray(const TDynaArray&) = delete;
  TDynaArray& operator=(const TDynaArray&) = delete;
  TDynaArray(TDynaArray&& other) noexcept { *this = std::move(other); }
  TDynaArray& operator=(TDynaArray&& other) noexcept {
    if (this != &other) {
      items_ = std::move(other.items_);
      other.items_.clear();
      index_ = std::exchange(other.index_, -1);
      current_ = std::exchange(other.current_, nullptr);
      bound_ = other.bound_;
    }
    return *this;
  }

  int Count() const { return static_cast<int>(items_.size()); }
  int Index() const { return index_; }
  // The page tree walk saves the index, appends, and writes it back.
  void SetIndex(int index) { index_ = index; }
  T* Current() const { return current_; }
  // Room for this many records: whole blocks for the count.
  int Capacity() const { return CapacityFor(Count()); }
  // The variable the array keeps pointing at the current record (may be null).
  void Bind(T** bound) { bound_ = bound; }

  T& operator[](int i) { return items_[static_cast<std::size_t>(i)]; }
  const T& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
  T* begin() { return items_.data(); }
  T* end() { return items_.data() + items_.size(); }
  const T* begin() const { return items_.data(); }
  const T* end() const { return items_.data() + items_.size(); }

  // Makes record i current. Returns null, changing nothing, when i is out of range.
  T* Select(int i) {
    if (i < 0 || i >= Count()) return nullptr;
    index_ = i;
    SetCurrent(&items_[static_cast<std::size_t>(i)]);
    return current_;
  }

  // Appends a value-initialised record and makes it current.
  T* Append() {
    Reserve(items_.size() + 1);
    items_.emplace_back();
    index_ = Count() - 1;
    SetCurrent(&items_.back());
    return current_;
  }

  // Removes record i, moving the following records down; nothing is current afterwards.
  void Delete(int i) {
    if (i < 0 || i >= Count()) return;
    items_.erase(items_.begin() + i);
    Shrink();
    index_ = -1;
    SetCurrent(nullptr);
  }

  // Exchanges records a and b; record b is current afterwards.
  void Swap(int a, int b) {
    if (a < 0 || a >= Count() || b < 0 || b >= Count()) return;
    std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
    Select(b);
  }

  void Clear() {
    std::vector<T>().swap(items_);
    index_ = -1;
    SetCurrent(nullptr);
  }

  // Starts an iteration; on an empty array the index keeps its value.
  void First() {
    if (items_.empty()) return;
    index_ = 0;
    SetCurrent(&items_[0]);
  }

  // Selects the record at the index and moves the index on, so that inside a First/Next loop
  // the index is the 1-based number of the current record.
  bool Next() {
    if (items_.empty() || index_ < 0 || index_ >= Count()) return false;
    SetCurrent(&items_[static_cast<std::size_t>(index_)]);
    ++index_;
    return true;
  }

  // Appends the records of other (moved out of it) in one step, as the layout moves a page's
  // runs into the document's list; other is left empty.
  void AppendAll(TDynaArray&& other) {
    if (other.items_.empty()) return;
    Reserve(items_.size() + other.items_.size());
    std::move(other.items_.begin(), other.items_.end(), std::back_inserter(items_));
    other.Clear();
  }

 private:
  static int CapacityFor(int count) {
    if (count <= 0) return 0;
    return ((count - 1) / kBlock + 1) * kBlock;
  }

  // The storage grows geometrically underneath the block count, so that appending stays
  // amortised constant however long the list gets; the current record moves with it.
  void Reserve(std::size_t count) {
    if (count <= items_.capacity()) return;
    const std::ptrdiff_t current_at = current_ != nullptr ? current_ - items_.data() : -1;
    items_.reserve(std::max<std::size_t>(count, items_.capacity() * 2));
    if (current_at >= 0) SetCurrent(items_.data() + current_at);
  }

  // Gives memory back once the records fill less than a quarter of it.
  void Shrink() {
    if (items_.capacity() <= static_cast<std::size_t>(kBlock) ||
        items_.size() * 4 > items_.capacity()) {
      return;
    }
    items_.shrink_to_fit();
  }

  void SetCurrent(T* record) {
    current_ = record;
    if (bound_ != nullptr) *bound_ = record;
  }

  std::vector<T> items_;
  int index_ = -1;
  T* current_ = nullptr;
  T** bound_ = nullptr;
};

}  // namespace paginor
