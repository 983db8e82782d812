# Sourced by the measuring scripts: the programs of a build, private folders (never the user's
# runtime folder or files), offscreen Qt with the debug trace on, clean-up of what was started,
# and a millisecond clock. The caller has done `cd` to the source folder; $1 may name the build.
build="${1:-build}"
program="$build/bin/zelkar"
vhid="$build/sim/zelkar-vhid"
[ -x "$program" ] && [ -x "$vhid" ] || { echo "build the zelkar and zelkar-vhid targets first" >&2; exit 2; }

work="$(mktemp -d /tmp/zelkar-measure.XXXXXX)"
pids=()   # processes to end on exit
cleanup() {
  exec 3>&- 2>/dev/null || true   # a control pipe to the emulator, where one was opened
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run" "$work/home"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="zelkar.debug=true"
unset ZELKAR_DEBUG

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

wait_for() {  # FILE TEXT TIMEOUT_MS: until FILE holds TEXT; fails when the time is up
  local deadline=$(( $(now_ms) + $3 ))
  until grep -q "$2" "$1" 2>/dev/null; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.002
  done
}
stop() {  # PID: SIGTERM, the orderly way, then wait
  kill -TERM "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
