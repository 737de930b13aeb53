#include "platform/drive_rounds.h"

namespace velmora {
namespace {

std::uint32_t BitOf(char letter) {
  return letter >= 'A' && letter <= 'Z' ? 1u << (letter - 'A') : 0;
}

// Runs on the drive's worker: asks everything when it is wanted, when the
// drive is new to the query, not listed or not there when last asked, or
// has just become ready; else only whether it is ready, keeping what the
// last full ask learnt.
template <typename Marks>
VolumeFacts AskDrive(const VolumeQuery& query, Marks& marks, char letter,
                     const std::optional<VolumeFacts>& last) {
  const std::uint32_t bit = BitOf(letter);
  const bool wanted = (marks.everything_wanted.fetch_and(~bit) & bit) != 0;
  const bool listed = (marks.listed.load() & bit) != 0;
  if (wanted || !listed || !last || !last->exists)
    return query(letter, VolumeAsk::Everything);
  VolumeFacts facts = query(letter, VolumeAsk::ReadinessOnly);
  facts.exists = true;
  if (!facts.ready) return facts;
  if (!last->ready) return query(letter, VolumeAsk::Everything);
  facts.label = last->label;
  facts.read_only = last->read_only;
  return facts;
}

}  // namespace

DriveRounds::DriveRounds(VolumeQuery query, std::chrono::milliseconds bound)
    : queries_([query = std::move(query), marks = marks_](
                   char letter, const std::optional<VolumeFacts>& last) {
        return AskDrive(query, *marks, letter, last);
      }),
      bound_(bound) {}

void DriveRounds::StartRound(const std::vector<char>& letters) {
  listed_at_ = Clock::now();
  round_asked_ = false;
  asked_.clear();
  passed_over_.clear();
  if (letters == letters_) return;
  std::uint32_t all = 0;
  for (char letter : letters) all |= BitOf(letter);
  marks_->listed.store(all);
  marks_->everything_wanted.fetch_or(all);
  letters_ = letters;
  AskRound();
}

void DriveRounds::ChangeAnnounced() {
  labels_outdated_ = true;
  marks_->everything_wanted.fetch_or(marks_->listed.load());
}

void DriveRounds::AskRound() {
  if (round_asked_ || Clock::now() - listed_at_ >= kRoundLife) return;
  round_asked_ = true;
  labels_outdated_ = false;
  round_start_ = Clock::now();
  round_deadline_ = round_start_ + bound_;
  label_deadline_ = round_start_ + bound_ / 4;
  for (char letter : letters_) {
    if (queries_.Ask(letter)) {
      asked_.insert(letter);
    } else {
      passed_over_.insert(letter);
    }
  }
}

std::optional<VolumeFacts> DriveRounds::Facts(char letter) {
  AskRound();
  return FactsBy(letter, round_deadline_, bound_);
}

std::optional<VolumeFacts> DriveRounds::QuickFacts(char letter) {
  const bool labels_stand =
      !labels_outdated_ && Clock::now() - round_start_ < kLabelLife;
  if (!round_asked_ && labels_stand) return queries_.Last(letter);
  AskRound();
  return FactsBy(letter, label_deadline_, bound_ / 4);
}

std::optional<VolumeFacts> DriveRounds::FactsBy(
    char letter, Clock::time_point round_deadline,
    std::chrono::milliseconds lone_bound) {
  const Clock::time_point now = Clock::now();
  const bool fresh = round_asked_ && now - round_start_ < kRoundLife;
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
