// The shortcut-worm look at each drive a volume arrival names, run off the
// window's thread with a bound: the window waits for the looks at most
// kLookBound, and a look that takes longer (a drive that stopped answering)
// is picked up by a later call of TakeLate once it has returned.
#pragma once

#include <chrono>
#include <set>
#include <vector>

#include "platform/bounded_query.h"
#include "platform/file_tree.h"
#include "platform/platform.h"
#include "repair/arrival_look.h"

namespace velmora {

class ArrivalWatch {
 public:
  static constexpr std::chrono::milliseconds kLookBound{400};

  // `tree` and `ansi` must outlive every look, however late it returns.
  ArrivalWatch(FileTree& tree, AnsiDecoder ansi);

  // Looks at each drive of `arrived` (but the Windows drive `windows_drive`)
  // and gives the looks that returned within the bound, in letter order.
  std::vector<ArrivalLook> Look(DriveLetters arrived,
                                const std::string& windows_drive);
  // The looks that returned since their wait ended.
  std::vector<ArrivalLook> TakeLate();

 private:
  BoundedQuery<ArrivalLook> looks_;
  std::set<char> late_;  // waited for in vain, still to be taken
};

}  // namespace velmora
