// The bounded query and the probe's rounds on a fake blocking query: drives
// listed in `stalled` block on a gate until the test opens it, the others
// answer at once. Nothing here sleeps: waits end on the gate's state, or
// on a deadline the code under test must honour because the gate is shut.
#include "platform/bounded_query.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "platform/drive_rounds.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs its destructor's promise, so a test can wait for the moment the
// query (and so the state that holds it) is freed.
struct FreedNotice {
  std::promise<void> freed;
  ~FreedNotice() { freed.set_value(); }
};

class Gate {
 public:
  explicit Gate(std::set<char> stalled) : stalled_(std::move(stalled)) {}

  VolumeFacts Query(char letter, VolumeAsk ask = VolumeAsk::Everything) {
    const bool with_label = ask == VolumeAsk::Everything;
    std::unique_lock lock(mutex_);
    ++started_[letter];
    if (with_label) ++labels_read_[letter];
    changed_.notify_all();
    changed_.wait(lock, [&] { return !stalled_.contains(letter); });
    changed_.notify_all();
    const bool ready = !unready_.contains(letter);
    // Every volume is read-only, as only a full ask reads it.
    return {true, ready,
            with_label && ready ? std::string(1, letter) + "-label" : "",
            with_label && ready};
  }
  void Open(char letter) {
    std::lock_guard lock(mutex_);
    stalled_.erase(letter);
    changed_.notify_all();
  }
  void Shut(char letter) {
    std::lock_guard lock(mutex_);
    stalled_.insert(letter);
  }
  void WaitStarted(char letter, int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return started_[letter] >= count; });
  }
  void SetReady(char letter, bool ready) {
    std::lock_guard lock(mutex_);
    if (ready) {
      unready_.erase(letter);
    } else {
      unready_.insert(letter);
    }
  }
  int LabelsRead(char letter) {
    std::lock_guard lock(mutex_);
    return labels_read_[letter];
  }
  int Started(char letter) {
    std::lock_guard lock(mutex_);
    return started_[letter];
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<char> stalled_, unready_;
  std::map<char, int> started_, labels_read_;
};

BoundedQuery<VolumeFacts>::Query QueryOf(const std::shared_ptr<Gate>& gate) {
  return [gate](char letter, const std::optional<VolumeFacts>&) {
    return gate->Query(letter);
  };
}

VolumeQuery VolumeQueryOf(const std::shared_ptr<Gate>& gate) {
  return
      [gate](char letter, VolumeAsk ask) { return gate->Query(letter, ask); };
}

TEST(BoundedQueryTest, AnAnswerInTimeIsGiven) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  BoundedQuery<VolumeFacts> query(QueryOf(gate));
  EXPECT_FALSE(query.Await('D', Clock::now()).has_value());  // never asked
  ASSERT_TRUE(query.Ask('D'));
  const auto answer = query.Await('D', Clock::now() + 60s);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->label, "D-label");
  EXPECT_FALSE(query.Running('D'));
}

TEST(BoundedQueryTest, QuickAnswersShareOneWorker) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  BoundedQuery<VolumeFacts> query(QueryOf(gate));
  for (int round = 0; round < 3; ++round) {
    for (char key = 'C'; key <= 'Z'; ++key) ASSERT_TRUE(query.Ask(key));
    for (char key = 'C'; key <= 'Z'; ++key)
      ASSERT_TRUE(query.Await(key, Clock::now() + 60s).has_value()) << key;
  }
  EXPECT_EQ(query.Workers(), 1);
}

TEST(BoundedQueryTest, AKeyStillAskedIsNotAskedAgainUntilItReturns) {
  auto gate = std::make_shared<Gate>(std::set<char>{'X'});
  BoundedQuery<VolumeFacts> query(QueryOf(gate));
  ASSERT_TRUE(query.Ask('X'));
  gate->WaitStarted('X', 1);
  EXPECT_FALSE(query.Await('X', Clock::now() + 20ms).has_value());
  EXPECT_FALSE(query.Ask('X'));
  EXPECT_TRUE(query.Running('X'));
  EXPECT_FALSE(query.Last('X').has_value());
  // Other keys are not held up by it.
  ASSERT_TRUE(query.Ask('D'));
  EXPECT_TRUE(query.Await('D', Clock::now() + 60s).has_value());
  EXPECT_EQ(gate->Started('X'), 1);

  gate->Open('X');
  ASSERT_TRUE(query.Await('X', Clock::now() + 60s).has_value());
  // The late answer is kept.
  ASSERT_TRUE(query.Last('X').has_value());
  EXPECT_EQ(query.Last('X')->label, "X-label");
  EXPECT_TRUE(query.Ask('X'));
  EXPECT_TRUE(query.Await('X', Clock::now() + 60s).has_value());
  EXPECT_EQ(gate->Started('X'), 2);
}

