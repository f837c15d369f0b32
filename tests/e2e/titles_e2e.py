#!/usr/bin/env python3
"""Window titles under a real X server carry nothing but their own text: the probe's message
boxes (a plain one with the application title, a warning with its own caption) one after the
other, each closed with Return."""
import argparse
import shutil
import subprocess
import sys

import e2e_support as e2e

CAPTIONS = ["Zirvanta 1.02", "Opening fractal is not possible!"]


def visible_names(display, pid):
    found = display.run("xdotool", "search", "--onlyvisible", "--pid", str(pid)).stdout.split()
    return {w.decode(): display.run("xdotool", "getwindowname", w).stdout.decode().rstrip("\n")
            for w in found}


def scenario(display, probe):
    program = subprocess.Popen([probe], env=display.env)
    try:
        for caption in CAPTIONS:
            shown = {}

            def box_shown():
                shown.update(visible_names(display, program.pid))
                return bool(shown)
            e2e.wait_until(box_shown, "no message box showed for %r" % caption)
            window, name = next(iter(shown.items()))
            if name != caption:
                e2e.fail("a message box is titled %r instead of %r" % (name, caption))
            display.run("xdotool", "windowfocus", "--sync", window)
            display.run("xdotool", "key", "Return")
            e2e.wait_until(lambda: window not in visible_names(display, program.pid),
                           "Return did not close the box %r" % caption)
        e2e.wait_until(lambda: program.poll() is not None, "the probe did not end")
    finally:
        program.kill()
        program.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return e2e.SKIP
    display = e2e.Display()
    try:
        scenario(display, args.probe)
    except e2e.Failure as failure:
        print("FAIL: %s" % failure, file=sys.stderr)
        return 1
    finally:
        display.close()
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
