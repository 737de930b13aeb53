// One running copy per user and session, within this one process: a later
// claim finds the first, its show request reaches the window that asks for
// it (hidden, as in guard mode), and the place is free again once the first
// copy lets go.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_single_instance.h"
#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

TEST(SingleInstanceTest, ALaterStartFindsTheRunningCopyAndReachesItsWindow) {
  EXPECT_NE(ShowRequestMessage(), 0u);
  Win32WindowFactory factory{false};
  int requests = 0;
  WindowEvents events;
  events.onShowRequest = [&] { ++requests; };
  std::unique_ptr<Window> window = factory.Create(kLayout, std::move(events));
  ASSERT_TRUE(window->Loaded());
  ASSERT_FALSE(IsWindowVisible(testing::H(NativeHandle(*window))));
  {
    SingleInstance running;
    ASSERT_FALSE(running.AnotherRuns());
    running.Ready();
    SingleInstance later;
    EXPECT_TRUE(later.AnotherRuns());
    later.AskToShow();
    Pump([&] { return requests > 0; }, 5000);
    EXPECT_EQ(requests, 1);
  }
  SingleInstance after;
  EXPECT_FALSE(after.AnotherRuns());
  window.reset();
  Pump();
}

}  // namespace
}  // namespace velmora::win32
