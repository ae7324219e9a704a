#!/usr/bin/env python3
"""Finds the frames that the program draws its windows in on a screenshot (Wayland).

Each frame's top edge is an unbroken line of the frame colour, RGB(60,60,60), and so is its
left edge, down past the title bar (the title's text breaks the lines between). Prints
"LEFT TOP WIDTH" for the top edge of every frame at least 100 px wide, top to bottom.

Usage: frames.py SCREENSHOT.png
"""

import re
import subprocess
import sys

FRAME = 0x3C
MIN_WIDTH = 100
LEFT_EDGE = 60  # rows of the left edge checked below the top


def read_ppm(path):
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    # Header: P6, width, height, maxval, each separated by white space, then the pixels.
    fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields.group(1)), int(fields.group(2))
    return width, height, data[fields.end():]


def main():
    width, height, pixels = read_ppm(sys.argv[1])
    stride = width * 3
    run_pattern = re.compile(bytes([FRAME]) + b"{%d,}" % (MIN_WIDTH * 3))
    seen = set()
    for y in range(height):
        row = pixels[y * stride:(y + 1) * stride]
        for match in run_pattern.finditer(row):
            # Whole pixels only: a neighbour's last channel may also be 0x3C.
            left = (match.start() + 2) // 3
            right = match.end() // 3
            if right - left < MIN_WIDTH or (left, right) in seen or y + LEFT_EDGE > height:
                continue
            edge = (pixels[(y + k) * stride + left * 3:(y + k) * stride + left * 3 + 3]
                    for k in range(LEFT_EDGE))
            if any(pixel != bytes([FRAME] * 3) for pixel in edge):
                continue
            seen.add((left, right))
            print(left, y, right - left)


if __name__ == "__main__":
    main()
