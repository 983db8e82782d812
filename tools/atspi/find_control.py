#!/usr/bin/python3
"""Finds controls of a Zelkar layout by their control names through AT-SPI.

Builds the small demo window (tools/atspi/demo.cpp over src/app/ui), starts it on a private
Xvfb display with its own session bus and accessibility bus, and then, as a screen reader or
a GUI test driver would, walks the accessibility tree: every control asked for is found by its
control name (the accessible description, which the UI layer fills in id mode) and its role
and accessible name (what a screen reader speaks) are printed. Finally it presses "lang_btn"
through the Action interface and shows that the spoken names follow the language switch.

Run by hand, not in CI:
    tools/atspi/find_control.py [--build-dir DIR] [NAME ...]
Exit status 0 when every control was found and the names followed the switch.

Needs the Debian packages xvfb, dbus-daemon, at-spi2-core, gir1.2-atspi-2.0 and python3-gi,
and Qt's xcb platform plugin (qt6-qpa-plugins, part of the build dependencies).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_NAMES = ["window_title", "skinbtn", "closebtn", "kb_tab", "ms_tab",
                 "ms_DPI1_slider", "kb_dkey_12", "ms_DPI_edit_R", "lang_btn"]
APP_NAME = "zelkar-atspi-demo"


def build_demo(build_dir):
    subprocess.run(["cmake", "-S", HERE, "-B", build_dir, "-G", "Ninja"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2"], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, APP_NAME)


class Session:
    """Xvfb, a session bus, the accessibility bus and the demo; stopped in reverse order."""

    def __init__(self):
        self.processes = []
        self.runtime = tempfile.mkdtemp(prefix="zelkar-atspi-")
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ)

    def start_display(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"], pass_fds=(write_end,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(xvfb)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            display = f.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display

    def start_buses(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=self.env)
        self.processes.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        self.env["XDG_RUNTIME_DIR"] = self.runtime
        launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                    env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(launcher)
        time.sleep(0.5)

    def start_demo(self, binary):
        env = dict(self.env)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ZELKAR_A11Y_IDS="1")
        demo = subprocess.Popen([binary, os.path.join(HERE, "demo_skin")], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.processes.append(demo)
        return demo

    def stop(self):
        for p in reversed(self.processes):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        shutil.rmtree(self.runtime, ignore_errors=True)


def find_application(atspi, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == APP_NAME and app.get_child_count() > 0:
                return app
        time.sleep(0.2)
    return None


def by_control_name(root):
    """Every accessible below root that carries a control name, keyed by that name."""
    found = {}
    stack = [root]
    while stack:
        node = stack.pop()
        description = node.get_description()
        if description and description not in found:
            found[description] = node
        stack.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
    return found


def press(node):
    # get_action_name is marked deprecated, but its replacement get_name clashes with the
    # accessible's own name in the Python binding.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        for i in range(node.get_n_actions()):
            if node.get_action_name(i).lower() == "press":
                return node.do_action(i)
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(tempfile.gettempdir(), "zelkar-atspi-build"))
    parser.add_argument("names", nargs="*", default=DEFAULT_NAMES)
    args = parser.parse_args()

    binary = build_demo(args.build_dir)
    session = Session()
    ok = True
    try:
        session.start_display()
        session.start_buses()
        demo = session.start_demo(binary)
        os.environ.update({k: session.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
        import gi  # only now: the client library connects to the buses named in the environment
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi

        app = find_application(Atspi)
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

        before = {n: controls[n].get_name() for n in args.names if n in controls}
        if "lang_btn" not in controls or not press(controls["lang_btn"]):
            print("could not press lang_btn")
            return 1
        print("pressed lang_btn through AT-SPI; the demo reports:", demo.stdout.readline().strip())
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
