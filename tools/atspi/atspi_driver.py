"""Driving a Zelkar window from outside through AT-SPI, as a screen reader or a GUI test would.

Session starts a private Xvfb with its own session bus and accessibility bus; a program started
with session.env (plus program_env()) shows on that display and publishes its controls there,
each found by its control name (the accessible description, which the UI layer fills in id mode).
The helpers press buttons and options, choose items of combos and lists, set values and texts.

Used by tools/atspi/find_control.py and tools/soak/killtest.py. Needs the Debian packages xvfb,
dbus-daemon, at-spi2-core, gir1.2-atspi-2.0 and python3-gi, and Qt's xcb platform plugin.
"""
import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

SYSTEM_PYTHON = "/usr/bin/python3"


def run_under_system_python():
    """The AT-SPI binding (gi) comes with the system's Python: a script started by another one
    (say a pyenv shim) starts again under it."""
    if importlib.util.find_spec("gi") is not None:
        return
    other = os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON)
    if other and os.access(SYSTEM_PYTHON, os.X_OK):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON] + sys.argv)
    raise SystemExit("the Python binding of AT-SPI is missing (Debian: python3-gi, gir1.2-atspi-2.0)")


def program_env(env):
    """What a Qt program needs to show on the session's display with its controls published."""
    return dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ZELKAR_A11Y_IDS="1")


class Session:
    """Xvfb, a session bus and the accessibility bus; stop() ends them in reverse order."""

    def __init__(self):
        self.processes = []
        self.runtime = tempfile.mkdtemp(prefix="zelkar-atspi-")
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ)

    def start(self):
        self.start_display()
        self.start_buses()
        return self

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

    def add(self, process):
        """A process of the session's, stopped with it."""
        self.processes.append(process)
        return process

    def atspi(self):
        """The AT-SPI client library, connected to this session's buses."""
        os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
        import gi  # only now: the client library connects to the buses named in the environment
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi
        return Atspi

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


def find_application(atspi, name, timeout=15.0, pid=None):
    """The application of that name (and process, when given) once it shows a window."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if (app is not None and app.get_name() == name and app.get_child_count() > 0 and
                        (pid is None or app.get_process_id() == pid)):
                    return app
            except Exception:  # an application that went away meanwhile
                continue
        time.sleep(0.1)
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


def do_action(node, action):
    # get_action_name is marked deprecated, but its replacement get_name clashes with the
    # accessible's own name in the Python binding.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        for i in range(node.get_n_actions()):
            if node.get_action_name(i).lower() == action.lower():
                return node.do_action(i)
    return False


def value_of(node):
    """The node's Value interface, or None."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        return node.get_value_iface()


def press(node):
    return do_action(node, "press")


def item_of(node, item, timeout=3.0):
    """A child of a combo or list by index or by its spoken name; pages fill some lists late."""
    deadline = time.monotonic() + timeout
    while True:
        children = [node.get_child_at_index(i) for i in range(node.get_child_count())]
        if item.isdigit() and int(item) < len(children):
            return children[int(item)]
        found = next((c for c in children if c.get_name() == item), None)
        if found is not None or time.monotonic() > deadline:
            return found
        time.sleep(0.1)


def set_text(node, text):
    """Replaces an edit's text as typing would; False when the node takes no text."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        editable = node.get_editable_text_iface()
    return editable is not None and editable.set_text_contents(text)


def showing(atspi, node):
    """Whether the control is on screen (its page shown)."""
    return node.get_state_set().contains(atspi.StateType.SHOWING)
