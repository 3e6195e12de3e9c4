#!/usr/bin/env python3
"""End-to-end tests of the zintra binary: each runs a private copy of the program (so that its
config.ini is its own) on a private Xvfb display and works it with xdotool.

Usage: zintra_e2e.py ZINTRA_BINARY SAMPLES_FOLDER CASE
"""
import os
import shutil
import socket
import stat
import subprocess
import sys
import tempfile
import time

from dropping import Dropped
from virtual_display import VirtualDisplay

DEADLINE = 30.0  # seconds any awaited condition may take
NOBODY = 65534  # the unprivileged user that root runs the program as


class Failure(Exception):
    pass


def wait_for(what, condition, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    raise Failure("timed out waiting for " + what)


def outcome(run):
    """Runs a case: prints what a failure says, or "passed", and gives the exit status."""
    try:
        run()
    except (Failure, AssertionError) as failure:
        print("FAILED:", failure, file=sys.stderr)
        return 1
    print("passed")
    return 0


class Zintra:
    """A copy of the program in a folder of its own, running on `display`."""

    def __init__(self, binary, display, folder, user=None):
        self.folder = folder
        self.settings = os.path.join(folder, "config.ini")
        self.env = dict(display.env)
        # In a sanitized build: the X keyboard library hands strndup unterminated buffers
        # (bounded by its length, so sound), which strict string checks would take for overflows.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] += ":strict_string_checks=0"
        program = os.path.join(folder, "zintra")
        if not os.path.exists(program):  # an installed program runs where it is
            shutil.copy(binary, program)
        # Another user runs the program through setpriv, which becomes the program itself.
        as_user = [] if user is None else [
            "setpriv", "--reuid=%d" % user, "--regid=%d" % user, "--clear-groups"]
        self.process = subprocess.Popen(as_user + [program], cwd="/", env=self.env)
        self.main = self.window("Zintra 1.00")

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        return done.stdout.split()

    def windows(self, name=None):
        """Visible windows of the program, optionally only those with this exact title."""
        if name is None:
            return self.xdotool("search", "--onlyvisible", "--pid", str(self.process.pid), "")
        return self.xdotool("search", "--onlyvisible", "--name", "^%s$" % name)

    def top_levels(self):
        """The program's visible top-level windows (a search by process also yields the root)."""
        root = self.xdotool("search", "--maxdepth", "0", "")
        return [w for w in self.windows() if w not in root]

    def window(self, name):
        found = wait_for("window '%s'" % name, lambda: self.windows(name))
        self.xdotool("windowfocus", "--sync", found[-1])
        return found[-1]

    def right_click_bar(self):
        # Right after a modal dialog closes, the program may still be leaving its modal loop
        # and drop the click; like a person, click again until the menu shows.
        before = len(self.windows())

        def menu_shown():
            self.xdotool("mousemove", "--window", self.main, "40", "9", "click", "3")
            try:
                return wait_for("the menu", lambda: len(self.windows()) > before, deadline=2)
            except Failure:
                return False

        wait_for("the context menu", menu_shown)

    def command(self, access_key):
        self.right_click_bar()
        self.xdotool("key", access_key)

    def choose(self, path):
        chooser = self.window("Select Zintra Source File")
        if path is not None:
            self.xdotool("key", "--window", chooser, "ctrl+a")
            self.xdotool("type", "--delay", "5", path)
        self.xdotool("key", "Return")

    def settings_text(self):
        try:
            with open(self.settings, "rb") as f:
                return f.read()
        except (FileNotFoundError, IsADirectoryError):
            return None

    def exit(self):
        self.command("x")
        return self.process.wait(timeout=DEADLINE)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def expected_settings(interval, path):
    return b" : \r\n" + interval + b"\r\n" + path.encode() + b"\r\n"


def starts_without_settings_and_exits(z, samples):
    wait_for("the bar to be painted", lambda: z.windows("Zintra 1.00"))
    assert z.settings_text() is None, "a settings file was created at start-up"
    status = z.exit()
    assert status == 0, "exit status %d" % status
    assert z.settings_text() is None, "a settings file was created at exit"


def change_source_writes_settings(z, samples):
    collection = os.path.join(samples, "proverbs.zin")
    z.command("c")
    z.choose(collection)
    wait_for("config.ini naming the collection",
             lambda: z.settings_text() == expected_settings(b"110", collection))
    assert z.exit() == 0


def options_reach_the_file_with_the_next_change_source(z, samples):
    collection = os.path.join(samples, "proverbs.zin")
    z.command("c")
    z.choose(collection)
    wait_for("config.ini", lambda: z.settings_text() == expected_settings(b"110", collection))
    z.command("o")
    options = z.window("Zintra Options")
    z.xdotool("key", "--window", options, "Home")  # slider to "Slow": 301 ms
    z.xdotool("key", "Return")
    wait_for("the options dialog to close", lambda: not z.windows("Zintra Options"))
    assert z.settings_text() == expected_settings(b"110", collection), "options wrote the file"
    z.command("c")
    z.choose(None)  # the chooser preselects the collection chosen last
    wait_for("config.ini with the new interval",
             lambda: z.settings_text() == expected_settings(b"301", collection))
    assert z.exit() == 0


def snapshot(folder):
    """Each entry's kind, device, owner, node and bytes: what a refused write must not change."""
    def entry(path, st):
        regular = stat.S_ISREG(st.st_mode) and not path.endswith("zintra")
        return st.st_mode, st.st_rdev, st.st_uid, st.st_ino, regular and open(path, "rb").read()
    return {n: entry(os.path.join(folder, n), os.lstat(os.path.join(folder, n)))
            for n in os.listdir(folder)}


def choice_is_refused_and_nothing_touched(z, samples):
    before = snapshot(z.folder)
    z.command("c")
    z.choose(os.path.join(z.folder, "quotes.zin"))
    wait_for("the error box", lambda: len(z.windows("Zintra 1.00")) == 2)
    z.xdotool("key", "Return")
    wait_for("the error box to close", lambda: len(z.windows("Zintra 1.00")) == 1)
    assert snapshot(z.folder) == before, "changed: %s" % snapshot(z.folder)
    assert z.exit() == 0


def device_settings(folder):
    """config.ini links to a private null device (a FIFO where none can be made)."""
    node = os.path.join(folder, "null")
    try:
        os.mknod(node, 0o666 | stat.S_IFCHR, os.makedev(1, 3))
    except PermissionError:
        os.mkfifo(node)
    os.symlink(node, os.path.join(folder, "config.ini"))


def read_only_settings(folder):
    """A settings file its owner may not write, in a folder the owner may; root runs as nobody."""
    with open(os.path.join(folder, "config.ini"), "wb") as f:
        f.write(expected_settings(b"110", ""))
    os.chmod(f.name, 0o444)
    if os.geteuid() == 0:
        for name in ("", "config.ini", "quotes.zin"):
            os.chown(os.path.join(folder, name), NOBODY, NOBODY)
        return NOBODY
    return None


def menu_key_opens_the_menu(z, samples):
    before = len(z.windows())
    z.xdotool("key", "Menu")
    wait_for("the context menu", lambda: len(z.windows()) == before + 1)
    z.xdotool("key", "Escape")
    wait_for("the menu to close", lambda: len(z.windows()) == before)
    assert z.exit() == 0


def only_the_main_window_shows_at_start(z, samples):
    wait_for("the bar to be painted", lambda: z.windows("Zintra 1.00"))
    assert z.top_levels() == [z.main], "visible at start: %s" % z.top_levels()
    assert z.exit() == 0


def help_and_about_open_and_close(z, samples):
    z.command("h")
    help_window = z.window("Zintra Help")
    z.command("h")  # a second time brings the same window to the front
    wait_for("the help window in front", lambda: z.windows("Zintra Help") == [help_window])
    z.window("Zintra Help")
    z.xdotool("key", "Escape")
    wait_for("the help window to close", lambda: not z.windows("Zintra Help"))

    z.command("a")
    about = z.window("About Zintra")
    z.xdotool("mousemove", "--window", about, "92", "220", "click", "1")  # its "&OK"
    wait_for("the About window to close", lambda: not z.windows("About Zintra"))
    assert z.top_levels() == [z.main], "still visible: %s" % z.top_levels()
    assert z.exit() == 0


class FolderServer:
    """python3's http.server over `folder` on a free port of 127.0.0.1."""

    def __enter__(self):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.process = subprocess.Popen(
            [sys.executable, "-m", "http.server", str(self.port), "--bind", "127.0.0.1",
             "--directory", self.folder], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the web server",
                 lambda: socket.socket().connect_ex(("127.0.0.1", self.port)) == 0)
        return self

    def __init__(self, folder):
        self.folder = folder

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def copy(self, z, name):
        return os.path.join(z.folder, "web", "127.0.0.1_%d" % self.port, name)

    def __exit__(self, *_):
        self.process.kill()
        self.process.wait()


def change_source_from_the_web(z, samples):
    with FolderServer(samples) as server:
        z.command("w")
        form5 = z.window("Change Source...")
        z.xdotool("key", "--window", form5, "alt+c")
        custom = z.window("Select custom list URL...")
        z.xdotool("key", "--window", custom, "ctrl+a")
        z.xdotool("type", "--delay", "5", server.url("/"))
        z.xdotool("key", "Return")
        wait_for("the list", lambda: os.path.exists(os.path.join(z.folder, "web",
                                                                 "_last-list.txt")))
        z.window("Change Source...")
        z.xdotool("mousemove", "--window", form5, "30", "46", "click", "1")  # the first entry
        z.xdotool("mousemove", "--window", form5, "165", "244", "click", "1")  # "&OK"
        copy = server.copy(z, "proverbs.zin")
        wait_for("config.ini naming the copy",
                 lambda: z.settings_text() == expected_settings(b"110", copy))
        with open(copy, "rb") as kept, open(os.path.join(samples, "proverbs.zin"), "rb") as sample:
            assert kept.read() == sample.read(), "the copy differs from the collection"
    assert z.exit() == 0


def dropped_address_is_shown(z, samples):
    with FolderServer(samples) as server:
        with Dropped(z, server.url("/workshop.zin")):
            copy = server.copy(z, "workshop.zin")
            wait_for("config.ini naming the copy",
                     lambda: z.settings_text() == expected_settings(b"110", copy))
    assert z.exit() == 0


def settings_folder(folder):
    os.mkdir(os.path.join(folder, "config.ini"))  # no file can be written there


# Each case: the test, and what prepares the program's folder (giving the user to run as).
CASES = {
    "StartsWithoutSettingsAndExits": (starts_without_settings_and_exits, False),
    "ChangeSourceWritesSettings": (change_source_writes_settings, False),
    "OptionsReachTheFileWithTheNextChangeSource":
        (options_reach_the_file_with_the_next_change_source, False),
    "UnwritableSettingsShowAnErrorBox": (choice_is_refused_and_nothing_touched, settings_folder),
    "DeviceSettingsAreLeftAlone": (choice_is_refused_and_nothing_touched, device_settings),
    "ReadOnlySettingsAreLeftAlone": (choice_is_refused_and_nothing_touched, read_only_settings),
    "MenuKeyOpensTheMenu": (menu_key_opens_the_menu, False),
    "OnlyTheMainWindowShowsAtStart": (only_the_main_window_shows_at_start, False),
    "HelpAndAboutOpenAndClose": (help_and_about_open_and_close, False),
    "ChangeSourceFromTheWeb": (change_source_from_the_web, False),
    "DroppedAddressIsShown": (dropped_address_is_shown, False),
}


def main(cases=None):
    binary, samples, case = sys.argv[1:4]
    test, prepare = (cases or CASES)[case]
    with tempfile.TemporaryDirectory() as folder, VirtualDisplay() as display:
        shutil.copy(os.path.join(samples, "proverbs.zin"), os.path.join(folder, "quotes.zin"))
        user = prepare(folder) if prepare else None
        z = None
        try:
            z = Zintra(binary, display, folder, user)
            test(z, samples)
        except (Failure, AssertionError) as failure:
            print("FAILED:", failure, file=sys.stderr)
            if os.environ.get("ZINTRA_E2E_SHOTS"):
                shot = os.path.join(os.environ["ZINTRA_E2E_SHOTS"], case + ".png")
                subprocess.run(["import", "-display", display.name, "-window", "root", shot])
                print("screen saved to", shot, file=sys.stderr)
            return 1
        finally:
            if z is not None:
                z.kill()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
