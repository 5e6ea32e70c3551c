"""Draws the application icon as PNG: the tray icon in the skin and the installed icon.

The same picture as tools/app/vivori-trivex.svg: a key cap under a lit arc on a dark
rounded square."""

import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from png import Canvas, rgba  # noqa: E402


def draw(size):
    s = size / 64.0
    image = Canvas(size, size)
    image.round_rect(2 * s, 2 * s, 62 * s, 62 * s, 12 * s, rgba("#121317"))
    image.ring(32 * s, 30 * s, 20 * s, 5 * s, rgba("#E0483E"), start=180.0, sweep=180.0)
    image.round_rect(17 * s, 31 * s, 47 * s, 55 * s, 6 * s, rgba("#E6E6E6"))
    image.round_rect(19 * s, 33 * s, 45 * s, 53 * s, 5 * s, rgba("#2D2F36"))
    image.line(25 * s, 38 * s, 32 * s, 48 * s, 3 * s, rgba("#E0483E"))
    image.line(32 * s, 48 * s, 39 * s, 38 * s, 3 * s, rgba("#E0483E"))
    return image


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    draw(32).save(os.path.join(root, "tray.png"))
    draw(64).save(os.path.join(root, "..", "..", "tools", "app", "vivori-trivex.png"))
