"""docs/capture.md lists what the capture collects exactly as the capture's
own list of reads prints it, so that the page cannot fall behind the list."""
import os
import pathlib
import subprocess
import sys
import unittest

CAPTURE = os.environ["KVCHECKS_CAPTURE"]
PAGE = pathlib.Path(__file__).resolve().parents[2] / "docs" / "capture.md"


class CaptureDocs(unittest.TestCase):
    def test_the_page_holds_the_list_of_reads(self):
        printed = subprocess.run([CAPTURE, "--reads"], capture_output=True, text=True, check=True).stdout
        page = PAGE.read_text(encoding="utf-8")
        begin, end = "<!-- reads: begin -->\n", "<!-- reads: end -->"
        self.assertIn(begin, page)
        documented = page[page.index(begin) + len(begin):page.index(end)]
        self.assertEqual(documented, printed, "regenerate the table with build/native/kvcapture --reads")
        self.assertIn("| registry value | `HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer` | "
                      "`InstallerLocation` |", printed)


if __name__ == "__main__":
    sys.exit(unittest.main())
