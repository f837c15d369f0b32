#!/usr/bin/env python3
"""The real program on a Wayland session without an X server (headless weston, no Xwayland): it
starts on Wayland, shows the engine's first passes pixel for pixel, and ends with status 0 on
SIGTERM, writing settings.dat as its Close command does. The compositor never tells the window
where it stands, so an unchanged window writes nothing, and a rewritten file keeps the position
it was read with."""
import sys

import e2e_support as e2e


def scenario(run):
    session = run.start()
    session.terminate()
    if session.settings() is not None:
        e2e.fail("closing an unchanged window on Wayland wrote settings.dat with %s"
                 % session.settings())

    # Palette type 12 is read as type 1, so closing rewrites the file, with the stored position.
    stored = [7, 1, 101, 77, 40, 20, 10, 30, 5, 9, 12, 0]
    session = run.start(lambda folder: e2e.write_settings(folder, stored))
    session.terminate()
    if session.settings() != stored[:10] + [1, 0]:
        e2e.fail("after SIGTERM on Wayland settings.dat holds %s" % session.settings())


if __name__ == "__main__":
    sys.exit(e2e.main(scenario, desktop=e2e.Weston, xwayland=False, tools=["weston-screenshooter", "convert"]))
