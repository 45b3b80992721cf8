#!/usr/bin/env bash
# The running program on a headless X display with a system tray, driven as a
# user, a key binding, a panel module and the key service would:
# - a click on the tray icon opens the popover, a click on the 50% preset
#   sets the level (the defaults file and the screen's gamma say 50), a
#   second click on the icon closes it for good, and a second start hands
#   over to the first and opens its popover;
# - the command line's set, up, down and get and the session bus's level
#   and steps act on it and print or announce the level (saved, on the
#   screen, in the HUD), a key press from a stand-in for the key service
#   steps it, a follower sees every change, and bad arguments or values
#   change nothing (exit 2 on the command line);
# - with no program running the commands exit 1; a restart shows the
#   remembered level at once, and a start after kill -9 runs.
# Usage: command_line.sh <path to glimmerbox>
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../shell/common.sh"
logs=(out.log err.log follow cli.err bus.log)
program_dirs "$work"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb

# Runs the command line; expects exit $1 and, on standard output, $2.
expect() {
  local status=$1 output=$2 got=0
  shift 2
  "$program" "$@" > "$work/cli.out" 2> "$work/cli.err" || got=$?
  [ "$got" = "$status" ] && [ "$(cat "$work/cli.out")" = "$output" ] ||
    fail "'$*' exited $got, not $status, printing '$(cat "$work/cli.out")'"
}
saved() { grep -q "^Glimmerbox_Brightness=$1\$" "$work/config/Glimmerbox/Glimmerbox.conf"; }
dimmed() { xrandr --verbose | grep -q "Brightness: 0.$1"; }
# Whether the program shows a window $1 wide; "x y" of it in $work/window-$1.
shows() {
  local id
  for id in $(xdotool search --onlyvisible --class glimmerbox 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" != "$1" ] || { echo "$X $Y" > "$work/window-$1" && return 0; }
  done
  return 1
}
click_at() { xdotool mousemove "$1" "$2" click 1; }
path=/org/glimmerbox/Glimmerbox
call() { gdbus call --session -d org.glimmerbox.Glimmerbox -o "$path" -m "$@"; }
set_level() { call org.freedesktop.DBus.Properties.Set org.glimmerbox.Glimmerbox1 Brightness "$1"; }
# PropertiesChanged carried level $1.
announced() { grep -A6 'member=PropertiesChanged' "$work/bus.log" | grep -q "int32 $1\$"; }

env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version > "$work/cli.out" &&
  grep -q '^glimmerbox 1\.[0-9]*\.[0-9]*$' "$work/cli.out" || fail "--version without a display"
expect 1 "" get
[ "$(wc -l < "$work/cli.err")" = 1 ] || fail "no instance: not one line"

private_bus session
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session-bus"
watch_bus "type='signal',path='$path'"
start_headless_desktop --no-compositor
# The key service's side of its socket: accepts the program, then sends a
# press for each line written to the FIFO (1 up, 2 fine: the wire format's bits).
mkfifo "$work/presses"
spawn perl -MIO::Socket::UNIX -e '$c = IO::Socket::UNIX->new(Local => $ARGV[0], Listen => 1)->accept;
  $c->autoflush(1); print $c pack("C4", 1, 1, 0, 0); open(P, "<", $ARGV[1]);
  print $c pack("C4", 1, 3, $_, 0) while <P>; sleep' "$work/keys.sock" "$work/presses"
wait_for 5 test -S "$work/keys.sock" || fail "the key service stand-in did not listen"
export GLIMMERBOX_KEYS_SOCKET="$work/keys.sock"
# In the background, its pid is the program's: it replaces the subshell.
start_program() { exec "$program" >> "$work/out.log" 2>> "$work/err.log"; }
spawn start_program
program_pid=$spawned
wait_for 10 shows 22 || fail "no tray icon"
# The display manager speaks first, having found the display-service library
# beside the program.
head -1 "$work/out.log" | grep -q '^\[DisplayManager\] Successfully loaded IOAVService symbols$' ||
  fail "the first line is not the display manager's success"

read -r icon_x icon_y < "$work/window-22"
click_at $((icon_x + 11)) $((icon_y + 11))
wait_for 5 shows 280 || fail "the popover did not open"
read -r pop_x pop_y < "$work/window-280"
# The 50% preset: the second button of the preset row, 82 to 106 below the top.
click_at $((pop_x + 108)) $((pop_y + 94))
# No monitor answers DDC/CI on a virtual display: the level goes to the gamma
# ramps, which xrandr reads back as a brightness.
wait_for 2 saved 50 && dimmed 50 || fail "the 50% preset was not saved and shown on the screen"
click_at $((icon_x + 11)) $((icon_y + 11))
wait_for 2 eval '! shows 280' || fail "a click on the icon did not close the popover"
sleep 0.6
! shows 280 || fail "the popover reopened after closing"
(start_program) && wait_for 2 shows 280 || fail "a second start did not open the first one's popover"

spawn "$program" get --follow > "$work/follow" 2>&1
follower=$spawned
wait_for 2 grep -q . "$work/follow" || fail "the follower printed nothing"
expect 0 40 set 40
saved 40 && dimmed 40 || fail "set 40 was not saved and shown on the screen"
wait_for 2 shows 220 || fail "set did not show the HUD"
set_level '<int32 30>' > /dev/null || fail "setting the level to 30 on the bus was refused"
expect 0 30 get
wait_for 2 announced 30 || fail "no PropertiesChanged for 30"
timeout 5 sh -c "echo 1 > '$work/presses'" || fail "the program did not connect to the key service"
wait_for 2 announced 36 || fail "no PropertiesChanged after a brightness key press"
expect 0 38 up --fine
call org.glimmerbox.Glimmerbox1.StepDown false > /dev/null || fail "a step down on the bus failed"
wait_for 2 announced 32 || fail "no PropertiesChanged after a step on the bus"
for bad in "set 101" "set abc" "frob"; do
  # shellcheck disable=SC2086
  expect 2 "" $bad
  head -1 "$work/cli.err" | grep -q '^glimmerbox: ' && grep -q '^Usage: glimmerbox' "$work/cli.err" ||
    fail "'$bad' did not say why and show the usage"
done
for bad in '<int32 101>' '<int32 -1>' '<"50">'; do
  ! set_level "$bad" 2> /dev/null || fail "the level $bad was accepted on the bus"
done
[ "$(call org.freedesktop.DBus.Properties.Get org.glimmerbox.Glimmerbox1 Brightness)" = "(<32>,)" ] &&
  saved 32 || fail "bad arguments or values changed the level"
wait_for 2 test "$(tr '\n' ' ' < "$work/follow")" = "50 40 30 36 38 32 " ||
  fail "the follower saw '$(tr '\n' ' ' < "$work/follow")'"

kill -TERM "$program_pid"
wait "$program_pid" || fail "the program did not end cleanly on SIGTERM"
status=0
wait_for 5 eval '! kill -0 $follower 2> /dev/null' || fail "the follower outlived the program"
wait "$follower" || status=$?
[ "$status" = 1 ] || fail "the follower exited $status when the program quit"
expect 1 "" get

# The remembered level is on the screen from the start, not after a change
# (SIGTERM gave Xvfb its own ramps back). A killed instance leaves its lock
# file and socket behind; the next start runs.
spawn start_program
wait_for 10 shows 22 || fail "no tray icon after a restart"
dimmed 32 || fail "a restart did not dim to the remembered 32"
kill -KILL "$spawned"
wait_for 5 eval '! shows 22' || fail "the killed instance's icon stayed"
spawn start_program
wait_for 10 shows 22 || fail "no tray icon after a start that followed kill -9"
echo PASS
