"""A call from the virtual modem, recorded by the window program and shown in its list."""

import os
import unittest

from desktop import DesktopTest, wait_until


class DemoCallTest(DesktopTest):
    args = ["--demo", "--unattended"]
    # The demo's call runs eight times as fast, the program's pauses at a quarter.
    extra_env = {"CALVORA_DEMO_SPEED": "8", "CALVORA_TIME_SCALE": "0.25"}

    def test_a_call_is_recorded_and_its_row_shown(self):
        table = self.list_table()
        wait_until(lambda: self.a11y.row_count(table) >= 1, 180, "the call's row in the list")
        # The memo holds the caller's number.
        try:
            wait_until(lambda: self.a11y.table_cell(table, 0, 3).name.strip(), 30,
                       "the caller's number in the memo")
        except AssertionError:
            with open(os.path.join(self.data_dir, "Events.log"), "rb") as log:
                print(log.read().decode("utf-8", "replace")[-3000:])
            print([self.a11y.table_cell(table, r, c).name for r in range(self.a11y.row_count(table)) for c in range(5)])
            raise
        wavs = [f for f in os.listdir(os.path.join(self.data_dir, "wav")) if f.endswith(".wav")]
        self.assertEqual(len(wavs), self.a11y.row_count(table))


if __name__ == "__main__":
    unittest.main()
