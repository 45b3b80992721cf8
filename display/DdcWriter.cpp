#include "display/DdcWriter.h"

#include <algorithm>
#include <utility>

DdcWriter::DdcWriter(DdcTransport& transport, Done done, Read read)
    : transport_(transport),
      done_(std::move(done)),
      read_(std::move(read)),
      thread_([this] { run(); }) {}

DdcWriter::~DdcWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void DdcWriter::submitToEveryBus(Level level) {
  {
    std::lock_guard lock(mutex_);
    waiting_.everyBus = level;
    waiting_.perBus.clear();
  }
  changed_.notify_all();
}

void DdcWriter::submit(const std::map<unsigned, Level>& levels) {
  {
    std::lock_guard lock(mutex_);
    for (const auto& [bus, level] : levels) {
      waiting_.perBus[bus] = level;
    }
  }
  changed_.notify_all();
}

void DdcWriter::read(const std::set<unsigned>& buses) {
  if (buses.empty()) {
    return;
  }
  {
    std::lock_guard lock(mutex_);
    waiting_.reads.insert(buses.begin(), buses.end());
  }
  changed_.notify_all();
}

void DdcWriter::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return waiting_.empty() && !sending_; });
}

void DdcWriter::run() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (stopping_) {
      return;
    }
    sending_ = true;
    const std::set<unsigned> reads = std::exchange(waiting_.reads, {});
    const bool levelsWaiting = waiting_.hasLevels();
    lock.unlock();
    readAll(reads);
    if (levelsWaiting) {
      sendWaitingLevels();
    }
    lock.lock();
    sending_ = false;
    changed_.notify_all();
  }
}

void DdcWriter::sendWaitingLevels() {
  Job job;
  const std::map<unsigned, bool> written =
      transport_.sendDDCBrightness([&](const std::vector<unsigned>& listed) {
        job = takeWaitingLevels();
        return levelsFor(job, listed);
      });
  done_(outcomesOf(job, written));
}

void DdcWriter::readAll(const std::set<unsigned>& buses) {
  for (unsigned bus : buses) {
    const std::optional<Luminance> luminance = transport_.readLuminance(bus);
    read_(bus, luminance, luminance || transport_.portOpens(bus));
  }
}

// Only this thread takes levels, so they are still waiting when the
// transport asks for them. Reads asked for meanwhile wait for the next round.
DdcWriter::Job DdcWriter::takeWaitingLevels() {
  std::lock_guard lock(mutex_);
  Job job;
  job.everyBus = std::exchange(waiting_.everyBus, std::nullopt);
  job.perBus = std::exchange(waiting_.perBus, {});
  return job;
}

std::map<unsigned, std::int64_t> DdcWriter::levelsFor(const Job& job,
                                                      const std::vector<unsigned>& listed) {
  std::map<unsigned, std::int64_t> levels;
  for (unsigned bus : listed) {
    if (auto own = job.perBus.find(bus); own != job.perBus.end()) {
      levels[bus] = own->second.value;
    } else if (job.everyBus) {
      levels[bus] = job.everyBus->value;
    }
  }
  return levels;
}

std::vector<DdcWriter::Outcome> DdcWriter::outcomesOf(const Job& job,
                                                      const std::map<unsigned, bool>& written) {
  std::vector<Outcome> outcomes;
  if (job.everyBus) {
    const bool accepted = std::any_of(written.begin(), written.end(), [&](const auto& entry) {
      return entry.second && !job.perBus.contains(entry.first);
    });
    outcomes.push_back({std::nullopt, *job.everyBus, accepted});
  }
  for (const auto& [bus, level] : job.perBus) {
    const auto result = written.find(bus);
    outcomes.push_back({bus, level, result != written.end() && result->second});
  }
  return outcomes;
}
