// Runs a blocking query per key (a drive letter) off the calling thread, and
// lets the caller wait for its answer no longer than a deadline of its own.
//
// Each key has one long-lived worker thread, made the first time the key is
// asked and fed that key's requests from then on (never a thread per
// query), so at most one query per key is ever in flight: a key whose query
// has not returned is not asked again until it has. A query that outlives
// the caller's wait keeps running; its answer, however late, is kept as the
// key's last answer, and the next query is handed it. A worker costs
// nothing while it waits for work. A worker per key, rather than a pool
// fed one queue, keeps a key that never answers from holding up the others.
//
// Destroying the object never waits for a query that is stuck: idle workers
// are stopped and joined, and a worker still inside its query is detached.
// The query and every worker's bookkeeping live in a state shared with the
// workers, so a detached worker ends by itself, freeing that state, once its
// query returns; if the process ends first, the operating system ends it.
// The query therefore must not refer to anything the owner destroys.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
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

  explicit BoundedQuery(Query query)
      : state_(std::make_shared<State>(std::move(query))) {}
  BoundedQuery(const BoundedQuery&) = delete;
  BoundedQuery& operator=(const BoundedQuery&) = delete;

  ~BoundedQuery() {
    std::vector<std::thread> idle;
    {
      std::lock_guard lock(state_->mutex);
      state_->stopping = true;
      for (auto& [key, worker] : workers_) {
        Slot& slot = state_->slots.at(key);
        slot.wake.notify_one();
        if (slot.running) {
          worker.detach();
        } else {
          idle.push_back(std::move(worker));
        }
      }
    }
    for (std::thread& worker : idle) worker.join();
  }

  // Starts a query for `key` on its worker. Does nothing and gives false
  // while the key's earlier query is still running.
  bool Ask(char key) {
    std::lock_guard lock(state_->mutex);
    auto [it, made] = state_->slots.try_emplace(key);
    Slot& slot = it->second;
    if (slot.running) return false;
    if (made) {
      // Where no thread can be made the key stays unasked: it has no
      // answer, and the next ask tries again.
      try {
        workers_.emplace(key, std::thread(Work, state_, key));
      } catch (const std::system_error&) {
        state_->slots.erase(it);
        return false;
      }
    }
    slot.running = true;
    slot.requested = true;
    slot.wake.notify_one();
    return true;
  }

  // Waits until `deadline` for the key's query to return and gives its
  // answer; nothing when it is still running then, or was never asked.
  std::optional<Answer> Await(char key, Clock::time_point deadline) {
    std::unique_lock lock(state_->mutex);
    auto it = state_->slots.find(key);
    if (it == state_->slots.end()) return std::nullopt;
    Slot& slot = it->second;
    state_->returned.wait_until(lock, deadline, [&] { return !slot.running; });
    if (slot.running) return std::nullopt;
    return slot.answer;
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

 private:
  struct Slot {
    bool running = false;    // asked, and the query has not returned
    bool requested = false;  // asked, and the worker has not begun
    std::optional<Answer> answer;
    std::condition_variable wake;  // the worker waits here for work
  };
  struct State {
    explicit State(Query query) : query(std::move(query)) {}
    const Query query;
    std::mutex mutex;
    std::condition_variable returned;  // some query returned
    std::map<char, Slot> slots;        // nodes stay put: workers keep refs
    bool stopping = false;
  };

  static void Work(std::shared_ptr<State> state, char key) {
    std::unique_lock lock(state->mutex);
    Slot& slot = state->slots.at(key);
    for (;;) {
      slot.wake.wait(lock, [&] { return state->stopping || slot.requested; });
      if (state->stopping) return;
      slot.requested = false;
      const std::optional<Answer> last = slot.answer;
      lock.unlock();
      Answer answer = state->query(key, last);
      lock.lock();
      slot.answer = std::move(answer);
      slot.running = false;
      state->returned.notify_all();
    }
  }

  std::shared_ptr<State> state_;
  std::map<char, std::thread> workers_;  // the owner's side only
};

}  // namespace velmora
