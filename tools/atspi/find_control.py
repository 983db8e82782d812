#!/usr/bin/python3
"""Finds controls of a Zelkar layout by their control names through AT-SPI.

Builds the small demo window (tools/atspi/demo.cpp over src/app/ui), starts it on a private
Xvfb display with its own session bus and accessibility bus, and then, as a screen reader or
a GUI test driver would, walks the accessibility tree: every control asked for is found by its
control name (the accessible description, which the UI layer fills in id mode) and its role
and accessible name (what a screen reader speaks) are printed. Finally it presses "lang_btn"
through the Action interface and shows that the spoken names follow the language switch.

With --skin/--layout it shows another layout (say the keyboard lighting page), and with --do
it drives controls instead, each step checked against the notification the demo prints:
    press:NAME               the "Press" action (buttons, options)      -> any notification
    select:NAME:ITEM         presses the item (index or text) of a combo or list -> itemselect
    set:NAME:VALUE           sets the Value (sliders; palettes take 0xRRGGBB) -> valuechanged
                             or colorchanged
    action:NAME:ACTION       any action by name, e.g. "action:kb_deng_Color_Pallet:Next hue"

Run by hand, not in CI:
    tools/atspi/find_control.py [--build-dir DIR] [--skin DIR --layout FILE] [--do STEP ...] [NAME ...]
Exit status 0 when every control was found and the names followed the switch, or every step
raised its notification.

Needs the Debian packages xvfb, dbus-daemon, at-spi2-core, gir1.2-atspi-2.0 and python3-gi,
and Qt's xcb platform plugin (qt6-qpa-plugins, part of the build dependencies).
"""
import argparse
import os
import queue
import threading
import subprocess
import sys
import tempfile
import time

import atspi_driver
from atspi_driver import by_control_name, do_action, item_of, press, value_of

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_NAMES = ["window_title", "skinbtn", "closebtn", "kb_tab", "ms_tab",
                 "ms_DPI1_slider", "kb_dkey_12", "ms_DPI_edit_R", "lang_btn"]
APP_NAME = "zelkar-atspi-demo"


def build_demo(build_dir):
    subprocess.run(["cmake", "-S", HERE, "-B", build_dir, "-G", "Ninja"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2"], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, APP_NAME)


class Session(atspi_driver.Session):
    """The private display and buses, and the demo on them; stopped in reverse order."""

    def start_demo(self, binary, skin, layout):
        demo = self.add(subprocess.Popen([binary, skin, layout], env=atspi_driver.program_env(self.env),
                                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True))
        return Notifications(demo)


class Notifications:
    """The demo's "notification TYPE SENDER" lines, read on a thread of their own."""

    def __init__(self, demo):
        self.lines = queue.Queue()
        threading.Thread(target=self._read, args=(demo.stdout,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            self.lines.put(line.strip())

    def drain(self):
        while not self.lines.empty():
            self.lines.get_nowait()

    def next(self, timeout=5.0):
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty:
            return None


def run_step(controls, notifications, step):
    """Carries out one --do step; answers (ok, what happened)."""
    kind, _, rest = step.partition(":")
    name, _, argument = rest.partition(":")
    node = controls.get(name)
    if node is None:
        return False, f"{name}: NOT FOUND"
    notifications.drain()
    if kind == "press":
        done, expected = press(node), None
    elif kind == "action":
        done, expected = do_action(node, argument), None
    elif kind == "select":
        item = item_of(node, argument)
        if item is None:
            return False, f"{name} has no item {argument!r}"
        done, expected = press(item), "itemselect"
    elif kind == "set":
        value = value_of(node)
        if value is None:
            return False, f"{name} has no Value interface"
        done = value.set_current_value(float(int(argument, 0)))
        expected = "colorchanged" if node.get_role_name() == "color chooser" else "valuechanged"
    else:
        return False, f"unknown step {step!r}"
    if not done:
        return False, f"{step}: refused"
    line = notifications.next()
    if line is None or line.split()[-1] != name or (expected and line.split()[1] != expected):
        return False, f"{step}: the demo reported {line!r}"
    state = ""
    if kind in ("set", "action") and value_of(node) is not None:
        now = value_of(node).get_current_value()
        state = f"; value now {int(now):#08x}" if node.get_role_name() == "color chooser" else f"; value now {now:g}"
    if kind == "select":
        state = f"; {name} now shows {item_of(node, argument).get_name()!r}"
    return True, f"{step}: {line}{state}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(tempfile.gettempdir(), "zelkar-atspi-build"))
    parser.add_argument("--skin", default=os.path.join(HERE, "demo_skin"), help="skin folder to show")
    parser.add_argument("--layout", default="layout.xml", help="layout file in the skin folder")
    parser.add_argument("--do", action="append", default=[], metavar="STEP", help="press:NAME, "
                        "select:NAME:ITEM, set:NAME:VALUE or action:NAME:ACTION (repeatable)")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    if not args.names and not args.do:
        args.names = DEFAULT_NAMES

    binary = build_demo(args.build_dir)
    session = Session()
    ok = True
    try:
        session.start_display()
        session.start_buses()
        notifications = session.start_demo(binary, os.path.abspath(args.skin), args.layout)
        Atspi = session.atspi()

        app = atspi_driver.find_application(Atspi, APP_NAME)
        if app is None:
            print("the demo never appeared on the accessibility bus")
            return 1
        controls = by_control_name(app)
        print(f"{'control name':16} {'role':12} spoken name")
        for name in args.names:
            node = controls.get(name)
            if node is None:
                print(f"{name:16} NOT FOUND")
                ok = False
                continue
            print(f"{name:16} {node.get_role_name():12} {node.get_name()!r}")

        if args.do:
            for step in args.do:
                done, what = run_step(controls, notifications, step)
                print(("   " if done else "!! ") + what)
                ok = ok and done
            print("OK" if ok else "FAILED")
            return 0 if ok else 1

        before = {n: controls[n].get_name() for n in args.names if n in controls}
        if "lang_btn" not in controls or not press(controls["lang_btn"]):
            print("could not press lang_btn")
            return 1
        print("pressed lang_btn through AT-SPI; the demo reports:", notifications.next())
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and controls["kb_tab"].get_name() == before.get("kb_tab"):
            time.sleep(0.1)
        changed = 0
        for name, old in before.items():
            new = controls[name].get_name()
            if new != old:
                changed += 1
                print(f"{name:16} {old!r} -> {new!r}")
        if changed == 0:
            print("no spoken name followed the language switch")
            ok = False
    finally:
        session.stop()
    print("OK" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
