#!/usr/bin/env python3
"""Steers the real program under Xvfb with keys and clicks and checks its pictures.

After each action the live view, the general view with its marker and the palette strip must
show exactly what the engine's plain passes make of the state the action leads to (the
reference helper applies the same steps through the engine):

  + key, zoom tool (L) click, - key, the "+" step button of Re(c), "To apply" off with a type
  chosen (nothing changes) and then U (applied), Home, a click on the general view, and a factor
  drag (K) of 53 pixels.

Exit status 0 passed, 1 failed, 77 skipped (no Xvfb, ImageMagick import or xdotool).
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mainwindow_e2e as base  # noqa: E402

SKIP = 77
PATIENCE = base.PATIENCE
SETTLE = 1.5  # seconds to wait before deciding that a picture did not change

# Places in the main window's client area (below the menu bar).
PIC = (46, 0)
GENERAL_VIEW = (584 + 8, 28 + 17)
STRIP = (40 + 8, 412 + 17)
PLUS_CX = (584 + 75 + 6, 142 + 32 + 4)
TO_APPLY = (40 + 556 + 7, 412 + 48 + 8)
PALETTE_TYPE = (40 + 556 + 36, 412 + 16 + 10)


class Session:
    def __init__(self, display, program, reference, start, work):
        self.display = display
        self.program = program
        self.reference = reference
        self.start = start
        self.names = [os.path.join(work, n) for n in ("live.ppm", "general.ppm", "strip.ppm")]
        self.steps = []
        self.window = None
        self.origin = None  # the client area's top left on the screen

    def references(self):
        subprocess.run([self.reference, self.start] + self.names + self.steps, check=True)
        return [base.read_ppm(open(n, "rb").read()) for n in self.names]

    def shows(self, shot, references):
        live, general, strip = references
        x, y = self.origin
        return (base.region_matches(shot, x + PIC[0], y + PIC[1], live)
                and base.region_matches(shot, x + GENERAL_VIEW[0], y + GENERAL_VIEW[1], general)
                and base.region_matches(shot, x + STRIP[0], y + STRIP[1], strip))

    def expect(self, what, *steps):
        """Adds the steps and waits until the window shows what the engine makes of them."""
        self.steps.extend(str(s) for s in steps)
        references = self.references()
        deadline = time.monotonic() + PATIENCE
        while time.monotonic() < deadline:
            if self.program.poll() is not None:
                base.fail("the program ended early with status %d" % self.program.returncode)
            shot = self.display.screenshot()
            if shot and self.shows(shot, references):
                return shot
            time.sleep(0.3)
        base.fail("after %s the window does not show the engine's pictures (steps: %s)"
                  % (what, " ".join(self.steps)))

    def expect_unchanged(self, what):
        time.sleep(SETTLE)
        shot = self.display.screenshot()
        if not shot or not self.shows(shot, self.references()):
            base.fail("%s changed the pictures" % what)

    def screen_point(self, place, offset):
        return self.origin[0] + place[0] + offset[0], self.origin[1] + place[1] + offset[1]

    def key(self, *names):
        self.display.run("xdotool", "windowfocus", "--sync", self.window)
        self.display.run("xdotool", "key", *names)

    def click(self, place, offset=(0, 0)):
        x, y = self.screen_point(place, offset)
        self.display.run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1")

    def visible_windows(self):
        result = self.display.run("xdotool", "search", "--onlyvisible", "--pid",
                                  str(self.program.pid))
        return len(result.stdout.split())

    def wait_for_windows(self, count, what):
        deadline = time.monotonic() + PATIENCE
        while self.visible_windows() != count:
            if time.monotonic() > deadline:
                base.fail(what)
            time.sleep(0.2)

    def choose_next_palette_type(self):
        """Opens the palette type list, takes the next item and waits until the list is gone."""
        windows = self.visible_windows()
        self.click(PALETTE_TYPE)
        self.wait_for_windows(windows + 1, "the palette type list did not open")
        self.display.run("xdotool", "key", "Down", "Return")
        self.wait_for_windows(windows, "the palette type list did not close")

    def drag(self, place, start, end):
        sx, sy = self.screen_point(place, start)
        ex, ey = self.screen_point(place, end)
        run = self.display.run
        run("xdotool", "mousemove", "--sync", str(sx), str(sy), "mousedown", "1")
        run("xdotool", "mousemove", "--sync", str(ex), str(ey))
        run("xdotool", "mouseup", "1")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--reference", required=True)
    parser.add_argument("--screenshot", help="also save the last screenshot here (PPM)")
    args = parser.parse_args()
    program_path = os.path.abspath(args.program)
    reference_path = os.path.abspath(args.reference)
    for tool in ("Xvfb", "import", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return SKIP

    with tempfile.TemporaryDirectory(prefix="zirvanta-steer-") as work:
        start = os.path.join(work, "start")
        os.mkdir(start)
        display = base.Display()
        program = None
        try:
            program = subprocess.Popen([program_path], cwd=start, env=display.env)
            session = Session(display, program, reference_path, start, work)
            session.window, menu = base.wait_for_pictures(display, program, session.references())
            x, y = base.window_position(display, session.window)
            session.origin = (x, y + menu)

            session.key("plus")
            session.expect("the + key", "plus")
            session.key("l")
            session.click(PIC, (100, 300))
            session.expect("a zoom-tool click", "zoom-in", 100, 300)
            session.key("minus")
            session.expect("the - key", "minus")
            session.click(PLUS_CX)
            session.expect("the + button of Re(c)", "cx", 403)

            # "To apply" off: the chosen type waits for U.
            session.click(TO_APPLY)
            session.choose_next_palette_type()
            session.expect_unchanged("choosing SSS with \"To apply\" off")
            session.key("u")
            last = session.expect("the U key", "type", 2)

            session.key("Home")
            session.expect("the Home key", "home")
            session.click(GENERAL_VIEW, (20, 20))
            session.expect("a click on the general view", "general", 20, 20)
            session.key("k")
            session.drag(PIC, (100, 200), (153, 200))
            last = session.expect("a factor drag of 53 pixels", "factor-drag", 53, 0)
            if args.screenshot:
                width, height, pixels = last
                with open(args.screenshot, "wb") as out:
                    out.write(b"P6\n%d %d\n255\n" % (width, height) + pixels)

            base.close_with_ctrl_q(display, program, session.window)
            values = struct.unpack("<12i", open(os.path.join(start, "settings.dat"), "rb").read())
            if values[10] != 2:
                base.fail("settings.dat holds palette type %d, expected 2" % values[10])
        finally:
            if program is not None and program.poll() is None:
                program.kill()
                program.wait()
            display.close()
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
