#!/usr/bin/env bash
# Time from `plug kb` to the main window shown (reported, not pass/fail). The emulator and the
# program run as separate processes, offscreen, in private folders. Each round unplugs the
# keyboard, waits for the window to go, plugs it in again and takes:
#   - from the plug command to the program's trace "keyboard arrival: read and shown", seen from
#     outside (polled every 2 ms);
#   - from the emulator's wire log: the arrival's read, from its first request to command 2.
#   bench/measure_arrival.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source bench/common.sh
count() { grep -c "$2" "$1" 2>/dev/null || true; }
wait_count() {  # FILE TEXT N TIMEOUT_MS: until TEXT has appeared N times
  local deadline=$(( $(now_ms) + $4 ))
  until [ "$(count "$1" "$2")" -ge "$3" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.002
  done
}

mkfifo "$work/vhid.in"
"$vhid" --devices kb --wire-log "$work/wire.jsonl" <"$work/vhid.in" >"$work/vhid.log" 2>&1 &
pids+=("$!")
exec 3>"$work/vhid.in"
wait_count "$work/vhid.log" "ok ready" 1 3000 || { echo "the emulator did not start" >&2; exit 1; }
"$program" 2>"$work/zelkar.log" &
pids+=("$!")
shown="keyboard arrival: read and shown"
wait_count "$work/zelkar.log" "$shown" 1 10000 || { echo "the keyboard was not taken up" >&2; exit 1; }
sleep 1

rounds=5
for round in $(seq 1 $rounds); do
  echo "unplug kb" >&3
  sleep 1
  start=$(now_ms)
  echo "plug kb" >&3
  wait_count "$work/zelkar.log" "$shown" $(( round + 1 )) 10000 || { echo "no arrival in round $round" >&2; exit 1; }
  echo "round $round: plug kb to the window shown: $(( $(now_ms) - start )) ms (seen from outside)"
  sleep 1
done

# From the wire log: every gap of more than 500 ms in the keyboard's requests is an unplug; the
# requests after it are the arrival's read, which ends with command 2.
python3 - "$work/wire.jsonl" <<'PY'
import json, sys
rows = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
out = [(r["t"], int(r["hex"][6:8], 16)) for r in rows if r["dev"] == "kb" and r["dir"] == "out"]
reads = []
for i in range(1, len(out)):
    if out[i][0] - out[i - 1][0] > 0.5 and out[i][1] == 1:
        end = next((t for t, c in out[i:] if c == 2), None)
        if end is not None:
            reads.append((end - out[i][0]) * 1000)
for n, ms in enumerate(reads, 1):
    print(f"round {n}: the arrival's read on the wire, first request to command 2: {ms:.1f} ms")
PY
