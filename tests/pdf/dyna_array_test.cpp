#include "pdf/dyna_array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace paginor {
namespace {

struct Rec {
  int value = 0;
  std::string name;
};

std::vector<int> Values(const TDynaArray<Rec>& array) {
  std::vector<int> values;
  for (const Rec& r : array)
    values.push_back(r.value);
  return values;
}

TEST(DynaArray, GrowsAndShrinksInBlocksOfHundred) {
  TDynaArray<Rec> array;
  for (int i = 0; i < 101; ++i)
    array.Append()->value = i;
  EXPECT_EQ(array.Capacity(), 200);
  array.Delete(0);
  EXPECT_EQ(array.Count(), 100);
  EXPECT_EQ(array.Capacity(), 100);
  EXPECT_EQ(array[0].value, 1);
  EXPECT_EQ(array[99].value, 100);
  array.Clear();
  EXPECT_EQ(array.Capacity(), 0);
  EXPECT_EQ(array.Index(), -1);
}

TEST(DynaArray, DeleteKeepsOrderAndIgnoresBadIndexes) {
  TDynaArray<Rec> array;
  for (int v : {10, 11, 12, 13, 14})
    array.Append()->value = v;
  array.Delete(1);
  EXPECT_EQ(Values(array), (std::vector<int>{10, 12, 13, 14}));
  array.Delete(-1);
  array.Delete(4);
  EXPECT_EQ(array.Count(), 4);
  EXPECT_EQ(array.Current(), nullptr);
  EXPECT_EQ(array.Index(), -1);
}

TEST(DynaArray, BoundVariableFollowsTheCurrentRecord) {
  Rec* bound = nullptr;
  TDynaArray<Rec> array(&bound);
  array.Append()->value = 1;
  EXPECT_EQ(bound->value, 1);
  array.Append()->value = 2;
  EXPECT_EQ(bound->value, 2);
  array.Select(0);
  EXPECT_EQ(bound->value, 1);
  array.Swap(0, 1);
  EXPECT_EQ(array.Index(), 1);
  EXPECT_EQ(bound->value, 1);  // record 1 now holds what was record 0
  EXPECT_EQ(Values(array), (std::vector<int>{2, 1}));
  array.Swap(0, 5);  // out of range: nothing happens
  EXPECT_EQ(Values(array), (std::vector<int>{2, 1}));
  array.Delete(0);
  EXPECT_EQ(bound, nullptr);
}

TEST(DynaArray, BoundVariableSurvivesTheBlockMoving) {
  Rec* bound = nullptr;
  TDynaArray<Rec> array(&bound);
  for (int i = 0; i < 100; ++i)
    array.Append()->value = i;
  array.First();
  ASSERT_TRUE(array.Next());
  // Appending record 101 moves the block; the bound record must still be record 0.
  const int saved = array.Index();
  array.Append();
  array.Select(saved - 1);
  EXPECT_EQ(bound->value, 0);
}

TEST(DynaArray, FirstNextIterationCountsFromOne) {
  TDynaArray<Rec> empty;
  empty.SetIndex(7);
  empty.First();
  EXPECT_EQ(empty.Index(), 7);
  EXPECT_FALSE(empty.Next());

  Rec* bound = nullptr;
  TDynaArray<Rec> array(&bound);
  for (int v : {5, 6, 7})
    array.Append()->value = v;
  std::vector<std::pair<int, int>> seen;  // (index inside the loop, value)
  array.First();
  while (array.Next())
    seen.emplace_back(array.Index(), bound->value);
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 5}, {2, 6}, {3, 7}}));
  EXPECT_EQ(array.Index(), 3);
  EXPECT_FALSE(array.Next());
}

TEST(DynaArray, AppendGivesAnEmptyRecordAfterDelete) {
  TDynaArray<Rec> array;
  array.Append()->value = 1;
  Rec* second = array.Append();
  second->value = 2;
  second->name = "zwei";
  array.Delete(1);
  const Rec* again = array.Append();
  EXPECT_EQ(again->value, 0);
  EXPECT_TRUE(again->name.empty());
}

TEST(DynaArray, AppendAllMovesRecordsAndEmptiesTheSource) {
  TDynaArray<Rec> target;
  target.Append()->name = "a";
  TDynaArray<Rec> source;
  for (int i = 0; i < 150; ++i)
    source.Append()->name = std::to_string(i);
  target.AppendAll(std::move(source));
  EXPECT_EQ(target.Count(), 151);
  EXPECT_EQ(target.Capacity(), 200);
  EXPECT_EQ(target[150].name, "149");
  EXPECT_EQ(source.Count(), 0);
}

}  // namespace
}  // namespace paginor
