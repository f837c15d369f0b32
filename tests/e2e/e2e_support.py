"""What the end-to-end scripts share: a desktop (an Xvfb display, or headless weston with or
without Xwayland), screenshots compared with the reference helper's pictures, and runs of the
real program in fresh start folders.
Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing or weston cannot start here)."""
import argparse
import glob
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
PATIENCE = 180.0  # seconds; a slow or busy machine must never fail the test
TITLE = "Zirvanta 1.02"
# Where the live view, the general view and the palette strip stand in the client area.
PIC, GENERAL_VIEW, STRIP = (46, 0), (584 + 8, 28 + 17), (40 + 8, 412 + 17)


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def fail(message):
    raise Failure(message)


def wait_until(condition, message, interval=0.3):
    """Polls condition() until it gives a true value, which it returns; fails after PATIENCE."""
    deadline = time.monotonic() + PATIENCE
    while not (value := condition()):
        if time.monotonic() > deadline:
            fail(message)
        time.sleep(interval)
    return value


# A binary PPM's header: P6, width, height and 255 apart by blanks or comments, then one blank.
_GAP = rb"(?:\s|#[^\n]*\n)+"
PPM_HEADER = re.compile(rb"P6" + _GAP + rb"(\d+)" + _GAP + rb"(\d+)" + _GAP + rb"255\s")


def read_ppm(data):
    """(width, height, RGB bytes) of a binary PPM with maxval 255, or None."""
    header = PPM_HEADER.match(data)
    if not header:
        return None
    width, height = int(header.group(1)), int(header.group(2))
    return width, height, data[header.end():header.end() + 3 * width * height]


def read_image(path):
    """(width, height, RGB bytes) of an image file such as a BMP or PNG, or None."""
    return read_ppm(subprocess.run(["convert", path, "-depth", "8", "ppm:-"],
                                   capture_output=True, check=False).stdout)


def region_matches(shot, left, top, expected):
    if shot is None:
        return False
    width, height, pixels = shot
    ew, eh, epixels = expected
    row = 3 * ew
    starts = [3 * ((top + y) * width + left) for y in range(eh)]
    return (0 <= left <= width - ew and 0 <= top <= height - eh and
            all(pixels[s:s + row] == epixels[y * row:(y + 1) * row] for y, s in enumerate(starts)))


def find_picture(shot, picture):
    """The top left of the place where the screenshot shows the picture exactly, or None."""
    width, height, pixels = shot
    pw, ph, ppixels = picture
    middle = ph // 2
    needle = ppixels[3 * pw * middle:3 * pw * (middle + 1)]
    for y in range(middle, height - (ph - middle) + 1):
        row = pixels[3 * width * y:3 * width * (y + 1)]
        at = row.find(needle)
        while at >= 0:
            if at % 3 == 0 and region_matches(shot, at // 3, y - middle, picture):
                return at // 3, y - middle
            at = row.find(needle, at + 1)
    return None


def write_settings(start, values):
    with open(os.path.join(start, "settings.dat"), "wb") as out:
        out.write(struct.pack("<12i", *values))


def environment(**values):
    """This process's environment with no display, session or platform but the values given."""
    env = {name: value for name, value in os.environ.items() if name not in (
        "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM")}
    return dict(env, **values)


def needs(tools, missing=Skip):
    for tool in tools:
        if shutil.which(tool) is None:
            raise missing("%s is not installed" % tool)


class X:
    """A client of an X server: xdotool and ImageMagick's import."""

    def __init__(self, display):
        self.env = environment(DISPLAY=display)

    def run(self, *args):
        return subprocess.run([str(a) for a in args], env=self.env, capture_output=True,
                              check=False)

    def xdotool(self, *args):
        return self.run("xdotool", *args)

    def windows(self, *criteria):
        """The visible windows that match, e.g. ("--name", "^title$") or ("--pid", pid)."""
        found = self.xdotool("search", "--onlyvisible", *criteria).stdout
        return [w.decode() for w in found.split()]

    def key(self, window, *names):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", *names)

    def screenshot(self, window="root"):
        return read_ppm(self.run("import", "-window", window, "-depth", "8", "ppm:-").stdout)


class Desktop:
    """A display server logging to a file, and the programs started on it; `env` is its
    clients' environment, `x` a client of its X server if it has one."""

    def __init__(self, args, work, command, **popen):
        self.args, self.work, self.programs, self.x = args, work, [], None
        self.log_path = os.path.join(work, "server.log")
        with open(self.log_path, "wb") as log:
            self.server = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                           stdout=subprocess.DEVNULL, stderr=log, **popen)

    def log(self):
        return open(self.log_path, errors="replace").read()

    def report(self):
        return "%s (status %s):\n%s" % (self.server.args[0], self.server.poll(), self.log())

    def launch(self, command, cwd=None, env=None):
        self.programs.append(Program(self, command, cwd, env))
        return self.programs[-1]

    def start(self, prepare=None):
        """The program started in a new start folder, prepared by prepare(folder) if given,
        once its window shows the start's pictures."""
        folder = os.path.join(self.work, "start%d" % len(self.programs))
        os.mkdir(folder)
        if prepare:
            prepare(folder)
        self.programs.append(Session(self, folder))
        self.programs[-1].find_window()
        return self.programs[-1]

    def close(self):
        for program in self.programs:
            program.end()
        self.server.terminate()
        try:
            self.server.wait(30)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()


