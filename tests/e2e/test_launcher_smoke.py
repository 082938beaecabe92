"""The driver against the real launcher: every component of the start-up
window is found by its template name, with the class of its type, at the
place and in the state the template gives it. This holds the driver's control
id rule and the form loader's to the same template."""

from harness import E2ETestCase

# Window classes by component type; combo boxes set their own height.
CLASSES = {"client": "_WK_ClientSock", "combo_box": "ComboBox", "transparent_label": "_WK_TransLabel",
           "image_button": "Button", "edit_box": "Edit", "label": "_WK_Label", "button": "Button",
           "picture_box": "_WK_PicBox", "timer": "_WK_Timer", "check_box": "Button"}


class LauncherSmokeTest(E2ETestCase):
    time_limit = 60

    def test_every_main_window_component_is_found_where_the_template_puts_it(self):
        launcher = self.launcher(version="1.0.0")
        launcher.start_launcher()
        window = launcher.wait_window("MainWindow", timeout=20)
        self.assertEqual((window["text"], window["w"], window["h"]), ("Lumadrel", 600, 450))
        [form] = [form for form in launcher.forms() if form["form"] == "MainWindow"]
        for component in form["components"]:
            with self.subTest(component=component["name"]):
                found = launcher.find("MainWindow", component["name"])
                self.assertEqual(found["id"], component["id"])
                self.assertEqual(found["class"], CLASSES[component["type"]])
                place = (found["x"], found["y"], found["w"])
                self.assertEqual(place, (component["x"], component["y"], component["w"]))
                if component["type"] != "combo_box":
                    self.assertEqual(found["h"], component["h"])
                self.assertEqual(found["visible"], component["visible"])

    def test_image_buttons_take_repeated_clicks_by_message_and_by_mouse(self):
        launcher = self.launcher(version="1.0.0")
        launcher.start_launcher()
        launcher.wait_window("MainWindow", timeout=20)
        for mouse in (False, True, True):
            with self.subTest(mouse=mouse):
                launcher.click("MainWindow", "超级按钮2", mouse=mouse)
                launcher.wait_window("ShopLoginWindow", timeout=5)
                launcher.close_window("ShopLoginWindow")
                launcher.wait_gone("ShopLoginWindow", timeout=5)
