// How a removal path treats the autorun.inf files it finds, and who hears of
// each one beyond the log. The same search and automatic removal serve the
// window, the guard and the command line; what differs between them is
// said here.
#pragma once

#include <string>

namespace velmora {

// What started a removal, as the event record names it.
enum class RemovalCause { Search, AutoRemove, Arrival, CommandLine };

// Told of every autorun.inf a removal path acts on: nothing is told of a
// drive found clean. Each call names the path it concerns.
class RemovalObserver {
 public:
  virtual ~RemovalObserver() = default;
  // The file is there and about to be deleted; it is unchanged but for its
  // attributes.
  virtual void Found(const std::string& path) = 0;
  virtual void Deleted(const std::string& path, RemovalCause cause) = 0;
  virtual void Failed(const std::string& path, const std::string& reason,
                      RemovalCause cause) = 0;
  // Found and left in place because the organization's policy allows
  // reporting only.
  virtual void Left(const std::string& path, RemovalCause cause) = 0;
};

enum class RemovalMode {
  Delete,
  // Report what is there and change nothing: the command line's scan.
  Report,
  // Change nothing, and say of each file found that the organization's
  // policy left it.
  LeaveByPolicy,
};

struct RemovalRules {
  RemovalCause cause = RemovalCause::Search;
  RemovalMode mode = RemovalMode::Delete;
  RemovalObserver* observer = nullptr;  // none: the log alone
};

}  // namespace velmora
