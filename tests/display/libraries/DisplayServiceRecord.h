#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// What the recording display-service library was asked to do, and how it is
// scripted to answer. Tests reach it through the library's own export.
struct DisplayServiceRecord {
  struct Write {
    std::uint32_t service = 0;
    std::uint32_t chipAddress = 0;
    std::uint32_t dataAddress = 0;
    std::vector<std::uint8_t> bytes;
  };

  // Statuses of a service's writes in turn; unlisted writes are accepted.
  std::map<std::uint32_t, std::deque<std::int32_t>> writeStatuses;
  std::set<std::uint32_t> servicesWithoutObject;
  // When set, sees each write with its scripted status, on the writing
  // thread, and returns the status to answer.
  std::function<std::int32_t(const Write&, std::int32_t scripted)> answer;
  // What a read of a service answers, cut or zero-padded to the length
  // read. A service without one, another address than the display's 0x37 or
  // an offset fails the read with -ENXIO, as a monitor asked nothing does.
  std::map<std::uint32_t, std::vector<std::uint8_t>> replies;
  // Off for benchmarks, which only need the library to answer.
  bool recording = true;

  // Creations, writes, reads and releases in order, e.g. "create 1",
  // "write 1 -> -5", "read 1 -> 0", "release object 1"; test fakes add
  // their own entries.
  std::vector<std::string> timeline;
  std::vector<Write> writes;

  void reset() { *this = DisplayServiceRecord(); }
};

extern "C" DisplayServiceRecord* glimmerboxTestDisplayServiceRecord();
