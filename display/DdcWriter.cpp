#include "display/DdcWriter.h"

DdcWriter::DdcWriter(DdcTransport& transport) : transport_(transport), thread_([this] { run(); }) {}

DdcWriter::~DdcWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void DdcWriter::submit(std::int64_t level, Done done) {
  {
    std::lock_guard lock(mutex_);
    waiting_ = Job{level, std::move(done)};
  }
  changed_.notify_all();
}

void DdcWriter::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !waiting_ && !sending_; });
}

void DdcWriter::run() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || waiting_; });
    if (stopping_) {
      return;
    }
    sending_ = true;
    lock.unlock();
    Job job;
    const bool accepted = transport_.sendDDCBrightness([&] {
      job = takeWaiting();
      return job.level;
    });
    job.done(accepted);
    lock.lock();
    sending_ = false;
    changed_.notify_all();
  }
}

// Only this thread empties the slot, so a level is waiting whenever the
// transport asks for one.
DdcWriter::Job DdcWriter::takeWaiting() {
  std::lock_guard lock(mutex_);
  Job job = std::move(*waiting_);
  waiting_.reset();
  return job;
}
