"""Steps the updater's end-to-end tests share: a game folder with version
1.0.0 installed, a version 1.0.1 of it published on the reference server, and
tovrin.exe run from the folder as the launcher runs it."""

import shutil
import time

from harness import paths
from harness.updates import (SEQUENCE_FILE, TEST_KEY_A, WORK_FOLDER, files_of, install_real_updater, publish,
                             update_ini, write_files, write_update_ini)
from launcher_case import UPDATE_URL, LauncherCase

DOCUMENT_PATH = "/vorlenk2/update.xml"
FILES_PATH = "/vorlenk2/files/1.0.1/"


def stand_in_program() -> bytes:
    """A harmless program to stand where the launcher is (it shows a window and records its start)."""
    return paths.require(paths.game_client_exe(), "the stand-in game client").read_bytes()


class UpdaterCase(LauncherCase):
    time_limit = 120

    def old_files(self) -> dict:
        return {
            "Lumadrel.exe": stand_in_program(),
            "data/map01.dat": b"map of 1.0.0\n" * 100,
            "data/same.dat": b"the same in both versions\n",
        }

    def new_files(self) -> dict:
        files = self.old_files()
        # Trailing bytes after the image: another program file that still starts.
        files["Lumadrel.exe"] = files["Lumadrel.exe"] + b"\0version 1.0.1"
        files["data/map01.dat"] = b"map of 1.0.1, larger\n" * 120
        files["新/地图.dat"] = "新的地图".encode("utf-8") * 50
        # Two new files with the same content, and an empty one.
        files["新/地图副本.dat"] = files["新/地图.dat"]
        files["data/empty.dat"] = b""
        return files

    def game_folder(self, name: str = "game", files: dict = None, version: str = "1.0.0"):
        """A folder with the given files (default: 1.0.0), update.ini and the real updater."""
        game = self.artifacts / name
        if game.exists():
            shutil.rmtree(game)
        game.mkdir(parents=True)
        write_files(game, self.old_files() if files is None else files)
        write_update_ini(game, version)
        install_real_updater(game)
        return game

    def publish_new_version(self, game, files: dict = None, version: str = "1.0.1", key=TEST_KEY_A, removed=()):
        """Publishes the game folder with `files` changed and the paths in `removed` taken out as `version`
        into a www folder of the test, signed with `key` (None: unsigned)."""
        source = self.artifacts / f"published-{version}"
        if source.exists():
            shutil.rmtree(source)
        shutil.copytree(game, source, ignore=shutil.ignore_patterns("tovrin.update", "*.log"))
        write_files(source, self.new_files() if files is None else files)
        for path in removed:
            (source / path).unlink()
        www = self.artifacts / "www"
        publish(version, source, www, key=key)
        return www

    def installed(self, game) -> dict:
        """The game folder's files as a player has them (the updater's work folder, its record of
        sequence numbers and logs left out)."""
        return {path: data for path, data in files_of(game, skip=(WORK_FOLDER, SEQUENCE_FILE)).items()
                if not path.endswith(".log")}

    def expected_set(self, game, files: dict, version: str) -> dict:
        expected = {path: data for path, data in files.items()}
        expected["update.ini"] = update_ini(version)
        expected["tovrin.exe"] = (game / "tovrin.exe").read_bytes()
        return expected

    def run_updater(self, session, game, url: str = UPDATE_URL) -> int:
        """Starts tovrin.exe as the launcher does (the update URL and "test"); gives its process id."""
        return session.start(game / "tovrin.exe", url, "test", cwd=game)

    def kill_quietly(self, session, pid: int):
        try:
            session.kill(pid)
        except Exception:
            pass

    def kill_started_launcher(self, observer, game, starts_before: int = 0, launcher: str = "Lumadrel.exe"):
        """Ends the stand-in launcher the updater started at the end (it records its process id)."""
        deadline = time.monotonic() + 15
        log = game / f"{launcher}.log"
        while True:
            starts = [int(line.split("=")[1]) for line in
                      (log.read_text(encoding="utf-8").splitlines() if log.exists() else [])
                      if line.startswith("process_id=")]
            if len(starts) > starts_before:
                break
            self.assertLess(time.monotonic(), deadline, "the updater did not start the launcher")
            time.sleep(0.1)
        self.kill_quietly(observer, starts[-1])
