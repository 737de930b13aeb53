// The two ways a failure reaches the user outside the activity log.
#pragma once

#include "platform/platform.h"

namespace velmora {

// The error report box: "Error: <number>: <description>", titled "ERROR",
// OK and Cancel. Cancel ends the program. Returns true where the program
// goes on (OK), false where it was ended.
bool ShowErrorReport(System& system, const Error& error);

// A failure in a handler that traps nothing: the platform's own error
// message, after which the program ends.
void FailUnhandled(System& system, const Error& error);

}  // namespace velmora
