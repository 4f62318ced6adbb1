#include "text/exchange_order.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace paginor {

namespace {

// Counts over positions 0..n-1.
class Fenwick {
 public:
  explicit Fenwick(std::size_t n) : tree_(n + 1, 0) {}

  void Add(std::size_t pos, int delta) {
    for (std::size_t i = pos + 1; i < tree_.size(); i += i & (~i + 1))
      tree_[i] += delta;
  }
  // The sum over positions [0, end).
  int Prefix(std::size_t end) const {
    int sum = 0;
    for (std::size_t i = end; i > 0; i -= i & (~i + 1))
      sum += tree_[i];
    return sum;
  }
  // The position p with Prefix(p + 1) == k and Prefix(p) < k, for 1 <= k <= the total; all
  // counts must be 0 or 1.
  std::size_t FindKth(int k) const {
    std::size_t pos = 0;
    std::size_t step = 1;
    while (step * 2 < tree_.size())
      step *= 2;
    for (; step > 0; step /= 2) {
      if (pos + step < tree_.size() && tree_[pos + step] < k) {
        pos += step;
        k -= tree_[pos];
      }
    }
    return pos;  // 1-based pos + 1, so the 0-based position is pos
  }

 private:
  std::vector<int> tree_;
};

// The order of one class of equal keys. members are the class's positions in ascending order
// (among the elements with keys other than NaN); gaps[t] is the number of smaller elements
// between members t and t + 1, and after the last member for the last t.
std::vector<int> ClassOrder(const std::vector<int>& members, const std::vector<int>& gaps) {
  const std::size_t c = members.size();
  // The queue is the list L read from index `front` round to front - 1. Joining at the back
  // inserts at index `front`; a smaller element moves the front on by one.
  std::vector<std::size_t> insert_at(c);
  std::size_t front = 0;
  for (std::size_t t = 0; t < c; ++t) {
    insert_at[t] = front;
    ++front;
    const std::size_t size = t + 1;
    front = (front + static_cast<std::size_t>(gaps[t]) % size) % size;
  }
  // Where each insertion ends in the final list: processed from the last, an insertion at
  // index k takes the (k + 1)-th slot that later insertions have left free.
  Fenwick free_slots(c);
  for (std::size_t i = 0; i < c; ++i)
    free_slots.Add(i, 1);
  std::vector<int> list(c);
  for (std::size_t t = c; t-- > 0;) {
    const std::size_t slot = free_slots.FindKth(static_cast<int>(insert_at[t]) + 1);
    free_slots.Add(slot, -1);
    list[slot] = members[t];
  }
  std::rotate(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(front), list.end());
  return list;
}

}  // namespace

std::vector<int> ExchangeOrder(std::span<const double> keys) {
  const std::size_t n = keys.size();
  std::vector<int> result(n);
  // Elements keyed NaN stay where they are; the others are ordered in the remaining places.
  std::vector<int> places;
  places.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    result[i] = static_cast<int>(i);
    if (!std::isnan(keys[i])) places.push_back(static_cast<int>(i));
  }
  const std::size_t m = places.size();
  // Sub-positions 0..m-1 of the ordered elements, by key and then by position.
  std::vector<int> by_key(m);
  for (std::size_t s = 0; s < m; ++s)
    by_key[s] = static_cast<int>(s);
  const auto key = [&](int s) { return keys[static_cast<std::size_t>(places[s])]; };
  std::sort(by_key.begin(), by_key.end(), [&](int a, int b) {
    if (key(a) < key(b)) return true;
    if (key(b) < key(a)) return false;
    return a < b;
  });

  Fenwick smaller(m);  // the elements of the classes done so far
  std::vector<int> order;
  order.reserve(m);
  std::vector<int> members;
  std::vector<int> gaps;
  for (std::size_t begin = 0; begin < m;) {
    std::size_t end = begin + 1;
    while (end < m && !(key(by_key[begin]) < key(by_key[end])))
      ++end;
    members.assign(by_key.begin() + static_cast<std::ptrdiff_t>(begin),
                   by_key.begin() + static_cast<std::ptrdiff_t>(end));
    if (members.size() == 1) {
      order.push_back(members[0]);
    } else {
      gaps.resize(members.size());
      for (std::size_t t = 0; t < members.size(); ++t) {
        const auto from = static_cast<std::size_t>(members[t]) + 1;
        const std::size_t to =
            t + 1 < members.size() ? static_cast<std::size_t>(members[t + 1]) : m;
        gaps[t] = smaller.Prefix(to) - smaller.Prefix(from);
      }
      const std::vector<int> class_order = ClassOrder(members, gaps);
      order.insert(order.end(), class_order.begin(), class_order.end());
    }
    for (const int s : members)
      smaller.Add(static_cast<std::size_t>(s), 1);
    begin = end;
  }
  for (std::size_t s = 0; s < m; ++s)
    result[static_cast<std::size_t>(places[s])] = places[static_cast<std::size_t>(order[s])];
  return result;
}

}  // namespace paginor
