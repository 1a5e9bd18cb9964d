#!/usr/bin/env python3
"""Draws Tarnvel's artwork and writes it into res/.

    res/skin.gif     main window skin (its transparent pixels cut the window outline)
    res/skin-200.gif the skin at 200 %
    res/close.gif    close picture
    res/close-200.gif  the close picture at 200 %
    res/tarnvel.ico  program icon: 16 to 64 pixels, 8 bits per pixel, AND masks
    res/about.jpg    picture of the About box

Everything is computed from code, without randomness, so a re-run writes
byte-identical files. Needs python3-pil and python3-numpy.
"""
import struct
from pathlib import Path

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

RES = Path(__file__).resolve().parent.parent.parent / "res"
WHITE = (255, 255, 255)
CLEAR = 255  # palette index of the transparent colour in both GIFs

SKIN_SIZE = (184, 312)
CLOSE_SIZE = (21, 21)
# The skin and the close picture are drawn at 100 % and at 200 %; the
# program makes the sizes between (and above) from the 200 % drawing.
GIF_PERCENTS = (100, 200)
# The icon's sizes: the small and large icons and the program's own uses of
# it (32 pixels at 96 DPI) at 100 % to 200 %.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 56, 64)
# Places of the window's controls on the skin: (x, y, width, height).
CONTROLS = {
    "close": (120, 32, 21, 21), "title": (40, 163, 121, 25),
    "hour label": (40, 184, 33, 17), "min label": (83, 184, 33, 17),
    "sec label": (128, 184, 33, 17),
    "hour field": (32, 200, 33, 25), "min field": (76, 200, 33, 25),
    "sec field": (120, 200, 33, 25),
    "start": (32, 232, 57, 17), "reset": (96, 232, 57, 17),
    "option": (32, 248, 57, 17), "about": (96, 248, 57, 16),
    "icon": (76, 264, 32, 32),
}
CONTROL_MARGIN = 3

# ---------------------------------------------------------------- helpers

def grid(w, h, scale=1):
    """Pixel-centre coordinates of a w x h image drawn at `scale`, in the
    units of the picture at its 1x size."""
    y, x = np.mgrid[0:h, 0:w].astype(float)
    return (x + 0.5) / scale, (y + 0.5) / scale


def pixels(n, scale):
    """A width of n pixels at 1x, in whole pixels at `scale` (at least one)."""
    return max(1, int(round(n * scale)))


def smoothstep(a, b, v):
    t = np.clip((v - a) / (b - a), 0.0, 1.0)
    return t * t * (3 - 2 * t)


def mix(c0, c1, t):
    """Blend two colours (or colour arrays) by t, broadcasting over pixels."""
    t = np.asarray(t, float)[..., None]
    return np.asarray(c0, float) * (1 - t) + np.asarray(c1, float) * t


def rounded_rect(x, y, box, r):
    """Mask of a rectangle with pixel edges box=(x0, y0, x1, y1), corners of radius r."""
    x0, y0, x1, y1 = box
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2
    qx = np.maximum(np.abs(x - cx) - (hw - r), 0)
    qy = np.maximum(np.abs(y - cy) - (hh - r), 0)
    return (np.abs(x - cx) <= hw) & (np.abs(y - cy) <= hh) & (qx * qx + qy * qy <= r * r)


def shift(mask, dx, dy):
    """Mask moved by (dx, dy); pixels moved in from outside are False."""
    h, w = mask.shape
    out = np.zeros_like(mask)
    out[max(dy, 0):h + min(dy, 0), max(dx, 0):w + min(dx, 0)] = \
        mask[max(-dy, 0):h + min(-dy, 0), max(-dx, 0):w + min(-dx, 0)]
    return out


def dilate(mask, r):
    out = mask.copy()
    for dy in range(-r, r + 1):
        for dx in range(-r, r + 1):
            if dx * dx + dy * dy <= r * r:
                out |= shift(mask, dx, dy)
    return out


def erode(mask, r):
    """Erosion that treats everything outside the image as empty."""
    padded = np.pad(mask, r + 1)
    return ~dilate(~padded, r)[r + 1:-r - 1, r + 1:-r - 1]


