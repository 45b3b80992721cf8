#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "display/DdcTransport.h"

// Sends levels to the display ports from a thread of its own, so the caller
// never waits on the bus. Only the newest level waits to be sent: a level
// handed over while another one waits replaces it, so a burst of changes
// costs the monitor no more messages than its pacing allows and the last
// change always goes out.
class DdcWriter {
 public:
  // Called on the writer's thread with whether at least one port accepted.
  using Done = std::function<void(bool accepted)>;

  explicit DdcWriter(DdcTransport& transport);
  // Stops after the level being sent, if any; a waiting level is dropped.
  ~DdcWriter();
  DdcWriter(const DdcWriter&) = delete;
  DdcWriter& operator=(const DdcWriter&) = delete;

  // Queues `level` in place of any waiting level, whose `done` is then
  // never called.
  void submit(std::int64_t level, Done done);
  // Blocks until every submitted level has been sent or replaced, and each
  // sent level's `done` has returned.
  void waitUntilIdle();

 private:
  struct Job {
    std::int64_t level = 0;
    Done done;
  };

  void run();
  Job takeWaiting();

  DdcTransport& transport_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Job> waiting_;
  bool sending_ = false;
  bool stopping_ = false;
  std::thread thread_;  // Last, so it starts once everything above exists.
};
