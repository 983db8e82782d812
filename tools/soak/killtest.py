#!/usr/bin/env python3
"""Kill test: SIGKILL at random moments of the program's writes, then a look at what it left.

The program and zelkar-vhid run as separate processes in private folders, the program's window
on a private Xvfb with its own session and accessibility buses (tools/atspi/atspi_driver.py),
where the test works its controls through AT-SPI as a person would. Each round picks one of six
kinds of write, each as often as the others, and kills the program at a random moment of it:
  first-run      a data folder that does not exist yet: the first run writes the lists and profiles
  arrival        the keyboard plugged in: its read and the stored device profile applied and saved
  read-all       the keyboard asks to be read again (0x0402): the device profile file is saved
  reread         the keyboard's settings changed (0x0401): block 0 is read again and saved
  key-assign     on the key page a key gets a media function and "save to device" is pressed:
                 the key table goes to the keyboard, then the key profile (.pro) and the device
                 profile (.config) are saved
  profile-panel  in the panel of the keyboard's device, lighting or key profiles a profile is
                 added, renamed or another one selected (a list of one entry first gets a second,
                 not killed): the entry's file and kbProfile.ini are written, and the selected
                 profile is applied and saved
The moment is 0 to 800 ms after the notification or the plug, 0 to 1.6 s into the first run, and
for the two actions in the window 0 to 300 ms after the control is worked (a push button acts
about 100 ms after its press; a selection, which the program takes at once, 0 to 60 ms). The
writes themselves take a few ms, so once a round has seen when an action's files were written
(their change times), every other kill of that action falls within that span: the kills land
before, during and after the writes.
After each kill: every profile file is whole (the header, the size of its kind) and either what
it was before the round or a complete new one, no profile file or INI file is lost, and every
INI file is text that parses (section headers and key lines); then the program is started again
and must take up the keyboard ("the next start works"). A rename deletes the entry's old file:
that file may be gone once the INI file names the new one in its place.

The summary gives each kind's kills, in how many of them a file was written before the kill
("wrote") and in how many a write was cut off (a temporary file left behind, "mid-write"), and
the span of each window action's writes. A round whose window action could not be carried out
is listed as not driven.

  tools/soak/killtest.py [--build build] [--rounds 100] [--seed 1]
Exit status 0 when every round passed and was driven. Needs what atspi_driver.py needs; the
script runs itself under the system's Python, which has the AT-SPI binding.
"""
import argparse, os, random, re, shutil, signal, subprocess, sys, tempfile, threading, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "atspi"))
import atspi_driver  # noqa: E402


ARRIVED = "keyboard arrival: read and shown"
PAYLOAD = {("kb", ".config"): 2560, ("kb", ".led"): 2048, ("kb", ".pro"): 512, ("ms", ".config"): 576,
           ("ms", ".led"): 64, ("ms", ".pro"): 512, ("mp", ".led"): 64}
KINDS = ["first-run", "arrival", "read-all", "reread", "key-assign", "profile-panel"]
# The keyboard's profile panels: the page tab that shows the panel (the device panel shows on
# every keyboard page), the prefixes of the panel's list and buttons, the kind in the INI
# file's section names and the entries' file extension.
PANELS = {"device": ("kb_key_Op_tab", "kb_device_profile", "kb_pro_device", "DEVICE", ".config"),
          "lighting": ("kb_deng_Op_tab", "kb_deng_profile", "kb_pro_deng", "DENG", ".led"),
          "keys": ("kb_key_Op_tab", "kb_key_profile", "kb_pro_key", "", ".pro")}
MEDIA_TYPE = 7  # the item of the function type combo "kb_key_fct_combo" for media keys


class Undriven(Exception):
    """A window action that could not be carried out: the round tested nothing."""


def snapshot(root, ids=None):
    """Every file's content; ids, when given, gets each file's inode and change time, which tell
    that a file was written again even with the content it had."""
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            try:
                with open(path, "rb") as f:
                    files[path] = f.read()
                    if ids is not None:
                        st = os.fstat(f.fileno())
                        ids[path] = (st.st_ino, st.st_ctime_ns)
            except FileNotFoundError:  # a temporary file the running program just renamed
                pass
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


