#!/usr/bin/env python3
"""The fractal browser under Xvfb, driven with the keyboard only: O and Enter open a fractal file,
and the live view then shows exactly what zirvanta-render makes of that file; S, a typed name and
Enter save it, and the new file holds the opened file's 60 bytes."""
import os
import struct
import subprocess
import sys

import e2e_support as e2e

# c = 0.2855 - 0.0107i, centre (0.0625, -0.125), width 1.5, palette SLS 60 10 20 7 8 9.
SPIRAL = struct.pack("<ii2d3f6i", 1, 5, 0.2855, -0.0107, 0.0625, -0.125, 1.5, 60, 10, 20, 7, 8, 9)


def read_bmp(path):
    """(width, height, RGB bytes from the top row down) of a 24-bit bottom-up BMP."""
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (3 * width + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = data[offset + y * stride:offset + y * stride + 3 * width]
        rows.append(bytes(b for i in range(0, len(row), 3) for b in row[i:i + 3][::-1]))
    return width, height, b"".join(rows)


def dialog(session, title):
    """The browser's window once it shows, with the keyboard focus given to it."""
    found = []

    def shown():
        found[:] = session.xdotool("search", "--onlyvisible", "--name",
                                   "^%s$" % title).stdout.split()
        return bool(found)

    e2e.wait_until(shown, "the window \"%s\" did not open" % title, 0.2)
    window = found[0].decode()
    session.xdotool("windowfocus", "--sync", window)
    return window


def scenario(start_program):
    render = os.environ["ZIRVANTA_RENDER"]
    session = start_program()
    fractals = os.path.join(session.start, "fractals")
    with open(os.path.join(fractals, "spiral.frc"), "wb") as out:
        out.write(SPIRAL)
    expected_bmp = os.path.join(os.path.dirname(session.start), "spiral.bmp")
    subprocess.run([render, "live", os.path.join(fractals, "spiral.frc"), expected_bmp], check=True)
    expected = read_bmp(expected_bmp)

    session.key("o")
    dialog(session, "Fractal opening")
    session.xdotool("key", "Return")
    x, y = session.origin
    e2e.wait_until(lambda: e2e.region_matches(session.screenshot(), x + e2e.PIC[0],
                                              y + e2e.PIC[1], expected),
                   "after opening spiral the live view does not show zirvanta-render's picture")

    session.key("s")
    dialog(session, "Fractal preservation")
    session.xdotool("type", "--delay", "50", "copy of spiral")
    session.xdotool("key", "Return")
    saved = os.path.join(fractals, "copy of spiral.frc")
    e2e.wait_until(lambda: os.path.exists(saved), "saving did not write \"copy of spiral.frc\"")
    if open(saved, "rb").read() != SPIRAL:
        e2e.fail("the saved file does not hold the opened fractal's 60 bytes")
    session.close_with_ctrl_q()


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
