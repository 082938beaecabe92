#!/usr/bin/env python3
"""Checks a brand and prepares what the launcher's build takes from it.

A brand is a folder with brand.toml and, optionally, art/ and forms/ folders
whose files replace the launcher's own files of the same name. Every value is
checked here, before anything is built; a bad one stops the build with one
line naming the file, the line and the key.

    scripts/brand.py BRAND_DIR OUT_DIR [--version X.Y.Z]
    scripts/brand.py --compile OUT_DIR FORMC ARGUMENTS...

The second form runs the form compiler on the prepared form sources and, when
it refuses one, names the file the source came from (the brand's override or
launcher/forms) in its message.

OUT_DIR receives:
  brand.cmake                        values for CMake
  brand.json                         the checked values, for scripts and tests
  generated/brand/brand_settings.h  the brand's constants, for the launcher and the updater
  resources.rc                       the program's resources (version, icon)
  forms/, art/, handlers.txt         the form sources and art the template is compiled from
"""

import base64
import binascii
import json
import re
import shutil
import sys
import tomllib
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
LAUNCHER = REPO / "launcher"


class BrandError(Exception):
    pass


class Brand:
    def __init__(self, directory: Path):
        self.directory = directory
        self.file = directory / "brand.toml"
        try:
            self.text = self.file.read_text(encoding="utf-8")
        except FileNotFoundError:
            raise BrandError(f"{self.shown(self.file)}:0: brand.toml is missing")
        except UnicodeDecodeError as error:
            raise BrandError(f"{self.shown(self.file)}:0: not UTF-8 ({error.reason})")
        try:
            self.values = tomllib.loads(self.text)
        except tomllib.TOMLDecodeError as error:
            line = re.search(r"line (\d+)", str(error))
            raise BrandError(f"{self.shown(self.file)}:{line.group(1) if line else 0}: {error}")

    @staticmethod
    def shown(path: Path) -> str:
        try:
            return str(path.resolve().relative_to(REPO))
        except ValueError:
            return str(path)

    def line_of(self, table: str, key: str = None) -> int:
        """Where a key (or its table) is written; 0 when it is not."""
        current, table_line = None, 0
        for number, line in enumerate(self.text.splitlines(), 1):
            stripped = line.strip()
            header = re.fullmatch(r"\[\s*([A-Za-z0-9_.-]+)\s*\]", stripped.split("#")[0].strip())
            if header:
                current = header.group(1)
                if current == table:
                    table_line = number
                continue
            if current == table and key and re.match(rf"{re.escape(key)}\s*=", stripped):
                return number
        return table_line

    def fail(self, table: str, key: str, message: str):
        raise BrandError(f"{self.shown(self.file)}:{self.line_of(table, key)}: {table}.{key}: {message}")

    def get(self, table: str, key: str, kind=str):
        section = self.values.get(table)
        if not isinstance(section, dict) or key not in section:
            self.fail(table, key, "missing")
        value = section[key]
        if kind is int and (not isinstance(value, int) or isinstance(value, bool)):
            self.fail(table, key, "must be a whole number")
        if kind is str and not isinstance(value, str):
            self.fail(table, key, "must be a text in quotes")
        return value


def gbk_text(brand, table, key, max_bytes, forbidden='"\\'):
    """A text the program keeps as GBK: encodable, no control characters."""
    value = brand.get(table, key)
    if not value:
        brand.fail(table, key, "must not be empty")
    if any(ord(c) < 0x20 or ord(c) == 0x7F for c in value):
        brand.fail(table, key, "must not contain control characters")
    for c in forbidden:
        if c in value:
            brand.fail(table, key, f"must not contain {c!r}")
    try:
        encoded = value.encode("gbk")
    except UnicodeEncodeError as error:
        brand.fail(table, key, f"{value[error.start]!r} cannot be written in GBK")
    if len(encoded) > max_bytes:
        brand.fail(table, key, f"is {len(encoded)} bytes in GBK; at most {max_bytes}")
    return value


def matching(brand, table, key, pattern, what, max_length=255):
    value = brand.get(table, key)
    if len(value) > max_length or not re.fullmatch(pattern, value):
        brand.fail(table, key, f"must be {what}")
    return value


