"""The updater installing a published version end to end: from the launcher's
hand-over to the launcher showing the new version, killed at every step of
the install, and waiting for a launcher that does not end."""

import time

from harness.driver import Raw

from harness.updates import (ACTIVITY, CANCEL, CANCELLED, CRASHED_BY_HOOK, FAILED, INSTALLED, WORK_FOLDER,
                             UpdaterWindow, install_real_updater, start_updater, update_ini, with_version_resource,
                             write_files)
from launcher_case import UPDATE_URL
from updater_case import FILES_PATH, UpdaterCase


class UpdaterInstallTest(UpdaterCase):
    def test_a_published_version_is_installed_and_the_launcher_shows_it(self):
        launcher = self.launcher(version="1.0.0", stand_ins=True)
        game = launcher.game
        install_real_updater(game)
        write_files(game, {"data/map01.dat": b"map of 1.0.0\n" * 100, "data/same.dat": b"unchanged\n"})
        # Another build of the launcher: its version resource says 1.0.1.
        new = {"Lumadrel.exe": with_version_resource((game / "Lumadrel.exe").read_bytes()),
               "data/map01.dat": b"map of 1.0.1\n" * 200}
        www = self.publish_new_version(game, files=new)
        server = self.reference_server(www=www)
        before = self.installed(game)

        launcher.start_launcher()
        launcher.wait_window("MainWindow", timeout=20)
        self.assertEqual(launcher.text("MainWindow", "透明标签_版本"), "版本号： 1.0.0")
        first = launcher.pid
        launcher.click("MainWindow", "超级按钮1")
        self.assertEqual(launcher.exit_code(first, timeout=15), 0)

        # The updater starts the launcher again from the game folder: a process of its own.
        launcher.driver.check("scope", Raw("all"))
        deadline = time.monotonic() + 60
        while True:
            windows = [w for w in launcher.windows(pid="all") if w.get("form") == "MainWindow"]
            if windows:
                break
            self.assertLess(time.monotonic(), deadline, "the launcher did not come back")
            time.sleep(0.2)
        relaunched = windows[0]["pid"]
        self.addCleanup(self.kill_quietly, launcher, relaunched)
        self.assertNotEqual(relaunched, first)
        launcher.wait_text("MainWindow", "透明标签_版本", "版本号： 1.0.1", timeout=10)

        after = self.installed(game)
        self.assertEqual(after["Lumadrel.exe"], new["Lumadrel.exe"])
        self.assertEqual(after["data/map01.dat"], new["data/map01.dat"])
        self.assertEqual(after["data/same.dat"], before["data/same.dat"])
        self.assertEqual(after["update.ini"], update_ini("1.0.1"))
        self.assertFalse((game / WORK_FOLDER).exists())
        fetched = [line for line in server.log_lines() if " http GET " in line]
        # The launcher (large enough for a chunk index) came as its index and the changed ranges only.
        self.assertTrue(any(f"{FILES_PATH}Lumadrel.exe.chunks 200" in line for line in fetched), fetched)
        self.assertTrue(any(f"{FILES_PATH}Lumadrel.exe bytes=" in line and " 206 " in line for line in fetched),
                        fetched)
        self.assertFalse(any(f"{FILES_PATH}Lumadrel.exe 200" in line for line in fetched), fetched)
        self.assertTrue(any(f"{FILES_PATH}data/map01.dat 200" in line for line in fetched), fetched)
        for unchanged in ("data/same.dat", "main.exe", "tovrin.exe"):
            self.assertFalse(any(FILES_PATH + unchanged in line for line in fetched), unchanged)

        # The versions agree now: the button starts the game.
        launcher.click("MainWindow", "超级按钮1")
        launcher.wait_window("MainWindow", state="hidden", timeout=15)
        [game_start] = launcher.stand_in_starts("main.exe")
        self.addCleanup(self.kill_quietly, launcher, int(game_start["process_id"]))

    def test_a_kill_at_any_step_of_the_install_leaves_the_old_or_the_new_set(self):
        observer = self.app()
        old_game = self.game_folder(name="reference")
        www = self.publish_new_version(old_game)
        self.reference_server(www=www)
        old_set = self.expected_set(old_game, self.old_files(), "1.0.0")
        new_set = self.expected_set(old_game, self.new_files(), "1.0.1")
        # Nothing answers here: the run after a kill finishes the install and stops at the document.
        unreachable = "http://127.0.0.1:9/vorlenk2/update.xml"

        outcomes = []
        for point in range(1, 40):
            game = self.game_folder(name=f"killed-{point}")
            log = self.artifacts / f"killed-{point}.log"
            first = start_updater(self.testbed, game, UPDATE_URL, log, LUMADREL_UPDATER_CRASH_AT=point)
            code = first.wait(timeout=60)
            if code == INSTALLED:
                self.kill_started_launcher(observer, game)
                self.assertEqual(self.installed(game), new_set)
                break
            self.assertEqual(code, CRASHED_BY_HOOK, f"step {point}")

            second = start_updater(self.testbed, game, unreachable, log)
            window = UpdaterWindow(observer)
            window.wait_text(ACTIVITY, "无法获取更新列表", timeout=30)
            window.click(CANCEL)
            self.assertEqual(second.wait(timeout=30), FAILED)
            found = self.installed(game)
            self.assertIn(found, (old_set, new_set), f"killed after step {point}: a mix of versions")
            outcomes.append("new" if found == new_set else "old")
            self.assertFalse((game / WORK_FOLDER / "journal").exists(), f"step {point}")

        self.assertGreaterEqual(len(outcomes), 10, outcomes)
        # Before the commit point the install is undone, after it finished; never back again.
        self.assertEqual(outcomes, sorted(outcomes, key=lambda o: o == "new"), outcomes)
        self.assertIn("old", outcomes)
        self.assertIn("new", outcomes)

    def test_a_launcher_that_does_not_end_is_waited_for_then_the_player_asked(self):
        observer = self.app()
        game = self.game_folder()
        www = self.publish_new_version(game)
        self.reference_server(www=www)
        before = self.installed(game)
        running = observer.start(game / "Lumadrel.exe", cwd=game)
        observer.driver.check("scope", Raw("all"))  # the updater's boxes too

        # Cancel: nothing installed changes.
        first = start_updater(self.testbed, game, UPDATE_URL, self.artifacts / "first.log",
                              LUMADREL_UPDATER_LAUNCHER_WAIT_MS=1500)
        box = observer.message_box(timeout=40)
        self.assertIn("Lumadrel.exe 仍在运行", box.text)
        self.assertTrue(any("重试" in button for button in box.buttons), box.buttons)
        observer.press("cancel")
        self.assertEqual(first.wait(timeout=20), CANCELLED)
        self.assertEqual(self.installed(game), before)

        # Retry while it still runs asks again; once it has ended the install goes on.
        second = start_updater(self.testbed, game, UPDATE_URL, self.artifacts / "second.log",
                               LUMADREL_UPDATER_LAUNCHER_WAIT_MS=1500)
        observer.message_box(timeout=40)
        observer.press("retry")
        observer.message_box(timeout=20)
        observer.kill(running)
        observer.press("retry")
        self.assertEqual(second.wait(timeout=60), INSTALLED)
        self.kill_started_launcher(observer, game, starts_before=1)
        self.assertEqual(self.installed(game), self.expected_set(game, self.new_files(), "1.0.1"))

    def test_the_updater_replaces_itself_and_its_old_program_goes_on_a_later_run(self):
        observer = self.app()
        game = self.game_folder()
        files = self.new_files()
        files["tovrin.exe"] = (game / "tovrin.exe").read_bytes() + b"\0another build"
        www = self.publish_new_version(game, files=files)
        self.reference_server(www=www)

        self.assertEqual(observer.exit_code(self.run_updater(observer, game), timeout=60), INSTALLED)
        self.kill_started_launcher(observer, game)
        self.assertEqual(self.installed(game), self.expected_set(game, files, "1.0.1"))
        self.assertEqual((game / "tovrin.exe").read_bytes(), files["tovrin.exe"])
        # The new updater runs (nothing to do now) and removes what is left of the old one.
        self.assertEqual(observer.exit_code(self.run_updater(observer, game), timeout=60), INSTALLED)
        self.kill_started_launcher(observer, game, starts_before=1)
        self.assertFalse((game / WORK_FOLDER).exists())
        self.assertEqual(self.installed(game), self.expected_set(game, files, "1.0.1"))
