"""What the updater refuses and how it recovers: a listed hash the served
bytes do not match, a download cut by the server (resumed, also after a
cancel), hostile documents, and bad or missing answers. In each, nothing
installed changes until a whole, verified version is in place."""

import hashlib
import os
import shutil
import signal
import time

from harness.updates import (ACTIVITY, CANCEL, CANCELLED, FAILED, INSTALLED, RETRY, WORK_FOLDER, UpdaterWindow,
                             signed, update_ini)
from launcher_case import UPDATE_URL
from updater_case import DOCUMENT_PATH, FILES_PATH, UpdaterCase

HASH = "a" * 64


def document(entries: str, version: str = "1.0.1", expires: str = "2099-01-01T00:00:00Z", sequence: int = 1,
             files: bool = True) -> bytes:
    listed = f'<Files base="files/1.0.1/">{entries}</Files>' if files else ""
    return (f'<?xml version="1.0" encoding="gbk"?>\r\n<Info><Version>{version}</Version><Expires>{expires}</Expires>'
            f'<Sequence>{sequence}</Sequence>{listed}</Info>\r\n').encode("gbk")


def entry(path: str, size: str = "5", sha256: str = HASH) -> str:
    return f'<File path="{path}" size="{size}" sha256="{sha256}"/>'


class UpdaterRefusalTest(UpdaterCase):
    def finish_with_error(self, session, pid: int, text: str, timeout: float = 30) -> str:
        """Waits for the error in the updater's window, closes it and checks the exit code."""
        window = UpdaterWindow(session, pid)
        shown = window.wait_text(ACTIVITY, text, timeout=timeout)
        self.assertIn("更新失败", shown)
        window.click(CANCEL)
        self.assertEqual(session.exit_code(pid, timeout=15), FAILED)
        return shown

    def test_a_listed_hash_that_does_not_match_changes_nothing_and_names_the_file(self):
        session = self.app()
        game = self.game_folder()
        www = self.publish_new_version(game)
        # The served bytes change after publishing: same length, other content.
        served = www / "vorlenk2/files/1.0.1/data/map01.dat"
        served.write_bytes(served.read_bytes().replace(b"1.0.1", b"9.9.9"))
        self.reference_server(www=www)
        before = self.installed(game)

        shown = self.finish_with_error(session, self.run_updater(session, game), "校验失败")
        self.assertIn("data\\map01.dat", shown)
        self.assertEqual(self.installed(game), before)
        # Nothing of the bad file is kept; the good download waits for the next run.
        staged = game / WORK_FOLDER / "staged"
        bad = hashlib.sha256(self.new_files()["data/map01.dat"]).hexdigest()
        self.assertFalse((staged / bad).exists())
        self.assertFalse((staged / (bad + ".part")).exists())

    def test_a_download_cut_by_the_server_resumes_where_it_stopped(self):
        session = self.app()
        game = self.game_folder()
        big = os.urandom(96 * 1024 * 1024)
        files = self.new_files()
        files["data/big.dat"] = big
        www = self.publish_new_version(game, files=files)
        server = self.reference_server(www=www)
        before = self.installed(game)
        partial = game / WORK_FOLDER / "staged" / (hashlib.sha256(big).hexdigest() + ".part")

        # Cancelled while the server is frozen mid-file: the bytes so far stay.
        pid = self.run_updater(session, game)
        self.freeze_when_started(server, partial)
        UpdaterWindow(session, pid).click(CANCEL)
        self.assertEqual(session.exit_code(pid, timeout=15), CANCELLED)
        os.kill(server.process.pid, signal.SIGCONT)
        kept = partial.stat().st_size
        self.assertGreater(kept, 0)
        self.assertEqual(self.installed(game), before)

        # Run again: it continues from there, and the server goes away in the middle.
        pid = self.run_updater(session, game)
        self.freeze_when_started(server, partial, beyond=kept)
        os.kill(server.process.pid, signal.SIGKILL)
        server.stop()
        self.assertIn("data\\big.dat", UpdaterWindow(session, pid).wait_text(ACTIVITY, "下载", timeout=40))
        self.assertEqual(self.installed(game), before)
        cut = partial.stat().st_size
        self.assertGreater(cut, kept)
        self.assertLess(cut, len(big))

        # The server is back; retry in the same window completes it with the rest only.
        server.start()
        UpdaterWindow(session, pid).click(RETRY)
        self.assertEqual(session.exit_code(pid, timeout=90), INSTALLED)
        self.assertEqual(self.installed(game), self.expected_set(game, files, "1.0.1"))
        # The last request asked for the rest only (the killed server logged nothing of its own).
        last = [line for line in server.log_lines() if FILES_PATH + "data/big.dat" in line][-1]
        self.assertIn(f"bytes={cut}-{len(big) - 1} 206 sent {len(big) - cut}", last)

    def freeze_when_started(self, server, partial, beyond: int = 0):
        """Stops the server process (SIGSTOP) as soon as the partial file has grown past `beyond`."""
        deadline = time.monotonic() + 60
        while not (partial.exists() and partial.stat().st_size > beyond):
            self.assertLess(time.monotonic(), deadline, "the download did not start")
            time.sleep(0.005)
        os.kill(server.process.pid, signal.SIGSTOP)
        time.sleep(1.0)  # what was under way arrives

    def test_hostile_documents_are_refused_before_anything_is_written(self):
        session = self.app()
        cases = [
            ("..\\evil.txt", document(entry("data\\same.dat") + entry("..\\evil.txt"))),
            ("C:\\x", document(entry("C:\\x"))),
            ("\\\\host\\share\\x", document(entry("\\\\host\\share\\x"))),
            ("a:b", document(entry("a:b"))),
            ("CON", document(entry("CON"))),
            ("dir\\NUL.txt", document(entry("dir\\NUL.txt"))),
            ("x" * 40, document(entry("x" * 10000))),
            ("超过", document("".join(entry(f"f{i}.dat") for i in range(100000)))),
            ("大小", document(entry("huge.dat", size="1000000000000000"))),
        ]
        server = self.document_server(documents={})
        for shown, bytes_ in cases:
            with self.subTest(entry=shown[:20]):
                game = self.game_folder(name="hostile")
                outside = sorted(p.name for p in self.artifacts.iterdir())
                before = self.installed(game)
                server.documents = signed({DOCUMENT_PATH: bytes_})
                server.requests.clear()
                message = self.finish_with_error(session, self.run_updater(session, game), "拒绝")
                self.assertIn(shown, message)
                self.assertEqual(self.installed(game), before)
                self.assertFalse((game / WORK_FOLDER).exists())
                self.assertEqual(sorted(p.name for p in self.artifacts.iterdir()), outside)
                self.assertFalse((self.testbed.prefix / "drive_c" / "x").exists())
                self.assertEqual(server.requests, [DOCUMENT_PATH, DOCUMENT_PATH + ".minisig"])

    def test_bad_answers_from_the_server_change_nothing(self):
        session = self.app()
        game = self.game_folder()
        before = self.installed(game)
        short = b"too short"
        # More than the disk holds, in files each within the size a list may give.
        free = shutil.disk_usage(game).free
        pieces = free // (60 * 2**30) + 1
        too_big = "".join(entry(f"big{i}.dat", size=str(free // pieces + 2**30), sha256=f"{i:064x}")
                          for i in range(pieces))
        cases = [
            ("more than the disk holds", signed({DOCUMENT_PATH: document(too_big)}), "磁盘空间不足"),
            ("a file shorter than listed", signed({DOCUMENT_PATH: document(entry("data\\map01.dat", size="100")),
                                                   FILES_PATH + "data/map01.dat": short}), "大小不同"),
            ("signed garbage instead of the document", signed({DOCUMENT_PATH: b"<?xml encoding='gbk'?>" +
                                                               bytes(range(256)) * 20}), "无法解析"),
            ("no document", {}, "HTTP 404"),
            ("no file list", signed({DOCUMENT_PATH: document("", files=False)}), "更新服务器没有提供文件列表"),
        ]
        server = self.document_server(documents={})
        for case, documents, reason in cases:
            with self.subTest(case=case):
                server.documents = documents
                self.finish_with_error(session, self.run_updater(session, game), reason)
                self.assertEqual(self.installed(game), before)
        server.close()

        # A server that accepts and never answers: reported within the HTTP time-outs (30 s to receive).
        silent = self.scripted_server(port=8080)
        pid = self.run_updater(session, game)
        silent.accept(timeout=20)
        started = time.monotonic()
        self.finish_with_error(session, pid, "没有响应", timeout=45)
        self.assertLess(time.monotonic() - started, 45)
        self.assertEqual(self.installed(game), before)