TEST(BoundedQueryTest, DestroyingItWithAStuckQueryDoesNotWait) {
  auto gate = std::make_shared<Gate>(std::set<char>{'X'});
  auto notice = std::make_shared<FreedNotice>();
  std::future<void> freed = notice->freed.get_future();
  auto query = std::make_unique<BoundedQuery<VolumeFacts>>(
      [gate, notice](char letter, const std::optional<VolumeFacts>&) {
        return gate->Query(letter);
      });
  notice.reset();
  ASSERT_TRUE(query->Ask('X'));
  ASSERT_TRUE(query->Ask('D'));
  gate->WaitStarted('X', 1);
  // D is answered by a second worker while X holds the first.
  ASSERT_TRUE(query->Await('D', Clock::now() + 60s).has_value());
  EXPECT_EQ(query->Workers(), 2);
  query.reset();  // would hang here if it waited for X
  EXPECT_EQ(freed.wait_for(0s), std::future_status::timeout);
  // Once the stuck query returns, its worker ends and frees the query.
  gate->Open('X');
  EXPECT_EQ(freed.wait_for(60s), std::future_status::ready);
}

TEST(DriveRoundsTest, AnswersInTimeAreUsedAndAskedOncePerRound) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  DriveRounds rounds(VolumeQueryOf(gate), 60s);
  rounds.StartRound({'C', 'E'});
  ASSERT_TRUE(rounds.Facts('C').has_value());
  EXPECT_EQ(rounds.Facts('C')->label, "C-label");
  ASSERT_TRUE(rounds.QuickFacts('E').has_value());
  EXPECT_TRUE(rounds.Facts('E')->ready);
  EXPECT_EQ(gate->Started('C'), 1);
  EXPECT_EQ(gate->Started('E'), 1);
  rounds.StartRound({'C', 'E'});
  EXPECT_TRUE(rounds.Facts('E').has_value());
  EXPECT_EQ(gate->Started('E'), 2);
}

TEST(DriveRoundsTest, ADriveThatDoesNotAnswerInTimeHasNoFacts) {
  auto gate = std::make_shared<Gate>(std::set<char>{'X'});
  DriveRounds rounds(VolumeQueryOf(gate), 20ms);
  rounds.StartRound({'X'});
  EXPECT_FALSE(rounds.QuickFacts('X').has_value());
  EXPECT_FALSE(rounds.Facts('X').has_value());
  EXPECT_FALSE(rounds.Facts('X').has_value());
  EXPECT_FALSE(rounds.LastKnown('X').has_value());
  EXPECT_EQ(gate->Started('X'), 1);
  gate->Open('X');
}

TEST(DriveRoundsTest, ADriveStillBeingAskedIsPassedOverThenAskedAgain) {
  auto gate = std::make_shared<Gate>(std::set<char>{'X'});
  // A bound that no test could wait out: the passed-over drive must be
  // answered without waiting for it.
  DriveRounds rounds(VolumeQueryOf(gate), std::chrono::hours(1));
  rounds.StartRound({'C', 'X'});
  gate->WaitStarted('X', 1);
  EXPECT_TRUE(rounds.Facts('C').has_value());
  rounds.StartRound({'C', 'X'});
  EXPECT_FALSE(rounds.Facts('X').has_value());
  EXPECT_TRUE(rounds.Facts('C').has_value());
  EXPECT_EQ(gate->Started('X'), 1);
  EXPECT_EQ(gate->Started('C'), 2);

  gate->Open('X');
  ASSERT_TRUE(rounds.Settle('X', Clock::now() + 60s));
  EXPECT_EQ(rounds.LastKnown('X')->label, "X-label");
  rounds.StartRound({'C', 'X'});
  ASSERT_TRUE(rounds.Facts('X').has_value());
  EXPECT_EQ(gate->Started('X'), 2);
}

TEST(DriveRoundsTest, ADriveOutsideTheRoundIsAskedAlone) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  DriveRounds rounds(VolumeQueryOf(gate), 60s);
  ASSERT_TRUE(rounds.Facts('Q').has_value());
  rounds.StartRound({'C'});
  ASSERT_TRUE(rounds.Facts('Q').has_value());
  EXPECT_EQ(gate->Started('Q'), 2);
  EXPECT_TRUE(rounds.Facts('C').has_value());
  EXPECT_EQ(gate->Started('C'), 1);
}

