// The arrival look run with a bound: a drive that stops answering never
// holds the window longer than the bound, and its look, once it returns,
// is taken later.
#include "app/arrival_watch.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

// A file tree whose root listing waits until it is let go, as a drive that
// stopped answering does.
class StalledTree final : public FileTree {
 public:
  explicit StalledTree(FileTree& inner) : inner_(inner) {}
  void Answer() {
    std::lock_guard lock(mutex_);
    stalled_ = false;
    changed_.notify_all();
  }
  std::vector<TreeEntry> List(const std::string& folder, Error& error,
                              EntryId* id, std::size_t max_entries) override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !stalled_; });
    return inner_.List(folder, error, id, max_entries);
  }
  Error Hold(const std::string& f, const EntryId& id) override {
    return inner_.Hold(f, id);
  }
  void LetGo() override { inner_.LetGo(); }
  Error MakeVisible(const std::string& p, const EntryId* id) override {
    return inner_.MakeVisible(p, id);
  }
  Error Rename(const std::string& p, const std::string& n,
               const EntryId* id) override {
    return inner_.Rename(p, n, id);
  }
  Error Delete(const std::string& p, const EntryId* id) override {
    return inner_.Delete(p, id);
  }
  FileBytes Read(const std::string& p, std::size_t n, Error& e,
                 EntryId* id) override {
    return inner_.Read(p, n, e, id);
  }
  std::uint32_t AttributesAt(const std::string& p, Error& e) override {
    return inner_.AttributesAt(p, e);
  }
  std::string WindowsDrive() override { return inner_.WindowsDrive(); }
  WindowsTie TieToWindows(const std::string& d) override {
    return inner_.TieToWindows(d);
  }

 private:
  FileTree& inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stalled_ = true;
};

DriveLetters Only(char letter) { return DriveLetters(1u << (letter - 'A')); }

class ArrivalWatchTest : public RepairTest {};

TEST_F(ArrivalWatchTest, ALookThatOutlivesTheBoundIsTakenOnceItReturns) {
  MakeInfectedStick();
  StalledTree stalled(tree);
  ArrivalWatch watch(stalled, Utf8, std::chrono::milliseconds(20));
  watch.Start(Only('E'), "C:");
  EXPECT_TRUE(watch.Collect().empty());
  EXPECT_TRUE(watch.TakeLate().empty());  // still stalled
  // The same drive arriving again asks no second look while one runs.
  watch.Start(Only('E'), "C:");
  EXPECT_TRUE(watch.Collect().empty());
  stalled.Answer();
  std::vector<ArrivalLook> late;
  const auto give_up =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (late.empty() && std::chrono::steady_clock::now() < give_up)
    late = watch.TakeLate();
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].drive, "E:");
  EXPECT_EQ(late[0].worm_shortcuts, 2u);
  EXPECT_TRUE(watch.TakeLate().empty());  // taken once
}

TEST_F(ArrivalWatchTest, TheWindowsDriveIsNeverLookedAt) {
  MakeInfectedStick();
  ArrivalWatch watch(tree, Utf8);
  watch.Start(Only('E'), "E:");
  EXPECT_TRUE(watch.Collect().empty());
  EXPECT_TRUE(tree.calls.empty());
}

}  // namespace
}  // namespace velmora
