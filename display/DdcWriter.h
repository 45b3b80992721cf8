#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "display/DdcTransport.h"

// Sends levels to the display ports from a thread of its own, so the caller
// never waits on the bus. Only the newest level of each bus waits to be
// sent: a level handed over while another one waits replaces it, so a burst
// of changes costs a monitor no more messages than its pacing allows and the
// last change always goes out.
class DdcWriter {
 public:
  // A level as handed over, numbered by the caller.
  struct Level {
    std::int64_t value = 0;
    std::uint64_t sequence = 0;
  };
  // What became of a level sent to one bus, or (no bus) to every bus listed
  // then: accepted when at least one of them took it.
  struct Outcome {
    std::optional<unsigned> bus;
    Level level;
    bool accepted = false;
  };
  // Called on the writer's thread after each round of writes.
  using Done = std::function<void(const std::vector<Outcome>& outcomes)>;
  // Called on the writer's thread with what a monitor reported and whether
  // its port opens at all (asked only when it reported nothing).
  using Read =
      std::function<void(unsigned bus, std::optional<Luminance> luminance, bool portOpens)>;

  DdcWriter(DdcTransport& transport, Done done, Read read);
  // Stops after the round being sent, if any; waiting levels are dropped.
  ~DdcWriter();
  DdcWriter(const DdcWriter&) = delete;
  DdcWriter& operator=(const DdcWriter&) = delete;

  // Queues `level` for every bus listed when it is sent, in place of every
  // waiting level.
  void submitToEveryBus(Level level);
  // Queues each bus's level in place of the level waiting for it, all in
  // one round.
  void submit(const std::map<unsigned, Level>& levels);
  // Asks the monitors on `buses` for their luminance before the next writes.
  void read(const std::set<unsigned>& buses);
  // Blocks until every submitted level has been sent or replaced and every
  // read made, and their outcomes have been handed over.
  void waitUntilIdle();

 private:
  struct Job {
    std::optional<Level> everyBus;
    std::map<unsigned, Level> perBus;
    std::set<unsigned> reads;
    bool hasLevels() const { return everyBus || !perBus.empty(); }
    bool empty() const { return !hasLevels() && reads.empty(); }
  };

  void run();
  void readAll(const std::set<unsigned>& buses);
  void sendWaitingLevels();
  Job takeWaitingLevels();
  static std::map<unsigned, std::int64_t> levelsFor(const Job& job,
                                                    const std::vector<unsigned>& listed);
  static std::vector<Outcome> outcomesOf(const Job& job, const std::map<unsigned, bool>& written);

  DdcTransport& transport_;
  const Done done_;
  const Read read_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Job waiting_;
  bool sending_ = false;
  bool stopping_ = false;
  std::thread thread_;  // Last, so it starts once everything above exists.
};
