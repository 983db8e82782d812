# Sourced by the packaging checks: starts a zelkar offscreen in private folders and waits for
# lines of its debug log.
#   start_zelkar PROGRAM LOG     starts it (pid in $zelkar_pid), log to LOG
#   wait_for_log LOG TEXT        waits up to 30 s for TEXT in LOG
#   stop_zelkar                  SIGTERM, and its exit status must be 0
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a command in place of the calling shell with a private home, runtime folder and Qt offscreen:
# call it in a subshell, ( private_env HOME COMMAND... ), so the subshell's pid is the program's.
private_env() {
  local home="$1"
  shift
  mkdir -p "$home/run" && chmod 700 "$home/run"
  exec env -u ZELKAR_DEBUG -u DISPLAY XDG_RUNTIME_DIR="$home/run" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="zelkar.debug=true" "$@"
}

start_zelkar() {
  local program="$1" log="$2"
  (private_env "$(dirname "$log")/home" "$program") >"$log" 2>&1 &
  zelkar_pid=$!
}

wait_for_log() {
  local log="$1" text="$2"
  for _ in $(seq 300); do
    grep -qF -- "$text" "$log" && return 0
    kill -0 "$zelkar_pid" 2>/dev/null || break
    sleep 0.1
  done
  grep -qF -- "$text" "$log" && return 0
  cat "$log" >&2
  fail "no '$text' in the program's log"
}

stop_zelkar() {
  kill -TERM "$zelkar_pid" 2>/dev/null
  local status=0
  wait "$zelkar_pid" || status=$?
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
