"""The start-up trace: with LUMADREL_TRACE naming a file, the launcher writes
a trace-event document of its start, step by step, once its window has
painted (and the updater one when it ends); without it nothing is written."""

import json
import os
import sys
import time

from harness import paths
from harness.paths import windows_path
from harness.updates import ACTIVITY, CANCEL, FAILED, UpdaterWindow, start_updater
from launcher_case import LauncherCase
from updater_case import UpdaterCase

sys.path.insert(0, str(paths.REPO / "bench"))
from trace_breakdown import check_trace  # noqa: E402

# The launcher's start as the trace shows it: these spans, in this order of
# beginning (other spans may come between them).
LAUNCHER_STEPS = [
    "process start (loader, before the runtime)",
    "runtime start", "OleInitialize", "hidden owner window", "template read",
    "program start routine",
    "load form", "form: create window", "form: create components",
    "form: stacking and cursors", "form: created notices", "form: show components",
    "form: events created, moved, resized",
    "main window start routine",
    "single-instance check", "process snapshot (all kinds)",
    "tray icon",
    "desktop shortcut", "special folder", "shell link",
    "version label",
    "connect to the game server", "connect",
    # Showing the window erases its background at once, with the picture.
    "form: show window", "background picture: decode and prepare",
    "first WM_PAINT",
]
MAIN_WINDOW_COMPONENTS = ["超级按钮1", "超级按钮2", "超级按钮3", "透明标签_登录的账号", "透明标签_版本",
                          "组合框_窗口设置", "客户"]


def read_trace(path, timeout: float = 20):
    """The trace document once the file holds one whole (it may be half-written a moment)."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return json.loads(path.read_text(encoding="utf-8"))
        except (OSError, ValueError):
            if time.monotonic() > deadline:
                raise
            time.sleep(0.2)


def in_order(names, expected):
    """The expected names that are missing from `names` as a subsequence."""
    position = 0
    missing = []
    for name in expected:
        try:
            position = names.index(name, position) + 1
        except ValueError:
            missing.append(name)
    return missing


class TraceEnvironment:
    def trace_to(self, path):
        """LUMADREL_TRACE for the programs the driver starts from now on."""
        os.environ["LUMADREL_TRACE"] = windows_path(path)
        self.addCleanup(os.environ.pop, "LUMADREL_TRACE", None)


class LauncherTraceTest(LauncherCase, TraceEnvironment):
    def test_the_launcher_writes_its_start_step_by_step_once_it_painted(self):
        trace = self.artifacts / "launcher-trace.json"
        self.trace_to(trace)
        launcher = self.start()
        document = read_trace(trace)
        self.assertIsNone(check_trace(document))
        events = document["traceEvents"]
        names = [event["name"] for event in events]
        self.assertEqual(in_order(names, LAUNCHER_STEPS), [], names)
        created = {event.get("args", {}).get("detail") for event in events}
        for component in MAIN_WINDOW_COMPONENTS:
            self.assertIn(component, created)
        begun = [event["ts"] for event in events[1:] if event["tid"] == events[1]["tid"]]
        self.assertEqual(begun, sorted(begun), "a thread's spans are listed in the order they began")
        self.assertEqual(document["otherData"]["droppedSpans"], 0)
        # Closing the window ends the program, which writes the whole trace again.
        written = trace.stat().st_mtime_ns
        launcher.close_window("MainWindow")
        self.assertEqual(launcher.exit_code(timeout=10), 0)
        final = read_trace(trace)
        self.assertIsNone(check_trace(final))
        self.assertGreaterEqual(len(final["traceEvents"]), len(events))
        self.assertGreaterEqual(trace.stat().st_mtime_ns, written)

    def test_without_the_variable_nothing_is_written(self):
        self.start()
        self.assertEqual(list(self.artifacts.rglob("*trace*.json")), [])


class UpdaterTraceTest(UpdaterCase, TraceEnvironment):
    def test_the_updater_writes_its_trace_when_it_ends(self):
        session = self.app()
        game = self.game_folder()
        trace = self.artifacts / "updater-trace.json"
        process = start_updater(self.testbed, game, "http://127.0.0.1:9/vorlenk2/update.xml",
                                self.artifacts / "updater.log", LUMADREL_TRACE=windows_path(trace))
        window = UpdaterWindow(session)
        window.wait_text(ACTIVITY, "无法获取更新列表", timeout=30)
        window.click(CANCEL)
        self.assertEqual(process.wait(timeout=30), FAILED)
        document = read_trace(trace, timeout=5)
        self.assertIsNone(check_trace(document))
        names = [event["name"] for event in document["traceEvents"]]
        self.assertEqual(in_order(names, ["process start (loader, before the runtime)", "updater: arguments and settings",
                                          "updater: window, download, install"]), [], names)
