#pragma once

#include <string>

namespace vmtest {

// Reads a whole sysfs or device attribute; throws when it cannot be read.
std::string readFile(const std::string& path);
// Writes a value in one write; throws when the kernel refuses it.
void writeFile(const std::string& path, const std::string& value);

}  // namespace vmtest
