"""The recordings list through the real desktop, as people use list views every day: the date,
time, duration and memo first and in sight, the titles staying over their columns when the rows
scroll sideways, a click on a title sorting with an arrow, Tab and Shift+Tab moving between the
tree, the list, the filter box and the transport controls, and the filter box with Escape."""

import os
import subprocess
import unittest

from PIL import ImageGrab

from desktop import DesktopTest, program, wait_until

# Dates out of order in the table.
RECORDINGS = [("2026-12-11", "11:45:00", "Carol"), ("2026-05-28", "09:15:00", "alice"),
              ("2026-12-10", "10:30:00", "Bob")]
TITLES = ["Date", "Time", "Duration", "Memo", "Ended", "Caller"]


class ListViewTest(DesktopTest):
    @classmethod
    def prepare(cls, data_dir):
        for date, time, memo in RECORDINGS:
            subprocess.run([program("calvora-catalogue"), "--data-dir", data_dir, "add",
                            "--date", date, "--time", time, "--duration", "2", "--memo", memo],
                           check=True, capture_output=True, text=True)

    def table(self):
        return self.list_table()

    def titles(self):
        table = self.table().queryTable()
        return [table.getColumnHeader(c).name for c in range(table.nColumns)]

    def title_cell(self, title):
        table = self.table().queryTable()
        return table.getColumnHeader(self.titles().index(title))

    def memos(self):
        table = self.table()
        memo = self.titles().index("Memo")
        return [self.a11y.table_cell(table, r, memo).name for r in range(self.a11y.row_count(table))]

    def focused(self, node):
        return node.getState().contains(self.a11y.pyatspi.STATE_FOCUSED)

    def filter_box(self):
        return self.a11y.wait_for("text", "Filter recordings", self.window)

    def test_a_the_shown_titles_only_and_the_first_four_in_sight(self):
        self.assertEqual(self.titles(), TITLES)
        tx, _, tw, _ = self.a11y.extents(self.table())
        for title in TITLES[:4]:
            x, _, w, _ = self.a11y.extents(self.title_cell(title))
            self.assertGreaterEqual(x, tx, title)
            self.assertLess(x + min(w, 40), tx + tw, f"{title} is in sight at the design size")

    def header_separators(self):
        """Where the header draws the lines between its sections, along the table's width."""
        tx, _, tw, _ = self.a11y.extents(self.table())
        _, hy, _, _ = self.a11y.extents(self.title_cell("Date"))
        strip = ImageGrab.grab((tx, hy + 2, tx + tw, hy + 3),
                               xdisplay=self.desktop.env["DISPLAY"]).convert("L")
        return [tx + i for i in range(tw) if 100 < strip.getpixel((i, 0)) < 225]

    def assert_titles_over_columns(self):
        table = self.table()
        tx, _, tw, _ = self.a11y.extents(table)
        separators = self.header_separators()
        edges = 0
        for column, title in enumerate(TITLES):
            cx, _, cw, _ = self.a11y.extents(self.a11y.table_cell(table, 0, column))
            edge = cx + cw
            if tx + 4 < edge < tx + tw - 4:
                edges += 1
                self.assertTrue(any(abs(s - edge) <= 2 for s in separators),
                                f"the header's line after {title} at {edge} ({separators})")
        self.assertGreater(edges, 0)

    def test_b_the_titles_stay_over_their_columns_scrolled_sideways(self):
        self.focus_window()
        table = self.table()
        self.assert_titles_over_columns()
        self.desktop.click(*self.a11y.centre(self.a11y.table_cell(table, 0, 0)))
        date_before = self.a11y.extents(self.a11y.table_cell(table, 0, 0))[0]
        # Right moves to the next column, which scrolls the rows into sight of the last.
        for _ in range(6):
            self.desktop.key("Right")
        wait_until(lambda: self.a11y.extents(self.a11y.table_cell(table, 0, 0))[0] < date_before,
                   10, "the rows to scroll sideways")
        self.assert_titles_over_columns()
        self.desktop.key("Home")

    def test_c_a_click_on_a_title_sorts_with_an_arrow_and_a_second_reverses(self):
        self.focus_window()
        self.assertEqual(self.memos(), ["Carol", "alice", "Bob"], "the table's order at first")
        date = self.title_cell("Date")
        x, y, w, h = self.a11y.extents(date)

        def picture():
            return ImageGrab.grab((x, y, x + w, y + h),
                                  xdisplay=self.desktop.env["DISPLAY"]).tobytes()

        unsorted = picture()
        self.desktop.click(x + w // 2, y + h // 2)
        wait_until(lambda: self.memos() == ["alice", "Bob", "Carol"], 10, "the dates in order")
        ascending = wait_until(lambda: picture() != unsorted and picture(), 5, "an arrow")
        self.desktop.click(x + w // 2, y + h // 2)
        wait_until(lambda: self.memos() == ["Carol", "Bob", "alice"], 10, "the order reversed")
        wait_until(lambda: picture() not in (unsorted, ascending), 5, "the arrow turned")

    def test_d_tab_and_shift_tab_move_between_tree_list_filter_and_transport(self):
        self.focus_window()
        tree = self.folder_tree()
        self.desktop.click(*self.a11y.centre(self.a11y.wait_for("table cell", "General", tree)))
        wait_until(lambda: self.focused(tree), 5, "the tree focused")
        play = (self.a11y.find("toggle button", "Play", self.window)
                or self.a11y.find("push button", "Play", self.window))
        steps = [(self.table(), "the list"), (self.filter_box(), "the filter box"),
                 (play, "Play")]
        for node, what in steps:
            self.desktop.key("Tab")
            wait_until(lambda: self.focused(node), 5, f"Tab to reach {what}")
        for node, what in reversed([(tree, "the tree")] + steps[:-1]):
            self.desktop.key("shift+Tab")
            wait_until(lambda: self.focused(node), 5, f"Shift+Tab back to {what}")

    def test_e_the_filter_box_narrows_the_list_and_escape_clears_it(self):
        self.focus_window()
        box = self.filter_box()
        self.desktop.click(*self.a11y.centre(box))
        self.desktop.xdotool("type", "--delay", "30", "bo")
        wait_until(lambda: self.memos() == ["Bob"], 10, "only Bob's recording")
        self.desktop.key("Escape")
        wait_until(lambda: len(self.memos()) == 3, 10, "every recording again")
        self.assertEqual(box.queryText().getText(0, -1), "")


if __name__ == "__main__":
    unittest.main()
