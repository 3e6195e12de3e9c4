#!/usr/bin/env python3
"""End-to-end tests of the web folder with the zintra binary on a private Xvfb display: a good
copy survives what is no collection, and a long list leaves the bar scrolling.

Usage: web_folder_e2e.py ZINTRA_BINARY SAMPLES_FOLDER CASE
"""
import hashlib
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from dropping import Dropped
from virtual_display import VirtualDisplay
from zintra_e2e import (DEADLINE, Failure, FolderServer, Zintra, expected_settings, outcome,
                        wait_for)

GOOD = b"Good title\nfirst entry\nsecond entry\nLast line\n"
PORTAL = b"<!DOCTYPE html>\n<html><head><title>Sign in</title></head><body>Wi-Fi</body></html>\n"
ENTRIES = 100000


class SwitchedServer(http.server.ThreadingHTTPServer):
    """Answers every GET with `answer` (Content-Type, body), which the test switches, and counts
    the answers given."""

    def __init__(self):
        self.answer = ("text/plain", GOOD)
        self.answered = 0
        super().__init__(("127.0.0.1", 0), self.Handler)
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.server_address[1], path)

    def copy(self, z, name):
        return os.path.join(z.folder, "web", "127.0.0.1_%d" % self.server_address[1], name)

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            content_type, body = self.server.answer
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            self.server.answered += 1

        def log_message(self, *_):
            pass


def read(path):
    with open(path, "rb") as f:
        return f.read()


def good_copy_survives(binary, folder, display):
    """A later pick of an emptied file and a portal page at the refresh leave the copy as it was."""
    server = SwitchedServer()
    z = Zintra(binary, display, folder)
    try:
        copy = server.copy(z, "q.zin")
        with Dropped(z, server.url("/q.zin")):
            wait_for("config.ini naming the copy",
                     lambda: z.settings_text() == expected_settings(b"110", copy))
        server.answer = ("text/plain", b"")
        with Dropped(z, server.url("/q.zin")):
            wait_for("the error box", lambda: len(z.windows("Zintra 1.00")) == 2)
        z.xdotool("key", "Return")
        wait_for("the error box to close", lambda: len(z.windows("Zintra 1.00")) == 1)
        assert read(copy) == GOOD, "an emptied file replaced the copy"
        assert z.exit() == 0
    finally:
        z.kill()

    # Started again, the program refreshes the copy at once: a portal answers.
    server.answer = ("text/html", PORTAL)
    answered = server.answered
    z = Zintra(binary, display, folder)
    try:
        wait_for("the refresh", lambda: server.answered > answered)
        # The exit is taken after the answer is: a replaced copy would be there by then.
        assert z.exit() == 0
        assert read(copy) == GOOD, "a portal page replaced the copy"
        assert z.settings_text() == expected_settings(b"110", copy)
    finally:
        z.kill()
        server.shutdown()


def bar_picture(z):
    shot = subprocess.run(["xwd", "-silent", "-id", z.main], env=z.env, capture_output=True)
    return hashlib.sha256(shot.stdout).digest()


def long_list_leaves_the_bar_scrolling(binary, folder, display):
    """A dropped list of 100 000 entries: the bar moves all along, and the list box holds them."""
    published = os.path.join(folder, "published")
    os.mkdir(published)
    with open(os.path.join(published, "list.txt"), "w") as f:
        f.writelines("c%d.zin\n" % i for i in range(ENTRIES))
    with open(os.path.join(published, "c%d.zin" % (ENTRIES - 1)), "wb") as f:
        f.write(GOOD)
    program = os.path.join(folder, "program")
    os.mkdir(program)
    shutil.copy(os.path.join(folder, "quotes.zin"), program)
    with open(os.path.join(program, "config.ini"), "wb") as f:
        f.write(expected_settings(b"110", os.path.join(program, "quotes.zin")))

    with FolderServer(published) as server:
        z = Zintra(binary, display, program)
        try:
            last_list = os.path.join(program, "web", "_last-list.txt")
            with Dropped(z, server.url("/list.txt")):
                # Until the list is shown and a while after, the bar never stands still for 2 s.
                seen, changed, shown = bar_picture(z), time.monotonic(), None
                end = time.monotonic() + DEADLINE
                while shown is None or time.monotonic() < shown + 2.5:
                    picture, now = bar_picture(z), time.monotonic()
                    if picture != seen:
                        seen, changed = picture, now
                    if now - changed > 2:
                        raise Failure("the bar stood still for more than 2 s")
                    if now > end:
                        raise Failure("timed out waiting for the list")
                    if shown is None and os.path.exists(last_list):
                        shown = now
                    time.sleep(0.1)
            assert read(last_list).count(b"\n") == ENTRIES + 1, "the list kept is not whole"
            # The last entry, chosen in the list box, is the one downloaded.
            form5 = z.window("Change Source...")
            z.xdotool("mousemove", "--window", form5, "30", "46", "click", "1")  # the list box
            z.xdotool("key", "End", "Return")
            copy = server.copy(z, "c%d.zin" % (ENTRIES - 1))
            wait_for("config.ini naming the last entry's copy",
                     lambda: z.settings_text() == expected_settings(b"110", copy))
            assert z.exit() == 0
        finally:
            z.kill()


CASES = {
    "GoodCopySurvivesAnEmptiedFileAndAPortal": good_copy_survives,
    "DroppedLongListLeavesTheBarScrolling": long_list_leaves_the_bar_scrolling,
}


def main():
    binary, samples, case = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as folder, VirtualDisplay() as display:
        shutil.copy(os.path.join(samples, "proverbs.zin"), os.path.join(folder, "quotes.zin"))
        return outcome(lambda: CASES[case](binary, folder, display))


if __name__ == "__main__":
    sys.exit(main())
