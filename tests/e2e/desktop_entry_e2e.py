#!/usr/bin/env python3
"""The installed program started as the applications menu starts it: the build is installed into
a temporary prefix, and the desktop entry's Exec line runs with a fresh HOME from an empty
folder. The program must seed its data folder from the installed samples, show its window, quit
cleanly on Ctrl+Q, and write nothing in the folder it was started from."""
import argparse
import filecmp
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

import e2e_support as e2e

APP_ID = "io.github.zirvanta.Zirvanta"


def exec_line(desktop_file):
    """The Exec command of the [Desktop Entry] group, without field codes such as %f."""
    group = None
    for line in open(desktop_file, encoding="utf-8"):
        line = line.strip()
        if line.startswith("["):
            group = line
        elif group == "[Desktop Entry]" and line.startswith("Exec="):
            return [word for word in shlex.split(line[5:]) if not word.startswith("%")]
    e2e.fail("%s has no Exec line" % desktop_file)


def same_files(installed, seeded):
    """True when every installed sample is in the data folder with the same bytes."""
    names = sorted(os.listdir(installed))
    return names and names == sorted(os.listdir(seeded)) and all(
        filecmp.cmp(os.path.join(installed, n), os.path.join(seeded, n), shallow=False)
        for n in names)


def scenario(display, cmake, build, work):
    prefix, home, launch = (os.path.join(work, n) for n in ("prefix", "home", "launch"))
    os.mkdir(home)
    os.mkdir(launch)
    subprocess.run([cmake, "--install", build, "--prefix", prefix], check=True,
                   stdout=subprocess.DEVNULL)
    command = exec_line(os.path.join(prefix, "share", "applications", APP_ID + ".desktop"))
    env = dict(display.env, HOME=home, PATH=os.path.join(prefix, "bin") + os.pathsep +
               os.environ.get("PATH", ""))
    env.pop("XDG_DATA_HOME", None)
    program = subprocess.Popen(command, cwd=launch, env=env)
    try:
        def window():
            if program.poll() is not None:
                e2e.fail("the program ended early with status %d" % program.returncode)
            found = display.run("xdotool", "search", "--onlyvisible", "--name",
                                "^" + e2e.TITLE + "$").stdout.split()
            return found[0].decode() if found else None
        e2e.wait_until(window, "the program's window never showed", 0.5)

        data = os.path.join(home, ".local", "share", "zirvanta")
        share = os.path.join(prefix, "share", "zirvanta")
        for kind in ("fractals", "paletts"):
            if not same_files(os.path.join(share, kind), os.path.join(data, kind)):
                e2e.fail("the data folder's %s are not the installed samples" % kind)
        manual = os.path.join(share, "Description.rtf")
        if os.path.exists(manual) and not filecmp.cmp(
                manual, os.path.join(data, "Description.rtf"), shallow=False):
            e2e.fail("the manual was not copied into the data folder")

        display.run("xdotool", "windowfocus", "--sync", window())
        display.run("xdotool", "key", "ctrl+q")
        e2e.wait_until(lambda: program.poll() is not None, "Ctrl+Q did not close the program")
        if program.returncode != 0:
            e2e.fail("the program ended with status %d" % program.returncode)
        if os.listdir(launch):
            e2e.fail("the program wrote %s in the folder it was started from"
                     % os.listdir(launch))
    finally:
        program.kill()
        program.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return e2e.SKIP
    with tempfile.TemporaryDirectory(prefix="zirvanta-desktop-") as work:
        display = e2e.Display()
        try:
            scenario(display, args.cmake, args.build, work)
        except e2e.Failure as failure:
            print("FAIL: %s" % failure, file=sys.stderr)
            return 1
        finally:
            display.close()
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
