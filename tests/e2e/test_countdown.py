"""Counting down, expiry and the session-ending request, pausing, the refusal
of a zero count, and closing the program while it counts."""

import time

from desktop_input import read_pixels, share_of
from tarnvel_case import (ABOUT_WINDOW, DRAWN, FIELDS, MAIN, NOTICE, RESET, START, WS_CAPTION, WS_SYSMENU,
                          ID, SECONDS, TarnvelCase, size)
from wine_session import SessionEnded, wait_until

POWER_OFF = (0x0C, 0xFFFFFFFF)  # EWX_POWEROFF | EWX_FORCE, reserved


class ExpiryEndsSession(TarnvelCase):
    allow_session_end = True

    def test_expiry_shows_notice_then_requests_forced_power_off(self):
        self.start_count("3")

        def session_over():
            try:
                return not self.program.running()
            except SessionEnded:
                return True

        wait_until(session_over, 12, "the program and its session to end after expiry")
        self.assertTrue(self.program.wait_exit(10), "the program outlived the session it ended")

        # The notice lives only the moment between its painting and the end of
        # the session, so the trace tells when and in which order things came.
        relay = self.program.relay()
        exits = relay.find("ExitWindowsEx")
        self.assertEqual([(c.number(0), c.number(1)) for c in exits], [POWER_OFF],
                         "expected one forced power-off request")
        exit_call = exits[0]
        counted = relay.count_length(exit_call)
        self.assertTrue(2.9 < counted < 3.9, f"a 3 s count ran {counted} s by the program's clock")
        for func in ("OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges"):
            calls = [c for c in relay.find(func) if c.index < exit_call.index]
            self.assertTrue(calls, f"{func} was not called before ExitWindowsEx")
        lookups = relay.find("LookupPrivilegeValueA")
        self.assertIn('"SeShutdownPrivilege"', lookups[-1].args)
        adjusted = relay.returns_of(relay.find("AdjustTokenPrivileges")[-1])
        self.assertNotEqual(int(adjusted.retval, 16), 0, "AdjustTokenPrivileges failed")

        made = relay.windows_created(NOTICE)
        self.assertEqual(len(made), 1, f"expected one notice window to be made, saw {made}")
        create, hwnd = made[0]
        self.assertLess(create.index, exit_call.index, "the notice was made after the session-ending call")
        visible_at_birth = create.number(3) & 0x10000000
        shown = [c for c in relay.find("ShowWindow") if int(c.arg(0), 16) == hwnd and c.number(1) != 0]
        shown += [c for c in relay.find("SetWindowPos")
                  if int(c.arg(0), 16) == hwnd and c.number(6) & 0x40]  # SWP_SHOWWINDOW
        self.assertTrue(visible_at_birth or any(c.index < exit_call.index for c in shown),
                        "the notice was not shown before the session-ending call")
        painted = relay.first_message(hwnd, "WM_PAINT")
        self.assertTrue(painted and painted[0] < exit_call.index,
                        "the notice was not painted before the session-ending call")
        label = [c for c in relay.find("DrawTextA") if c.string(1) == DRAWN["IDC_NOTICE_LABEL1"][3]]
        self.assertTrue(label and label[0].index < exit_call.index,
                        "the notice's label was not drawn before the session-ending call")


class RefusedSessionEnd(TarnvelCase):
    def wait_for_expiry(self, count, timeout=8):
        wait_until(lambda: len(self.exit_calls()) >= count, timeout, f"session-ending call number {count}")
        wait_until(lambda: self.text(START) == "Start", 3, 'the button to read "Start" again after expiry')

    def test_expiry_restores_duration_and_keeps_one_notice(self):
        self.start_count("5")
        self.wait_for_expiry(1)
        relay = self.program.relay()
        exit_call = relay.find("ExitWindowsEx")[0]
        self.assertEqual(self.ticks(until=exit_call), ["04", "03", "02", "01", "00"],
                         "the seconds did not count down one by one to zero before the session-ending call")
        first_tick = relay.texts_set(self.control(SECONDS)["hwnd"], after=relay.count_start(exit_call))[0]
        for control in FIELDS + (RESET,):
            self.assertIs(relay.enabled_before(self.control(control)["hwnd"], first_tick), False,
                          f"control {control} was not disabled while counting")
        self.assertEqual(self.fields(), ("00", "00", "05"), "the started duration was not restored")
        controls = self.controls()
        self.assertTrue(all(controls[f]["enabled"] for f in FIELDS), "fields stay disabled after expiry")
        self.assertTrue(controls[RESET]["enabled"], "Reset stays disabled after expiry")
        self.assertEqual((exit_call.number(0), exit_call.number(1)), POWER_OFF)
        self.assertEqual(int(relay.returns_of(exit_call).retval, 16), 0, "the refused call should have failed")

        notice = wait_until(lambda: self.window(NOTICE), 2, "the time-up notice")
        self.check_notice(notice)
        self.screenshot("notice", notice["rect"])

        self.click_control(START)
        self.wait_for_expiry(2)
        self.assertEqual(len(self.all_windows(NOTICE)), 1, "a second expiry made a second notice window")
        self.assertEqual(self.fields(), ("00", "00", "05"))

    def check_notice(self, notice):
        self.assertEqual(notice["title"], "Time's UP!!!")
        self.assertEqual(size(notice["client"]), (172, 58), "notice client size")
        self.assertTrue(notice["style"] & WS_CAPTION == WS_CAPTION, "the notice has no caption bar")
        self.assertFalse(notice["style"] & WS_SYSMENU, "the notice has a system menu / close button")
        self.assertIn(DRAWN["IDC_NOTICE_LABEL1"][3], self.drawn_texts(), "the notice's label was not drawn")

    def test_close_picture_after_expiry_closes_notice_too(self):
        self.start_count("2")
        self.wait_for_expiry(1)
        wait_until(lambda: self.window(NOTICE), 2, "the time-up notice")
        self.click_drawn("IDC_IMAGE1")
        wait_until(lambda: not self.window(MAIN) and not self.window(NOTICE), 3, "main window and notice to close")
        self.assertTrue(self.program.wait_exit(5), "the program kept running with no window left")


