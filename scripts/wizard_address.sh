# Sourced by the scripts that start velk.exe with /web-print.
#
#   wizard_address LOG PID SECONDS
# Prints the address of the wizard's window once the process PID, whose
# output goes to LOG, has printed it. Fails when the process ends first or
# SECONDS pass.
wizard_address() {
  local log=$1 pid=$2 seconds=$3 url _
  for _ in $(seq $((seconds * 4))); do
    url=$(grep -o -m1 'http://127\.0\.0\.1:[0-9]*/[0-9a-f]*/page' "$log" 2>/dev/null || true)
    if [ -n "$url" ]; then
      echo "$url"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.25
  done
  return 1
}
