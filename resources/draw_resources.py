#!/usr/bin/python3
"""Draws the library's own images, bitmaps, icons and cursors in one flat style.

Run with Debian's python3-pil: /usr/bin/python3 resources/draw_resources.py
The files land in resources/art/ and are committed, so a build needs no drawing step.
"""
import io
import os
import struct

from PIL import Image, ImageDraw

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")
SCALE = 4  # shapes are drawn large and scaled down for smooth edges

# The palette of the whole set.
TITLE_TOP = (52, 100, 156)
TITLE_BOTTOM = (36, 74, 120)
GLYPH = (255, 255, 255)
CLOSE_HOVER = (214, 48, 49)
CLOSE_DOWN = (168, 30, 32)
ACCENT = (30, 110, 190)
BORDER = (134, 150, 168)
FACE_TOP = (253, 253, 253)
FACE_BOTTOM = (242, 242, 242)
DISABLED = (176, 176, 176)
TOOLBAR = (40, 40, 40)


def canvas(width, height, fill=(0, 0, 0, 0)):
    image = Image.new("RGBA", (width * SCALE, height * SCALE), fill)
    return image, ImageDraw.Draw(image)


def finish(image):
    width, height = image.size
    return image.resize((width // SCALE, height // SCALE), Image.LANCZOS)


def s(*values):
    """Scales coordinates given in final pixels."""
    return [v * SCALE for v in values]


def vertical_gradient(width, height, top, bottom):
    image = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / max(1, height - 1)
        draw.line([(0, y), (width, y)], fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return image


# Title-bar buttons: a glyph on the title band, with a plate behind it when hovered or pressed.
BUTTON = (26, 18)


def title_button(glyph, state, danger=False):
    image, draw = canvas(*BUTTON)
    plates = {
        "normal": None,
        "hover": CLOSE_HOVER + (255,) if danger else (255, 255, 255, 60),
        "down": CLOSE_DOWN + (255,) if danger else (0, 0, 0, 70),
    }
    if plates[state]:
        draw.rounded_rectangle(s(1, 1, BUTTON[0] - 1, BUTTON[1] - 1), radius=3 * SCALE, fill=plates[state])
    cx, cy = BUTTON[0] / 2, BUTTON[1] / 2
    width = round(1.4 * SCALE)
    if glyph == "close":
        for a, b in (((-4, -4), (4, 4)), ((-4, 4), (4, -4))):
            draw.line(s(cx + a[0], cy + a[1], cx + b[0], cy + b[1]), fill=GLYPH, width=width)
    elif glyph == "minimise":
        draw.line(s(cx - 5, cy + 3, cx + 5, cy + 3), fill=GLYPH, width=width)
    elif glyph == "maximise":
        draw.rectangle(s(cx - 5, cy - 4, cx + 5, cy + 4), outline=GLYPH, width=width)
        draw.line(s(cx - 5, cy - 3, cx + 5, cy - 3), fill=GLYPH, width=width)
    elif glyph == "restore":
        draw.rectangle(s(cx - 2, cy - 5, cx + 5, cy + 1), outline=GLYPH, width=width)
        draw.rectangle(s(cx - 5, cy - 2, cx + 2, cy + 5), fill=(0, 0, 0, 0))
        draw.rectangle(s(cx - 5, cy - 2, cx + 2, cy + 5), outline=GLYPH, width=width)
    return finish(image)


def check_box(checked, enabled):
    image, draw = canvas(13, 13)
    border = BORDER if enabled else DISABLED
    face = (255, 255, 255) if enabled else (240, 240, 240)
    mark = ACCENT if enabled else DISABLED
    draw.rounded_rectangle(s(0, 0, 13, 13), radius=2 * SCALE, fill=border)
    draw.rounded_rectangle(s(1, 1, 12, 12), radius=1 * SCALE, fill=face)
    if checked:
        draw.line(s(3, 6.5, 5.5, 9, 10, 3.5), fill=mark, width=round(1.8 * SCALE), joint="curve")
    return finish(image)


def title_band():
    return vertical_gradient(8, 26, TITLE_TOP, TITLE_BOTTOM)


def progress_background():
    image = vertical_gradient(64, 12, (70, 74, 79), (30, 32, 35))
    ImageDraw.Draw(image).rectangle([0, 0, 63, 11], outline=(20, 20, 20))
    return image


def progress_tile():
    image = vertical_gradient(7, 12, (120, 200, 255), (40, 130, 220))
    draw = ImageDraw.Draw(image)
    draw.line([(0, 0), (6, 0)], fill=(20, 20, 20))
    draw.line([(0, 11), (6, 11)], fill=(20, 20, 20))
    return image


# The web window's toolbar: back, forward, stop, refresh, home; rows normal, hot, disabled.
def web_toolbar():
    strip = Image.new("RGB", (125, 75), TOOLBAR)
    rows = [((205, 205, 205), None), ((255, 255, 255), (64, 64, 64)), ((95, 95, 95), None)]
    for row, (ink, plate) in enumerate(rows):
        for column, glyph in enumerate(["back", "forward", "stop", "refresh", "home"]):
            image, draw = canvas(25, 25, TOOLBAR + (255,))
            if plate:
                draw.rounded_rectangle(s(2, 2, 23, 23), radius=4 * SCALE, fill=plate)
            web_glyph(draw, glyph, ink)
            strip.paste(finish(image).convert("RGB"), (column * 25, row * 25))
    return strip


def web_glyph(draw, glyph, ink):
    width = round(1.8 * SCALE)
    if glyph in ("back", "forward"):
        d = -1 if glyph == "back" else 1
        tip = 12.5 + 6 * d
        draw.line(s(12.5 - 6 * d, 12.5, tip, 12.5), fill=ink, width=width)
        draw.line(s(tip - 5 * d, 7.5, tip, 12.5, tip - 5 * d, 17.5), fill=ink, width=width, joint="curve")
    elif glyph == "stop":
        for a, b in (((7, 7), (18, 18)), ((7, 18), (18, 7))):
            draw.line(s(*a, *b), fill=ink, width=width)
    elif glyph == "refresh":
        draw.arc(s(6.5, 6.5, 18.5, 18.5), start=-60, end=250, fill=ink, width=width)
        draw.polygon(s(16.5, 3.5, 20.5, 8.5, 14, 9.5), fill=ink)
    elif glyph == "home":
        draw.line(s(5.5, 12.5, 12.5, 6, 19.5, 12.5), fill=ink, width=width, joint="curve")
        draw.line(s(8.5, 11, 8.5, 19, 16.5, 19, 16.5, 11), fill=ink, width=width, joint="curve")
        draw.rectangle(s(11.5, 14.5, 13.5, 19), fill=ink)


# Faces of the standard dialog button, 66 x 20 and 98 x 20; the button writes its caption over them.
def button_face(width, state):
    faces = {
        "normal": (FACE_TOP, FACE_BOTTOM, BORDER),
        "hover": ((246, 251, 255), (225, 240, 252), ACCENT),
        "pressed": ((214, 229, 244), (199, 218, 238), (22, 90, 160)),
        "disabled": ((246, 246, 246), (246, 246, 246), (204, 204, 204)),
    }
    top, bottom, border = faces[state]
    face = vertical_gradient(width, 20, top, bottom).convert("RGBA")
    mask, draw = canvas(width, 20)
    draw.rounded_rectangle(s(0, 0, width, 20), radius=3 * SCALE, fill=(255, 255, 255, 255))
    mask = finish(mask).split()[3]
    outline, draw = canvas(width, 20)
    draw.rounded_rectangle(s(0, 0, width, 20), radius=3 * SCALE, outline=border + (255,), width=SCALE)
    image = Image.new("RGBA", (width, 20), (0, 0, 0, 0))
    image.paste(face, (0, 0), mask)
    return Image.alpha_composite(image, finish(outline))


# Cursors: white shapes with a dark outline, 32 x 32.
def outlined(draw_shape):
    image, draw = canvas(32, 32)
    draw_shape(draw, (0, 0, 0, 255), round(3.4 * SCALE))
    draw_shape(draw, (255, 255, 255, 255), round(1.4 * SCALE))
    return finish(image)


def split_cursor(horizontal_drag):
    def shape(draw, ink, width):
        def p(x, y):  # coordinates for the left-right cursor, turned for the up-down one
            return (x, y) if horizontal_drag else (y, x)

        for bar in (13.5, 18.5):
            draw.line(s(*p(bar, 7), *p(bar, 25)), fill=ink, width=width)
        for tip, shaft_end, wings in ((3, 10.5, 7), (29, 21.5, 25)):
            draw.line(s(*p(tip, 16), *p(shaft_end, 16)), fill=ink, width=width)
            draw.line(s(*p(wings, 12), *p(tip, 16), *p(wings, 20)), fill=ink, width=width, joint="curve")

    return outlined(shape)


def row_drag_cursor():
    image, draw = canvas(32, 32)
    arrow = [(1, 1), (1, 18), (5.5, 14), (8.5, 21), (11, 20), (8, 13.5), (14, 13.5)]
    draw.polygon([c for point in arrow for c in s(*point)], fill=(0, 0, 0, 255))
    inner = [(2.2, 3.6), (2.2, 15.4), (5.9, 12.2), (9, 19.4), (9.8, 19), (6.6, 12.5), (11.4, 12.5)]
    draw.polygon([c for point in inner for c in s(*point)], fill=(255, 255, 255, 255))
    # A dragged row below the pointer.
    draw.rectangle(s(12, 22, 30, 30), fill=(0, 0, 0, 255))
    draw.rectangle(s(13, 23, 29, 29), fill=(255, 255, 255, 255))
    draw.line(s(15, 26, 27, 26), fill=ACCENT + (255,), width=2 * SCALE)
    return finish(image)


def dib(image):
    """A 32-bit icon bitmap: colour rows bottom-up, then the 1-bit AND mask (set where transparent)."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = image.load()
    colour = bytearray()
    for y in reversed(range(height)):
        for x in range(width):
            r, g, b, a = pixels[x, y]
            colour += bytes((b, g, r, a))
    stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if pixels[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(colour) + bytes(mask)


def icon_file(image, hotspot=None):
    """An .ico file, or a .cur file when a hot spot is given."""
    width, height = image.size
    data = dib(image)
    kind = 1 if hotspot is None else 2
    planes_or_x, bits_or_y = (1, 32) if hotspot is None else hotspot
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, planes_or_x, bits_or_y, len(data), 6 + 16)
    return directory + entry + data


def save(name, data):
    with open(os.path.join(ART, name), "wb") as f:
        f.write(data)


def png(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def bmp(image):
    out = io.BytesIO()
    image.convert("RGB").save(out, "BMP")
    return out.getvalue()


def main():
    os.makedirs(ART, exist_ok=True)
    for glyph in ("close", "minimise", "maximise", "restore"):
        for state in ("normal", "hover", "down"):
            save("title_%s_%s.png" % (glyph, state), png(title_button(glyph, state, danger=glyph == "close")))
    for checked in (True, False):
        for enabled in (True, False):
            name = "check_%s%s.png" % ("on" if checked else "off", "" if enabled else "_disabled")
            save(name, png(check_box(checked, enabled)))
    save("title_band.bmp", bmp(title_band()))
    save("progress_back.bmp", bmp(progress_background()))
    save("progress_tile.bmp", bmp(progress_tile()))
    save("web_toolbar.bmp", bmp(web_toolbar()))
    for width, suffix in ((66, ""), (98, "_wide")):
        for state in ("normal", "hover", "pressed", "disabled"):
            save("button_%s%s.ico" % (state, suffix), icon_file(button_face(width, state)))
    save("split_we.cur", icon_file(split_cursor(True), hotspot=(16, 16)))
    save("split_ns.cur", icon_file(split_cursor(False), hotspot=(16, 16)))
    save("row_drag.cur", icon_file(row_drag_cursor(), hotspot=(1, 1)))


if __name__ == "__main__":
    main()
