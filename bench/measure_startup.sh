#!/usr/bin/env bash
# Start-up, memory and idle figures of the real program (reported, not pass/fail):
#   - time from exec to the main window's first paint, with the emulated keyboard connected
#   - resident memory two seconds after start
#   - CPU over 10 s with the keyboard connected and frames streaming (user and system time)
#   - CPU over 10 s while idle with no device (the no-device box open, timers and workers running)
# Runs offscreen in private folders; never touches the user's runtime folder or files.
#   bench/measure_startup.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source bench/common.sh
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # utime + stime
# Time on a CPU in ns, summed over the threads (the scheduler's own count; finer than ticks).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%d\n", t }'; }
cpu_split() { awk '{ print $14, $15 }' "/proc/$1/stat"; }   # utime stime
hz=$(getconf CLK_TCK)
report_cpu() {  # TEXT USER_TICKS SYSTEM_TICKS (over 10 s)
  awk -v u="$2" -v s="$3" -v hz="$hz" -v text="$1" \
    'BEGIN { printf "%s: %.2f %% of one core over 10 s (user %.2f %%, system %.2f %%)\n", text, 100 * (u + s) / (hz * 10), 100 * u / (hz * 10), 100 * s / (hz * 10) }'
}

# ---- start-up and memory, keyboard connected --------------------------------------------------
"$vhid" --devices kb </dev/null >"$work/vhid.log" 2>&1 &
vhid_pid=$!
pids+=("$vhid_pid")
wait_for "$work/vhid.log" "ok ready" 3000 || { echo "the emulator did not start" >&2; exit 1; }

runs=5
for run in $(seq 1 $runs); do
  start=$(now_ms)
  "$program" 2>"$work/startup.log" &
  pid=$!
  pids+=("$pid")
  wait_for "$work/startup.log" "first paint" 5000 || { echo "no first paint" >&2; cat "$work/startup.log" >&2; exit 1; }
  seen=$(now_ms)
  own=$(sed -n 's/.*first paint \([0-9]*\) ms after start.*/\1/p' "$work/startup.log" | head -1)
  echo "run $run: first paint ${own} ms after main's start, $(( seen - start )) ms after exec (as seen from outside)"
  if [ "$run" -eq "$runs" ]; then
    sleep 2
    echo "resident memory 2 s after start (keyboard connected): $(( $(rss_kb "$pid") / 1024 )) MB"
    # Frames stream every 10 ms from here on; nothing else runs.
    read -r u0 s0 < <(cpu_split "$pid")
    n0=$(cpu_ns "$pid")
    e0=$(cpu_ns "$vhid_pid")
    sleep 10
    read -r u1 s1 < <(cpu_split "$pid")
    n1=$(cpu_ns "$pid")
    e1=$(cpu_ns "$vhid_pid")
    awk -v n=$(( n1 - n0 )) -v e=$(( e1 - e0 )) 'BEGIN {
      printf "CPU with the keyboard connected and no effect running: %.2f %% of one core over 10 s\n", n / 1e8
      printf "  the emulator, answering the frames: %.2f %% of one core\n", e / 1e8 }'
    report_cpu "  the program by clock ticks" $(( u1 - u0 )) $(( s1 - s0 ))
  fi
  stop "$pid"
done
stop "$vhid_pid"

# ---- idle, no device --------------------------------------------------------------------------
"$program" 2>"$work/idle.log" &
pid=$!
pids+=("$pid")
wait_for "$work/idle.log" "showing message_text_1" 5000 || { echo "the no-device box did not show" >&2; exit 1; }
sleep 2
before=$(cpu_ticks "$pid")
sleep 10
after=$(cpu_ticks "$pid")
awk -v t=$(( after - before )) -v hz="$hz" \
  'BEGIN { printf "CPU while idle with no device: %d ticks in 10 s = %.2f %% of one core\n", t, 100 * t / (hz * 10) }'
echo "resident memory while idle: $(( $(rss_kb "$pid") / 1024 )) MB"
stop "$pid"
