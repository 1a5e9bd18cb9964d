"""What a screen reader reads of every window, through Active Accessibility
as the inspector asks it from its own process, and the program used with
the keyboard alone, driven through X11 as a person would.

Wine's oleacc names an edit after the static just before it and gives a
field its text as value, as Windows does, but knows no role for buttons and
statics (it calls them "client"): roles are checked where Wine or the
program itself gives them."""

import time

from desktop_input import read_pixels, share_of
from tarnvel_case import (ABOUT_WINDOW, DRAWN, FIELDS, HOME_PAGE, ID, MAIN, NOTICE, OPTIONS_WINDOW, RESET, SECONDS,
                          START, TarnvelCase)
from test_windows import MODES
from wine_session import wait_until

ROLE_ALERT, ROLE_LINK, ROLE_PUSH_BUTTON, ROLE_TEXT = 8, 30, 43, 42
UNAVAILABLE, CHECKED, FOCUSED, FOCUSABLE, LINKED = 0x1, 0x10, 0x4, 0x100000, 0x400000
WS_TABSTOP = 0x10000
CLOSE = ID["IDC_IMAGE1"]
LINK = ID["IDC_LABEL3_2"]
BUTTONS = {START: "Start", RESET: "Reset", ID["IDC_COMMAND3"]: "About", ID["IDC_BTNOPTION"]: "Option"}
LABELS = {ID["IDC_LABEL1_0"]: "Hour", ID["IDC_LABEL1_1"]: "Min", ID["IDC_LABEL1_2"]: "Sec",
          ID["IDC_LABEL1_3"]: "Tarnvel"}


class AccessibleCase(TarnvelCase):
    def accessible(self, cls):
        """(the window's object, {control id: object}) as a screen reader reads them."""
        tree = self.ask(f"acc {cls}", timeout=20)
        self.assertNotIn("error", tree)
        return tree["window"], {o["id"]: o for o in tree["controls"]}

    def assertTabStopsNamed(self, cls):
        styles = {c["id"]: c["style"] for c in self.controls(cls).values()}
        _, objects = self.accessible(cls)
        unnamed = [i for i, o in objects.items() if styles[i] & WS_TABSTOP and not o["name"]]
        self.assertEqual(unnamed, [], f"{cls}: controls the keyboard reaches that have no name")


class WhatAScreenReaderReads(AccessibleCase):
    def test_main_window_fields_buttons_labels_and_close_button(self):
        window, objects = self.accessible(MAIN)
        self.assertEqual(window["name"], "Tarnvel")
        for field, label in zip(FIELDS, ("Hour", "Min", "Sec")):
            with self.subTest(field=label):
                self.assertIn(label, objects[field]["name"] or "")
                self.assertEqual((objects[field]["value"], objects[field]["role"]), ("00", ROLE_TEXT))
        self.assertEqual({i: objects[i]["name"] for i in BUTTONS}, BUTTONS)
        self.assertEqual({i: objects[i]["name"] for i in LABELS}, LABELS)
        close = objects[CLOSE]
        self.assertEqual((close["name"], close["role"], close["default_action"]), ("Close", ROLE_PUSH_BUTTON, "Press"))
        self.assertTabStopsNamed(MAIN)

        self.start_count("59")  # never runs out while the test reads
        _, objects = self.accessible(MAIN)
        self.assertEqual(objects[START]["name"], "Pause", "the name does not follow the caption")
        for unavailable in (RESET,) + FIELDS:
            self.assertTrue(objects[unavailable]["state"] & UNAVAILABLE, f"{unavailable} does not read as unavailable")
        self.assertFalse(objects[START]["state"] & UNAVAILABLE)

    def test_options_about_and_notice(self):
        self.open_window(OPTIONS_WINDOW)
        _, objects = self.accessible(OPTIONS_WINDOW)
        self.assertEqual({name: objects[ID[name]]["name"] for name in MODES},
                         {"IDC_OPTIONSHUTDOWN_0": "Log Off", "IDC_OPTIONSHUTDOWN_1": "Shutdown",
                          "IDC_OPTIONSHUTDOWN_2": "Reboot", "IDC_OPTIONSHUTDOWN_3": "Power Off"})
        self.assertEqual(objects[ID["IDC_OPTION_CHANGE"]]["name"], "Change")
        self.assertTabStopsNamed(OPTIONS_WINDOW)

        self.click_control(ID["IDC_COMMAND3"])
        wait_until(lambda: self.window(ABOUT_WINDOW), 3, "the About window")
        window, objects = self.accessible(ABOUT_WINDOW)
        self.assertEqual(window["name"], "About")
        texts = {ID[name]: text for name, (owner, _, _, text) in DRAWN.items() if owner == ABOUT_WINDOW}
        self.assertEqual({i: objects[i]["name"] for i in texts}, texts)
        link = objects[LINK]
        self.assertEqual((link["name"], link["role"], link["default_action"]), (HOME_PAGE, ROLE_LINK, "Jump"))
        self.assertEqual(link["state"] & (FOCUSABLE | LINKED), FOCUSABLE | LINKED)
        self.assertTabStopsNamed(ABOUT_WINDOW)

        self.start_count("1")
        wait_until(lambda: self.exit_calls(), 5, "the session-ending call")
        window, objects = self.accessible(NOTICE)
        self.assertEqual((window["name"], window["role"]), ("Time's UP!!!", ROLE_ALERT))
        message = DRAWN["IDC_NOTICE_LABEL1"][3]
        self.assertEqual([o["name"] for o in objects.values()], [message])


