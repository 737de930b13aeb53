// The shortcut-worm look at each drive a volume arrival names, run off the
// window's thread with a bound: begun before the arrival's removal, so that
// the two work at once, and waited for after it, at most kLookBound from
// the start. A look that takes longer (a drive that stopped answering) is
// picked up by a later call of TakeLate once it has returned.
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
  ArrivalWatch(FileTree& tree, AnsiDecoder ansi,
               std::chrono::milliseconds bound = kLookBound);

  // Begins a look at each drive of `arrived` but the Windows drive
  // `windows_drive`.
  void Start(DriveLetters arrived, const std::string& windows_drive);
  // The looks begun by Start that returned within the bound, in letter
  // order.
  std::vector<ArrivalLook> Collect();
  // The looks that returned since their wait ended.
  std::vector<ArrivalLook> TakeLate();

 private:
  BoundedQuery<ArrivalLook> looks_;
  const std::chrono::milliseconds bound_;
  std::set<char> late_;      // waited for in vain, still to be taken
  std::vector<char> asked_;  // by the last Start
  std::chrono::steady_clock::time_point deadline_{};
};

}  // namespace velmora
