// When the notification area tells the user what the guard did, and what
// it says. One notification at most per walk of the automatic removal (a
// tick or an arrival), and only for what that walk wrote to the log: an
// autorun.inf deleted or (where the organization's policy allows reporting
// only) found and left, a failed deletion logged (once per drive until its
// medium goes or the deletion succeeds, as the log does), a shortcut worm
// found. A walk that found everything clean says nothing. The text stays
// within the 255 characters a balloon holds, however many drives are
// touched: each sentence names three drives at most and counts the rest.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/notify_icon.h"
#include "removal/auto_removal.h"
#include "repair/arrival_look.h"

namespace velmora {

struct GuardNotice {
  Balloon balloon;
  // The drive ("F:") whose repair a click on the notification offers; empty
  // where no worm was found.
  std::string worm_drive;
};

// The notification due after a walk, if any. `arrival`: the walk answered
// a medium the user just inserted, which makes it device feedback.
std::optional<GuardNotice> NoticeFor(const RemovalRound& round,
                                     const std::vector<ArrivalLook>& looks,
                                     bool arrival);

// The log's answer to a click on a worm's notification while a repair
// runs: the repair of `drive` ("F:") is to be chosen once that one ends.
std::string RepairWaitsLine(const std::string& drive);

}  // namespace velmora
