"""The base of every end-to-end test: a time limit for the whole test, a
folder for its files (build/e2e/artifacts/<test>; a passed test's large files
are removed at its end), and cleanup of every program, driver and server the
test started, whether it passed, failed or ran out of time."""

import re
import shutil
import signal
import unittest

from . import paths
from .document_server import DocumentServer
from .reference_server import ReferenceServer
from .scripted_server import ScriptedServer
from .session import AppSession, LauncherSession
from .testbed import shared_testbed


class E2ETimeout(AssertionError):
    """The test ran past its time limit."""


class E2ETestCase(unittest.TestCase):
    time_limit = 90  # seconds for one test, start and cleanup of its programs included
    kept_file_size = 1 << 20  # larger files of a passed test are removed at its end

    def setUp(self):
        name = re.sub(r"[^A-Za-z0-9_.-]", "_", self.id().split(".", 1)[-1])
        self.artifacts = paths.e2e_root() / "artifacts" / name
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.artifacts.mkdir(parents=True)
        self._sessions = []
        self._servers = []
        self._timed_out = False
        self.addCleanup(self._end)
        previous = signal.signal(signal.SIGALRM, self._out_of_time)
        signal.alarm(self.time_limit)
        # Cleanups run last-in first-out: the alarm goes before anything is stopped.
        self.addCleanup(signal.signal, signal.SIGALRM, previous)
        self.addCleanup(signal.alarm, 0)
        self.testbed = shared_testbed()

    def _out_of_time(self, signum, frame):
        self._timed_out = True
        raise E2ETimeout(f"{self.id()} ran past its time limit of {self.time_limit} s")

    # --- what a test starts ---

    def app(self, template=None, forms=None, **options) -> AppSession:
        """A driver session for any program (started with session.start)."""
        session = AppSession(self.testbed, self.artifacts / f"session{len(self._sessions) + 1}", template=template,
                             forms=forms, **options)
        self._sessions.append(session)
        return session

    def launcher(self, **options) -> LauncherSession:
        """A game folder with the launcher and update.ini, and a driver session for it
        (start it with session.start_launcher())."""
        session = LauncherSession(self.testbed, self.artifacts / f"session{len(self._sessions) + 1}", **options)
        self._sessions.append(session)
        return session

    def scripted_server(self, **options) -> ScriptedServer:
        server = ScriptedServer(**options)
        self._servers.append(server)
        return server

    def document_server(self, **options) -> DocumentServer:
        """An HTTP server with fixed documents (port 8080 unless told otherwise)."""
        server = DocumentServer(**options)
        self._servers.append(server)
        return server

    def reference_server(self, **options) -> ReferenceServer:
        server = ReferenceServer(self.artifacts / f"server{len(self._servers) + 1}", **options)
        self._servers.append(server)
        return server.start()

    # --- the end of every test ---

    def _failed(self) -> bool:
        """Whether the test (or one of its subtests) has failed so far."""
        result = getattr(self._outcome, "result", None)
        reports = (getattr(result, "failures", []) or []) + (getattr(result, "errors", []) or [])
        return self._timed_out or any(test is self or getattr(test, "test_case", None) is self
                                      for test, _ in reports)

    def _end(self):
        failed = self._failed()
        for session in self._sessions:
            try:
                if failed and not self._timed_out:
                    self._capture_windows(session)
                with open(session.artifacts / "transcript.txt", "w", encoding="utf-8") as transcript:
                    for line, answer in session.driver.transcript:
                        transcript.write(f"> {line}\n< {answer}\n")
            except Exception as error:  # the report must not hide the failure
                print(f"note: could not save what the driver saw: {error}")
            if self._timed_out:
                session.driver.kill()  # an interrupted call leaves the stream out of step
            else:
                session.close()
        for server in self._servers:
            try:
                if isinstance(server, (ScriptedServer, DocumentServer)):
                    server.close()
                else:
                    server.stop()
            except Exception as error:
                print(f"note: could not stop a server: {error}")
        if not failed:
            self._drop_large_files()

    def _drop_large_files(self):
        """A passed test keeps its transcripts, logs and screenshots, not the copies of
        the programs and the large payloads it served (they come to gigabytes over
        the tier, which a full disk would turn into errors in the last tests)."""
        for path in self.artifacts.rglob("*"):
            try:
                if path.is_file() and not path.is_symlink() and path.stat().st_size > self.kept_file_size:
                    path.unlink()
            except OSError as error:
                print(f"note: could not remove {path}: {error}")

    def _capture_windows(self, session):
        for index, window in enumerate(session.windows()):
            session.screenshot(f"failure-{index}.png", window["hwnd"])
