#!/usr/bin/env bash
# Runs the real program on a headless X display with a system tray, as a user
# would: a click on the tray icon opens the popover, a click on the 50% preset
# sets the level (the defaults file and the screen's gamma say 50), the HUD
# comes up and goes again, and a second click on the icon closes the popover
# for good; a second start hands over to the first.
# Usage: end_to_end.sh <path to glimmerbox>
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  "$(dirname "$0")/../../scripts/headless-desktop" --stop
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "--- program output"; cat "$work/out.log" || true
  echo "--- program errors"; tail -20 "$work/err.log" || true
  exit 1
}

now_ms() { date +%s%3N; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$(($(now_ms) + $1 * 1000)); shift
  until "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

# The first visible window of the program with the given size ("WxH", or "W"
# for any height); prints "id x y width height".
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --class glimmerbox 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$WIDTH" = "${1%x*}" ] && { [ "${1#*x}" = "$1" ] || [ "$HEIGHT" = "${1#*x}" ]; }; then
      echo "$id $X $Y $WIDTH $HEIGHT"
      return 0
    fi
  done
  return 1
}
tray_icon() { find_window 22x22 > "$work/icon"; }
popover() { find_window 280 > "$work/popover"; }
no_popover() { ! find_window 280 > /dev/null; }
hud() { find_window 220x50 > /dev/null; }
no_hud() { ! hud; }
click_at() { xdotool mousemove "$1" "$2" click 1; }

eval "$("$(dirname "$0")/../../scripts/headless-desktop" --no-compositor)" ||
  fail "the headless desktop did not start"

mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
  "$program" > "$work/out.log" 2> "$work/err.log" &
program_pid=$!
pids+=("$program_pid")

wait_for 10 tray_icon || fail "no tray icon"
read -r _ icon_x icon_y _ < "$work/icon"
icon_x=$((icon_x + 11)) icon_y=$((icon_y + 11))

# The display manager speaks first, having found the display-service library
# beside the program.
head -1 "$work/out.log" | grep -q '^\[DisplayManager\] Successfully loaded IOAVService symbols$' ||
  fail "the first line is not the display manager's success"
# Without input access the popover carries the banner and is 248 high.
expected_height=200
grep -q 'Accessibility permission not yet granted' "$work/out.log" && expected_height=248

click_at "$icon_x" "$icon_y"
wait_for 5 popover || fail "the popover did not open"
read -r _ pop_x pop_y _ pop_height < "$work/popover"
[ "$pop_height" = "$expected_height" ] ||
  fail "popover is $pop_height high, expected $expected_height"

# The 50% preset: the second button of the preset row, 82 to 106 below the top.
click_at $((pop_x + 108)) $((pop_y + 94))
wait_for 2 hud || fail "the HUD did not appear"
wait_for 4 no_hud || fail "the HUD did not go away"

grep -q '^Glimmerbox_Brightness=50$' "$work/config/Glimmerbox/Glimmerbox.conf" ||
  fail "the defaults file does not hold 50"
# No monitor answers DDC/CI on a virtual display: the level goes to the gamma
# ramps, which xrandr reads back as a brightness.
xrandr --verbose | grep -q 'Brightness: 0.50' || fail "the screen was not dimmed to 50"

click_at "$icon_x" "$icon_y"
wait_for 2 no_popover || fail "a click on the icon did not close the popover"
sleep 0.6
no_popover || fail "the popover reopened after closing"

# A second start hands over to the first: the popover opens, one icon stays.
# Run in a subshell: the program replaces it, so $! is the program.
start_program() {
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" exec "$program" \
    >> "$work/out.log" 2>> "$work/err.log"
}
(start_program) || fail "a second start did not exit 0"
grep -q '^glimmerbox: already running; opened its popover$' "$work/err.log" ||
  fail "the second start did not say it handed over"
wait_for 2 popover || fail "a second start did not open the popover"
icons=$(xdotool search --onlyvisible --class glimmerbox 2>/dev/null |
  while read -r id; do xdotool getwindowgeometry "$id"; done | grep -c 'Geometry: 22x22')
[ "$icons" = 1 ] || fail "$icons tray icons after a second start"

kill -TERM "$program_pid"
wait "$program_pid" || fail "the program did not end cleanly on SIGTERM"

# A killed instance leaves its lock file and socket behind; the next start runs.
no_icon() { ! tray_icon; }
start_program &
pids+=($!)
wait_for 10 tray_icon || fail "no tray icon after a restart"
kill -KILL "$!"
wait_for 5 no_icon || fail "the killed instance's icon stayed"
start_program &
restarted=$!
pids+=("$restarted")
wait_for 10 tray_icon || fail "no tray icon after a start that followed kill -9"
kill -TERM "$restarted"
wait "$restarted" || fail "the program started after kill -9 did not end cleanly"
echo "PASS"
