#!/usr/bin/env python3
"""The real program under Xvfb in a fresh start folder: its window is titled "Zirvanta 1.02" alone
and shows the engine's plain passes pixel for pixel (checked at every start), its class is
Zirvanta; Ctrl+Q on an unchanged window writes no settings.dat; moving the window to (101, 77)
writes it with that position."""
import os
import sys

import e2e_support as e2e


def scenario(run):
    session = run.start()
    for folder in ("fractals", "paletts"):
        if not os.path.isdir(os.path.join(session.start, folder)):
            e2e.fail("the start folder has no %s folder" % folder)
    # The desktop knows the program by its window class.
    if session.window not in session.x.windows("--class", "^Zirvanta$"):
        e2e.fail("the main window's class is not Zirvanta")
    session.close_with_ctrl_q()
    if session.settings() is not None:
        e2e.fail("closing an unchanged window wrote settings.dat")

    session = run.start()
    session.x.xdotool("windowmove", "--sync", session.window, 101, 77)
    e2e.wait_until(lambda: b"\nX=101\nY=77\n" in session.x.xdotool(
        "getwindowgeometry", "--shell", session.window).stdout, "the window did not move", 0.2)
    session.close_with_ctrl_q()
    values = session.settings()
    if values != [4, 0, 101, 77, 36, 16, 12, 26, 18, 8, 1, 0]:
        e2e.fail("moving the window and closing left settings.dat with %s" % values)


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