HOST = r"(?=.{1,253}$)[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?"
FILE_NAME = r"[A-Za-z0-9_][A-Za-z0-9_.-]{0,59}\.exe"
WINDOWS_RESERVED = r'[\\/:*?"<>|]'


def check(brand: Brand) -> dict:
    for table in brand.values:
        if table not in ("product", "game_server", "update", "game", "installer"):
            raise BrandError(f"{brand.shown(brand.file)}:{brand.line_of(table)}: [{table}]: not a brand table")
    values = {}
    values["name"] = gbk_text(brand, "product", "name", 64, forbidden='"\\/:*?<>|')
    values["executable"] = matching(brand, "product", "executable", FILE_NAME,
                                    "a file name of letters, digits, '_', '.' and '-' ending in .exe")
    values["caption"] = gbk_text(brand, "product", "caption", 255)
    values["tray_tip"] = gbk_text(brand, "product", "tray_tip", 127)
    values["company"] = gbk_text(brand, "product", "company", 127)
    values["description"] = gbk_text(brand, "product", "description", 127)
    version = matching(brand, "product", "version", r"\d{1,5}\.\d{1,5}\.\d{1,5}", "three numbers such as 1.0.0")
    if any(int(part) > 65535 for part in version.split(".")):
        brand.fail("product", "version", "parts must be at most 65535")
    values["version"] = version

    values["server_host"] = matching(brand, "game_server", "host", HOST, "an IPv4 address or a host name")
    port = brand.get("game_server", "port", int)
    if not 1 <= port <= 65535:
        brand.fail("game_server", "port", f"must be between 1 and 65535, not {port}")
    values["server_port"] = port

    update_host = matching(brand, "update", "host", HOST + r"(?::\d{1,5})?", "a host with an optional :port")
    if ":" in update_host and not 1 <= int(update_host.rsplit(":", 1)[1]) <= 65535:
        brand.fail("update", "host", "port must be between 1 and 65535")
    path = matching(brand, "update", "path", r"/[A-Za-z0-9._~/-]*", "a path of URL characters starting with '/'",
                    200)
    scheme = "http"
    if "scheme" in brand.values.get("update", {}):
        scheme = brand.get("update", "scheme")
        if scheme not in ("http", "https"):
            brand.fail("update", "scheme", f'must be "http" or "https", not {scheme!r}')
    values["update_url"] = f"{scheme}://{update_host}{path}"
    values["update_path"] = path
    values["update_public_keys"], values["allow_unsigned_updates"] = update_keys(brand)
    values["updater"] = matching(brand, "update", "updater", FILE_NAME,
                                 "a file name of letters, digits, '_', '.' and '-' ending in .exe")

    values["game_client"] = matching(brand, "game", "client", FILE_NAME,
                                     "a file name of letters, digits, '_', '.' and '-' ending in .exe")
    values["game_window_title"] = gbk_text(brand, "game", "window_title", 255, forbidden="")
    values["game_renamed_title"] = gbk_text(brand, "game", "renamed_title", 255, forbidden="")
    token = brand.get("game", "launch_token")
    if len(token) != 144:
        brand.fail("game", "launch_token", f"must be 144 characters, not {len(token)}")
    if not re.fullmatch(r"[A-Za-z0-9+/=]{144}", token):
        brand.fail("game", "launch_token", "must be Base64 characters (A-Z, a-z, 0-9, '+', '/', '=')")
    values["launch_token"] = token

    values["installer_files"] = ""
    if "installer" in brand.values:
        files = brand.get("installer", "files")
        folder = (brand.directory / files).resolve()
        if not folder.is_dir():
            brand.fail("installer", "files", f"{files} is not a folder beside brand.toml")
        values["installer_files"] = str(folder)
    return values


def update_keys(brand: Brand):
    """The minisign public keys the updater pins, or none when the brand allows unsigned updates."""
    section = brand.values.get("update", {})
    allow = section.get("allow_unsigned_updates", False)
    if not isinstance(allow, bool):
        brand.fail("update", "allow_unsigned_updates", "must be true or false")
    keys = section.get("public_keys", [])
    if not isinstance(keys, list) or not all(isinstance(key, str) for key in keys):
        brand.fail("update", "public_keys", 'must be a list of texts in quotes: ["RW...", ...]')
    for key in keys:
        try:
            raw = base64.b64decode(key, validate=True)
        except (binascii.Error, ValueError):
            raw = b""
        if len(raw) != 42 or raw[:2] != b"Ed" or base64.b64encode(raw).decode() != key:
            brand.fail("update", "public_keys", f"{key[:20]!r}... is not the base64 line of a minisign public key "
                                                "file (minisign -G writes it)")
    if len(set(keys)) != len(keys):
        brand.fail("update", "public_keys", "names a key twice")
    if keys and allow:
        brand.fail("update", "allow_unsigned_updates", "cannot go with public_keys: signed updates need no exception")
    if not keys and not allow:
        brand.fail("update", "public_keys", "missing: the updater needs at least one key to verify updates with "
                                            "(or allow_unsigned_updates = true, for local testing only)")
    return keys, allow


