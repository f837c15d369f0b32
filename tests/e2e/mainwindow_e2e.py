#!/usr/bin/env python3
"""Starts the real program under Xvfb in a fresh start folder and checks what a new user sees.

1. The window opens with the live view, the general view and the palette strip exactly as the
   engine's plain passes make them (compared with a screenshot, pixel for pixel).
2. Ctrl+Q closes it without writing settings.dat.
3. A second start, the window moved to (101, 77), Ctrl+Q: a 48-byte settings.dat with that
   position and the default values.

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

SKIP = 77
PATIENCE = 180.0  # seconds; a slow or busy machine must never fail the test
TITLE = "Zirvanta 1.02"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def read_ppm(data):
    """(width, height, bytes) of a binary PPM with maxval 255."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + 3 * width * height]
    return width, height, pixels


class Display:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.server.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("QT_QPA_PLATFORM", None)

    def run(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, check=False)

    def screenshot(self):
        result = self.run("import", "-window", "root", "-depth", "8", "ppm:-")
        if result.returncode != 0:
            return None
        return read_ppm(result.stdout)

    def close(self):
        self.server.terminate()
        try:
            self.server.wait(10)
        except subprocess.TimeoutExpired:
            self.server.kill()


def find_window(display):
    result = display.run("xdotool", "search", "--onlyvisible", "--name", "^" + TITLE + "$")
    ids = result.stdout.split()
    return ids[0].decode() if ids else None


def window_position(display, window):
    result = display.run("xdotool", "getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in result.stdout.decode().split() if "=" in line)
    return int(values["X"]), int(values["Y"])


def region_matches(shot, left, top, expected):
    width, height, pixels = shot
    ew, eh, epixels = expected
    if left < 0 or top < 0 or left + ew > width or top + eh > height:
        return False
    for row in range(eh):
        start = 3 * ((top + row) * width + left)
        if pixels[start:start + 3 * ew] != epixels[3 * row * ew:3 * (row + 1) * ew]:
            return False
    return True


def wait_for_pictures(display, program, references):
    """Waits until the window shows all three pictures; returns the window id and its menu height."""
    live, general, strip = references
    deadline = time.monotonic() + PATIENCE
    while time.monotonic() < deadline:
        if program.poll() is not None:
            fail("the program ended early with status %d" % program.returncode)
        window = find_window(display)
        shot = display.screenshot() if window else None
        if shot:
            x, y = window_position(display, window)
            # The menu bar's height depends on the font; the client area starts below it.
            for menu in range(0, 60):
                client_top = y + menu
                if (region_matches(shot, x + 46, client_top, live)
                        and region_matches(shot, x + 584 + 8, client_top + 28 + 17, general)
                        and region_matches(shot, x + 40 + 8, client_top + 412 + 17, strip)):
                    return window, menu
        time.sleep(0.5)
    fail("the live view, general view and palette strip never showed the expected pictures")


def close_with_ctrl_q(display, program, window):
    display.run("xdotool", "windowfocus", "--sync", window)
    display.run("xdotool", "key", "ctrl+q")
    try:
        program.wait(PATIENCE)
    except subprocess.TimeoutExpired:
        program.kill()
        fail("Ctrl+Q did not close the program")
    if program.returncode != 0:
        fail("the program ended with status %d" % program.returncode)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--reference", required=True)
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    args.reference = os.path.abspath(args.reference)
    for tool in ("Xvfb", "import", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return SKIP

    with tempfile.TemporaryDirectory(prefix="zirvanta-e2e-") as work:
        start = os.path.join(work, "start")
        os.mkdir(start)
        names = [os.path.join(work, n) for n in ("live.ppm", "general.ppm", "strip.ppm")]
        subprocess.run([args.reference, start] + names, check=True)
        references = [read_ppm(open(n, "rb").read()) for n in names]
        settings = os.path.join(start, "settings.dat")

        display = Display()
        started = []

        def start_program():
            program = subprocess.Popen([args.program], cwd=start, env=display.env)
            started.append(program)
            return program

        try:
            # First start as a new user: the pictures, then Ctrl+Q writes nothing.
            program = start_program()
            window, _ = wait_for_pictures(display, program, references)
            for folder in ("fractals", "paletts"):
                if not os.path.isdir(os.path.join(start, folder)):
                    fail("the start folder has no %s folder" % folder)
            close_with_ctrl_q(display, program, window)
            if os.path.exists(settings):
                fail("closing an unchanged window wrote settings.dat")

            # Second start: move the window, close, and the new position is remembered.
            program = start_program()
            window, _ = wait_for_pictures(display, program, references)
            display.run("xdotool", "windowmove", "--sync", window, "101", "77")
            deadline = time.monotonic() + PATIENCE
            while window_position(display, window) != (101, 77):
                if time.monotonic() > deadline:
                    fail("the window did not move")
                time.sleep(0.2)
            close_with_ctrl_q(display, program, window)
            if not os.path.exists(settings) or os.path.getsize(settings) != 48:
                fail("moving the window and closing did not write a 48-byte settings.dat")
            values = list(struct.unpack("<12i", open(settings, "rb").read()))
            expected = [4, 0, 101, 77, 36, 16, 12, 26, 18, 8, 1, 0]
            if values != expected:
                fail("settings.dat holds %s, expected %s" % (values, expected))
        finally:
            for program in started:
                if program.poll() is None:
                    program.kill()
                    program.wait()
            display.close()
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
