#!/usr/bin/env python3
"""Full screen and the slide show in the real program under Xvfb, as a new user meets them: F
shows the start-up fractal over the whole 1280 x 1024 screen exactly as zirvanta-render draws
the picture, Esc closes it; F10 with one fractal in the folder shows that fractal over the whole
screen, a key ends the show and the window shows its start pictures again.
The renderer's path comes in ZIRVANTA_RENDER; the gallery folder in ZIRVANTA_GALLERY."""
import os
import shutil
import subprocess
import sys

import e2e_support as e2e

SCREEN = (1280, 1024)


def render_picture(fractal, work, name):
    """zirvanta-render's plain W x H picture of the fractal, as (width, height, RGB bytes)."""
    out = os.path.join(work, name + ".bmp")
    subprocess.run([os.environ["ZIRVANTA_RENDER"], "--plain", "picture", fractal,
                    str(SCREEN[0]), str(SCREEN[1]), out], check=True)
    data = open(out, "rb").read()
    width, height = SCREEN
    stride = (3 * width + 3) // 4 * 4
    rows = []
    for y in range(height):  # bottom-up BGR rows
        row = data[54 + (height - 1 - y) * stride:54 + (height - 1 - y) * stride + 3 * width]
        rgb = bytearray(3 * width)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(bytes(rgb))
    return width, height, b"".join(rows)


def covers_screen(session, picture):
    shot = session.screenshot()
    return shot is not None and e2e.region_matches(shot, 0, 0, picture)


def scenario(start_program):
    gallery = os.environ["ZIRVANTA_GALLERY"]
    session = start_program()
    work = os.path.dirname(session.start)
    start_picture = render_picture(os.path.join(gallery, "startup.frc"), work, "startup")
    session.key("f")
    e2e.wait_until(lambda: covers_screen(session, start_picture),
                   "F did not show the start-up fractal over the whole screen")
    session.xdotool("key", "Escape")
    references = session.references()
    e2e.wait_until(lambda: session.shows_now(references),
                   "Esc did not close the full-screen view")

    shutil.copy(os.path.join(gallery, "dragon.frc"), os.path.join(session.start, "fractals"))
    slide = render_picture(os.path.join(gallery, "dragon.frc"), work, "dragon")
    session.key("F10")
    e2e.wait_until(lambda: covers_screen(session, slide),
                   "F10 did not show the folder's fractal over the whole screen")
    session.xdotool("key", "space")
    e2e.wait_until(lambda: session.shows_now(references),
                   "after the show the window does not show what it showed before")
    session.close_with_ctrl_q()


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
