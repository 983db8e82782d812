#!/usr/bin/env bash
# Checks the udev rule: its content (lower-case ids of all five products, uaccess, the file name
# sorting before 73-seat-late) and, where we may install a rules file, that udevadm parses it
# without complaint. Exit 77 (skipped) where udevadm cannot be run that way.
set -uo pipefail
udevadm="$1" rule="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

name="$(basename "$rule")"
[[ "$name" < "73-seat-late.rules" ]] || fail "$name does not sort before 73-seat-late.rules"
for pid in 751d 761e 7624 6656 6758; do
  grep -q "ATTRS{idVendor}==\"0c45\", ATTRS{idProduct}==\"$pid\", TAG+=\"uaccess\"" "$rule" || fail "no uaccess line for 0c45:$pid"
done
grep -E 'id(Vendor|Product)}=="[^"]*[A-F]' "$rule" && fail "ids must be lower-case hex"

rules_dir=/run/udev/rules.d
if ! mkdir -p "$rules_dir" 2>/dev/null || [ ! -w "$rules_dir" ]; then
  echo "udevadm parse skipped: $rules_dir is not writable"
  exit 77
fi
copy="$rules_dir/70-zelkar-selftest-$$.rules"
cp "$rule" "$copy"
trap 'rm -f "$copy"' EXIT
out="$("$udevadm" test --action=add /sys/class/mem/null 2>&1)"
echo "$out" | grep -q "$(basename "$copy")" || { echo "$out" | tail -n 20; echo "udevadm did not read the rule; skipped"; exit 77; }
bad="$(echo "$out" | grep "$(basename "$copy")" | grep -i -E 'invalid|error|unknown|failed|ignor')"
[ -z "$bad" ] || fail "udevadm complains: $bad"
echo "udevadm parsed $name cleanly"
