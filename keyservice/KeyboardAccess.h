#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace keyservice {

// Whether the service may open the keyboards at all, asked before a client
// is told it is served: a service that holds nothing must not say it serves.
class KeyboardAccess {
 public:
  explicit KeyboardAccess(std::filesystem::path folder = "/dev/input");

  // False when some event nodes may not be opened (each is logged with the
  // error, once while it stays so) and none may. A system whose nodes all
  // open is served, brightness keys or not: a keyboard with them may come.
  // Only opens and closes, so the client's wait for its answer stays short.
  bool anyOpens();

 private:
  const std::filesystem::path folder_;
  std::set<std::string> toldDenied_;
};

}  // namespace keyservice
