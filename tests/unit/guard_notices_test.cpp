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

// "E:\autorun.inf" for each letter.
std::vector<std::string> Paths(std::string_view letters) {
  std::vector<std::string> paths;
  for (char letter : letters)
    paths.push_back(std::string{letter} + ":\\autorun.inf");
  return paths;
}

// Only what answers a stick just inserted (an arrival) is device feedback,
// which may show in the quiet time.
TEST(GuardNoticesTest, OneNotificationPerWalkForWhatItLogged) {
  const struct {
    const char* what;
    RemovalRound round;
    std::vector<ArrivalLook> looks;
    bool arrival;
    const char* title;  // nullptr: no notification
    const char* text;
    const char* worm_drive;
  } cases[] = {
      {"nothing found", {}, {}, false, nullptr, "", ""},
      {"a clean stick looked at", {}, {Worm("F:", 0)}, true, nullptr, "", ""},
      {"deletions on two drives",
       {{"E:\\autorun.inf", "F:\\autorun.inf"}, {}, {}},
       {},
       false,
       "Autorun Removed",
       "Removed autorun.inf from E:, F:.",
       ""},
      {"a failed deletion",
       {{}, {{"G:\\autorun.inf", "write-protected"}}, {}},
       {},
       false,
       "Autorun Removal Failed",
       "Could not remove autorun.inf from G:.",
       ""},
      {"files left by the organization's policy",
       {{}, {}, {"E:\\autorun.inf", "F:\\autorun.inf"}},
       {},
       true,
       "Autorun Found",
       "Found autorun.inf on E:, F: (not deleted: your organization's "
       "policy allows reporting only).",
       ""},
      {"a deletion and a worm on the same stick",
       {{"F:\\autorun.inf"}, {}, {}},
       {Worm("F:", 2)},
       true,
       "Shortcut Worm Found",
       "Removed autorun.inf from F:.\n"
       "Shortcut Worm Found on: F:\\ (2 worm shortcuts)\n"
       "Click here to see what Repair Hidden Files would do on F:.",
       "F:"},
      {"many drives: three named, the rest counted",
       {Paths("DEFGH"), {{"I:\\autorun.inf", "write-protected"}}, {}},
       {Worm("J:", 1), Worm("K:", 0), Worm("L:", 3), Worm("M:", 1),
        Worm("N:", 1), Worm("O:", 1)},
       true,
       "Shortcut Worm Found",
       "Removed autorun.inf from D:, E:, F: and 2 more.\n"
       "Could not remove autorun.inf from I:.\n"
       "Shortcut Worm Found on: J:\\ (1 worm shortcut)\n"
       "Also found on L:, M:, N: and 1 more.\n"
       "Click here to see what Repair Hidden Files would do on J:.",
       "J:"},
  };
  for (const auto& c : cases) {
    const auto notice = NoticeFor(c.round, c.looks, c.arrival);
    if (!c.title) {
      EXPECT_FALSE(notice) << c.what;
      continue;
    }
    ASSERT_TRUE(notice) << c.what;
    EXPECT_EQ(notice->balloon.title, c.title) << c.what;
    EXPECT_EQ(notice->balloon.text, c.text) << c.what;
    EXPECT_EQ(notice->worm_drive, c.worm_drive) << c.what;
    EXPECT_EQ(notice->balloon.device_feedback, c.arrival) << c.what;
  }
}

// NOTIFYICONDATA holds 255 characters of text: the most a walk can say,
// every drive letter in each sentence and the most worm shortcuts looked
// at, fits.
TEST(GuardNoticesTest, TheLongestTextFitsABalloon) {
  const std::string all = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  RemovalRound round{Paths(all.substr(0, 13)), {}, {}};
  for (const std::string& path : Paths(all.substr(13)))
    round.failed.push_back({path, "write-protected"});
  std::vector<ArrivalLook> looks;
  for (char letter : all)
    looks.push_back(Worm((std::string{letter} + ":").c_str(), kLookShortcuts));
  const auto notice = NoticeFor(round, looks, true);
  ASSERT_TRUE(notice);
  EXPECT_LE(notice->balloon.text.size(), 255u) << notice->balloon.text;
  EXPECT_NE(notice->balloon.text.find("and 22 more"), std::string::npos);
}

}  // namespace
}  // namespace velmora
