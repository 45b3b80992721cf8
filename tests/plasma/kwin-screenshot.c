// Saves KWin's whole workspace as a PAM image: kwin-screenshot FILE.
// Test tool; KWin hands the pixels over a pipe (ScreenShot2), which
// busctl and gdbus cannot pass, and lets anyone take them when started with
// KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

struct picture {
  uint32_t width, height, stride;
};

static int read_results(sd_bus_message* reply, struct picture* picture) {
  int r = sd_bus_message_enter_container(reply, 'a', "{sv}");
  while (r >= 0 && (r = sd_bus_message_enter_container(reply, 'e', "sv")) > 0) {
    const char* key = NULL;
    sd_bus_message_read(reply, "s", &key);
    uint32_t* field = strcmp(key, "width") == 0    ? &picture->width
                      : strcmp(key, "height") == 0 ? &picture->height
                      : strcmp(key, "stride") == 0 ? &picture->stride
                                                   : NULL;
    r = field ? sd_bus_message_read(reply, "v", "u", field) : sd_bus_message_skip(reply, "v");
    if (r >= 0) {
      r = sd_bus_message_exit_container(reply);
    }
  }
  return r;
}

// KWin's 32-bit pixels lie in memory as blue, green, red, alpha.
static int write_pam(FILE* out, const struct picture* picture, const unsigned char* pixels) {
  fprintf(out, "P7\nWIDTH %u\nHEIGHT %u\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n",
          picture->width, picture->height);
  for (uint32_t y = 0; y < picture->height; ++y) {
    for (uint32_t x = 0; x < picture->width; ++x) {
      const unsigned char* p = pixels + (size_t)y * picture->stride + (size_t)x * 4;
      const unsigned char rgb[3] = {p[2], p[1], p[0]};
      fwrite(rgb, 1, 3, out);
    }
  }
  return fclose(out);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: kwin-screenshot FILE\n");
    return 2;
  }
  int ends[2];
  sd_bus* bus = NULL;
  sd_bus_message* reply = NULL;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  struct picture picture = {0, 0, 0};
  if (pipe(ends) != 0 || sd_bus_open_user(&bus) < 0 ||
      sd_bus_call_method(bus, "org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                         "org.kde.KWin.ScreenShot2", "CaptureWorkspace", &error, &reply, "a{sv}h",
                         0, ends[1]) < 0 ||
      read_results(reply, &picture) < 0 || picture.stride < picture.width * 4) {
    fprintf(stderr, "kwin-screenshot: %s\n", error.message ? error.message : "no picture");
    return 1;
  }
  close(ends[1]);
  const size_t size = (size_t)picture.stride * picture.height;
  unsigned char* pixels = malloc(size);
  size_t got = 0;
  ssize_t n = 1;
  while (got < size && (n = read(ends[0], pixels + got, size - got)) > 0) {
    got += (size_t)n;
  }
  FILE* out = fopen(argv[1], "wb");
  if (got < size || out == NULL || write_pam(out, &picture, pixels) != 0) {
    fprintf(stderr, "kwin-screenshot: could not save the picture\n");
    return 1;
  }
  free(pixels);
  sd_bus_message_unref(reply);
  sd_bus_unref(bus);
  return 0;
}
