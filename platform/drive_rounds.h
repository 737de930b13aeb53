// The bounded look at the drives that the Win32 backend's probe and drive
// list share: one query per drive (its type, whether it is ready, its
// label), run off the user-interface thread by a BoundedQuery, so that a
// drive that does not answer (a network drive whose server is gone) costs
// the caller at most one bound, about 0.4 s, per look.
//
// A look at the drives begins with a round, started where the drive list is
// read. A round asks every drive at once, and every wait of the round ends
// at one deadline, so that a walk over many dead drives still waits one
// bound in total. Labels, which are for the eye only, wait a quarter of the
// bound at most; the probe waits the whole bound, counted from the moment
// the round asked, so the walk's own work over the drives before a dead one
// is time that it need not wait any more. A drive whose query from an
// earlier round is still running is passed over at once, without waiting:
// it counts as not answering until that query returns, and is asked again in
// the first round after. Facts wanted outside a fresh round (a drive not in
// it, or a round older than a second, as after a long question) are asked
// alone, with a bound of their own.
//
// Each drive is asked at most once per round, and only when something needs
// it: a round whose drives are the last round's drives asks them at the
// probe's first look, so reading the drive list alone (Auto Refresh) asks
// no drive while the labels shown stand: until the system announces a change
// of drives or media (ChangeAnnounced), at most kLabelLife. A query asks
// everything (the drive's type and label too) only when the drive is new to
// it or not in the last round, when the set of drives has changed or a
// change was announced, or when the drive has just become ready; otherwise it
// asks whether the drive is ready and keeps the last label read.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/bounded_query.h"

namespace velmora {

// What one query learns about a drive.
struct VolumeFacts {
  bool exists = false;     // the system knows the drive letter
  bool ready = false;      // a medium is present and readable
  std::string label;       // for display only; empty where none is shown
  bool read_only = false;  // the volume is read-only (a disc, a locked stick)
};

// What a query asks of a drive.
enum class VolumeAsk {
  Everything,     // its type, whether it is ready, and its label
  ReadinessOnly,  // whether it is ready; it is listed and known to exist
};

// The backend's query of one drive.
using VolumeQuery = std::function<VolumeFacts(char letter, VolumeAsk ask)>;

class DriveRounds {
 public:
  using Clock = std::chrono::steady_clock;
  // The longest a round (or a lone ask) waits for answers.
  static constexpr std::chrono::milliseconds kBound{400};
  // How long the answers of a round stand for the walk that follows it.
  static constexpr std::chrono::milliseconds kRoundLife{1000};
  // How long the labels shown stand when no probe asks the drives.
  // Media that come and go announce themselves (ChangeAnnounced); this is
  // for what changes silently.
  static constexpr std::chrono::milliseconds kLabelLife{30000};

  explicit DriveRounds(VolumeQuery query,
                       std::chrono::milliseconds bound = kBound);

  // Begins a round over `letters` (upper case, 'A' to 'Z'). The drives are
  // asked at once when they differ from the last round's, else when needed.
  void StartRound(const std::vector<char>& letters);
  // The facts of `letter` from the current round, or from a lone ask when
  // the round is stale or does not hold it; nothing when the drive has not
  // answered in time.
  std::optional<VolumeFacts> Facts(char letter);
  // The same with a quarter of the bound, for what is only shown; the last
  // answer while the labels stand and no round has asked.
  std::optional<VolumeFacts> QuickFacts(char letter);
  // The system announced that drives or media changed: the next look at the
  // labels asks the drives again, everything.
  void ChangeAnnounced();
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
  // Asks the current round's drives, unless it has or is stale.
  void AskRound();
  std::optional<VolumeFacts> FactsBy(char letter,
                                     Clock::time_point round_deadline,
                                     std::chrono::milliseconds lone_bound);

  // Drives whose next query asks everything whatever it finds, and the
  // drives of the last round, one bit per letter; shared with the queries,
  // which may outlive this object.
  struct Marks {
    std::atomic<std::uint32_t> everything_wanted{0};
    std::atomic<std::uint32_t> listed{0};
  };
  std::shared_ptr<Marks> marks_ = std::make_shared<Marks>();
  BoundedQuery<VolumeFacts> queries_;
  const std::chrono::milliseconds bound_;
  std::vector<char> letters_;        // the current round's drives
  Clock::time_point listed_at_{};    // when the current round began
  bool round_asked_ = false;         // whether it has asked its drives
  Clock::time_point round_start_{};  // when a round last asked
  bool labels_outdated_ = false;     // a change was announced since
  Clock::time_point round_deadline_{};
  Clock::time_point label_deadline_{};
  std::set<char> asked_;        // asked by the current round
  std::set<char> passed_over_;  // still running from before it
};

}  // namespace velmora
