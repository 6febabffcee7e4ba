"""The main window through the real desktop, on a catalogue of three recordings and no modem:
first-start widths, the pop-up menus from the mouse and the keyboard, Play and Stop from the
accessibility bus with the sound reaching the sound server, Settings from the menu, a name and
an action on every control of the window and its dialogs, a caller added in the Callers window
from the keyboard, and Select all followed by Delete."""

import os
import subprocess
import unittest

from PIL import ImageFont

from desktop import DesktopTest, program, sink_inputs_of, wait_until

# Dates on two-digit days, the widest a date gets.
RECORDINGS = [("2026-05-28", "09:15:00", "first"), ("2026-12-10", "10:30:00", "second"),
              ("2026-12-11", "11:45:00", "third")]
# General comes from the catalogue; below it, a folder two levels down with a 12-character name.
TREE_INI = ("[Tree]\r\nNode0=Customers\r\nNode1=#Europe\r\nNode2=##Northwind Co\r\n"
            "[Expanded]\r\nNode0=1\r\nNode1=1\r\nNode2=0\r\n")


def add_recordings(data_dir):
    os.makedirs(os.path.join(data_dir, "wav"), exist_ok=True)
    for date, time, memo in RECORDINGS:
        added = subprocess.run(
            [program("calvora-catalogue"), "--data-dir", data_dir, "add", "--date", date,
             "--time", time, "--duration", "2", "--memo", memo],
            check=True, capture_output=True, text=True)
        name = added.stdout.strip().splitlines()[-1]
        subprocess.run(["sox", "-n", "-r", "8000", "-b", "16", "-c", "1",
                        os.path.join(data_dir, "wav", name), "synth", "20", "sine", "440"],
                       check=True)


def wav_files(data_dir):
    return sorted(f for f in os.listdir(os.path.join(data_dir, "wav")) if f.endswith(".wav"))


def list_font_width(text):
    """The width of text in the list's default font (8 points at the X server's 96 dots per
    inch), measured by FreeType on the font file fontconfig picks for it, as Qt does."""
    path = subprocess.run(["fc-match", "-f", "%{file}", "tahoma"], check=True,
                          capture_output=True, text=True).stdout
    return ImageFont.truetype(path, 11).getlength(text)


