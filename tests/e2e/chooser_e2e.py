#!/usr/bin/env python3
"""End-to-end tests of the collection chooser, the desktop's file dialog: typed paths, Escape,
and the web command beside it. Each runs with a HOME of its own.

Usage: chooser_e2e.py ZINTRA_BINARY SAMPLES_FOLDER CASE
"""
import os
import shutil
import sys
import tempfile

import zintra_e2e
from zintra_e2e import expected_settings, wait_for


def typed_paths_are_accepted(z, samples):
    loud = os.path.join(os.environ["HOME"], "LOUD.ZIN")
    shutil.copy(os.path.join(samples, "proverbs.zin"), loud)
    z.command("c")
    z.choose("~/LOUD.ZIN")
    wait_for("config.ini naming ~/LOUD.ZIN",
             lambda: z.settings_text() == expected_settings(b"110", loud))
    assert z.exit() == 0


def closes_on_escape(z, key, title):
    z.command(key)
    z.window(title)
    z.xdotool("key", "Escape")
    wait_for(title + " to close", lambda: not z.windows(title))
    assert z.settings_text() is None, "a cancelled %s wrote config.ini" % title
    assert z.exit() == 0


CASES = {
    "TypedPathsAreAccepted": (typed_paths_are_accepted, False),
    "EscapeCancels": (lambda z, _: closes_on_escape(z, "c", "Select Zintra Source File"), False),
    "WebCommandReachesTheWebForm": (lambda z, _: closes_on_escape(z, "w", "Change Source..."),
                                    False),
}

if __name__ == "__main__":
    with tempfile.TemporaryDirectory() as home:
        os.environ["HOME"] = home
        sys.exit(zintra_e2e.main(CASES))
