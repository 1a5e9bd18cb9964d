"""The windows themselves: the shaped main window and its layout, dragging it
by the skin, the Options window and the exit mode it stores, and the About
window with its hovering link."""

import time

from desktop_input import read_pixels, share_of
from tarnvel_case import (ABOUT_WINDOW, DRAWN, HOME_PAGE, MAIN, OPTIONS_WINDOW, START, WS_CAPTION,
                          WS_EX_APPWINDOW, WS_EX_TOOLWINDOW, WS_SYSMENU, WS_THICKFRAME, ID, TarnvelCase, centre,
                          inside, pixels, size)
from wine_session import DESKTOP_SIZE, wait_until

MAIN_LAYOUT = {  # id: (x, y, w, h, text) in the picture box's client area; the drawn ones are in DRAWN
    "IDC_TEXT1_0": (32, 200, 33, 25, "00"), "IDC_TEXT1_1": (76, 200, 33, 25, "00"),
    "IDC_TEXT1_2": (120, 200, 33, 25, "00"), "IDC_COMMAND1": (32, 232, 57, 17, "Start"),
    "IDC_COMMAND2": (96, 232, 57, 17, "Reset"), "IDC_COMMAND3": (96, 248, 57, 16, "About"),
    "IDC_BTNOPTION": (32, 248, 57, 17, "Option"),
}
# The exit flags each radio button stands for: the mode with EWX_FORCE (4).
MODES = {"IDC_OPTIONSHUTDOWN_0": 4, "IDC_OPTIONSHUTDOWN_1": 5, "IDC_OPTIONSHUTDOWN_2": 6, "IDC_OPTIONSHUTDOWN_3": 12}
WORK_AREA = (0, 0) + DESKTOP_SIZE  # the virtual desktop has no taskbar
WS_POPUP, WS_CHILD, CW_USEDEFAULT = 0x80000000, 0x40000000, 0x80000000


def drawn_texts_of(cls):
    return {text for owner, _, _, text in DRAWN.values() if owner == cls and text}


class WindowPlacement:
    def assertWhereNewWindowsGo(self, window):
        """Made as an overlapped window at the system's default position, the
        only kind Windows places by its cascade (a pop-up window given the
        default lands in the screen's corner), and wholly on the work area.
        Wine 8 itself puts every window given the default position at the
        work area's top-left corner, so the call is what can be checked here."""
        made = [call for call in self.program.relay().find("CreateWindowExA") if call.string(1) == window["class"]]
        self.assertTrue(made, f"no CreateWindowExA of {window['class']} in the trace")
        style, x = made[-1].number(3), made[-1].number(4)
        self.assertFalse(style & (WS_POPUP | WS_CHILD), f"{window['class']} made with style {style:#x}")
        self.assertEqual(x, CW_USEDEFAULT, f"{window['class']} not left to the system's default position")
        left, top, right, bottom = window["rect"]
        self.assertTrue(WORK_AREA[0] <= left and right <= WORK_AREA[2] and WORK_AREA[1] <= top and
                        bottom <= WORK_AREA[3], f"{window['class']} {window['rect']} is not wholly on the work area")


