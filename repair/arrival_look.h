// The look at a drive's root when its medium arrives: whether a shortcut
// worm is there, by the repair's own rules, changing nothing. It reads no
// more than kLookEntries of the root's entries (and one to tell that there
// are more) and at most kLookShortcuts of the root's shortcuts, and asks
// no more than kPathsLookedAt paths' attributes per shortcut (those below a
// visible root folder), so that it costs an arrival little even on a stick
// with a huge root.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_tree.h"
#include "viewer/delimited_read.h"

namespace velmora {

// Root entries looked at; a root with more is looked at up to here.
inline constexpr std::size_t kLookEntries = 4096;
// Shortcuts of the root read at most.
inline constexpr std::size_t kLookShortcuts = 64;
// Worm shortcuts whose target a look keeps, the first ones found.
inline constexpr std::size_t kWormStartsKept = 3;

struct ArrivalLook {
  std::string drive;               // "F:"
  std::size_t worm_shortcuts = 0;  // shortcuts of the root that are the worm's
  bool cut_short = false;          // the root has more than kLookEntries
  // What the first kWormStartsKept worm shortcuts start, as the repair's
  // question says it ("rundll32.exe with F:\_\x.dll").
  std::vector<std::string> starts;
};

// Looks at the root of `drive` ("F:"). A shortcut that cannot be read is not
// a worm's; a root that cannot be listed shows none.
ArrivalLook LookAtArrival(FileTree& tree, const std::string& drive,
                          const AnsiDecoder& ansi);

// "Shortcut Worm Found on: F:\ (2 worm shortcuts; Repair Hidden Files on F:
// gives the hidden files back)".
std::string WormFoundLine(const ArrivalLook& look);
// The log's note that the look stopped at the bound.
std::string LookCutShortLine(const ArrivalLook& look);

}  // namespace velmora
