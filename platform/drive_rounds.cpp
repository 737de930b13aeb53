#include "platform/drive_rounds.h"

namespace velmora {

DriveRounds::DriveRounds(std::function<VolumeFacts(char letter)> query,
                         std::chrono::milliseconds bound)
    : queries_(std::move(query)), bound_(bound) {}

void DriveRounds::StartRound(const std::vector<char>& letters) {
  round_start_ = Clock::now();
  round_deadline_ = round_start_ + bound_;
  label_deadline_ = round_start_ + bound_ / 4;
  asked_.clear();
  passed_over_.clear();
  for (char letter : letters) {
    if (queries_.Ask(letter)) {
      asked_.insert(letter);
    } else {
      passed_over_.insert(letter);
    }
  }
}

std::optional<VolumeFacts> DriveRounds::FactsBy(
    char letter, Clock::time_point round_deadline,
    std::chrono::milliseconds lone_bound) {
  const Clock::time_point now = Clock::now();
  const bool fresh = now - round_start_ < kRoundLife;
  // A drive still being asked from before is taken only if it has just
  // returned; nobody waits for it.
  if (fresh && passed_over_.contains(letter))
    return queries_.Await(letter, now);
  if (fresh && asked_.contains(letter))
    return queries_.Await(letter, round_deadline);
  if (!queries_.Ask(letter)) return queries_.Await(letter, now);
  return queries_.Await(letter, now + lone_bound);
}

}  // namespace velmora
