"""Dropping a link on the program as a person drags one from a browser."""
import os
import subprocess
import time


class Dropped:
    """Drags `url` from a drag source window onto the bar, as a link from a browser; the source
    stays until the block ends, so that the program can take what was dropped."""

    def __init__(self, z, url):
        self.z = z
        self.source = subprocess.Popen([os.environ["ZINTRA_DRAG_SOURCE"], url], env=z.env)

    def __enter__(self):
        z = self.z
        window = z.window("Drag Source")
        z.xdotool("mousemove", "--window", window, "80", "40", "mousedown", "1")
        # Out of the source and over the bar, by small steps as a hand moves; then the drop.
        for x, target in [(90, window), (100, window), (30, z.main), (40, z.main)]:
            z.xdotool("mousemove", "--window", target, str(x), "9")
            time.sleep(0.05)
        z.xdotool("mouseup", "1")
        return self

    def __exit__(self, *_):
        self.source.kill()
        self.source.wait()
