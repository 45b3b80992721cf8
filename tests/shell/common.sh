# Sourced by the script tests: a scratch folder and background processes that
# go away on exit, a failure that shows the logs, and waiting for a condition.
work=$(mktemp -d)
pids=()
logs=()  # files in $work whose tails a failure shows
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
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

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$(($(date +%s%3N) + $1 * 1000)); shift
  until "$@"; do
    [ "$(date +%s%3N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
