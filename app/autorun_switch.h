// The menu item "Turn Off AutoRun for All Drives": Windows' own switch that
// keeps any drive from starting a program by itself, turned off for this
// account and back on from the main window's menus.
//
// Turning it off writes NoDriveTypeAutoRun = 0xFF and NoAutorun = 1 under
// HKCU, after saving what was there before under HKCU\Software\Velmora: a
// copy of each value ("NoDriveTypeAutoRun", "NoAutorun"; absent where the
// account had none) and the mark "AutoRunTurnedOff" = 1, written last, which
// says that the copy is complete. Turning it back on puts back exactly that
// (the earlier values, or no values), then deletes the copy, the mark first,
// and Velmora's key with it once it is empty, so that the registry is left
// as it was found. The Policies\Explorer key itself stays where Velmora made
// it: an empty key changes nothing.
//
// Either change is all or nothing: when a write fails, what was already
// written is put back, the error report box shows the system's error, and
// nothing is logged.
#pragma once

#include <optional>

#include "app/autorun_policy.h"
#include "app/event_record.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/registry.h"

namespace velmora {

inline constexpr const char* kVelmoraKey = "Software\\Velmora";
inline constexpr const char* kSavedMark = "AutoRunTurnedOff";

inline constexpr const char* kTurnOffAutorunText =
    "Turn Off AutoRun for All Drives";
inline constexpr const char* kAutorunOffByAdministratorText =
    "Turn Off AutoRun for All Drives (done by the computer's administrator)";
inline constexpr const char* kAutorunOnByAdministratorText =
    "Turn Off AutoRun for All Drives (kept on by the computer's "
    "administrator)";
inline constexpr const char* kAutorunOffOutsideText =
    "Turn Off AutoRun for All Drives (done outside Velmora)";

inline constexpr const char* kAutorunTurnedOffLine =
    "AutoRun turned off for all drives of this account";
inline constexpr const char* kAutorunTurnedOnLine =
    "AutoRun turned back on for all drives of this account";

class AutorunSwitch {
 public:
  AutorunSwitch(System& system, Registry& registry, ListBox& log)
      : system_(system), registry_(registry), log_(log) {}

  // The item as it shows now: checked while AutoRun is off for this account,
  // greyed where the account cannot change it (or Velmora did not).
  MenuCommand Command();
  // Where each switch is recorded; none records nothing.
  void SetEvents(EventRecord* events) { events_ = events; }
  // Choosing the item: turns AutoRun off, or back on where Velmora turned it
  // off. A failure shows the error report box.
  void Toggle();

 private:
  struct Reading {
    AutorunValues machine, account, saved;
    bool saved_by_velmora = false;
    AutorunState state = AutorunState::On;
  };
  Reading Read(Error& error);
  void TurnOff(const Reading& now);
  void TurnBackOn(const Reading& now);
  Error Save(const AutorunValues& values);
  Error ForgetSaved();
  // Makes the account's policy values `target` (deleting those absent from
  // it); after a failure puts back `before` where it had already written.
  Error Apply(const AutorunValues& target, const AutorunValues& before);
  Error Put(const char* key, const char* name,
            std::optional<std::uint32_t> value);

  System& system_;
  Registry& registry_;
  ListBox& log_;
  EventRecord* events_ = nullptr;
};

}  // namespace velmora
