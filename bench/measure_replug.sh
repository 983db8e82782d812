#!/usr/bin/env bash
# A keyboard unplugged and plugged again in one go ("unplug kb" and "plug kb" in one write to the
# emulator's console, quicker than the device watcher looks), while the program streams frames
# to it: how soon it is read again and streamed to (reported, not pass/fail). The emulator and the
# program run as separate processes, offscreen, in private folders. From the emulator's wire log,
# per round: from the keyboard's last request before the arrival's read (the moment of the
# unplug, to within one 10 ms frame) to the read's command 2, and to the first frame chunk after.
#   bench/measure_replug.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source bench/common.sh

mkfifo "$work/vhid.in"
"$vhid" --devices kb --wire-log "$work/wire.jsonl" <"$work/vhid.in" >"$work/vhid.log" 2>&1 &
pids+=("$!")
exec 3>"$work/vhid.in"
wait_for "$work/vhid.log" "ok ready" 3000 || { echo "the emulator did not start" >&2; exit 1; }
"$program" 2>"$work/zelkar.log" &
pids+=("$!")
wait_for "$work/zelkar.log" "keyboard arrival: read and shown" 10000 || { echo "the keyboard was not taken up" >&2; exit 1; }
sleep 3   # the arrival's own later reads are over and the frames run

rounds=5
for round in $(seq 1 $rounds); do
  printf 'unplug kb\nplug kb\n' >&3
  sleep 3
done
sleep 1

python3 - "$work/wire.jsonl" "$rounds" <<'PY'
import json, sys
rows = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
out = [(r["t"], int(r["hex"][6:8], 16)) for r in rows if r["dev"] == "kb" and r["dir"] == "out"]
# A read of the whole keyboard: command 1 and then command 3 (device information), after frames.
# An arrival's read is followed about a second later by a second one (timer 1006); rounds are
# 3 s apart, so the first read of each of the last rounds' clusters is the arrival's.
reads = [i for i in range(1, len(out) - 1) if out[i][1] == 1 and out[i + 1][1] == 3 and out[i - 1][1] == 18]
firsts = [i for k, i in enumerate(reads) if k == 0 or out[i][0] - out[reads[k - 1]][0] > 2.0]
arrivals = firsts[-int(sys.argv[2]):]
for n, i in enumerate(arrivals, 1):
    gone = out[i - 1][0]
    k = next((j for j in range(i, len(out)) if out[j][1] == 2), None)
    frame = next((t for t, c in out[k:] if c == 18), None) if k is not None else None
    if frame is None:
        print(f"round {n}: no complete read or no frame after it")
        continue
    print(f"round {n}: read again {1000 * (out[k][0] - gone):.0f} ms, streaming {1000 * (frame - gone):.0f} ms after the unplug")
if len(firsts) < int(sys.argv[2]):
    print(f"only {len(firsts)} reads seen for {sys.argv[2]} replugs")
    sys.exit(1)
PY
