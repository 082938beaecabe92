"""The Windows test bed of the end-to-end tier: an X display (Xvfb) and a
wineserver for the tier's own Wine prefix, started through scripts/testbed.sh.

A display or wineserver that was already running is reused and left running;
what this test bed started, it stops."""

import getpass
import glob
import os
import socket
import subprocess
from pathlib import Path

from . import paths


def _wineserver_running(prefix: Path) -> bool:
    try:
        info = prefix.stat()
    except FileNotFoundError:
        return False
    name = f"server-{info.st_dev:x}-{info.st_ino:x}"
    for path in glob.glob(f"/tmp/.wine-{os.getuid()}/{name}/socket") + glob.glob(f"/tmp/wine-*/{name}/socket"):
        probe = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            probe.connect(path)
            return True
        except OSError:
            continue
        finally:
            probe.close()
    return False


class Testbed:
    """One per test run; `start` is idempotent, `stop` undoes only what start did."""

    def __init__(self, prefix: Path = None):
        self.target = paths.windows_target()
        own = "wine-prefix" if self.target == "win32" else f"wine-prefix-{self.target}"
        self.prefix = Path(prefix or os.environ.get("LUMADREL_E2E_WINEPREFIX", paths.e2e_root() / own))
        self.display = None
        self._started_display = False
        self._started_server = False
        self._running = False

    def env(self) -> dict:
        """Environment for programs run under this test bed (scripts/wine-exec.sh reads it)."""
        env = dict(os.environ)
        env["LUMADREL_WINDOWS_TARGET"] = self.target
        env["LUMADREL_WINEPREFIX"] = str(self.prefix)
        env["WINEPREFIX"] = str(self.prefix)
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def _script(self, *arguments, timeout=180):
        return subprocess.run([str(paths.REPO / "scripts" / "testbed.sh"), *arguments], env=self.env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              text=True, timeout=timeout)

    def _display_running(self) -> bool:
        return self._script("status").stdout.startswith("display ")

    def start(self):
        if self._running:
            return self
        display_before = self._display_running()
        server_before = _wineserver_running(self.prefix)
        result = self._script("start")
        # A wineserver that already runs makes `wineserver -p` (and so the script) fail: that one is reused.
        if result.returncode != 0 and not (server_before and self._display_running()):
            raise RuntimeError(f"scripts/testbed.sh start failed (exit status {result.returncode}):\n{result.stdout}")
        # scripts/testbed.sh keeps its state under $LUMADREL_ROOT/build/testbed (or testbed/$LUMADREL_TESTBED).
        state = Path(os.environ.get("LUMADREL_ROOT", paths.REPO)) / "build" / "testbed" / os.environ.get("LUMADREL_TESTBED", "")
        self.display = (state / "display").read_text().strip()
        self._started_display = not display_before
        self._started_server = not server_before
        self._running = True
        self._own_desktop()
        self._unmanaged_windows()
        return self

    def desktop(self) -> Path:
        """The desktop folder of the prefix's user (where programs put desktop shortcuts)."""
        return self.prefix / "drive_c" / "users" / getpass.getuser() / "Desktop"

    def _unmanaged_windows(self):
        # Xvfb runs no window manager: Wine would wait 2 s for one each time it hides or
        # destroys a managed window; unmanaged windows go at once.
        subprocess.run([str(paths.REPO / "scripts" / "wine-exec.sh"), "reg", "add", r"HKCU\Software\Wine\X11 Driver",
                        "/v", "Managed", "/d", "N", "/f"], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)

    def _own_desktop(self):
        # A new prefix links the desktop to the home folder; the tier's shortcuts belong in the prefix.
        desktop = self.desktop()
        if desktop.is_symlink():
            desktop.unlink()
        desktop.mkdir(parents=True, exist_ok=True)

    def stop(self):
        if not self._running:
            return
        self._running = False
        if self._started_display:
            self._script("stop", timeout=60)  # the display and this prefix's wineserver
        elif self._started_server:
            subprocess.run(["wineserver", "-k"], env=self.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


_shared = None


def shared_testbed() -> Testbed:
    """The run's test bed, started on first use and stopped when the run ends."""
    global _shared
    if _shared is None:
        import atexit
        _shared = Testbed()
        atexit.register(_shared.stop)
    return _shared.start()
