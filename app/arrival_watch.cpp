#include "app/arrival_watch.h"

namespace velmora {

ArrivalWatch::ArrivalWatch(FileTree& tree, AnsiDecoder ansi)
    : looks_([&tree, ansi](char letter, const std::optional<ArrivalLook>&) {
        return LookAtArrival(tree, std::string{letter, ':'}, ansi);
      }) {}

// Every look is asked first, so that they run together and the wait for
// all of them is one bound.
std::vector<ArrivalLook> ArrivalWatch::Look(DriveLetters arrived,
                                            const std::string& windows_drive) {
  std::vector<char> asked;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string entry{letter, ':'};
    if (!arrived.Has(entry) || late_.contains(letter)) continue;
    if (!windows_drive.empty() && (windows_drive[0] & ~0x20) == letter)
      continue;
    if (looks_.Ask(letter)) asked.push_back(letter);
  }
  const auto deadline = std::chrono::steady_clock::now() + kLookBound;
  std::vector<ArrivalLook> found;
  for (char letter : asked) {
    if (auto look = looks_.Await(letter, deadline))
      found.push_back(std::move(*look));
    else
      late_.insert(letter);
  }
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
