#!/usr/bin/env python3
"""The installed program started as the applications menu starts it: the build is installed into
a temporary prefix, and the desktop entry's Exec line runs with a fresh HOME from an empty
folder. The program must seed its data folder from the installed samples, show its window, quit
cleanly on Ctrl+Q, and write nothing in the folder it was started from."""
import configparser
import filecmp
import os
import shlex
import subprocess
import sys

import e2e_support as e2e

APP_ID = "io.github.zirvanta.Zirvanta"


def exec_line(desktop_file):
    """The Exec command of the [Desktop Entry] group, without field codes such as %f."""
    entry = configparser.RawConfigParser(strict=False)
    entry.read(desktop_file, encoding="utf-8")
    return [word for word in shlex.split(entry["Desktop Entry"]["exec"]) if word[0] != "%"]


def same_files(installed, seeded):
    """True when every installed sample is in the data folder with the same bytes."""
    names = sorted(os.listdir(installed))
    return names and os.path.isdir(seeded) and names == sorted(os.listdir(seeded)) and (
        filecmp.cmpfiles(installed, seeded, names, shallow=False)[0] == names)


def scenario(run):
    prefix, home, launch = (os.path.join(run.work, n) for n in ("prefix", "home", "launch"))
    os.mkdir(home)
    os.mkdir(launch)
    subprocess.run([run.args.cmake, "--install", run.args.build, "--prefix", prefix], check=True,
                   stdout=subprocess.DEVNULL)
    command = exec_line(os.path.join(prefix, "share", "applications", APP_ID + ".desktop"))
    env = dict(run.env, HOME=home, PATH=os.path.join(prefix, "bin") + os.pathsep +
               os.environ.get("PATH", ""))
    env.pop("XDG_DATA_HOME", None)
    program = run.launch(command, launch, env)
    e2e.wait_until(program.titled, "the program's window never showed", 0.5)

    data = os.path.join(home, ".local", "share", "zirvanta")
    share = os.path.join(prefix, "share", "zirvanta")
    for kind in ("fractals", "paletts"):
        if not same_files(os.path.join(share, kind), os.path.join(data, kind)):
            e2e.fail("the data folder's %s are not the installed samples" % kind)
    manual = os.path.join(share, "Description.rtf")
    if os.path.exists(manual) and not filecmp.cmp(
            manual, os.path.join(data, "Description.rtf"), shallow=False):
        e2e.fail("the manual was not copied into the data folder")

    program.close_with_ctrl_q()
    if os.listdir(launch):
        e2e.fail("the program wrote %s in the folder it was started from" % os.listdir(launch))


if __name__ == "__main__":
    sys.exit(e2e.main(scenario, options=("cmake", "build")))
