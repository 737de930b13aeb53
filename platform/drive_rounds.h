// The bounded look at the drives that the Win32 backend's probe and drive
// list share: one query per drive (its type, whether it is ready, its
// label), run off the user-interface thread by a BoundedQuery, so that a
// drive that does not answer (a network drive whose server is gone) costs
// the caller at most one bound, about 0.4 s, per look.
//
// A look at the drives begins with a round, started where the drive list is
// read: every drive of the round is asked at once, and every wait of the
// round ends at one deadline, so that a walk over many dead drives still
// waits one bound in total. Labels, which are for the eye only, wait a
// quarter of the bound at most; the probe waits the whole bound, counted
// from the round's start, so the walk's own work over the drives before a
// dead one is time that it need not wait any more. A drive whose query from an
// earlier round is still running is passed over at once, without waiting: it
// counts as not answering until that query returns, and is asked again in the
// first round after. Facts wanted outside a fresh round (a drive not in it, or
// a round older than a second, as after a long question) are asked alone, with
// a bound of their own.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/bounded_query.h"

namespace velmora {

// What one query learns about a drive.
struct VolumeFacts {
  bool exists = false;  // the system knows the drive letter
  bool ready = false;   // a medium is present and readable
  std::string label;    // for display only; empty where none is shown
};

class DriveRounds {
 public:
  using Clock = std::chrono::steady_clock;
  // The longest a round (or a lone ask) waits for answers.
  static constexpr std::chrono::milliseconds kBound{400};
  // How long the answers of a round stand for the walk that follows it.
  static constexpr std::chrono::milliseconds kRoundLife{1000};

  explicit DriveRounds(std::function<VolumeFacts(char letter)> query,
                       std::chrono::milliseconds bound = kBound);

  // Begins a round over `letters` (upper case).
  void StartRound(const std::vector<char>& letters);
  // The facts of `letter` from the current round, or from a lone ask when
  // the round is stale or does not hold it; nothing when the drive has not
  // answered in time.
  std::optional<VolumeFacts> Facts(char letter) {
    return FactsBy(letter, round_deadline_, bound_);
  }
  // The same with a quarter of the bound, for what is only shown.
  std::optional<VolumeFacts> QuickFacts(char letter) {
    return FactsBy(letter, label_deadline_, bound_ / 4);
  }
  // Waits until the drive's query, if one runs, has returned, at most
  // until `deadline`; whether it has.
  bool Settle(char letter, Clock::time_point deadline) {
    queries_.Await(letter, deadline);
    return !queries_.Running(letter);
  }
  // The drive's last answer, however late it came.
  std::optional<VolumeFacts> LastKnown(char letter) {
    return queries_.Last(letter);
  }

 private:
  std::optional<VolumeFacts> FactsBy(char letter,
                                     Clock::time_point round_deadline,
                                     std::chrono::milliseconds lone_bound);

  BoundedQuery<VolumeFacts> queries_;
  const std::chrono::milliseconds bound_;
  Clock::time_point round_start_{};
  Clock::time_point round_deadline_{};
  Clock::time_point label_deadline_{};
  std::set<char> asked_;        // asked by the current round
  std::set<char> passed_over_;  // still running from before it
};

}  // namespace velmora
