#include "platform/SysfsDisplayPortRegistry.h"

#include "platform/DisplayBusDiscovery.h"

namespace platform {
namespace {

constexpr std::uint32_t kFirstIteratorId = 0x80000000u;
// Service ids must stay below the iterator ids.
constexpr unsigned kHighestBus = kFirstIteratorId - 2;

std::uint32_t followingIteratorId(std::uint32_t id) {
  return id == UINT32_MAX ? kFirstIteratorId : id + 1;
}

}  // namespace

SysfsDisplayPortRegistry::SysfsDisplayPortRegistry(std::filesystem::path sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)), nextIteratorId_(kFirstIteratorId) {}

std::int32_t SysfsDisplayPortRegistry::getMatchingServices(std::uint32_t& iterator) {
  DisplayBuses found = discoverDisplayBuses(sysfsRoot_);
  if (found.status != 0) {
    return found.status;
  }
  Iterator services;
  for (unsigned bus : found.buses) {
    if (bus <= kHighestBus) {
      services.services.push_back(bus + 1);
    }
  }
  std::lock_guard lock(mutex_);
  iterator = takeIteratorId();
  iterators_[iterator] = std::move(services);
  return 0;
}

std::uint32_t SysfsDisplayPortRegistry::iteratorNext(std::uint32_t iterator) {
  std::lock_guard lock(mutex_);
  auto found = iterators_.find(iterator);
  if (found == iterators_.end() || found->second.next == found->second.services.size()) {
    return 0;
  }
  return found->second.services[found->second.next++];
}

void SysfsDisplayPortRegistry::objectRelease(std::uint32_t object) {
  // Service ids hold nothing; only iterators own state.
  std::lock_guard lock(mutex_);
  iterators_.erase(object);
}

std::uint32_t SysfsDisplayPortRegistry::takeIteratorId() {
  std::uint32_t id = nextIteratorId_;
  while (iterators_.contains(id)) {
    id = followingIteratorId(id);
  }
  nextIteratorId_ = followingIteratorId(id);
  return id;
}

}  // namespace platform
