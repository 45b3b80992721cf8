# Sourced by the kernel tests of the whole program: the program and its key
# service started inside the guest as they are installed, each as its own
# user, and what the fake monitors and the program's windows show. The
# caller sets $program and $key_service.
source "$(dirname "${BASH_SOURCE[0]}")/../../shell/common.sh"
results=${GLIMMERBOX_VM_RESULTS:-/tmp}
trap 'cp "$work"/*.log "$results/" 2>/dev/null || true; cleanup' EXIT
chmod 755 "$work"
user=4000

# The sysfs folder of fake monitor $1.
fake_monitor() {
  dirname "$(grep -lx "glimmerbox fake monitor $1" /sys/bus/i2c/devices/i2c-*/name)"
}
# The DDC/CI packet of a level as a fake monitor records it.
packet_of() {
  printf '51 84 03 10 00 %02x %02x' "$1" $((0x3F ^ 0x84 ^ 0x03 ^ 0x10 ^ $1))
}
# The first visible window of the program of the given size; prints "x y".
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --class glimmerbox 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "${WIDTH}x${HEIGHT}" = "$1" ] && echo "$X $Y" && return 0
  done
  return 1
}
hud_gone() { ! find_window 220x50 >/dev/null; }
click_tray_icon() {
  find_window 22x22 >"$work/icon" || fail "no tray icon"
  local x y
  read -r x y <"$work/icon"
  xdotool mousemove $((x + 11)) $((y + 11)) click 1
}

# No logind in the guest: the key service names the program's user itself.
start_key_service() {
  mkdir -p "$work/keys"
  chown glimmerbox-keys: "$work/keys"
  spawn setpriv --reuid=glimmerbox-keys --regid=glimmerbox-keys --init-groups \
    "$key_service" --socket "$work/keys/keys.sock" --allow-uid "$user" 2>>"$work/keys.log"
  key_service_pid=$spawned
  wait_for 10 test -S "$work/keys/keys.sock" || fail "the key service did not listen"
}

start_program() {
  chown "$user:$user" "$work/config" "$work/runtime"
  spawn setpriv --reuid="$user" --regid="$user" --clear-groups \
    env GLIMMERBOX_KEYS_SOCKET="$work/keys/keys.sock" HOME="$work" \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    "$program" >"$work/out.log" 2>"$work/err.log"
  wait_for 30 grep -q 'Event tap successfully started' "$work/out.log" ||
    fail "the brightness keys were not taken over"
}
