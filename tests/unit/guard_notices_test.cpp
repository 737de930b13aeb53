// When a notification is due after a walk of the automatic removal, what
// it says, and whether it is device feedback.
#include "app/guard_notices.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

ArrivalLook Worm(const char* drive, std::size_t shortcuts) {
  ArrivalLook look;
  look.drive = drive;
  look.worm_shortcuts = shortcuts;
  return look;
}

TEST(GuardNoticesTest, OneNotificationPerWalkForWhatItLogged) {
  const struct {
    const char* what;
    RemovalRound round;
    std::vector<ArrivalLook> looks;
    const char* title;  // nullptr: no notification
    const char* text;
    const char* worm_drive;
  } cases[] = {
      {"nothing found", {}, {}, nullptr, "", ""},
      {"a clean stick looked at", {}, {Worm("F:", 0)}, nullptr, "", ""},
      {"deletions on two drives",
       {{"E:\\autorun.inf", "F:\\autorun.inf"}, {}},
       {},
       "Autorun Removed",
       "Removed autorun.inf from E:, F:.",
       ""},
      {"a failed deletion",
       {{}, {{"G:\\autorun.inf", "write-protected"}}},
       {},
       "Autorun Removal Failed",
       "Could not remove autorun.inf from G:.",
       ""},
      {"a deletion and a worm on the same stick",
       {{"F:\\autorun.inf"}, {}},
       {Worm("F:", 2)},
       "Shortcut Worm Found",
       "Removed autorun.inf from F:.\n"
       "Shortcut Worm Found on: F:\\ (2 worm shortcuts; Repair Hidden Files "
       "on F: gives the hidden files back)\n"
       "Click here to see what Repair Hidden Files would do on F:.",
       "F:"},
  };
  for (const auto& c : cases) {
    const auto notice = NoticeFor(c.round, c.looks, false);
    if (!c.title) {
      EXPECT_FALSE(notice) << c.what;
      continue;
    }
    ASSERT_TRUE(notice) << c.what;
    EXPECT_EQ(notice->balloon.title, c.title) << c.what;
    EXPECT_EQ(notice->balloon.text, c.text) << c.what;
    EXPECT_EQ(notice->worm_drive, c.worm_drive) << c.what;
  }
}

// Only what answers a stick just inserted may show in the quiet time.
TEST(GuardNoticesTest, AnArrivalsNotificationIsDeviceFeedbackATicksIsNot) {
  const RemovalRound round{{"E:\\autorun.inf"}, {}};
  EXPECT_TRUE(NoticeFor(round, {}, true)->balloon.device_feedback);
  EXPECT_FALSE(NoticeFor(round, {}, false)->balloon.device_feedback);
}

}  // namespace
}  // namespace velmora
