#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. With no real keyboard of ours
# present, it first starts the emulated keyboard family (zelkar-vhid) on the virtual bus.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2

# Is a keyboard of ours (vendor 0x0c45, product 0x751d) on the system?
if build/src/tools/zelkar-hidinfo --json | grep -q '"path": "hidraw:[^"]*vid_0c45&pid_751d'; then
  echo "run.sh: a real keyboard is present"
else
  echo "run.sh: no keyboard found; starting the emulated keyboard family (zelkar-vhid)"
  # Its control commands come through a pipe of ours (opened read-write, so it never ends) and
  # its answers go to a log: `echo "frame kb" > PIPE` shows what the keyboard's LEDs show.
  state="${XDG_RUNTIME_DIR:-/tmp}"
  control="$state/zelkar-vhid.control" answers="$state/zelkar-vhid.log"
  rm -f "$control"
  mkfifo -m 600 "$control"
  build/sim/zelkar-vhid --devices kb,small,companion <>"$control" >"$answers" 2>&1 &
  vhid_pid=$!
  trap 'kill "$vhid_pid" 2>/dev/null || true; rm -f "$control"' EXIT
  echo "run.sh: emulator commands: echo 'frame kb' > $control  (answers in $answers)"
  sleep 0.3
fi

if [ -x build/bin/zelkar ]; then
  status=0
  build/bin/zelkar "$@" || status=$?
  # The program has ended: the emulator it was started for goes too.
  if [ -n "${vhid_pid:-}" ]; then
    kill "$vhid_pid" 2>/dev/null || true
    wait "$vhid_pid" 2>/dev/null || true
  fi
  exit "$status"
else
  # No program was built: show what the program would see.
  build/src/tools/zelkar-hidinfo
  if [ -n "${vhid_pid:-}" ]; then
    echo "run.sh: the emulator keeps running; press Ctrl+C to stop it"
    wait "$vhid_pid"
  fi
fi
