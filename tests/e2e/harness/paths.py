"""Where the harness finds the repository, the builds and its own scratch space."""

import os
import re
from pathlib import Path

REPO = Path(__file__).resolve().parents[3]


def windows_build() -> Path:
    """The Windows build whose programs are tested (LUMADREL_E2E_BUILD, default build/win32)."""
    return Path(os.environ.get("LUMADREL_E2E_BUILD", REPO / "build" / "win32")).resolve()


def windows_target() -> str:
    """win32 or win64: the Windows target of the tested build, read off its UI driver's PE header
    (LUMADREL_WINDOWS_TARGET_E2E overrides). It picks the Wine loader and the tier's prefix."""
    target = os.environ.get("LUMADREL_WINDOWS_TARGET_E2E")
    if target:
        return target
    try:
        with open(uidriver_exe(), "rb") as exe:
            header = exe.read(4096)
        pe = int.from_bytes(header[0x3C:0x40], "little")
        machine = int.from_bytes(header[pe + 4:pe + 6], "little")
        return "win64" if machine == 0x8664 else "win32"
    except (OSError, ValueError):
        return "win32"


def native_build() -> Path:
    """The host build with the reference server (LUMADREL_E2E_NATIVE_BUILD, default build/native)."""
    return Path(os.environ.get("LUMADREL_E2E_NATIVE_BUILD", REPO / "build" / "native")).resolve()


def e2e_root() -> Path:
    """Scratch space of the end-to-end tier: its Wine prefix and each test's files."""
    path = Path(os.environ.get("LUMADREL_E2E_ROOT", REPO / "build" / "e2e")).resolve()
    path.mkdir(parents=True, exist_ok=True)
    return path


def uidriver_exe() -> Path:
    return windows_build() / "tools" / "uidriver" / "uidriver.exe"


def fixture_exe() -> Path:
    return windows_build() / "tools" / "uidriver" / "uidriver_fixture.exe"


def fixture_template() -> Path:
    return windows_build() / "tools" / "uidriver" / "fixture.template"


def launcher_exe() -> Path:
    return windows_build() / "launcher" / "Lumadrel.exe"


def launcher_template() -> Path:
    return windows_build() / "launcher" / "launcher.template"


def game_client_exe() -> Path:
    """The stand-in game client (main.exe): records its command line and working directory."""
    return windows_build() / "tools" / "fixtures" / "main.exe"


def updater_exe() -> Path:
    """The stand-in updater (tovrin.exe): records its command line."""
    return windows_build() / "tools" / "fixtures" / "tovrin.exe"


def real_updater_exe() -> Path:
    """The updater itself (tovrin.exe from updater/), as operators ship it."""
    return windows_build() / "updater" / "tovrin.exe"


def publish_exe() -> Path:
    """The operators' publish tool (host)."""
    return native_build() / "tools" / "publish" / "lumadrel-publish"


def launcher_build_settings() -> dict:
    """The launcher's compiled-in settings (game server, update URL, launch token) as configured for the build."""
    header = require(windows_build() / "launcher" / "generated" / "launcher" / "build_settings.h",
                     "the launcher's build settings")
    settings = {}
    for name, value in re.findall(r'constexpr (?:char|int) (k\w+)(?:\[\])? = "?([^";]*)"?;', header.read_text()):
        settings[name] = value
    return settings


def reference_server_exe() -> Path:
    return native_build() / "server" / "lumadrel-server"


def require(path: Path, what: str) -> Path:
    """The path, or a clear failure naming what is missing and how to build it."""
    if not path.exists():
        raise FileNotFoundError(f"{what} is missing: {path} (build it first, e.g. cmake --build --preset win32 or win64)")
    return path
