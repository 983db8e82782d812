#!/usr/bin/env bash
# The program finds its skin and default profile files beside itself in the build tree and under
# ../share/zelkar when installed (here under a prefix with spaces), and says which folder is
# missing instead of showing a blank window. Also its command line: --version, --help, refusals.
#   check-program-data.sh CMAKE BUILD_DIR
set -uo pipefail
cmake="$1" build="$(cd "$2" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/start-offscreen.sh"
tmp="$(mktemp -d /tmp/zelkar-data-check.XXXXXX)"
trap '[ -n "${zelkar_pid:-}" ] && kill "$zelkar_pid" 2>/dev/null; rm -rf "$tmp"' EXIT

# The command line, before any window.
version="$("$build/bin/zelkar" --version)" || fail "--version failed"
[[ "$version" =~ ^zelkar\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
"$build/bin/zelkar" --help | grep -q -- "--version" || fail "--help does not list --version"
"$build/bin/zelkar" --frobnicate 2>"$tmp/err" && fail "an unknown option was accepted"
"$build/bin/zelkar" --frobnicate 2>/dev/null; [ $? -eq 2 ] || fail "an unknown option does not exit 2"
grep -q "unknown option '--frobnicate'" "$tmp/err" || fail "no clear error for an unknown option: $(cat "$tmp/err")"

# The build tree.
mkdir -p "$tmp/build-run"
start_zelkar "$build/bin/zelkar" "$tmp/build-run/log"
wait_for_log "$tmp/build-run/log" "skin folder: $build/bin/skin, defaults folder: $build/bin/defaults/"
wait_for_log "$tmp/build-run/log" "InitWindow"
wait_for_log "$tmp/build-run/log" "showing message_text_1"  # the no-device box: up and running
stop_zelkar

# An installed tree under a prefix with spaces.
prefix="$tmp/a prefix/with spaces"
"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "cmake --install"; }
mkdir -p "$tmp/installed-run"
start_zelkar "$prefix/bin/zelkar" "$tmp/installed-run/log"
wait_for_log "$tmp/installed-run/log" "skin folder: $prefix/share/zelkar/skin, defaults folder: $prefix/share/zelkar/defaults/"
wait_for_log "$tmp/installed-run/log" "InitWindow"
wait_for_log "$tmp/installed-run/log" "showing message_text_1"  # the no-device box: up and running
stop_zelkar

# The program alone, with no skin anywhere: a message naming the folder and status 1.
mkdir -p "$tmp/lonely/bin"
cp "$build/bin/zelkar" "$tmp/lonely/bin/"
status=0
(private_env "$tmp/lonely" "$tmp/lonely/bin/zelkar") >"$tmp/lonely.log" 2>&1 || status=$?
[ "$status" -eq 1 ] || { cat "$tmp/lonely.log"; fail "without a skin folder the status is $status"; }
grep -qF "$tmp/lonely/bin/skin" "$tmp/lonely.log" || fail "the message does not name the folder: $(cat "$tmp/lonely.log")"

# A skin folder without its main layout: named too.
mkdir -p "$tmp/lonely/bin/skin"
status=0
(private_env "$tmp/lonely" "$tmp/lonely/bin/zelkar") >"$tmp/lonely.log" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "with an empty skin folder the status is $status"
grep -qF "$tmp/lonely/bin/skin/main.xml" "$tmp/lonely.log" || fail "the message does not name the layout: $(cat "$tmp/lonely.log")"
echo "the program finds its data in the build tree and in an installed tree"
