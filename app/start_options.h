// What the command line asks of a start. "/guard" (any case) anywhere
// starts in the notification area. An argument "/scan", "/remove",
// "/repair" or "/?" (any case) makes the start a command-line run, which
// opens no window and is checked whole: one command, drive letters ("E:"),
// and "/yes" after "/repair". Any other start is the window's, and its
// arguments are ignored, as ever.
#pragma once

#include <string>
#include <vector>

namespace velmora {

enum class StartKind {
  Window,
  Guard,
  Scan,    // report autorun.inf files and worm shortcuts, change nothing
  Remove,  // delete autorun.inf files as the silent search does
  Repair,  // repair one drive without asking
  Usage,   // "/?"
  BadArguments,
};

struct StartOptions {
  StartKind kind = StartKind::Window;
  // The drives named, as "E:" with the letter upper-cased, each once, in
  // the order given; none: every drive.
  std::vector<std::string> drives;
  // What is wrong with the arguments (StartKind::BadArguments).
  std::string problem;
};

// `args` are the arguments after the program's name, in UTF-8.
StartOptions ParseStart(const std::vector<std::string>& args);

// Whether the start is a command-line run: it opens no window.
inline bool IsCommandLineRun(StartKind kind) {
  return kind != StartKind::Window && kind != StartKind::Guard;
}

}  // namespace velmora
