// The order of the layout's exchange procedure, computed in O(n log n).
//
// The procedure: for i from the first to the last position, for every j > i, if x[j] comes
// before x[i], exchange them. With "before" meaning a smaller key it sorts, and its exact
// course decides the order of equal keys; ExchangeOrder gives exactly that order.
#pragma once

#include <span>
#include <vector>

namespace paginor {

// The permutation the procedure makes of elements with these keys, with "a before b" being
// key(a) < key(b): element result[k] ends at position k. An element whose key is NaN comes
// before nothing and nothing comes before it, so it keeps its position.
//
// Why this is the same order: the elements with keys up to some value v are moved by the
// procedure exactly as the procedure moves them when run on them alone, in their original
// order (a larger element is never a new minimum while a smaller one waits, and the chain of
// exchanges of one pass, restricted to them, is their own pass). So each class of equal keys
// ends in the order it has when the smaller elements are the only others, and there the
// procedure acts on the class as a queue: each smaller element met after the class's first
// member moves the class's front member behind the others (the pass that takes the smaller
// element to the front leaves the class's front member in that element's slot), and each
// member met joins at the back. The queue is kept as a list with a moving front, and the
// places of its insertions are resolved afterwards with a Fenwick tree.
std::vector<int> ExchangeOrder(std::span<const double> keys);

}  // namespace paginor
