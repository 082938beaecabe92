"""Delta updates end to end: the updater assembles changed files from the
chunks the player already has and fetches only the rest by ranges from the
reference server, for each kind of change; from servers that answer ranges
with the whole file or one range at a time; refusing chunks that arrive
corrupted; and resuming after a kill without fetching again what it has."""

import random
import time

from harness.corrupting_proxy import CorruptingProxy
from harness.generated_files import scattered
from harness.served_bytes import sent_for, served
from harness.updates import BYTES, CANCEL, FAILED, INSTALLED, UpdaterWindow
from updater_case import FILES_PATH, UpdaterCase

MIB = 1024 * 1024
LARGEST_CHUNK = 256 * 1024


def random_bytes(size: int, seed: int) -> bytes:
    return random.Random(seed).randbytes(size)


def index_size(size: int) -> int:
    """The most a chunk index of a file this size can weigh (each chunk at least 16 KiB)."""
    return 36 + (size // (16 * 1024) + 1) * 36


class UpdaterDeltaTest(UpdaterCase):
    time_limit = 240

    def cases(self):
        """Old and new content per path, one file per kind of change (the sizes of the bench, scaled down)."""
        base = random_bytes(4 * MIB, 1)
        middle = 2 * MIB
        changes = {
            "data/a.pak": (base, base[:middle] + random_bytes(256 * 1024, 2) + base[middle + 256 * 1024:]),
            "data/b.pak": (base[::-1], random_bytes(256 * 1024, 3) + base[::-1]),
            "data/c.pak": (base[1:] + b"c", base[1:] + b"c" + random_bytes(MIB, 4)),
            "data/e.pak": (base[2:] + b"ee", scattered(base[2:] + b"ee", 0.3, 4096, 5)),
        }
        old = {path: pair[0] for path, pair in changes.items()}
        new = {path: pair[1] for path, pair in changes.items()}
        moved = random_bytes(3 * MIB, 6)
        old["data/old/d.pak"] = moved
        new["data/new/d.pak"] = moved
        return old, new

    def test_each_kind_of_change_installs_the_new_bytes_and_fetches_only_what_changed(self):
        session = self.app()
        old, new = self.cases()
        game = self.game_folder(files={**self.old_files(), **old})
        new_files = {**self.old_files(), **new}
        www = self.publish_new_version(game, files=new_files, removed=["data/old/d.pak"])
        server = self.reference_server(www=www)
        self.assertEqual(session.exit_code(self.run_updater(session, game), timeout=120), INSTALLED)
        self.kill_started_launcher(session, game)
        # The updater leaves files the new version no longer lists where they are.
        expected = self.expected_set(game, new_files, "1.0.1")
        expected["data/old/d.pak"] = old["data/old/d.pak"]
        self.assertEqual(self.installed(game), expected)

        answers = served(server.log_lines())
        most = {
            "data/a.pak": 256 * 1024 + 2 * LARGEST_CHUNK,
            "data/b.pak": 256 * 1024 + 2 * LARGEST_CHUNK,
            "data/c.pak": MIB + LARGEST_CHUNK,
            "data/e.pak": len(new["data/e.pak"]) + 64 * 1024,  # every chunk changed: the file, with part heads
        }
        for path, bound in most.items():
            with self.subTest(path=path):
                fetched = sent_for(answers, path)
                self.assertGreater(fetched, 0)
                self.assertLessEqual(fetched, bound + index_size(len(new[path])))
                self.assertFalse(any(a.path.endswith(path) and not a.ranges and a.status == 200 for a in answers),
                                 "fetched whole")
        # Moved unchanged: copied from where it was, nothing fetched.
        self.assertEqual(sent_for(answers, "data/new/d.pak"), 0)

    def test_servers_that_send_the_whole_file_or_one_range_at_a_time(self):
        session = self.app()
        old, new = self.cases()
        changed = {"data/a.pak": new["data/a.pak"], "data/e.pak": new["data/e.pak"]}
        game = self.game_folder(files={**self.old_files(), "data/a.pak": old["data/a.pak"],
                                       "data/e.pak": old["data/e.pak"]})
        new_files = {**self.old_files(), **changed}
        www = self.publish_new_version(game, files=new_files)
        for most_ranges in ("0", "1"):
            with self.subTest(most_ranges=most_ranges):
                copy = self.game_folder(name=f"game-{most_ranges}", files={**self.old_files(),
                                        "data/a.pak": old["data/a.pak"], "data/e.pak": old["data/e.pak"]})
                server = self.reference_server(www=www, extra_arguments=["--www-max-ranges", most_ranges])
                self.assertEqual(session.exit_code(self.run_updater(session, copy), timeout=120), INSTALLED)
                self.kill_started_launcher(session, copy)
                self.assertEqual(self.installed(copy), self.expected_set(copy, new_files, "1.0.1"))
                answers = [a for a in served(server.log_lines()) if a.path.endswith(".pak")]
                if most_ranges == "0":
                    # The first range request got the whole file, which was taken as it came.
                    self.assertEqual([a.status for a in answers], [200, 200])
                    self.assertEqual(sum(a.sent for a in answers), sum(len(d) for d in changed.values()))
                else:
                    # Several ranges were answered once with the whole file (not taken); then one range per request.
                    self.assertEqual([a.status for a in answers].count(200), 1, answers)
                    self.assertTrue(all(a.status == 200 or len(a.ranges) == 1 for a in answers), answers)
                server.stop()

    def test_a_chunk_that_arrives_corrupted_is_fetched_again_or_the_run_fails_naming_the_file(self):
        session = self.app()
        old, new = self.cases()
        game = self.game_folder(files={**self.old_files(), "data/a.pak": old["data/a.pak"]})
        new_files = {**self.old_files(), "data/a.pak": new["data/a.pak"]}
        www = self.publish_new_version(game, files=new_files)
        before = self.installed(game)

        # Corrupted once on the way: refused, fetched again, installed.
        server = self.reference_server(www=www, http_port=8081)
        proxy = CorruptingProxy(listen=8080, target=8081, times=1)
        self.addCleanup(proxy.close)
        self.assertEqual(session.exit_code(self.run_updater(session, game), timeout=120), INSTALLED)
        self.kill_started_launcher(session, game)
        self.assertEqual(proxy.corrupted, 1)
        self.assertEqual(self.installed(game), self.expected_set(game, new_files, "1.0.1"))
        proxy.close()
        server.stop()

        # Corrupted on the server itself: the run fails naming the file, and nothing is installed.
        game = self.game_folder(name="game-2", files={**self.old_files(), "data/a.pak": old["data/a.pak"]})
        served_file = www / "vorlenk2" / FILES_PATH.strip("/").split("/", 1)[1] / "data" / "a.pak"
        damaged = bytearray(served_file.read_bytes())
        damaged[2 * MIB + 1000] ^= 0xFF
        served_file.write_bytes(bytes(damaged))
        self.reference_server(www=www)
        pid = self.run_updater(session, game)
        window = UpdaterWindow(session, pid)
        shown = window.wait_text(100, "校验失败", timeout=90)
        self.assertIn("data\\a.pak", shown)
        window.click(CANCEL)
        self.assertEqual(session.exit_code(pid, timeout=15), FAILED)
        self.assertEqual(self.installed(game), before)

    def test_a_delta_download_killed_midway_resumes_without_fetching_again_what_it_has(self):
        session = self.app()
        old = random_bytes(12 * MIB, 7)
        # A change every 192 KiB: more separate ranges than one request asks for.
        new = bytearray(old)
        for at in range(0, len(old) - 4096, 192 * 1024):
            new[at:at + 4096] = random_bytes(4096, at)
        new = bytes(new)
        game = self.game_folder(files={**self.old_files(), "data/big.pak": old})
        new_files = {**self.old_files(), "data/big.pak": new}
        www = self.publish_new_version(game, files=new_files)
        server = self.reference_server(www=www, http_port=8081)
        # The first request for ranges passes; the next stalls after its head.
        proxy = CorruptingProxy(listen=8080, target=8081, times=0, hold_after=1)
        self.addCleanup(proxy.close)
        before = self.installed(game)

        first = self.run_updater(session, game)
        deadline = time.monotonic() + 90
        while proxy.held == 0:
            self.assertLess(time.monotonic(), deadline, "no second request for ranges")
            time.sleep(0.05)
        # The progress counts the bytes to fetch, not the file's size, and what that saves.
        window = UpdaterWindow(session, first)
        shown = window.wait_text(BYTES, "节省", timeout=20)
        self.assertNotIn("/ 12.0 MB", shown)
        # What has come is taken in before the kill.
        while True:
            time.sleep(1.0)
            now = window.text(BYTES)
            if now.split("，")[0] == shown.split("，")[0]:
                break
            shown = now
        # Ended at once, as a player's machine losing power ends it.
        session.kill(first)
        self.assertIsNotNone(session.exit_code(first, timeout=15))
        proxy.close()
        self.assertEqual(self.installed(game), before)
        taken = [a for a in served(server.log_lines()) if a.path.endswith("big.pak") and a.status == 206]
        fetched_before = taken[0].ranges
        self.assertGreater(len(fetched_before), 1)

        passing = CorruptingProxy(listen=8080, target=8081, times=0)
        self.addCleanup(passing.close)
        self.assertEqual(session.exit_code(self.run_updater(session, game), timeout=120), INSTALLED)
        self.kill_started_launcher(session, game)
        self.assertEqual(self.installed(game), self.expected_set(game, new_files, "1.0.1"))
        answers = served(server.log_lines())
        second_run = answers[[i for i, a in enumerate(answers) if a.path.endswith("update.xml")][-1]:]
        again = [r for a in second_run if a.path.endswith("big.pak") for r in a.ranges if r in fetched_before]
        self.assertEqual(again, [], "fetched again")
        self.assertTrue(any(a.path.endswith("big.pak") for a in second_run), "nothing left to fetch?")
        self.assertFalse(any(a.path.endswith(".chunks") for a in second_run), "the index was fetched again")
