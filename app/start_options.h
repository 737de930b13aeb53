// What the command line asks of a start. Only one argument means anything:
// "/guard" (any case) starts in the notification area; every other
// argument is ignored, and a start without "/guard" is the window's start.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// `args` are the arguments after the program's name, in UTF-8.
bool IsGuardStart(const std::vector<std::string>& args);

}  // namespace velmora
