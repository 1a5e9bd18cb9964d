"""A minimal X11 client over the display's Unix socket: reads rectangles of
the root window (GetImage) fast enough to poll a window's pixels every few
milliseconds, which spawning a screenshot program could not. Python's
standard library only; the bench's own Xvfb has no access control."""

import os
import socket
import struct


class XDisplay:
    def __init__(self, display):
        number = display.split(":", 1)[1].split(".", 1)[0]
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(f"/tmp/.X11-unix/X{number}")
        # Little-endian, protocol 11.0, no authorisation.
        self.sock.sendall(struct.pack("<BxHHHHxx", ord("l"), 11, 0, 0, 0))
        head = self._read(8)
        if head[0] != 1:
            reason = self._read(struct.unpack_from("<H", head, 6)[0] * 4)[:head[1]]
            raise OSError(f"X server refused the connection: {reason.decode(errors='replace')}")
        body = self._read(struct.unpack_from("<H", head, 6)[0] * 4)
        vendor_length = struct.unpack_from("<H", body, 16)[0]
        screens, formats = body[20], body[21]
        offset = 32 + (vendor_length + 3) // 4 * 4
        self.formats = {}
        for i in range(formats):
            depth, bpp, pad = struct.unpack_from("<BBB", body, offset + 8 * i)
            self.formats[depth] = bpp
        offset += 8 * formats
        if screens < 1:
            raise OSError("X server has no screen")
        self.root = struct.unpack_from("<I", body, offset)[0]
        self.width, self.height = struct.unpack_from("<HH", body, offset + 20)
        self.depth = body[offset + 38]

    def _read(self, size):
        data = bytearray()
        while len(data) < size:
            chunk = self.sock.recv(size - len(data))
            if not chunk:
                raise OSError("X server closed the connection")
            data += chunk
        return bytes(data)

    def image(self, x, y, width, height):
        """The root's pixels in the rectangle as bytes, 4 per pixel (B, G, R, x),
        row after row."""
        # GetImage (73), format ZPixmap (2), all planes.
        self.sock.sendall(struct.pack("<BBHIhhHHI", 73, 2, 5, self.root, x, y, width, height, 0xFFFFFFFF))
        while True:
            head = self._read(32)
            kind = head[0]
            if kind == 1:
                length = struct.unpack_from("<I", head, 4)[0]
                return self._read(length * 4)
            if kind == 0:
                raise OSError(f"X error {head[1]} on GetImage {x},{y} {width}x{height}")
            # An event: not asked for, but skipped should one come.

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


class Comparison:
    """Counts, fast, how many pixels of an image equal a reference image,
    among the pixels a mask selects (the same rectangle, 4 bytes a pixel)."""

    def __init__(self, reference, mask_pixels=None):
        self.size = len(reference)
        self.reference = int.from_bytes(reference, "little")
        count = self.size // 4
        if mask_pixels is None:
            mask_pixels = range(count)
        words = bytearray(self.size)
        for i in mask_pixels:
            words[4 * i:4 * i + 3] = b"\xff\xff\xff"
        self.mask = int.from_bytes(bytes(words), "little")
        self.selected = len(mask_pixels)
        self.unselected = count - self.selected

    def equal(self, pixels):
        """How many selected pixels equal the reference's."""
        diff = (int.from_bytes(pixels, "little") ^ self.reference) & self.mask
        zeros = memoryview(diff.to_bytes(self.size, "little")).cast("I").tolist().count(0)
        return zeros - self.unselected

    def share(self, pixels):
        return self.equal(pixels) / self.selected if self.selected else 1.0


def differing(pixels, reference):
    """The indexes of the pixels that differ between two images of one size."""
    a = memoryview(pixels).cast("I")
    b = memoryview(reference).cast("I")
    return [i for i in range(len(b)) if (a[i] ^ b[i]) & 0xFFFFFF]


if __name__ == "__main__":
    import sys
    import time
    xd = XDisplay(sys.argv[1] if len(sys.argv) > 1 else os.environ["DISPLAY"])
    began = time.perf_counter()
    for _ in range(100):
        xd.image(0, 0, 184, 312)
    first = xd.image(0, 0, 184, 312)
    print(f"root {xd.root:#x} {xd.width}x{xd.height} depth {xd.depth}; "
          f"184x312 read in {(time.perf_counter() - began) * 10:.2f} ms")
    comparison = Comparison(first, list(range(0, 184 * 312, 2)))
    began = time.perf_counter()
    for _ in range(100):
        share = comparison.share(xd.image(0, 0, 184, 312))
    print(f"read and compared in {(time.perf_counter() - began) * 10:.2f} ms: {share}")
