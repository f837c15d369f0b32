#!/usr/bin/env python3
"""The real program on a Wayland session with Xwayland (headless weston), started as from a
desktop, with no platform chosen: it runs on X11, so its main window is an X window of the
Xwayland server, showing the engine's first passes pixel for pixel; SIGTERM ends it with status
0. (Where the X windows stand is weston's rule here; the positions are checked under Xvfb.)"""
import sys

import e2e_support as e2e


def scenario(run):
    session = run.start()
    session.terminate()
    values = session.settings()
    # The window manager placed the window where it liked, which the program may remember.
    if values is not None and values[:2] + values[4:] != [4, 0, 36, 16, 12, 26, 18, 8, 1, 0]:
        e2e.fail("after SIGTERM settings.dat holds %s" % values)


if __name__ == "__main__":
    sys.exit(e2e.main(scenario, desktop=e2e.Weston, xwayland=True, tools=["xdotool", "import"]))