class ClosedByAScreenReader(AccessibleCase):
    def test_the_close_buttons_default_action_ends_the_program_and_its_count(self):
        self.start_count("59")  # never runs out while the test acts
        self.assertEqual(self.ask(f"accdo {MAIN} {CLOSE}")["hr"], 0)
        self.assertTrue(self.program.wait_exit(10), "the program kept running")
        self.assertEqual(self.exit_calls(), [])


class KeyboardAlone(AccessibleCase):
    def focused(self, cls=MAIN):
        return wait_until(lambda: next((c["id"] for c in self.controls(cls).values() if c["focused"]), None), 3,
                          f"a control of {cls} to have the focus")

    def setUp(self):
        super().setUp()
        # As when the program has just been started: its window in front,
        # taking what is typed. Wine's desktop passes keys on only once the
        # pointer has been over one of the program's windows: it rests on
        # the bare skin, where nothing follows the mouse.
        left, top, right, bottom = self.main["rect"]
        self.desktop.move((left + right) // 2, top + (bottom - top) // 3)
        self.desktop.focus()
        wait_until(lambda: self.ask(f"tree {MAIN}")["foreground"] == self.main["hwnd"], 5,
                   "the main window to come to the front")

    def keys(self, *names):
        for name in names:
            self.desktop.key(name)

    def test_options_chosen_and_a_count_run_to_a_reboot(self):
        wait_until(lambda: self.focused() == FIELDS[0], 3, "the hours field to have the focus at the start")
        self.keys(*["Tab"] * 6)
        self.assertEqual(self.focused(), ID["IDC_BTNOPTION"])
        self.keys("space")
        wait_until(lambda: self.window(OPTIONS_WINDOW), 3, "the Options window")
        self.assertEqual(self.focused(OPTIONS_WINDOW), ID["IDC_OPTIONSHUTDOWN_3"], "not opened on the checked choice")
        self.keys("Up")
        wait_until(lambda: self.control(ID["IDC_OPTIONSHUTDOWN_2"], OPTIONS_WINDOW)["checked"] == 1, 2,
                   "the arrow key to choose Reboot")
        self.keys("Tab", "Return")
        wait_until(lambda: not self.window(OPTIONS_WINDOW), 3, "Change to close the Options window")

        wait_until(lambda: self.focused() == ID["IDC_BTNOPTION"], 3, "the focus back on the Option button")
        self.keys(*["shift+Tab"] * 4)
        self.assertEqual(self.focused(), SECONDS)
        self.keys("2", "Tab", "Return")
        wait_until(lambda: self.exit_calls(), 6, "the session-ending call")
        self.assertEqual([(c.number(0), c.number(1)) for c in self.exit_calls()],
                         [(MODES["IDC_OPTIONSHUTDOWN_2"], 0xFFFFFFFF)])

    def test_about_opened_its_link_followed_and_closed_then_the_program(self):
        self.keys(*["Tab"] * 5, "Return")
        wait_until(lambda: self.window(ABOUT_WINDOW), 3, "the About window")
        link = self.control(LINK, ABOUT_WINDOW)["rect"]
        before = self.screenshot("about-link", link)
        self.keys("Tab")
        self.assertEqual(self.focused(ABOUT_WINDOW), LINK)
        focused = self.screenshot("about-link-focused", link)
        self.assertNotEqual(before.read_bytes(), focused.read_bytes(), "the focus on the link does not show")
        self.keys("Return")
        wait_until(lambda: self.program.relay().find("ShellExecuteA"), 3, "the link to be opened")
        time.sleep(0.5)  # room for a second call, which must not come
        opened = self.program.relay().find("ShellExecuteA")
        self.assertEqual([(c.string(1), c.string(2), c.number(5)) for c in opened], [("open", HOME_PAGE, 3)])
        self.keys("Escape")
        wait_until(lambda: not self.window(ABOUT_WINDOW), 3, "Esc to close the About window")

        wait_until(lambda: self.focused() == ID["IDC_COMMAND3"], 3, "the focus back on the About button")
        self.keys("Tab", "Tab")
        self.assertEqual(self.focused(), CLOSE)
        shown = read_pixels(self.screenshot("close-focused", self.control(CLOSE)["rect"]))
        self.assertGreater(share_of(shown, lambda r, g, b: r > 150 and g < 90 and b < 90), 0.2,
                           "the focused close button no longer shows the close picture")
        self.keys("Return")
        self.assertTrue(self.program.wait_exit(10), "Enter on the close button did not end the program")
