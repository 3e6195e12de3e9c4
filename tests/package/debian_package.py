#!/usr/bin/env python3
"""The Debian packages: scripts/package builds them from this release build; they are installed
with dpkg into a scratch root (the machine's own /usr stays untouched); then an ordinary user
with a HOME of their own runs the installed zintra, chooses a collection and finds config.ini in
~/.config/zintra/, while a copy of the program in a folder that user may write keeps config.ini
beside it.

Usage: debian_package.py SOURCE_DIR BUILD_DIR
"""
import os
import subprocess
import sys
import tempfile

from virtual_display import VirtualDisplay
from zintra_e2e import NOBODY, Zintra, expected_settings, outcome, wait_for


def install(debs, root):
    for folder in ("info", "updates", "triggers"):
        os.makedirs(os.path.join(root, "var/lib/dpkg", folder))
    open(os.path.join(root, "var/lib/dpkg/status"), "w").close()
    # The scratch root knows none of the machine's packages: their dependencies are not checked.
    subprocess.run(["dpkg", "--root=" + root, "--force-depends", "--force-not-root",
                    "--force-script-chrootless", "--no-triggers", "-i", *debs],
                   check=True, stdout=subprocess.DEVNULL)


def check_contents(root, debs):
    for path in ("usr/share/metainfo/zintra.metainfo.xml", "usr/share/man/man1/zincheck.1.gz",
                 "usr/include/zintra/sock/Sock.h", "usr/lib/cmake/ZintraSock/ZintraSockConfig.cmake"):
        assert os.path.exists(os.path.join(root, path)), path + " is not installed"
    with open(os.path.join(root, "usr/share/applications/zintra.desktop")) as entry:
        assert 'Exec="/usr/bin/zintra"' in entry.read(), "the desktop entry's command"
    depends = subprocess.run(["dpkg-deb", "--field", debs[0], "Depends"], check=True,
                             capture_output=True, text=True).stdout
    assert "libqt6widgets6" in depends, "computed dependencies: " + depends


def choose_sample(program, folder, root, user, settings):
    """Runs `program` as `user`, chooses the installed sample and waits for `settings`."""
    with VirtualDisplay() as display:
        z = Zintra(program, display, folder, user)
        z.settings = settings
        try:
            z.command("c")
            sample = os.path.join(root, "usr/share/zintra/samples/proverbs.zin")
            z.choose(sample)
            wait_for(settings + " naming the sample",
                     lambda: z.settings_text() == expected_settings(b"110", sample))
            assert z.exit() == 0
        finally:
            z.kill()


def main():
    source, build = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as scratch:
        # lintian runs too: an error fails the packaging.
        made = subprocess.run([os.path.join(source, "scripts/package"), build,
                               os.path.join(scratch, "debs")], check=True, stdout=subprocess.PIPE,
                              text=True, env=dict(os.environ, ZINTRA_LINTIAN="1")).stdout.split()[:2]
        os.chmod(scratch, 0o755)  # the ordinary user reaches the installed tree and its home
        root = os.path.join(scratch, "root")
        install(made, root)
        check_contents(root, made)
        # An installed program's folder is not the user's to write.
        os.chmod(os.path.join(root, "usr/bin"), 0o555)
        user = NOBODY if os.geteuid() == 0 else None
        home = os.path.join(scratch, "home")
        portable = os.path.join(scratch, "portable")
        for folder in (home, portable):
            os.mkdir(folder)
            if user is not None:
                os.chown(folder, user, user)
        os.environ["HOME"] = home
        os.environ.pop("XDG_CONFIG_HOME", None)
        settings = os.path.join(home, ".config/zintra/config.ini")
        program = os.path.join(root, "usr/bin/zintra")

        def run():
            choose_sample(program, os.path.dirname(program), root, user, settings)
            assert os.stat(os.path.dirname(settings)).st_mode & 0o777 == 0o700, "folder mode"
            choose_sample(program, portable, root, user, os.path.join(portable, "config.ini"))

        return outcome(run)


if __name__ == "__main__":
    sys.exit(main())
