// The run finding shared by the run-length codes of BMP, PCX and ILBM: a sequence is cut into
// runs of one repeated value and the literal stretches between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace paginor {

// Calls on_run(length, value) for each run of at least min_run equal values (at most max_run
// long) and on_literal(span) for each stretch between runs (at most max_literal long), in
// order. A literal never holds min_run equal values in a row, so a run is never split into one.
template <typename OnRun, typename OnLiteral>
void SplitRuns(std::span<const uint8_t> data, std::size_t min_run, std::size_t max_run,
               std::size_t max_literal, OnRun on_run, OnLiteral on_literal) {
  const std::size_t n = data.size();
  const auto run_at = [&](std::size_t k, std::size_t limit) {
    std::size_t r = 1;
    while (k + r < n && r < limit && data[k + r] == data[k])
      ++r;
    return r;
  };
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = run_at(i, max_run);
    if (run >= min_run) {
      on_run(run, data[i]);
      i += run;
      continue;
    }
    std::size_t j = i + 1;
    while (j < n && j - i < max_literal && run_at(j, min_run) < min_run)
      ++j;
    on_literal(data.subspan(i, j - i));
    i = j;
  }
}

}  // namespace paginor
