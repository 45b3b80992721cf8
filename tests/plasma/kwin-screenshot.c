// Writes KWin's whole workspace to standard output as raw 32-bit pixels
// (blue, green, red, alpha): kwin-screenshot > FILE. Test tool; KWin hands
// the pixels over a pipe (ScreenShot2), which busctl and gdbus cannot pass,
// and lets anyone take them when started with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1.
#include <stdio.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

int main(void) {
  int ends[2];
  sd_bus* bus = NULL;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  if (pipe(ends) != 0 || sd_bus_open_user(&bus) < 0 ||
      sd_bus_call_method(bus, "org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                         "org.kde.KWin.ScreenShot2", "CaptureWorkspace", &error, NULL, "a{sv}h", 0,
                         ends[1]) < 0) {
    fprintf(stderr, "kwin-screenshot: %s\n", error.message ? error.message : "no bus");
    return 1;
  }
  // KWin writes from a thread of its own after it answers, and closes its end when done.
  close(ends[1]);
  char buffer[65536];
  ssize_t n;
  while ((n = read(ends[0], buffer, sizeof buffer)) > 0) {
    if (write(STDOUT_FILENO, buffer, (size_t)n) != n) {
      return 1;
    }
  }
  sd_bus_unref(bus);
  return n < 0;
}
