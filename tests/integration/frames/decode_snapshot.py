#!/usr/bin/python3
"""Decodes the BMP file that vcxcap's frame test wrote, with Pillow, and checks
that it holds the vcxcam test picture: for some frame number f, the pixel in
column x of row y (from the top) is red (x XOR y) mod 256, green y mod 256,
blue (x + f) mod 256.

usage: decode_snapshot.py FILE WIDTH HEIGHT
"""
import sys

from PIL import Image


def main(path, width, height):
    with Image.open(path) as image:
        if image.format != "BMP" or image.mode != "RGB" or image.size != (width, height):
            return f"{path}: {image.format} {image.mode} {image.size}, not a {width}x{height} RGB BMP"
        pixels = image.tobytes()
    frame = pixels[2]  # the blue of the top left pixel
    expected = bytearray()
    for y in range(height):
        for x in range(width):
            expected += bytes(((x ^ y) % 256, y % 256, (x + frame) % 256))
    if pixels != expected:
        first = next(i for i in range(len(expected)) if pixels[i] != expected[i])
        return f"{path}: not the camera's picture; first difference at byte {first}"
    print(f"{path}: the camera's picture, frame {frame} (mod 256)")
    return None


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3])))
