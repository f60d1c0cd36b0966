#!/usr/bin/env python3
"""Builds the Debian package of a build folder (into <build>/package), unpacks it into
a fresh folder, lays the demo school beside the installed program folder and starts the
installed program offscreen. The program must come up to its name screen, the first
thing that reads the roster 新名簿.txt: the test watches the roster with inotify and
fails when the program ends or stops short of reading it (for example on a message
box). The installed companion must find the demo school clean. Exit status 0 on
success."""

import argparse
import ctypes
import glob
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

PREFIX = "opt/kazurin2"  # the common folder inside the package
IN_OPEN = 0x20


def fail(message, log=None):
    print("FAIL: " + message, file=sys.stderr)
    if log and os.path.exists(log):
        with open(log, encoding="utf-8", errors="replace") as f:
            print("program output:\n" + f.read(), file=sys.stderr)
    sys.exit(1)


class OpenWatch:
    """Tells whether a file has been opened since the watch began (Linux inotify)."""

    def __init__(self, path):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or self.libc.inotify_add_watch(self.fd, os.fsencode(path), IN_OPEN) < 0:
            raise OSError(ctypes.get_errno(), "inotify on " + path)

    def opened(self, timeout):
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            return False
        data = os.read(self.fd, 65536)
        offset = 0
        while offset + 16 <= len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, offset)
            if mask & IN_OPEN:
                return True
            offset += 16 + length
        return False


def run(args, **kwargs):
    result = subprocess.run(args, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        fail("%s exited with %d\n%s%s" % (" ".join(args), result.returncode, result.stdout, result.stderr))
    return result.stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--cpack", default="cpack")
    parser.add_argument("--seconds", type=float, default=90, help="how long the program may take to start")
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="kz-package-")
    try:
        # The package goes to <build>/package (left there to look at); the rest is scratch.
        package_dir = os.path.join(options.build_dir, "package")
        for old in glob.glob(os.path.join(package_dir, "*.deb")):
            os.remove(old)
        run([options.cpack, "-G", "DEB", "--config", os.path.join(options.build_dir, "CPackConfig.cmake"),
             "-B", package_dir])
        debs = glob.glob(os.path.join(package_dir, "*.deb"))
        if len(debs) != 1:
            fail("expected one package, found %s" % debs)
        depends = run(["dpkg-deb", "-f", debs[0], "Depends"])
        for needed in ("libqt6widgets6", "libicu72", "libsdl2-2.0-0", "fonts-ipafont-gothic", "qt6-translations-l10n"):
            if needed not in depends:
                fail("the package does not depend on %s: %s" % (needed, depends))

        root = os.path.join(work, "root")
        run(["dpkg", "-x", debs[0], root])
        common = os.path.join(root, PREFIX)
        program_folder = os.path.join(common, "kazurin2")
        for name in ("kazurin2", "kazurin2-admin"):
            if not os.access(os.path.join(program_folder, name), os.X_OK):
                fail("%s is not in the program folder %s" % (name, program_folder))
        desktop = os.path.join(root, "usr/share/applications/kazurin2.desktop")
        with open(desktop, encoding="utf-8") as f:
            entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        if entry.get("Exec") != "/" + PREFIX + "/kazurin2/kazurin2":
            fail("the desktop entry starts %r" % entry.get("Exec"))
        if not os.path.isfile(root + entry.get("Icon", "")):
            fail("the desktop entry's icon %r is not in the package" % entry.get("Icon"))

        # The demo school: パスデータ.txt in the common folder, data/ and 起動/ beside.
        run([sys.executable, os.path.join(options.source_dir, "demo", "make_demo_school.py"), common])
        roster = os.path.join(common, "data", "新名簿.txt")
        check = subprocess.run([os.path.join(program_folder, "kazurin2-admin"), "check"],
                               capture_output=True, text=True)
        if check.returncode != 0:
            fail("the installed companion finds problems in the demo school:\n" + check.stdout + check.stderr)

        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
        watch = OpenWatch(roster)
        log = os.path.join(work, "program.log")
        with open(log, "w") as out:
            program = subprocess.Popen([os.path.join(program_folder, "kazurin2")], cwd=program_folder, env=env,
                                       stdout=out, stderr=subprocess.STDOUT)
        try:
            deadline = time.monotonic() + options.seconds
            reached = False
            while not reached and time.monotonic() < deadline:
                reached = watch.opened(0.5)
                if program.poll() is not None:
                    fail("the installed program ended with status %d before its name screen" % program.returncode,
                         log)
            if not reached:
                fail("the installed program did not reach its name screen within %d s" % options.seconds, log)
            time.sleep(2)  # the name screen built, the program must keep running
            if program.poll() is not None:
                fail("the installed program ended with status %d after its name screen" % program.returncode, log)
        finally:
            if program.poll() is None:
                program.send_signal(signal.SIGTERM)
                try:
                    program.wait(20)
                except subprocess.TimeoutExpired:
                    program.kill()
                    program.wait()
        print("package %s: installed program reached its name screen" % os.path.basename(debs[0]))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
