// The menu item "Start Guarding at Sign-in": Windows starts this program as
// `"<its full path>" /guard` when the user signs in, through the account's
// Run key, and stops doing so when the item is chosen again.
//
// The item is checked while HKCU's Run key holds the value "Velmora" with
// exactly that text and Windows' startup list (Task Manager, Settings) does
// not disable it: the value "Velmora" under StartupApproved\Run is absent,
// or binary data whose first byte is even (Windows writes 02 to enable and
// 03 and a time to disable). Anything else there, a Run value of another
// type, too long, or pointing elsewhere, and a key that cannot be read all
// read as not starting here: the item shows unchecked, and choosing it
// writes the Run value and deletes the StartupApproved value that keeps it
// from starting. Choosing it while checked deletes both values. Only the
// values named "Velmora" in these two keys are ever touched.
//
// The item is greyed where the program runs from a removable, network or
// CD drive: a sign-in entry pointing at a stick is what worms make, and the
// stick may be gone at the next sign-in. So it is for a SUBST letter and a
// RAM disk, which are gone at the next sign-in, for a drive whose kind the
// system cannot tell, and where the command would be longer than Windows
// takes from a Run value (260 characters).
//
// A change is all or nothing: both values are read as stored (any type)
// before either is changed, and when a write fails, what was already
// written is put back as it was, the error report box shows the system's
// error, and nothing is logged. A value that cannot be read so is changed
// last, where nothing is left to put back; where neither can be, nothing
// is changed and the box shows why. Each change made gets one log line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/event_record.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/registry.h"

namespace velmora {

inline constexpr const char* kRunKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved"
    "\\Run";
inline constexpr const char* kSigninValue = "Velmora";
// The longest Run value read: the longest path Windows has, its quotes and
// " /guard"; and the most of a StartupApproved value read.
inline constexpr std::size_t kMaxRunChars = 32767 + 9;
inline constexpr std::size_t kMaxApprovalBytes = 1024;
// The most of either value read to be put back after a failed change.
inline constexpr std::size_t kMaxKeptBytes = 1 << 20;

inline constexpr const char* kSigninText = "Start Guarding at Sign-in";
inline constexpr const char* kSigninFromRemovableText =
    "Start Guarding at Sign-in (not while Velmora runs from a removable "
    "drive)";
inline constexpr const char* kSigninFromNetworkText =
    "Start Guarding at Sign-in (not while Velmora runs from a network drive)";
inline constexpr const char* kSigninFromCdText =
    "Start Guarding at Sign-in (not while Velmora runs from a CD or DVD)";
inline constexpr const char* kSigninPlaceUnknownText =
    "Start Guarding at Sign-in (Velmora cannot tell where it runs from)";
inline constexpr const char* kSigninForEveryUserText =
    "Start Guarding at Sign-in (set for every user of this PC)";
inline constexpr const char* kSigninFromSubstText =
    "Start Guarding at Sign-in (not while Velmora runs from a SUBST drive "
    "letter)";
inline constexpr const char* kSigninFromRamDiskText =
    "Start Guarding at Sign-in (not while Velmora runs from a RAM disk)";
inline constexpr const char* kSigninDriveUnknownText =
    "Start Guarding at Sign-in (Velmora cannot tell what drive it runs from)";
inline constexpr const char* kSigninTooLongText =
    "Start Guarding at Sign-in (Velmora's path is too long for a sign-in "
    "entry)";
// The longest command Windows documents for a Run value, in UTF-16 units.
inline constexpr std::size_t kMaxSigninCommandChars = 260;

// The Run value's data for the program at `program`.
std::string SigninCommand(const std::string& program);
// The log lines of a written Run value and of a value removed from `key`.
std::string SigninWrittenLine(const std::string& command);
std::string SigninRemovedLine(const char* key);

// Whether Windows' startup list lets the Run value start, given the
// StartupApproved value as read (nullopt: absent) and whether reading it
// failed (another type, too long, a key that cannot be read).
bool StartupAllowed(const std::optional<std::string>& approval, bool failed);

class SigninSwitch {
 public:
  SigninSwitch(System& system, Registry& registry, ListBox& log)
      : system_(system), registry_(registry), log_(log) {}

  // The item as it shows now.
  MenuCommand Command();
  // Where each switch is recorded; none records nothing.
  void SetEvents(EventRecord* events) { events_ = events; }
  // Choosing the item: makes Windows start the program at sign-in, or
  // stops it.
  void Toggle();

  // The organization's Guard value. Set, the item shows it (checked for
  // 1), greyed, and choosing it changes nothing.
  void SetGuardPolicy(std::optional<bool> guard) { guard_policy_ = guard; }
  // What a start does under that value: for 1, writes the user's own
  // sign-in entry where it does not start the program (unless the
  // machine's starts it already, or the program runs from a drive it
  // refuses); for 0, removes the user's own values. Nothing without it.
  void FollowGuardPolicy();
  // Whether the machine's Run key (HKLM, as an installer for every user
  // writes it) holds "Velmora" starting this program. The user's own entry
  // is then never added beside it; one left from before starts no second
  // copy, as a later start only hands over to the running one.
  bool StartsForEveryUser();

 private:
  struct Reading {
    std::optional<std::string> run;  // the Run value where it is a string
    bool run_failed = false;         // there, but not readable as one
    std::optional<std::string> approval;
    bool approval_failed = false;
    bool starts_here = false;
  };
  // Where the program runs from, asked once: it does not move while it
  // runs. Empty where the item is choosable, else the greyed item's text.
  const std::string& Refusal();
  Reading Read();
  void TurnOn(const Reading& now);
  void TurnOff(const Reading& now);
  // One value's change: `key`'s "Velmora" written as `command`, or deleted
  // without one.
  struct Change {
    const char* key;
    std::optional<std::string> command;
  };
  // Makes `changes` all or none; false (with the error report box shown)
  // for none.
  bool Apply(const std::vector<Change>& changes);

  System& system_;
  Registry& registry_;
  ListBox& log_;
  EventRecord* events_ = nullptr;
  std::optional<std::string> command_;  // SigninCommand of this program
  std::string refusal_;
  std::optional<bool> guard_policy_;
};

}  // namespace velmora
