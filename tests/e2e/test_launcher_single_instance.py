"""What the launcher does for itself at start: one copy only (also when a copy
runs under a name that differs in letter case), a desktop shortcut to itself
written on every start, and its icon in the notification area, which comes
back when the notification area restarts and brings the hidden launcher back
when clicked."""

import shutil
import time

from harness.paths import windows_path
from harness.shell_link import read_shell_link
from launcher_case import LauncherCase, update_document


class SingleInstanceTest(LauncherCase):
    def second_copy_ends_silently(self, launcher, exe, first_pid):
        """Starts another copy, watches it until it ends and holds it to code 0
        without a window or a message box; the first copy goes on."""
        second = launcher.start(exe, cwd=exe.parent)
        shown = []
        deadline = time.monotonic() + 20
        while launcher.exit_code(second) is None:
            shown += launcher.windows(pid=second)
            self.assertLess(time.monotonic(), deadline, "the second copy did not end")
            time.sleep(0.05)
        self.assertEqual(launcher.exit_code(second), 0)
        self.assertEqual(shown, [], "the second copy showed a window")
        self.assertIsNone(launcher.exit_code(first_pid), "the first copy ended")
        window = launcher.wait_window("MainWindow", timeout=2)
        self.assertEqual(window["pid"], first_pid)

    def test_a_second_copy_ends_with_code_0_before_showing_a_window(self):
        observer = self.app()
        icons_before = len(observer.tray_icons())
        launcher = self.start()
        first = launcher.pid
        self.second_copy_ends_silently(launcher, launcher.game / "Lumadrel.exe", first)
        self.assertEqual(len(observer.tray_icons()), icons_before + 1)
        # The first copy still answers its player.
        self.open_shop_login(launcher)
        launcher.close_window("ShopLoginWindow")
        launcher.wait_gone("ShopLoginWindow", timeout=5)

    def test_a_copy_named_in_other_letter_case_counts_as_a_copy(self):
        launcher = self.launcher()
        renamed = launcher.game / "LUMADREL.EXE"
        (launcher.game / "Lumadrel.exe").rename(renamed)
        first = launcher.start(renamed, cwd=launcher.game)
        launcher.wait_window("MainWindow", timeout=20)
        elsewhere = launcher.artifacts / "second"
        elsewhere.mkdir()
        shutil.copy2(renamed, elsewhere / "Lumadrel.exe")
        self.second_copy_ends_silently(launcher, elsewhere / "Lumadrel.exe", first)


class DesktopShortcutTest(LauncherCase):
    def test_every_start_writes_a_desktop_shortcut_to_the_launcher(self):
        link = self.testbed.desktop() / "Lumadrel.lnk"
        link.write_bytes(b"an old file of that name")
        launcher = self.start()
        self.assertEqual(read_shell_link(link).target, windows_path(launcher.game / "Lumadrel.exe"))
        launcher.click("MainWindow", "超级按钮3")
        self.assertEqual(launcher.exit_code(timeout=10), 0)

        # A launcher in another folder points the shortcut at itself.
        moved = self.start()
        self.assertNotEqual(moved.game, launcher.game)
        self.assertEqual(read_shell_link(link).target, windows_path(moved.game / "Lumadrel.exe"))


class TrayIconTest(LauncherCase):
    def icons_become(self, observer, count, timeout=5.0):
        deadline = time.monotonic() + timeout
        while True:
            icons = observer.tray_icons()
            if len(icons) == count or time.monotonic() > deadline:
                return icons

    def test_the_icon_comes_back_after_a_restart_of_the_notification_area_and_brings_the_launcher_back(self):
        observer = self.app()
        before = {icon["hwnd"] for icon in observer.tray_icons()}
        self.document_server(documents={"/vorlenk2/update.xml": update_document("1.0.0")})
        launcher = self.start(stand_ins=True)
        self.assertEqual(len(self.icons_become(observer, len(before) + 1)), len(before) + 1)
        launcher.tray_remove("MainWindow")
        self.assertEqual(len(self.icons_become(observer, len(before))), len(before))
        for _ in range(2):  # a second notice adds no second icon
            launcher.send("MainWindow", "TaskbarCreated")
            self.assertEqual(len(self.icons_become(observer, len(before) + 1)), len(before) + 1)

        launcher.click("MainWindow", "超级按钮1")
        launcher.wait_window("MainWindow", state="hidden", timeout=15)
        [icon] = [icon for icon in observer.tray_icons() if icon["hwnd"] not in before]
        observer.driver.check("click", icon["hwnd"], force=True)  # the player's click on the icon itself
        launcher.wait_window("MainWindow", timeout=5)

    def test_after_the_game_started_the_restored_icon_still_brings_the_launcher_back(self):
        observer = self.app()
        before = {icon["hwnd"] for icon in observer.tray_icons()}
        self.document_server(documents={"/vorlenk2/update.xml": update_document("1.0.0")})
        launcher = self.start(stand_ins=True)
        self.assertEqual(len(self.icons_become(observer, len(before) + 1)), len(before) + 1)
        launcher.click("MainWindow", "超级按钮1")  # the game starts, the launcher hides behind a balloon
        launcher.wait_window("MainWindow", state="hidden", timeout=15)
        launcher.tray_remove("MainWindow")
        self.assertEqual(len(self.icons_become(observer, len(before))), len(before))
        launcher.send("MainWindow", "TaskbarCreated")
        self.assertEqual(len(self.icons_become(observer, len(before) + 1)), len(before) + 1)
        [icon] = [icon for icon in observer.tray_icons() if icon["hwnd"] not in before]
        observer.driver.check("click", icon["hwnd"], force=True)
        launcher.wait_window("MainWindow", timeout=5)
