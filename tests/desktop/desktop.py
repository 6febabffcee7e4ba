"""Runs the window program on a private X server and drives it only from outside: X input
events through xdotool and the accessibility bus (AT-SPI) through pyatspi, as a user, a
screen reader or a GUI automation tool would.

Each test module starts one Desktop (Xvfb, a private session bus with its accessibility bus)
and one program run, shared by its tests.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

BIN_DIR = os.environ.get("CALVORA_BIN_DIR", "")


def program(name):
    return os.path.join(BIN_DIR, name)


def wait_until(predicate, timeout=20.0, what="the condition"):
    """Polls predicate until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.1)


def stop(process):
    """Asks a program of ours to end as the session would, and makes sure it does."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(20)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Desktop:
    """Xvfb without a window manager, a session bus, and the accessibility bus behind it."""

    def __init__(self, screen="1280x1024"):
        self.env = dict(os.environ)
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as display:
            number = display.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        self.dbus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=self.env)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.dbus.stdout.readline().strip()
        # Qt offers its accessibility tree to the bus without waiting for a screen reader.
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.env.pop("QT_QPA_PLATFORMTHEME", None)
        # This process reads the same buses as the program.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            os.environ[key] = self.env[key]

    def close(self):
        for process in (self.dbus, self.xvfb):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y, "click", button)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)


class Program:
    """One run of a program of ours on the desktop, with its data directory."""

    def __init__(self, desktop, args, data_dir, extra_env=None):
        env = dict(desktop.env)
        env.update(extra_env or {})
        self.data_dir = data_dir
        self.stderr_path = os.path.join(data_dir, "..", "stderr.txt")
        self._stderr = open(self.stderr_path, "wb")
        self.process = subprocess.Popen([program("calvora"), "--data-dir", data_dir, *args],
                                        env=env, stdout=subprocess.DEVNULL, stderr=self._stderr)

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def end(self):
        stop(self.process)
        self._stderr.close()
        return self.process.returncode


class Accessible:
    """Finds the program's controls on the accessibility bus."""

    def __init__(self, pid):
        import pyatspi
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.pid = pid
        # Pop-up menus are not children of the application: a screen reader learns of them
        # from the bus's events, and so do we.
        self.shown = []
        pyatspi.Registry.registerEventListener(self._on_showing, "object:state-changed:showing")

    def _on_showing(self, event):
        if event.detail1:
            self.shown.append(event.source)

    def pump(self):
        while self.context.iteration(False):
            pass

    def wait_shown(self, role, name, timeout=10.0):
        """Waits for a control to be shown, as the bus announces it; returns it."""
        def announced():
            self.pump()
            for node in self.shown:
                try:
                    if node.getRoleName() == role and node.name == name and self.showing(node):
                        return node
                except Exception:
                    continue
            return None
        return wait_until(announced, timeout, f"a {role} named {name!r} to be shown")

    def wait_gone(self, node, timeout=10.0):
        def gone():
            try:
                return not self.showing(node)
            except Exception:
                return True
        wait_until(gone, timeout, f"{node.name!r} to close")
        self.shown.clear()

    def application(self):
        for app in self.pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def walk(self, node=None):
        node = node if node is not None else self.application()
        if node is None:
            return
        yield node
        for child in node:
            if child is not None:
                yield from self.walk(child)

    def showing(self, node):
        return node.getState().contains(self.pyatspi.STATE_SHOWING)

    def enabled(self, node):
        return node.getState().contains(self.pyatspi.STATE_ENABLED)

    def checked(self, node):
        return node.getState().contains(self.pyatspi.STATE_CHECKED)

    def find(self, role=None, name=None, root=None, showing=True):
        for node in self.walk(root):
            if role is not None and node.getRoleName() != role:
                continue
            if name is not None and node.name != name:
                continue
            if showing and not self.showing(node):
                continue
            return node
        return None

    def wait_for(self, role=None, name=None, root=None, timeout=20.0):
        return wait_until(lambda: self.find(role, name, root), timeout,
                          f"a showing {role or 'control'} named {name!r}")

    def actions(self, node):
        try:
            action = node.queryAction()
        except NotImplementedError:
            return []
        return [action.getName(i) for i in range(action.nActions)]

    def do(self, node, name=None):
        """Runs the control's action of that name, or its first (default) action."""
        action = node.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if not names:
            raise AssertionError(f"{node.getRoleName()} {node.name!r} offers no action")
        action.doAction(names.index(name) if name else 0)

    def extents(self, node):
        box = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def centre(self, node):
        x, y, w, h = self.extents(node)
        return x + w // 2, y + h // 2

    # The roles a user operates; each needs a name to be found by and an action to be run by.
    CONTROL_ROLES = {"push button", "toggle button", "check box", "radio button", "combo box",
                     "slider", "spin button", "page tab", "menu item", "text", "table", "tree",
                     "list", "password text"}
    # Roles whose operation is typing or choosing inside them, not an action.
    ACTIONLESS_ROLES = {"text", "password text", "table", "tree", "list"}

    def unusable_controls(self, root):
        """The showing controls below root that have no name, or, enabled, no action."""
        faults = []
        for node in self.walk(root):
            role = node.getRoleName()
            if role not in self.CONTROL_ROLES or not self.showing(node):
                continue
            if not node.name.strip():
                faults.append(f"{role} without a name (in {node.parent.getRoleName()} "
                              f"{node.parent.name!r})")
            elif (self.enabled(node) and role not in self.ACTIONLESS_ROLES
                  and not self.actions(node)):
                faults.append(f"{role} {node.name!r} without an action")
        return faults

    def table_cell(self, table, row, column):
        return table.queryTable().getAccessibleAt(row, column)

    def row_count(self, table):
        return table.queryTable().nRows


def sink_inputs_of(pid):
    """The PulseAudio streams the process plays."""
    listing = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True,
                             text=True).stdout
    return [block for block in listing.split("Sink Input #")[1:]
            if f'application.process.id = "{pid}"' in block]


class DesktopTest(unittest.TestCase):
    """A test module's shared desktop and program run. Subclasses fill the data directory in
    prepare(data_dir) and may pass arguments and environment for the program."""

    args = ["--unattended"]
    extra_env = {}
    screen = "1280x1024"

    @classmethod
    def prepare(cls, data_dir):
        pass

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="calvora-desktop-")
        cls.data_dir = os.path.join(cls.work, "data")
        os.makedirs(cls.data_dir)
        cls.prepare(cls.data_dir)
        cls.desktop = Desktop(cls.screen)
        try:
            cls.program = Program(cls.desktop, cls.args, cls.data_dir, cls.extra_env)
            cls.a11y = Accessible(cls.program.process.pid)
            cls.window = cls.a11y.wait_for("frame", "Calvora", timeout=60)
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        if getattr(cls, "program", None):
            code = cls.program.end()
            if code not in (0, None):
                print(cls.program.stderr())
        cls.desktop.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    # Shared steps.

    def focus_window(self):
        """Without a window manager the keyboard follows the pointer: park it on the window's
        status bar, where it rests on no control."""
        x, y, w, h = self.a11y.extents(self.window)
        self.desktop.xdotool("mousemove", "--sync", x + w - 10, y + h - 5)

    def list_table(self):
        return self.a11y.wait_for("table", "Recordings")

    def folder_tree(self):
        return self.a11y.wait_for("tree", "Folders")

    def close_popup(self, menu):
        self.desktop.key("Escape")
        self.a11y.wait_gone(menu)