class Xvfb(Desktop):
    """A 1280 x 1024 Xvfb display; screenshots are of the whole screen."""

    def __init__(self, args, work):
        needs(("Xvfb", "import", "convert", "xdotool"))
        read_end, write_end = os.pipe()
        # Without -noreset the server resets each time its last client leaves, and a program
        # connecting just then (while a probe such as xdotool disconnects) is turned away.
        super().__init__(args, work, ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                      "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                         pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            self.x = X(":" + pipe.readline().strip().decode())
        self.env = self.x.env

    def screenshot(self, window):
        return self.x.screenshot()


class Weston(Desktop):
    """weston --backend=headless-backend.so in a private runtime folder, drawing with pixman so
    that screenshots hold the clients' exact pixels, with or without Xwayland."""
    SOCKET = "wayland-zirvanta-e2e"

    def __init__(self, args, work, xwayland, tools):
        needs(["weston"])
        needs(tools + (["Xwayland"] if xwayland else []), Failure)  # scripts/install-deps
        self.runtime = tempfile.mkdtemp(prefix="runtime-", dir=work)
        os.chmod(self.runtime, 0o700)
        # --debug lets weston-screenshooter take screenshots.
        super().__init__(args, work, ["weston", "--backend=headless-backend.so", "--use-pixman",
                                      "--debug", "--width=1280", "--height=1024",
                                      "--socket=" + self.SOCKET] + ["--xwayland"] * xwayland,
                         env=environment(XDG_RUNTIME_DIR=self.runtime))

        def ready():
            if self.server.poll() is not None:
                raise Skip("weston ended:\n" + self.report())
            marker = "xserver listening on display "
            lines = [line for line in self.log().splitlines() if marker in line]
            if lines:
                self.x = X(lines[0].split(marker, 1)[1].split()[0])
            return os.path.exists(os.path.join(self.runtime, self.SOCKET)) and (
                self.x or not xwayland)
        try:
            wait_until(ready, "weston did not start", 0.1)
        except Failure:
            self.close()
            raise Skip("weston did not start:\n" + self.log())
        # A Wayland desktop session's environment, without a platform chosen by the user.
        self.env = environment(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.SOCKET,
                               XDG_SESSION_TYPE="wayland",
                               **({"DISPLAY": self.x.env["DISPLAY"]} if self.x else {}))

    def screenshot(self, window):
        """The X window, or else the whole output."""
        if window:
            return self.x.screenshot(window)
        folder = tempfile.mkdtemp(prefix="shot-", dir=self.runtime)
        taken = subprocess.run(["weston-screenshooter"], cwd=folder, capture_output=True,
                               env=self.env, check=False)
        files = glob.glob(os.path.join(folder, "*.png"))
        shot = taken.returncode == 0 and files and read_image(files[0])
        shutil.rmtree(folder, ignore_errors=True)
        return shot or None


class Program:
    """A process started on the desktop; `window` is its main window once found by its title."""

    def __init__(self, desktop, command, cwd=None, env=None):
        self.desktop, self.x, self.window = desktop, desktop.x, None
        self.process = subprocess.Popen(command, cwd=cwd, env=env or desktop.env)

    def running(self):
        if self.process.poll() is not None:
            fail("the program ended early with status %d" % self.process.returncode)
        return True

    def titled(self):
        """True once a visible window bears the title alone; it becomes `window`."""
        self.running()
        found = self.x.windows("--name", "^%s$" % TITLE)
        self.window = found[0] if found else None
        return bool(found)

    def key(self, *names):
        self.x.key(self.window, *names)

    def ended(self, how):
        """Waits until the program ends after `how`, and requires status 0."""
        wait_until(lambda: self.process.poll() is not None, "%s did not end the program" % how)
        if self.process.returncode != 0:
            fail("after %s the program ended with status %d" % (how, self.process.returncode))

    def close_with_ctrl_q(self):
        self.key("ctrl+q")
        self.ended("Ctrl+Q")

    def terminate(self):
        """Sends SIGTERM, as a session's logout does."""
        self.process.send_signal(signal.SIGTERM)
        self.ended("SIGTERM")

    def end(self):
        self.process.kill()  # nothing if it has ended
        self.process.wait()


class Session(Program):
    """The program in a start folder, and the reference pictures of the steps given so far (see
    live_reference.cpp); `origin` is the client area's top left in the screenshots."""

    def __init__(self, desktop, start):
        self.start, self.steps, self.origin = start, [], None
        super().__init__(desktop, [os.path.abspath(desktop.args.program)], start)

    def references(self):
        names = [os.path.join(self.desktop.work, n + ".ppm") for n in ("live", "general", "strip")]
        subprocess.run([os.path.abspath(self.desktop.args.reference), self.start] + names +
                       self.steps, check=True)
        return [read_ppm(open(n, "rb").read()) for n in names]

    def screenshot(self):
        self.running()
        return self.desktop.screenshot(self.window)

    def shows_now(self, references, shot=None):
        shot = shot or self.screenshot()
        x, y = self.origin
        return all(region_matches(shot, x + place[0], y + place[1], picture)
                   for place, picture in zip((PIC, GENERAL_VIEW, STRIP), references))

    def find_window(self):
        """Waits until the window shows the start's pictures, and finds its client area."""
        references = self.references()

        def found():
            shot = (self.titled() if self.x else self.running()) and self.screenshot()
            spot = shot and find_picture(shot, references[0])
            if spot:
                self.origin = (spot[0] - PIC[0], spot[1] - PIC[1])
            return spot and self.shows_now(references, shot)
        wait_until(found, "no window %sshowed the start's pictures"
                   % ("titled \"%s\" " % TITLE if self.x else ""), 0.5)

    def expect(self, what, *steps):
        """Adds the steps and waits until the window shows what the engine makes of them."""
        self.steps.extend(str(s) for s in steps)
        references = self.references()
        wait_until(lambda: self.shows_now(references),
                   "after %s the window does not show the engine's pictures (steps: %s)"
                   % (what, " ".join(self.steps)))

    def point(self, place, offset):
        return [self.origin[i] + place[i] + offset[i] for i in (0, 1)]

    def click(self, place, offset=(0, 0)):
        self.x.xdotool("mousemove", "--sync", *self.point(place, offset), "click", "1")

    def drag(self, place, start, end):
        self.x.xdotool("mousemove", "--sync", *self.point(place, start), "mousedown", "1")
        self.x.xdotool("mousemove", "--sync", *self.point(place, end), "mouseup", "1")

    def settings(self):
        """The twelve values of settings.dat, or None when there is no such file."""
        try:
            data = open(os.path.join(self.start, "settings.dat"), "rb").read()
        except FileNotFoundError:
            return None
        if len(data) != 48:
            fail("settings.dat holds %d bytes, not 48" % len(data))
        return list(struct.unpack("<12i", data))


def main(scenario, options=("program", "reference"), desktop=Xvfb, **settings):
    """Runs scenario(desktop) with the --options given, on desktop(args, work, **settings)."""
    parser = argparse.ArgumentParser()
    for option in options:
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="zirvanta-e2e-") as work:
        started = None
        try:
            started = desktop(args, work, **settings)
            scenario(started)
        except Skip as reason:
            print("SKIP: %s" % reason)
            return SKIP
        except Failure as failure:
            print("FAIL: %s\n%s" % (failure, started.report() if started else ""),
                  file=sys.stderr)
            return 1
        finally:
            if started:
                started.close()
    print("PASS")
    return 0
