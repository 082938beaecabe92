"""The updater's side of the end-to-end tier: game folders as sets of files,
versions published with the publish tool, tovrin.exe run directly (with the
test hooks only its environment carries), and its window read through the
driver by control id.

    files = files_of(game)                       # {"data/map01.dat": b"...", ...}
    publish("1.0.1", new_game, www)              # signed with the default brand's test key A
    documents = signed({"/vorlenk2/update.xml": xml_bytes})  # the same bytes and their .minisig
    window = UpdaterWindow(observer)             # any driver session
    window.wait_text(ACTIVITY, "更新失败", timeout=20)
    window.click(CANCEL)"""

import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from . import paths
from .driver import DriverError

WINDOW_CLASS = "LumadrelUpdater"
# Control ids of the updater's window.
ACTIVITY, FILE, BYTES, RETRY, CANCEL = 100, 110, 130, 140, 150
WORK_FOLDER = "tovrin.update"
SEQUENCE_FILE = "tovrin.sequence"
# The test keys: the default brand pins A, the tests' second brand pins B (tests/data/update-keys).
TEST_KEY_A = paths.REPO / "tests" / "data" / "update-keys" / "TEST-ONLY-key-a.key"
TEST_KEY_B = paths.REPO / "tests" / "data" / "update-keys" / "TEST-ONLY-key-b.key"
# tovrin.exe's exit codes.
INSTALLED, FAILED, CANCELLED, CRASHED_BY_HOOK = 0, 1, 2, 3


def files_of(folder: Path, skip=(WORK_FOLDER,)) -> dict:
    """Every file below the folder (relative path with "/" -> bytes), the top-level names in `skip` left out."""
    folder = Path(folder)
    found = {}
    for path in sorted(folder.rglob("*")):
        relative = path.relative_to(folder)
        if relative.parts[0] in skip or not path.is_file():
            continue
        found[relative.as_posix()] = path.read_bytes()
    return found


def write_files(folder: Path, files: dict):
    for relative, data in files.items():
        target = Path(folder) / relative
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)


def update_ini(version: str) -> bytes:
    """update.ini naming the installed version, in GBK as the launcher and the updater read it."""
    return f"[更新配置]\r\n当前版本={version}\r\n".encode("gbk")


def write_update_ini(folder: Path, version: str) -> Path:
    path = Path(folder) / "update.ini"
    path.write_bytes(update_ini(version))
    return path


def publish(version: str, source: Path, www: Path, *excluded: str, key: Path = TEST_KEY_A):
    """Publishes the folder's files as `version` below `www` with the publish tool, signed with `key`
    (None: unsigned)."""
    command = [str(paths.require(paths.publish_exe(), "the publish tool")), "--version", version,
               "--from", str(source), "--www", str(www)]
    for pattern in excluded:
        command += ["--exclude", pattern]
    if key is not None:
        command += ["--sign-key", str(key)]
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise RuntimeError(f"publishing {version} failed: {result.stderr}")


def minisign_signature(document: bytes, key: Path = TEST_KEY_A) -> bytes:
    """The .minisig that the real minisign tool writes for these bytes (its default, pre-hashed form)."""
    with tempfile.TemporaryDirectory() as scratch:
        path = Path(scratch) / "update.xml"
        path.write_bytes(document)
        result = subprocess.run(["minisign", "-S", "-s", str(key), "-m", str(path)], stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise RuntimeError(f"minisign -S failed (scripts/install-deps.sh installs it): {result.stderr}")
        return (Path(scratch) / "update.xml.minisig").read_bytes()


def signed(documents: dict, key: Path = TEST_KEY_A) -> dict:
    """The documents (path -> bytes) and, for each XML one, its signature at path + ".minisig"."""
    result = dict(documents)
    for path, data in documents.items():
        if path.endswith(".xml"):
            result[path + ".minisig"] = minisign_signature(data, key)
    return result


def with_version_resource(exe: bytes, old: str = "1.0.0.0", new: str = "1.0.1.0") -> bytes:
    """The program with another version in its version resource (the same length, so nothing moves)."""
    before, after = old.encode("utf-16-le"), new.encode("utf-16-le")
    if exe.count(before) == 0:
        raise ValueError(f"no version text {old} in the program")
    return exe.replace(before, after)


def install_real_updater(game: Path):
    shutil.copy2(paths.require(paths.real_updater_exe(), "the updater"), Path(game) / "tovrin.exe")


def start_updater(testbed, game: Path, url: str, log: Path, **environment) -> subprocess.Popen:
    """tovrin.exe started from the game folder with the launcher's arguments, outside the driver,
    so that its environment can carry test hooks (LUMADREL_UPDATER_CRASH_AT=N, ...)."""
    env = testbed.env()
    env.update({key: str(value) for key, value in environment.items()})
    output = open(log, "ab")
    process = subprocess.Popen([str(paths.REPO / "scripts" / "wine-exec.sh"), str(Path(game) / "tovrin.exe"), url,
                                "test"], cwd=game, env=env, stdin=subprocess.DEVNULL, stdout=output,
                               stderr=subprocess.STDOUT, start_new_session=True)
    output.close()
    return process


class UpdaterWindow:
    """The updater's window, found by its class (the only updater of the test), read by control id."""

    def __init__(self, session, pid: int = None):
        self.session = session
        self.pid = pid
        self.hwnd = None

    def find(self, timeout: float = 30) -> str:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window in self.session.windows(all=True, pid="all"):
                if window["class"] == WINDOW_CLASS and (self.pid is None or window["pid"] == self.pid):
                    self.hwnd = window["hwnd"]
                    return self.hwnd
            time.sleep(0.1)
        raise AssertionError(f"no updater window within {timeout} s")

    def control(self, control_id: int, timeout: float = 10) -> str:
        """The handle of one of the window's controls (a window found while it is being made has none yet)."""
        deadline = time.monotonic() + timeout
        while True:
            for control in self.session.controls(self.hwnd or self.find()):
                if control["id"] == control_id:
                    return control["hwnd"]
            if time.monotonic() >= deadline:
                raise AssertionError(f"the updater's window has no control {control_id}")
            time.sleep(0.1)

    def text(self, control_id: int) -> str:
        return self.session.driver.check("text", self.control(control_id))["text"]

    def wait_text(self, control: int, text: str, timeout: float = 30) -> str:
        """Waits until the control's text contains `text`; gives the whole text."""
        deadline = time.monotonic() + timeout
        shown = ""
        while time.monotonic() < deadline:
            try:
                shown = self.text(control)
            except DriverError:
                shown = ""
            if text in shown:
                return shown
            time.sleep(0.1)
        raise AssertionError(f"the updater's {control} never said {text!r}; it says {shown!r}")

    def click(self, control_id: int):
        self.session.driver.check("click", self.control(control_id))
