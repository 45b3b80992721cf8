#!/usr/bin/env bash
# Drives the running program from its command line, as a key binding or a
# panel module would: set, up, down and get act on it and print the level
# (saved, on the screen and in the HUD), a follower sees every change, bad
# arguments change nothing and exit 2, and with no program running the
# commands exit 1. Help and the version need no display.
# Usage: command_line.sh <path to glimmerbox>
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../shell/common.sh"
logs=(out.log err.log follow cli.err)
mkdir -m 700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb

# Runs the command line; expects exit $1 and, on standard output, $2.
expect() {
  local status=$1 output=$2; shift 2
  local got=0
  "$program" "$@" > "$work/cli.out" 2> "$work/cli.err" || got=$?
  [ "$got" = "$status" ] || fail "'$*' exited $got, not $status"
  [ "$(cat "$work/cli.out")" = "$output" ] || fail "'$*' printed '$(cat "$work/cli.out")'"
}
saved() { grep -q "^Glimmerbox_Brightness=$1\$" "$work/config/Glimmerbox/Glimmerbox.conf"; }
hud_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class glimmerbox 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 220x50' && return 0
  done
  return 1
}

env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version > "$work/cli.out" &&
  grep -q '^glimmerbox 1\.[0-9]*\.[0-9]*$' "$work/cli.out" || fail "--version without a display"
expect 1 "" get
[ "$(wc -l < "$work/cli.err")" = 1 ] || fail "no instance: not one line"

start_headless_desktop --no-compositor
"$program" > "$work/out.log" 2> "$work/err.log" &
program_pid=$!
pids+=("$program_pid")
answers() { "$program" get > /dev/null 2>&1; }
wait_for 10 answers || fail "the program did not start"

expect 0 40 set 40
saved 40 || fail "the defaults file does not hold 40"
wait_for 2 hud_shown || fail "set did not show the HUD"
xrandr --verbose | grep -q 'Brightness: 0.40' || fail "the screen was not dimmed to 40"

"$program" get --follow > "$work/follow" 2>&1 &
follower=$!
pids+=("$follower")
wait_for 2 grep -q . "$work/follow" || fail "the follower printed nothing"
expect 0 46 up
expect 0 48 up --fine
expect 0 42 down
expect 0 42 get
for bad in "set 101" "set abc" "frob"; do
  # shellcheck disable=SC2086
  expect 2 "" $bad
  head -1 "$work/cli.err" | grep -q '^glimmerbox: ' && grep -q '^Usage: glimmerbox' "$work/cli.err" ||
    fail "'$bad' did not say why and show the usage"
done
expect 0 42 get
saved 42 || fail "bad arguments changed the saved level"
wait_for 2 test "$(tr '\n' ' ' < "$work/follow")" = "40 46 48 42 " ||
  fail "the follower saw '$(tr '\n' ' ' < "$work/follow")'"

kill -TERM "$program_pid"
status=0
wait_for 5 eval '! kill -0 $follower 2> /dev/null' || fail "the follower outlived the program"
wait "$follower" || status=$?
[ "$status" = 1 ] || fail "the follower exited $status when the program quit"
expect 1 "" get
echo PASS