class MainWindow(TarnvelCase):
    def test_shaped_borderless_window_and_layout(self):
        main = self.main
        self.assertEqual(main["title"], "Tarnvel")
        self.assertEqual(size(main["rect"]), (184, 312))
        self.assertEqual(main["client"], main["rect"], "the main window has a frame or caption")
        self.assertFalse(main["style"] & WS_CAPTION)
        self.assertEqual(main["rect"][:2], [(DESKTOP_SIZE[0] - 184) // 2, (DESKTOP_SIZE[1] - 312) // 2],
                         "the main window is not centred")
        self.screenshot("main", main["rect"])

        region = self.ask(f"region {MAIN}")
        rects = region["rects"]
        self.assertTrue(rects, "the main window has no window region")
        area = sum(size(r)[0] * size(r)[1] for r in rects)
        self.assertTrue(0.3 < area / (184 * 312) < 0.95, f"region covers {area} of {184 * 312} pixels: not a figure")
        self.assertTrue(all(0 <= r[0] < r[2] <= 184 and 0 <= r[1] < r[3] <= 312 for r in rects))
        outside = next(((x, y) for y in range(0, 312, 4) for x in range(0, 184, 4)
                        if not any(inside((x, y), r, 2) for r in rects)), None)
        self.assertIsNotNone(outside)
        hit = self.ask(f"at {main['rect'][0] + outside[0]} {main['rect'][1] + outside[1]}")
        self.assertNotEqual(hit["top"], main["hwnd"], "a point outside the region still belongs to the window")

        controls = self.controls()
        picture = controls[ID["IDC_PIC1"]]
        self.assertEqual(picture["rect_in_parent"], [0, 0, 184, 312])
        for name, (x, y, w, h, text) in MAIN_LAYOUT.items():
            with self.subTest(control=name):
                control = controls.get(ID[name])
                self.assertIsNotNone(control, f"{name} is missing")
                self.assertEqual(control["parent"], picture["hwnd"], f"{name} is not a child of the picture box")
                self.assertEqual(control["rect_in_parent"], [x, y, x + w, y + h])
                if text is not None:
                    self.assertEqual(control["text"], text)
        self.assertEqual(drawn_texts_of(MAIN) - self.drawn_texts(), set(), "labels not drawn on the skin")
        # The labels and the close picture are drawn on the skin and also lie
        # there as windows, for a screen reader and the keyboard; the icon is
        # only drawn.
        for name in ("IDC_LABEL1_0", "IDC_LABEL1_1", "IDC_LABEL1_2", "IDC_LABEL1_3", "IDC_IMAGE1"):
            x, y = (pixels(n) for n in DRAWN[name][2][:2])
            self.assertEqual(controls[ID[name]]["rect_in_parent"][:2], [x, y], f"{name}'s window is not where it is drawn")
        self.assertNotIn(ID["IDC_IMAGE2"], controls)


class DragBySkin(TarnvelCase):
    def bare_skin_point(self):
        """A point well inside the region, clear of every control, in window coordinates."""
        rects = self.ask(f"region {MAIN}")["rects"]
        controls = [c for c in self.controls().values() if c["id"] != ID["IDC_PIC1"]]
        for y in range(60, 300, 4):
            for x in range(8, 176, 4):
                if all(any(inside((x + dx, y + dy), r) for r in rects) for dx in (-4, 4) for dy in (-4, 4)) and \
                        not any(inside((x, y), c["rect_in_parent"], 6) for c in controls):
                    return (x, y)
        self.fail("no bare skin point found in the main window's region")

    def skin_point(self):
        point = self.bare_skin_point()
        rect = self.main["rect"]
        hit = self.ask(f"at {rect[0] + point[0]} {rect[1] + point[1]}")
        self.assertEqual(hit["id"], ID["IDC_PIC1"], f"the point {point} is not on the bare skin: {hit}")
        return point

    def drag(self, point, delta, button):
        """Drags from a point of the window; returns (before, after) positions
        and where the pointer was released, in screen coordinates."""
        before = self.window(MAIN)["rect"][:2]
        at = (before[0] + point[0], before[1] + point[1])
        self.desktop.drag(at, delta, button)
        time.sleep(0.3)
        return before, self.window(MAIN)["rect"][:2], (at[0] + delta[0], at[1] + delta[1])

    def end_stuck_drag(self, released):
        """A left click ends a system move that is still following the mouse,
        so that one failing check does not spoil the next."""
        self.desktop.click(*released)
        time.sleep(0.2)

    def test_any_button_on_bare_skin_moves_window_by_the_drag(self):
        point = self.skin_point()
        for button, delta in ((3, (60, 40)), (1, (-30, 25)), (2, (-30, -65))):
            with self.subTest(button=button):
                before, after, released = self.drag(point, delta, button)
                self.end_stuck_drag(released)
                self.assertEqual(after, [before[0] + delta[0], before[1] + delta[1]],
                                 f"button {button} dragged by {delta}")

    def test_drag_ends_with_the_button(self):
        point = self.skin_point()
        for button in (3, 2, 1):
            with self.subTest(button=button):
                _, placed, released = self.drag(point, (40, 30), button)
                self.desktop.move(released[0] + 25, released[1] + 15)
                time.sleep(0.3)
                followed = self.window(MAIN)["rect"][:2]
                if followed != placed:
                    self.end_stuck_drag((released[0] + 25, released[1] + 15))
                self.assertEqual(followed, placed,
                                 f"after the button {button} drag was released the window kept following the mouse")
                self.drag(point, (-40, -30), 1)  # back, so the window stays on the desktop

    def test_pressing_on_controls_does_not_drag(self):
        picture = self.control(ID["IDC_PIC1"])["rect"]
        for name in ("IDC_COMMAND2", "IDC_LABEL1_0", "IDC_IMAGE2", "IDC_TEXT1_0"):
            rect = self.drawn_rect(name) if name in DRAWN else self.control(ID[name])["rect"]
            inner = centre([rect[0] - picture[0], rect[1] - picture[1], rect[2] - picture[0], rect[3] - picture[1]])
            for button in (3, 1):
                with self.subTest(control=name, button=button):
                    before, after, released = self.drag(inner, (50, 30), button)
                    if after != before:
                        self.end_stuck_drag(released)
                    self.assertEqual(after, before, f"pressing button {button} on {name} moved the window")
                    self.desktop.key("Escape")  # closes a context menu the right button may open
        self.assertEqual(self.fields(), ("00", "00", "00"))
        self.assertEqual(self.dialogs(), [], "pressing on the controls opened a box")


class OptionsWindow(TarnvelCase, WindowPlacement):
    def checked_mode(self):
        controls = self.controls(OPTIONS_WINDOW)
        checked = [name for name in MODES if controls[ID[name]]["checked"] == 1]
        self.assertEqual(len(checked), 1, f"radio buttons checked: {checked}")
        return checked[0]

    def expire_and_get_flags(self, count):
        self.start_count("1")
        wait_until(lambda: len(self.exit_calls()) >= count, 4, f"expiry number {count}")
        self.wait_texts(START, "Start", 3)
        call = self.exit_calls()[count - 1]
        self.assertEqual(call.number(1), 0xFFFFFFFF, call)
        return call.number(0)

    def choose(self, name, by_change):
        window = self.window(OPTIONS_WINDOW)
        self.click_control(ID[name], OPTIONS_WINDOW)
        wait_until(lambda: self.control(ID[name], OPTIONS_WINDOW)["checked"] == 1, 2, f"{name} to be checked")
        if by_change:
            self.click_control(ID["IDC_OPTION_CHANGE"], OPTIONS_WINDOW)
        else:
            self.click_at(self.close_point(window), OPTIONS_WINDOW)
        wait_until(lambda: not self.window(OPTIONS_WINDOW), 3, "the Options window to close")

    def test_window_and_default_power_off(self):
        options = self.open_window(OPTIONS_WINDOW)
        self.assertEqual(options["title"], "Option")
        self.assertEqual(size(options["client"]), (170, 114))
        self.assertEqual(options["style"] & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), WS_CAPTION | WS_SYSMENU,
                         "not a fixed frame with a close button")
        self.assertFalse(options["exstyle"] & WS_EX_APPWINDOW)
        self.assertTrue(options["exstyle"] & WS_EX_TOOLWINDOW or options["owner"], "Options shows in the taskbar")
        self.assertWhereNewWindowsGo(options)
        self.screenshot("options", options["rect"])
        controls = self.controls(OPTIONS_WINDOW)
        texts = {name: controls[ID[name]]["text"] for name in MODES}
        self.assertEqual(list(texts.values()), ["Log Off", "Shutdown", "Reboot", "Power Off"])
        self.assertEqual(controls[ID["IDC_OPTION_CHANGE"]]["text"], "Change")
        self.assertEqual(self.checked_mode(), "IDC_OPTIONSHUTDOWN_3")

    def test_change_stores_mode_and_title_close_does_not(self):
        self.open_window(OPTIONS_WINDOW)
        self.choose("IDC_OPTIONSHUTDOWN_2", by_change=True)
        self.assertEqual(self.expire_and_get_flags(1), MODES["IDC_OPTIONSHUTDOWN_2"])
        self.open_window(OPTIONS_WINDOW)
        self.assertEqual(self.checked_mode(), "IDC_OPTIONSHUTDOWN_2", "Reboot not shown as the stored mode")
        self.choose("IDC_OPTIONSHUTDOWN_0", by_change=False)
        self.assertEqual(self.expire_and_get_flags(2), MODES["IDC_OPTIONSHUTDOWN_2"],
                         "closing by the title bar stored a mode")
        for count, name in enumerate(("IDC_OPTIONSHUTDOWN_0", "IDC_OPTIONSHUTDOWN_1"), start=3):
            with self.subTest(mode=name):
                self.open_window(OPTIONS_WINDOW)
                self.choose(name, by_change=True)
                self.assertEqual(self.expire_and_get_flags(count), MODES[name])


