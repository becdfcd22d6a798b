#!/usr/bin/python3
"""Decodes a BMP file that vcxcap wrote, with Pillow, and checks that it shows
what the camera shows: KIND "colour-bars" (75 % bars, left to right white,
yellow, cyan, green, magenta, red, blue, black, each bar's centre checked in
the bottom eighth of the picture, which the driver's text leaves clear),
"vcxcam" (the virtual camera's test picture, see frames/decode_snapshot.py)
or anything else (a picture that decodes).

usage: check_picture.py FILE KIND [WIDTH HEIGHT]
"""
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "frames"))
import decode_snapshot  # noqa: E402

ON = 191
BARS = [(ON, ON, ON), (ON, ON, 0), (0, ON, ON), (0, ON, 0),
        (ON, 0, ON), (ON, 0, 0), (0, 0, ON), (0, 0, 0)]
TOLERANCE = 24


def colour_bars(image):
    width, height = image.size
    for y in (height - 1 - height // 32, height - 1 - height // 16, height - 1 - height // 10):
        for bar, want in enumerate(BARS):
            x = (2 * bar + 1) * width // 16
            got = image.getpixel((x, y))
            if any(abs(g - w) > TOLERANCE for g, w in zip(got, want)):
                return f"bar {bar} at {x},{y} is {got}, not {want}"
    return None


def main(path, kind, size):
    with Image.open(path) as image:
        if image.format != "BMP" or image.mode != "RGB":
            return f"{path}: {image.format} {image.mode}, not an RGB BMP"
        if size and image.size != size:
            return f"{path}: {image.size[0]}x{image.size[1]}, not {size[0]}x{size[1]}"
        if kind == "colour-bars":
            problem = colour_bars(image)
            return f"{path}: {problem}" if problem else None
        if kind == "vcxcam":
            return decode_snapshot.main(path, *image.size)
    return None


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], tuple(int(v) for v in sys.argv[3:5])))
