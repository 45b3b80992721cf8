#!/usr/bin/env bash
# The real program on a headless GNOME Shell 43, where it shows through
# Xwayland. The shell itself takes the screenshots and, through Eval, moves a
# virtual pointer and reports its own state; a test-only extension lifts the
# shell's restriction on both. Two runs:
# - with the AppIndicator extension: the icon shows in the top bar, clearly
#   apart from it; a click on it opens the popover under it; a click on the
#   desktop closes it;
# - without it: the program says there is no tray and shows a notification, a
#   second start shows the popover as a window near the top right, and
#   enabling the extension brings the icon within 5 s.
# Usage: on_gnome.sh <glimmerbox>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/../shell/common.sh"
source "$here/../shell/screenshot.sh"
logs=(shell.log err.log)

width=1920 height=1080
appindicator=ubuntu-appindicators@ubuntu.com
access=unsafe-mode@glimmerbox
# Xwayland as nobody cannot make the X11 socket folder itself.
[ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
home="$work/shell"
runtime="$home/runtime"
mkdir -p "$home/.local/share/gnome-shell/extensions" "$home/.config/glib-2.0/settings" \
  "$runtime" "$home/shots"
cp -r "$here/$access" "$home/.local/share/gnome-shell/extensions/"
chmod 700 "$runtime"
desktop_user_owns "$home"

# gnome-shell needs a system bus for its login manager; private buses keep
# the test away from the machine's.
private_bus session services
private_bus system
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session-bus"

# What JavaScript $1 gives in the shell, unquoted; fails if it throws.
shell_eval() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.gnome.Shell.Eval "$1" 2>/dev/null | sed -nE "s/^\(true, '\"?([^\"]*)\"?'\)$/\1/p; t; q 1"
}

# Starts the shell with the given extensions on; the keyfile settings backend
# keeps its settings in the scratch home, without dconf.
start_shell() {
  local extensions="'$access'${1:+, '$1'}"
  printf '[org/gnome/shell]\nenabled-extensions=[%s]\ndisable-user-extensions=false\n' \
    "$extensions" > "$home/.config/glib-2.0/settings/keyfile"
  chown --reference="$home" "$home/.config/glib-2.0/settings/keyfile"
  spawn env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$runtime" XDG_SESSION_TYPE=wayland \
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system-bus" GSETTINGS_BACKEND=keyfile \
    NO_AT_BRIDGE=1 "${as_desktop_user[@]}" \
    gnome-shell --headless --wayland --virtual-monitor "${width}x$height" > "$work/shell.log" 2>&1
  shell_pid=$spawned
  local x11
  wait_for 20 eval 'x11=$(shell_eval "global.context.unsafe_mode && GLib.getenv(\"DISPLAY\")")' &&
    [[ $x11 == :* ]] || fail "gnome-shell did not start"
  export DISPLAY=$x11 WAYLAND_DISPLAY="$runtime/wayland-0"
  export XAUTHORITY=$(shell_eval 'GLib.getenv("XAUTHORITY")')
  # The desktop itself, with no overview and no note about the unsafe mode;
  # the overview opens once start-up is over, and ignores a hide while it opens.
  desktop_shown() {
    [ "$(shell_eval '!Main.layoutManager._startingUp &&
      (Main.overview.hide(), !Main.overview.visible && !Main.overview.animationInProgress)')" = true ]
  }
  wait_for 10 desktop_shown || fail "the overview stayed"
  shell_eval 'Main.messageTray.getSources().forEach(s => s.destroy())' > /dev/null
  bar=$(shell_eval 'Main.panel.height')
  screenshot
  desktop=$(pixel 5 $((height - 5)))
  [ -z "$1" ] || wait_for 5 owned org.kde.StatusNotifierWatcher ||
    fail "the AppIndicator extension did not start"
  # The shell's notification service, which a session starts; other desktops'
  # services that may claim the name on activation stay out.
  bus_call StartServiceByName org.gnome.Shell.Notifications 0 > /dev/null
  wait_for 5 owned org.freedesktop.Notifications || fail "the shell's notifications did not start"
}

bus_call() {
  gdbus call --session --dest org.freedesktop.DBus --object-path / \
    --method "org.freedesktop.DBus.$1" "${@:2}"
}
owned() { bus_call NameHasOwner "$1" | grep -q true; }

# Stops the processes given.
stop() {
  kill "$@"
  wait "$@" 2>/dev/null || true
}

shot="$home/shots/shot.png"
screenshot() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell/Screenshot \
    --method org.gnome.Shell.Screenshot.Screenshot false false "$shot" > /dev/null ||
    fail "the shell took no screenshot"
}

# A left click at x $1, y $2 through a virtual pointer of the shell's seat.
click() {
  shell_eval "(() => {
    const { Clutter, GLib } = imports.gi;
    globalThis.testPointer ??= Clutter.get_default_backend().get_default_seat()
      .create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
    const time = GLib.get_monotonic_time();
    testPointer.notify_absolute_motion(time, $1, $2);
    testPointer.notify_button(time, Clutter.BUTTON_PRIMARY, Clutter.ButtonState.PRESSED);
    testPointer.notify_button(time + 1000, Clutter.BUTTON_PRIMARY, Clutter.ButtonState.RELEASED);
  })()" > /dev/null
}

