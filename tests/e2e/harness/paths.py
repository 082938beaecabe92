"""Where the harness finds the repository, the builds and its own scratch space."""

import json
import os
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


def brand(build: Path = None) -> dict:
    """The brand a Windows build was made for: its checked values (scripts/brand.py's brand.json)."""
    build = build or windows_build()
    return json.loads(require(build / "brand" / "brand.json", "the build's brand").read_text(encoding="utf-8"))


def second_brand_build():
    """The build of the tests' second brand (LUMADREL_E2E_SECOND_BRAND_BUILD, default build/<target>-second-brand
    beside the tested build), or None when there is none."""
    build = Path(os.environ.get("LUMADREL_E2E_SECOND_BRAND_BUILD", f"{windows_build()}-second-brand")).resolve()
    return build if (build / "brand" / "brand.json").exists() else None


def launcher_exe(build: Path = None) -> Path:
    build = build or windows_build()
    return build / "launcher" / brand(build)["executable"]


def launcher_template(build: Path = None) -> Path:
    return (build or windows_build()) / "launcher" / "launcher.template"


def game_client_exe(build: Path = None) -> Path:
    """The stand-in game client, named as the brand names the game client: records its command line."""
    build = build or windows_build()
    return build / "tools" / "fixtures" / brand(build)["game_client"]


def updater_exe(build: Path = None) -> Path:
    """The stand-in updater, named as the brand names the updater: records its command line."""
    build = build or windows_build()
    return build / "tools" / "fixtures" / brand(build)["updater"]


def real_updater_exe(build: Path = None) -> Path:
    """The updater itself (tovrin.exe from updater/, named as the brand names it), as operators ship it."""
    build = build or windows_build()
    return build / "updater" / brand(build)["updater"]


def publish_exe() -> Path:
    """The operators' publish tool (host)."""
    return native_build() / "tools" / "publish" / "lumadrel-publish"


def reference_server_exe() -> Path:
    return native_build() / "server" / "lumadrel-server"


def windows_path(path) -> str:
    """A Unix path as Windows programs see it under Wine, where drive Z: is the root: /a/b is Z:\\a\\b."""
    return "Z:" + str(path).replace("/", "\\")


def require(path: Path, what: str) -> Path:
    """The path, or a clear failure naming what is missing and how to build it."""
    if not path.exists():
        raise FileNotFoundError(f"{what} is missing: {path} (build it first, e.g. cmake --build --preset win32 or win64)")
    return path
