# Sourced by the script tests: a scratch folder and background processes that
# go away on exit, a failure that shows the logs, and waiting for a condition.
work=$(mktemp -d)
pids=()
logs=()  # files in $work whose tails a failure shows
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  # A process that ends with the test may still be writing its last files.
  rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  for log in "${logs[@]}"; do
    echo "--- $log"
    tail -20 "$work/$log" 2>/dev/null || true
  done
  exit 1
}

# Under set -e a failing step would end the script without a word: say
# which, with the logs.
if [[ $- == *e* ]]; then
  trap 'fail "line $LINENO: $BASH_COMMAND (status $?)"' ERR
fi

# Runs the command in the background, stopped with the test, as $spawned.
spawn() { "$@" & spawned=$!; pids+=("$spawned"); }

# Folders for the program's settings and runtime under $1.
program_dirs() { mkdir -p "$1/config" && mkdir -p -m 700 "$1/runtime"; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$(($(date +%s%3N) + $1 * 1000)); shift
  until "$@"; do
    [ "$(date +%s%3N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# A private D-Bus daemon of type $1 (session or system) at $work/$1-bus, open
# to every user (a desktop may run as nobody, the program as the caller) and
# to eavesdroppers; with the session's service files when $2 is "services".
private_bus() {
  local services=${2:+<standard_session_servicedirs/>}
  cat > "$work/$1.conf" <<BUS
<busconfig>
  <type>$1</type>
  <listen>unix:path=$work/$1-bus</listen>
  <auth>EXTERNAL</auth>
  $services
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
  spawn dbus-daemon --config-file="$work/$1.conf" --nofork > /dev/null 2>&1
  wait_for 5 test -S "$work/$1-bus" || fail "no $1 bus"
  chmod 777 "$work/$1-bus"
}

# The headless X desktop of scripts/headless-desktop, with its options,
# stopped with the test; and the program's own settings and runtime folders.
start_headless_desktop() {
  eval "$("$(dirname "${BASH_SOURCE[0]}")/../../scripts/headless-desktop" "$@")" ||
    fail "the headless desktop did not start"
  pids+=($HEADLESS_DESKTOP_PIDS)
  program_dirs "$work"
}

# Records the session bus's messages that match $1 in $work/bus.log.
watch_bus() {
  spawn dbus-monitor "$1" > "$work/bus.log" 2>&1
  wait_for 5 grep -q NameAcquired "$work/bus.log" || fail "dbus-monitor did not start"
}