class ListCommandsTest(DesktopTest):
    @classmethod
    def prepare(cls, data_dir):
        add_recordings(data_dir)
        with open(os.path.join(data_dir, "Tree.ini"), "w", newline="") as f:
            f.write(TREE_INI)

    def control(self, name):
        for role in ("toggle button", "push button", "check box"):
            node = self.a11y.find(role, name, self.window)
            if node is not None:
                return node
        raise AssertionError(f"no control named {name!r}")

    def open_from_menu(self, menu, item, title):
        """Opens a dialog as a mouse user does; its action would wait for the dialog to end."""
        self.focus_window()
        self.desktop.click(*self.a11y.centre(self.a11y.find("menu item", menu)))
        self.desktop.click(*self.a11y.centre(self.a11y.wait_for("menu item", item)))
        return self.a11y.wait_for("dialog", title)

    def row_cell(self, row, column=0):
        return self.a11y.table_cell(self.list_table(), row, column)

    def test_a_first_start_widths_show_whole_texts(self):
        tree = self.folder_tree()
        tx, _, tw, _ = self.a11y.extents(tree)
        icon_and_margins = 16 + 4 + 6
        for name in ("General", "Northwind Co"):
            cell = self.a11y.wait_for("table cell", name, tree)
            cx, _, _, _ = self.a11y.extents(cell)
            self.assertLessEqual(cx + icon_and_margins + list_font_width(name), tx + tw,
                                 f"{name!r} is cut by the tree pane's edge")
        _, _, list_width, _ = self.a11y.extents(self.list_table())
        self.assertGreater(list_width, tw, "the list keeps the larger part of the window")
        for row in range(len(RECORDINGS)):
            date = self.row_cell(row, 0)
            _, _, dw, _ = self.a11y.extents(date)
            self.assertLessEqual(list_font_width(date.name) + 6, dw, f"{date.name!r} is cut")

    def test_b_a_right_click_and_the_menu_keys_open_the_pop_up_menus(self):
        self.focus_window()
        row = self.a11y.centre(self.row_cell(0))
        self.desktop.click(*row, button=3)
        menu = self.a11y.wait_shown("popup menu", "Recording commands")
        self.assertIn("Select all", [item.name for item in menu])
        self.close_popup(menu)

        # The keyboard's menu key and Shift+F10 open the list's menu at its current row ...
        self.desktop.click(*row)
        for key in ("Menu", "shift+F10"):
            self.desktop.key(key)
            self.close_popup(self.a11y.wait_shown("popup menu", "Recording commands"))

        # ... and the tree's menu at its current node.
        general = self.a11y.wait_for("table cell", "General", self.folder_tree())
        self.desktop.click(*self.a11y.centre(general))
        for key in ("Menu", "shift+F10"):
            self.desktop.key(key)
            self.close_popup(self.a11y.wait_shown("popup menu", "Folder commands"))
        self.desktop.click(*self.a11y.centre(general), button=3)
        self.close_popup(self.a11y.wait_shown("popup menu", "Folder commands"))

    def test_c_play_and_stop_run_from_the_accessibility_bus(self):
        self.focus_window()
        self.desktop.click(*self.a11y.centre(self.row_cell(0)))
        play, stop = self.control("Play"), self.control("Stop")
        self.a11y.do(play)
        pid = self.program.process.pid
        wait_until(lambda: self.a11y.checked(play) and sink_inputs_of(pid), 20,
                   "Play checked and the sound playing")
        self.a11y.do(stop)
        wait_until(lambda: not self.a11y.checked(play) and not sink_inputs_of(pid), 20,
                   "Play unchecked and the sound ended")
        self.assertNotIn("Toggle", self.a11y.actions(self.control("Record")),
                         "Record stays disabled without a modem")

    def test_d_settings_opened_from_the_menu_and_closed_with_ok(self):
        ini = os.path.join(self.data_dir, "orv.ini")
        before = os.stat(ini).st_mtime_ns
        dialog = self.open_from_menu(" Options ", "Settings...", "Settings")
        for page in [node for node in self.a11y.walk(dialog) if node.getRoleName() == "page tab"]:
            self.a11y.do(page)
            wait_until(lambda: self.a11y.find("filler", page.name, dialog), 5,
                       f"the page {page.name!r}")
            self.assertEqual(self.a11y.unusable_controls(dialog), [], page.name)
        self.a11y.do(self.a11y.find("push button", "OK", dialog))
        self.a11y.wait_gone(dialog)
        self.assertGreater(os.stat(ini).st_mtime_ns, before, "OK saved the settings")

    def test_e_every_control_has_a_name_and_an_action(self):
        self.assertEqual(self.a11y.unusable_controls(self.window), [])
        self.desktop.click(*self.a11y.centre(self.row_cell(0)))
        # (Messages and the memo's question go to standard error in an unattended run.)
        for menu, item, title in ((" File ", "Move to...", "Move"),
                                  (" File ", "Search...", "Find"),
                                  (" Help ", "Report a problem...", "Report a problem"),
                                  (" Help ", "About", "About")):
            dialog = self.open_from_menu(menu, item, title)
            self.assertEqual(self.a11y.unusable_controls(dialog), [], title)
            self.desktop.key("Escape")
            self.a11y.wait_gone(dialog)

    def test_f_a_caller_is_added_in_the_callers_window_from_the_keyboard(self):
        callers = self.open_from_menu(" Options ", "Callers...", "Callers")
        self.assertEqual(self.a11y.unusable_controls(callers), [])
        self.desktop.key("alt+a")
        entry = self.a11y.wait_for("dialog", "Add a caller")
        self.assertEqual(self.a11y.unusable_controls(entry), [])
        self.desktop.xdotool("type", "--delay", "30", "Anne Smith")
        self.desktop.key("Tab")
        self.desktop.xdotool("type", "--delay", "30", "+44 20 7946 0018")
        self.desktop.key("Tab")
        self.desktop.xdotool("type", "--delay", "30", "Family")
        self.desktop.key("Return")
        self.a11y.wait_gone(entry)
        self.a11y.wait_for("table cell", "Anne Smith", callers)
        with open(os.path.join(self.data_dir, "Callers.txt"), encoding="utf-8") as f:
            self.assertIn("Caller\tAnne Smith\t+44 20 7946 0018\nGroups\tFamily\n", f.read())
        lookup = subprocess.run([program("calvora-catalogue"), "--data-dir", self.data_dir,
                                 "contacts", "lookup", "+442079460018"],
                                capture_output=True, text=True, check=False)
        self.desktop.key("Escape")
        self.a11y.wait_gone(callers)
        self.assertEqual(lookup.stdout.strip(), "Anne Smith", lookup.stderr)

    def test_z_select_all_then_delete_removes_every_recording(self):
        self.focus_window()
        self.desktop.click(*self.a11y.centre(self.row_cell(1)))
        self.desktop.key("ctrl+a")
        self.desktop.click(*self.a11y.centre(self.a11y.find("menu item", " File ")))
        self.desktop.click(*self.a11y.centre(self.a11y.wait_for("menu item", "Delete...")))
        # Without anyone watching, the confirmation takes its default answer, Yes.
        wait_until(lambda: self.a11y.row_count(self.list_table()) == 0, 10,
                   "the list to be empty")
        self.assertEqual(wav_files(self.data_dir), [])


if __name__ == "__main__":
    unittest.main()
