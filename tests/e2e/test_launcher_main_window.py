"""The launcher's start-up window as a player meets it: the background
picture, the captions, the labels and the window-size choice; the shop login
behind 玩家中心 before any login; the ways the launcher ends; and a start
without a game server."""

import time

from harness import Image, paths
from launcher_case import EM_GETPASSWORDCHAR, LauncherCase

BUTTONS = {"超级按钮1": "进  入 游 戏", "超级按钮2": "玩 家 中 心", "超级按钮3": "退 出 游 戏"}
# Places (left, top, width, height) in the client area, from the template.
BUTTON_PLACES = {"超级按钮1": (100, 350, 80, 35), "超级按钮2": (250, 350, 80, 35), "超级按钮3": (400, 350, 80, 35)}
LABEL_PLACES = {"透明标签_版本": (8, 5, 88, 16), "透明标签_登录的账号": (248, 5, 88, 16)}
COMBO_PLACE = (500, 2, 72, 20)
BUTTON_FACE = (240, 240, 240)


def near(a, b, tolerance=24):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def dark_pixels(image, place, inset=4):
    """Pixels clearly darker than the light faces they are drawn on (text strokes)."""
    left, top, width, height = place
    counts = image.colours(left + inset, top + inset, left + width - inset, top + height - inset)
    return sum(n for colour, n in counts.items() if sum(colour) < 450)


class MainWindowTest(LauncherCase):
    def test_the_window_shows_its_background_captions_labels_and_window_sizes(self):
        launcher = self.start(version="2.3.4 测试版")
        window = launcher.find("MainWindow")
        self.assertEqual((window["text"], window["w"], window["h"]), ("Lumadrel", 600, 450))
        for name, caption in BUTTONS.items():
            self.assertEqual(launcher.text("MainWindow", name), caption)
        self.assertEqual(launcher.text("MainWindow", "透明标签_版本"), "版本号： 2.3.4 测试版")
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), "未登录用户中心")
        items, selected, text = launcher.items("MainWindow", "组合框_窗口设置")
        self.assertEqual((items, selected, text), (["中窗口", "小窗口", "大窗口"], 0, "窗口设置"))

        shot = launcher.screenshot("main-window.png", "MainWindow", client=True)
        background = Image.read_png(paths.REPO / "launcher" / "art" / "main_background.png")
        stretched = lambda x, y: background.pixel(x * background.width // shot.width,
                                                  y * background.height // shot.height)
        # The picture fills the client area wherever no component lies over it.
        covered = list(BUTTON_PLACES.values()) + list(LABEL_PLACES.values()) + [COMBO_PLACE]
        samples = [(x, y) for y in range(0, shot.height, 7) for x in range(0, shot.width, 7)
                   if not any(l - 4 <= x < l + w + 4 and t - 4 <= y < t + h + 4 for l, t, w, h in covered)]
        matching = sum(near(shot.pixel(x, y), stretched(x, y)) for x, y in samples)
        self.assertGreater(matching / len(samples), 0.9)
        for name, place in BUTTON_PLACES.items():
            with self.subTest(button=name):
                left, top, width, height = place
                self.assertGreater(shot.share_near(BUTTON_FACE, 2, left=left + 4, top=top + 4,
                                                   right=left + width - 4, bottom=top + height - 4), 0.5)
                self.assertGreater(dark_pixels(shot, place), 60, "no caption drawn")
        for name, (left, top, width, height) in LABEL_PLACES.items():
            with self.subTest(label=name):
                self.assertGreater(dark_pixels(shot, (left, top, width, height), inset=0), 60, "no text drawn")
                # Transparent: between the strokes the background shows, not a face of its own.
                light = [(x, y) for y in range(top, top + height) for x in range(left, left + width)
                         if sum(shot.pixel(x, y)) >= 450]
                through = sum(near(shot.pixel(x, y), stretched(x, y)) for x, y in light)
                self.assertGreater(through / len(light), 0.8)

    def test_player_centre_before_a_login_opens_the_shop_login_with_a_new_code_each_time(self):
        launcher = self.start()
        codes = []
        for attempt in range(4):
            codes.append(self.open_shop_login(launcher))
            if attempt == 0:
                for name, masked in [("编辑框_账号", 0), ("编辑框_密码", ord("*")), ("编辑框_验证", 0)]:
                    answer = launcher.send("ShopLoginWindow", EM_GETPASSWORDCHAR, name=name)
                    self.assertEqual(answer["result"], masked, name)
                launcher.click("ShopLoginWindow", "按钮2")
                launcher.wait_window("RegisterWindow", timeout=5)
                for name, masked in [("编辑框_账号", 0), ("编辑框_密码", ord("*")), ("编辑框_重复密码", ord("*"))]:
                    answer = launcher.send("RegisterWindow", EM_GETPASSWORDCHAR, name=name)
                    self.assertEqual(answer["result"], masked, name)
                launcher.close_window("RegisterWindow")
                launcher.wait_gone("RegisterWindow", timeout=5)
            launcher.close_window("ShopLoginWindow")
            launcher.wait_gone("ShopLoginWindow", timeout=5)
        for code in codes:
            self.assertRegex(code, r"^[1-9][0-9]{3}$")
        self.assertGreaterEqual(len(set(codes)), 3, f"codes drawn: {codes}")

    def test_exit_game_ends_the_launcher_with_code_0(self):
        launcher = self.start()
        launcher.click("MainWindow", "超级按钮3")
        self.assertEqual(launcher.exit_code(timeout=10), 0)

    def test_closing_the_window_ends_the_launcher_with_code_0_and_takes_its_icon(self):
        observer = self.app()
        icons_before = len(observer.tray_icons())
        launcher = self.start()
        self.assertEqual(len(observer.tray_icons()), icons_before + 1)
        launcher.close_window("MainWindow")
        self.assertEqual(launcher.exit_code(timeout=10), 0)
        self.assertEqual(observer.windows(all=True, pid=launcher.pid), [])
        self.assertEqual(len(observer.tray_icons()), icons_before)

    def test_without_a_game_server_the_window_shows_and_a_login_says_the_connection_failed(self):
        # Nothing listens on the game server's port: the connect fails at once and silently.
        began = time.monotonic()
        launcher = self.start()
        self.assertLess(time.monotonic() - began, 15)
        self.assertTrue(launcher.find("MainWindow")["visible"])
        self.assert_no_message(launcher, within=0.5)
        self.open_shop_login(launcher)
        self.fill_login(launcher, "玩家甲乙", "secret1")
        self.assert_message(launcher, "连接服务器失败", "提示")
        self.assertTrue(launcher.exists("ShopLoginWindow"))
        self.assert_running(launcher)
