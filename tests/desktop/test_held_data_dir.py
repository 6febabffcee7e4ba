"""The window program started on a data directory that a recorder serving its web page holds:
it names the recorder, asks whether to open the page, opens it in the browser when the user
says Yes, leaves the browser alone on No, and never touches the recorder's data."""

import os
import shutil
import stat
import subprocess
import tempfile
import unittest

from desktop import Accessible, Desktop, Program, program, stop, wait_until


class HeldDataDirTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="calvora-desktop-")
        cls.data_dir = os.path.join(cls.work, "data")
        os.makedirs(cls.data_dir)
        # A stand-in for the desktop's opener: it notes each address it is asked to open.
        cls.opened = os.path.join(cls.work, "opened.txt")
        cls.opener_dir = os.path.join(cls.work, "bin")
        os.makedirs(cls.opener_dir)
        opener = os.path.join(cls.opener_dir, "xdg-open")
        with open(opener, "w") as script:
            script.write(f'#!/bin/sh\necho "$@" >> "{cls.opened}"\n')
        os.chmod(opener, stat.S_IRWXU)
        cls.desktop = Desktop()
        cls.recorder_log = open(os.path.join(cls.work, "recorder.txt"), "wb")
        env = dict(cls.desktop.env, CALVORA_DEMO_SPEED="8", CALVORA_TIME_SCALE="0.25")
        cls.recorder = subprocess.Popen(
            [program("calvora-recorder"), "--data-dir", cls.data_dir, "--demo",
             "--listen", "127.0.0.1:0"],
            env=env, stdout=cls.recorder_log, stderr=subprocess.STDOUT)
        url_file = os.path.join(cls.data_dir, ".calvora-web-url")

        def served():
            if cls.recorder.poll() is not None:
                raise AssertionError("the recorder ended")
            if os.path.exists(url_file):
                with open(url_file) as f:
                    return f.read().strip()
            return None
        cls.url = wait_until(served, 60, "the recorder's web page")

    @classmethod
    def tearDownClass(cls):
        stop(cls.recorder)
        cls.recorder_log.close()
        cls.desktop.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def answer(self, button):
        """Starts the window program on the held directory and answers its question."""
        path = self.opener_dir + os.pathsep + self.desktop.env.get("PATH", "")
        run = Program(self.desktop, [], self.data_dir, {"PATH": path})
        try:
            a11y = Accessible(run.process.pid)
            choice = a11y.wait_for("push button", button, timeout=60)
            question = " ".join(node.name for node in a11y.walk()
                                if node.getRoleName() == "label")
            self.assertIn("in use by", question)
            self.assertIn(self.url, question)
            a11y.do(choice)
            self.assertEqual(run.process.wait(30), 1, run.stderr())
        finally:
            run.end()
        return run.stderr()

    def opened_addresses(self):
        if not os.path.exists(self.opened):
            return []
        with open(self.opened) as f:
            return f.read().split()

    def test_the_page_opens_only_when_the_user_agrees(self):
        self.answer("No")
        self.assertEqual(self.opened_addresses(), [])

        said = self.answer("Yes")
        try:
            wait_until(self.opened_addresses, 20, "the browser to be asked to open the page")
        except AssertionError:
            print(said)
            raise
        self.assertEqual(self.opened_addresses(), [self.url])

        # The recorder keeps its directory and goes on serving the page.
        self.assertIsNone(self.recorder.poll())
        with open(os.path.join(self.data_dir, ".calvora-web-url")) as f:
            self.assertEqual(f.read().strip(), self.url)


if __name__ == "__main__":
    unittest.main()
