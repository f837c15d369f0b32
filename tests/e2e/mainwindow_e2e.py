#!/usr/bin/env python3
"""Starts the real program under Xvfb in a fresh start folder and checks what a new user sees.

1. The window opens with the live view, the general view and the palette strip exactly as the
   engine's plain passes make them (compared with a screenshot, pixel for pixel).
2. Ctrl+Q closes it without writing settings.dat.
3. A second start, the window moved to (101, 77), Ctrl+Q: a 48-byte settings.dat with that
   position and the default values.
"""
import os
import sys

import e2e_support as e2e


def scenario(start_program):
    session = start_program()
    for folder in ("fractals", "paletts"):
        if not os.path.isdir(os.path.join(session.start, folder)):
            e2e.fail("the start folder has no %s folder" % folder)
    session.close_with_ctrl_q()
    if session.settings() is not None:
        e2e.fail("closing an unchanged window wrote settings.dat")

    session = start_program()
    session.display.run("xdotool", "windowmove", "--sync", session.window, "101", "77")
    e2e.wait_until(lambda: session.window_position() == (101, 77), "the window did not move", 0.2)
    session.close_with_ctrl_q()
    values = session.settings()
    if values != [4, 0, 101, 77, 36, 16, 12, 26, 18, 8, 1, 0]:
        e2e.fail("moving the window and closing left settings.dat with %s" % values)


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
