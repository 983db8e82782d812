#!/usr/bin/env python3
"""Kill test: SIGKILL at random moments of the program's writes, then a look at what it left.

The program and zelkar-vhid run as separate processes in private folders. Each round picks a
kind of write and kills the program at a random moment of it:
  first-run    a data folder that does not exist yet: the first run writes the lists and profiles
  arrival      the keyboard plugged in: its read and the stored device profile applied and saved
  read-all     the keyboard asks to be read again (0x0402): the device profile file is saved
  reread       the keyboard's settings changed (0x0401): block 0 is read again and saved
After each kill: every profile file is whole (the header, the size of its kind) and either what
it was before the round or a complete new one, no profile file or INI file is lost, and every
INI file is text that parses (section headers and key lines); then the program is started again
and must take up the keyboard ("the next start works").

  tools/soak/killtest.py [--build build] [--rounds 100] [--seed 1]
Exit status 0 when every round passed.
"""
import argparse, hashlib, os, random, shutil, signal, subprocess, sys, tempfile, time

ARRIVED = "keyboard arrival: read and shown"
PAYLOAD = {("kb", ".config"): 2560, ("kb", ".led"): 2048, ("kb", ".pro"): 512, ("ms", ".config"): 576,
           ("ms", ".led"): 64, ("ms", ".pro"): 512, ("mp", ".led"): 64}


def snapshot(root):
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                files[path] = f.read()
    return files


def ini_parses(data):
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        return False
    for line in text.splitlines():
        s = line.strip()
        if not s or s.startswith(";") or (s.startswith("[") and "]" in s) or "=" in s:
            continue
        return False
    return True


class KillTest:
    def __init__(self, args):
        self.args = args
        self.random = random.Random(args.seed)
        self.work = tempfile.mkdtemp(prefix="zelkar-kill.")
        self.home = os.path.join(self.work, "home")
        run = os.path.join(self.work, "run")
        os.makedirs(run, mode=0o700)
        os.makedirs(self.home)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, HOME=self.home, QT_QPA_PLATFORM="offscreen",
                        QT_LOGGING_RULES="zelkar.debug=true")
        self.env.pop("ZELKAR_DEBUG", None)
        self.trace = os.path.join(self.work, "zelkar.log")
        self.program = None
        self.problems = []
        self.kinds = {}

    def say(self, line):
        self.vhid.stdin.write((line + "\n").encode())
        self.vhid.stdin.flush()

    def arrivals(self):
        with open(self.trace, errors="replace") as f:
            return f.read().count(ARRIVED)

    def start_program(self):
        open(self.trace, "w").close()
        self.program = subprocess.Popen([f"{self.args.build}/bin/zelkar"], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=open(self.trace, "a"))

    def wait_arrival(self, n, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.arrivals() >= n:
                return True
            if self.program.poll() is not None:
                return False
            time.sleep(0.005)
        return False

    def kill(self):
        if self.program and self.program.poll() is None:
            self.program.send_signal(signal.SIGKILL)
            self.program.wait()

    def check(self, before, kind, round_):
        after = snapshot(self.home)
        for path, data in after.items():
            name = os.path.basename(path)
            folder = os.path.basename(os.path.dirname(path))
            ext = os.path.splitext(name)[1].lower()
            where = f"round {round_} ({kind}): {os.path.relpath(path, self.home)}"
            if ext == ".ini":
                if not ini_parses(data):
                    self.problems.append(where + " does not parse")
            elif (folder, ext) in PAYLOAD:
                whole = len(data) == 16 + PAYLOAD[(folder, ext)] and data[:2] == b"\xAA\x55"
                if data != before.get(path) and not whole:
                    self.problems.append(where + f" is torn ({len(data)} bytes)")
        for path in before:
            if path not in after and os.path.splitext(path)[1].lower() in (".ini", ".config", ".led", ".pro"):
                self.problems.append(f"round {round_} ({kind}): {os.path.relpath(path, self.home)} is lost")

    def round(self, n):
        kind = self.random.choice(["first-run", "arrival", "arrival", "read-all", "reread"])
        self.kinds[kind] = self.kinds.get(kind, 0) + 1
        moment = self.random.randint(0, 800) / 1000
        if kind == "first-run":
            self.kill()
            shutil.rmtree(self.home)
            os.makedirs(self.home)
            before = {}
            self.start_program()
            time.sleep(moment * 2)
        else:
            before = snapshot(self.home)
            if kind == "arrival":
                self.say("unplug kb")
                time.sleep(0.3)
                self.say("plug kb")
            else:
                self.say("notify kb " + ("0x0402" if kind == "read-all" else "0x0401"))
            time.sleep(moment)
        self.kill()
        self.check(before, kind, n)
        self.say("unplug kb")
        self.say("plug kb")
        self.start_program()
        if not self.wait_arrival(1, 15):
            self.problems.append(f"round {n} ({kind}): the next start did not take up the keyboard")
            self.kill()
            self.start_program()
            self.wait_arrival(1, 15)

    def run(self):
        self.vhid = subprocess.Popen([f"{self.args.build}/sim/zelkar-vhid", "--devices", "kb"],
                                     stdin=subprocess.PIPE, env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        self.start_program()
        if not self.wait_arrival(1, 15):
            raise SystemExit("killtest: the program did not take up the keyboard")
        began = time.monotonic()
        for n in range(1, self.args.rounds + 1):
            self.round(n)
        self.kill()
        self.vhid.stdin.close()
        self.vhid.send_signal(signal.SIGTERM)
        self.vhid.wait(5)
        print(f"killtest: {self.args.rounds} kills (seed {self.args.seed}) in {time.monotonic() - began:.0f} s: " +
              ", ".join(f"{k} {v}" for k, v in sorted(self.kinds.items())))
        print(f"  problems: {len(self.problems)}")
        for p in self.problems[:20]:
            print("  " + p)
        if not self.problems:
            shutil.rmtree(self.work, ignore_errors=True)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", default="build")
    p.add_argument("--rounds", type=int, default=100)
    p.add_argument("--seed", type=int, default=1)
    test = KillTest(p.parse_args())
    try:
        test.run()
    finally:
        for proc in (test.program, getattr(test, "vhid", None)):
            if proc and proc.poll() is None:
                proc.kill()
    sys.exit(1 if test.problems else 0)


if __name__ == "__main__":
    main()
