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
        """The X window's place and size in the screen's pixels (the largest of that name)."""
        ids = subprocess.run(["xdotool", "search", "--pid", str(self.program.process.pid),
                              "--name", f"^{name}$"], env=self.desktop.env,
                             capture_output=True, text=True).stdout.split()
        boxes = []
        for window in ids:
            shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                   env=self.desktop.env, capture_output=True,
                                   text=True).stdout
            values = dict(line.split("=", 1) for line in shape.split())
            boxes.append(tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")))
        return max(boxes, key=lambda b: b[2] * b[3], default=None)

    def assertOnScreen(self, box, what):
        x, y, w, h = box
        self.assertGreaterEqual(x, 0, what)
        self.assertGreaterEqual(y, 0, what)
        self.assertLessEqual(x + w, WIDTH, what)
        self.assertLessEqual(y + h, HEIGHT, what)

    def test_a_the_restored_window_fits_the_screen(self):
        box = wait_until(lambda: self.window_geometry("Calvora"), 20, "the main window")
        self.assertOnScreen(box, "the main window")

    def scale(self, window, name):
        """The bus may speak in the screen's pixels or in the program's scaled ones."""
        box = wait_until(lambda: self.window_geometry(name), 20, f"the {name} window")
        return box[2] / self.a11y.extents(window)[2]

    def on_screen(self, node, scale):
        return tuple(round(v * scale) for v in self.a11y.extents(node))

    def on_screen_centre(self, node, scale):
        x, y, w, h = self.on_screen(node, scale)
        return x + w // 2, y + h // 2

    def test_b_settings_keeps_its_buttons_on_the_screen(self):
        scale = self.scale(self.window, "Calvora")
        x, y, w, h = self.on_screen(self.window, scale)
        self.desktop.xdotool("mousemove", "--sync", x + w - 10, y + h - 5)
        self.desktop.click(*self.on_screen_centre(self.a11y.find("menu item", " Options "), scale))
        self.desktop.click(*self.on_screen_centre(self.a11y.wait_for("menu item", "Settings..."),
                                                  scale))
        dialog = self.a11y.wait_for("dialog", "Settings")
        self.assertOnScreen(self.window_geometry("Settings"), "the Settings window")
        scale = self.scale(dialog, "Settings")
        for name in ("OK", "Cancel"):
            self.assertOnScreen(self.on_screen(self.a11y.find("push button", name, dialog), scale),
                                name)
        self.desktop.key("Escape")
        self.a11y.wait_gone(dialog)


if __name__ == "__main__":
    unittest.main()
