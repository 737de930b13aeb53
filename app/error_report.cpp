#include "app/error_report.h"

#include <string>

namespace velmora {

bool ShowErrorReport(System& system, const Error& error) {
  const std::string text =
      "Error: " + std::to_string(error.number) + ": " + error.description;
  if (system.MsgBox(text, kOkCancelExclamation, "ERROR") == kResultOk)
    return true;
  system.End();
  return false;
}

void FailUnhandled(System& system, const Error& error) {
  system.MsgBox("Run-time error '" + std::to_string(error.number) + "':\n\n" +
                    error.description,
                kOkCritical, "");
  system.End();
}

}  // namespace velmora
