#!/usr/bin/env bash
# The program's CPU while it streams lighting frames, against the stream's floor, in one run on one
# machine (reported, not pass/fail):
#   1. the floor: bench/stream_floor alone sends the same frames (8 awaited exchanges every 10 ms)
#   2. the program on a private Xvfb, window shown on its first (lighting) tab, keyboard in wave mode
#   3. the same program offscreen
# Each figure is CPU per thread over 10 s as a share of one core, and the ratio to the floor. The
# threads are counted by the scheduler (/proc/PID/task/*/schedstat); CPU_METHOD=perf counts them
# with `perf stat --per-thread -e task-clock` instead, which itself costs a little on every switch.
# Each window of the emulator's wire log goes to bench/frame_gaps.py (frame gaps, median and p99).
#   bench/measure_lighting_cpu.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source bench/common.sh
floor="$build/bench/stream_floor"
[ -x "$floor" ] || { echo "build the stream_floor target first" >&2; exit 2; }
seconds=10
method="${CPU_METHOD:-schedstat}"
if [ "$method" = perf ] && ! command -v perf >/dev/null; then
  echo "perf is missing (Debian: linux-perf); counting with schedstat" >&2
  method=schedstat
fi


# Lines "tid name ns" for every thread of PID; the thread whose id is the process's is the UI thread.
threads_ns() {
  local t tid name ns
  for t in /proc/"$1"/task/*; do
    tid=${t##*/}
    read -r ns _ <"$t/schedstat" 2>/dev/null || continue
    name=$(tr ' ' '_' <"$t/comm" 2>/dev/null) || continue
    [ "$tid" = "$1" ] && name="$name(main)"
    echo "$tid $name $ns"
  done
}
# CPU of PID's threads over $seconds: "name tid percent" lines, busiest first, then "total - P".
measure() {  # PID OUT
  if [ "$method" = perf ]; then
    perf stat --per-thread -e task-clock -x, -p "$1" -- sleep "$seconds" 2>"$2.perf" >/dev/null || true
    awk -F, -v pid="$1" -v s="$seconds" '$3 == "msec" && $2 ~ /^[0-9.]+$/ {
        n = split($1, a, "-"); tid = a[n]; name = substr($1, 1, length($1) - length(tid) - 1)
        if (tid == pid) name = name "(main)"
        p = $2 / (10 * s); total += p; printf "%s %s %.3f\n", name, tid, p }
      END { printf "total - %.3f\n", total }' "$2.perf" | sort -k3 -gr >"$2"
  else
    threads_ns "$1" >"$2.before"
    sleep "$seconds"
    threads_ns "$1" >"$2.after"
    awk -v s="$seconds" 'NR == FNR { before[$1] = $3; next }
      { p = ($3 - before[$1]) / (1e7 * s); total += p; printf "%s %s %.3f\n", $2, $1, p }
      END { printf "total - %.3f\n", total }' "$2.before" "$2.after" | sort -k3 -gr >"$2"
  fi
}
total_of() { awk '$1 == "total" { print $3 }' "$1"; }
show() {  # TITLE OUT: the total, its ratio to the floor and the threads above 0.005 %
  local total; total=$(total_of "$2")
  awk -v t="$total" -v f="$floor_pct" -v title="$1" 'BEGIN {
    printf "%s: %.2f %% of one core = %.2f x the floor\n", title, t, (f > 0 ? t / f : 0) }'
  awk '$1 != "total" && $3 >= 0.005 { printf "    %-24s %7s %6.2f %%\n", $1, $2, $3 }' "$2"
}
wire_mark() { wc -l <"$work/wire.jsonl"; }
gaps() {  # FROM TO: frame gaps between two wire-log marks
  [ -f bench/frame_gaps.py ] || return 0
  sed -n "$(( $1 + 1 )),$2p" "$work/wire.jsonl" | python3 bench/frame_gaps.py - --dev kb 2>/dev/null |
    sed 's/^/    frame gaps: /' || echo "    frame gaps: not enough frames"
}

# ---- the emulator, its keyboard in wave mode ----------------------------------------------------
mkfifo "$work/vhid.in"
"$vhid" --devices kb --wire-log "$work/wire.jsonl" <"$work/vhid.in" >"$work/vhid.log" 2>&1 &
pids+=("$!")
exec 3>"$work/vhid.in"
wait_for "$work/vhid.log" "ok ready" 3000 || { echo "the emulator did not start" >&2; exit 1; }
# Lighting mode 0 (wave) in the keyboard's settings. On arrival the program applies its stored
# device profile over them; on a first start that is the default profile, whose effect is wave too.
echo "poke kb settings 1 00" >&3
wait_for "$work/vhid.log" "ok poked" 3000 || { echo "the emulator refused the poke" >&2; exit 1; }
echo "counting with $method over $seconds s; $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg)"

# ---- 1. the floor ---------------------------------------------------------------------------------
"$floor" $(( seconds + 2 )) >"$work/floor.out" 2>&1 &
floor_pid=$!
pids+=("$floor_pid")
sleep 1
from=$(wire_mark)
measure "$floor_pid" "$work/floor.cpu"
to=$(wire_mark)
wait "$floor_pid" || { echo "the floor did not stream" >&2; cat "$work/floor.out" >&2; exit 1; }
floor_pct=$(total_of "$work/floor.cpu")
echo "floor (800 awaited exchanges a second, nothing else): $floor_pct % of one core"
sed -n 's/^floor CPU (scheduler)/    its own count/p' "$work/floor.out"
gaps "$from" "$to"

# ---- 2 and 3. the program -------------------------------------------------------------------------
run_program() {  # TITLE LOG
  "$program" 2>"$2" &
  local pid=$!
  pids+=("$pid")
  wait_for "$2" "keyboard arrival: read and shown" 15000 || { echo "the keyboard was not taken up" >&2; tail "$2" >&2; exit 1; }
  sleep 2   # the stream starts 500 ms after the arrival; let start-up settle
  local from to; from=$(wire_mark)
  measure "$pid" "$2.cpu"
  to=$(wire_mark)
  show "$1" "$2.cpu"
  gaps "$from" "$to"
  stop "$pid"
}

if command -v Xvfb >/dev/null; then
  Xvfb -displayfd 4 -nolisten tcp -screen 0 1280x1024x24 4>"$work/xvfb-display" 2>/dev/null &
  pids+=("$!")
  for _ in $(seq 100); do [ -s "$work/xvfb-display" ] && break; sleep 0.05; done
  if [ -s "$work/xvfb-display" ]; then
    DISPLAY=":$(head -n1 "$work/xvfb-display")" QT_QPA_PLATFORM=xcb \
      run_program "the program on Xvfb, window shown" "$work/xvfb.log"
  else
    echo "Xvfb did not start; the visible run is skipped" >&2
  fi
else
  echo "no Xvfb; the visible run is skipped" >&2
fi
run_program "the program offscreen" "$work/offscreen.log"
