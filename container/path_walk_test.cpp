// The depth-first work list: steps in recursion's order, keys on the path until their steps are
// done, so a cycle is seen and a shared node is not.
#include "container/path_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Visits a graph from `start` the way the walkers do: a node on its own path is a cycle and is
// not entered again; a node met again on another branch is entered again.
std::vector<std::string> Walk(const std::map<char, std::string>& edges, char start,
                              const std::string& above = "") {
  CPathWalk<char, char> walk;
  for (const char key : above) walk.AddToPath(key);
  walk.Push(start);
  std::vector<std::string> seen;
  while (const std::optional<char> node = walk.Next()) {
    if (walk.OnPath(*node)) {
      seen.push_back(std::string("cycle ") + *node);
      continue;
    }
    seen.push_back(std::string(1, *node));
    walk.Enter(*node);
    const auto found = edges.find(*node);
    if (found != edges.end()) walk.PushInOrder(found->second);
  }
  return seen;
}

TEST(PathWalk, GoesDepthFirstInOrderAndSeesCyclesOnlyOnTheirOwnPath) {
  // a -> b, c; b -> d; c -> d; d -> a (a cycle through either branch).
  const std::map<char, std::string> edges{{'a', "bc"}, {'b', "d"}, {'c', "d"}, {'d', "a"}};
  EXPECT_EQ((std::vector<std::string>{"a", "b", "d", "cycle a", "c", "d", "cycle a"}),
            Walk(edges, 'a'));
  // Shared but acyclic: d is entered on both branches, never taken for a cycle.
  const std::map<char, std::string> diamond{{'a', "bc"}, {'b', "d"}, {'c', "d"}};
  EXPECT_EQ((std::vector<std::string>{"a", "b", "d", "c", "d"}), Walk(diamond, 'a'));
  // What lies above the start stays on the path for the whole walk.
  EXPECT_EQ((std::vector<std::string>{"b", "d", "cycle a"}), Walk(edges, 'b', "a"));
}

TEST(PathWalk, AChainOfAMillionStepsTakesNoStack) {
  CPathWalk<int, int> walk;
  walk.Push(0);
  int deepest = 0;
  while (const std::optional<int> step = walk.Next()) {
    deepest = *step;
    walk.Enter(*step);
    if (*step < 1'000'000) walk.Push(*step + 1);
  }
  EXPECT_EQ(1'000'000, deepest);
  EXPECT_FALSE(walk.OnPath(0));  // every key left the path when the walk ended
}

}  // namespace
