#!/usr/bin/env python3
"""Takes the screenshots in this folder: the scrolling message bar and the options dialog,
from the built program on a virtual display.

Usage: docs/screenshots.py [BUILD_FOLDER]   (default build/release)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "support"))
from virtual_display import VirtualDisplay  # noqa: E402


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "release")
    docs = os.path.join(root, "docs")
    with tempfile.TemporaryDirectory() as folder, VirtualDisplay("640x200x24") as display:
        program = os.path.join(folder, "zintra")
        shutil.copy(os.path.join(build, "app", "zintra"), program)
        with open(os.path.join(folder, "config.ini"), "wb") as settings:
            collection = os.path.join(root, "samples", "proverbs.zin")
            settings.write(b" : \r\n110\r\n" + collection.encode() + b"\r\n")
        zintra = subprocess.Popen([program], env=display.env)

        def xdotool(*args):
            return subprocess.run(["xdotool", *args], env=display.env, capture_output=True,
                                  text=True, timeout=60).stdout.split()

        try:
            bar = xdotool("search", "--sync", "--onlyvisible", "--name", "^Zintra 1.00$")[0]
            time.sleep(4)  # let the first words scroll in from the right
            subprocess.run(["import", "-window", bar, os.path.join(docs, "message-bar.png")],
                           env=display.env, check=True)
            xdotool("mousemove", "--window", bar, "40", "9", "click", "3")
            time.sleep(0.5)
            xdotool("key", "o")
            options = xdotool("search", "--sync", "--onlyvisible", "--name", "^Zintra Options$")[0]
            time.sleep(0.5)
            subprocess.run(["import", "-window", options,
                            os.path.join(docs, "options-dialog.png")],
                           env=display.env, check=True)
        finally:
            zintra.kill()
            zintra.wait()
    print("Saved docs/message-bar.png and docs/options-dialog.png")


if __name__ == "__main__":
    main()
