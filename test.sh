#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh          plain build in build/
#   ./test.sh --asan   Address + UndefinedBehavior sanitizers in build-asan/
#   ./test.sh --tsan   ThreadSanitizer in build-tsan/
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

sanitize="" build="build"
case "${1:-}" in
  "") ;;
  --asan) sanitize="address" build="build-asan" ;;
  --tsan) sanitize="thread" build="build-tsan" ;;
  *) echo "usage: ./test.sh [--asan|--tsan]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DZELKAR_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j2

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Qt itself is not built with ThreadSanitizer; tests/tsan.supp names only Qt's own libraries.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"
# The end-to-end tests fail here, rather than skip, when the program or the emulator is missing.
export ZELKAR_REQUIRE_PROGRAMS=1
# Tests never touch the user's runtime folder or a running emulator.
export XDG_RUNTIME_DIR="$(mktemp -d /tmp/zelkar-test-runtime.XXXXXX)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT
# The X11 key-capture tests grab the keyboard of a real X server: without a display of our own,
# they get a private Xvfb (every other test runs Qt offscreen and never sees it).
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$XDG_RUNTIME_DIR/xvfb-display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$XDG_RUNTIME_DIR/xvfb-display" ] && break
    sleep 0.05
  done
  if [ -s "$XDG_RUNTIME_DIR/xvfb-display" ]; then
    export DISPLAY=":$(head -n1 "$XDG_RUNTIME_DIR/xvfb-display")"
  else
    echo "test.sh: Xvfb did not start; the X11 tests will be skipped" >&2
  fi
fi
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
