"""The UI driver against its fixture program under Wine: finding windows and
controls by template names, texts in Chinese both ways, clicks (also into a
modal window and with the mouse), combo selection with its notifications,
message boxes read and answered, exit codes, captures, and time-outs that
come back as answers instead of hanging."""

import json
import subprocess
import time

from harness import E2ETestCase, DriverError, paths

FIXTURE_FORMS = {"FixtureMain": 0x52020001, "FixtureDialog": 0x52020101}
MAIN, DIALOG = "FixtureMain", "FixtureDialog"
WINDOW_COLOUR, PICTURE_COLOUR, IMAGE_BUTTON_COLOUR = (40, 110, 170), (200, 180, 60), (220, 60, 60)


def observer_sees(session, count, timeout=5.0):
    """Waits until the notification area holds `count` icons."""
    deadline = time.monotonic() + timeout
    while len(session.tray_icons()) != count:
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


class FixtureTest(E2ETestCase):
    time_limit = 60

    def start_fixture(self, *arguments, wait=True, **driver_options):
        template = paths.require(paths.fixture_template(), "the fixture's template")
        session = self.app(template=template, forms=FIXTURE_FORMS, **driver_options)
        session.start(paths.require(paths.fixture_exe(), "the fixture"), "--template", str(template), *arguments)
        if wait:
            session.wait_window(MAIN, timeout=15)
        return session

    def assert_fails(self, code, call, *arguments, **options):
        with self.assertRaises(DriverError) as raised:
            call(*arguments, **options)
        self.assertEqual(raised.exception.code, code, raised.exception.answer)
        return raised.exception.answer


class FindingWindowsAndControls(FixtureTest):
    def test_forms_and_components_are_found_by_their_template_names(self):
        fixture = self.start_fixture()
        [window] = fixture.windows()
        self.assertEqual((window["form"], window["class"], window["text"]), (MAIN, "QMWindow", "UI 夹具"))
        self.assertEqual((window["w"], window["h"], window["pid"]), (420, 320, fixture.pid))

        # Creation runs from the last of 12 components: unit 2 of the form gets id 100 + 10 x 10.
        edit = fixture.find(MAIN, "编辑框_名字")
        self.assertEqual((edit["id"], edit["class"], edit["type"]), (200, "Edit", "edit_box"))
        self.assertEqual((edit["x"], edit["y"], edit["w"], edit["h"]), (10, 40, 200, 24))
        self.assertTrue(edit["visible"] and edit["enabled"])

        # A component inside a container is found all the same, placed in the container.
        inner = fixture.find(MAIN, "标签_内部")
        container = fixture.find(MAIN, "图片框1")
        self.assertEqual((inner["id"], inner["text"], inner["x"], inner["y"]), (150, "在容器里", 10, 10))
        controls = {control["name"]: control for control in fixture.controls(MAIN)}
        self.assertEqual(controls["标签_内部"]["parent"], container["hwnd"])
        self.assertEqual(len(controls), 12)
        self.assertFalse(controls["编辑框_隐藏"]["visible"])
        self.assertFalse(controls["按钮_禁用"]["enabled"])
        self.assertEqual(controls["时钟1"]["class"], "_WK_Timer")

        self.assertFalse(fixture.exists(MAIN, "没有这个组件"))
        self.assertFalse(fixture.exists(DIALOG))
        self.assertEqual(fixture.find(MAIN, "#190")["name"], "按钮_问候")


