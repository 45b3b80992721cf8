#!/usr/bin/env bash
# Runs the real program on a headless X display with no system tray and a
# session bus where no tray watches: it says so in one line on standard error
# and in a desktop notification (a monitor on the bus stands in for the
# notification server). A second start opens the popover as a focused window
# at the screen's top right and says so; Escape, or another window taking
# the focus, closes it. A second start
# whose first instance hangs says that it got no answer and exits 1.
# Usage: no_tray.sh <path to glimmerbox>
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../shell/common.sh"
logs=(err.log bus.log)

# A private bus that starts no services: no tray watcher, no notifications.
private_bus session
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session-bus"
watch_bus "interface='org.freedesktop.Notifications'"

start_headless_desktop --no-tray --no-compositor
# Arguments go before the program.
start_program() {
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    exec "$@" "$program" > /dev/null 2>> "$work/err.log"
}
# In a session of its own, as it is stopped below: the kernel hangs up a
# stopped process whose process group is orphaned, as ours may be under CI.
spawn start_program setsid
program_pid=$spawned

wait_for 10 grep -q '^glimmerbox: no system tray on this desktop.*AppIndicator extension' \
  "$work/err.log" || fail "no line saying there is no tray"
[ "$(grep -c 'no system tray' "$work/err.log")" = 1 ] || fail "the missing tray was told twice"
notified() { grep -A4 'member=Notify' "$work/bus.log" | grep -q 'without a tray icon'; }
wait_for 5 notified || fail "no notification about the missing tray"

# The popover as the window that has the focus: "x y" of its top left.
popover() {
  local WINDOW X Y WIDTH= HEIGHT SCREEN
  eval "$(xdotool getwindowfocus getwindowgeometry --shell 2>/dev/null)"
  [ "$WIDTH" = 280 ] && echo "$X $Y" > "$work/popover"
}
no_popover() { [ -z "$(xdotool search --onlyvisible --class glimmerbox 2>/dev/null)" ]; }
opened='^glimmerbox: already running; opened its popover$'
# A later start opens the popover with the focus, and says so.
open_popover() {
  (start_program) && grep -q "$opened" "$work/err.log" && wait_for 2 popover ||
    fail "a later start did not open the popover with the focus"
}

open_popover
[ "$(cat "$work/popover")" = "1000 0" ] ||
  fail "the popover is at $(cat "$work/popover"), not at the top right"
xdotool key Escape
wait_for 2 no_popover || fail "Escape did not close the popover"
# Another window taking the focus closes it too.
open_popover
spawn xmessage -geometry +0+400 elsewhere
wait_for 2 xdotool search --onlyvisible --name xmessage windowfocus > /dev/null 2>&1 || fail "no other window"
wait_for 2 no_popover || fail "the popover stayed open when another window took the focus"

# A hung first instance still accepts the request but never answers.
kill -STOP "$program_pid"
status=0
XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb "$program" > /dev/null 2> "$work/hung.log" ||
  status=$?
kill -CONT "$program_pid"
logs+=(hung.log)
[ "$status" = 1 ] && grep -q '^glimmerbox: already running, but it did not answer' "$work/hung.log" &&
  ! grep -q "$opened" "$work/hung.log" || fail "a start facing a hung instance exited $status without saying it got no answer"
echo PASS
