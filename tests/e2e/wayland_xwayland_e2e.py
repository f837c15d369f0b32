#!/usr/bin/env python3
"""The real program on a Wayland session with Xwayland (headless weston), started as from a
desktop, with no platform chosen: it runs on X11, so its main window is an X window of the
Xwayland server, showing the engine's first passes pixel for pixel; SIGTERM ends it with status
0. (Where the X windows stand is weston's rule here; the positions are checked under Xvfb.)"""
import os
import subprocess
import sys

import e2e_support as e2e
import weston_support as weston


def scenario(compositor, run):
    program, start, pictures = run()
    x_client = dict(os.environ, DISPLAY=compositor.x_display)
    x_client.pop("QT_QPA_PLATFORM", None)

    def x_window_shows_start():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                "^" + e2e.TITLE + "$"], env=x_client, capture_output=True,
                               check=False).stdout.split()
        if not found:
            return False
        shot = subprocess.run(["import", "-window", found[0].decode(), "-depth", "8", "ppm:-"],
                              env=x_client, capture_output=True, check=False)
        return shot.returncode == 0 and weston.shows_start_pictures(e2e.read_ppm(shot.stdout),
                                                                    pictures)

    e2e.wait_until(lambda: program.running() and x_window_shows_start(),
                   "no X window of the Xwayland server showed the start's pictures", 0.5)
    program.terminate()
    values = weston.read_settings(start)
    # The window manager placed the window where it liked, which the program may remember.
    if values is not None and values[:2] + values[4:] != [4, 0, 36, 16, 12, 26, 18, 8, 1, 0]:
        e2e.fail("after SIGTERM settings.dat holds %s" % values)


if __name__ == "__main__":
    sys.exit(weston.main(scenario, xwayland=True, tools=["xdotool", "import"]))
