"""进入游戏 end to end: the window size written for the game client, the
version check against the update server, the hand-over to the updater when
the versions differ, the game start with its command line and renamed window
when they agree, the launcher hidden in the notification area and brought
back by its icon, and the error box when the update document cannot be
read. The game client and the updater are stand-ins that record how they
were started."""

import time

from harness.paths import windows_path
from launcher_case import LAUNCH_TOKEN, UPDATE_FAILED, UPDATE_PATH, UPDATE_URL, LauncherCase, update_document

TRAY_MESSAGE = 123456
WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN = 0x201, 0x203, 0x204
SC_MINIMIZE = 0xF020
RENAMED_GAME_TITLE = "Lumadrel-F9隐藏游戏-F10显示游戏"


class GameStartTest(LauncherCase):
    time_limit = 90

    def start_game(self, launcher, starts_before: int):
        """Presses 进入游戏 and waits for the launcher to hide after starting one more game client."""
        launcher.click("MainWindow", "超级按钮1")
        launcher.wait_window("MainWindow", state="hidden", timeout=15)
        starts = launcher.stand_in_starts("main.exe")
        self.assertEqual(len(starts), starts_before + 1)
        return starts[-1]

    def window_size_setting(self, launcher):
        ini = launcher.game / "duzo.ini"
        return ini.read_bytes() if ini.exists() else None

    def test_equal_versions_start_the_game_and_the_icon_brings_the_launcher_back(self):
        observer = self.app()
        launcher = self.launcher(version="3.1.4", stand_ins=True)
        # The reference server publishes the version of the game folder's update.ini.
        self.reference_server(update_ini=launcher.game / "update.ini")
        (launcher.game / "duzo.ini").write_bytes(b"[duzo]\r\nwindows=7\r\n")
        launcher.start_launcher()
        launcher.wait_window("MainWindow", timeout=20)

        # Typing over the choice leaves no selection: the setting stays as it was.
        launcher.type_text("MainWindow", "组合框_窗口设置", "全屏")
        self.assertEqual(launcher.items("MainWindow", "组合框_窗口设置")[1], -1)
        game = self.start_game(launcher, 0)
        self.assertEqual(self.window_size_setting(launcher), b"[duzo]\r\nwindows=7\r\n")
        self.assertEqual(game["command_line"], " 1 0 " + LAUNCH_TOKEN)
        self.assertEqual(len(LAUNCH_TOKEN), 144)
        self.assertEqual(game["working_directory"], windows_path(launcher.game))
        [window] = [w for w in observer.windows(pid="all") if w["pid"] == int(game["process_id"])]
        self.assertEqual(window["text"], RENAMED_GAME_TITLE)
        self.assertIsNone(launcher.exit_code())

        # The icon: a right click does nothing, a double click shows the window as it was,
        # a left click also restores it from the task bar.
        launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_RBUTTONDOWN)
        self.assertFalse(launcher.find("MainWindow")["visible"])
        launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_LBUTTONDBLCLK)
        shown = launcher.find("MainWindow")
        self.assertTrue(shown["visible"])
        launcher.send("MainWindow", "WM_SYSCOMMAND", SC_MINIMIZE, 0)
        launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_LBUTTONDBLCLK)
        self.assertNotEqual(launcher.find("MainWindow")["w"], 600, "a double click restored the window")
        launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_LBUTTONDOWN)
        restored = launcher.find("MainWindow")
        self.assertTrue(restored["visible"])
        self.assertEqual([restored[k] for k in "xywh"], [shown[k] for k in "xywh"])

        # Each choice gives the game client its window size.
        for index, value in [(1, "3"), (2, "2"), (0, "1")]:
            with self.subTest(choice=index):
                launcher.select("MainWindow", "组合框_窗口设置", index=index)
                self.start_game(launcher, len(launcher.stand_in_starts("main.exe")))
                self.assertEqual(self.window_size_setting(launcher), f"[duzo]\r\nwindows={value}\r\n".encode())
                launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_LBUTTONDOWN)
                launcher.wait_window("MainWindow", timeout=5)
        self.assertFalse((launcher.game / "tovrin.exe.log").exists())

    def test_exit_game_leaves_the_game_running_and_no_icon(self):
        observer = self.app()
        icons_before = len(observer.tray_icons())
        launcher = self.launcher(version="1.0.0", stand_ins=True)
        self.document_server(documents={UPDATE_PATH: update_document("1.0.0")})
        launcher.start_launcher()
        launcher.wait_window("MainWindow", timeout=20)
        self.assertEqual(len(observer.tray_icons()), icons_before + 1)
        game = int(self.start_game(launcher, 0)["process_id"])
        self.addCleanup(observer.kill, game)
        launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_LBUTTONDOWN)
        launcher.click("MainWindow", "超级按钮3")
        self.assertEqual(launcher.exit_code(timeout=10), 0)
        self.assertIn(game, [p["pid"] for p in observer.processes(name="main.exe")])
        self.assertEqual(len(observer.tray_icons()), icons_before)


    def test_a_missing_game_client_or_updater_is_not_reported(self):
        server = self.document_server(documents={UPDATE_PATH: update_document("1.0.0")})
        launcher = self.start(version="1.0.0")  # no main.exe, no tovrin.exe
        launcher.click("MainWindow", "超级按钮1")
        launcher.wait_window("MainWindow", state="hidden", timeout=15)
        self.assert_no_message(launcher, within=0.5)
        self.assert_running(launcher)

        server.documents[UPDATE_PATH] = update_document("1.0.1")
        launcher.send("MainWindow", TRAY_MESSAGE, 0, WM_LBUTTONDOWN)
        launcher.click("MainWindow", "超级按钮1")
        # No box waits for the player: the launcher goes on to end itself.
        self.assertEqual(launcher.exit_code(timeout=10), 0)