def overrides(brand: Brand, folder: str) -> dict:
    """The brand's replacement files of one launcher folder, by name."""
    own = brand.directory / folder
    if not own.is_dir():
        return {}
    replaced = {}
    for path in sorted(own.iterdir()):
        if not (LAUNCHER / folder / path.name).is_file():
            raise BrandError(f"{brand.shown(path)}:0: {folder}/{path.name}: the launcher has no file of this name "
                             f"to replace (see launcher/{folder}/)")
        replaced[path.name] = path
    return replaced


def c_string(text: str) -> str:
    # Narrow literals are compiled to GBK; only quotes and backslashes need escapes.
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def rc_string(text: str) -> str:
    return '"' + text.replace('"', '""') + '"'


def write_if_changed(path: Path, content: bytes):
    path.parent.mkdir(parents=True, exist_ok=True)
    if path.exists() and path.read_bytes() == content:
        return
    path.write_bytes(content)


def set_window_caption(form_text: str, caption: str, where: str) -> str:
    """The main window's caption line replaced by the brand's caption."""
    lines = form_text.split("\n")
    in_window = False
    for index, line in enumerate(lines):
        if line.startswith("unit "):
            in_window = line.startswith("unit window")
        elif in_window and re.match(r"  caption ", line):
            lines[index] = f"  caption {c_string(caption)}"
            return "\n".join(lines)
    raise BrandError(f"{where}:0: product.caption: the main window has no caption line to set")


