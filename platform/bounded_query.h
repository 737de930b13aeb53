// Runs a blocking query per key (a drive letter) off the calling thread, and
// lets the caller wait for its answer no longer than a deadline of its own.
//
// At most one query per key is ever in flight: a key whose query has not
// returned is not asked again until it has. A query that outlives the
// caller's wait keeps running; its answer, however late, is kept as the
// key's last answer, and the next query is handed it.
//
// The queries are run by a small pool of long-lived worker threads fed one
// queue (never a thread per query): usually one worker answers a whole
// round of keys in a row, so a round costs one thread's wake-up, and the
// process keeps one thread rather than one per drive (under Wine every
// thread costs about a megabyte). A query that runs longer than the grace
// (a drive that does not answer) must not hold up the keys queued behind
// it: when the queue waits and every worker has been inside its query for
// longer than the grace, the pool makes another worker. The check runs
// while a caller waits for an answer, so a key waits at most the grace
// behind a stuck one. There are never more workers than keys, and a worker
// costs nothing while it waits for work.
//
// Destroying the object never waits for a query that is stuck: idle workers
// are stopped and joined, and a worker still inside its query is detached.
// The query and the pool's bookkeeping live in a state shared with the
// workers, so a detached worker ends by itself, freeing that state, once its
// query returns; if the process ends first, the operating system ends it.
// The query therefore must not refer to anything the owner destroys.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace velmora {

template <typename Answer>
class BoundedQuery {
 public:
  using Clock = std::chrono::steady_clock;
  // The query gets the key's last answer, if any, so it can skip work whose
  // result has not changed.
  using Query =
      std::function<Answer(char key, const std::optional<Answer>& last)>;
  // How long a query may run before the queue behind it gets a worker of
  // its own.
  static constexpr std::chrono::milliseconds kGrace{50};

  explicit BoundedQuery(Query query)
      : state_(std::make_shared<State>(std::move(query))) {}
  BoundedQuery(const BoundedQuery&) = delete;
  BoundedQuery& operator=(const BoundedQuery&) = delete;

  ~BoundedQuery() {
    std::vector<std::thread> idle;
    {
      std::lock_guard lock(state_->mutex);
      state_->stopping = true;
      state_->work.notify_all();
      for (auto& [thread, worker] : threads_) {
        if (worker->busy) {
          thread.detach();
        } else {
          idle.push_back(std::move(thread));
        }
      }
    }
    for (std::thread& thread : idle) thread.join();
  }

  // Queues a query for `key`. Does nothing and gives false while the key's
  // earlier query is still running, or where no worker can be made.
  bool Ask(char key) {
    std::lock_guard lock(state_->mutex);
    Slot& slot = state_->slots[key];
    if (slot.running) return false;
    slot.running = true;
    state_->queue.push_back(key);
    if (state_->idle > 0) {
      state_->work.notify_one();
      return true;
    }
    if (threads_.empty() && !AddWorker()) {
      // The key stays unasked: it has no answer, and the next ask tries
      // again.
      state_->queue.pop_back();
      slot.running = false;
      return false;
    }
    GrowIfStuck();
    return true;
  }

  // Waits until `deadline` for the key's query to return and gives its
  // answer; nothing when it is still running then, or was never asked.
  std::optional<Answer> Await(char key, Clock::time_point deadline) {
    std::unique_lock lock(state_->mutex);
    auto it = state_->slots.find(key);
    if (it == state_->slots.end()) return std::nullopt;
    const Slot& slot = it->second;
    for (;;) {
      if (!slot.running) return slot.answer;
      GrowIfStuck();
      const Clock::time_point now = Clock::now();
      if (now >= deadline) return std::nullopt;
      state_->returned.wait_until(lock, std::min(deadline, now + kGrace));
    }
  }

  // The key's last answer, however late it came; nothing before the first.
  std::optional<Answer> Last(char key) {
    std::lock_guard lock(state_->mutex);
    auto it = state_->slots.find(key);
    if (it == state_->slots.end()) return std::nullopt;
    return it->second.answer;
  }

  bool Running(char key) {
    std::lock_guard lock(state_->mutex);
    auto it = state_->slots.find(key);
    return it != state_->slots.end() && it->second.running;
  }

  // How many worker threads the pool has made.
  int Workers() {
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(threads_.size());
  }

 private:
  struct Slot {
    bool running = false;  // asked, and the query has not returned
    std::optional<Answer> answer;
  };
  struct Worker {
    bool busy = false;  // inside a query
    Clock::time_point since{};
  };
  struct State {
    explicit State(Query query) : query(std::move(query)) {}
    const Query query;
    std::mutex mutex;
    std::condition_variable work;      // workers wait here for keys
    std::condition_variable returned;  // some query returned
    std::map<char, Slot> slots;        // nodes stay put: workers keep refs
    std::deque<char> queue;            // asked, not begun
    std::list<Worker> workers;         // nodes stay put, one per thread
    int idle = 0;                      // workers waiting for a key
    bool stopping = false;
  };

  // With the state's mutex held: makes one more worker; whether it could.
  bool AddWorker() {
    Worker& worker = state_->workers.emplace_back();
    try {
      threads_.emplace_back(std::thread(Work, state_, &worker), &worker);
    } catch (const std::system_error&) {
      state_->workers.pop_back();
      return false;
    }
    return true;
  }

  // With the state's mutex held: a queue that waits while every worker has
  // been inside its query for longer than the grace gets another worker.
  void GrowIfStuck() {
    if (state_->queue.empty() || state_->idle > 0) return;
    if (threads_.size() >= state_->slots.size()) return;
    const Clock::time_point now = Clock::now();
    for (const Worker& worker : state_->workers) {
      if (!worker.busy || now - worker.since < kGrace) return;
    }
    AddWorker();
  }

  static void Work(std::shared_ptr<State> state, Worker* worker) {
    std::unique_lock lock(state->mutex);
    for (;;) {
      ++state->idle;
      state->work.wait(
          lock, [&] { return state->stopping || !state->queue.empty(); });
      --state->idle;
      if (state->stopping) return;
      const char key = state->queue.front();
      state->queue.pop_front();
      worker->busy = true;
      worker->since = Clock::now();
      const std::optional<Answer> last = state->slots.at(key).answer;
      lock.unlock();
      Answer answer = state->query(key, last);
      lock.lock();
      Slot& slot = state->slots.at(key);
      slot.answer = std::move(answer);
      slot.running = false;
      worker->busy = false;
      state->returned.notify_all();
    }
  }

  std::shared_ptr<State> state_;
  // The owner's side only: each worker's thread and its bookkeeping.
  std::vector<std::pair<std::thread, Worker*>> threads_;
};

}  // namespace velmora
