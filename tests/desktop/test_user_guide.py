"""The user guide and the About box through the real desktop: F1 and Help > Contents hand the
guide to the desktop's opener, the Settings' Help opens it at the page shown, and About names
the versions, the licence and the data folder, which its button opens."""

import os
import stat
import unittest
from urllib.parse import unquote, urlparse

from desktop import DesktopTest, wait_until


class UserGuideTest(DesktopTest):
    @classmethod
    def prepare(cls, data_dir):
        # A stand-in for the desktop's opener (xdg-open): it notes each address it is given.
        cls.opened_file = os.path.join(cls.work, "opened.txt")
        opener_dir = os.path.join(cls.work, "bin")
        os.makedirs(opener_dir)
        opener = os.path.join(opener_dir, "xdg-open")
        with open(opener, "w") as script:
            script.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{cls.opened_file}"\n')
        os.chmod(opener, stat.S_IRWXU)
        cls.extra_env = {"PATH": opener_dir + os.pathsep + os.environ.get("PATH", "")}

    def opened(self):
        if not os.path.exists(self.opened_file):
            return []
        with open(self.opened_file) as f:
            return f.read().split()

    def wait_opened(self, count):
        return wait_until(lambda: len(self.opened()) >= count and self.opened(), 20,
                          f"{count} addresses handed to the opener")[count - 1]

    def local_path(self, address):
        url = urlparse(address)
        self.assertIn(url.scheme, ("file", ""), address)
        return unquote(url.path), url.fragment

    def open_from_menu(self, menu, item, title):
        self.focus_window()
        self.desktop.click(*self.a11y.centre(self.a11y.find("menu item", menu)))
        self.desktop.click(*self.a11y.centre(self.a11y.wait_for("menu item", item)))
        return self.a11y.wait_for("dialog", title)

    def test_a_f1_and_help_contents_open_the_guide(self):
        # F1 where the keyboard is: on the folder tree.
        self.focus_window()
        general = self.a11y.wait_for("table cell", "General", self.folder_tree())
        self.desktop.click(*self.a11y.centre(general))
        self.desktop.key("F1")
        path, fragment = self.local_path(self.wait_opened(1))
        self.assertEqual(os.path.basename(path), "Help.html")
        self.assertTrue(os.path.isfile(path), path)
        self.assertEqual(fragment, "")
        with open(path, encoding="utf-8") as f:
            self.assertIn("Calvora user guide", f.read())

        self.focus_window()
        self.desktop.click(*self.a11y.centre(self.a11y.find("menu item", " Help ")))
        self.desktop.click(*self.a11y.centre(self.a11y.wait_for("menu item", "Contents...")))
        self.assertEqual(self.local_path(self.wait_opened(2))[0], path)

    def test_b_settings_help_opens_the_section_of_the_page_shown(self):
        before = len(self.opened())
        dialog = self.open_from_menu(" Options ", "Settings...", "Settings")
        try:
            self.a11y.do(self.a11y.find("page tab", "Storage", dialog))
            wait_until(lambda: self.a11y.find("filler", "Storage", dialog), 5, "the Storage page")
            self.a11y.do(self.a11y.find("push button", "Help", dialog))
            path, fragment = self.local_path(self.wait_opened(before + 1))
            self.assertEqual(os.path.basename(path), "Help.html")
            self.assertEqual(fragment, "settings-storage")
        finally:
            self.a11y.do(self.a11y.find("push button", "Cancel", dialog))
            self.a11y.wait_gone(dialog)

    def test_c_about_names_versions_licence_and_the_data_folder(self):
        before = len(self.opened())
        dialog = self.open_from_menu(" Help ", "About", "About")
        try:
            self.assertEqual(self.a11y.unusable_controls(dialog), [])
            labels = [node.name for node in self.a11y.walk(dialog)
                      if node.getRoleName() == "label"]
            text = "\n".join(labels)
            self.assertRegex(text, r"Version \d+\.\d+\.\d+")
            self.assertRegex(text, r"Qt 6\.\d+\.\d+")
            self.assertIn("Licence: ", text)
            self.assertIn(self.data_dir, text)
            self.a11y.do(self.a11y.find("push button", "Open data folder", dialog))
            path, _ = self.local_path(self.wait_opened(before + 1))
            self.assertEqual(os.path.realpath(path), os.path.realpath(self.data_dir))
            self.a11y.do(self.a11y.find("push button", "User guide", dialog))
            path, _ = self.local_path(self.wait_opened(before + 2))
            self.assertEqual(os.path.basename(path), "Help.html")
        finally:
            self.a11y.do(self.a11y.find("push button", "OK", dialog))
            self.a11y.wait_gone(dialog)


if __name__ == "__main__":
    unittest.main()
