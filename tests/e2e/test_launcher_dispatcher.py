"""The reply dispatcher against a scripted game server that sends exact
bytes: keyword order, replies joined in one read or cut over several, the
login that keeps the rest of its reply until the player centre closes, the
draw results by their line count, and short replies that must not end the
launcher."""

from launcher_case import LauncherCase, reply


class ReplyKeywordTest(LauncherCase):
    def test_replies_alone_joined_and_cut_show_the_first_keyword_in_order(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        # (pieces sent apart, message boxes expected in order)
        cases = [
            ([reply("离开副本成功")], ["成功离开副本"]),
            ([reply("注册成功")], ["注册成功"]),
            ([reply("账号存在")], ["账号已经被注册了"]),
            ([reply("附魔成功")], ["附魔成功"]),
            ([reply("离开副本成功", "注册成功")], ["成功离开副本"]),
            # Two replies in one read are one text: the earlier keyword in the order acts.
            ([reply("账号存在") + reply("注册成功")], ["注册成功"]),
            ([reply("附魔成功") + reply("离开副本成功")], ["成功离开副本"]),
            # A reply cut in two is matched piece by piece.
            ([reply("附魔成功", ""), reply("其余")], ["附魔成功"]),
            (["离开副".encode("gbk"), "本成功".encode("gbk")], []),
            ([reply("没有关键字")], []),
        ]
        for pieces, messages in cases:
            with self.subTest(pieces=pieces):
                connection.send_parts(pieces, gap=0.4)
                for message in messages:
                    self.assert_message(launcher, message, timeout=5)
                self.assert_no_message(launcher, within=0.8)
        self.assert_running(launcher)

    def test_a_reply_with_login_error_and_login_success_is_a_login_error(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.open_shop_login(launcher)
        self.fill_login(launcher, "玩家甲乙", "secret1")
        connection.read()
        connection.send(reply("登陆成功登陆错误", "青锋客/紫霞仙", "注册成功"))
        self.assert_message(launcher, "密码错误", "错误")
        self.assert_no_message(launcher, within=0.8)
        self.assertTrue(launcher.exists("ShopLoginWindow"))
        self.assertFalse(launcher.exists("PlayerWindow"))
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), "未登录用户中心")


class LoginReplyTest(LauncherCase):
    def test_the_rest_of_a_login_reply_acts_after_the_player_centre_closes(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.log_in(launcher, connection, login_reply=reply("登陆成功", "青锋客/紫霞仙", "注册成功"))
        self.assert_no_message(launcher, within=1.0)
        # Replies meanwhile are handled while the first one waits.
        connection.send(reply("附魔成功"))
        self.assert_message(launcher, "附魔成功")
        launcher.close_window("PlayerWindow")
        self.assert_message(launcher, "注册成功")
        self.assert_no_message(launcher, within=0.5)
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), "已登录账号：玩家甲乙")

    def test_short_replies_do_not_end_the_launcher(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        # A login success without a role line logs in with no roles.
        self.log_in(launcher, connection, account="无角色玩家", login_reply=reply("登陆成功"))
        self.assertEqual(launcher.items("PlayerWindow", "组合框_角色名称")[:2], ([], -1))
        for short in [reply("抽奖结果"), reply("抽奖结果", "88")]:
            with self.subTest(reply=short):
                connection.send(short)
                self.assert_no_message(launcher, within=0.8)
                self.assert_running(launcher)
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), "已登录账号：无角色玩家")


class DrawResultTest(LauncherCase):
    def test_draw_results_show_the_prize_and_the_draws_left_only_with_three_lines(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.log_in(launcher, connection)
        launcher.click("PlayerWindow", "超级按钮_抽奖")
        launcher.wait_window("LuckyDrawWindow", timeout=5)
        caption = lambda: launcher.text("LuckyDrawWindow", "标签_剩余抽奖次数")
        self.assertEqual(caption(), "抽奖后可以看到剩余次数")

        connection.send(reply("抽奖结果", "88", "2", "另一行"))
        self.assert_no_message(launcher, within=0.8)
        self.assertEqual(caption(), "抽奖后可以看到剩余次数")

        connection.send(reply("抽奖结果", "50", "2"))
        self.assert_message(launcher, "恭喜你获得50钻石")
        self.assert_no_message(launcher, within=0.5)
        self.assertEqual(caption(), "你今天剩余抽奖次数是2次")

        connection.send(reply("抽奖结果", "88", "0"))
        self.assert_message(launcher, "恭喜你获得88钻石")
        self.assert_message(launcher, "抱歉，今天抽奖次数已用完")
        self.assertEqual(caption(), "今天抽奖次数已经用完")

        launcher.close_window("LuckyDrawWindow")
        launcher.wait_gone("LuckyDrawWindow", timeout=5)
        launcher.click("PlayerWindow", "超级按钮_抽奖")
        launcher.wait_window("LuckyDrawWindow", timeout=5)
        connection.send(reply("抽奖次数用完"))
        self.assert_message(launcher, "抱歉，今天抽奖次数已用完")
        self.assertEqual(caption(), "今天抽奖次数已经用完")
        self.assert_running(launcher)
