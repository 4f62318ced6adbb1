// TDynaArray: the one list type of the reader. A growable array of records with an
// iteration index and a "bound" pointer variable of the caller's that always points at the
// current record, so code can work through that variable while it selects, appends and
// iterates.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace paginor {

template <typename T>
class TDynaArray {
 public:
  // Records are allocated in blocks of this many; the block grows and shrinks in these steps.
  static constexpr int kBlock = 100;

  TDynaArray() = default;
  explicit TDynaArray(T** bound) : bound_(bound) {}
  TDynaArray(const TDynaArray&) = delete;
  TDynaArray& operator=(const TDynaArray&) = delete;
  TDynaArray(TDynaArray&& other) noexcept { *this = std::move(other); }
  TDynaArray& operator=(TDynaArray&& other) noexcept {
    if (this != &other) {
      data_ = std::move(other.data_);
      count_ = std::exchange(other.count_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
      index_ = std::exchange(other.index_, -1);
      current_ = std::exchange(other.current_, nullptr);
      bound_ = other.bound_;
    }
    return *this;
  }

  int Count() const { return count_; }
  int Index() const { return index_; }
  // The page tree walk saves the index, appends, and writes it back.
  void SetIndex(int index) { index_ = index; }
  T* Current() const { return current_; }
  // Room for this many records in the current block.
  int Capacity() const { return capacity_; }
  // The variable the array keeps pointing at the current record (may be null).
  void Bind(T** bound) { bound_ = bound; }

  T& operator[](int i) { return data_[static_cast<std::size_t>(i)]; }
  const T& operator[](int i) const { return data_[static_cast<std::size_t>(i)]; }
  T* begin() { return data_.get(); }
  T* end() { return data_.get() + count_; }
  const T* begin() const { return data_.get(); }
  const T* end() const { return data_.get() + count_; }

  // Makes record i current. Returns null, changing nothing, when i is out of range.
  T* Select(int i) {
    if (i < 0 || i >= count_) return nullptr;
    index_ = i;
    SetCurrent(&data_[static_cast<std::size_t>(i)]);
    return current_;
  }

  // Appends a value-initialised record and makes it current.
  T* Append() {
    ++count_;
    Grow();
    data_[static_cast<std::size_t>(count_ - 1)] = T{};
    index_ = count_ - 1;
    SetCurrent(&data_[static_cast<std::size_t>(index_)]);
    return current_;
  }

  // Removes record i, moving the following records down; nothing is current afterwards.
  void Delete(int i) {
    if (i < 0 || i >= count_) return;
    for (int k = i; k + 1 < count_; ++k) {
      data_[static_cast<std::size_t>(k)] = std::move(data_[static_cast<std::size_t>(k + 1)]);
    }
    data_[static_cast<std::size_t>(count_ - 1)] = T{};
    --count_;
    Grow();
    index_ = -1;
    SetCurrent(nullptr);
  }

  // Exchanges records a and b; record b is current afterwards.
  void Swap(int a, int b) {
    if (a < 0 || a >= count_ || b < 0 || b >= count_) return;
    std::swap(data_[static_cast<std::size_t>(a)], data_[static_cast<std::size_t>(b)]);
    Select(b);
  }

  void Clear() {
    data_.reset();
    count_ = 0;
    capacity_ = 0;
    index_ = -1;
    SetCurrent(nullptr);
  }

  // Starts an iteration; on an empty array the index keeps its value.
  void First() {
    if (count_ == 0) return;
    index_ = 0;
    SetCurrent(&data_[0]);
  }

  // Selects the record at the index and moves the index on, so that inside a First/Next loop
  // the index is the 1-based number of the current record.
  bool Next() {
    if (count_ == 0 || index_ < 0 || index_ >= count_) return false;
    SetCurrent(&data_[static_cast<std::size_t>(index_)]);
    ++index_;
    return true;
  }

  // Appends the records of other (moved out of it) in one step, as the layout moves a page's
  // runs into the document's list; other is left empty.
  void AppendAll(TDynaArray&& other) {
    if (other.count_ == 0) return;
    const int first_new = count_;
    count_ += other.count_;
    Grow();
    for (int k = 0; k < other.count_; ++k) {
      data_[static_cast<std::size_t>(first_new + k)] =
          std::move(other.data_[static_cast<std::size_t>(k)]);
    }
    other.Clear();
  }

 private:
  static int CapacityFor(int count) {
    if (count <= 0) return 0;
    return ((count - 1) / kBlock + 1) * kBlock;
  }

  // Makes the block fit the count, in whole blocks of records.
  void Grow() {
    const int wanted = CapacityFor(count_);
    if (wanted == capacity_) return;
    if (wanted == 0) {
      data_.reset();
      capacity_ = 0;
      return;
    }
    const std::ptrdiff_t current_at = current_ != nullptr ? current_ - data_.get() : -1;
    auto block = std::make_unique<T[]>(static_cast<std::size_t>(wanted));
    const int keep = capacity_ < wanted ? capacity_ : wanted;
    for (int k = 0; k < keep; ++k) {
      block[static_cast<std::size_t>(k)] = std::move(data_[static_cast<std::size_t>(k)]);
    }
    data_ = std::move(block);
    capacity_ = wanted;
    // The block moved: keep the current record (and the bound variable) on the same record
    // instead of leaving them pointing into the released block.
    if (current_at >= 0) SetCurrent(current_at < count_ ? data_.get() + current_at : nullptr);
  }

  void SetCurrent(T* record) {
    current_ = record;
    if (bound_ != nullptr) *bound_ = record;
  }

  std::unique_ptr<T[]> data_;
  int count_ = 0;
  int capacity_ = 0;
  int index_ = -1;
  T* current_ = nullptr;
  T** bound_ = nullptr;
};

}  // namespace paginor