class AboutWindow(TarnvelCase, WindowPlacement):
    def link_bordered(self):
        """Whether the link has its thin border, read off the screen: its top
        row and left column then have the frame's colour (a grey under Wine's
        default look, black under Windows'), else the light face colour."""
        r = self.drawn_rect("IDC_LABEL3_2")
        shot = self.screenshot("about-link", r)
        width, height = r[2] - r[0], r[3] - r[1]
        dark = lambda r_, g, b: max(r_, g, b) < 200  # noqa: E731
        top = share_of(read_pixels(shot, [0, 0, width, 1]), dark)
        left = share_of(read_pixels(shot, [0, 0, 1, height]), dark)
        self.assertTrue(min(top, left) > 0.9 or max(top, left) < 0.1,
                        f"the link's edge is neither bordered nor clear: {top:.2f} of the top row and {left:.2f} "
                        "of the left column dark")
        return top > 0.9

    def hover(self, name):
        self.desktop.move(*centre(self.drawn_rect(name) if name in DRAWN else
                                  self.control(ID[name], ABOUT_WINDOW)["rect"]))

    def bare_point(self, about):
        taken = [c["rect"] for c in self.controls(ABOUT_WINDOW).values()]
        taken += [c["rect"] for c in self.drawn_controls(ABOUT_WINDOW).values()]
        left, top, right, bottom = about["client"]
        for y in range(top + 4, bottom - 4, 4):
            for x in range(left + 4, right - 4, 4):
                if not any(inside((x, y), r, 5) for r in taken):
                    return (x, y)
        self.fail("no bare point on the About window")

    def test_texts_and_link(self):
        about = self.open_window(ABOUT_WINDOW)
        self.assertEqual(about["title"], "About")
        self.assertEqual(size(about["client"]), (312, 198))
        self.assertTrue(about["style"] & WS_SYSMENU)
        self.assertWhereNewWindowsGo(about)
        self.screenshot("about", about["rect"])
        self.assertEqual(drawn_texts_of(ABOUT_WINDOW) - self.drawn_texts(), set(), "About labels not drawn")
        self.assertRegex(HOME_PAGE, r"^http://[\w.-]+/$")

    def test_hover_borders_the_link_and_clicks_open_it(self):
        about = self.open_window(ABOUT_WINDOW)
        bare = self.bare_point(about)
        self.desktop.move(*bare)
        time.sleep(0.3)
        self.assertFalse(self.link_bordered(), "the link has a border before any hovering")
        self.hover("IDC_LABEL3_0")
        wait_until(self.link_bordered, 2, "the link's border after hovering Date")
        for keeps in ("IDC_PICTURE1", "IDC_LABEL2_0", "IDC_ABOUT_LABEL1", "IDC_LABEL2_1"):
            self.hover(keeps)
            time.sleep(0.3)
            self.assertTrue(self.link_bordered(), f"hovering {keeps} removed the border")
        self.desktop.move(*bare)
        wait_until(lambda: not self.link_bordered(), 2, "the border to go on the bare window")
        for name in ("IDC_LABEL3_1", "IDC_LABEL3_2", "IDC_LABEL3_3", "IDC_LABEL3_4", "IDC_LABEL3_5"):
            with self.subTest(hover=name):
                self.hover(name)
                wait_until(self.link_bordered, 2, f"the border after hovering {name}")
                self.desktop.move(*bare)
                wait_until(lambda: not self.link_bordered(), 2, "the border to go again")

        for count, name in enumerate(("IDC_LABEL3_2", "IDC_LABEL3_0"), start=1):
            self.click_drawn(name)
            wait_until(lambda: len(self.program.relay().find("ShellExecuteA")) >= count, 3, f"ShellExecuteA by {name}")
            call = self.program.relay().find("ShellExecuteA")[count - 1]
            self.assertEqual([call.string(i) for i in range(1, 5)], ["open", HOME_PAGE, "", ""], call)
            self.assertEqual(call.number(5), 3, "not shown maximised")
        self.click_drawn("IDC_LABEL2_0")  # not a Label3 label: opens nothing
        time.sleep(0.5)
        self.assertEqual(len(self.program.relay().find("ShellExecuteA")), 2, "a click on the author opened the link")
        self.assertEqual(self.dialogs(), [], "opening the link raised a box")
        self.assertTrue(self.program.running())
