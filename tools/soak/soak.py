#!/usr/bin/env python3
"""Soak: the program and zelkar-vhid as separate processes, put through N cycles of the things
that happen to a keyboard family on a real desk, then a report.

Each cycle is one of (picked at random, seeded):
  replug       unplug kb, wait 0..300 ms, plug kb (0 ms: "unplug kb" and "plug kb" in one go)
  fault        the keyboard is unplugged in the middle of a read-all (fault kb unplug-after K
               during the read a 0x0402 notification starts), then plugged again
  silent       the keyboard stops answering for a while (fault kb drop N), then answers again
  units        the small and companion keyboards come and go
  burst        a burst of 0x0401 and 0x0402 notifications
After every plug of the keyboard the program must read it again ("keyboard arrival: read and
shown" in its trace) within --reread-limit seconds: otherwise the cycle counts a missed re-read.
A program that has ended counts a crash; one that does not end within 3 s of SIGTERM at the end
counts a hang. RSS and CPU time are sampled after the warm-up and at the end.

  tools/soak/soak.py [--build build] [--cycles 50] [--seed 1] [--reread-limit 3]
Exit status 0 when there was no crash, hang or missed re-read.
"""
import argparse, os, random, shutil, signal, subprocess, sys, tempfile, time

ARRIVED = "keyboard arrival: read and shown"


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Soak:
    def __init__(self, args):
        self.args = args
        self.random = random.Random(args.seed)
        self.work = tempfile.mkdtemp(prefix="zelkar-soak.")
        run = os.path.join(self.work, "run")
        os.makedirs(run, mode=0o700)
        os.makedirs(os.path.join(self.work, "home"))
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, HOME=os.path.join(self.work, "home"),
                        QT_QPA_PLATFORM="offscreen", QT_LOGGING_RULES="zelkar.debug=true")
        self.env.pop("ZELKAR_DEBUG", None)
        self.trace_path = os.path.join(self.work, "zelkar.log")
        self.vhid_log = os.path.join(self.work, "vhid.log")
        self.crashes = self.hangs = self.missed = 0
        self.kinds = {}

    # ---- processes --------------------------------------------------------------------------
    def start(self):
        build = self.args.build
        # The emulator reads its console from a pipe we keep open.
        self.vhid = subprocess.Popen([f"{build}/sim/zelkar-vhid", "--devices", "kb"], stdin=subprocess.PIPE,
                                     env=self.env, stdout=open(self.vhid_log, "w"), stderr=subprocess.STDOUT)
        self.wait_text(self.vhid_log, "ok ready", 1, 5)
        self.program = subprocess.Popen([f"{build}/bin/zelkar"], env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=open(self.trace_path, "w"))
        if not self.wait_text(self.trace_path, ARRIVED, 1, 15):
            raise SystemExit("soak: the program did not take up the keyboard")

    def say(self, line):
        self.vhid.stdin.write((line + "\n").encode())
        self.vhid.stdin.flush()

    def count(self, path, text):
        with open(path, errors="replace") as f:
            return f.read().count(text)

    def wait_text(self, path, text, n, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.count(path, text) >= n:
                return True
            time.sleep(0.005)
        return False

    def alive(self):
        return self.program.poll() is None

    # ---- cycles -----------------------------------------------------------------------------
    def expect_reread(self, before, started):
        if self.wait_text(self.trace_path, ARRIVED, before + 1, self.args.reread_limit):
            self.reread_ms.append((time.monotonic() - started) * 1000)
        else:
            self.missed += 1

    def replug(self, gap_ms):
        before = self.count(self.trace_path, ARRIVED)
        self.say("unplug kb")
        if gap_ms:
            time.sleep(gap_ms / 1000)
        started = time.monotonic()
        self.say("plug kb")
        self.expect_reread(before, started)

    def cycle(self, kind):
        r = self.random
        if kind == "replug":
            self.replug(r.choice([0, 0, r.randint(0, 300)]))
        elif kind == "fault":
            self.say(f"fault kb unplug-after {r.randint(0, 18)}")
            self.say("notify kb 0x0402")
            time.sleep(r.randint(0, 300) / 1000)
            before = self.count(self.trace_path, ARRIVED)
            self.say("plug kb")  # refused while still plugged: the fault may not have fired yet
            time.sleep(0.05)
            self.say("fault kb clear")
            started = time.monotonic()
            self.say("unplug kb")
            self.say("plug kb")
            self.expect_reread(before, started)
        elif kind == "silent":
            self.say(f"fault kb drop {r.randint(1, 40)}")
            self.say("notify kb 0x0402")
            time.sleep(r.randint(100, 600) / 1000)
            self.say("fault kb clear")
        elif kind == "units":
            for unit in r.sample(["small", "companion"], 2):
                self.say(f"plug {unit}")
                time.sleep(r.randint(0, 300) / 1000)
            for unit in r.sample(["small", "companion"], 2):
                self.say(f"unplug {unit}")
                time.sleep(r.randint(0, 100) / 1000)
        elif kind == "burst":
            for _ in range(r.randint(5, 30)):
                self.say("notify kb " + r.choice(["0x0401", "0x0401", "0x0402"]))
            time.sleep(0.2)

    def run(self):
        self.reread_ms = []
        self.start()
        kinds = ["replug", "replug", "fault", "silent", "units", "burst"]
        warm = max(1, self.args.cycles // 10)
        base = None
        began = time.monotonic()
        for n in range(self.args.cycles):
            kind = self.random.choice(kinds)
            self.kinds[kind] = self.kinds.get(kind, 0) + 1
            self.cycle(kind)
            if not self.alive():
                self.crashes += 1
                break
            if n + 1 == warm:
                base = (rss_kb(self.program.pid), cpu_seconds(self.program.pid), time.monotonic())
        end = None
        if self.alive():
            end = (rss_kb(self.program.pid), cpu_seconds(self.program.pid), time.monotonic())
            self.program.send_signal(signal.SIGTERM)
            try:
                self.program.wait(3)
            except subprocess.TimeoutExpired:
                self.hangs += 1
                self.program.kill()
        self.vhid.stdin.close()
        self.vhid.send_signal(signal.SIGTERM)
        self.vhid.wait(5)
        self.report(began, base, end)

    def report(self, began, base, end):
        a = self.args
        print(f"soak: {a.cycles} cycles (seed {a.seed}) in {time.monotonic() - began:.0f} s: " +
              ", ".join(f"{k} {v}" for k, v in sorted(self.kinds.items())))
        print(f"  crashes {self.crashes}, hangs {self.hangs}, missed re-reads {self.missed}")
        if self.reread_ms:
            s = sorted(self.reread_ms)
            print(f"  plug to re-read: median {s[len(s) // 2]:.0f} ms, 95% {s[int(len(s) * .95)]:.0f} ms, "
                  f"max {s[-1]:.0f} ms over {len(s)} plugs")
        if base and end:
            minutes = (end[2] - base[2]) / 60 or 1
            print(f"  RSS {base[0] / 1024:.1f} MB after warm-up, {end[0] / 1024:.1f} MB at the end "
                  f"({(end[0] - base[0]) / 1024:+.1f} MB)")
            print(f"  CPU {(end[1] - base[1]) / (end[2] - base[2]) * 100:.1f} % of a core between them")
        self.failed = self.crashes or self.hangs or self.missed
        if self.failed:
            print(f"  the program's trace is kept: {self.trace_path}")
        else:
            shutil.rmtree(self.work, ignore_errors=True)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", default="build")
    p.add_argument("--cycles", type=int, default=50)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--reread-limit", type=float, default=3.0)
    soak = Soak(p.parse_args())
    try:
        soak.run()
    finally:
        for proc in (getattr(soak, "program", None), getattr(soak, "vhid", None)):
            if proc and proc.poll() is None:
                proc.kill()
    sys.exit(1 if soak.failed else 0)


if __name__ == "__main__":
    main()
