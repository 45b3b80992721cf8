#!/usr/bin/env bash
# Starts the program where no display can be had: it must say so in one line
# on standard error and exit 1, not abort.
# Usage: no_display.sh <path to glimmerbox>
set -uo pipefail
program=$1
source "$(dirname "$0")/../shell/common.sh"
logs=(err)
mkdir -m 700 "$work/runtime"

# Runs the program with the given environment; expects exit 1 and one line
# on standard error that names $1.
expect_refusal() {
  local mentions=$1; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/runtime" "$@" \
    "$program" > "$work/out" 2> "$work/err"
  local status=$?
  [ "$status" = 1 ] || fail "exit $status with $*"
  [ "$(wc -l < "$work/err")" = 1 ] && grep -q -- "$mentions" "$work/err" ||
    fail "with $*, standard error does not say '$mentions' in one line"
  [ ! -s "$work/out" ] || fail "output on standard output with $*"
}

expect_refusal 'neither DISPLAY nor WAYLAND_DISPLAY is set'
expect_refusal 'WAYLAND_DISPLAY=wayland-gone' WAYLAND_DISPLAY=wayland-gone
# An autostart that races the display: the X server comes up a second late.
display=:$((100 + RANDOM % 800))
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" \
  XDG_CONFIG_HOME="$work/config" "$program" > "$work/out" 2> "$work/err" &
program_pid=$!
sleep 1
# -noreset: as in a session, where other clients hold the server, the
# program's probe is not its last client, whose leaving would reset it.
Xvfb "$display" -nolisten tcp -noreset > /dev/null 2>&1 &
xvfb_pid=$!
pids+=("$program_pid" "$xvfb_pid")
wait_for 10 grep -q "showing on X11, DISPLAY=$display" "$work/err" && kill -0 "$program_pid" ||
  fail "the program did not wait for the display"
# The display goes away under it (the session ends): Qt ends the process with
# status 1, and nothing may crash on the way out.
sleep 1
kill -KILL "$xvfb_pid"
status=0
wait "$program_pid" || status=$?
[ "$status" = 1 ] || fail "the program ended with $status when its display died"
echo PASS
