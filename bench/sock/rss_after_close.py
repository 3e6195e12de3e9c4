#!/usr/bin/env python3
"""The resident memory an echo server keeps once many idle connections have come and gone.

Starts the server on a free loopback port, then, ROUNDS times: holds COUNT idle connections
until the server has accepted them all (counted in /proc/PID/fd), closes them, and waits until
its descriptors are back and it has been quiet for a few seconds. Prints VmRSS at the start, at
the peak and after each round, in MB.

Usage: rss_after_close.py SERVER_PATH COUNT [ROUNDS] [-- SERVER_OPTIONS...]
   e.g. rss_after_close.py build/release/examples/sockecho/sockecho 19000 3 -- --blocking --quiet
"""
import os
import resource
import socket
import subprocess
import sys
import time

QUIET_SECONDS = 3


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.05)
    return condition()


def main():
    arguments = sys.argv[1:]
    options = []
    if "--" in arguments:
        options = arguments[arguments.index("--") + 1:]
        arguments = arguments[:arguments.index("--")]
    if len(arguments) not in (2, 3):
        sys.exit(__doc__)
    server_path, count = arguments[0], int(arguments[1])
    rounds = int(arguments[2]) if len(arguments) == 3 else 1
    # The server inherits the raised limit.
    hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    port = free_port()
    server = subprocess.Popen([server_path, "--port", str(port), *options],
                              stdout=subprocess.DEVNULL)
    try:
        def connect():
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                return True
            except OSError:
                return False
        if not wait_for(connect, 10):
            sys.exit("the server did not listen")
        time.sleep(QUIET_SECONDS)
        base_fds = descriptors(server.pid)
        start = resident_mb(server.pid)
        print(f"start {start:.1f} MB")
        for round_number in range(1, rounds + 1):
            held = []
            for _ in range(count):
                held.append(socket.create_connection(("127.0.0.1", port)))
            accepted = wait_for(lambda: descriptors(server.pid) >= base_fds + count, 120)
            peak = resident_mb(server.pid)
            for s in held:
                s.close()
            wait_for(lambda: descriptors(server.pid) <= base_fds, 120)
            time.sleep(QUIET_SECONDS)
            after = resident_mb(server.pid)
            print(f"round {round_number}: {count} held{'' if accepted else ' (not all accepted)'}, "
                  f"peak {peak:.1f} MB, after {after:.1f} MB, kept {after - start:+.1f} MB")
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
