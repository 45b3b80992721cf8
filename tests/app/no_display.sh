#!/usr/bin/env bash
# Starts the program where no display can be had: it must say so in one line
# on standard error and exit 1, not abort.
# Usage: no_display.sh <path to glimmerbox>
set -uo pipefail
program=$1
source "$(dirname "$0")/../shell/common.sh"
logs=(err)
program_dirs "$work"

# Runs the program with the given environment; expects exit 1, nothing on
# standard output and one line on standard error that names $1.
expect_refusal() {
  local mentions=$1 status=0; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/runtime" "$@" \
    "$program" > "$work/out" 2> "$work/err" || status=$?
  [ "$status" = 1 ] && [ ! -s "$work/out" ] && [ "$(wc -l < "$work/err")" = 1 ] &&
    grep -q -- "$mentions" "$work/err" || fail "with $*: exit $status, not one line saying '$mentions'"
}

expect_refusal 'neither DISPLAY nor WAYLAND_DISPLAY is set'
expect_refusal 'WAYLAND_DISPLAY=wayland-gone' WAYLAND_DISPLAY=wayland-gone
# An autostart that races the display: the X server comes up a second late.
display=:$((100 + RANDOM % 800))
spawn env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" \
  XDG_CONFIG_HOME="$work/config" "$program" > "$work/out" 2> "$work/err"
program_pid=$spawned
sleep 1
# -noreset: as in a session, where other clients hold the server, the
# program's probe is not its last client, whose leaving would reset it.
spawn Xvfb "$display" -nolisten tcp -noreset > /dev/null 2>&1
wait_for 10 grep -q "showing on X11, DISPLAY=$display" "$work/err" && kill -0 "$program_pid" ||
  fail "the program did not wait for the display"
# The display goes away under it (the session ends): Qt ends the process with
# status 1, and nothing may crash on the way out.
sleep 1
kill -KILL "$spawned"
status=0
wait "$program_pid" || status=$?
[ "$status" = 1 ] || fail "the program ended with $status when its display died"
echo PASS
