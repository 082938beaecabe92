"""The updater installs only what the operator signed: a signed version
installs; a tampered document, a missing signature, an unknown key, an
expired document, a replayed older document and a downgrade each leave the
game folder byte for byte as it was and say why; two updaters never run at
once; and the signing key is rotated through an update itself."""

import re
import shutil

from harness import paths
from harness.driver import Raw
from harness.tls_server import CertificateAuthority, TlsFileServer
from harness.updates import (ACTIVITY, CANCEL, CANCELLED, FAILED, INSTALLED, SEQUENCE_FILE, TEST_KEY_A, TEST_KEY_B,
                             WORK_FOLDER, UpdaterWindow, files_of, minisign_signature, start_updater)
from launcher_case import UPDATE_URL
from updater_case import DOCUMENT_PATH, UpdaterCase, stand_in_program

KEY_B_ID = TEST_KEY_B.with_name("test-key-b.pub").read_text().splitlines()[0].split()[-1]  # as minisign names it


class UpdaterTrustTest(UpdaterCase):
    time_limit = 300

    def document(self, www):
        return www / DOCUMENT_PATH.lstrip("/")

    def serve(self, www, document: bytes, signature):
        """Puts these bytes where the server answers for the document and its signature (None: no signature)."""
        path = self.document(www)
        path.write_bytes(document)
        signature_path = path.with_name(path.name + ".minisig")
        if signature is None:
            signature_path.unlink(missing_ok=True)
        else:
            signature_path.write_bytes(signature)

    def refused(self, session, game, reason: str) -> str:
        """Runs the updater, which must refuse with `reason` and change nothing at all in the game folder."""
        before = files_of(game, skip=())
        pid = self.run_updater(session, game)
        window = UpdaterWindow(session, pid)
        shown = window.wait_text(ACTIVITY, reason, timeout=40)
        self.assertIn("已拒绝更新", shown)
        window.click(CANCEL)
        self.assertEqual(session.exit_code(pid, timeout=15), FAILED)
        self.assertEqual(files_of(game, skip=()), before, f"refused ({reason}) yet the game folder changed")
        return shown

    def test_only_fresh_documents_signed_by_the_pinned_key_install(self):
        session = self.app()
        game = self.game_folder()
        www = self.publish_new_version(game)
        server = self.reference_server(www=www)
        document = self.document(www).read_bytes()
        signature = self.document(www).with_name("update.xml.minisig").read_bytes()

        tampered = document.replace(b"<Version>1.0.1</Version>", b"<Version>1.0.2</Version>")
        self.serve(www, tampered, signature)
        self.refused(session, game, "签名不正确")
        self.serve(www, document, None)
        self.refused(session, game, "没有签名")
        self.serve(www, document, minisign_signature(document, TEST_KEY_B))
        self.refused(session, game, f"未知的密钥（{KEY_B_ID}）")
        expired = re.sub(rb"<Expires>[^<]*</Expires>", b"<Expires>2020-01-01T00:00:00Z</Expires>", document)
        self.serve(www, expired, minisign_signature(expired, TEST_KEY_A))
        self.refused(session, game, "2020-01-01 过期")
        before = [line for line in server.log_lines() if "/files/" in line]
        self.assertEqual(before, [], "a refused document led to downloads")

        # The signed 1.0.1 installs, and its sequence number is recorded.
        self.serve(www, document, signature)
        self.assertEqual(session.exit_code(self.run_updater(session, game), timeout=60), INSTALLED)
        self.kill_started_launcher(session, game)
        self.assertEqual(self.installed(game), self.expected_set(game, self.new_files(), "1.0.1"))
        self.assertIn(b" 1\n", (game / SEQUENCE_FILE).read_bytes())

        # 1.0.2 is seen (its files are not there, so it does not install), then 1.0.1 is replayed.
        files = dict(self.new_files(), **{"data/map01.dat": b"1.0.2\n"})
        self.publish_new_version(game, files=files, version="1.0.2")
        shutil.rmtree(www / "vorlenk2" / "files" / "1.0.2")
        pid = self.run_updater(session, game)
        UpdaterWindow(session, pid).wait_text(ACTIVITY, "HTTP 404", timeout=40)
        UpdaterWindow(session, pid).click(CANCEL)
        self.assertEqual(session.exit_code(pid, timeout=15), FAILED)
        self.assertIn(b" 2\n", (game / SEQUENCE_FILE).read_bytes())
        self.serve(www, document, signature)
        self.assertIn("序号 1，之前已见到 2", self.refused(session, game, "重新发出"))

        # A newer document (sequence 2 again) that goes back to 1.0.0: a downgrade.
        older = self.game_folder(name="old-source")
        self.publish_new_version(older, files=self.old_files(), version="1.0.0")
        self.assertIn(b"<Sequence>2</Sequence>", self.document(www).read_bytes())
        self.assertIn("比已安装的版本 1.0.1 旧", self.refused(session, game, "1.0.0"))

    def test_the_update_comes_over_https_from_a_server_the_prefix_trusts(self):
        session = self.app()
        game = self.game_folder()
        www = self.publish_new_version(game)
        url = "https://localhost:8443" + DOCUMENT_PATH
        trusted = CertificateAuthority(self.artifacts / "trusted-authority")
        trusted.trust(self.testbed)
        # A certificate from an authority the prefix does not trust: nothing is fetched.
        stranger = CertificateAuthority(self.artifacts / "unknown-authority", name="Unknown test authority")
        before = files_of(game, skip=())
        with TlsFileServer(www, stranger):
            pid = self.run_updater(session, game, url)
            window = UpdaterWindow(session, pid)
            window.wait_text(ACTIVITY, "证书不可信", timeout=40)
            window.click(CANCEL)
            self.assertEqual(session.exit_code(pid, timeout=15), FAILED)
        self.assertEqual(files_of(game, skip=()), before)
        with TlsFileServer(www, trusted) as server:
            self.assertEqual(session.exit_code(self.run_updater(session, game, url), timeout=60), INSTALLED)
        self.kill_started_launcher(session, game)
        self.assertEqual(self.installed(game), self.expected_set(game, self.new_files(), "1.0.1"))
        self.assertIn(DOCUMENT_PATH + ".minisig", server.requests)

    def test_a_second_updater_in_the_same_folder_leaves_it_to_the_first(self):
        session = self.app()
        game = self.game_folder()
        www = self.publish_new_version(game)
        self.reference_server(www=www)
        before = self.installed(game)
        # The first holds the folder while it asks the player to close a launcher that keeps running.
        running = session.start(game / "Lumadrel.exe", cwd=game)
        session.driver.check("scope", Raw("all"))
        first = start_updater(self.testbed, game, UPDATE_URL, self.artifacts / "first.log",
                              LUMADREL_UPDATER_LAUNCHER_WAIT_MS=1000)
        session.message_box(timeout=60)
        staged = files_of(game / WORK_FOLDER, skip=())
        second = self.run_updater(session, game)
        window = UpdaterWindow(session, second)
        window.wait_text(ACTIVITY, "另一个更新程序正在这个游戏文件夹中运行", timeout=40)
        window.click(CANCEL)
        self.assertEqual(session.exit_code(second, timeout=15), FAILED)
        self.assertEqual(files_of(game / WORK_FOLDER, skip=()), staged, "the second updater touched the first's files")
        session.press("cancel")
        self.assertEqual(first.wait(timeout=20), CANCELLED)
        session.kill(running)
        self.assertEqual(self.installed(game), before)

    def test_the_signing_key_is_rotated_through_an_update(self):
        second = paths.second_brand_build()
        if second is None:
            self.skipTest("no build of the second brand, whose updater pins key B (cmake --preset win64-second-brand)")
        session = self.app()
        game = self.game_folder()
        # 1.0.1, signed with key A, carries an updater that pins only key B (and a stand-in for
        # the launcher that updater starts, as its brand names it).
        rotated = paths.real_updater_exe(second).read_bytes()
        launcher_b = paths.brand(second)["executable"]
        files = dict(self.new_files(), **{"tovrin.exe": rotated, launcher_b: stand_in_program()})
        www = self.publish_new_version(game, files=files, key=TEST_KEY_A)
        self.reference_server(www=www)
        self.assertEqual(session.exit_code(self.run_updater(session, game), timeout=60), INSTALLED)
        self.kill_started_launcher(session, game)
        self.assertEqual((game / "tovrin.exe").read_bytes(), rotated)

        # 1.0.2 signed with key B installs through the new updater.
        files_b = dict(files, **{"data/map01.dat": b"signed by B\n"})
        self.publish_new_version(game, files=files_b, version="1.0.2", key=TEST_KEY_B)
        self.assertEqual(session.exit_code(self.run_updater(session, game), timeout=60), INSTALLED)
        self.kill_started_launcher(session, game, launcher=launcher_b)
        self.assertEqual((game / "data" / "map01.dat").read_bytes(), b"signed by B\n")
        self.assertIn("1.0.2", (game / "update.ini").read_bytes().decode("gbk"))

        # Key A is no longer trusted: a document signed with it afterwards is refused.
        files_a = dict(files_b, **{"data/map01.dat": b"signed by A again\n"})
        self.publish_new_version(game, files=files_a, version="1.0.3", key=TEST_KEY_A)
        self.refused(session, game, "未知的密钥（53574605B5BAE68E）")
