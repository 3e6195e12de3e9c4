"""A private Xvfb display for running the real program headless."""
import os
import random
import subprocess


class VirtualDisplay:
    """Starts Xvfb on a random, high display number: other programs on the machine that look
    for a free display from :0 upwards never meet it. It also listens on the abstract socket
    namespace, so clients still reach it when something clears /tmp/.X11-unix.
    `env` runs a program on it."""

    def __init__(self, size="800x600x24"):
        self.size = size

    def __enter__(self):
        for _ in range(20):
            number = random.randrange(1000, 30000)
            read_end, write_end = os.pipe()
            self.server = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-displayfd", str(write_end), "-screen", "0", self.size,
                 "-br", "-noreset", "-nolisten", "tcp", "-listen", "local"],
                pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as announcement:
                ready = announcement.readline().strip()  # empty when the server gave up
            if ready:
                self.name = ":" + ready
                self.env = dict(os.environ, DISPLAY=self.name, QT_QPA_PLATFORM="xcb")
                return self
            self.server.wait()
        raise RuntimeError("no Xvfb display could be started")

    def __exit__(self, *_):
        self.server.terminate()
        self.server.wait(timeout=10)
