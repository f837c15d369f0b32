#!/usr/bin/env python3
"""The real program under Xvfb in a fresh start folder: the first window, titled "Zirvanta 1.02"
exactly, shows the engine's plain passes pixel for pixel (e2e_support checks both at every start);
its window class is Zirvanta; Ctrl+Q on an unchanged window
writes no settings.dat; moving the window to (101, 77) writes it with that position."""
import os
import sys

import e2e_support as e2e


def scenario(start_program):
    session = start_program()
    for folder in ("fractals", "paletts"):
        if not os.path.isdir(os.path.join(session.start, folder)):
            e2e.fail("the start folder has no %s folder" % folder)
    # The desktop knows the program by its window class; the title is the title alone.
    classed = session.xdotool("search", "--onlyvisible", "--class", "^Zirvanta$").stdout
    if session.window.encode() not in classed.split():
        e2e.fail("the main window's class is not Zirvanta")
    session.close_with_ctrl_q()
    if session.settings() is not None:
        e2e.fail("closing an unchanged window wrote settings.dat")

    session = start_program()
    session.xdotool("windowmove", "--sync", session.window, 101, 77)
    e2e.wait_until(lambda: session.window_position() == (101, 77), "the window did not move", 0.2)
    session.close_with_ctrl_q()
    values = session.settings()
    if values != [4, 0, 101, 77, 36, 16, 12, 26, 18, 8, 1, 0]:
        e2e.fail("moving the window and closing left settings.dat with %s" % values)


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
