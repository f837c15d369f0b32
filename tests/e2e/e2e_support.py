"""What the end-to-end scripts share: an Xvfb display, screenshots compared with the reference
helper's pictures, and runs of the real program in a fresh start folder.
Exit status: 0 passed, 1 failed, 77 skipped (no Xvfb, ImageMagick import or xdotool)."""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
PATIENCE = 180.0  # seconds; a slow or busy machine must never fail the test
TITLE = "Zirvanta 1.02"
# Where the live view, the general view and the palette strip stand in the client area.
PIC = (46, 0)
GENERAL_VIEW = (584 + 8, 28 + 17)
STRIP = (40 + 8, 412 + 17)


class Failure(Exception):
    pass


def fail(message):
    raise Failure(message)


# A binary PPM's header: P6, width, height and 255 apart by blanks or comments, then one blank.
_GAP = rb"(?:\s|#[^\n]*\n)+"
PPM_HEADER = re.compile(rb"P6" + _GAP + rb"(\d+)" + _GAP + rb"(\d+)" + _GAP + rb"255\s")


def read_ppm(data):
    """(width, height, bytes) of a binary PPM with maxval 255."""
    header = PPM_HEADER.match(data)
    if not header:
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(header.group(1)), int(header.group(2))
    return width, height, data[header.end():header.end() + 3 * width * height]


def wait_until(condition, message, interval=0.3):
    """Polls condition() until it holds; fails after PATIENCE seconds."""
    deadline = time.monotonic() + PATIENCE
    while not condition():
        if time.monotonic() > deadline:
            fail(message)
        time.sleep(interval)


def region_matches(shot, left, top, expected):
    width, height, pixels = shot
    ew, eh, epixels = expected
    row = 3 * ew
    starts = [3 * ((top + y) * width + left) for y in range(eh)]
    return (0 <= left <= width - ew and 0 <= top <= height - eh and
            all(pixels[s:s + row] == epixels[y * row:(y + 1) * row] for y, s in enumerate(starts)))


class Display:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.log = tempfile.TemporaryFile()
        # Without -noreset the server resets each time its last client leaves, and a program
        # connecting just then (while a probe such as xdotool disconnects) is turned away.
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self.log)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline()
        if not number.strip():
            self.server.kill()
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip())
        self.env.pop("QT_QPA_PLATFORM", None)

    def run(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, check=False)

    def screenshot(self):
        result = self.run("import", "-window", "root", "-depth", "8", "ppm:-")
        return read_ppm(result.stdout) if result.returncode == 0 else None

    def close(self):
        self.server.terminate()
        try:
            self.server.wait(10)
        except subprocess.TimeoutExpired:
            self.server.kill()


class Session:
    """The program started in the start folder on the display, and the reference pictures of the
    steps given so far (see live_reference.cpp)."""

    def __init__(self, display, program, reference, start, work):
        self.display = display
        self.reference = reference
        self.start = start
        self.names = [os.path.join(work, n) for n in ("live.ppm", "general.ppm", "strip.ppm")]
        self.steps = []
        self.program = subprocess.Popen([program], cwd=start, env=display.env)
        self.window = self.origin = None  # origin: the client area's top left on the screen

    def references(self):
        subprocess.run([self.reference, self.start] + self.names + self.steps, check=True)
        return [read_ppm(open(n, "rb").read()) for n in self.names]

    def shows(self, shot, references):
        x, y = self.origin
        return shot is not None and all(region_matches(shot, x + place[0], y + place[1], picture)
                   for place, picture in zip((PIC, GENERAL_VIEW, STRIP), references))

    def xdotool(self, *args):
        return self.display.run("xdotool", *[str(a) for a in args])

    def window_position(self):
        result = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in result.stdout.decode().split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def screenshot(self):
        if self.program.poll() is not None:
            fail("the program ended early with status %d" % self.program.returncode)
        return self.display.screenshot()

    def wait_for_window(self):
        """Waits until the window shows the pictures of the start; finds its client area."""
        references = self.references()
        wait_until(lambda: self.find_client_area(references),
                   "the window never showed the start's pictures", 0.5)

    def find_client_area(self, references):
        found = self.xdotool("search", "--onlyvisible", "--name", "^" + TITLE + "$").stdout.split()
        shot = self.screenshot() if found else None
        if shot:
            self.window = found[0].decode()
            x, y = self.window_position()
            # The menu bar's height depends on the font; the client area starts below it.
            for menu in range(60):
                self.origin = (x, y + menu)
                if self.shows(shot, references):
                    return True
        return False

    def shows_now(self, references):
        return self.shows(self.screenshot(), references)

    def expect(self, what, *steps):
        """Adds the steps and waits until the window shows what the engine makes of them."""
        self.steps.extend(str(s) for s in steps)
        references = self.references()
        wait_until(lambda: self.shows_now(references),
                   "after %s the window does not show the engine's pictures (steps: %s)"
                   % (what, " ".join(self.steps)))

    def key(self, *names):
        self.xdotool("windowfocus", "--sync", self.window)
        self.xdotool("key", *names)

    def point(self, place, offset):
        return [self.origin[i] + place[i] + offset[i] for i in (0, 1)]

    def click(self, place, offset=(0, 0)):
        self.xdotool("mousemove", "--sync", *self.point(place, offset), "click", "1")

    def drag(self, place, start, end):
        self.xdotool("mousemove", "--sync", *self.point(place, start), "mousedown", "1")
        self.xdotool("mousemove", "--sync", *self.point(place, end))
        self.xdotool("mouseup", "1")

    def close_with_ctrl_q(self):
        self.key("ctrl+q")
        wait_until(lambda: self.program.poll() is not None, "Ctrl+Q did not close the program")
        if self.program.returncode != 0:
            fail("the program ended with status %d" % self.program.returncode)

    def settings(self):
        """The twelve values of settings.dat, or None when there is no such file."""
        try:
            data = open(os.path.join(self.start, "settings.dat"), "rb").read()
        except FileNotFoundError:
            return None
        if len(data) != 48:
            fail("settings.dat holds %d bytes, not 48" % len(data))
        return list(struct.unpack("<12i", data))

    def end(self):
        self.program.kill()  # nothing if it has ended
        self.program.wait()


def main(scenario):
    """Runs scenario(start) in a fresh start folder, where start(): Session starts the program."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--reference", required=True)
    args = parser.parse_args()
    for tool in ("Xvfb", "import", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return SKIP
    with tempfile.TemporaryDirectory(prefix="zirvanta-e2e-") as work:
        start = os.path.join(work, "start")
        os.mkdir(start)
        display = Display()
        sessions = []

        def start_program():
            sessions.append(Session(display, os.path.abspath(args.program),
                                    os.path.abspath(args.reference), start, work))
            sessions[-1].wait_for_window()
            return sessions[-1]

        try:
            scenario(start_program)
        except Failure as failure:
            state = display.server.poll()
            display.log.seek(0)
            print("FAIL: %s\nX server (%s, %s):\n%s" % (
                failure, display.env["DISPLAY"], "running" if state is None else
                "ended with %s" % state, display.log.read().decode(errors="replace")),
                file=sys.stderr)
            return 1
        finally:
            for session in sessions:
                session.end()
            display.close()
    print("PASS")
    return 0
