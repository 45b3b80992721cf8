#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the program was asked to do on its command line. The same words go
// over the instance socket to the running program, which reads them back
// with `parse`, so both ends share one grammar.
struct CommandLine {
  enum class Action { run, help, version, get, set, up, down };

  Action action = Action::run;
  std::int64_t level = 0;  // set
  bool fine = false;       // up, down
  bool follow = false;     // get
  // Set when the arguments make no sense; one line, without the usage.
  std::string error;

  // `arguments` leaves out the program's name.
  static CommandLine parse(const std::vector<std::string>& arguments);
  static const char* usage();

  // The words that ask the running program to do this, on one line.
  std::string request() const;
};
