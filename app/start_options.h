// What the command line of velmora.exe can ask for.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Whether the program was started as `velmora.exe /guard`: `args` are the
// arguments after the program's name, in UTF-8, and "/guard" is matched
// without regard to case. Any other argument is ignored.
bool IsGuardStart(const std::vector<std::string>& args);

}  // namespace velmora
