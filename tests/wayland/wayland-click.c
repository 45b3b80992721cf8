// Clicks the left button at a point of the compositor's layout, as a pointer
// would: wayland-click X Y WIDTH HEIGHT (the layout's size). Test tool for
// headless seats that have no pointer of their own: it drives wlroots' virtual
// pointer, or KWin's fake input (which KWin grants with its permission checks
// off).
#include <linux/input-event-codes.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

// The requests of both protocols up to the last one sent, in the order their
// published descriptions give them, which makes their opcodes.
static const struct wl_interface wlr_pointer;
static const struct wl_interface* types[] = {&wl_seat_interface, &wlr_pointer, NULL, NULL, NULL};
static const struct wl_message wlr_manager_requests[] = {{"create_virtual_pointer", "?on", types}};
static const struct wl_interface wlr_manager = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, wlr_manager_requests, 0, NULL};
static const struct wl_message wlr_pointer_requests[] = {{"motion", "uff", types + 2},
                                                         {"motion_absolute", "uuuuu", types + 2},
                                                         {"button", "uuu", types + 2},
                                                         {"axis", "uuf", types + 2},
                                                         {"frame", "", types + 2}};
static const struct wl_interface wlr_pointer = {"zwlr_virtual_pointer_v1", 1, 5,
                                                wlr_pointer_requests,      0, NULL};
static const struct wl_message kde_requests[] = {
    {"authenticate", "ss", types + 2}, {"pointer_motion", "ff", types + 2},
    {"button", "uu", types + 2},       {"axis", "uf", types + 2},
    {"touch_down", "2uff", types + 2}, {"touch_motion", "2uff", types + 2},
    {"touch_up", "2u", types + 2},     {"touch_cancel", "2", types + 2},
    {"touch_frame", "2", types + 2},   {"pointer_motion_absolute", "3ff", types + 2}};
static const struct wl_interface kde_fake_input = {
    "org_kde_kwin_fake_input", 4, 10, kde_requests, 0, NULL};

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
  struct wl_display* display = argc == 5 ? wl_display_connect(NULL) : NULL;
  if (display == NULL) {
    return 2;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  struct wl_proxy* pointer =
      manager ? wl_proxy_marshal_constructor(manager, 0, &wlr_pointer, NULL, NULL) : fake_input;
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  if (manager) {
    wl_proxy_marshal(pointer, 1, 0, x, y, atoi(argv[3]), atoi(argv[4]));  // motion_absolute
    wl_proxy_marshal(pointer, 4);                                         // frame
  } else if (fake_input) {
    wl_proxy_marshal(pointer, 0, "wayland-click", "test clicks");
    wl_proxy_marshal(pointer, 9, wl_fixed_from_int(x), wl_fixed_from_int(y));  // motion_absolute
  } else {
    return 1;
  }
  wl_display_roundtrip(display);
  usleep(50000);  // Lets the client under the pointer see it arrive first.
  for (int pressed = 1; pressed >= 0; --pressed) {
    if (manager) {
      wl_proxy_marshal(pointer, 2, 2 - pressed, BTN_LEFT, pressed);  // button
      wl_proxy_marshal(pointer, 4);
    } else {
      wl_proxy_marshal(pointer, 2, BTN_LEFT, pressed);
    }
  }
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
