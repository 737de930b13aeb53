// The command line's output on Windows: the standard output and error the
// program inherited (a pipe or a file), or else the console of the program
// that started it.
#pragma once

#include "app/command_line.h"

namespace velmora::win32 {

// Runs the command-line start `options` on the real platform and gives its
// exit code.
int RunFromConsole(const StartOptions& options);

}  // namespace velmora::win32
