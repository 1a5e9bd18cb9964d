"""Mouse, keyboard and screenshots on the X display of the Wine desktop.
Coordinates given here are Wine screen coordinates; the desktop's position on
the X root is added before xdotool or import sees them."""

import subprocess
import time


class Desktop:
    def __init__(self, config, session):
        self.config = config
        self.session = session
        self.last_click = (0, 0, 0.0)

    def _run(self, *args, timeout=15):
        return subprocess.run(list(args), env=self.config.env(), capture_output=True, text=True, timeout=timeout,
                              check=True).stdout

    def _root(self, x, y):
        ox, oy = self.session.origin
        return int(round(x)) + ox, int(round(y)) + oy

    def move(self, x, y):
        rx, ry = self._root(x, y)
        # No --sync: it waits for a motion event, which never comes when the
        # pointer is already there.
        self._run("xdotool", "mousemove", str(rx), str(ry))
        time.sleep(0.02)

    def press(self, button=1):
        self._run("xdotool", "mousedown", str(button))

    def release(self, button=1):
        self._run("xdotool", "mouseup", str(button))

    def click(self, x, y, button=1):
        # A second click at the same place within the double-click time
        # would arrive as a double click, which edits do not take focus on.
        last_x, last_y, last_time = self.last_click
        wait = 0.6 - (time.monotonic() - last_time)
        if wait > 0 and abs(x - last_x) <= 8 and abs(y - last_y) <= 8:
            time.sleep(wait)
        self.last_click = (x, y, time.monotonic())
        self.move(x, y)
        self.press(button)
        time.sleep(0.03)
        self.release(button)

    def drag(self, start, delta, button, steps=6):
        """Presses a button at start, moves by delta in steps, releases."""
        self.move(*start)
        self.press(button)
        time.sleep(0.1)
        for step in range(1, steps + 1):
            self.move(start[0] + delta[0] * step / steps, start[1] + delta[1] * step / steps)
            time.sleep(0.03)
        time.sleep(0.1)
        self.release(button)

    def focus(self):
        """Keyboard input goes to the X focus: the Wine desktop's window."""
        self._run("xdotool", "windowfocus", "--sync", self.session.desktop_xid)

    def key(self, *names):
        self.focus()
        for name in names:
            self._run("xdotool", "key", "--clearmodifiers", name)
            time.sleep(0.03)

    def type(self, text):
        self.focus()
        self._run("xdotool", "type", "--delay", "40", text)

    def screenshot(self, path, rect=None):
        """Saves the screen, or the part rect = [left, top, right, bottom], as PNG."""
        path.parent.mkdir(parents=True, exist_ok=True)
        args = ["import", "-window", "root"]
        if rect:
            left, top = self._root(rect[0], rect[1])
            args += ["-crop", f"{rect[2] - rect[0]}x{rect[3] - rect[1]}+{left}+{top}", "+repage"]
        self._run(*args, str(path), timeout=30)
        return path


def read_pixels(path, rect=None):
    """(width, height, RGB bytes) of a PNG, or of rect inside it, by way of
    ImageMagick's plain PPM output."""
    args = ["convert", str(path)]
    if rect:
        args += ["-crop", f"{rect[2] - rect[0]}x{rect[3] - rect[1]}+{rect[0]}+{rect[1]}", "+repage"]
    data = subprocess.run(args + ["-depth", "8", "ppm:-"], capture_output=True, timeout=30, check=True).stdout
    fields, offset = [], 0
    while len(fields) < 4:  # P6, width, height, maximum
        while data[offset:offset + 1].isspace():
            offset += 1
        end = offset
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[offset:end])
        offset = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[offset + 1:offset + 1 + width * height * 3]


def share_of(pixels, test):
    """The share of pixels for which test(r, g, b) holds."""
    _, _, rgb = pixels
    count = len(rgb) // 3
    hits = sum(1 for i in range(0, count * 3, 3) if test(rgb[i], rgb[i + 1], rgb[i + 2]))
    return hits / count if count else 0.0
