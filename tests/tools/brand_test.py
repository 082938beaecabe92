#!/usr/bin/env python3
"""scripts/brand.py: bad brand files stop the build with one line naming the
file, the line and the key; good ones give the launcher's settings, its
resources and the form sources with the brand's replacements.

    LUMADREL_FORMC=build/native/tools/formc tests/tools/brand_test.py
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
SCRIPT = REPO / "scripts" / "brand.py"
DEFAULT = (REPO / "brands" / "default" / "brand.toml").read_text(encoding="utf-8")
KEY = re.search(r'public_keys = \["([^"]*)"\]', DEFAULT).group(1)
FORMC = os.environ.get("LUMADREL_FORMC")


def run(*arguments):
    return subprocess.run([sys.executable, str(SCRIPT), *map(str, arguments)], capture_output=True, text=True)


class BrandChecks(unittest.TestCase):
    def setUp(self):
        self.scratch = Path(tempfile.mkdtemp(prefix="brand-test-"))
        self.addCleanup(shutil.rmtree, self.scratch, ignore_errors=True)
        self.brand = self.scratch / "brand"
        self.brand.mkdir()
        self.out = self.scratch / "out"

    def write(self, text: str):
        (self.brand / "brand.toml").write_text(text, encoding="utf-8")

    def refused(self, text: str):
        """Writes the brand file and returns brand.py's one line of refusal."""
        self.write(text)
        result = run(self.brand, self.out)
        self.assertEqual(result.returncode, 1, result.stderr)
        lines = result.stderr.strip().splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        return lines[0]

    def test_bad_values_are_refused_with_file_line_and_key(self):
        token = re.search(r'launch_token = "([^"]*)"', DEFAULT).group(1)
        # (what, the change to the default brand file, line of the key, words of the message)
        cases = [
            ("a missing key", ("port = 2013\n", ""), "[game_server]", "game_server.port: missing"),
            ("a port out of range", ("port = 2013", "port = 70000"), "port =", "game_server.port: must be between 1 and 65535"),
            ("a port as text", ("port = 2013", 'port = "2013"'), "port =", "game_server.port: must be a whole number"),
            ("a short token", (token, token[:-1]), "launch_token =", "game.launch_token: must be 144 characters, not 143"),
            ("a token outside Base64", (token, "*" + token[1:]), "launch_token =", "game.launch_token: must be Base64"),
            ("a caption not in GBK", ('caption = "Lumadrel"', 'caption = "Lumadrel 🎮"'), "caption =",
             "product.caption: '🎮' cannot be written in GBK"),
            ("a tray tip too long for its record", ('tray_tip = "Lumadrel"', f'tray_tip = "{"灯" * 64}"'), "tray_tip =",
             "product.tray_tip: is 128 bytes in GBK; at most 127"),
            ("a control character", ('caption = "Lumadrel"', 'caption = "Luma\\tdrel"'), "caption =",
             "product.caption: must not contain control characters"),
            ("a quote in a caption", ('caption = "Lumadrel"', 'caption = "Luma\\"drel"'), "caption =",
             "product.caption: must not contain '\"'"),
            ("an executable without .exe", ('executable = "Lumadrel.exe"', 'executable = "Lumadrel"'), "executable =",
             "product.executable: must be a file name"),
            ("a file name with a path", ('updater = "tovrin.exe"', 'updater = "..\\\\tovrin.exe"'), "updater =",
             "update.updater: must be a file name"),
            ("a version of two numbers", ('version = "1.0.0"', 'version = "1.0"'), "version =",
             "product.version: must be three numbers"),
            ("a relative update path", ('path = "/vorlenk2/update.xml"', 'path = "vorlenk2/update.xml"'), "path =",
             "update.path: must be a path"),
            ("a host with a blank", ('host = "127.0.0.1"', 'host = "game server"'), 'host = "game', "game_server.host"),
            ("an empty name", ('name = "Lumadrel"', 'name = ""'), "name =", "product.name: must not be empty"),
            ("a table of no brand", ("[game]\n", "[gmae]\n"), "[gmae]", "[gmae]: not a brand table"),
            ("a public key cut short", (KEY, KEY[:-4]), "public_keys =", "update.public_keys: 'RWSO"),
            ("a secret key line as a public key", (KEY, "RWQAAEIyAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"), "public_keys =",
             "is not the base64 line of a minisign public key"),
            ("no public key", (f'public_keys = ["{KEY}"]', ""), "[update]", "update.public_keys: missing"),
            ("a key and unsigned updates", (f'public_keys = ["{KEY}"]',
                                            f'public_keys = ["{KEY}"]\nallow_unsigned_updates = true'),
             "allow_unsigned_updates =", "update.allow_unsigned_updates: cannot go with public_keys"),
            ("an unknown scheme", ('# scheme = "https"', 'scheme = "ftp"'), "scheme =",
             "update.scheme: must be \"http\" or \"https\""),
        ]
        for what, (old, new), line_text, words in cases:
            with self.subTest(what):
                self.assertIn(old, DEFAULT)
                text = DEFAULT.replace(old, new, 1)
                line = self.refused(text)
                expected_line = next((n for n, l in enumerate(text.splitlines(), 1) if l.startswith(line_text)), 0)
                self.assertTrue(line.startswith(f"brand: {self.brand / 'brand.toml'}:{expected_line}: "), line)
                self.assertIn(words, line)

    def test_broken_files_and_overrides_are_refused(self):
        line = self.refused("[product\nname = 1\n")
        self.assertRegex(line, r"brand\.toml:1: ")
        self.write(DEFAULT)
        (self.brand / "art").mkdir()
        (self.brand / "art" / "main_backgruond.png").write_bytes(b"\x89PNG")
        result = run(self.brand, self.out)
        self.assertEqual(result.returncode, 1)
        self.assertIn("art/main_backgruond.png: the launcher has no file of this name to replace", result.stderr)
        self.assertFalse((self.out / "brand.cmake").exists(), "a refused brand wrote its results")

    def test_a_good_brand_gives_settings_resources_and_its_replacements(self):
        text = DEFAULT.replace('caption = "Lumadrel"', 'caption = "星辰登录器"').replace(
            'company = "Lumadrel"', 'company = "星辰工作室"')
        self.write(text)
        (self.brand / "art").mkdir()
        (self.brand / "art" / "lumadrel.ico").write_bytes(b"brand icon")
        self.assertEqual(self.refused_or_ok(), 0)
        settings = (self.out / "generated" / "brand" / "brand_settings.h").read_text(encoding="utf-8")
        self.assertIn('constexpr int kGameServerPort = 2013;', settings)
        self.assertIn('constexpr char kExecutableName[] = "Lumadrel.exe";', settings)
        self.assertEqual((self.out / "art" / "lumadrel.ico").read_bytes(), b"brand icon")
        self.assertEqual((self.out / "art" / "hand.cur").read_bytes(), (REPO / "launcher" / "art" / "hand.cur").read_bytes())
        form = (self.out / "forms" / "main_window.form").read_text(encoding="utf-8")
        self.assertIn('  caption "星辰登录器"\n', form)
        self.assertEqual(form.count("caption"), (REPO / "launcher" / "forms" / "main_window.form").read_text(
            encoding="utf-8").count("caption"))
        resources = (self.out / "resources.rc").read_bytes().decode("gbk")
        self.assertIn('VALUE "CompanyName", "星辰工作室"', resources)
        self.assertIn("FILEVERSION 1, 0, 0, 0", resources)
        self.assertIn(f'constexpr char kUpdatePublicKeys[] = "{KEY}";', settings)
        self.assertIn("constexpr bool kAllowUnsignedUpdates = false;", settings)
        record = json.loads((self.out / "brand.json").read_text(encoding="utf-8"))
        self.assertEqual(record["update_url"], "http://127.0.0.1:8080/vorlenk2/update.xml")

    def test_https_and_a_brand_for_local_testing_without_keys(self):
        self.write(DEFAULT.replace('# scheme = "https"', 'scheme = "https"').replace(
            f'public_keys = ["{KEY}"]', "allow_unsigned_updates = true"))
        self.assertEqual(self.refused_or_ok(), 0)
        settings = (self.out / "generated" / "brand" / "brand_settings.h").read_text(encoding="utf-8")
        self.assertIn('constexpr char kUpdatePublicKeys[] = "";', settings)
        self.assertIn("constexpr bool kAllowUnsignedUpdates = true;", settings)
        record = json.loads((self.out / "brand.json").read_text(encoding="utf-8"))
        self.assertEqual(record["update_url"], "https://127.0.0.1:8080/vorlenk2/update.xml")

    def refused_or_ok(self):
        result = run(self.brand, self.out)
        self.assertEqual(result.stderr, "")
        return result.returncode

    @unittest.skipUnless(FORMC, "needs the form compiler (LUMADREL_FORMC)")
    def test_a_form_override_the_form_compiler_refuses_is_named_by_its_own_path(self):
        self.write(DEFAULT)
        (self.brand / "forms").mkdir()
        form = (REPO / "launcher" / "forms" / "shop_login_window.form").read_text(encoding="utf-8")
        (self.brand / "forms" / "shop_login_window.form").write_text(
            form.replace("  place 32 40 80 32", "  place 32 40 eighty 32"), encoding="utf-8")
        self.assertEqual(self.refused_or_ok(), 0)
        result = run("--compile", self.out, FORMC, self.out / "forms" / "template.forms", "-o",
                     self.scratch / "t.bin", "--handlers", self.out / "handlers.txt")
        self.assertNotEqual(result.returncode, 0)
        self.assertEqual(result.stderr.strip(), f"{self.brand / 'forms' / 'shop_login_window.form'}:12: bad number 'eighty'")


    @unittest.skipUnless(shutil.which("x86_64-w64-mingw32-g++-posix"), "needs the Windows cross compiler")
    def test_a_bad_brand_stops_the_configure_of_a_windows_build(self):
        self.write(DEFAULT.replace("port = 2013", "port = 0"))
        result = subprocess.run(["cmake", "-S", str(REPO), "-B", str(self.scratch / "build"), "-G", "Ninja",
                                 f"-DCMAKE_TOOLCHAIN_FILE={REPO / 'cmake' / 'mingw-x86_64.cmake'}",
                                 f"-DLUMADREL_BRAND={self.brand}", "-DLUMADREL_TESTS=OFF"],
                                capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(f"brand: {self.brand / 'brand.toml'}:", result.stderr)
        self.assertIn("game_server.port: must be between 1 and 65535, not 0", result.stderr)


if __name__ == "__main__":
    unittest.main()
