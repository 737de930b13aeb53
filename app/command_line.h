// The command line for scripts: "/scan", "/remove" and "/repair X: /yes"
// run the window's own search, arrival look and repair without a window,
// write the log's lines to the output and their errors to the error
// output, and end with an exit code that sums what happened, as
// robocopy's does. The organization's policy applies, and the events are
// those the window writes.
#pragma once

#include <string>

#include "app/start_options.h"
#include "platform/event_log.h"
#include "platform/file_tree.h"
#include "platform/platform.h"
#include "platform/registry.h"

namespace velmora {

// The bits of the exit code.
inline constexpr int kExitNothingFound = 0;
inline constexpr int kExitChanged = 1;  // something deleted or repaired
inline constexpr int kExitLeft = 2;     // found and left (/scan, AuditOnly)
inline constexpr int kExitWorm = 4;     // a shortcut worm found
inline constexpr int kExitFailed = 8;   // a deletion or change failed, or a
                                        // drive named is not a ready drive
inline constexpr int kExitBadArguments = 16;  // or nothing could run

// Where a run writes: the output for the log's lines, the error output for
// what went wrong.
class ConsoleOut {
 public:
  virtual ~ConsoleOut() = default;
  virtual void Line(const std::string& line) = 0;
  virtual void ErrorLine(const std::string& line) = 0;
};

// The usage, as "/?" prints it, exit codes included.
std::string UsageText();

// Runs the command of `options` (IsCommandLineRun) and gives its exit code.
int RunCommandLine(const StartOptions& options, System& system,
                   Registry& registry, FileTree& files, EventLog* event_log,
                   ConsoleOut& out);

}  // namespace velmora
