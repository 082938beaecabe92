"""The player centre and the lucky-draw wheel: requests carry the selected
role (empty when none is selected), a spin disables its button, stops on a
slot that the centre label shows and the request carries, enlarges the
slots it passes, and a reopened wheel starts from the template again; with
the game server gone every request says so. Against a scripted server for
the bytes, and against the reference server for a whole draw."""

import re

from launcher_case import LauncherCase, reply, request, talk

SLOTS = [f"图片框a{n}" for n in range(1, 17)]


class PlayerCentreTest(LauncherCase):
    def test_leave_dungeon_and_enchant_send_the_selected_role(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        # An empty piece between two separators stays a (nameless) role.
        self.log_in(launcher, connection, login_reply=reply("登陆成功", "青锋客//紫霞仙"))
        self.assertEqual(launcher.items("PlayerWindow", "组合框_角色名称")[:2], (["青锋客", "", "紫霞仙"], 0))
        launcher.click("PlayerWindow", "超级按钮_离开副本")
        connection.expect(request("离开副本", "青锋客"))
        self.assertTrue(connection.nothing_more(within=0.3))
        connection.send(reply("离开副本成功"))
        self.assert_message(launcher, "成功离开副本")

        launcher.select("PlayerWindow", "组合框_角色名称", text="紫霞仙")
        launcher.click("PlayerWindow", "超级按钮_抽奖1")
        connection.expect(request("附魔装备", "紫霞仙"))
        self.assertTrue(connection.nothing_more(within=0.3))
        connection.send(reply("附魔成功"))
        self.assert_message(launcher, "附魔成功")

    def test_without_a_selected_role_the_requests_carry_an_empty_name(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.log_in(launcher, connection, login_reply=reply("登陆成功", "独行侠"))
        self.assertEqual(launcher.items("PlayerWindow", "组合框_角色名称")[1], -1)
        for button, command in [("超级按钮_离开副本", "离开副本"), ("超级按钮_抽奖1", "附魔装备")]:
            with self.subTest(button=button):
                launcher.click("PlayerWindow", button)
                connection.expect(request(command, ""))
                self.assertTrue(connection.nothing_more(within=0.3))


class LuckyDrawTest(LauncherCase):
    def slot_sizes(self, launcher):
        return {(control["w"], control["h"]) for control in launcher.controls("LuckyDrawWindow")
                if control.get("name") in SLOTS}

    def spin(self, launcher, connection, account):
        """One spin: the button is disabled until the wheel stops; gives the slot it stopped on."""
        launcher.click("LuckyDrawWindow", "按钮_幸运抽奖")
        self.assertFalse(launcher.find("LuckyDrawWindow", "按钮_幸运抽奖")["enabled"])
        sent = connection.read(timeout=20, quiet=0.3)
        match = re.fullmatch(re.escape(request("幸运抽奖", account, "")) + rb"([1-9][0-9]?)", sent)
        self.assertIsNotNone(match, sent)
        slot = int(match.group(1))
        self.assertLessEqual(slot, 16)
        launcher.wait_state("LuckyDrawWindow", "按钮_幸运抽奖", "enabled", timeout=2)
        self.assertEqual(launcher.text("LuckyDrawWindow", "标签_中奖"), str(slot))
        return slot

    def test_a_spin_stops_on_the_slot_it_sends_and_a_reopened_wheel_starts_afresh(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.log_in(launcher, connection, account="转盘玩家")
        launcher.click("PlayerWindow", "超级按钮_抽奖")
        launcher.wait_window("LuckyDrawWindow", timeout=5)
        self.assertEqual(self.slot_sizes(launcher), {(44, 43)})
        self.assertEqual(launcher.text("LuckyDrawWindow", "标签_中奖"), "中奖")

        self.spin(launcher, connection, "转盘玩家")
        # At least 29 moves: the highlight has been round the whole ring.
        self.assertEqual(self.slot_sizes(launcher), {(48, 47)})
        connection.send(reply("抽奖结果", "66", "1"))
        self.assert_message(launcher, "恭喜你获得66钻石")

        launcher.close_window("LuckyDrawWindow")
        launcher.wait_gone("LuckyDrawWindow", timeout=5)
        launcher.click("PlayerWindow", "超级按钮_抽奖")
        launcher.wait_window("LuckyDrawWindow", timeout=5)
        self.assertEqual(self.slot_sizes(launcher), {(44, 43)})
        self.spin(launcher, connection, "转盘玩家")


class ServerGoneTest(LauncherCase):
    time_limit = 90

    def test_a_whole_draw_on_the_reference_server_then_every_request_fails_once_it_is_gone(self):
        server = self.reference_server(draw_limit=1)
        self.assertEqual(talk(server.port, request("注册账号", "幸运玩家", "secret1")), "注册成功".encode("gbk"))
        launcher = self.start()
        self.open_shop_login(launcher)
        self.fill_login(launcher, "幸运玩家", "secret1")
        self.assert_message(launcher, "幸运玩家登陆成功", "成功", timeout=10)
        launcher.wait_window("PlayerWindow", timeout=5)
        launcher.click("PlayerWindow", "超级按钮_离开副本")
        self.assert_message(launcher, "成功离开副本")

        # The only draw of the day: the prize, then the draws are used up.
        launcher.click("PlayerWindow", "超级按钮_抽奖")
        launcher.wait_window("LuckyDrawWindow", timeout=5)
        launcher.click("LuckyDrawWindow", "按钮_幸运抽奖")
        box = launcher.message_box(timeout=20)
        self.assertRegex(box.text, r"^恭喜你获得[0-9]+钻石$")
        launcher.press("ok")
        self.assert_message(launcher, "抱歉，今天抽奖次数已用完")
        self.assertEqual(launcher.text("LuckyDrawWindow", "标签_剩余抽奖次数"), "今天抽奖次数已经用完")
        launcher.wait_state("LuckyDrawWindow", "按钮_幸运抽奖", "enabled", timeout=2)

        server.stop()
        launcher.click("LuckyDrawWindow", "按钮_幸运抽奖")
        self.assert_message(launcher, "连接服务器失败", timeout=20)
        launcher.wait_state("LuckyDrawWindow", "按钮_幸运抽奖", "enabled", timeout=2)
        launcher.close_window("LuckyDrawWindow")
        launcher.wait_gone("LuckyDrawWindow", timeout=5)
        for button in ["超级按钮_离开副本", "超级按钮_抽奖1"]:
            with self.subTest(button=button):
                launcher.click("PlayerWindow", button)
                self.assert_message(launcher, "连接服务器失败")
        self.assert_running(launcher)
