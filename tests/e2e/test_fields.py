"""The three time fields: what typing, leaving, pasting and Reset do to them,
the limit of 59 on minutes and seconds, and the keyboard order."""

import time

from tarnvel_case import (ABOUT, FIELDS, HOURS, ID, MINUTES, OPTION, OPTIONS_WINDOW, RESET, SECONDS, START,
                          TarnvelCase, centre)
from wine_session import wait_until

LIMIT_TEXT = "Please fill sec / min blank less than 59"


class FieldLimits(TarnvelCase):
    def assertNoBoxFor(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertEqual(self.dialogs(), [], "an unexpected message box appeared")
            time.sleep(0.1)

    def test_over_59_is_refused_once_and_becomes_59(self):
        for field, name in ((MINUTES, "minutes"), (SECONDS, "seconds")):
            with self.subTest(field=name):
                self.type_into(field, "60")
                self.desktop.key("Tab")
                box = self.wait_dialog("Confirm")
                self.assertIn(LIMIT_TEXT, [s["text"] for s in box["statics"]])
                self.assertEqual(box["owner"], self.main["hwnd"])
                self.screenshot(f"msgbox-limit-{name}", box["rect"])
                time.sleep(0.5)
                self.assertEqual(len(self.dialogs()), 1, "the limit box was shown more than once")
                self.press_ok(box)
                self.assertNoBoxFor(1.0)
                self.assertEqual(self.text(field), "59")

    def test_leaving_for_options_checks_the_field_before_change_acts(self):
        change = ID["IDC_OPTION_CHANGE"]
        self.open_window(OPTIONS_WINDOW)
        self.type_into(SECONDS, "97")
        self.click_control(change, OPTIONS_WINDOW)
        box = self.wait_dialog("Confirm")
        self.assertIn(LIMIT_TEXT, [s["text"] for s in box["statics"]])
        time.sleep(0.5)
        self.assertTrue(self.window(OPTIONS_WINDOW), "Change acted behind the field's box")
        # The box stops the whole program: Options takes no click meanwhile.
        self.assertFalse(self.window(OPTIONS_WINDOW)["enabled"], "Options stays usable behind the box")
        self.desktop.click(*centre(self.control(change, OPTIONS_WINDOW)["rect"]))
        time.sleep(0.5)
        self.assertTrue(self.window(OPTIONS_WINDOW), "Change acted while the box waited")
        self.press_ok(box)
        wait_until(lambda: self.window(OPTIONS_WINDOW)["enabled"], 2, "Options to take clicks again")
        self.assertNoBoxFor(0.5)
        self.assertEqual(self.text(SECONDS), "59")
        self.click_control(change, OPTIONS_WINDOW)
        wait_until(lambda: not self.window(OPTIONS_WINDOW), 3, "Options to close on the second Change")
        self.assertNoBoxFor(0.5)

    def test_59_and_large_hours_are_accepted_silently(self):
        for field, value in ((HOURS, "75"), (MINUTES, "59"), (SECONDS, "59")):
            self.type_into(field, value)
            self.desktop.key("Tab")
        self.assertNoBoxFor(1.0)
        self.assertEqual(self.fields(), ("75", "59", "59"))


class LeavingAndComingBack(TarnvelCase):
    """A field left for another program, the main window then clicked on its
    Start button: the field's rule runs before Start acts, as when the focus
    goes straight from the field to Start."""

    def come_back_to_start(self):
        self.leave_for_desktop()
        self.click_control(START)

    def assertRefusedAsZero(self):
        box = self.wait_dialog("Confirm")
        self.assertIn("No allow Zero Count", [s["text"] for s in box["statics"]])
        self.press_ok(box)
        self.assertEqual(self.fields(), ("00", "00", "00"))
        self.wait_texts(START, "Start", 2)

    def test_empty_and_single_zero_seconds_are_refused_as_a_zero_count(self):
        for typed in ("", "0"):
            with self.subTest(seconds=typed):
                self.select_whole(SECONDS)
                self.desktop.key("BackSpace")
                self.desktop.type(typed)
                self.wait_texts(SECONDS, typed, 2)
                self.come_back_to_start()
                self.assertRefusedAsZero()
        self.assertEqual(self.exit_calls(), [])

    def test_single_digit_counts_down_from_its_padded_value(self):
        self.type_into(SECONDS, "5")
        self.come_back_to_start()
        wait_until(lambda: self.exit_calls(), 10, "the 5 s count to end")
        self.wait_texts(START, "Start", 3)
        relay = self.program.relay()
        exit_call = relay.find("ExitWindowsEx")[0]
        shown_before = relay.texts_set(self.control(SECONDS)["hwnd"], before=relay.count_start(exit_call))
        self.assertEqual(shown_before[-1].string(1), "05", "the field was not padded before the count started")
        self.assertEqual(self.ticks(until=exit_call), ["04", "03", "02", "01", "00"])
        self.assertEqual(len(self.exit_calls()), 1, "the count did not end in one session-ending call")
        self.assertEqual(self.fields(), ("00", "00", "05"))

    def test_minutes_over_59_meet_their_box_before_start(self):
        self.type_into(MINUTES, "75")
        self.come_back_to_start()
        box = self.wait_dialog("Confirm")
        self.assertIn(LIMIT_TEXT, [s["text"] for s in box["statics"]])
        self.press_ok(box)
        self.wait_texts(MINUTES, "59", 2)
        time.sleep(0.5)
        self.assertEqual(self.dialogs(), [], "a second box followed")
        self.assertEqual(self.text(START), "Start", "the count started behind the limit box")

    def test_minimised_and_restored_then_start(self):
        self.type_into(SECONDS, "2")
        self.minimise_and_restore()
        self.assertTrue(self.control(SECONDS)["focused"], "the field did not get the focus back")
        self.click_control(START)
        wait_until(lambda: self.exit_calls(), 5, "the 2 s count to end")
        self.wait_texts(START, "Start", 3)
        self.assertEqual(self.fields(), ("00", "00", "02"))


class FieldEditing(TarnvelCase):
    def test_letters_are_ignored_and_short_values_are_padded(self):
        self.type_into(MINUTES, "ab")
        time.sleep(0.3)
        self.assertEqual(self.text(MINUTES), "00", "letters changed the field")
        self.desktop.type("5x")
        self.wait_texts(MINUTES, "5", 2)
        self.desktop.key("Tab")
        self.wait_texts(MINUTES, "05", 2)

        self.type_into(SECONDS, "123")
        self.wait_texts(SECONDS, "12", 2)  # at most two characters
        self.desktop.key("BackSpace", "BackSpace")
        self.wait_texts(SECONDS, "", 2)
        self.desktop.key("Tab")
        self.wait_texts(SECONDS, "00", 2)

    def test_entering_selects_whole_field_and_tab_order(self):
        self.type_into(HOURS, "7")
        self.desktop.key("Tab")
        self.enter(HOURS)  # clicking back into it selects it whole again
        hours = self.control(HOURS)
        self.assertEqual(hours["selection"], [0, 2], f"hours {hours['text']!r} not selected whole on entry")
        expected = [MINUTES, SECONDS, START, RESET, ABOUT, OPTION, ID["IDC_IMAGE1"], HOURS]
        for next_id in expected:
            self.desktop.key("Tab")
            focused = wait_until(lambda: next((c for c in self.controls().values() if c["focused"]), None), 2,
                                 "some control to have the focus")
            self.assertEqual(focused["id"], next_id, f"Tab went to {focused['id']} ({focused['text']!r})")
            if next_id in FIELDS:
                self.assertEqual(focused["selection"], [0, len(focused["text"])],
                                 f"field {next_id} not selected whole when tabbed into")

    def test_reset_clears_every_field(self):
        self.type_into(HOURS, "12")
        self.type_into(MINUTES, "34")
        self.type_into(SECONDS, "56")
        self.click_control(RESET)
        wait_until(lambda: self.fields() == ("00", "00", "00"), 2, "Reset to clear the fields")


class PasteGuard(TarnvelCase):
    def set_clipboard(self, text):
        answer = self.ask(f"setclip {text}")
        self.assertEqual(answer.get("clipboard"), text, f"could not set the clipboard: {answer}")

    def test_shift_insert_pastes_digits_only(self):
        for text in ("ab", "1a", " 7"):
            with self.subTest(clipboard=text):
                self.set_clipboard(text)
                self.select_whole(SECONDS)  # so that any paste would replace the text
                self.desktop.key("shift+Insert")
                time.sleep(0.4)
                self.assertEqual(self.text(SECONDS), "00", f"pasting {text!r} changed the field")
        self.set_clipboard("12")
        self.select_whole(SECONDS)
        self.desktop.key("shift+Insert")
        self.wait_texts(SECONDS, "12", 2)

    def test_context_menu_paste_is_guarded_too(self):
        self.set_clipboard("ab")
        self.select_whole(MINUTES)
        self.paste_by_menu(MINUTES)
        time.sleep(0.4)
        self.assertEqual(self.text(MINUTES), "00", "the menu pasted letters")
        self.set_clipboard("34")
        self.select_whole(MINUTES)
        self.paste_by_menu(MINUTES)
        self.wait_texts(MINUTES, "34", 2)

    def paste_by_menu(self, field):
        self.click_control(field, button=3)
        wait_until(lambda: any(w["class"] == "#32768" and w["visible"] for w in self.all_windows()), 3,
                   "the field's context menu")
        self.desktop.key("p")  # "&Paste"
        wait_until(lambda: not any(w["class"] == "#32768" and w["visible"] for w in self.all_windows()), 3,
                   "the context menu to close")
