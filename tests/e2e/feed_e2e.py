#!/usr/bin/env python3
"""End-to-end test of feeds: a feed address dropped on the bar becomes the collection it shows,
and a left click on a headline hands its link to the browser (a stand-in xdg-open on PATH that
records its argument); a click on a collection file's text hands nothing.

Usage: feed_e2e.py ZINTRA_BINARY SAMPLES_FOLDER
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dropping import Dropped  # noqa: E402
from virtual_display import VirtualDisplay  # noqa: E402
from zintra_e2e import (FolderServer, Zintra, expected_settings, outcome,  # noqa: E402
                        wait_for)

# One story whose headline fills most of a pass of the bar, so that a click on the bar's
# middle meets it whenever the text is in view.
STORY = "A very long headline " * 12
FEED = """<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel><title>E2E news</title><link>%(base)s/</link>
<item><title><![CDATA[<b>%(story)s</b>]]></title><link>/stories/long.html</link></item>
</channel></rss>
"""

BROWSER = """#!/bin/sh
printf '%%s\\n' "$1" >> '%s'
"""


def click_bar_for(z, seconds, opened):
    """Clicks the middle of the bar every fifth of a second; stops early once a link opened."""
    end = time.monotonic() + seconds
    while time.monotonic() < end and not os.path.exists(opened):
        z.xdotool("mousemove", "--window", z.main, "185", "9", "click", "1")
        time.sleep(0.2)


def run(z, site, opened):
    # The collection file the program starts with has no links: its text takes no click.
    click_bar_for(z, 8, opened)
    assert not os.path.exists(opened), "a collection file's text opened a link"

    with FolderServer(site) as server:
        with open(os.path.join(site, "feed.xml"), "w") as feed:
            feed.write(FEED % {"base": server.url(""), "story": STORY})
        copy = server.copy(z, "feed.xml%")
        with Dropped(z, server.url("/feed.xml")):
            wait_for("the drop", lambda: z.settings_text() == expected_settings(b"110", copy))
        with open(copy, encoding="utf-8") as kept:
            lines = kept.read().splitlines()
        assert lines[1:4] == ["@@*NORANDOM", "E2E news:", STORY.strip()], lines
        click_bar_for(z, 30, opened)
        assert os.path.exists(opened), "no click on the headline opened its link"
    with open(opened) as record:
        links = set(record.read().split())
    assert links == {server.url("/stories/long.html")}, links
    assert z.exit() == 0


def main():
    binary, samples = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as folder:
        bin_folder = os.path.join(folder, "bin")
        site = os.path.join(folder, "site")
        program = os.path.join(folder, "program")
        for made in (bin_folder, site, program):
            os.mkdir(made)
        opened = os.path.join(folder, "opened.txt")
        with open(os.path.join(bin_folder, "xdg-open"), "w") as browser:
            browser.write(BROWSER % opened)
        os.chmod(os.path.join(bin_folder, "xdg-open"), 0o755)
        os.environ["PATH"] = bin_folder + os.pathsep + os.environ["PATH"]
        quotes = os.path.join(program, "quotes.zin")
        shutil.copy(os.path.join(samples, "proverbs.zin"), quotes)
        with open(os.path.join(program, "config.ini"), "wb") as settings:
            settings.write(expected_settings(b"110", quotes))
        with VirtualDisplay() as display:
            z = Zintra(binary, display, program)
            try:
                return outcome(lambda: run(z, site, opened))
            finally:
                z.kill()


if __name__ == "__main__":
    sys.exit(main())
