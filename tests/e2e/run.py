#!/usr/bin/env python3
"""Runs the end-to-end tier: every tests/e2e/test_*.py under Wine, against the
Windows build (default build/win32; a build/win64 runs under 64-bit Wine) and,
for the game server, the host build (default build/native). Starts the test bed
(Xvfb and a wineserver for the tier's own prefix, build/e2e/wine-prefix or
build/e2e/wine-prefix-win64) unless one runs, and stops what it started. Each
test has its own time limit; files of each test (driver transcripts,
screenshots, game folders) are left in build/e2e/artifacts/ (a passed test keeps
only its files of up to 1 MiB).

    tests/e2e/run.py [--build DIR] [--native-build DIR] [-k PATTERN] [-q]
"""

import argparse
import os
import signal
import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", help="the Windows build directory (default build/win32)")
    parser.add_argument("--native-build", help="the host build directory (default build/native)")
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only tests whose name contains this (repeatable)")
    parser.add_argument("-q", "--quiet", action="store_true", help="one character per test")
    options = parser.parse_args()
    if options.build:
        os.environ["LUMADREL_E2E_BUILD"] = str(Path(options.build).resolve())
    if options.native_build:
        os.environ["LUMADREL_E2E_NATIVE_BUILD"] = str(Path(options.native_build).resolve())
    # A stopped run still stops its test bed (atexit runs on SystemExit).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    signal.signal(signal.SIGHUP, lambda *_: sys.exit(129))

    sys.path.insert(0, str(HERE))
    loader = unittest.TestLoader()
    if options.patterns:
        loader.testNamePatterns = [f"*{pattern}*" for pattern in options.patterns]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    result = unittest.TextTestRunner(verbosity=1 if options.quiet else 2).run(suite)
    if result.testsRun == 0:
        print("no end-to-end test was run", file=sys.stderr)
        return 1
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
