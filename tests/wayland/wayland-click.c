// Clicks the left button at a point of a wlroots compositor's layout, as a
// pointer would: wayland-click WIDTH HEIGHT X Y (the layout's size, then the
// point). Test tool; the headless seat has no pointer of its own.
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

// The requests this tool sends of the wlroots virtual-pointer protocol
// (zwlr_virtual_pointer_unstable_v1, version 1), in the order its published
// description gives them, which makes their opcodes.
static const struct wl_interface pointer_interface;
static const struct wl_interface* create_types[] = {&wl_seat_interface, &pointer_interface};
static const struct wl_message manager_requests[] = {
    {"create_virtual_pointer", "?on", create_types}};
static const struct wl_interface manager_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, manager_requests, 0, NULL};
static const struct wl_interface* no_types[] = {NULL, NULL, NULL, NULL, NULL};
static const struct wl_message pointer_requests[] = {{"motion", "uff", no_types},
                                                     {"motion_absolute", "uuuuu", no_types},
                                                     {"button", "uuu", no_types},
                                                     {"axis", "uuf", no_types},
                                                     {"frame", "", no_types}};
static const struct wl_interface pointer_interface = {"zwlr_virtual_pointer_v1", 1, 5,
                                                      pointer_requests,          0, NULL};
enum { MOTION_ABSOLUTE = 1, BUTTON = 2, FRAME = 4 };

static struct wl_proxy* manager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, manager_interface.name) == 0) {
    manager = wl_registry_bind(registry, name, &manager_interface, 1);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: wayland-click WIDTH HEIGHT X Y\n");
    return 2;
  }
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "wayland-click: no compositor\n");
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (manager == NULL) {
    fprintf(stderr, "wayland-click: the compositor offers no virtual pointer\n");
    return 1;
  }
  struct wl_proxy* pointer =
      wl_proxy_marshal_constructor(manager, 0, &pointer_interface, NULL, NULL);
  wl_proxy_marshal(pointer, MOTION_ABSOLUTE, 0, atoi(argv[3]), atoi(argv[4]), atoi(argv[1]),
                   atoi(argv[2]));
  wl_proxy_marshal(pointer, FRAME);
  wl_display_roundtrip(display);
  usleep(50000);  // Lets the client under the pointer see it arrive first.
  wl_proxy_marshal(pointer, BUTTON, 1, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
  wl_proxy_marshal(pointer, FRAME);
  wl_proxy_marshal(pointer, BUTTON, 2, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
  wl_proxy_marshal(pointer, FRAME);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
