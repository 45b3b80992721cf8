#!/usr/bin/env bash
# Runs the real program on a headless X display with a system tray, as a user
# would: a click on the tray icon opens the popover, a click on the 50% preset
# sets the level (the defaults file and the screen's gamma say 50), and a
# second click on the icon closes the popover for good; a second start hands
# over to the first, and a restart shows the remembered level on the screen
# at once; a start after kill -9 runs.
# Usage: end_to_end.sh <path to glimmerbox>
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../shell/common.sh"
logs=(out.log err.log)

# The first visible window of the program that is $1 wide; prints "id x y".
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --class glimmerbox 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$WIDTH" = "$1" ]; then
      echo "$id $X $Y"
      return 0
    fi
  done
  return 1
}
tray_icon() { find_window 22 > "$work/icon"; }
no_icon() { ! tray_icon; }
popover() { find_window 280 > "$work/popover"; }
no_popover() { ! find_window 280 > /dev/null; }
click_at() { xdotool mousemove "$1" "$2" click 1; }

start_headless_desktop --no-compositor
# In the background, its pid is the program's: it replaces the subshell.
start_program() {
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    exec "$program" >> "$work/out.log" 2>> "$work/err.log"
}
start_program &
program_pid=$!
pids+=("$program_pid")

wait_for 10 tray_icon || fail "no tray icon"
read -r _ icon_x icon_y < "$work/icon"
icon_x=$((icon_x + 11)) icon_y=$((icon_y + 11))

# The display manager speaks first, having found the display-service library
# beside the program.
head -1 "$work/out.log" | grep -q '^\[DisplayManager\] Successfully loaded IOAVService symbols$' ||
  fail "the first line is not the display manager's success"

click_at "$icon_x" "$icon_y"
wait_for 5 popover || fail "the popover did not open"
read -r _ pop_x pop_y < "$work/popover"

# The 50% preset: the second button of the preset row, 82 to 106 below the top.
click_at $((pop_x + 108)) $((pop_y + 94))
saved_50() { grep -q '^Glimmerbox_Brightness=50$' "$work/config/Glimmerbox/Glimmerbox.conf"; }
wait_for 2 saved_50 || fail "the defaults file does not hold 50"
# No monitor answers DDC/CI on a virtual display: the level goes to the gamma
# ramps, which xrandr reads back as a brightness.
xrandr --verbose | grep -q 'Brightness: 0.50' || fail "the screen was not dimmed to 50"

click_at "$icon_x" "$icon_y"
wait_for 2 no_popover || fail "a click on the icon did not close the popover"
sleep 0.6
no_popover || fail "the popover reopened after closing"

# A second start hands over to the first and opens its popover.
(start_program) || fail "a second start did not exit 0"
grep -q '^glimmerbox: already running; opened its popover$' "$work/err.log" ||
  fail "the second start did not say it handed over"
wait_for 2 popover || fail "a second start did not open the popover"

kill -TERM "$program_pid"
wait "$program_pid" || fail "the program did not end cleanly on SIGTERM"

# A killed instance leaves its lock file and socket behind; the next start runs.
# The remembered level is on the screen from the start, not after a change
# (SIGTERM gave Xvfb its own ramps back, which xrandr reads as 0.0).
start_program &
pids+=($!)
wait_for 10 tray_icon || fail "no tray icon after a restart"
xrandr --verbose | grep -q 'Brightness: 0.50' || fail "a restart did not dim to the remembered 50"
kill -KILL "$!"
wait_for 5 no_icon || fail "the killed instance's icon stayed"
start_program &
pids+=($!)
wait_for 10 tray_icon || fail "no tray icon after a start that followed kill -9"
echo "PASS"
