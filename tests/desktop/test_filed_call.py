"""A call a rule files into another folder, seen through the desktop: the tree keeps the folder
the user was looking at highlighted, the list keeps showing that folder's recordings, and the
new recording is found in its own folder."""

import os
import subprocess
import time
import unittest

from desktop import DesktopTest, program, wait_until


class FiledCallTest(DesktopTest):
    args = ["--demo", "--unattended"]
    # The demo's call runs eight times as fast, the program's pauses at a quarter.
    extra_env = {"CALVORA_DEMO_SPEED": "8", "CALVORA_TIME_SCALE": "0.25"}

    @classmethod
    def prepare(cls, data_dir):
        code = subprocess.run([program("calvora-catalogue"), "--data-dir", data_dir,
                               "add-folder", "Family"],
                              check=True, capture_output=True, text=True).stdout.strip()
        with open(os.path.join(data_dir, "Rules.txt"), "w", encoding="utf-8") as rules:
            rules.write(f"Calvora rules 1\nRule\tmatch=number-is\tvalue=5551234\tfolder={code}\n")

    def selected_folders(self):
        tree = self.folder_tree()
        selected = self.a11y.pyatspi.STATE_SELECTED
        return [node.name for node in self.a11y.walk(tree)
                if node.getRoleName() == "table cell" and node.getState().contains(selected)]

    def filed_calls(self):
        with open(os.path.join(self.data_dir, "Events.log"), "rb") as log:
            return log.read().count(b"-- Recording stopped")

    def test_the_tree_and_the_list_stay_on_the_folder_shown(self):
        table = self.list_table()
        self.assertEqual(self.selected_folders(), ["General"])
        wait_until(lambda: self.filed_calls() >= 1, 180, "the demo's call filed")
        # Watch the window for a while after the call was filed: the tree and the list
        # must agree at every look.
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline:
            self.assertEqual(self.selected_folders(), ["General"])
            self.assertEqual(self.a11y.row_count(table), 0,
                             "the list shows General, which holds no recording")
            time.sleep(0.2)

        family = self.a11y.wait_for("table cell", "Family", self.folder_tree())
        self.focus_window()
        self.desktop.click(*self.a11y.centre(family))
        wait_until(lambda: self.selected_folders() == ["Family"], 20, "Family selected")
        wait_until(lambda: self.a11y.row_count(table) >= 1, 20, "the filed call in Family")
        self.assertIn("5551234", self.a11y.table_cell(table, 0, 3).name)


if __name__ == "__main__":
    unittest.main()
