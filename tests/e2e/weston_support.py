"""End-to-end runs on a Wayland session: a headless weston compositor (with or without Xwayland)
in a private runtime folder, the program started in it as on a user's desktop, and screenshots.
Exit status: 0 passed, 1 failed, 77 skipped (weston is not installed or cannot start at all on
this machine)."""
import argparse
import glob
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

import e2e_support as e2e

SOCKET = "wayland-zirvanta-e2e"


class CannotStart(Exception):
    pass


class Compositor:
    """weston --backend=headless-backend.so, drawing with pixman so that screenshots hold the
    clients' exact pixels; with xwayland, its X server's display is `x_display`."""

    def __init__(self, work, xwayland):
        self.runtime = tempfile.mkdtemp(prefix="runtime-", dir=work)
        os.chmod(self.runtime, 0o700)
        self.log_path = os.path.join(self.runtime, "weston.log")
        self.x_display = None
        # --debug lets weston-screenshooter take screenshots.
        command = ["weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                   "--width=1280", "--height=1024", "--socket=" + SOCKET,
                   "--log=" + self.log_path] + (["--xwayland"] if xwayland else [])
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"):
            environment.pop(name, None)
        self.server = subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        try:
            e2e.wait_until(lambda: self.ready(xwayland), "weston did not start", 0.1)
        except e2e.Failure:
            self.close()
            raise CannotStart("weston did not start:\n" + self.log())

    def ready(self, xwayland):
        if self.server.poll() is not None:
            raise CannotStart("weston ended with status %d:\n%s" % (self.server.returncode,
                                                                    self.log()))
        if not os.path.exists(os.path.join(self.runtime, SOCKET)):
            return False
        if xwayland:
            marker = "xserver listening on display "
            lines = [line for line in self.log().splitlines() if marker in line]
            if not lines:
                return False
            self.x_display = lines[0].split(marker, 1)[1].split()[0]
        return True

    def log(self):
        try:
            return open(self.log_path, errors="replace").read()
        except OSError:
            return "(no log)"

    def client_environment(self):
        """A Wayland desktop session's environment, without a platform chosen by the user."""
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=SOCKET,
                           XDG_SESSION_TYPE="wayland")
        for name in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_SOCKET"):
            environment.pop(name, None)
        if self.x_display:
            environment["DISPLAY"] = self.x_display
        return environment

    def screenshot(self):
        """The whole output as (width, height, bytes), or None."""
        folder = tempfile.mkdtemp(prefix="shot-", dir=self.runtime)
        try:
            taken = subprocess.run(["weston-screenshooter"], cwd=folder, capture_output=True,
                                   env=self.client_environment(), check=False)
            files = glob.glob(os.path.join(folder, "*.png"))
            if taken.returncode != 0 or not files:
                return None
            converted = subprocess.run(["convert", files[0], "-depth", "8", "ppm:-"],
                                       capture_output=True, check=False)
            return e2e.read_ppm(converted.stdout) if converted.returncode == 0 else None
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def close(self):
        if self.server.poll() is None:
            self.server.terminate()
            try:
                self.server.wait(30)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()


def find_picture(shot, picture):
    """The top left of the place where the screenshot shows the picture exactly, or None."""
    if shot is None:
        return None
    width, height, pixels = shot
    pw, ph, ppixels = picture
    middle = ph // 2
    needle = ppixels[3 * pw * middle:3 * pw * (middle + 1)]
    for y in range(middle, height - (ph - middle) + 1):
        row = pixels[3 * width * y:3 * width * (y + 1)]
        at = row.find(needle)
        while at >= 0:
            if at % 3 == 0 and e2e.region_matches(shot, at // 3, y - middle, picture):
                return at // 3, y - middle
            at = row.find(needle, at + 1)
    return None


class Program:
    """The program started in the start folder on the compositor's session."""

    def __init__(self, program, start, environment):
        self.output = tempfile.TemporaryFile()
        self.process = subprocess.Popen([program], cwd=start, env=environment,
                                        stdout=self.output, stderr=subprocess.STDOUT)

    def running(self):
        if self.process.poll() is not None:
            e2e.fail("the program ended early with status %d:\n%s"
                     % (self.process.returncode, self.printed()))
        return True

    def printed(self):
        self.output.seek(0)
        return self.output.read().decode(errors="replace")

    def terminate(self):
        """Sends SIGTERM, as a session's logout does; the program must end with status 0."""
        self.process.send_signal(signal.SIGTERM)
        e2e.wait_until(lambda: self.process.poll() is not None, "SIGTERM did not end the program")
        if self.process.returncode != 0:
            e2e.fail("after SIGTERM the program ended with status %d:\n%s"
                     % (self.process.returncode, self.printed()))

    def end(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def start_pictures(reference, start, work):
    """The live view, general view and palette strip that the window shows after start-up."""
    names = [os.path.join(work, n) for n in ("live.ppm", "general.ppm", "strip.ppm")]
    subprocess.run([reference, start] + names, check=True)
    return [e2e.read_ppm(open(n, "rb").read()) for n in names]


def shows_start_pictures(shot, pictures):
    """True when the screenshot shows the three pictures where the window's layout has them."""
    found = find_picture(shot, pictures[0])
    if found is None:
        return False
    origin = (found[0] - e2e.PIC[0], found[1] - e2e.PIC[1])
    return all(e2e.region_matches(shot, origin[0] + place[0], origin[1] + place[1], picture)
               for place, picture in zip((e2e.GENERAL_VIEW, e2e.STRIP), pictures[1:]))


def read_settings(start):
    """The twelve values of settings.dat in the start folder, or None when there is none."""
    try:
        data = open(os.path.join(start, "settings.dat"), "rb").read()
    except FileNotFoundError:
        return None
    if len(data) != 48:
        e2e.fail("settings.dat holds %d bytes, not 48" % len(data))
    return list(struct.unpack("<12i", data))


def write_settings(start, values):
    with open(os.path.join(start, "settings.dat"), "wb") as out:
        out.write(struct.pack("<12i", *values))


def main(scenario, xwayland, tools):
    """Runs scenario(compositor, run) with run(start) -> Program in a fresh start folder."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--reference", required=True)
    args = parser.parse_args()
    if shutil.which("weston") is None:
        print("SKIP: weston is not installed")
        return e2e.SKIP
    for tool in tools + (["Xwayland"] if xwayland else []):
        if shutil.which(tool) is None:
            print("FAIL: %s is not installed (scripts/install-deps installs it)" % tool,
                  file=sys.stderr)
            return 1
    with tempfile.TemporaryDirectory(prefix="zirvanta-wayland-e2e-") as work:
        try:
            compositor = Compositor(work, xwayland)
        except CannotStart as reason:
            print("SKIP: %s" % reason)
            return e2e.SKIP
        programs = []
        starts = []

        def run(prepare=None):
            start = os.path.join(work, "start%d" % len(starts))
            os.mkdir(start)
            starts.append(start)
            if prepare:
                prepare(start)
            pictures = start_pictures(os.path.abspath(args.reference), start, work)
            programs.append(Program(os.path.abspath(args.program), start,
                                    compositor.client_environment()))
            return programs[-1], start, pictures

        try:
            scenario(compositor, run)
        except e2e.Failure as failure:
            print("FAIL: %s\nweston (%s):\n%s" % (
                failure, "running" if compositor.server.poll() is None else
                "ended with %s" % compositor.server.returncode, compositor.log()),
                file=sys.stderr)
            return 1
        finally:
            for program in programs:
                program.end()
            compositor.close()
    print("PASS")
    return 0
