#!/usr/bin/env bash
# Starts the program where no display can be had: it must say so in one line
# on standard error and exit 1, not abort.
# Usage: no_display.sh <path to glimmerbox>
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"

# Runs the program with the given environment; expects exit 1 and one line
# on standard error that names $1.
expect_refusal() {
  local mentions=$1; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/runtime" "$@" \
    "$program" > "$work/out" 2> "$work/err"
  local status=$?
  [ "$status" = 1 ] || { echo "FAIL: exit $status with $*"; cat "$work/err"; exit 1; }
  [ "$(wc -l < "$work/err")" = 1 ] && grep -q -- "$mentions" "$work/err" ||
    { echo "FAIL: with $*, standard error says:"; cat "$work/err"; exit 1; }
  [ ! -s "$work/out" ] || { echo "FAIL: output on standard output with $*"; exit 1; }
  echo "ok: $* -> $(cat "$work/err")"
}

expect_refusal 'neither DISPLAY nor WAYLAND_DISPLAY is set'
expect_refusal 'WAYLAND_DISPLAY=wayland-gone' WAYLAND_DISPLAY=wayland-gone
# An autostart that races the display: the X server comes up a second late.
display=:$((100 + RANDOM % 800))
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" \
  XDG_CONFIG_HOME="$work/config" "$program" > "$work/out" 2> "$work/err" &
program_pid=$!
sleep 1
Xvfb "$display" -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$program_pid" "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  grep -q "showing on X11, DISPLAY=$display" "$work/err" && break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && grep -q "showing on X11" "$work/err" ||
  { echo "FAIL: the program did not wait for the display"; cat "$work/err"; exit 1; }
echo "ok: waited for $display"
# The display goes away under it (the session ends): Qt ends the process with
# status 1, and nothing may crash on the way out.
sleep 1
kill -KILL "$xvfb_pid"
status=0
wait "$program_pid" || status=$?
[ "$status" = 1 ] || { echo "FAIL: the program ended with $status when its display died"; exit 1; }
echo "ok: ended with 1 when the display died"
echo PASS
