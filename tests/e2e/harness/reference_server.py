"""The reference game server (build/native/server/lumadrel-server) for tests
that need a real one: started on the launcher's compiled-in ports with a fresh
database in the test's folder, stopped (SIGTERM, then SIGKILL) at the end.
With `www` it serves the files below that folder (the publish tool's output);
`log_lines()` gives what it logged, one line per HTTP answer."""

import re
import signal
import subprocess
import threading
from pathlib import Path

from . import paths

_LISTENING = re.compile(r"listening: game \S+:(\d+), http \S+:(\d+)")


class ReferenceServer:
    def __init__(self, folder: Path, port: int = 2013, http_port: int = 8080, version: str = None,
                 update_ini: Path = None, draw_limit: int = None, www: Path = None, extra_arguments=()):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        arguments = [str(paths.require(paths.reference_server_exe(), "the reference server")),
                     "--address", "127.0.0.1", "--port", str(port), "--http-port", str(http_port),
                     "--db", str(self.folder / "server.db"), "--hash-iterations", "1000"]
        if version is not None:
            arguments += ["--version", version]
        if update_ini is not None:
            arguments += ["--update-ini", str(update_ini)]
        if draw_limit is not None:
            arguments += ["--draw-limit", str(draw_limit)]
        if www is not None:
            arguments += ["--www", str(www)]
        self.arguments = arguments + list(extra_arguments)
        self.process = None
        self.port = None
        self.http_port = None

    def start(self, timeout: float = 20.0):
        log = open(self.folder / "server.log", "ab")
        self.process = subprocess.Popen(self.arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=log, start_new_session=True)
        log.close()
        ready = threading.Event()
        first_line = []

        def read_first_line():
            first_line.append(self.process.stdout.readline().decode("utf-8", "replace"))
            ready.set()

        threading.Thread(target=read_first_line, daemon=True).start()
        if not ready.wait(timeout) or not _LISTENING.search(first_line[0]):
            self.stop()
            raise RuntimeError(f"the reference server did not start; see {self.folder / 'server.log'}")
        match = _LISTENING.search(first_line[0])
        self.port, self.http_port = int(match.group(1)), int(match.group(2))
        return self

    def log_lines(self) -> list:
        return (self.folder / "server.log").read_text(encoding="utf-8", errors="replace").splitlines()

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        self.process.stdout.close()
        self.process = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