# The box (x y width height) of the actor that JavaScript $1 finds in the
# shell; fails while it is not on screen.
actor_box() {
  shell_eval "(() => {
    const a = $1;
    if (!a?.mapped || a.width === 0)
      return '';
    const [x, y] = a.get_transformed_position();
    return [x, y, a.width, a.height].map(Math.round).join(' ');
  })()" | grep .
}
# The program's item in the top bar, and the entry labelled $1 of its open menu.
item() { echo "Object.entries(Main.panel.statusArea).find(([k]) => k.endsWith('Item-$program_pid-1'))?.[1]"; }
item_box() { actor_box "$(item)"; }
menu_entry_box() { actor_box "$(item)?.menu.isOpen && $(item).menu._getMenuItems().find(i => i.label?.text === '$1')"; }

# Whether the program's item shows an icon that stands out from the bar.
icon_x=0 icon_w=0 icon_h=0 bar=0
icon_shown() {
  local x y w h bar_colour
  read -r x y w h < <(item_box) && [ "$h" = "$bar" ] || return 1
  screenshot
  bar_colour=$(pixel $((x - 4)) 2)
  read -r icon_x _ icon_w icon_h < <(box_in "${w}x$h+$x+$y" "$bar_colour")
  # The extension's stand-in while it loads an icon is a row of three dots.
  [ "$icon_w" -ge 8 ] && [ "$icon_w" -le "$w" ] && [ "$icon_h" -ge 10 ] || return 1
  check_contrast "${w}x$h+$x+$y" "$bar_colour" bar
}

# The program's windows on screen as "x y width height" lines, from the shell:
# a frame's shadow would blur a box measured on the screenshot.
program_windows() {
  shell_eval "global.get_window_actors().map(a => a.meta_window)
    .filter(w => w.get_wm_class() === 'glimmerbox' && w.showing_on_its_workspace())
    .map(w => { const r = w.get_frame_rect(); return [r.x, r.y, r.width, r.height].join(' '); })
    .join(';')" | tr ';' '\n'
}

# Whether the popover shows, painted, as $pop_x $pop_y $pop_w $pop_h.
popover_shown() {
  read -r pop_x pop_y pop_w pop_h < <(program_windows | grep "^[0-9-]* [0-9-]* 280 ")
  [ "$pop_w" = 280 ] || return 1
  screenshot
  [ "$(pixel $((pop_x + pop_w / 2)) $((pop_y + pop_h / 2)))" != "$desktop" ]
}

# The program's own settings and runtime folders, kept across its starts.
program_dirs "$work/program"
as_program=(env XDG_CONFIG_HOME="$work/program/config" XDG_RUNTIME_DIR="$work/program/runtime")

# Starts the first copy of the program in the background as $program_pid.
start_first() {
  spawn "${as_program[@]}" "$program" > "$work/out.log" 2> "$work/err.log"
  program_pid=$spawned
  wait_for 10 grep -q "showing on X11" "$work/err.log" || fail "did not choose Xwayland"
}

with_tray() {
  local x y w h
  echo "with the AppIndicator extension:"
  start_shell "$appindicator"
  start_first
  wait_for 10 icon_shown || fail "no icon in the top bar (item $(item_box), icon x $icon_x width $icon_w)"

  # The extension opens an item's menu on a click, the popover on its Open.
  click $((icon_x + icon_w / 2)) $((bar / 2))
  wait_for 5 menu_entry_box Open > /dev/null || fail "a click on the icon opened no menu with Open"
  for entry in "Start on Login" Quit Open; do
    read -r x y w h < <(menu_entry_box "$entry") || fail "the icon's menu lacks $entry"
  done
  check_click_opens $((x + w / 2)) $((y + h / 2))
  check_under_icon
  [ "$pop_y" = "$bar" ] || fail "the popover's top is at $pop_y, not under the bar at $bar"
  # The menu fades out.
  [ -z "$shots" ] || { sleep 0.5 && screenshot && keep_shot gnome-appindicator; }

  check_outside_click_closes $((width / 3)) $((height * 2 / 3))
  stop "$program_pid" "$shell_pid"
}

without_tray() {
  echo "without a tray:"
  start_shell ""
  start_first
  wait_for 5 grep -qiE "no (system )?tray" "$work/err.log" || fail "did not say that there is no tray"
  # Its other notification, asking for the keys, does not count.
  notified() {
    [ "$(shell_eval "Main.messageTray.getSources().filter(s => /glimmerbox/i.test(s.title))
      .some(s => s.notifications.some(n => /tray/i.test(n.title + n.bannerBodyText)))")" = true ]
  }
  wait_for 5 notified || fail "no notification from the program"

  "${as_program[@]}" "$program" > /dev/null 2>&1 || fail "the second start failed"
  wait_for 5 popover_shown || fail "a second start showed no popover (windows: $(program_windows))"
  [ $((width - pop_x - pop_w)) -le 100 ] && [ $((pop_y - bar)) -le 100 ] ||
    fail "the popover window at $pop_x,$pop_y is not near the top right"
  keep_shot gnome-no-tray

  # The extension also adopts items it finds on the bus; the program must
  # still announce itself to the tray that came.
  watch_bus "type='method_call',member='RegisterStatusNotifierItem'"
  shell_eval "Main.extensionManager.enableExtension('$appindicator')" > /dev/null
  wait_for 5 icon_shown || fail "enabling the extension brought no icon within 5 s"
  wait_for 5 grep -q "member=RegisterStatusNotifierItem" "$work/bus.log" ||
    fail "the program did not announce its item to the tray that came"
  stop "$program_pid" "$shell_pid"
}

with_tray
without_tray
echo "PASS"
