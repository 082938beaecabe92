#!/usr/bin/env python3
"""scripts/check-includes.py over a small tree of its own: each include that
breaks a rule gives one line naming the file, the line, the include and the
rule; the others pass.

    tests/tools/check_includes_test.py
"""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CHECKER = Path(__file__).resolve().parents[2] / "scripts" / "check-includes.py"

RULES = """
layer common
layer runtime
layer components
library brand
generated brand/ brand
program launcher
program updater
program server
tests tests
tests bench
support tests/support
allow server/exempt.cpp updater
allow server/stale.cpp launcher  # nothing includes this any more
"""

# Headers the includes below can find.
HEADERS = ["common/text.h", "runtime/values.h", "components/button.h", "launcher/ids.h", "updater/journal.h",
           "server/store.h", "tests/support/harness.h", "tests/runtime/helper.h"]


# Each case is a file of its own holding one include at line 3: file, include, the rule broken (None: allowed).
CASES = [
    ("components/list.cpp", '#include "runtime/values.h"', None),
    ("components/grid.cpp", '#include "../runtime/values.h"', None),
    ("runtime/form.cpp", '#include "components/button.h"',
     "lower layers never include higher ones (runtime is below components)"),
    ("runtime/menu.cpp", '#include "../components/button.h"',
     "lower layers never include higher ones (runtime is below components)"),
    ("runtime/tab.cpp", "#include <components/button.h>",
     "lower layers never include higher ones (runtime is below components)"),
    ("common/gbk.cpp", '#include "launcher/ids.h"',
     "layers never include a program's sources (common is a layer, launcher a program)"),
    ("runtime/caption.cpp", '#include "brand/brand_settings.h"', "a layer includes no library (brand)"),
    ("launcher/main.cpp", '#include "brand/brand_settings.h"', None),
    ("launcher/text.cpp", '#include "common/text.h"', None),
    ("launcher/system.cpp", "#include <windows.h>", None),
    ("launcher/settings.cpp", '#include "build_settings.h"', "names no file of the tree and no generated header"),
    ("updater/main.cpp", '#include "launcher/ids.h"',
     "programs never include another program's sources (updater includes launcher)"),
    ("updater/name.h", '#include "../launcher/ids.h"',
     "programs never include another program's sources (updater includes launcher)"),
    ("launcher/probe.cpp", '#include "tests/support/harness.h"', "programs never include test code (tests/support)"),
    ("tests/launcher/ids_test.cpp", '#include "launcher/ids.h"', None),
    ("tests/launcher/harness_test.cpp", '#include "support/harness.h"', None),
    ("tests/server/store_test.cpp", '#include "updater/journal.h"',
     "tests include what they test: tests of server never include updater"),
    ("tests/runtime/values_test.cpp", '#include "launcher/ids.h"',
     "tests of a layer include no program's sources (launcher)"),
    ("bench/helper_bench.cpp", '#include "tests/runtime/helper.h"',
     "tests share code through a support folder, not through tests"),
    ("bench/store_bench.cpp", '#include "server/store.h"', None),
    ("server/exempt.cpp", '#include "updater/journal.h"', None),
    ("server/other.cpp", '#include "updater/journal.h"',
     "programs never include another program's sources (server includes updater)"),
    ("bench/mixed_bench.cpp", '#include "server/store.h"\n#include "updater/journal.h"',
     "tests include what they test, one program: this file tests server, not updater"),
]


class IncludeRules(unittest.TestCase):
    def test_each_include_gets_the_verdict_of_its_rule(self):
        with tempfile.TemporaryDirectory(prefix="check-includes-test-") as scratch:
            root = Path(scratch)
            sources = HEADERS + [(file, f"// {file}\n\n{include}\n") for file, include, _ in CASES]
            for entry in sources:
                name, text = (entry, "#pragma once\n") if isinstance(entry, str) else entry
                (root / name).parent.mkdir(parents=True, exist_ok=True)
                (root / name).write_text(text)
            (root / "rules.txt").write_text(RULES)
            result = subprocess.run([sys.executable, str(CHECKER), "--root", str(root), "--rules",
                                     str(root / "rules.txt")], capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 1)
        lines = result.stderr.splitlines()
        for file, include, broken in CASES:
            with self.subTest(file=file, include=include):
                found = [line for line in lines if line.startswith(file + ":")]
                line = 3 + include.count("\n")  # the last include of the file breaks the rule
                expected = [] if broken is None else [f"{file}:{line}: {include.splitlines()[-1]}: {broken}"]
                self.assertEqual(found, expected)
        # The exception that no include needs any more is named with its line in the rules.
        self.assertIn("rules.txt:14: allow server/stale.cpp launcher: no include needs this exception any more;"
                      " remove it", lines)
        self.assertEqual(lines[-1], f"check-includes: {sum(1 for c in CASES if c[2]) + 1} violation(s) of the rules"
                         f" in {root / 'rules.txt'}")

if __name__ == "__main__":
    unittest.main()