class TextsAndInput(FixtureTest):
    def test_texts_round_trip_in_chinese(self):
        fixture = self.start_fixture()
        self.assertEqual(fixture.text(MAIN, "标签_状态"), "就绪")
        for text in ["张三 Zhang", "「引号」与\"quotes\"\\", "𠮷野家", ""]:
            with self.subTest(text=text):
                fixture.set_text(MAIN, "编辑框_名字", text)
                self.assertEqual(fixture.text(MAIN, "编辑框_名字"), text)
        fixture.set_text(MAIN, "编辑框_名字", "")
        fixture.type_text(MAIN, "编辑框_名字", "键入ab")
        self.assertEqual(fixture.text(MAIN, "编辑框_名字"), "键入ab")
        self.assertEqual(fixture.text(MAIN), "UI 夹具")

    def test_combo_selection_notifies_the_parent_like_a_user_choice(self):
        fixture = self.start_fixture()
        self.assertEqual(fixture.items(MAIN, "组合框_颜色"), (["红", "绿", "蓝"], -1, ""))
        answer = fixture.select(MAIN, "组合框_颜色", index=1)
        self.assertTrue(answer["settled"])
        self.assertEqual(fixture.text(MAIN, "标签_状态"), "通知：endok,change:1:绿")
        fixture.select(MAIN, "组合框_颜色", text="蓝")
        self.assertEqual(fixture.text(MAIN, "标签_状态"), "通知：endok,change:2:蓝")
        self.assertEqual(fixture.items(MAIN, "组合框_颜色")[1:], (2, "蓝"))
        self.assertEqual(self.assert_fails("not_found", fixture.select, MAIN, "组合框_颜色", index=3)["error"],
                         "not_found")
        self.assert_fails("not_found", fixture.select, MAIN, "组合框_颜色", text="紫")
        self.assert_fails("bad_command", fixture.select, MAIN, "编辑框_名字", index=0)

    def test_the_focused_control_is_named(self):
        fixture = self.start_fixture()
        for name in ["编辑框_名字", "组合框_颜色"]:
            with self.subTest(name=name):
                fixture.click(MAIN, name, mouse=True)
                focused = fixture.focus(MAIN)
                self.assertEqual((focused["form"], focused["name"]), (MAIN, name))

    def test_disabled_and_hidden_controls_are_refused_unless_forced(self):
        fixture = self.start_fixture()
        self.assert_fails("disabled", fixture.click, MAIN, "按钮_禁用")
        self.assert_fails("hidden", fixture.set_text, MAIN, "编辑框_隐藏", "x")
        fixture.set_text(MAIN, "编辑框_隐藏", "藏", force=True)
        self.assertEqual(fixture.text(MAIN, "编辑框_隐藏"), "藏")


class ClicksAndMessageBoxes(FixtureTest):
    def test_a_message_box_is_read_and_each_button_answers_it(self):
        fixture = self.start_fixture()
        fixture.set_text(MAIN, "编辑框_名字", "李四")
        for button, status in [("no", "答复：否"), ("取消", "答复：取消"), ("YES", "答复：是"), ("7", "答复：否")]:
            with self.subTest(button=button):
                fixture.click(MAIN, "按钮_问候")
                box = fixture.message_box()
                self.assertEqual((box.title, box.text), ("问候", "你好，李四！"))
                self.assertEqual(len(box.buttons), 3)
                self.assertTrue(fixture.press(button)["settled"])
                self.assertEqual(fixture.text(MAIN, "标签_状态"), status)
                self.assertTrue(fixture.no_message_box(within=0.2))

    def test_pressing_a_button_the_box_does_not_have_names_the_ones_it_has(self):
        fixture = self.start_fixture()
        fixture.click(MAIN, "按钮_问候")
        answer = self.assert_fails("not_found", fixture.press, "retry")
        self.assertIn("取消", answer["message"])
        fixture.press("cancel")

    def test_a_message_box_without_owner_is_found_before_any_window(self):
        fixture = self.start_fixture("--startup-box", wait=False)
        box = fixture.message_box(timeout=15)
        self.assertEqual((box.title, box.text, box.pid), ("启动", "夹具已启动", fixture.pid))
        self.assertFalse(fixture.exists(MAIN))
        fixture.press("ok")
        fixture.wait_window(MAIN)

    def test_a_click_that_opens_a_modal_window_returns_and_the_window_can_be_operated(self):
        fixture = self.start_fixture()
        # An owner-drawn button, as image buttons are; its handler runs a modal loop.
        self.assertTrue(fixture.click(MAIN, "超级按钮_对话框")["settled"])
        dialog = fixture.wait_window(DIALOG)
        self.assertEqual(dialog["text"], "对话框")
        fixture.wait_state(MAIN, None, "disabled", timeout=2)
        self.assert_fails("disabled", fixture.click, MAIN, "按钮_问候")
        fixture.set_text(DIALOG, "编辑框_输入", "模态里")
        fixture.click(DIALOG, "按钮_关闭")
        fixture.wait_gone(DIALOG)
        self.assertEqual(fixture.text(MAIN, "标签_状态"), "对话框：模态里")
        fixture.wait_state(MAIN, None, "enabled", timeout=2)

    def test_a_real_mouse_click_reaches_an_owner_drawn_button(self):
        fixture = self.start_fixture()
        self.assertEqual(fixture.click(MAIN, "超级按钮_对话框", mouse=True)["how"], "mouse")
        fixture.wait_window(DIALOG)
        fixture.close_window(DIALOG)
        fixture.wait_gone(DIALOG)


