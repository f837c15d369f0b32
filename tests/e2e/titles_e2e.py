#!/usr/bin/env python3
"""Window titles under a real X server carry nothing but their own text: the probe's message
boxes (a plain one with the application title, a warning with its own caption) one after the
other, each closed with Return."""
import sys

import e2e_support as e2e


def scenario(run):
    probe = run.launch([run.args.probe])
    x = run.x

    def boxes():
        return {w: x.xdotool("getwindowname", w).stdout.decode().rstrip("\n")
                for w in x.windows("--pid", probe.process.pid)}
    for caption in (e2e.TITLE, "Opening fractal is not possible!"):
        window, name = next(iter(e2e.wait_until(boxes, "no box showed for %r" % caption).items()))
        if name != caption:
            e2e.fail("a message box is titled %r instead of %r" % (name, caption))
        x.key(window, "Return")
        e2e.wait_until(lambda: window not in boxes(), "Return did not close the box %r" % caption)
    probe.ended("closing the last box")


if __name__ == "__main__":
    sys.exit(e2e.main(scenario, options=("probe",)))
