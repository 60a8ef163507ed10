"""kvchecks_table against the checker: on each shipped profile, every row of
the table says what a run of the native checker with that keyword reports."""
import os
import subprocess
import sys
import unittest

TABLE = os.environ["KVCHECKS_TABLE"]
CHECKER = os.environ["KVCHECKS_NATIVE"]
PROFILES = os.environ["KVCHECKS_PROFILES"]
OUTCOMES = {"none": 0, "major upgrade": 1, "minor upgrade": 2, "same version": 3, "downgrade": 4}
ARGS = ["STORPORT=5.2.3790.9999", "STORPORTSP1=5.2.3790.9999"]


def run(program, args, profile):
    env = dict(os.environ, KVCHECKS_MACHINE=profile)
    return subprocess.run([program] + args, env=env, capture_output=True, text=True, timeout=60)


def table(profile):
    done = run(TABLE, ARGS, profile)
    if done.returncode != 0:
        raise AssertionError(done.stderr)
    rows = []
    for line in done.stdout.splitlines()[2:]:
        if not line.startswith("|"):
            break  # a note below the table
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        rows.append(cells)
    return rows


def condition(rows, keyword):
    return {row[2]: row[3] for row in rows if row[1] == keyword}


class KeywordTable(unittest.TestCase):
    def test_every_row_is_what_the_checker_reports(self):
        for name in sorted(os.listdir(PROFILES)):
            if not name.endswith(".toml"):
                continue
            profile = os.path.join(PROFILES, name)
            rows = table(profile)
            self.assertEqual(len({row[1] for row in rows}), 32, name)
            for number, keyword, arg, said in rows:
                if keyword == "VERSIONCHECK":
                    args = [keyword, arg, "1", "MAJOR", "2", "MINOR", "3", "SAME", "4", "DOWN"]
                    expected = OUTCOMES[said]
                else:
                    args = [keyword, "1", "d"] + ([arg] if arg else [])
                    expected = 1 if said == "holds" else 0
                    self.assertIn(said, ("holds", "does not hold"))
                report = run(CHECKER, args, profile).stdout.splitlines()[0]
                self.assertEqual(report, "Status=%d" % expected, "%s: %s %s" % (name, keyword, arg))

    def test_the_machines_own_facts(self):
        old = table(os.path.join(PROFILES, "windows2000-sp4.toml"))
        self.assertEqual(condition(old, "KROSCHECK"), {"": "holds"})
        self.assertEqual(condition(old, "ISNOTEM64T"), {"": "does not hold"})
        self.assertEqual(condition(old, "VERSIONCHECK"), {"MN": "none", "MS": "none", "ZR": "none"})
        wow = table(os.path.join(PROFILES, "server2003-sp1-x64.toml"))
        self.assertEqual(condition(wow, "ISNOTEM64T"), {"": "holds"})
        self.assertEqual(condition(wow, "STORPORTSP1"), {"5.2.3790.9999": "holds"})
        self.assertEqual(len(condition(wow, "SIGNCHECK")), 4)

    def test_refuses_an_argument_that_names_no_keyword(self):
        done = run(TABLE, ["NOSUCHCHECK=1"], "")
        self.assertEqual(done.returncode, 2)
        self.assertIn("usage", done.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
