"""Windows on a screen smaller than they were left on, at twice the scale: the main window
stored at 1220x820 is fitted to the screen it opens on, and Settings keeps its OK and Cancel on
the screen, its pages scrolling instead."""

import os
import subprocess
import unittest

from desktop import DesktopTest, wait_until

WIDTH, HEIGHT = 1280, 900


class ScaledScreenTest(DesktopTest):
    screen = f"{WIDTH}x{HEIGHT}"
    extra_env = {"QT_SCALE_FACTOR": "2"}

    @classmethod
    def prepare(cls, data_dir):
        with open(os.path.join(data_dir, "orv.ini"), "w", newline="") as f:
            f.write("[params]\r\nMainTop=40\r\nMainLeft=30\r\nMainWid=1220\r\n"
                    "MainHeight=820\r\n")

    def window_geometry(self, name):
        """The X window's place and size in the screen's pixels."""
        ids = subprocess.run(["xdotool", "search", "--pid", str(self.program.process.pid),
                              "--name", f"^{name}$"], env=self.desktop.env,
                             capture_output=True, text=True).stdout.split()
        for window in ids:
            shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                   env=self.desktop.env, capture_output=True,
                                   text=True).stdout
            values = dict(line.split("=", 1) for line in shape.split())
            if int(values["WIDTH"]) > 1 and int(values["HEIGHT"]) > 1:
                return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        return None

    def assertOnScreen(self, box, what):
        x, y, w, h = box
        self.assertGreaterEqual(x, 0, what)
        self.assertGreaterEqual(y, 0, what)
        self.assertLessEqual(x + w, WIDTH, what)
        self.assertLessEqual(y + h, HEIGHT, what)

    def test_a_the_restored_window_fits_the_screen(self):
        box = wait_until(lambda: self.window_geometry("Calvora"), 20, "the main window")
        self.assertOnScreen(box, "the main window")

    def test_b_settings_keeps_its_buttons_on_the_screen(self):
        self.focus_window()
        self.desktop.click(*self.a11y.centre(self.a11y.find("menu item", " Options ")))
        self.desktop.click(*self.a11y.centre(self.a11y.wait_for("menu item", "Settings...")))
        dialog = self.a11y.wait_for("dialog", "Settings")
        box = wait_until(lambda: self.window_geometry("Settings"), 20, "the Settings window")
        self.assertOnScreen(box, "the Settings window")
        scale = box[2] / self.a11y.extents(dialog)[2]
        for name in ("OK", "Cancel"):
            x, y, w, h = self.a11y.extents(self.a11y.find("push button", name, dialog))
            # The bus may speak in the screen's pixels or in the program's scaled ones.
            self.assertOnScreen((round(x * scale), round(y * scale), round(w * scale),
                                 round(h * scale)), name)
        self.desktop.key("Escape")
        self.a11y.wait_gone(dialog)


if __name__ == "__main__":
    unittest.main()
