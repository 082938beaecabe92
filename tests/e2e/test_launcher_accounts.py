"""Account registration and the shop login, as a player goes through them
against the reference game server: every check of the two dialogs with its
message, the fields it empties and where the cursor goes, the server's
answers, and the player centre that a login opens. The exact request bytes
are checked on a scripted server."""

from launcher_case import LauncherCase, reply, request, talk

ACCOUNT = "张三丰"  # three Chinese characters: 6 bytes, just long enough
PASSWORD = "secret1"


class RegistrationTest(LauncherCase):
    time_limit = 90

    def open_registration(self, launcher):
        if not launcher.exists("ShopLoginWindow"):
            self.open_shop_login(launcher)
        launcher.click("ShopLoginWindow", "按钮2")
        launcher.wait_window("RegisterWindow", timeout=5)

    def submit(self, launcher, account, password, repeat):
        for name, text in [("编辑框_账号", account), ("编辑框_密码", password), ("编辑框_重复密码", repeat)]:
            launcher.set_text("RegisterWindow", name, text)
        launcher.click("RegisterWindow", "按钮1")

    def fields(self, launcher):
        return tuple(launcher.text("RegisterWindow", name) for name in ("编辑框_账号", "编辑框_密码", "编辑框_重复密码"))

    def test_each_check_then_registration_and_a_second_registration_of_the_same_account(self):
        server = self.reference_server()
        launcher = self.start()
        self.open_registration(launcher)
        # (typed, message, fields afterwards, field with the cursor)
        refusals = [
            (("", PASSWORD, PASSWORD), "请填写完整", ("", PASSWORD, PASSWORD), None),
            ((ACCOUNT, "", PASSWORD), "请填写完整", (ACCOUNT, "", PASSWORD), None),
            ((ACCOUNT, PASSWORD, ""), "请填写完整", (ACCOUNT, PASSWORD, ""), None),
            (("abcde", PASSWORD, PASSWORD), "账号长度必须大于等于 6位", ("", PASSWORD, PASSWORD), "编辑框_账号"),
            ((ACCOUNT, "abc12", "abc12"), "密码长度必须大于等于 6位", (ACCOUNT, "", ""), "编辑框_密码"),
            ((ACCOUNT, PASSWORD, "secret2"), "两次输入的密码不一致", (ACCOUNT, PASSWORD, ""), "编辑框_重复密码"),
        ]
        for typed, message, left, focused in refusals:
            with self.subTest(typed=typed):
                self.submit(launcher, *typed)
                self.assert_message(launcher, message, "错误")
                self.assertEqual(self.fields(launcher), left)
                if focused:
                    self.assertEqual(launcher.focus("RegisterWindow")["name"], focused)

        self.submit(launcher, ACCOUNT, PASSWORD, PASSWORD)
        box = launcher.message_box(timeout=10)
        self.assertEqual((box.title, box.text), ("信息：", "注册成功"))
        self.assertFalse(launcher.exists("RegisterWindow"), "the answer came before the window closed")
        launcher.press("ok")
        self.assertTrue(launcher.exists("ShopLoginWindow"))

        self.open_registration(launcher)
        self.submit(launcher, ACCOUNT, "another1", "another1")
        self.assert_message(launcher, "账号已经被注册了", timeout=10)
        # The account works with the password it was registered with.
        self.assertTrue(talk(server.port, request("登陆商城", ACCOUNT, PASSWORD)).startswith("登陆成功".encode("gbk")))

    def test_the_request_carries_the_account_and_the_repeated_password(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.open_registration(launcher)
        self.submit(launcher, ACCOUNT, PASSWORD, PASSWORD)
        connection.expect(request("注册账号", ACCOUNT, PASSWORD))
        self.assertTrue(connection.nothing_more(within=0.5))
        launcher.wait_gone("RegisterWindow", timeout=5)
        self.assert_no_message(launcher, within=0.5)
        connection.send(reply("注册成功"))
        self.assert_message(launcher, "注册成功")


class ShopLoginTest(LauncherCase):
    time_limit = 90

    def test_each_check_a_wrong_password_then_a_login_that_opens_the_player_centre(self):
        server = self.reference_server()
        self.assertEqual(talk(server.port, request("注册账号", ACCOUNT, PASSWORD)), "注册成功".encode("gbk"))
        roles = talk(server.port, request("登陆商城", ACCOUNT, PASSWORD)).decode("gbk").split("\r\n")[1].split("/")
        self.assertGreaterEqual(len(roles), 2)
        launcher = self.start()
        code = self.open_shop_login(launcher)
        refusals = [
            ((ACCOUNT, PASSWORD, ""), "请填写完整"),
            (("", PASSWORD, code), "请填写完整"),
            ((ACCOUNT, "", code), "请填写完整"),
            ((ACCOUNT, PASSWORD, code + " "), "验证码错误"),
            ((ACCOUNT, PASSWORD, " " + code), "验证码错误"),
        ]
        for typed, message in refusals:
            with self.subTest(typed=typed):
                self.fill_login(launcher, *typed)
                self.assert_message(launcher, message, "提示")
                self.assertEqual(launcher.text("ShopLoginWindow", "标签_验证码"), code, "the code changed")

        self.fill_login(launcher, ACCOUNT, "wrong-password")
        self.assert_message(launcher, "密码错误", "错误", timeout=10)
        self.assertTrue(launcher.exists("ShopLoginWindow"))
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), "未登录用户中心")

        self.fill_login(launcher, ACCOUNT, PASSWORD)
        self.assert_message(launcher, f"{ACCOUNT}登陆成功", "成功", timeout=10)
        launcher.wait_window("PlayerWindow", timeout=5)
        launcher.wait_gone("ShopLoginWindow", timeout=5)
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), f"已登录账号：{ACCOUNT}")
        self.assertEqual(launcher.items("PlayerWindow", "组合框_角色名称")[:2], (roles, 0))

        # From now on 玩家中心 opens the player centre at once, filled afresh.
        launcher.close_window("PlayerWindow")
        launcher.wait_gone("PlayerWindow", timeout=5)
        launcher.click("MainWindow", "超级按钮2")
        launcher.wait_window("PlayerWindow", timeout=5)
        self.assertFalse(launcher.exists("ShopLoginWindow"))
        self.assertEqual(launcher.items("PlayerWindow", "组合框_角色名称")[:2], (roles, 0))

    def test_a_single_role_is_listed_without_a_selection(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.log_in(launcher, connection, login_reply=reply("登陆成功", "独行侠"))
        self.assertEqual(launcher.items("PlayerWindow", "组合框_角色名称")[:2], (["独行侠"], -1))