def prepare(brand: Brand, values: dict, out: Path):
    art, forms = overrides(brand, "art"), overrides(brand, "forms")
    # Copies that change only when their source does, so that a configure
    # does not make the template stale for nothing.
    for folder, replaced in (("art", art), ("forms", forms)):
        target = out / folder
        target.mkdir(parents=True, exist_ok=True)
        names = set()
        for source in sorted((LAUNCHER / folder).iterdir()):
            if not source.is_file():
                continue
            names.add(source.name)
            chosen = replaced.get(source.name, source)
            content = chosen.read_bytes()
            if folder == "forms" and source.name == "main_window.form":
                content = set_window_caption(content.decode("utf-8"), values["caption"],
                                             brand.shown(chosen)).encode("utf-8")
            write_if_changed(target / source.name, content)
        for stale in target.iterdir():
            if stale.name not in names:
                stale.unlink()
    write_if_changed(out / "handlers.txt", (LAUNCHER / "handlers.txt").read_bytes())
    origins = {str((out / "forms" / name).resolve()): str(forms.get(name, LAUNCHER / "forms" / name).resolve())
               for name in sorted(p.name for p in (LAUNCHER / "forms").iterdir() if p.is_file())}
    write_if_changed(out / "origins.json", (json.dumps(origins, ensure_ascii=False, indent=2) + "\n").encode("utf-8"))

    settings = f"""// The brand the launcher and the updater are built for: generated from {brand.shown(brand.file)} by scripts/brand.py.
#pragma once

namespace brand {{

// Address or host name and port of the game server.
constexpr char kGameServerAddress[] = {c_string(values["server_host"])};
constexpr int kGameServerPort = {values["server_port"]};
// The update document.
constexpr char kUpdateUrl[] = {c_string(values["update_url"])};
// The updater and the game client, in the game folder.
constexpr char kUpdaterFile[] = {c_string(values["updater"])};
constexpr char kGameClientFile[] = {c_string(values["game_client"])};
// The game client's window, found by its title and renamed.
constexpr char kGameTitle[] = {c_string(values["game_window_title"])};
constexpr char kRenamedGameTitle[] = {c_string(values["game_renamed_title"])};
// The fixed token the game client expects on its command line (144 Base64 characters).
constexpr char kLaunchToken[] = {c_string(values["launch_token"])};
// The minisign public keys (base64 lines) an update document may be signed with, separated by blanks.
constexpr char kUpdatePublicKeys[] = {c_string(" ".join(values["update_public_keys"]))};
// For local testing only: the updater installs documents without a signature.
constexpr bool kAllowUnsignedUpdates = {"true" if values["allow_unsigned_updates"] else "false"};
// The launcher's own file name: the name a running copy is known by.
constexpr char kExecutableName[] = {c_string(values["executable"])};
constexpr char kProductName[] = {c_string(values["name"])};
constexpr char kTrayTip[] = {c_string(values["tray_tip"])};

}}  // namespace brand
"""
    write_if_changed(out / "generated" / "brand" / "brand_settings.h", settings.encode("utf-8"))

    major, minor, patch = values["version"].split(".")
    resources = (LAUNCHER / "resources.rc.in").read_text(encoding="utf-8")
    for key, value in {
        "VERSION_NUMBERS": f"{major}, {minor}, {patch}, 0",
        "VERSION_TEXT": rc_string(f"{values['version']}.0"),
        "COMPANY": rc_string(values["company"]),
        "DESCRIPTION": rc_string(values["description"]),
        "PRODUCT": rc_string(values["name"]),
        "INTERNAL_NAME": rc_string(values["executable"][:-4]),
        "FILE_NAME": rc_string(values["executable"]),
        "ART": (out / "art").as_posix(),
        "MANIFEST": (LAUNCHER / "Lumadrel.exe.manifest").as_posix(),
    }.items():
        resources = resources.replace(f"@{key}@", value)
    # The resource compiler reads the file as GBK, the code page of the texts.
    write_if_changed(out / "resources.rc", resources.encode("gbk"))

    # This script too: what it writes changes with it.
    inputs = [Path(__file__), brand.file, *art.values(), *forms.values(), LAUNCHER / "resources.rc.in",
              LAUNCHER / "handlers.txt",
              *(p for p in (LAUNCHER / "art").iterdir() if p.is_file()),
              *(p for p in (LAUNCHER / "forms").iterdir() if p.is_file())]
    cmake = [f"# Generated from {brand.shown(brand.file)} by scripts/brand.py.",
             f'set(LUMADREL_BRAND_EXECUTABLE "{values["executable"][:-4]}")',
             f'set(LUMADREL_BRAND_VERSION "{values["version"]}")',
             f'set(LUMADREL_BRAND_UPDATER "{values["updater"][:-4]}")',
             f'set(LUMADREL_BRAND_GAME_CLIENT "{values["game_client"][:-4]}")',
             "set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS",
             *(f'  "{p.resolve().as_posix()}"' for p in inputs),
             ")", ""]
    write_if_changed(out / "brand.cmake", "\n".join(cmake).encode("utf-8"))
    record = dict(values, directory=str(brand.directory.resolve()), file=brand.shown(brand.file))
    write_if_changed(out / "brand.json", (json.dumps(record, ensure_ascii=False, indent=2) + "\n").encode("utf-8"))


def compile_forms(out: Path, command: list) -> int:
    import subprocess
    result = subprocess.run(command, capture_output=True, text=True, encoding="utf-8", errors="replace")
    sys.stdout.write(result.stdout)
    if result.returncode != 0:
        message = result.stderr
        origins = json.loads((out / "origins.json").read_text(encoding="utf-8"))
        for merged, origin in origins.items():
            message = message.replace(merged, Brand.shown(Path(origin)))
        sys.stderr.write(message)
    return result.returncode


def main(argv) -> int:
    if len(argv) >= 4 and argv[1] == "--compile":
        return compile_forms(Path(argv[2]).resolve(), argv[3:])
    version = None
    if len(argv) == 5 and argv[3] == "--version":
        version = argv[4]
    elif len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        brand = Brand(Path(argv[1]))
        if version is not None:
            # A release's version replaces the brand's own, checked as it would be.
            brand.values.setdefault("product", {})["version"] = version
            brand.text = re.sub(r'(?m)^version\s*=.*$', f'version = "{version}"', brand.text)
        values = check(brand)
        prepare(brand, values, Path(argv[2]))
    except BrandError as error:
        print(f"brand: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