TEST(DriveRoundsTest, ADriveNotListedIsAskedEverythingEachTime) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  DriveRounds rounds(VolumeQueryOf(gate), 60s);
  rounds.StartRound({'C'});
  ASSERT_TRUE(rounds.Facts('C').has_value());
  ASSERT_TRUE(rounds.Facts('Q').has_value());
  ASSERT_TRUE(rounds.Facts('Q').has_value());
  rounds.StartRound({'C'});
  ASSERT_TRUE(rounds.Facts('C').has_value());
  EXPECT_EQ(gate->LabelsRead('Q'), 2);
  EXPECT_EQ(gate->LabelsRead('C'), 1);  // listed: its readiness alone
}

TEST(DriveRoundsTest, TheSameDrivesAreAskedOnlyWhenTheProbeLooks) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  DriveRounds rounds(VolumeQueryOf(gate), 60s);
  rounds.StartRound({'C', 'E'});
  ASSERT_TRUE(rounds.Facts('C').has_value());
  ASSERT_TRUE(rounds.Facts('E').has_value());
  rounds.StartRound({'C', 'E'});
  // The drive list's look is answered from the last round.
  ASSERT_TRUE(rounds.QuickFacts('C').has_value());
  EXPECT_EQ(rounds.QuickFacts('C')->label, "C-label");
  EXPECT_EQ(gate->Started('C'), 1);
  // The probe's look asks every drive of the round once, without the label;
  // what the full ask learnt stands.
  ASSERT_TRUE(rounds.Facts('C').has_value());
  EXPECT_EQ(rounds.Facts('C')->label, "C-label");
  EXPECT_TRUE(rounds.Facts('C')->read_only);
  ASSERT_TRUE(rounds.Settle('E', Clock::now() + 60s));
  EXPECT_EQ(gate->Started('C'), 2);
  EXPECT_EQ(gate->Started('E'), 2);
  EXPECT_EQ(gate->LabelsRead('C'), 1);
  EXPECT_EQ(gate->LabelsRead('E'), 1);
}

TEST(DriveRoundsTest, ShownLabelsStandUntilAChangeIsAnnounced) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  DriveRounds rounds(VolumeQueryOf(gate), 60s);
  rounds.StartRound({'C'});
  ASSERT_TRUE(rounds.QuickFacts('C').has_value());
  for (int i = 0; i < 3; ++i) {
    rounds.StartRound({'C'});
    ASSERT_TRUE(rounds.QuickFacts('C').has_value());
  }
  EXPECT_EQ(gate->Started('C'), 1);

  gate->SetReady('C', false);  // the medium is taken out, and Windows says so
  rounds.ChangeAnnounced();
  rounds.StartRound({'C'});
  ASSERT_TRUE(rounds.QuickFacts('C').has_value());
  EXPECT_FALSE(rounds.QuickFacts('C')->ready);
  EXPECT_EQ(gate->Started('C'), 2);
  EXPECT_EQ(gate->LabelsRead('C'), 2);
  rounds.StartRound({'C'});
  ASSERT_TRUE(rounds.QuickFacts('C').has_value());
  EXPECT_EQ(gate->Started('C'), 2);
}

TEST(DriveRoundsTest, LabelsAreReadWhenTheDrivesChangeOrOneBecomesReady) {
  auto gate = std::make_shared<Gate>(std::set<char>{});
  gate->SetReady('C', false);
  DriveRounds rounds(VolumeQueryOf(gate), 60s);
  rounds.StartRound({'C'});
  EXPECT_FALSE(rounds.Facts('C')->ready);
  rounds.StartRound({'C'});
  EXPECT_FALSE(rounds.Facts('C')->ready);
  EXPECT_EQ(gate->LabelsRead('C'), 1);

  gate->SetReady('C', true);
  rounds.StartRound({'C'});
  EXPECT_EQ(rounds.Facts('C')->label, "C-label");
  EXPECT_EQ(gate->LabelsRead('C'), 2);
  rounds.StartRound({'C'});
  EXPECT_EQ(rounds.Facts('C')->label, "C-label");
  EXPECT_EQ(gate->LabelsRead('C'), 2);

  // A drive arrives: every label is read again.
  rounds.StartRound({'C', 'F'});
  EXPECT_EQ(rounds.Facts('C')->label, "C-label");
  EXPECT_EQ(rounds.Facts('F')->label, "F-label");
  EXPECT_EQ(gate->LabelsRead('C'), 3);
  EXPECT_EQ(gate->Started('C'), 6);  // becoming ready asked twice

  gate->SetReady('C', false);
  rounds.StartRound({'C', 'F'});
  EXPECT_EQ(rounds.Facts('C')->label, "");
}

}  // namespace
}  // namespace velmora
