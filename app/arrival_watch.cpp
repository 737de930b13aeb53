#include "app/arrival_watch.h"

namespace velmora {

ArrivalWatch::ArrivalWatch(FileTree& tree, AnsiDecoder ansi,
                           std::chrono::milliseconds bound)
    : looks_([&tree, ansi](char letter, const std::optional<ArrivalLook>&) {
        return LookAtArrival(tree, std::string{letter, ':'}, ansi);
      }),
      bound_(bound) {}

// Every look is asked at once, so that they run together and the wait for
// all of them is one bound.
void ArrivalWatch::Start(DriveLetters arrived,
                         const std::string& windows_drive) {
  asked_.clear();
  deadline_ = std::chrono::steady_clock::now() + bound_;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string entry{letter, ':'};
    if (!arrived.Has(entry) || late_.contains(letter)) continue;
    if (!windows_drive.empty() && (windows_drive[0] & ~0x20) == letter)
      continue;
    if (looks_.Ask(letter)) asked_.push_back(letter);
  }
}

std::vector<ArrivalLook> ArrivalWatch::Collect() {
  std::vector<ArrivalLook> found;
  for (char letter : asked_) {
    if (auto look = looks_.Await(letter, deadline_))
      found.push_back(std::move(*look));
    else
      late_.insert(letter);
  }
  asked_.clear();
  return found;
}

std::vector<ArrivalLook> ArrivalWatch::TakeLate() {
  std::vector<ArrivalLook> found;
  for (auto it = late_.begin(); it != late_.end();) {
    if (looks_.Running(*it)) {
      ++it;
      continue;
    }
    if (auto look = looks_.Last(*it)) found.push_back(std::move(*look));
    it = late_.erase(it);
  }
  return found;
}

}  // namespace velmora
