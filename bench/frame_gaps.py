#!/usr/bin/env python3
"""Gaps between the lighting frames the program sends, from a zelkar-vhid wire log.

    bench/frame_gaps.py WIRE_LOG [--dev kb]     (WIRE_LOG "-" reads standard input)

A frame starts with the command 18 request at address 0; the time between one frame start and
the next is a gap. A request at address 0 that repeats the previous request of the device
before any answer came is a retry of the same chunk, not a new frame. Prints the number of
frame starts and the count, median and 99th percentile (both nearest rank), minimum and maximum of the
gaps in milliseconds. Lines that are not wire records are skipped and counted on stderr.
Exit status 0; 1 when fewer than two frame starts were found; 2 for a bad command line.
"""
import argparse
import json
import math
import sys

STREAM_FRAME = 18
COMMAND_REPORT_ID = 4


def frame_starts(lines, dev):
    """Times (s) of the frame starts sent to dev, and the number of lines that were skipped."""
    starts = []
    skipped = 0
    unanswered = None  # the device's last request while no answer has come since
    for line in lines:
        line = line.strip()
        if not line:
            continue
        try:
            record = json.loads(line)
            t = float(record["t"])
            report = bytes.fromhex(record["hex"])
            direction = record["dir"]
            if direction not in ("in", "out") or not math.isfinite(t):
                raise ValueError(direction)
        except (ValueError, KeyError, TypeError):
            skipped += 1
            continue
        if record.get("dev") != dev:
            continue
        if direction == "in":
            unanswered = None
            continue
        is_start = (len(report) == 64 and report[0] == COMMAND_REPORT_ID and report[3] == STREAM_FRAME
                    and report[5] == 0 and report[6] == 0)
        if is_start and report != unanswered:
            starts.append(t)
        unanswered = report
    return starts, skipped


def percentile(sorted_values, p):
    rank = max(1, math.ceil(p / 100 * len(sorted_values)))
    return sorted_values[rank - 1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("wire_log", help='the JSON-lines wire log, or "-" for standard input')
    parser.add_argument("--dev", default="kb", help="the device the frames go to (default kb)")
    args = parser.parse_args()

    try:
        if args.wire_log == "-":
            starts, skipped = frame_starts(sys.stdin, args.dev)
        else:
            with open(args.wire_log, encoding="utf-8", errors="replace") as f:
                starts, skipped = frame_starts(f, args.dev)
    except OSError as e:
        print(f"frame_gaps: {e}", file=sys.stderr)
        return 2
    if skipped:
        print(f"frame_gaps: skipped {skipped} lines that are not wire records", file=sys.stderr)
    print(f"frame starts to {args.dev}: {len(starts)}")
    if len(starts) < 2:
        print("fewer than two frame starts: no gap to measure")
        return 1
    gaps = sorted((b - a) * 1000 for a, b in zip(starts, starts[1:]))
    print(f"gaps: {len(gaps)}  median {percentile(gaps, 50):.2f} ms  99th percentile {percentile(gaps, 99):.2f} ms  "
          f"min {gaps[0]:.2f} ms  max {gaps[-1]:.2f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
