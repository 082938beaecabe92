"""A launcher built for another brand (tests/data/brands/second): its own
caption, background picture and a form override's caption, its own file name
as the name one running copy is known by, its requests at its own game
server's port, and its game client started with its own token after the
version check at its own update server."""

import time
import urllib.parse

from harness import paths
from harness.paths import windows_path
from launcher_case import LauncherCase, reply, request, update_document

TEAL = (0x20, 0x70, 0x80)  # the second brand's background, outside its light band


class SecondBrandTest(LauncherCase):
    time_limit = 120

    def setUp(self):
        super().setUp()
        self.build = paths.second_brand_build()
        if self.build is None:
            self.skipTest("no build of the second brand (./test builds one: cmake --preset win64-second-brand)")
        self.brand = paths.brand(self.build)

    def test_the_second_brand_runs_under_its_own_names_server_and_token(self):
        brand = self.brand
        self.assertNotEqual(brand["executable"], "Lumadrel.exe")
        server = self.scripted_server(port=brand["server_port"])
        update = urllib.parse.urlsplit(brand["update_url"])
        documents = self.document_server(port=update.port, documents={update.path: update_document("2.3.4")})
        launcher = self.launcher(build=self.build, version="2.3.4", stand_ins=True)
        first = launcher.start_launcher()
        window = launcher.wait_window("MainWindow", timeout=20)
        self.assertEqual(window["text"], brand["caption"])
        connection = server.accept()

        shot = launcher.screenshot("second-brand.png", "MainWindow", client=True)
        self.assertGreater(shot.share_near(TEAL, 12, left=0, top=60, right=shot.width, bottom=150), 0.6,
                           "the brand's background picture is not shown")

        # One copy only, known by the brand's file name.
        second = launcher.start(launcher.game / brand["executable"], cwd=launcher.game)
        deadline = time.monotonic() + 20
        while launcher.exit_code(second) is None:
            self.assertLess(time.monotonic(), deadline, "the second copy did not end")
            time.sleep(0.05)
        self.assertEqual(launcher.exit_code(second), 0)
        self.assertIsNone(launcher.exit_code(first), "the first copy ended")

        # The form override's caption, and a request at the brand's game server.
        self.open_shop_login(launcher)
        self.assertEqual(launcher.text("ShopLoginWindow", "标签1"), "通行证")
        self.fill_login(launcher, "星辰玩家", "secret1")
        connection.expect(request("登陆商城", "星辰玩家", "secret1"))
        connection.send(reply("登陆错误"))
        self.assert_message(launcher, "密码错误", "错误")
        launcher.close_window("ShopLoginWindow")
        launcher.wait_gone("ShopLoginWindow", timeout=5)

        # The version check at the brand's update server, then its game client with its token.
        launcher.click("MainWindow", "超级按钮1")
        launcher.wait_window("MainWindow", state="hidden", timeout=15)
        self.assertEqual(documents.requests, [update.path])
        [game] = launcher.stand_in_starts(brand["game_client"])
        self.assertEqual(game["command_line"], " 1 0 " + brand["launch_token"])
        self.assertEqual(game["working_directory"], windows_path(launcher.game))
        self.assertEqual(launcher.stand_in_starts(brand["updater"]), [])
