#!/usr/bin/env python3
"""Full screen and the slide show in the real program under Xvfb: F shows the start-up fractal
over the whole 1280 x 1024 screen exactly as zirvanta-render draws it, Esc closes it; F10 with
one fractal in the folder shows that fractal over the whole screen, a key ends the show and the
window shows its start pictures again.
The renderer's path comes in ZIRVANTA_RENDER; the gallery folder in ZIRVANTA_GALLERY."""
import os
import shutil
import subprocess
import sys

import e2e_support as e2e


def scenario(run):
    gallery = os.environ["ZIRVANTA_GALLERY"]
    session = run.start()
    references = session.references()

    def covers_screen(fractal, key, what):
        out = os.path.join(run.work, fractal + ".bmp")
        subprocess.run([os.environ["ZIRVANTA_RENDER"], "--plain", "picture",
                        os.path.join(gallery, fractal), "1280", "1024", out], check=True)
        picture = e2e.read_image(out)
        session.key(key)
        e2e.wait_until(lambda: e2e.region_matches(session.screenshot(), 0, 0, picture),
                       "%s did not show %s over the whole screen" % (key, what))

    covers_screen("startup.frc", "f", "the start-up fractal")
    session.x.xdotool("key", "Escape")
    e2e.wait_until(lambda: session.shows_now(references), "Esc did not close the full-screen view")

    shutil.copy(os.path.join(gallery, "dragon.frc"), os.path.join(session.start, "fractals"))
    covers_screen("dragon.frc", "F10", "the folder's fractal")
    session.x.xdotool("key", "space")
    e2e.wait_until(lambda: session.shows_now(references),
                   "after the show the window does not show what it showed before")
    session.close_with_ctrl_q()


if __name__ == "__main__":
    sys.exit(e2e.main(scenario))
