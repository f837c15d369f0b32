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


def in_dialog(session, key, title):
    """Presses the key and gives the keyboard focus to the browser it opens."""
    session.key(key)
    window = e2e.wait_until(lambda: session.x.windows("--name", "^%s$" % title),
                            "the window \"%s\" did not open" % title, 0.2)[0]
    session.x.xdotool("windowfocus", "--sync", window)


def scenario(run):
    session = run.start()
    spiral = os.path.join(session.start, "fractals", "spiral.frc")
    with open(spiral, "wb") as out:
        out.write(SPIRAL)
    expected = os.path.join(run.work, "spiral.bmp")
    subprocess.run([os.environ["ZIRVANTA_RENDER"], "live", spiral, expected], check=True)
    expected = e2e.read_image(expected)

    in_dialog(session, "o", "Fractal opening")
    session.x.xdotool("key", "Return")
    e2e.wait_until(lambda: e2e.region_matches(session.screenshot(), session.origin[0] + e2e.PIC[0],
                                              session.origin[1] + e2e.PIC[1], expected),
                   "after opening spiral the live view does not show zirvanta-render's picture")

    in_dialog(session, "s", "Fractal preservation")
    session.x.xdotool("type", "--delay", "50", "copy of spiral")
    session.x.xdotool("key", "Return")
    saved = os.path.join(session.start, "fractals", "copy of spiral.frc")
    e2e.wait_until(lambda: os.path.exists(saved), "saving did not write \"copy of spiral.frc\"")
    if open(saved, "rb").read() != SPIRAL:
        e2e.fail("the saved file does not hold the opened fractal's 60 bytes")
    session.close_with_ctrl_q()


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
