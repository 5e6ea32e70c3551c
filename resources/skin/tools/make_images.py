#!/usr/bin/env python3
"""Draws every image of the skin. Run from anywhere; writes into the skin folder.

All shapes are our own, drawn here: a dark field, one accent colour and light grey.
Images that the key buttons tint at draw time are white or grey on transparency.
"""

import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from png import Canvas, rgba  # noqa: E402

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ACCENT = rgba("E0483E")
GREY = rgba("A0A3AD")
LIGHT = rgba("E6E6E6")
WHITE = rgba("FFFFFF")
DARK = rgba("2D2F36")
FIELD = rgba("17181C")


def out(relative):
    path = os.path.join(SKIN, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


def background():
    width, height = 1000, 640
    image = Canvas(width, height)
    top, bottom = rgba("15161A"), rgba("0E0F12")
    for y in range(height):
        for x in range(width):
            t = y / (height - 1)
            # A faint glow of the accent colour in the upper right corner.
            glow = max(0.0, 1.0 - math.hypot(x - width, y) / 520.0) ** 2 * 0.10
            image.pixels[y * width + x] = [
                round(top[i] * (1 - t) + bottom[i] * t + (ACCENT[i] - top[i]) * glow) for i in range(3)
            ] + [255]
    image.save(out("common/background.png"))


def skin_backgrounds():
    """The backgrounds of the skin window: the default's gradient with a glow of another
    colour, full size and as 120 x 77 thumbnails for its buttons."""
    for name, glow_colour in (("ember", "E0483E"), ("ocean", "2F7DE1"), ("forest", "2FBF71")):
        for width, height, suffix in ((1000, 640, ""), (120, 77, "_thumb")):
            image = Canvas(width, height)
            top, bottom, accent = rgba("15161A"), rgba("0E0F12"), rgba(glow_colour)
            for y in range(height):
                for x in range(width):
                    t = y / (height - 1)
                    glow = max(0.0, 1.0 - math.hypot(x - width, y) / (0.6 * width)) ** 2 * 0.35
                    image.pixels[y * width + x] = [
                        round(top[i] * (1 - t) + bottom[i] * t + (accent[i] - top[i]) * glow)
                        for i in range(3)
                    ] + [255]
            image.save(out("backgrounds/bg_%s%s.png" % (name, suffix)))


def keyboard_glyph(image, colour):
    image.round_frame(8, 10, 48, 30, 3, 2, colour)
    for row, y in enumerate((14, 18.5)):
        for i in range(7):
            image.round_rect(12 + i * 4.6 + row * 1.5, y, 15 + i * 4.6 + row * 1.5, y + 2.6, 0.6, colour)
    image.round_rect(18, 23.5, 38, 26, 0.6, colour)


def mouse_glyph(image, colour):
    image.round_frame(19, 5, 37, 35, 9, 2, colour)
    image.line(28, 6, 28, 16, 1.6, colour)
    image.round_rect(26.8, 9, 29.2, 14, 1.2, colour)


def pad_glyph(image, colour, soft):
    image.round_frame(6, 12, 50, 30, 3 if soft else 1, 2, colour)
    if soft:
        for i in range(3):
            image.line(14 + i * 8, 26, 24 + i * 8, 16, 1.2, colour)
    else:
        image.line(10, 27, 46, 27, 1.2, colour)


def headset_glyph(image, colour):
    image.ring(28, 22, 14, 2.2, colour, start=180, sweep=180)
    image.round_rect(12, 20, 18, 32, 2.5, colour)
    image.round_rect(38, 20, 44, 32, 2.5, colour)


def hub_glyph(image, colour):
    image.ellipse(28, 20, 4, 4, colour)
    for angle in range(0, 360, 90):
        x = 28 + 13 * math.cos(math.radians(angle))
        y = 20 + 13 * math.sin(math.radians(angle))
        image.line(28, 20, x, y, 1.8, colour)
        image.round_rect(x - 2.5, y - 2.5, x + 2.5, y + 2.5, 0.8, colour)


def unknown_glyph(image, colour):
    image.ring(28, 20, 13, 2, colour)
    image.ring(28, 16, 4.5, 2, colour, start=180, sweep=270)
    image.line(28, 20.5, 28, 23, 2, colour)
    image.ellipse(28, 27, 1.4, 1.4, colour)


def device_icons():
    glyphs = {
        "kb": keyboard_glyph,
        "ms": mouse_glyph,
        "hard_mp": lambda image, colour: pad_glyph(image, colour, False),
        "soft_mp": lambda image, colour: pad_glyph(image, colour, True),
        "hd": headset_glyph,
        "hub": hub_glyph,
        "unknow": unknown_glyph,
    }
    for prefix, draw in glyphs.items():
        for state, colour in (("normal", GREY), ("selected", ACCENT)):
            for synchro in (False, True):
                image = Canvas(56, 40)
                draw(image, colour)
                if synchro:
                    # Two linked rings: this device follows the shared lighting.
                    image.ring(47, 8, 4, 1.5, ACCENT)
                    image.ring(52, 8, 4, 1.5, ACCENT)
                name = "%s_device_%s%s.png" % (prefix, "synchro_" if synchro else "", state)
                image.save(out("common/device_ico/" + name))


def battery(path, fill, bolt=False, plug=False):
    # Terminal on the left: the power progress covers the drained part from that side.
    image = Canvas(34, 18)
    image.round_rect(1, 6, 4, 12, 1, LIGHT)
    image.round_frame(4, 2, 33, 16, 2.5, 1.6, LIGHT)
    image.round_rect(6.5, 4.5, 30.5, 13.5, 1.2, fill)
    if bolt:
        image.polygon([(20, 3.5), (13.5, 10), (18, 10), (15, 14.5), (22, 8), (17.5, 8)], WHITE)
    if plug:
        image.line(15, 9, 24, 9, 2, WHITE)
        image.line(18, 6, 18, 9, 1.4, WHITE)
        image.line(21, 6, 21, 9, 1.4, WHITE)
    image.save(out(path))


def phone(path, kind):
    image = Canvas(20, 32)
    if kind == "no_device":
        image.round_frame(3, 2, 17, 30, 3, 1.4, rgba("6E6E6E"))
        image.line(3, 30, 17, 2, 1.4, rgba("6E6E6E"))
    else:
        image.round_frame(3, 2, 17, 30, 3, 1.6, LIGHT)
        if kind == "iphone":
            image.ellipse(10, 26.5, 1.6, 1.6, LIGHT)
        elif kind == "samsung":
            image.round_rect(7, 26, 13, 27.5, 0.7, LIGHT)
        else:
            image.ring(10, 16, 3.5, 1.3, LIGHT)
    image.save(out(path))


def power_images():
    battery("power/power.png", rgba("3E8E5E"))
    battery("power/powered.png", rgba("3E8E5E"), plug=True)
    battery("power/powering.png", rgba("C79A2E"), bolt=True)
    for kind in ("iphone", "samsung", "other", "no_device"):
        phone("power/Phone_type_%s.png" % kind, kind)
    image = Canvas(18, 18)
    for radius in (15, 10):
        image.ring(9, 16, radius, 1.8, LIGHT, start=225, sweep=90)
    image.ellipse(9, 14.5, 1.8, 1.8, LIGHT)
    image.save(out("power/wireless.png"))


def slider_images():
    image = Canvas(40, 6)
    image.round_rect(0, 0, 40, 6, 3, ACCENT)
    image.save(out("Control/SliderBar_BK1.png"))
    for name, colour in (("SliderBar1_Thumb.png", ACCENT), ("SliderBar2_Thumb.png", GREY)):
        image = Canvas(16, 16)
        image.ellipse(8, 8, 7.5, 7.5, colour)
        image.ellipse(8, 8, 3, 3, FIELD)
        image.save(out("Control/" + name))


def key_images():
    # Keycaps are stretched with a 6-pixel corner, so one image serves every width.
    for name, body, edge in (("keycap_normal", rgba("24262C"), rgba("3A3D46")),
                             ("keycap_hot", rgba("2D3038"), rgba("5A5E6A")),
                             ("keycap_pushed", rgba("1B1C21"), ACCENT)):
        image = Canvas(24, 24)
        image.round_rect(0, 0, 24, 24, 5, edge)
        image.round_rect(1.2, 1.2, 22.8, 22.8, 4, body)
        image.save(out("key/%s.png" % name))
    # The light: a white rim and a soft inner glow; the key button tints it.
    image = Canvas(24, 24)
    image.round_frame(0, 0, 24, 24, 5, 2, WHITE)
    image.round_frame(2, 2, 22, 22, 3.5, 2, rgba("FFFFFF", 110))
    image.save(out("key/key_light.png"))
    # A changed assignment: an accent dot in the top right corner.
    image = Canvas(24, 24)
    image.ellipse(18, 6, 3, 3, ACCENT)
    image.save(out("key/key_set.png"))
    image = Canvas(24, 24)
    image.round_frame(0, 0, 24, 24, 5, 1.5, GREY)
    image.save(out("key/key_unset.png"))
    # A mouse LED: a short white bar, tinted at draw time.
    image = Canvas(10, 24)
    image.round_rect(1, 1, 9, 23, 4, WHITE)
    image.save(out("key/led_bar.png"))


def mouse_picture():
    width, height = 240, 330
    image = Canvas(width, height)
    cx = width / 2

    def body(x, y):
        # A rounded shell: wider at the palm, narrower at the buttons.
        t = (y - 15) / (height - 30)
        if not 0 <= t <= 1:
            return False
        half = 78 + 22 * math.sin(math.pi * min(t * 1.15, 1.0))
        if t < 0.18:
            half *= math.sqrt(max(0.0, 1 - ((0.18 - t) / 0.18) ** 2)) * 0.35 + 0.65
        if t > 0.88:
            half *= math.sqrt(max(0.0, 1 - ((t - 0.88) / 0.12) ** 2))
        return abs(x - cx) <= half
    image.shape(body, (0, 0, width, height), rgba("1F2126"))
    image.shape(lambda x, y: body(x, y) and not body(x + 2.5, y) or body(x, y) and not body(x - 2.5, y),
                (0, 0, width, height), rgba("3A3D46"))
    image.line(cx, 22, cx, 130, 2, rgba("3A3D46"))
    image.line(40, 130, 200, 130, 2, rgba("3A3D46"))
    image.round_rect(cx - 9, 45, cx + 9, 95, 9, rgba("2D3038"))
    image.round_frame(cx - 9, 45, cx + 9, 95, 9, 1.5, rgba("5A5E6A"))
    image.save(out("mouse/mouse_body.png"))
    image = Canvas(40, 40)
    image.polygon([(20, 4), (36, 20), (20, 36), (4, 20)], WHITE)
    image.polygon([(20, 12), (28, 20), (20, 28), (12, 20)], rgba("FFFFFF", 90))
    image.save(out("mouse/logo_light.png"))


def icons():
    def save(name, draw, size=(20, 20)):
        image = Canvas(*size)
        draw(image)
        image.save(out("common/icon_%s.png" % name))
    save("close", lambda i: (i.line(5, 5, 15, 15, 1.6, LIGHT), i.line(15, 5, 5, 15, 1.6, LIGHT)))
    save("min", lambda i: i.line(5, 14, 15, 14, 1.6, LIGHT))
    save("max", lambda i: i.round_frame(5, 5, 15, 15, 1, 1.5, LIGHT))
    save("restore", lambda i: (i.round_frame(7, 4, 16, 13, 1, 1.4, LIGHT), i.round_frame(4, 7, 13, 16, 1, 1.4, LIGHT)))

    def gear(i):
        for k in range(8):
            a = math.radians(k * 45)
            i.line(10 + 5 * math.cos(a), 10 + 5 * math.sin(a), 10 + 8 * math.cos(a), 10 + 8 * math.sin(a), 2.6, LIGHT)
        i.ring(10, 10, 6.2, 2.2, LIGHT)
    save("set", gear)
    save("skin", lambda i: (i.polygon([(4, 6), (7, 3), (13, 3), (16, 6), (14, 9), (14, 17), (6, 17), (6, 9)], LIGHT),))
    save("game", lambda i: (i.round_frame(2, 6, 18, 15, 4, 1.5, LIGHT), i.line(6, 10.5, 9, 10.5, 1.3, LIGHT),
                            i.line(7.5, 9, 7.5, 12, 1.3, LIGHT), i.ellipse(13.5, 10.5, 1.2, 1.2, LIGHT)))
    save("cloud", lambda i: (i.ellipse(8, 11, 4, 4, LIGHT), i.ellipse(12.5, 9.5, 5, 5, LIGHT),
                             i.round_rect(4, 11, 17, 15, 2, LIGHT)))
    save("eye", lambda i: (i.ring(10, 20, 13, 1.5, LIGHT, start=225, sweep=90), i.ellipse(10, 10, 2.5, 2.5, LIGHT)))
    save("prev", lambda i: i.polygon([(13, 4), (6, 10), (13, 16)], LIGHT))
    save("next", lambda i: i.polygon([(7, 4), (14, 10), (7, 16)], LIGHT))
    save("down", lambda i: i.polygon([(4, 7), (16, 7), (10, 14)], ACCENT), (20, 20))
    save("up", lambda i: i.polygon([(4, 13), (16, 13), (10, 6)], rgba("3E8E5E")), (20, 20))
    save("menu", lambda i: [i.line(4, y, 16, y, 1.6, LIGHT) for y in (6, 10, 14)])

    # Check box and radio marks, 16 x 16, drawn at the left of their control.
    for name, mark in (("check", True), ("radio", False)):
        for state in ("normal", "selected"):
            image = Canvas(16, 16)
            if mark:
                image.round_frame(1, 1, 15, 15, 3, 1.5, GREY if state == "normal" else ACCENT)
                if state == "selected":
                    image.round_rect(1, 1, 15, 15, 3, ACCENT)
                    image.line(4.5, 8, 7, 10.5, 1.8, WHITE)
                    image.line(7, 10.5, 11.5, 5, 1.8, WHITE)
            else:
                image.ring(8, 8, 7, 1.5, GREY if state == "normal" else ACCENT)
                if state == "selected":
                    image.ellipse(8, 8, 3.5, 3.5, ACCENT)
            image.save(out("common/%s_%s.png" % (name, state)))

    # The combo box: a frame with a drop arrow at the right, stretched by its corners.
    image = Canvas(48, 28)
    image.round_rect(0, 0, 48, 28, 4, rgba("3A3D46"))
    image.round_rect(1, 1, 47, 27, 3, rgba("24262C"))
    image.polygon([(31, 12), (39, 12), (35, 17)], LIGHT)
    image.save(out("common/combo.png"))


def main():
    background()
    skin_backgrounds()
    device_icons()
    power_images()
    slider_images()
    key_images()
    mouse_picture()
    icons()


if __name__ == "__main__":
    main()
