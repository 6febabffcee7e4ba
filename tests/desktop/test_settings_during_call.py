"""The window program on the virtual modem: a call that rings while the settings dialog is
open is recorded end to end, and a termination signal ends the program within two seconds
whatever dialog is open, keeping the call being recorded with its reason and saving the
window's state."""

import os
import signal
import subprocess
import time
import unittest

from desktop import Accessible, DesktopTest, Program, program, wait_until

# The modem's rings and pauses and the caller's voice run eight times as fast.
SPEED = "8"


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


class SettingsDuringCallTest(DesktopTest):
    # The first start finds the modem and takes it without asking.
    args = ["--unattended"]
    extra_env = {"CALVORA_TIME_SCALE": "0.25"}

    @classmethod
    def prepare(cls, data_dir):
        link = os.path.join(data_dir, "ttyVMODEM")
        cls.modem_log = os.path.join(data_dir, "..", "vmodem.log")
        cls.vmodem = subprocess.Popen(
            [program("calvora-vmodem"), "--profile", "voice", "--link", link,
             "--speed", SPEED, "--pace", SPEED, "--log", cls.modem_log],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        cls.vmodem.stdout.readline()  # the terminal's path; the link leads to it
        # COM1 is the virtual modem; the other ports lead nowhere.
        ports = [f"COM1={link}"] + [
            f"COM{n}={os.path.join(data_dir, f'no-modem-{n}')}" for n in range(2, 17)]
        with open(os.path.join(data_dir, "orv.ini"), "w", newline="") as f:
            f.write("[Ports]\r\n" + "".join(line + "\r\n" for line in ports))

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.vmodem.terminate()
        cls.vmodem.wait(10)

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Armed: the port set up for calls (auto-answer off, then caller ID on).
        wait_until(lambda: cls.armings() >= 1, 120, "the modem armed for calls")
        cls.armed = cls.armings()

    @classmethod
    def armings(cls):
        log = read(cls.modem_log).lower()
        count, at = 0, log.find("<< ats0=0")
        while at >= 0 and log.find("<< at+vcid=1", at) >= 0:
            count += 1
            at = log.find("<< ats0=0", at + 1)
        return count

    def ring(self, speech_ms):
        """The virtual modem rings a call with caller ID; the caller speaks, then silence."""
        self.vmodem.stdin.write(f"call 3 4000 NMBR=5551234 end=answered\n"
                                f"voice speech {speech_ms}\nvoice silence\n")
        self.vmodem.stdin.flush()

    def open_settings(self, a11y, window):
        """Opens Settings from the menu as a mouse user does."""
        x, y, w, h = a11y.extents(window)
        self.desktop.xdotool("mousemove", "--sync", x + w - 10, y + h - 5)
        self.desktop.click(*a11y.centre(a11y.find("menu item", " Options ")))
        self.desktop.click(*a11y.centre(a11y.wait_for("menu item", "Settings...")))
        return a11y.wait_for("dialog", "Settings")

    def wav_files(self):
        folder = os.path.join(self.data_dir, "wav")
        return sorted(f for f in os.listdir(folder) if f.endswith(".wav")) \
            if os.path.isdir(folder) else []

    def receiving(self):
        return "voice receive" in read(self.modem_log)[self.log_mark:]

    def end_within_two_seconds(self, process):
        sent = time.monotonic()
        process.send_signal(signal.SIGTERM)
        try:
            code = process.wait(2)
        except subprocess.TimeoutExpired:
            code = None
        took = time.monotonic() - sent
        if code is None:
            process.wait(60)
        self.assertIsNotNone(code, "the program did not end within 2 s of SIGTERM")
        self.assertLessEqual(took, 2.0)
        self.assertEqual(code, 0, "ended as at a normal close")

    def catalogue_rows(self):
        listed = subprocess.run([program("calvora-catalogue"), "--data-dir", self.data_dir,
                                 "list"], capture_output=True, text=True, check=True)
        return [line for line in listed.stdout.splitlines()[1:] if line.strip()]

    def test_a_a_call_ringing_while_the_settings_are_open_is_recorded(self):
        dialog = self.open_settings(self.a11y, self.window)
        self.ring(3000)
        table = self.list_table()
        wait_until(lambda: self.a11y.row_count(table) >= 1, 120, "the call's row in the list")
        wait_until(lambda: self.a11y.table_cell(table, 0, 3).name.strip() == "5551234", 30,
                   "the caller's number in the memo")
        self.assertEqual(len(self.wav_files()), 1)
        self.assertTrue(self.a11y.showing(dialog), "the dialog stayed open")
        self.a11y.do(self.a11y.find("push button", "Cancel", dialog))
        self.a11y.wait_gone(dialog)

    def test_b_a_signal_ends_the_program_with_settings_open_and_keeps_the_call(self):
        wait_until(lambda: self.armings() > self.armed, 60, "the modem armed again after the call")
        dialog = self.open_settings(self.a11y, self.window)
        self.log_mark = len(read(self.modem_log))
        self.ring(120000)
        wait_until(self.receiving, 120, "the call being recorded")
        time.sleep(1)
        self.assertTrue(self.a11y.showing(dialog))
        self.assertNotIn("MainTop=", read(os.path.join(self.data_dir, "orv.ini")))
        self.end_within_two_seconds(self.program.process)
        # A first run: its close writes the window's placement for the first time.
        self.assertIn("MainTop=", read(os.path.join(self.data_dir, "orv.ini")),
                      "the window's state is saved")
        self.assertEqual(len(self.wav_files()), 2)
        rows = self.catalogue_rows()
        self.assertEqual(len(rows), 2, rows)
        self.assertTrue(any("Program ended by SIGTERM" in row for row in rows), rows)

    def test_c_a_signal_ends_the_program_while_a_message_box_waits(self):
        # Without --unattended: the boxes wait for the user.
        run = Program(self.desktop, [], self.data_dir, self.extra_env)
        try:
            a11y = Accessible(run.process.pid)
            window = a11y.wait_for("frame", "Calvora", timeout=60)
            # The user moved the window: its place is saved at the end.
            self.desktop.xdotool("search", "--sync", "--onlyvisible", "--pid", run.process.pid,
                                 "--name", "^Calvora$", "windowmove", "%1", 123, 77)
            wait_until(lambda: a11y.extents(window)[:2] == (123, 77), 10, "the window moved")
            x, y, w, h = a11y.extents(window)
            self.desktop.xdotool("mousemove", "--sync", x + w - 10, y + h - 5)
            self.desktop.click(*a11y.centre(a11y.find("menu item", " Storage ")))
            self.desktop.click(*a11y.centre(a11y.wait_for("menu item", "Preview clean-up...")))
            wait_until(lambda: any(node.getRoleName() in ("alert", "dialog")
                                   and a11y.showing(node) for node in a11y.walk()),
                       30, "the message box")
            self.end_within_two_seconds(run.process)
            ini = read(os.path.join(self.data_dir, "orv.ini"))
            self.assertRegex(ini, r"(?m)^MainLeft=123$", "the window's state is saved")
            self.assertRegex(ini, r"(?m)^MainTop=77$")
        finally:
            run.end()


if __name__ == "__main__":
    unittest.main()
