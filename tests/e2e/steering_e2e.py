#!/usr/bin/env python3
"""Steers the real program under Xvfb with keys and clicks and checks its pictures.

After each action the live view, the general view with its marker and the palette strip must
show exactly what the engine's plain passes make of the state the action leads to (the
reference helper applies the same steps through the engine):

  + key, zoom tool (L) click, - key, the "+" step button of Re(c), "To apply" off with a type
  chosen (nothing changes) and then U (applied), Home, a click on the general view, and a factor
  drag (K) of 53 pixels.
"""
import sys
import time

import e2e_support as e2e

SETTLE = 1.5  # seconds to wait before deciding that a picture did not change
PLUS_CX = (584 + 75 + 6, 142 + 32 + 4)
TO_APPLY = (40 + 556 + 7, 412 + 48 + 8)
PALETTE_TYPE = (40 + 556 + 36, 412 + 16 + 10)


def screen_point(session, place, offset=(0, 0)):
    return [str(session.origin[i] + place[i] + offset[i]) for i in (0, 1)]


def click(session, place, offset=(0, 0)):
    session.display.run("xdotool", "mousemove", "--sync", *screen_point(session, place, offset),
                        "click", "1")


def drag(session, place, start, end):
    run = session.display.run
    run("xdotool", "mousemove", "--sync", *screen_point(session, place, start), "mousedown", "1")
    run("xdotool", "mousemove", "--sync", *screen_point(session, place, end))
    run("xdotool", "mouseup", "1")


def visible_windows(session):
    return len(session.display.run("xdotool", "search", "--onlyvisible", "--pid",
                                   str(session.program.pid)).stdout.split())


def scenario(start_program):
    session = start_program()
    session.key("plus")
    session.expect("the + key", "plus")
    session.key("l")
    click(session, e2e.PIC, (100, 300))
    session.expect("a zoom-tool click", "zoom-in", 100, 300)
    session.key("minus")
    session.expect("the - key", "minus")
    click(session, PLUS_CX)
    session.expect("the + button of Re(c)", "cx", 403)

    # "To apply" off: the type chosen in the list waits for U.
    click(session, TO_APPLY)
    windows = visible_windows(session)
    click(session, PALETTE_TYPE)
    e2e.wait_until(lambda: visible_windows(session) == windows + 1,
                   "the palette type list did not open", 0.2)
    session.display.run("xdotool", "key", "Down", "Return")
    e2e.wait_until(lambda: visible_windows(session) == windows,
                   "the palette type list did not close", 0.2)
    time.sleep(SETTLE)
    if not session.shows_now(session.references()):
        e2e.fail("choosing SSS with \"To apply\" off changed the pictures")
    session.key("u")
    session.expect("the U key", "type", 2)

    session.key("Home")
    session.expect("the Home key", "home")
    click(session, e2e.GENERAL_VIEW, (20, 20))
    session.expect("a click on the general view", "general", 20, 20)
    session.key("k")
    drag(session, e2e.PIC, (100, 200), (153, 200))
    session.expect("a factor drag of 53 pixels", "factor-drag", 53, 0)

    session.close_with_ctrl_q()
    values = session.settings()
    if not values or values[10] != 2:
        e2e.fail("settings.dat holds %s, expected palette type 2" % values)


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
