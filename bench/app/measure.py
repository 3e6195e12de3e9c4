#!/usr/bin/env python3
"""Measures the zintra binary on a virtual X display against a bare Qt window that only opens:
time from start to the first paint and peak memory (as ratios), CPU used while scrolling at
110 ms and at 1 ms, and that each tick at 1 ms moves the bar by one character.

Usage: measure.py BUILD_FOLDER SAMPLES_FOLDER [RUNS]
"""
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from virtual_display import VirtualDisplay  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class Display(VirtualDisplay):
    def __init__(self):
        super().__init__("640x120x24")

    def pixel(self, x, y):
        """The root window's pixel at x, y (0 while nothing is painted there: the root is black)."""
        dump = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True).stdout
        if len(dump) < 100:  # the grab failed while a window went away: nothing painted yet
            return 0
        header = struct.unpack(">25I", dump[:100])
        header_size, bytes_per_line, ncolors = header[0], header[12], header[19]
        start = header_size + 12 * ncolors + y * bytes_per_line + x * 4
        return struct.unpack("<I", dump[start:start + 4])[0] & 0xFFFFFF


def peak_memory_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def start(display, program):
    """Starts `program`; gives the process and seconds until its window shows painted pixels."""
    began = time.monotonic()
    process = subprocess.Popen([program], env=display.env)
    while display.pixel(5, 5) == 0:
        if time.monotonic() - began > 30:
            raise RuntimeError("%s never painted (exit status %s, server %s)" % (program, process.poll(), display.server.poll()))
    return process, time.monotonic() - began


def stop(process):
    process.terminate()
    process.wait()


def program_in(folder, binary, interval, samples):
    program = os.path.join(folder, os.path.basename(binary))
    shutil.copy(binary, program)
    if interval is not None:
        with open(os.path.join(folder, "config.ini"), "wb") as settings:
            settings.write(b" : \r\n%d\r\n%s\r\n" % (interval, os.path.join(samples, "proverbs.zin").encode()))
    return program


def start_up(display, programs, runs):
    """Median seconds to the first paint and median peak memory of each program; the programs
    take turns, so that caches warm up for all alike."""
    times = {program: [] for program in programs}
    peaks = {program: [] for program in programs}
    for _ in range(runs):
        for program in programs:
            process, seconds = start(display, program)
            time.sleep(1.0)  # settled: a few ticks have been painted
            peaks[program].append(peak_memory_kib(process.pid))
            stop(process)
            times[program].append(seconds)
    return [(statistics.median(times[p]), statistics.median(peaks[p])) for p in programs]


def scrolling_cpu(display, program, seconds=10.0):
    process, _ = start(display, program)
    time.sleep(1.0)
    used, began = cpu_seconds(process.pid), time.monotonic()
    time.sleep(seconds)
    used, wall = cpu_seconds(process.pid) - used, time.monotonic() - began
    stop(process)
    return 100.0 * used / wall


def main():
    build, samples = sys.argv[1], os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    zintra = os.path.join(build, "app", "zintra")
    bare = os.path.join(build, "bench", "app", "zintra_bare_window")
    check = os.path.join(build, "bench", "app", "zintra_scroll_check")
    with tempfile.TemporaryDirectory() as folder, Display() as display:
        bare_window = program_in(folder, bare, None, samples)
        program = program_in(folder, zintra, 110, samples)
        ours, floor = start_up(display, [program, bare_window], runs)
        print("start to first paint: zintra %.0f ms, bare window %.0f ms, ratio %.2f (target <= 1.5)"
              % (ours[0] * 1e3, floor[0] * 1e3, ours[0] / floor[0]))
        print("peak memory:          zintra %d KiB, bare window %d KiB, ratio %.2f (target <= 1.5)"
              % (ours[1], floor[1], ours[1] / floor[1]))
        print("CPU scrolling at 110 ms: %.2f%% of a core (target < 1%%)"
              % scrolling_cpu(display, program))
        program = program_in(folder, zintra, 1, samples)
        print("CPU scrolling at 1 ms:   %.1f%% of a core" % scrolling_cpu(display, program))
    done = subprocess.run([check, os.path.join(samples, "proverbs.zin"), "5000"],
                          capture_output=True, text=True)
    print("1 ms, offscreen:", done.stdout.strip())
    return done.returncode


if __name__ == "__main__":
    sys.exit(main())
