// Clicks the left button at a point of the compositor's layout, as a pointer
// would: wayland-click X Y WIDTH HEIGHT (the layout's size). Test tool for
// headless seats that have no pointer of their own: it drives wlroots' virtual
// pointer, or KWin's fake input (which KWin grants with its permission checks
// off).
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

// The requests of both protocols up to the last one sent, in the order their
// published descriptions give them, which makes their opcodes.
static const struct wl_interface wlr_pointer;
static const struct wl_interface* create_types[] = {&wl_seat_interface, &wlr_pointer};
static const struct wl_message wlr_manager_requests[] = {
    {"create_virtual_pointer", "?on", create_types}};
static const struct wl_interface wlr_manager = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, wlr_manager_requests, 0, NULL};
static const struct wl_interface* no_types[] = {NULL, NULL, NULL, NULL, NULL};
static const struct wl_message wlr_pointer_requests[] = {
    {"motion", "uff", no_types}, {"motion_absolute", "uuuuu", no_types},
    {"button", "uuu", no_types}, {"axis", "uuf", no_types},
    {"frame", "", no_types}};
static const struct wl_interface wlr_pointer = {
    "zwlr_virtual_pointer_v1", 1, 5, wlr_pointer_requests, 0, NULL};
static const struct wl_message kde_requests[] = {
    {"authenticate", "ss", no_types},   {"pointer_motion", "ff", no_types},
    {"button", "uu", no_types},         {"axis", "uf", no_types},
    {"touch_down", "2uff", no_types},   {"touch_motion", "2uff", no_types},
    {"touch_up", "2u", no_types},       {"touch_cancel", "2", no_types},
    {"touch_frame", "2", no_types},     {"pointer_motion_absolute", "3ff", no_types}};
static const struct wl_interface kde_fake_input = {
    "org_kde_kwin_fake_input", 4, 10, kde_requests, 0, NULL};
enum { WLR_MOTION_ABSOLUTE = 1, WLR_BUTTON = 2, WLR_FRAME = 4 };
enum { KDE_AUTHENTICATE = 0, KDE_BUTTON = 2, KDE_MOTION_ABSOLUTE = 9 };

static struct wl_proxy *manager, *fake_input;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  if (strcmp(interface, wlr_manager.name) == 0) {
    manager = wl_registry_bind(registry, name, &wlr_manager, 1);
  } else if (strcmp(interface, kde_fake_input.name) == 0 && version >= 4) {
    fake_input = wl_registry_bind(registry, name, &kde_fake_input, 4);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: wayland-click X Y WIDTH HEIGHT\n");
    return 2;
  }
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "wayland-click: no compositor\n");
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  struct wl_proxy* pointer =
      manager ? wl_proxy_marshal_constructor(manager, 0, &wlr_pointer, NULL, NULL) : NULL;
  if (pointer) {
    wl_proxy_marshal(pointer, WLR_MOTION_ABSOLUTE, 0, x, y, atoi(argv[3]), atoi(argv[4]));
    wl_proxy_marshal(pointer, WLR_FRAME);
  } else if (fake_input) {
    wl_proxy_marshal(fake_input, KDE_AUTHENTICATE, "wayland-click", "test clicks");
    wl_proxy_marshal(fake_input, KDE_MOTION_ABSOLUTE, wl_fixed_from_int(x), wl_fixed_from_int(y));
  } else {
    fprintf(stderr, "wayland-click: the compositor offers no virtual pointer\n");
    return 1;
  }
  wl_display_roundtrip(display);
  usleep(50000);  // Lets the client under the pointer see it arrive first.
  for (int pressed = 1; pressed >= 0; --pressed) {
    if (pointer) {
      wl_proxy_marshal(pointer, WLR_BUTTON, 2 - pressed, BTN_LEFT, pressed);
      wl_proxy_marshal(pointer, WLR_FRAME);
    } else {
      wl_proxy_marshal(fake_input, KDE_BUTTON, BTN_LEFT, pressed);
    }
  }
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
