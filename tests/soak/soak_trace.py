"""Reads the program's Wine trace as it grows: the session-ending calls and
what led to each, the message boxes it raised, the time-up notice being
shown, the live GDI handle count Wine's gdi channel reports, and signs of a
crash. Only the new part of the file is read on each poll."""

import re

from wine_session import CALL_RE, RelayEntry

GDI_RE = re.compile(r"trace:gdi:(?:alloc|free)_gdi_handle (?:allocated|freed) \S+ \S+ (\d+)/\d+")
CRASH_SIGNS = ("Unhandled exception", "Unhandled page fault", "err:seh:", "wine: Assertion", "Backtrace:")
WATCHED = {"ExitWindowsEx", "OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges", "MessageBoxA",
           "MessageBoxW", "ShowWindow", "CreateWindowExA", "CreateWindowExW", "SetTimer"}
PRIVILEGE_STEPS = ("OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges")
NOTICE_CLASS = "TarnvelNotice"


class Expiry:
    """One session-ending call and what the trace shows since the one before."""

    def __init__(self, number, flags, reserved, steps, notices_shown, line):
        self.number, self.flags, self.reserved = number, flags, reserved
        self.steps, self.notices_shown, self.line = steps, notices_shown, line


class TraceWatcher:
    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.partial = b""
        self.line_number = 0
        self.expiries = []
        self.counts_started = 0  # the program's one-second timers started
        self.boxes = []  # (caption, text, line)
        self.crash_lines = []
        self.gdi_count = None
        self.gdi_lines = 0
        self.notice_hwnds = set()
        self._creating = {}  # thread -> stack of class names of CreateWindowEx calls not yet returned
        self._steps = []
        self._notices_shown = 0

    def poll(self):
        """Reads what was written since the last poll; returns the number of new expiries."""
        with open(self.path, "rb") as trace:
            trace.seek(self.offset)
            data = trace.read()
        self.offset += len(data)
        data = self.partial + data
        lines = data.split(b"\n")
        self.partial = lines.pop()
        before = len(self.expiries)
        for raw in lines:
            self.line_number += 1
            if b"Call " in raw or b"Ret  " in raw:
                self._call(raw.decode("utf-8", "replace").rstrip("\r"))
            elif b"gdi_handle" in raw:
                match = GDI_RE.search(raw.decode("ascii", "replace"))
                if match:
                    self.gdi_count = int(match.group(1))
                    self.gdi_lines += 1
            elif any(sign.encode() in raw for sign in CRASH_SIGNS):
                self.crash_lines.append(raw.decode("utf-8", "replace")[:300])
        return len(self.expiries) - before

    def _call(self, line):
        match = CALL_RE.match(line)
        if not match:
            return
        t, _, thread, kind, dll, func, args, retval, ret = match.groups()
        if func not in WATCHED:
            return
        entry = RelayEntry(self.line_number, float(t), kind, dll, func, args, retval, int(ret, 16))
        if func.startswith("CreateWindowEx"):
            stack = self._creating.setdefault(thread, [])
            if kind == "Call":
                stack.append(entry.string(1))
            elif stack and stack.pop() == NOTICE_CLASS and retval and int(retval, 16):
                self.notice_hwnds.add(int(retval, 16))
        elif kind != "Call":
            return
        elif func == "SetTimer":
            self.counts_started += entry.number(2) == 1000
        elif func in PRIVILEGE_STEPS:
            self._steps.append(func)
        elif func == "ShowWindow":
            if int(entry.arg(0), 16) in self.notice_hwnds and entry.number(1) != 0:
                self._notices_shown += 1
        elif func.startswith("MessageBox"):
            self.boxes.append((entry.string(2), entry.string(1), self.line_number))
        elif func == "ExitWindowsEx":
            self.expiries.append(Expiry(len(self.expiries) + 1, entry.number(0), entry.number(1), self._steps,
                                        self._notices_shown, self.line_number))
            self._steps, self._notices_shown = [], 0
