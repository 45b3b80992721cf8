#pragma once

#include <cstdint>
#include <string>

// A display whose brightness the program sets: an external monitor over
// DDC/CI, the built-in panel through its backlight device, or a screen that
// takes neither, dimmed in software.
struct ControlledDisplay {
  enum class Kind { Monitor, BuiltInPanel, Software };

  Kind kind = Kind::Monitor;
  // Stays the same across runs and ports: the monitor's EDID identity where
  // known, else its connector; "backlight-<device>" for the panel.
  std::string id;
  std::string name;
  std::string connector;   // "HDMI-A-1"; may be empty.
  std::string outputName;  // Its screen's name (platform::Screen); empty when unknown.
  unsigned bus = 0;        // A monitor's DDC bus.
  std::string backlight;   // The panel's backlight device.
  std::int64_t backlightMaximum = 0;
  std::int64_t level = 70;
};