def ini_section(data, section):
    """The key lines of one section of an INI text, as a dict."""
    values, current = {}, None
    for line in data.decode("utf-8", "replace").splitlines():
        s = line.strip()
        if s.startswith("[") and "]" in s:
            current = s[1:s.index("]")]
        elif current == section and "=" in s:
            key, _, value = s.partition("=")
            values[key.strip()] = value.strip()
    return values


class KillTest:
    def __init__(self, args, session):
        self.args = args
        self.random = random.Random(args.seed)
        self.work = tempfile.mkdtemp(prefix="zelkar-kill.")
        self.home = os.path.join(self.work, "home")
        self.kb = os.path.join(self.home, "Documents", "ZELKAR", "kb")
        run = os.path.join(self.work, "run")
        os.makedirs(run, mode=0o700)
        os.makedirs(self.home)
        self.atspi = session.atspi()
        self.env = dict(atspi_driver.program_env(session.env), XDG_RUNTIME_DIR=run, HOME=self.home,
                        QT_LOGGING_RULES="zelkar.debug=true")
        self.env.pop("ZELKAR_DEBUG", None)
        self.env.pop("XDG_CONFIG_HOME", None)  # the documents folder, and so the data folder, in HOME
        self.trace = os.path.join(self.work, "zelkar.log")
        self.program = None
        self.walked, self.found = None, {}
        self.spans = {}  # action -> (first, last) write seen, ms after the control was worked
        self.actions = {}  # action -> kills
        self.problems = []
        self.undriven = []
        self.kinds = {}

    def say(self, line):
        self.vhid.stdin.write((line + "\n").encode())
        self.vhid.stdin.flush()

    def arrivals(self):
        with open(self.trace, errors="replace") as f:
            return f.read().count(ARRIVED)

    def start_program(self):
        with open(self.trace, "w") as trace:
            self.program = subprocess.Popen([f"{self.args.build}/bin/zelkar"], env=self.env,
                                            stdout=subprocess.DEVNULL, stderr=trace)

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

    # ---- the window, through AT-SPI ------------------------------------------------------------

    def control(self, name):
        """A control of the running program by its control name; the tree is walked once a start."""
        if self.walked != self.program.pid:
            app = atspi_driver.find_application(self.atspi, "zelkar", 15, self.program.pid)
            self.found = atspi_driver.by_control_name(app) if app is not None else {}
            self.walked = self.program.pid
        node = self.found.get(name)
        if node is None:
            raise Undriven(f"{name} not found")
        return node

    def press(self, name, settle=0.25):
        """Presses a button or an option; a push button clicks only after its press shows."""
        if not atspi_driver.press(self.control(name)):
            raise Undriven(f"{name} refused the press")
        time.sleep(settle)

    def item(self, name, index):
        node = atspi_driver.item_of(self.control(name), str(index))
        if node is None:
            raise Undriven(f"{name} has no item {index}")
        return node

    def choose(self, name, index, settle=0.1):
        if not atspi_driver.press(self.item(name, index)):
            raise Undriven(f"{name} refused item {index}")
        time.sleep(settle)

    def wait_showing(self, name, seconds=3):
        node = self.control(name)
        deadline = time.monotonic() + seconds
        while not atspi_driver.showing(self.atspi, node):
            if time.monotonic() > deadline:
                raise Undriven(f"{name} is not shown")
            time.sleep(0.05)

    def kill_moment(self, action, window):
        """Seconds from working the control to the kill: 0 to window ms, or every other time, once
        a round has seen the action's writes, within the span they took."""
        span = self.spans.get(action)
        if span and self.random.random() < 0.5:
            self.moment = self.random.uniform(span[0], span[1])
        else:
            self.moment = self.random.randint(0, window)
        return self.moment / 1000

    def learn_writes(self, action, ids_after):
        """The span of the action's writes, in ms after the control was worked, from the change
        times of the files a round wrote; only rounds whose kill came after the last write."""
        moments = sorted((ids_after[p][1] - self.worked_at) / 1e6 for p in ids_after
                         if ids_after[p] != self.ids_before.get(p))
        if moments and self.moment > moments[-1] + 10:
            first, last = self.spans.get(action, (moments[0], moments[-1]))
            self.spans[action] = (min(first, moments[0]), max(last, moments[-1]))

    def kill_during(self, moment, trigger):
        """Works the control and kills the program moment seconds after it was worked, on a thread
        of its own: the program may take the action before the AT-SPI call returns."""
        killer = threading.Timer(moment, self.kill)
        self.worked_at = time.time_ns()
        killer.start()
        try:
            done = trigger()
        except Exception:  # the program died under the call
            done = True
        refused = not done and self.program.poll() is None  # a call cut short by the kill is no refusal
        killer.join()
        if refused:
            raise Undriven("the control refused the action")

    # ---- the two window actions: each answers what the action is, what works the control, the
    # ---- kill window in ms and the file a rename may delete

    def prepare_key_assign(self):
        """Key page, a key opened and given a media function; the trigger saves to the device."""
        self.press("kb_tab")
        self.press("kb_key_Op_tab")
        self.wait_showing("kb_key_butt_prosave")
        keys = [n for n in self.found if re.fullmatch(r"kb_key_\d+", n)]
        keys = [n for n in sorted(keys) if atspi_driver.showing(self.atspi, self.found[n])]
        if not keys:
            raise Undriven("no key of the keyboard is shown")
        self.press(self.random.choice(keys))
        self.wait_showing("kb_key_fct_combo")
        self.choose("kb_key_fct_combo", MEDIA_TYPE)
        media = self.control("kb_key_fct_combo_21")
        self.choose("kb_key_fct_combo_21", self.random.randrange(max(1, media.get_child_count())))
        save = self.control("kb_key_butt_prosave")
        return "key-assign", (lambda: atspi_driver.press(save)), 300, None

    def entries(self, kind):
        """kbProfile.ini as it is now, and the number of entries its list of that kind has."""
        ini = snapshot(self.kb).get(os.path.join(self.kb, "kbProfile.ini"), b"")
        count = ini_section(ini, f"PROFILE{kind}COUNT").get("count", "0")
        return ini, int(count) if count.isdigit() else 0

    def prepare_profile_action(self):
        """A profile panel of the keyboard: add, rename or select another entry. A selection is
        made in a list of two or more; when no list has two, one is added first (not killed)."""
        action = self.random.choice(["add", "rename", "select"])
        panels = sorted(PANELS)
        if action == "select":
            panels = [p for p in panels if self.entries(PANELS[p][3])[1] >= 2] or panels
        panel = self.random.choice(panels)
        tab, prefix, buttons, kind, extension = PANELS[panel]
        self.action = f"{action} in the {panel} profiles"
        self.press("kb_tab")
        self.press(tab)
        self.wait_showing(prefix + "_combo")
        if action == "select" and self.entries(kind)[1] < 2:
            self.press(buttons + "_add_btn")
            deadline = time.monotonic() + 3
            while self.entries(kind)[1] < 2:
                if time.monotonic() > deadline:
                    raise Undriven(f"{buttons}_add_btn added no entry")
                time.sleep(0.05)
            time.sleep(0.3)  # the new entry is applied and saved after it is listed
        ini = self.entries(kind)[0]
        names = ini_section(ini, f"PROFILE{kind}NAME")
        count = self.control(prefix + "_combo").get_child_count()
        selected = int(ini_section(ini, f"PROFILE{kind}SELECT").get("select", "0") or 0)
        if action == "select" and count < 2:
            raise Undriven(f"{prefix}_combo shows {count} entries where kbProfile.ini has more")
        if action == "add":
            add = self.control(buttons + "_add_btn")
            return action, (lambda: atspi_driver.press(add)), 300, None
        if action == "select":
            other = self.random.choice([i for i in range(count) if i != selected])
            item = self.item(prefix + "_combo", other)
            return action, (lambda: atspi_driver.press(item)), 60, None
        old = names.get(str(selected))
        if old is None:
            raise Undriven(f"kbProfile.ini names no selected {panel} profile")
        new = f"kill {self.round_number} {self.random.randrange(1000)}"
        if not atspi_driver.set_text(self.control(prefix + "_name_edit"), new):
            raise Undriven(f"{prefix}_name_edit took no text")
        time.sleep(0.1)
        rename = self.control(prefix + "_edit_save_btn")
        old_entry = (os.path.join(self.kb, old + extension), kind, old)
        return action, (lambda: atspi_driver.press(rename)), 300, old_entry

    # ---- the checks ----------------------------------------------------------------------------

    def check(self, before, after, kind, round_, may_go=()):
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
            if path in may_go:
                continue
            if path not in after and os.path.splitext(path)[1].lower() in (".ini", ".config", ".led", ".pro"):
                self.problems.append(f"round {round_} ({kind}): {os.path.relpath(path, self.home)} is lost")

    def renamed_away(self, renamed, after):
        """The old file of a rename, when the INI file no longer names it: it may be gone."""
        if renamed is None:
            return ()
        path, kind, old = renamed
        ini = after.get(os.path.join(self.kb, "kbProfile.ini"), b"")
        return () if old in ini_section(ini, f"PROFILE{kind}NAME").values() else (path,)

    def round(self, n):
        kind = self.random.choice(KINDS)
        self.kinds.setdefault(kind, {"kills": 0, "wrote": 0, "mid-write": 0})["kills"] += 1
        self.round_number, self.action = n, kind
        moment = self.random.randint(0, 800) / 1000
        renamed, self.ids_before, self.worked_at = None, {}, None
        if kind == "first-run":
            self.kill()
            shutil.rmtree(self.home)
            os.makedirs(self.home)
            before = {}
            self.start_program()
            time.sleep(moment * 2)
        elif kind in ("key-assign", "profile-panel"):
            try:
                action, trigger, window, renamed = (self.prepare_key_assign() if kind == "key-assign"
                                                    else self.prepare_profile_action())
                before = snapshot(self.home, self.ids_before)
                self.actions[action] = self.actions.get(action, 0) + 1
                self.kill_during(self.kill_moment(action, window), trigger)
            except Undriven as e:
                self.undriven.append(f"round {n} ({self.action}): {e}")
                self.ids_before = {}
                before = snapshot(self.home, self.ids_before)
        else:
            before = snapshot(self.home, self.ids_before)
            if kind == "arrival":
                self.say("unplug kb")
                time.sleep(0.3)
                self.say("plug kb")
            else:
                self.say("notify kb " + ("0x0402" if kind == "read-all" else "0x0401"))
            time.sleep(moment)
        self.kill()
        ids_after = {}
        after = snapshot(self.home, ids_after)
        self.check(before, after, kind, n, self.renamed_away(renamed, after))
        tally = self.kinds[kind]
        tally["wrote"] += ids_after != self.ids_before
        tally["mid-write"] += any(".tmp-" in os.path.basename(p) for p in set(after) - set(before))
        if self.worked_at is not None:
            self.learn_writes(action, ids_after)
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
        took = time.monotonic() - began
        print(f"killtest: {self.args.rounds} kills (seed {self.args.seed}) in {took:.0f} s, "
              f"{took / max(1, self.args.rounds):.1f} s a round: " +
              ", ".join(f"{k} {v['kills']} (wrote {v['wrote']}, mid-write {v['mid-write']})"
                        for k, v in sorted(self.kinds.items())))
        if self.actions:
            spans = {a: " (%.0f-%.0f ms)" % self.spans[a] if a in self.spans else "" for a in self.actions}
            print("  window actions, kills (writes seen after the control was worked): " +
                  ", ".join(f"{a} {k}{spans[a]}" for a, k in sorted(self.actions.items())))
        print(f"  problems: {len(self.problems)}")
        for p in self.problems[:20]:
            print("  " + p)
        if self.undriven:
            print(f"  not driven: {len(self.undriven)}")
            for u in self.undriven[:20]:
                print("  " + u)
        if not self.problems and not self.undriven:
            shutil.rmtree(self.work, ignore_errors=True)
        else:
            print(f"  left for a look: {self.work}")


def main():
    atspi_driver.run_under_system_python()
    p = argparse.ArgumentParser()
    p.add_argument("--build", default="build")
    p.add_argument("--rounds", type=int, default=100)
    p.add_argument("--seed", type=int, default=1)
    args = p.parse_args()
    session = atspi_driver.Session()
    try:
        session.start()
        test = KillTest(args, session)
        try:
            test.run()
        finally:
            for proc in (test.program, getattr(test, "vhid", None)):
                if proc and proc.poll() is None:
                    proc.kill()
    finally:
        session.stop()
    sys.exit(1 if test.problems or test.undriven else 0)


if __name__ == "__main__":
    main()
