#!/usr/bin/env bash
# Drives the running program through its session-bus interface with gdbus,
# as a panel or a compositor's key binding would: the level read and written
# (saved, shown in the HUD, a bad value refused and the level kept), a
# brightness key press from a stand-in for the key service and steps on the
# bus, each change announced by PropertiesChanged, and the popover opened.
# Usage: session_bus.sh <path to glimmerbox>
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../shell/common.sh"
logs=(err.log bus.log)

private_bus session
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session-bus"
path=/org/glimmerbox/Glimmerbox
watch_bus "type='signal',path='$path'"

start_headless_desktop --no-tray --no-compositor

# The key service's side of its socket: accepts the program, then sends a
# press for each line written to the FIFO (1 up, 2 fine: the wire format's bits).
mkfifo "$work/presses"
perl -MIO::Socket::UNIX -e '$c = IO::Socket::UNIX->new(Local => $ARGV[0], Listen => 1)->accept;
  $c->autoflush(1); print $c pack("C4", 1, 1, 0, 0); open(P, "<", $ARGV[1]);
  print $c pack("C4", 1, 3, $_, 0) while <P>; sleep' "$work/keys.sock" "$work/presses" &
pids+=($!)
wait_for 5 test -S "$work/keys.sock" || fail "the key service stand-in did not listen"

GLIMMERBOX_KEYS_SOCKET="$work/keys.sock" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb "$program" > /dev/null 2> "$work/err.log" &
pids+=($!)

call() { gdbus call --session -d org.glimmerbox.Glimmerbox -o "$path" -m "$@"; }
set_level() { call org.freedesktop.DBus.Properties.Set org.glimmerbox.Glimmerbox1 Brightness "$1"; }
level_is() {
  [ "$(call org.freedesktop.DBus.Properties.Get org.glimmerbox.Glimmerbox1 Brightness)" = "(<$1>,)" ]
}
saved() { grep -q "^Glimmerbox_Brightness=$1\$" "$work/config/Glimmerbox/Glimmerbox.conf"; }
# PropertiesChanged carried level $1.
announced() { grep -A6 'member=PropertiesChanged' "$work/bus.log" | grep -q "int32 $1\$"; }
# A window of the program $1 pixels wide shows (220: the HUD, 280: the popover).
shows() { xdotool search --onlyvisible --class glimmerbox getwindowgeometry %@ | grep -q " $1x"; }

# Introspection that gdbus cannot parse fails here too.
wait_for 10 gdbus introspect --session -d org.glimmerbox.Glimmerbox -o "$path" > /dev/null 2>&1 ||
  fail "the program did not come onto the session bus"

set_level '<int32 40>' > /dev/null || fail "setting the level to 40 was refused"
level_is 40 || fail "the level does not read 40"
wait_for 2 saved 40 || fail "the defaults file does not hold 40"
wait_for 2 shows 220 || fail "the HUD did not show for a level set on the bus"
wait_for 2 announced 40 || fail "no PropertiesChanged for 40"

for bad in '<int32 101>' '<int32 -1>' '<"50">'; do
  ! set_level "$bad" 2> /dev/null || fail "the level $bad was accepted"
done
level_is 40 && saved 40 || fail "a refused level changed the level"

timeout 5 sh -c "echo 1 > '$work/presses'" || fail "the program did not connect to the key service"
wait_for 2 announced 46 || fail "no PropertiesChanged after a brightness key press"
call org.glimmerbox.Glimmerbox1.StepUp true > /dev/null || fail "a fine step up failed"
call org.glimmerbox.Glimmerbox1.StepDown false > /dev/null || fail "a step down failed"
wait_for 2 announced 48 && wait_for 2 announced 42 || fail "no PropertiesChanged after a step"
level_is 42 || fail "a key press and two steps from 40 did not read 42"

call org.glimmerbox.Glimmerbox1.ShowPopover > /dev/null || fail "ShowPopover failed"
wait_for 2 shows 280 || fail "ShowPopover did not open the popover"
echo PASS