class UpdateCheckTest(LauncherCase):
    time_limit = 90

    def test_another_version_hands_over_to_the_updater_and_the_launcher_ends(self):
        cases = [
            ("a newer version is published", dict(version="1.0.0"), "Lumadrel.exe"),
            ("update.ini is empty", dict(update_ini=b""), "Lumadrel.exe"),
            # The launcher finds itself by name in any letter case.
            ("no update.ini, launcher named in capitals", dict(update_ini=False), "LUMADREL.EXE"),
        ]
        server = self.document_server(documents={UPDATE_PATH: update_document("1.0.1")})
        for case, folder, exe_name in cases:
            with self.subTest(case=case):
                launcher = self.launcher(stand_ins=True, **folder)
                if exe_name != "Lumadrel.exe":
                    (launcher.game / "Lumadrel.exe").rename(launcher.game / exe_name)
                launcher.start_launcher(exe_name=exe_name)
                launcher.wait_window("MainWindow", timeout=20)
                expected_label = "版本号： " + ("1.0.0" if "version" in folder else "")
                self.assertEqual(launcher.text("MainWindow", "透明标签_版本"), expected_label)
                requests_before = len(server.requests)
                launcher.click("MainWindow", "超级按钮1")
                updater = launcher.game / "tovrin.exe.log"
                deadline = time.monotonic() + 15
                while not updater.exists():
                    self.assertLess(time.monotonic(), deadline, "the updater was not started")
                    time.sleep(0.02)
                handed_over = time.monotonic()
                self.assertEqual(launcher.exit_code(timeout=10), 0)
                ended_after = time.monotonic() - handed_over
                self.assertGreater(ended_after, 0.6)
                self.assertLess(ended_after, 5.0)
                [start] = launcher.stand_in_starts("tovrin.exe")
                self.assertTrue(start["command_line"].endswith(f" {UPDATE_URL} test"), start["command_line"])
                self.assertEqual(launcher.stand_in_starts("main.exe"), [])
                self.assertEqual(server.requests[requests_before:], [UPDATE_PATH])
                launcher.close()

    def test_an_unreadable_update_document_ends_the_launcher_after_an_error_box(self):
        cases = [
            ("no update server", None),
            ("a document that is not XML", {UPDATE_PATH: "版本 1.0.0，不是 XML".encode("gbk")}),
            ("an empty document", {UPDATE_PATH: b""}),
            ("no document at that path", {"/elsewhere.xml": update_document("1.0.0")}),
        ]
        for case, documents in cases:
            with self.subTest(case=case):
                server = self.document_server(documents=documents) if documents is not None else None
                launcher = self.launcher(version="1.0.0", stand_ins=True)
                launcher.start_launcher()
                launcher.wait_window("MainWindow", timeout=20)
                launcher.click("MainWindow", "超级按钮1")
                self.assert_message(launcher, UPDATE_FAILED, timeout=15)
                self.assertEqual(launcher.exit_code(timeout=10), 0)
                self.assertEqual(launcher.stand_in_starts("main.exe"), [])
                self.assertEqual(launcher.stand_in_starts("tovrin.exe"), [])
                launcher.close()
                if server:
                    server.close()
