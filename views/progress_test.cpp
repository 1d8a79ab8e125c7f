// Progress reporting: one window per process, messages every 50 ticks, the Stop button.
#include <gtest/gtest.h>

#include "tests/support/recording_progress_display.h"
#include "views/population_tree_progress.h"
#include "views/progress_window.h"

namespace {

using test_support::CRecordingProgressDisplay;

TEST(ProgressWindow, ShowsOneWindowPerProcess) {
  CRecordingProgressDisplay::Installed display;
  ProgressWindow first(display.factory);
  first.SetTitle(L"Trelvane - first");
  first.SetMessage(L"before start");
  ASSERT_TRUE(first.Start());
  {
    ProgressWindow second(display.factory);
    EXPECT_TRUE(second.Start());  // Returns at once, shows nothing.
    second.SetMessage(L"kept to itself");
    second.Close();  // Does not close the first window.
  }
  EXPECT_TRUE(ProgressWindow::IsRunning());
  EXPECT_EQ(1, display.record->shown);
  EXPECT_EQ(0, display.record->closed);
  EXPECT_EQ(L"Trelvane - first", display.record->title);
  EXPECT_EQ((std::vector<std::wstring>{L"before start"}), display.record->messages);
  first.Close();
  EXPECT_EQ(1, display.record->closed);
  EXPECT_FALSE(ProgressWindow::IsRunning());
  ProgressWindow never(display.factory);
  never.Close();  // Never started: returns at once.
  EXPECT_EQ(1, display.record->closed);
}

TEST(ProgressWindow, RunsWithoutADisplayAndFreesTheRunningFlag) {
  ProgressWindow::PressStop();  // Left over from an operation stopped earlier.
  ProgressWindow window;
  EXPECT_FALSE(window.Start());
  EXPECT_FALSE(ProgressWindow::IsRunning());
  EXPECT_FALSE(window.StopRequested());
}

TEST(ProgressWindow, CutsLongMessages) {
  CRecordingProgressDisplay::Installed display;
  ProgressWindow& window = display.window;
  ASSERT_TRUE(window.Start());
  window.SetMessage(std::wstring(5000, L'x'));
  EXPECT_EQ(ProgressWindow::kMaxMessageLength, display.record->messages.back().size());
}

TEST(PopulationTreeProgress, ReportsEveryFiftiethNodeAndPollsStopThen) {
  CRecordingProgressDisplay::Installed display;
  CPopulationTreeProgress progress;
  progress.Begin(display.window);
  EXPECT_TRUE(display.record->showStop);
  EXPECT_EQ(L"Trelvane - expanding tree", display.record->title);
  for (int i = 0; i < 49; ++i) progress.Tick();
  EXPECT_EQ(1u, display.record->messages.size());  // Only the empty message of Show.
  ProgressWindow::PressStop();
  EXPECT_TRUE(progress.MayContinue());  // Not polled before the 50th tick.
  progress.Tick();
  EXPECT_EQ(L"Nodes processed: 50", display.record->messages.back());
  EXPECT_FALSE(progress.MayContinue());
  progress.ResetStop();
  EXPECT_FALSE(progress.StopRequested());
  for (int i = 0; i < 50; ++i) progress.Tick();
  EXPECT_EQ(L"Nodes processed: 100", display.record->messages.back());
  EXPECT_TRUE(progress.MayContinue());
  progress.End();
  EXPECT_EQ(1, display.record->closed);
  EXPECT_TRUE(progress.MayContinue());  // Without a controller.
}

TEST(PopulationTreeProgress, FormatsOnlyTheCountPlaceholder) {
  EXPECT_EQ(L"Cells: 7 of %s", FormatCount(L"Cells: %ld of %s", 7));
  EXPECT_EQ(L"100% done", FormatCount(L"100% done", 3));
}

}  // namespace
