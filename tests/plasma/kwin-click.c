// Clicks the left button at a point of KWin's layout, as a pointer would:
// kwin-click X Y. Test tool; KWin offers its fake input only to a program
// whose desktop file asks for it (X-KDE-Wayland-Interfaces).
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* fake_input;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
    fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: kwin-click X Y\n");
    return 2;
  }
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "kwin-click: no compositor\n");
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (fake_input == NULL) {
    fprintf(stderr, "kwin-click: the compositor offers no fake input\n");
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(fake_input, "kwin-click", "test clicks");
  org_kde_kwin_fake_input_pointer_motion_absolute(fake_input, wl_fixed_from_int(atoi(argv[1])),
                                                  wl_fixed_from_int(atoi(argv[2])));
  wl_display_roundtrip(display);
  usleep(50000);  // Lets the client under the pointer see it arrive first.
  org_kde_kwin_fake_input_button(fake_input, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
  org_kde_kwin_fake_input_button(fake_input, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
