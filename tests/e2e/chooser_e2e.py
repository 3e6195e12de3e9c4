#!/usr/bin/env python3
"""End-to-end tests of the collection chooser, the desktop's file dialog: typed paths, Escape,
and the web command beside it.

Usage: chooser_e2e.py ZINTRA_BINARY SAMPLES_FOLDER CASE
"""
import os
import shutil
import sys
import tempfile

from virtual_display import VirtualDisplay
from zintra_e2e import Failure, Zintra, expected_settings, wait_for


def typed_paths_are_accepted(z, home):
    shutil.copy(os.path.join(z.folder, "quotes.zin"), os.path.join(home, "LOUD.ZIN"))
    z.command("c")
    z.choose("~/LOUD.ZIN")
    loud = os.path.join(home, "LOUD.ZIN")
    wait_for("config.ini naming ~/LOUD.ZIN",
             lambda: z.settings_text() == expected_settings(b"110", loud))
    assert z.exit() == 0


def escape_cancels(z, home):
    z.command("c")
    z.window("Select Zintra Source File")
    z.xdotool("key", "Escape")
    wait_for("the chooser to close", lambda: not z.windows("Select Zintra Source File"))
    assert z.settings_text() is None, "a cancelled chooser wrote config.ini"
    assert z.exit() == 0


def web_command_reaches_the_web_form(z, home):
    z.command("w")
    z.window("Change Source...")
    z.xdotool("key", "Escape")
    wait_for("the web form to close", lambda: not z.windows("Change Source..."))
    assert z.settings_text() is None, "a cancelled web form wrote config.ini"
    assert z.exit() == 0


CASES = {
    "TypedPathsAreAccepted": typed_paths_are_accepted,
    "EscapeCancels": escape_cancels,
    "WebCommandReachesTheWebForm": web_command_reaches_the_web_form,
}


def main():
    binary, samples, case = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as home:
        os.environ["HOME"] = home
        shutil.copy(os.path.join(samples, "proverbs.zin"), os.path.join(folder, "quotes.zin"))
        with VirtualDisplay() as display:
            z = None
            try:
                z = Zintra(binary, display, folder)
                CASES[case](z, home)
            except (Failure, AssertionError) as failure:
                print("FAILED:", failure, file=sys.stderr)
                return 1
            finally:
                if z is not None:
                    z.kill()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
