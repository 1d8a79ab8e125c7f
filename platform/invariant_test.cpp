// The assertion facility: a broken invariant stops the program and says where and why.
#include <gtest/gtest.h>

#include "platform/invariant.h"

namespace {

TEST(InvariantDeathTest, ABrokenInvariantAbortsNamingFileMessageAndCondition) {
  const int visits = 2;
  EXPECT_DEATH(TRELVANE_CHECK_INVARIANT(visits == 1, "each cell is visited once"),
               "invariant_test.cpp:.*: invariant broken: each cell is visited once .visits == 1.");
}

#if TRELVANE_ASSERTIONS
TEST(InvariantDeathTest, AssertionsOfThisBuildStopTheProgram) {
  const int pending = 1;
  EXPECT_DEATH(TRELVANE_ASSERT(pending == 0, "nothing waits"), "invariant broken: nothing waits");
}
#endif

// Off, an assertion costs nothing: its condition is compiled but never run.
TEST(Invariant, TheConditionRunsOnceWhenAssertionsAreOnAndNeverWhenOff) {
  int evaluations = 0;
  TRELVANE_ASSERT(++evaluations == 1, "evaluated once");
  EXPECT_EQ(evaluations, TRELVANE_ASSERTIONS);
}

}  // namespace
