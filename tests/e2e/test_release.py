"""The release of the tests' second brand as an operator makes it
(scripts/release.sh) and as a player installs it: signatures that verify
and break when a byte changes, the same bytes from a second run, and the
installer run silently under Wine (files, shortcuts, the Uninstall key, the
installed launcher started from its shortcut) and its uninstaller, which
leaves what the player made."""

import os
import re
import shutil
import subprocess
import time
import unittest
from pathlib import Path

from harness import E2ETestCase, paths
from harness.paths import windows_path
from harness.shell_link import read_shell_link

PASSWORD = "throw-away password"
# The second brand's updater pins test key B.
UPDATE_KEY = paths.REPO / "tests" / "data" / "update-keys" / "TEST-ONLY-key-b.key"
_release = None


class Release:
    """Two runs of scripts/release.sh with a throw-away certificate, the second after the programs are linked again."""

    def __init__(self, root: Path):
        self.build = paths.second_brand_build()
        self.brand = paths.brand(self.build)
        self.root = root
        shutil.rmtree(root, ignore_errors=True)
        root.mkdir(parents=True)
        self.certificate = root / "test-certificate.pem"
        key = root / "test-key.pem"
        self.pkcs12 = root / "test-certificate.p12"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=Lumadrel test signing", "-addext", "extendedKeyUsage=codeSigning",
                        "-keyout", str(key), "-out", str(self.certificate)], check=True, capture_output=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", str(key), "-in", str(self.certificate), "-out",
                        str(self.pkcs12), "-passout", "env:LUMADREL_SIGN_PASSWORD"], check=True, capture_output=True,
                       env=dict(os.environ, LUMADREL_SIGN_PASSWORD=PASSWORD))
        self.first = self.run("first")
        for program in (self.build / "launcher" / self.brand["executable"],
                        self.build / "updater" / self.brand["updater"]):
            program.unlink(missing_ok=True)
        self.second = self.run("second")
        self.installer = next(self.first.glob("*-setup.exe"))

    def run(self, name: str) -> Path:
        out = self.root / name
        env = dict(os.environ, LUMADREL_SIGN_PKCS12=str(self.pkcs12), LUMADREL_SIGN_PASSWORD=PASSWORD,
                   CMAKE_BUILD_TYPE=_build_type(self.build), LUMADREL_UPDATE_KEY=str(UPDATE_KEY))
        result = subprocess.run([str(paths.REPO / "scripts" / "release.sh"), "--brand",
                                 str(paths.REPO / "tests" / "data" / "brands" / "second"), "--target",
                                 paths.windows_target(), "--build", str(self.build), "--out", str(out)],
                                capture_output=True, text=True, env=env, timeout=1200)
        (self.root / f"{name}.log").write_text(result.stdout + result.stderr, encoding="utf-8")
        if result.returncode != 0:
            raise AssertionError(f"release.sh failed:\n{result.stdout[-3000:]}\n{result.stderr[-3000:]}")
        self.last_output = result.stdout
        return out


def _build_type(build: Path) -> str:
    for line in (build / "CMakeCache.txt").read_text(encoding="utf-8").splitlines():
        if line.startswith("CMAKE_BUILD_TYPE:"):
            return line.split("=", 1)[1]
    return "Release"


def release() -> Release:
    global _release
    if _release is None:
        if paths.second_brand_build() is None:
            raise unittest.SkipTest("no build of the second brand (./test builds one: cmake --preset win64-second-brand)")
        _release = Release(paths.e2e_root() / "release")
    return _release


def verify(file: Path, certificate: Path) -> subprocess.CompletedProcess:
    return subprocess.run(["osslsigncode", "verify", "-CAfile", str(certificate), "-in", str(file)],
                          capture_output=True, text=True)


