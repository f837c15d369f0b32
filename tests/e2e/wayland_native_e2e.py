#!/usr/bin/env python3
"""The real program on a Wayland session without an X server (headless weston, no Xwayland): it
starts on Wayland, shows the engine's first passes pixel for pixel, and ends with status 0 on
SIGTERM, writing settings.dat as its Close command does. The compositor never tells the window
where it stands, so the stored position is kept: an unchanged window writes nothing, and a
rewritten file keeps the position it was read with."""
import sys

import e2e_support as e2e
import weston_support as weston


def first_passes_shown(compositor, program, pictures):
    e2e.wait_until(lambda: program.running() and
                   weston.shows_start_pictures(compositor.screenshot(), pictures),
                   "the window never showed the start's pictures on Wayland", 0.5)


def scenario(compositor, run):
    program, start, pictures = run()
    first_passes_shown(compositor, program, pictures)
    program.terminate()
    if weston.read_settings(start) is not None:
        e2e.fail("closing an unchanged window on Wayland wrote settings.dat with %s"
                 % weston.read_settings(start))

    # Palette type 12 is read as type 1, so closing rewrites the file, with the stored position.
    stored = [7, 1, 101, 77, 40, 20, 10, 30, 5, 9, 12, 0]
    program, start, pictures = run(lambda folder: weston.write_settings(folder, stored))
    first_passes_shown(compositor, program, pictures)
    program.terminate()
    values = weston.read_settings(start)
    if values != stored[:10] + [1, 0]:
        e2e.fail("after SIGTERM on Wayland settings.dat holds %s, not %s"
                 % (values, stored[:10] + [1, 0]))


if __name__ == "__main__":
    sys.exit(weston.main(scenario, xwayland=False, tools=["weston-screenshooter", "convert"]))