def polyline_distance(x, y, points):
    """Distance of every pixel centre to a polyline."""
    best = np.full(x.shape, np.inf)
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        vx, vy = bx - ax, by - ay
        t = np.clip(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0, 1)
        best = np.minimum(best, np.hypot(x - ax - t * vx, y - ay - t * vy))
    return best


def quadratic_curve(p0, p1, p2, steps=24):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in np.linspace(0, 1, steps)]


def quantize(rgb, parts):
    """Index array and palette (RGB tuples) for the image.

    parts is a list of (mask, colour count): each part gets its own share of
    the palette, so small bright details keep their colours next to large
    gradients. Pixels outside every part get index 0."""
    index = np.zeros(rgb.shape[:2], np.uint8)
    palette = []
    for mask, count in parts:
        fill = rgb[mask].mean(axis=0)  # keep the rest of the image from taking entries
        part = np.where(mask[..., None], rgb, fill)
        img = Image.fromarray(np.clip(np.rint(part), 0, 255).astype(np.uint8))
        q = img.quantize(count, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        flat = q.getpalette()[:3 * count]
        colours = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
        index[mask] = np.asarray(q)[mask] + len(palette)
        palette += colours + [(0, 0, 0)] * (count - len(colours))
    return index, palette


def save_transparent_gif(rgb, parts, path):
    """Palette GIF: indexes 0..254 hold the opaque colours, 255 is white and transparent."""
    assert sum(count for _, count in parts) <= 255
    index, palette = quantize(rgb, parts)
    opaque = np.logical_or.reduce([mask for mask, _ in parts])
    palette = (palette + [(0, 0, 0)] * 255)[:255] + [WHITE]
    img = Image.fromarray(np.where(opaque, index, CLEAR).astype(np.uint8), "P")
    img.putpalette([c for colour in palette for c in colour])
    img.save(path, transparency=CLEAR, optimize=False)


# ---------------------------------------------------------------- scales

def scaled_size(size, percent):
    """The side lengths of a picture of `size` pixels at 100 % drawn at `percent`."""
    return tuple(n * percent // 100 for n in size)


def scaled_name(name, percent):
    """skin.gif at 100 %, skin-150.gif at 150 %."""
    if percent == 100:
        return name
    stem, dot, suffix = name.partition(".")
    return f"{stem}-{percent}{dot}{suffix}"

# ---------------------------------------------------------------- skin

# The body is a dark polished egg: a round top whose lower half tapers into a
# blunt bottom, split by a seam into a glossy cap and a duller base.
EGG_CX, EGG_EQUATOR, EGG_R, EGG_BOTTOM, EGG_P = 92.0, 102.0, 90.0, 306.0, 2.6
SEAM_Y, SEAM_SAG = 146.0, 9.0
KNOB_C, KNOB_R = (33.0, 9.5), 4.2


def egg_half_width(y):
    dy = y - EGG_EQUATOR
    top = np.sqrt(np.clip(EGG_R ** 2 - dy ** 2, 0, None))
    t = np.clip(dy / (EGG_BOTTOM - EGG_EQUATOR), 0, 1)
    return np.where(dy < 0, top, EGG_R * (1 - t ** EGG_P) ** (1 / EGG_P))


def egg_normals(x, y):
    """Unit normals of the egg seen from the front (it is a surface of revolution)."""
    r = egg_half_width(y)
    slope = egg_half_width(y + 0.5) - egg_half_width(y - 0.5)
    dx = x - EGG_CX
    n = np.stack([dx, -r * slope, np.sqrt(np.clip(r * r - dx * dx, 0, None))])
    return n / np.maximum(np.linalg.norm(n, axis=0), 1e-6)


def seam_curve(x):
    dx = (x - EGG_CX) / egg_half_width(SEAM_Y)
    return SEAM_Y + SEAM_SAG * np.sqrt(np.clip(1 - dx * dx, 0, 1))


def skin_shapes(x, y):
    egg = np.abs(x - EGG_CX) < egg_half_width(y)
    stem = polyline_distance(x, y, quadratic_curve((60, 23.5), (50, 6), KNOB_C)) <= 1.2
    knob = np.hypot(x - KNOB_C[0], y - KNOB_C[1]) <= KNOB_R
    return egg, stem, knob


def shade_egg(x, y):
    n = egg_normals(x, y)
    light = np.array([-0.5, -0.62, 0.6]) / np.linalg.norm([-0.5, -0.62, 0.6])
    half = (light + [0, 0, 1]) / np.linalg.norm(light + [0, 0, 1])
    diffuse = np.clip(np.tensordot(light, n, 1), 0, 1)
    gloss = np.clip(np.tensordot(half, n, 1), 0, 1)
    cap = y < seam_curve(x)
    col = mix((8, 10, 18), (40, 52, 82), diffuse ** 1.5)
    col = np.where(cap[..., None], col, col * 0.78)
    rim = (1 - n[2]) ** 2.5 * np.clip(0.2 + n[0] * 0.6 + n[1] * 0.6, 0, 1)
    col = col + np.array([12, 52, 66]) * rim[..., None]          # teal light from below right
    shine = 0.22 * gloss ** 10 + 0.22 * gloss ** 60
    col = col + np.array([140, 160, 205]) * (shine * cap)[..., None]
    # faint crescent reflection of a window on the cap, upper left
    ang = np.degrees(np.arctan2(y - EGG_EQUATOR, x - EGG_CX))
    rad = np.hypot(x - EGG_CX, y - EGG_EQUATOR) / EGG_R
    band = smoothstep(0.72, 0.76, rad) * (1 - smoothstep(0.82, 0.86, rad))
    arc = smoothstep(-166, -150, ang) * (1 - smoothstep(-116, -98, ang))
    return mix(col, (118, 138, 180), 0.2 * band * arc * cap)


def paint_seam(col, x, y):
    d = y - seam_curve(x)
    fade = smoothstep(0, 10, egg_half_width(y) - np.abs(x - EGG_CX))
    groove = np.clip(1 - np.abs(d + 0.5) / 1.2, 0, 1)
    lip = np.clip(1 - np.abs(d - 1.6) / 1.0, 0, 1)
    col = col * (1 - 0.6 * groove * fade)[..., None]
    return mix(col, (70, 92, 126), 0.6 * lip * fade)


def paint_panel(col, x, y, scale):
    """Shallow recess behind the fields and buttons, with a round bay for the icon."""
    line = pixels(1, scale)
    panel = rounded_rect(x, y, (27, 196, 158, 269), 7) | (np.hypot(x - 92, y - 280) <= 21)
    panel = erode(dilate(panel, pixels(4, scale)), pixels(4, scale))
    col = np.where(panel[..., None], col * 0.7, col)
    upper = panel & ~shift(panel, 0, line)
    col = np.where(upper[..., None], col * 0.5, col)
    below = shift(panel & ~shift(panel, 0, -line), 0, line) & ~panel
    return np.where(below[..., None], mix(col, (58, 74, 102), 0.5), col)


def paint_stem(col, x, y, stem, knob):
    steel = mix((40, 50, 72), (120, 136, 168), smoothstep(1.2, -1.2, polyline_distance(
        x, y, quadratic_curve((59, 23), (49, 5), (KNOB_C[0] - 1, KNOB_C[1] - 1)))))
    socket = np.hypot(x - 60, y - 23.5)
    col = mix(col, (24, 30, 46), smoothstep(3.4, 2.6, socket))
    col = mix(col, (84, 102, 138), np.clip(1 - np.abs(socket - 2.4) / 0.9, 0, 1) * smoothstep(26, 21, y))
    col = np.where(stem[..., None], steel, col)
    k = np.hypot(x - KNOB_C[0], y - KNOB_C[1]) / KNOB_R
    glow = mix((16, 104, 112), (70, 206, 200), smoothstep(1.05, 0.3, k))
    sparkle = np.hypot(x - KNOB_C[0] + 1.3, y - KNOB_C[1] + 1.3)
    glow = mix(glow, (210, 252, 246), smoothstep(1.6, 0.5, sparkle))
    return np.where(knob[..., None], glow, col)


def paint_rim(col, x, y, body, scale):
    ring = body & ~erode(body, pixels(1, scale))
    lit = np.clip(0.55 - 0.5 * ((x - EGG_CX) / 90 * 0.6 + (y - 130) / 170 * 0.8), 0.15, 1)
    return np.where(ring[..., None], mix(col, (96, 118, 156), 0.75 * lit), col)


def make_skin(percent):
    scale = percent / 100
    w, h = scaled_size(SKIN_SIZE, percent)
    x, y = grid(w, h, scale)
    egg, stem, knob = skin_shapes(x, y)
    col = shade_egg(x, y)
    col = paint_seam(col, x, y)
    col = paint_panel(col, x, y, scale)
    col = paint_rim(col, x, y, egg, scale)
    col = paint_stem(col, x, y, stem, knob)
    accent = stem | knob
    save_transparent_gif(col, [(egg & ~accent, 224), (accent, 31)], RES / scaled_name("skin.gif", percent))

# ---------------------------------------------------------------- close picture

def make_close(percent):
    scale = percent / 100
    x, y = grid(*scaled_size(CLOSE_SIZE, percent), scale)
    square = rounded_rect(x, y, (0, 0, 21, 21), 5)
    inner = erode(square, pixels(1, scale))
    col = mix((226, 62, 52), (172, 30, 28), smoothstep(1, 20, y))
    col = np.where(square[..., None] & ~inner[..., None], (112, 18, 20), col)
    top = inner & ~shift(inner, 0, pixels(1, scale))
    col = np.where(top[..., None], (244, 120, 104), col)
    arm = np.minimum(polyline_distance(x, y, [(6.5, 6.5), (14.5, 14.5)]),
                     polyline_distance(x, y, [(14.5, 6.5), (6.5, 14.5)]))
    col = mix(col, (250, 250, 250), np.clip(1.9 - arm, 0, 1))
    save_transparent_gif(col, [(square, 255)], RES / scaled_name("close.gif", percent))

# ---------------------------------------------------------------- icon

def icon_picture(size=32):
    """size x size RGB pixels and opaque mask of a green desktop computer
    (drawn on a 32 x 32 plan)."""
    x, y = grid(size, size, size / 32)
    line = pixels(1, size / 32)
    monitor = rounded_rect(x, y, (1, 1, 31, 22), 2.5)
    screen = rounded_rect(x, y, (4, 4, 28, 18), 1)
    neck = rounded_rect(x, y, (13, 22, 19, 25), 0)
    foot = rounded_rect(x, y, (8, 24, 24, 27), 1.5)
    keys = rounded_rect(x, y, (2, 27, 30, 32), 1.5)
    opaque = monitor | neck | foot | keys
    col = mix((96, 196, 96), (38, 118, 48), smoothstep(1, 24, y + x * 0.3))
    glow = mix((44, 150, 80), (12, 64, 36), smoothstep(4, 20, y + (x - 4) * 0.35))
    col = np.where(screen[..., None], glow, col)
    px, py = np.floor(x), np.floor(y)
    shine = monitor & ~screen & erode(monitor, line) & ~shift(erode(monitor, line), 0, line)
    col = np.where(shine[..., None], (150, 226, 140), col)
    cursor = (px >= 16) & (px <= 17) & (py >= 12) & (py <= 13)
    col = np.where(cursor[..., None], (200, 255, 190), col)
    for row, (x0, x1) in zip((7, 10, 13), ((7, 19), (7, 23), (7, 15))):
        text = (py == row) & (px >= x0) & (px < x1) & (px % 4 != 3)
        col = np.where(text[..., None], (150, 240, 150), col)
    edge = screen & ~erode(screen, line) & ((py == 4) | (px == 4))
    col = np.where(edge[..., None], (14, 52, 28), col)
    key = keys & (py % 2 == 0) & (px % 2 == 1) & erode(keys, line)
    col = np.where(key[..., None], (190, 240, 170), col)
    col = np.where(((px == 26) & (py == 19))[..., None], (200, 255, 110), col)  # power light
    for part in (monitor, neck, foot, keys):
        col = np.where((part & ~erode(part, line))[..., None], (14, 60, 26), col)
    return col, opaque


def ico_image(index, palette, opaque):
    """One ICO image: BITMAPINFOHEADER, 256 RGBQUADs, XOR rows and AND mask, bottom-up."""
    h, w = index.shape
    xor = b"".join(index[r].astype(np.uint8).tobytes() for r in range(h - 1, -1, -1))
    mask_rows = []
    for r in range(h - 1, -1, -1):
        bits = np.packbits(~opaque[r]).tobytes()
        mask_rows.append(bits + b"\0" * (-len(bits) % 4))
    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    and_mask = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 8, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + quads + xor + and_mask


def icon_image(size):
    col, opaque = icon_picture(size)
    index, palette = quantize(col, [(opaque, 255)])
    # index 0 is black and fills the transparent pixels, so the XOR image leaves the screen as is
    palette = [(0, 0, 0)] + palette
    index = np.where(opaque, index.astype(int) + 1, 0)
    return ico_image(index, palette, opaque)


def make_icon():
    images = [icon_image(size) for size in ICON_SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(ICON_SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    (RES / "tarnvel.ico").write_bytes(directory + b"".join(images))

# ---------------------------------------------------------------- about picture

S = 4  # the About picture is drawn 4x larger, then scaled down smoothly


def box(*v):
    return [c * S for c in v]


def draw_screen(d, x0, y0, x1, y1, kind):
    d.rounded_rectangle(box(x0, y0, x1, y1), 2 * S, fill=(30, 34, 46))
    d.rectangle(box(x0 + 2, y0 + 2, x1 - 2, y1 - 3), fill=(28, 38, 64))
    if kind == "code":
        colours = [(255, 134, 150), (120, 214, 230), (250, 210, 110), (160, 230, 150)]
        for i in range(8):
            indent, length = (i % 3) * 4, 14 + (i * 7) % 22
            yy = y0 + 6 + i * 5
            left = x0 + 6 + indent
            d.rounded_rectangle(box(left, yy, left + length, yy + 2), S, fill=colours[i % 4])
    elif kind == "chart":
        for i, hgt in enumerate((10, 18, 13, 24, 20)):
            d.rectangle(box(x0 + 6 + i * 6, y1 - 7 - hgt, x0 + 10 + i * 6, y1 - 7), fill=(120, 214, 230))
    else:
        pts = [(x0 + 5 + i * 5, y1 - 10 - v) for i, v in enumerate((4, 12, 8, 19, 15, 24))]
        d.line([c * S for p in pts for c in p], fill=(250, 210, 110), width=2 * S, joint="curve")


def draw_monitor(d, x0, y0, x1, y1, kind, desk):
    mid = (x0 + x1) / 2
    d.rectangle(box(mid - 2, y1, mid + 2, desk), fill=(44, 48, 62))
    d.rounded_rectangle(box(mid - 9, desk - 2, mid + 9, desk), S, fill=(44, 48, 62))
    draw_screen(d, x0, y0, x1, y1, kind)


def draw_person(d):
    skin, hair, shirt, sleeve = (214, 154, 122), (58, 38, 32), (232, 118, 86), (208, 100, 72)
    for side in (-1, 1):  # arms reach forward to the keyboard, elbows out
        ex = 78 + side * 34
        arm = box(78 + side * 20, 106, ex, 118, 78 + side * 16, 108)
        d.line(arm, fill=sleeve, width=11 * S, joint="curve")
        d.ellipse(box(ex - 5.5, 112.5, ex + 5.5, 123.5), fill=sleeve)
    d.rounded_rectangle(box(50, 94, 106, 176), 22 * S, fill=shirt)                 # back
    d.rounded_rectangle(box(72, 82, 84, 98), 4 * S, fill=(190, 134, 106))          # neck
    d.ellipse(box(61, 62, 69, 74), fill=skin)                                       # ears
    d.ellipse(box(87, 62, 95, 74), fill=skin)
    d.ellipse(box(63, 46, 93, 86), fill=hair)                                       # head
    d.ellipse(box(71, 38, 85, 52), fill=hair)                                       # bun
    d.arc(box(66, 49, 80, 66), 200, 280, fill=(96, 66, 54), width=2 * S)             # sheen
    d.arc(box(58, 50, 98, 80), 190, 350, fill=(90, 200, 196), width=3 * S)          # headphones
    for cx in (61, 95):
        d.rounded_rectangle(box(cx - 4, 62, cx + 4, 76), 3 * S, fill=(90, 200, 196))
    d.rounded_rectangle(box(58, 120, 98, 170), 10 * S, fill=(44, 46, 62))          # chair back
    d.rounded_rectangle(box(62, 124, 94, 170), 8 * S, outline=(66, 70, 92), width=S)


def draw_window(d):
    d.rectangle(box(6, 4, 36, 30), fill=(118, 96, 82))
    d.rectangle(box(8, 6, 34, 28), fill=(28, 32, 66))
    d.ellipse(box(22, 9, 30, 17), fill=(250, 236, 190))                             # moon
    d.ellipse(box(25, 8, 33, 16), fill=(28, 32, 66))
    for sx, sy in ((12, 10), (17, 20), (29, 23), (11, 24)):
        d.rectangle(box(sx, sy, sx + 1, sy + 1), fill=(230, 230, 255))
    d.rectangle(box(20.5, 6, 21.5, 28), fill=(118, 96, 82))


def draw_room(d, w, h):
    d.rectangle(box(110, 16, 146, 19), fill=(120, 86, 70))                          # shelf with a plant
    d.polygon(box(123, 8, 135, 8, 133, 16, 125, 16), fill=(214, 124, 90))
    for dx, dy, rx, ry in ((-5, -1, 4, 2.5), (0, -4, 2.5, 4), (5, -1, 4, 2.5)):
        d.ellipse(box(129 + dx - rx, 8 + dy - ry, 129 + dx + rx, 8 + dy + ry), fill=(104, 182, 118))
    draw_window(d)
    draw_monitor(d, 4, 38, 44, 70, "chart", 88)
    draw_monitor(d, 112, 38, 148, 70, "graph", 88)
    draw_monitor(d, 40, 22, 116, 72, "code", 88)
    d.rectangle(box(0, 86, w, 93), fill=(182, 128, 90))                            # desk
    d.rectangle(box(0, 93, w, 98), fill=(140, 94, 64))
    d.rectangle(box(0, 98, w, h), fill=(54, 50, 78))                               # floor
    d.rectangle(box(8, 98, 13, h), fill=(112, 74, 52))
    d.rectangle(box(140, 98, 145, h), fill=(112, 74, 52))
    d.rounded_rectangle(box(124, 76, 134, 87), 2 * S, fill=(240, 236, 224))        # mug
    d.arc(box(131, 78, 138, 85), -90, 90, fill=(240, 236, 224), width=S + S // 2)
    d.rectangle(box(126, 78, 132, 80), fill=(226, 110, 90))


def make_about():
    w, h = 164, 160
    img = Image.new("RGB", (w * S, h * S))
    d = ImageDraw.Draw(img)
    for row in range(h * S):  # evening wall, darker at the top
        t = row / (h * S)
        colour = tuple(int(a + (b - a) * t) for a, b in zip((46, 52, 92), (96, 88, 128)))
        d.line([(0, row), (w * S, row)], fill=colour)
    glow = Image.new("L", img.size, 0)
    ImageDraw.Draw(glow).ellipse(box(14, 14, 142, 98), fill=110)                   # light of the screens
    img.paste((150, 190, 230), mask=glow.filter(ImageFilter.GaussianBlur(16 * S)))
    draw_room(d, w, h)
    draw_person(d)
    img = img.resize((w, h), Image.LANCZOS)
    img.save(RES / "about.jpg", quality=90, optimize=False, progressive=False)

# ---------------------------------------------------------------- checks

def check_gif(path, size):
    img = Image.open(path)
    assert img.format == "GIF" and img.mode == "P" and img.size == size, (path, img.mode, img.size)
    assert img.info.get("transparency") == CLEAR, path
    pal = img.getpalette()
    assert tuple(pal[3 * CLEAR:3 * CLEAR + 3]) == WHITE, path
    index = np.asarray(img)
    assert index[0, 0] == CLEAR, path
    opaque = index != CLEAR
    colours = np.array(pal[:768] + [0] * (768 - len(pal[:768]))).reshape(256, 3)[index]
    assert not (opaque & (colours == 255).all(axis=2)).any(), f"{path}: opaque white pixel"
    return opaque


def check_skin(percent):
    name = scaled_name("skin.gif", percent)
    size = scaled_size(SKIN_SIZE, percent)
    opaque = check_gif(RES / name, size)
    edges = opaque[0].any() or opaque[-1].any() or opaque[:, 0].any() or opaque[:, -1].any()
    assert not edges, f"{name}: the figure touches the image border"
    for control, place in CONTROLS.items():
        x, y, w, h = (n * percent // 100 for n in place)
        m = CONTROL_MARGIN
        assert opaque[y - m:y + h + m, x - m:x + w + m].all(), f"{name}: {control} is not fully on the figure"
    used = len(np.unique(np.asarray(Image.open(RES / name))))
    print(f"{name}    {size[0]}x{size[1]}, {used} palette indexes used,"
          f" {len(CONTROLS)} control places covered with {CONTROL_MARGIN} px to spare")


def check_icon():
    data = (RES / "tarnvel.ico").read_bytes()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (kind, count) == (1, len(ICON_SIZES))
    img = Image.open(RES / "tarnvel.ico")
    end = 6 + 16 * count
    for n, wanted in enumerate(ICON_SIZES):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        assert (w, h, colours, planes, bits) == (wanted, wanted, 0, 1, 8)
        mask_row = (wanted + 31) // 32 * 4
        assert offset == end and size == 40 + 1024 + wanted * wanted + mask_row * wanted
        end += size
        assert struct.unpack_from("<IiiHHI", data, offset) == (40, wanted, 2 * wanted, 1, 8, 0)
        # decode it the way Windows does and compare with the picture it was made from
        img.size = (wanted, wanted)
        img.load()
        decoded = np.asarray(img.convert("RGBA")).astype(int)
        col, opaque = icon_picture(wanted)
        assert ((decoded[..., 3] > 0) == opaque).all(), f"icon {wanted}: AND mask is wrong"
        error = np.abs(decoded[..., :3] - np.rint(col))[opaque].max()
        assert error <= 12, f"icon {wanted}: colours are off by {error}"
    assert end == len(data)
    print(f"tarnvel.ico {count} 8 bpp BMP entries ({', '.join(map(str, ICON_SIZES))} px), {len(data)} bytes,"
          " each decoding to its drawing")


def jpeg_frame_markers(data):
    """Start-of-frame markers of a JPEG file, read from its header segments."""
    found, i = [], 2
    while data[i] == 0xFF and data[i + 1] != 0xDA:  # up to the start of scan
        if 0xC0 <= data[i + 1] <= 0xCF and data[i + 1] not in (0xC4, 0xC8, 0xCC):
            found.append(data[i + 1])
        i += 2 + struct.unpack_from(">H", data, i + 2)[0]
    return found


def check_jpeg():
    img = Image.open(RES / "about.jpg")
    assert img.format == "JPEG" and img.mode == "RGB" and img.size == (164, 160)
    assert jpeg_frame_markers((RES / "about.jpg").read_bytes()) == [0xC0], "about: not a baseline JPEG"
    print("about.jpg   164x160 baseline (SOF0) colour JPEG")


def main():
    RES.mkdir(exist_ok=True)
    for percent in GIF_PERCENTS:
        make_skin(percent)
        make_close(percent)
    make_icon()
    make_about()
    for percent in GIF_PERCENTS:
        check_skin(percent)
        check_gif(RES / scaled_name("close.gif", percent), scaled_size(CLOSE_SIZE, percent))
        print(f"{scaled_name('close.gif', percent)}   {'x'.join(map(str, scaled_size(CLOSE_SIZE, percent)))}"
              " transparent GIF")
    check_icon()
    check_jpeg()


if __name__ == "__main__":
    main()