class ReleaseTest(unittest.TestCase):
    def test_signatures_verify_and_a_changed_byte_breaks_them(self):
        made = release()
        self.assertIn("signed with", made.last_output)
        for name in (made.brand["executable"], made.brand["updater"], made.installer.name):
            with self.subTest(file=name):
                result = verify(made.first / name, made.certificate)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                self.assertIn("Signature verification: ok", result.stdout)
                tampered = made.root / f"tampered-{name}"
                data = bytearray((made.first / name).read_bytes())
                data[len(data) // 3] ^= 0x01
                tampered.write_bytes(data)
                self.assertNotEqual(verify(tampered, made.certificate).returncode, 0, "a changed byte still verified")
        # The update document is signed with the brand's key, as minisign itself verifies it.
        document = made.first / "publish" / made.brand["update_path"].lstrip("/")
        result = subprocess.run(["minisign", "-V", "-p", str(UPDATE_KEY.with_name("test-key-b.pub")), "-m",
                                 str(document)], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("update document: signed with", made.last_output)

    def test_a_second_run_of_the_same_inputs_gives_the_same_bytes(self):
        made = release()
        first = sorted(p.relative_to(made.first) for p in made.first.rglob("*") if p.is_file())
        second = sorted(p.relative_to(made.second) for p in made.second.rglob("*") if p.is_file())
        self.assertEqual(first, second)
        differing = [str(p) for p in first if (made.first / p).read_bytes() != (made.second / p).read_bytes()]
        print(f"\n    release files: {len(first)}, byte-identical: {len(first) - len(differing)}"
              f"{', differing: ' + ', '.join(differing) if differing else ''}")
        self.assertEqual(differing, [])
        sums = (made.first / "SHA256SUMS").read_text(encoding="utf-8").splitlines()
        self.assertEqual(sorted(line.split("  ", 1)[1] for line in sums), [str(p) for p in first if p.name != "SHA256SUMS"])

    def test_an_unsigned_release_says_so(self):
        made = release()
        build = made.build
        result = subprocess.run([str(paths.REPO / "scripts" / "release.sh"), "--brand",
                                 str(paths.REPO / "tests" / "data" / "brands" / "second"), "--target",
                                 paths.windows_target(), "--build", str(build), "--out", str(made.root / "unsigned")],
                                capture_output=True, text=True, timeout=1200,
                                env={k: v for k, v in dict(os.environ, CMAKE_BUILD_TYPE=_build_type(build)).items()
                                     if not k.startswith(("LUMADREL_SIGN", "LUMADREL_UPDATE_KEY"))})
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.strip().splitlines()[-1],
                         f"==> release {made.root / 'unsigned'}: unsigned (no LUMADREL_SIGN_PKCS12 given)")
        self.assertIn("==> update document: UNSIGNED (no LUMADREL_UPDATE_KEY given)", result.stdout)
        self.assertNotEqual(verify(made.root / "unsigned" / made.brand["executable"], made.certificate).returncode, 0)


class InstallerTest(E2ETestCase):
    time_limit = 600  # the first test to use the release makes it

    def test_silent_install_then_uninstall_keeps_what_the_player_made(self):
        made = release()
        brand = made.brand
        observer = self.app()
        users = self.testbed.prefix / "drive_c" / "users" / os.environ.get("USER", "root")
        folder = users / "AppData" / "Local" / "Programs" / brand["name"]
        start_menu = users / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / brand["name"]
        desktop_link = self.testbed.desktop() / f"{brand['name']}.lnk"
        key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumadrel.second"
        shutil.rmtree(folder, ignore_errors=True)

        installer = observer.start(made.installer, "/S")
        self.assertEqual(observer.exit_code(installer, timeout=60), 0)
        installed = ["Xingchen.exe", "xcupdate.exe", "update.ini", "data/readme.txt", "uninstall.exe"]
        for name in installed:
            self.assertTrue((folder / name).is_file(), f"{name} is not installed")
        self.assertEqual((folder / "Xingchen.exe").read_bytes(), (made.first / "Xingchen.exe").read_bytes())
        self.assertEqual((folder / "update.ini").read_bytes().decode("gbk"), "[更新配置]\r\n当前版本=2.3.4\r\n")
        on_c = "C:\\" + str((folder / "Xingchen.exe").relative_to(self.testbed.prefix / "drive_c")).replace("/", "\\")
        for link in (desktop_link, start_menu / f"{brand['name']}.lnk"):
            self.assertEqual(read_shell_link(link).target, on_c, link.name)
        entry = self.registry(key)
        self.assertEqual(entry["DisplayName"], brand["name"])
        self.assertEqual(entry["DisplayVersion"], brand["version"])
        self.assertEqual(entry["Publisher"], brand["company"])
        self.assertTrue(entry["UninstallString"].endswith('uninstall.exe"'))
        self.assertGreater(int(entry["EstimatedSize"], 16), 100, "size in KiB")

        # The installed launcher, started from its shortcut's target in its own folder.
        target = folder / "Xingchen.exe"
        launcher = self.launcher(build=made.build)
        launcher.start(target, cwd=folder)
        window = launcher.wait_window("MainWindow", timeout=20)
        self.assertEqual(window["text"], brand["caption"])
        launcher.close_window("MainWindow")
        self.assertEqual(launcher.exit_code(timeout=10), 0)

        # What the player made there stays; everything installed goes.
        (folder / "duzo.ini").write_bytes(b"[duzo]\r\nwindows=2\r\n")
        (folder / "screenshots").mkdir(exist_ok=True)
        (folder / "screenshots" / "shot1.bmp").write_bytes(b"BM")
        uninstaller = observer.start(folder / "uninstall.exe", "/S")
        observer.exit_code(uninstaller, timeout=60)
        # The uninstaller runs on from a copy of itself: wait for its last step,
        # the uninstall entry's removal, which comes after files and shortcuts.
        deadline = time.monotonic() + 60
        while (folder / "uninstall.exe").exists() or (folder / "Xingchen.exe").exists() \
                or self.registry(key) is not None:
            self.assertLess(time.monotonic(), deadline, "the uninstaller did not finish")
            time.sleep(0.2)
        for name in installed:
            self.assertFalse((folder / name).exists(), f"{name} is still there")
        self.assertFalse((folder / "data").exists())
        self.assertFalse(desktop_link.exists())
        self.assertFalse(start_menu.exists())
        self.assertIsNone(self.registry(key))
        self.assertEqual((folder / "duzo.ini").read_bytes(), b"[duzo]\r\nwindows=2\r\n")
        self.assertTrue((folder / "screenshots" / "shot1.bmp").exists())
        shutil.rmtree(folder)

    def registry(self, key: str):
        """The values of a registry key (None when it is missing), through reg export."""
        exported = self.artifacts / "key.reg"
        exported.unlink(missing_ok=True)
        subprocess.run([str(paths.REPO / "scripts" / "wine-exec.sh"), "reg", "export", key, windows_path(exported), "/y"],
                       env=self.testbed.env(), stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        if not exported.exists():
            return None
        values = {}
        for line in exported.read_bytes().decode("utf-16").splitlines():
            if line.startswith('"') and "=" in line:
                name, _, value = line.partition("=")
                if value.startswith('"') and value.endswith('"'):
                    values[name.strip('"')] = re.sub(r"\\(.)", r"\1", value[1:-1])
                else:
                    values[name.strip('"')] = value.split(":", 1)[-1]
        return values
