#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/ddc/DisplayService.h"
#include "tests/display/libraries/DisplayServiceRecord.h"

namespace {

DisplayServiceRecord record;

struct RecordingService {
  GlimmerboxAVService base;  // First, so the object converts to and from it.
  std::uint32_t service;
};

void note(const std::string& event) {
  if (record.recording) record.timeline.push_back(event);
}

void releaseService(GlimmerboxAVService* object) {
  auto* recording = reinterpret_cast<RecordingService*>(object);
  note("release object " + std::to_string(recording->service));
  delete recording;
}

}  // namespace

extern "C" DisplayServiceRecord* glimmerboxTestDisplayServiceRecord() { return &record; }

extern "C" IOAVServiceRef IOAVServiceCreateWithService(void*, uint32_t service) {
  if (record.servicesWithoutObject.contains(service)) {
    note("no object " + std::to_string(service));
    return nullptr;
  }
  note("create " + std::to_string(service));
  return &(new RecordingService{{&releaseService}, service})->base;
}

extern "C" int32_t IOAVServiceWriteI2C(IOAVServiceRef object, uint32_t chipAddress,
                                       uint32_t dataAddress, void* buffer, uint32_t length) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  const DisplayServiceRecord::Write write = {reinterpret_cast<RecordingService*>(object)->service,
                                             chipAddress,
                                             dataAddress,
                                             {bytes, bytes + length}};
  std::int32_t status = 0;
  if (auto scripted = record.writeStatuses.find(write.service);
      scripted != record.writeStatuses.end() && !scripted->second.empty()) {
    status = scripted->second.front();
    scripted->second.pop_front();
  }
  if (record.answer) status = record.answer(write, status);
  if (record.recording) {
    record.writes.push_back(write);
    note("write " + std::to_string(write.service) + " -> " + std::to_string(status));
  }
  return status;
}

extern "C" int32_t IOAVServiceReadI2C(IOAVServiceRef object, uint32_t chipAddress, uint32_t offset,
                                      void* buffer, uint32_t length) {
  const std::uint32_t service = reinterpret_cast<RecordingService*>(object)->service;
  const auto reply = record.replies.find(service);
  std::int32_t status = -ENXIO;
  if (reply != record.replies.end() && chipAddress == 0x37 && offset == 0) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::fill_n(bytes, length, 0);
    std::copy_n(reply->second.begin(), std::min<std::size_t>(length, reply->second.size()), bytes);
    status = 0;
  }
  note("read " + std::to_string(service) + " -> " + std::to_string(status));
  return status;
}
