#!/usr/bin/env python3
"""Steers the real program under Xvfb with keys and clicks; after each action the window must show
exactly what the reference helper makes of the same steps through the engine."""
import sys
import time

import e2e_support as e2e

SETTLE = 1.5  # seconds to wait before deciding that a picture did not change
PLUS_CX = (584 + 75 + 6, 142 + 32 + 4)
E_CX = (584 + 10 + 30, 142 + 32 + 8)
TO_APPLY = (40 + 556 + 7, 412 + 48 + 8)
PALETTE_TYPE = (40 + 556 + 36, 412 + 16 + 10)


def scenario(run):
    session = run.start()
    session.key("plus")
    session.expect("the + key", "plus")
    session.key("l")
    session.click(e2e.PIC, (100, 300))
    session.expect("a zoom-tool click", "zoom-in", 100, 300)
    session.key("minus")
    session.expect("the - key", "minus")
    session.click(PLUS_CX)
    session.expect("the + button of Re(c)", "cx", 403)

    # "To apply" off: the type chosen in the list waits for U.
    session.click(TO_APPLY)
    windows = lambda: len(session.x.windows("--pid", session.process.pid))
    closed = windows()
    session.click(PALETTE_TYPE)
    e2e.wait_until(lambda: windows() == closed + 1, "the palette type list did not open", 0.2)
    session.x.xdotool("key", "Down", "Return")
    e2e.wait_until(lambda: windows() == closed, "the palette type list did not close", 0.2)
    time.sleep(SETTLE)
    if not session.shows_now(session.references()):
        e2e.fail("choosing SSS with \"To apply\" off changed the pictures")
    session.key("u")
    session.expect("the U key", "type", 2)

    # Home goes to its command also after a click into the read-only Re(c) box.
    session.click(E_CX)
    session.key("Home")
    session.expect("the Home key after a click into the Re(c) box", "home")
    session.click(e2e.GENERAL_VIEW, (20, 20))
    session.expect("a click on the general view", "general", 20, 20)
    session.key("k")
    session.drag(e2e.PIC, (100, 200), (153, 200))
    session.expect("a factor drag of 53 pixels", "factor-drag", 53, 0)

    session.close_with_ctrl_q()
    values = session.settings()
    if not values or values[10] != 2:
        e2e.fail("settings.dat holds %s, expected palette type 2" % values)


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