class MessagesAndCommands(FixtureTest):
    def test_registered_messages_are_sent_with_their_result_or_posted(self):
        fixture = self.start_fixture()
        self.assertEqual(fixture.send(MAIN, "UidriverFixturePing", 2, 3)["result"], 5)
        self.assertEqual(fixture.text(MAIN, "标签_状态"), "ping:2,3")
        fixture.send(MAIN, "UidriverFixturePing", 7, 0x201, post=True)
        fixture.wait_text(MAIN, "标签_状态", "ping:7,513", timeout=5)

    def test_malformed_commands_are_answered_and_the_session_goes_on(self):
        fixture = self.start_fixture()
        for line in ["nonsense", 'text "unterminated', "wait_window FixtureMain timeout=soon",
                     "select FixtureMain 组合框_颜色", "click", "set_text FixtureMain 编辑框_名字",
                     "exit_code twelve", "send FixtureMain"]:
            with self.subTest(line=line):
                answer = fixture.driver.send_line(line, timeout_s=20)
                self.assertEqual((answer["ok"], answer["error"]), (False, "bad_command"), answer)
        self.assertTrue(fixture.driver.check("help")["ok"])

    def test_one_command_from_the_command_line_answers_and_sets_the_exit_status(self):
        fixture = self.start_fixture()
        base = [str(paths.REPO / "scripts" / "wine-exec.sh"), str(paths.uidriver_exe()),
                "--template", str(paths.fixture_template()), "--form", "FixtureMain=0x52020001"]
        for words, status, ok in [(["find", "FixtureMain", "按钮_问候", f"pid={fixture.pid}"], 0, True),
                                  (["find", "FixtureDialog", "pid=all"], 1, False),
                                  (["--timeout", "soon", "help"], 2, None)]:
            with self.subTest(words=words):
                run = subprocess.run(base + words, env=self.testbed.env(), stdin=subprocess.DEVNULL,
                                     capture_output=True, timeout=60)
                self.assertEqual(run.returncode, status, run.stderr)
                if ok is not None:
                    answer = json.loads(run.stdout.decode("utf-8").splitlines()[-1])
                    self.assertEqual(answer["ok"], ok)
                    if ok:
                        self.assertEqual(answer["id"], 190)