class PauseAndResume(TarnvelCase):
    def test_pause_freezes_then_edited_value_counts(self):
        self.start_count("59")
        self.wait_ticks(2)
        self.click_control(START)
        self.wait_texts(START, "Start", 2)
        frozen = self.fields()
        time.sleep(1.5)  # a running count would tick at least once here
        self.assertEqual(self.fields(), frozen, "the count went on while paused")
        controls = self.controls()
        self.assertTrue(all(controls[f]["enabled"] for f in FIELDS), "fields not editable while paused")
        self.assertTrue(controls[RESET]["enabled"], "Reset not enabled while paused")

        self.type_into(ID["IDC_TEXT1_2"], "2")
        self.wait_texts(ID["IDC_TEXT1_2"], "2", 2)
        self.start_count(None)
        wait_until(lambda: self.exit_calls(), 5, "expiry of the edited count")
        relay = self.program.relay()
        counted = relay.count_length(relay.find("ExitWindowsEx")[0])
        self.assertTrue(1.9 < counted < 2.9, f"a 2 s count ran {counted} s by the program's clock (old value used?)")
        self.wait_texts(START, "Start", 3)
        self.assertEqual(self.fields(), ("00", "00", "02"), "the resumed duration was not restored")
        self.assertEqual(len(self.exit_calls()), 1)


class ZeroCountRefused(TarnvelCase):
    def test_zero_count_is_refused_with_a_stop_box(self):
        self.click_control(START)
        box = self.wait_dialog("Confirm")
        texts = [s["text"] for s in box["statics"] if s["text"]]
        self.assertIn("No allow Zero Count", texts)
        self.assertEqual(box["owner"], self.main["hwnd"], "the box is not owned by the main window")
        shot = self.screenshot("msgbox-zero-count", box["rect"])
        self.assertStopIcon(box, shot)
        self.press_ok(box)

        controls = self.controls()
        self.assertEqual(controls[START]["text"], "Start")
        self.assertTrue(controls[RESET]["enabled"], "Reset disabled after a refused start")
        self.assertTrue(all(controls[f]["enabled"] for f in FIELDS))
        self.assertEqual(self.fields(), ("00", "00", "00"))
        time.sleep(1.2)  # a count started despite the refusal would have ended by now
        self.assertEqual(self.exit_calls(), [])
        self.assertIsNone(self.window(NOTICE))

    def assertStopIcon(self, box, shot):
        icons = [s for s in box["statics"] if s["style"] & 0x1F == 3]  # SS_ICON
        self.assertEqual(len(icons), 1, "the message box shows no icon")
        left, top = box["rect"][0], box["rect"][1]
        r = icons[0]["rect"]
        pixels = read_pixels(shot, [r[0] - left, r[1] - top, r[2] - left, r[3] - top])
        red = share_of(pixels, lambda r_, g, b: r_ > 160 and g < 90 and b < 90)
        self.assertGreater(red, 0.2, "the icon is not the red stop icon")


class ClosePicture(TarnvelCase):
    """Counts long enough never to run out while the test acts: what the
    program did to its count is read from its trace, not timed."""

    def test_close_during_count_ends_program_without_session_call(self):
        self.start_count("59")
        self.wait_ticks(1)
        self.click_drawn("IDC_IMAGE1")
        wait_until(lambda: not self.window(MAIN), 3, "the main window to close")
        self.assertTrue(self.program.wait_exit(5), "the program kept running with no window left")
        self.assertEqual(self.exit_calls(), [])

    def test_close_during_count_keeps_about_and_the_process(self):
        self.start_count("59")
        seconds = self.control(SECONDS)["hwnd"]
        about = self.open_window(ABOUT_WINDOW)
        self.click_drawn("IDC_IMAGE1")
        wait_until(lambda: not self.window(MAIN), 3, "the main window to close")
        relay = self.program.relay()
        stopped = relay.count_stop(relay.count_start())
        self.assertIsNotNone(stopped, "the count's timer was not stopped as the main window closed")
        time.sleep(1.5)  # a count that went on would tick here
        relay = self.program.relay()
        self.assertEqual(relay.texts_set(seconds, after=stopped), [], "the count went on after the main window closed")
        self.assertTrue(self.program.running(), "the program ended while About was still open")
        self.assertIsNotNone(self.window(ABOUT_WINDOW))
        self.assertEqual(self.exit_calls(), [])
        self.assertIsNone(self.window(NOTICE))
        self.click_at(self.close_point(about), ABOUT_WINDOW)
        self.assertTrue(self.program.wait_exit(5), "the program outlived its last window")
