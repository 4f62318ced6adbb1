#include "text/exchange_order.h"
#include "output/utf8.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "text/layout.h"

namespace paginor {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The plain procedure, as the layout was written: element numbers exchanged in place.
std::vector<int> PlainExchangeOrder(const std::vector<double>& keys) {
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  const auto key = [&keys](int e) { return keys[static_cast<std::size_t>(e)]; };
  for (std::size_t i = 0; i < order.size(); ++i) {
    for (std::size_t j = i + 1; j < order.size(); ++j) {
      if (key(order[j]) < key(order[i])) std::swap(order[i], order[j]);
    }
  }
  return order;
}

std::string Describe(const std::vector<double>& keys) {
  std::string out;
  for (const double k : keys)
    out += std::to_string(k) + " ";
  return out;
}

TEST(ExchangeOrder, NamedCases) {
  const struct {
    const char* name;
    std::vector<double> keys;
    std::vector<int> order;
  } cases[] = {
      {"empty", {}, {}},
      {"one", {5}, {0}},
      {"sorted stays", {1, 2, 3}, {0, 1, 2}},
      {"equal keys keep their order", {7, 7, 7}, {0, 1, 2}},
      // The pass that brings 1 forward leaves the first 3 in its slot, behind the second 3.
      {"a smaller key after two equal ones swaps them", {3, 3, 1}, {2, 1, 0}},
      {"a smaller key between two equal ones does not", {3, 1, 3}, {1, 0, 2}},
      {"reversed", {3, 2, 1}, {2, 1, 0}},
      {"NaN stays in its place", {2, kNaN, 1}, {2, 1, 0}},
      {"negative zero equals zero", {0.0, -0.0, -1}, {2, 1, 0}},
      {"infinities", {kInf, -kInf, 0}, {1, 2, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExchangeOrder(c.keys), c.order) << c.name;
    EXPECT_EQ(PlainExchangeOrder(c.keys), c.order) << c.name;
  }
}

// Random key sequences with many equal keys, NaN and signed zeros: the fast order must be the
// plain procedure's permutation exactly.
TEST(ExchangeOrder, IsThePlainProcedureOnRandomKeys) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 40)(random);
    const int distinct = std::uniform_int_distribution<int>(1, 8)(random);
    const bool with_nan = round % 5 == 0;
    std::vector<double> keys(n);
    for (double& k : keys) {
      const int v = std::uniform_int_distribution<int>(0, distinct - 1)(random);
      k = v == 0 ? (round % 2 == 0 ? 0.0 : -0.0) : v;
      if (with_nan && std::uniform_int_distribution<int>(0, 6)(random) == 0) k = kNaN;
    }
    ASSERT_EQ(ExchangeOrder(keys), PlainExchangeOrder(keys)) << Describe(keys);
  }
}

TEST(ExchangeOrder, IsThePlainProcedureOnLongSequences) {
  std::mt19937 random(7);
  for (const int distinct : {2, 5, 50, 100000}) {
    std::vector<double> keys(3000);
    for (double& k : keys)
      k = std::uniform_int_distribution<int>(0, distinct - 1)(random);
    EXPECT_EQ(ExchangeOrder(keys), PlainExchangeOrder(keys)) << distinct << " distinct keys";
  }
}

// The layout's orderings on whole pages, against the plain procedure with the layout's own
// predicates and line numbering.
void PlainOrderPageRuns(std::vector<TTextItem>& runs) {
  const auto exchange = [&runs](auto before) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
      for (std::size_t j = i + 1; j < runs.size(); ++j) {
        if (before(runs[j], runs[i])) std::swap(runs[i], runs[j]);
      }
    }
  };
  exchange([](const TTextItem& a, const TTextItem& b) { return a.Y > b.Y; });
  int32_t line = 0;
  double last_y = 0;
  double last_height = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    TTextItem& run = runs[i];
    const bool same_line =
        i > 0 && last_y - 0.6 * last_height <= run.Y && run.Y - 0.6 * run.LineHeight <= last_y;
    if (i > 0 && !same_line) ++line;
    if (i == 0 || !same_line) {
      last_y = run.Y;
      last_height = run.LineHeight;
    }
    run.Line = line;
  }
  exchange([](const TTextItem& a, const TTextItem& b) { return a.Line == b.Line && a.X < b.X; });
}

TEST(ExchangeOrder, PagesAreOrderedAsByThePlainProcedure) {
  std::mt19937 random(99);
  for (int round = 0; round < 400; ++round) {
    const int count = std::uniform_int_distribution<int>(0, 60)(random);
    std::vector<TTextItem> runs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      TTextItem& run = runs[static_cast<std::size_t>(i)];
      run.Text = FromUtf8(std::to_string(i));  // tells the runs apart
      // Few heights and positions, so that many keys are equal; now and then a line whose runs
      // lie a little apart in height, and a NaN.
      run.Y = 700 - 14 * std::uniform_int_distribution<int>(0, 5)(random) +
              (round % 3 == 0 ? std::uniform_int_distribution<int>(0, 4)(random) : 0);
      run.X = 50.0 * std::uniform_int_distribution<int>(0, 6)(random);
      run.LineHeight = 14;
      if (round % 7 == 0 && i % 11 == 5) run.X = kNaN;
      if (round % 13 == 0 && i % 17 == 3) run.Y = kNaN;
    }
    std::vector<TTextItem> expected = runs;
    PlainOrderPageRuns(expected);
    TDynaArray<TTextItem> page;
    for (const TTextItem& run : runs)
      *page.Append() = run;
    OrderPageRuns(page);
    ASSERT_EQ(page.Count(), count);
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(page[i].Text, expected[static_cast<std::size_t>(i)].Text)
          << "round " << round << ", position " << i;
      ASSERT_EQ(page[i].Line, expected[static_cast<std::size_t>(i)].Line)
          << "round " << round << ", position " << i;
    }
  }
}

}  // namespace
}  // namespace paginor