class ProgramsAndPictures(FixtureTest):
    def test_exit_codes_are_reported(self):
        fixture = self.start_fixture()
        self.assertIsNone(fixture.exit_code())
        fixture.click(MAIN, "按钮_退出")  # ends with 7
        self.assertEqual(fixture.exit_code(timeout=10), 7)
        answer = self.assert_fails("timeout", fixture.wait_window, MAIN, timeout=0.3)
        self.assertIn(f"process {fixture.pid} ended with code 7", answer["message"])
        second = fixture.start(paths.fixture_exe(), "--template", str(paths.fixture_template()))
        fixture.wait_window(MAIN)
        fixture.send(MAIN, "WM_CLOSE")
        self.assertEqual(fixture.exit_code(second, timeout=10), 0)
        third = fixture.start(paths.fixture_exe(), "--template", str(paths.fixture_template()))
        fixture.kill(third)
        self.assertEqual(fixture.exit_code(third), 1)

    def test_programs_started_by_a_session_end_with_it(self):
        fixture = self.start_fixture()
        observer = self.app()
        running = lambda: [p["pid"] for p in observer.processes(name="uidriver_fixture.exe")]
        self.assertIn(fixture.pid, running())
        fixture.close()
        self.assertNotIn(fixture.pid, running())

    def test_tray_icons_are_counted(self):
        observer = self.app()
        before = len(observer.tray_icons())
        fixture = self.start_fixture("--tray-icon")
        self.assertTrue(observer_sees(observer, before + 1))
        fixture.tray_remove(MAIN, 1)  # behind the program's back
        self.assertTrue(observer_sees(observer, before))
        self.assert_fails("not_found", fixture.tray_remove, MAIN, 1)
        fixture = self.start_fixture("--tray-icon")
        self.assertTrue(observer_sees(observer, before + 1))
        fixture.close_window(MAIN)  # removes its icon as it closes
        self.assertEqual(fixture.exit_code(timeout=10), 0)
        self.assertTrue(observer_sees(observer, before))

    def test_a_capture_shows_the_window_as_drawn(self):
        fixture = self.start_fixture()
        client = fixture.find(MAIN)
        for method in ["screen", "window"]:
            with self.subTest(method=method):
                image = fixture.screenshot(f"main-{method}.png", MAIN, method=method, client=True)
                self.assertTrue((self.artifacts / "session1" / f"main-{method}.png").exists())
                self.assertEqual((image.width, image.height), (client["cw"], client["ch"]))
                # Places in the client area from the template: background, picture box, image button.
                self.assertGreater(image.share_near(WINDOW_COLOUR, left=320, top=220, right=400, bottom=250), 0.95)
                self.assertGreater(image.share_near(PICTURE_COLOUR, left=150, top=160, right=300, bottom=215), 0.95)
                self.assertGreater(image.share_near(IMAGE_BUTTON_COLOUR, left=142, top=78, right=160, bottom=104),
                                   0.9)


class TimeOuts(FixtureTest):
    def test_waits_end_at_their_time_out_with_an_answer(self):
        fixture = self.start_fixture("--show-delay", "4000", wait=False)
        began = time.monotonic()
        answer = self.assert_fails("timeout", fixture.wait_window, MAIN, timeout=0.5)
        self.assertLess(time.monotonic() - began, 3.0)
        self.assertIn("500 ms", answer["message"])
        fixture.wait_window(MAIN, timeout=15)
        self.assert_fails("timeout", fixture.message_box, timeout=0.3)
        answer = self.assert_fails("timeout", fixture.wait_text, MAIN, "标签_状态", "别的", timeout=0.3)
        self.assertEqual(answer["text"], "就绪")
        self.assert_fails("timeout", fixture.wait_gone, MAIN, timeout=0.3)
        self.assert_fails("timeout", fixture.wait_state, MAIN, "按钮_禁用", "enabled", timeout=0.3)
        self.assertIsNone(fixture.exit_code(timeout=0.3))

    def test_a_busy_program_is_reported_as_hung_not_waited_for(self):
        fixture = self.start_fixture(settle_timeout_ms=300, send_timeout_ms=500)
        self.assertFalse(fixture.click(MAIN, "按钮_忙")["settled"])  # its handler sleeps 4 s
        began = time.monotonic()
        self.assert_fails("hung", fixture.text, MAIN, "标签_状态")
        self.assertLess(time.monotonic() - began, 3.0)
        self.assertEqual(fixture.wait_text(MAIN, "标签_状态", "忙完了", timeout=10), "忙完了")
