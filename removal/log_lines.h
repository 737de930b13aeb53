// The texts of the activity log and of the deletion question, in one place
// for the search and the automatic removal. Each log line is its text
// followed directly by the autorun path of the drive being handled.
#pragma once

#include <string>

#include "platform/platform.h"
#include "removal/autorun_path.h"

namespace velmora {

inline constexpr const char* kFoundLine = "Autorun Found in: ";
inline constexpr const char* kRemovingLine = "Removing from: ";
inline constexpr const char* kDeletedLine = "Autorun Deleted : ";
inline constexpr const char* kRemovedLine = "Autorun Removed from: ";
inline constexpr const char* kCancelledLine = "Autorun Removal Canceled : ";
// Joined from three pieces; the not-ready line has two blanks before "in".
inline constexpr const char* kNotFoundLine =
    "Autorun does not exists"
    " in"
    " ";
inline constexpr const char* kNotReadyLine =
    "Drive Not Ready/CD Drive "
    " in"
    " ";
inline constexpr const char* kFailedLine = "Autorun Removal Failed: ";

// The reason given when the delete call reported success but the file is
// still at its path (a file system that refuses writes without saying so).
inline constexpr const char* kStillThereReason = "the file is still there";
// The reason given when another program holds the file open: the deletion
// only marked it, and it goes when that program closes it.
inline constexpr const char* kInUseReason =
    "in use by another program; it goes when that program closes it";

inline constexpr const char* kConfirmText = "Do You Want to Remove Autorun in ";
inline constexpr const char* kConfirmTitle = "Autorun Found";
inline constexpr int kConfirmFlags = kYesNoInformation;

// "Autorun Removal Failed: <path> (<reason>)".
inline std::string FailedLine(const std::string& path,
                              const std::string& reason) {
  return kFailedLine + path + " (" + reason + ")";
}

// Where the organization's policy allows reporting only, each autorun.inf
// found is logged with this line, followed by kLeftByPolicyReason.
inline constexpr const char* kLeftByPolicyLine = "Autorun Left by Policy: ";
inline constexpr const char* kLeftByPolicyReason =
    " (your organization's policy allows reporting only)";

// "Autorun Left by Policy: <path> (your organization's policy allows
// reporting only)".
inline std::string LeftByPolicyLine(const std::string& path) {
  return kLeftByPolicyLine + path + kLeftByPolicyReason;
}

}  // namespace velmora
