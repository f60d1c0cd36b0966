#!/usr/bin/env python3
"""Builds the Debian package of a build folder (into <build>/package), unpacks it into
a fresh folder, lays the demo school beside the installed program folder and starts the
installed program offscreen. The program must come up to its name screen, the first
thing that reads the roster 新名簿.txt: the test watches the roster with inotify and
fails when the program ends or stops short of reading it (for example on a message
box). The installed companion must find the demo school clean.

Then a new school as the README makes it, on two computers (the package unpacked twice,
each its own home folder): kazurin2-admin init on the first makes the data folder and
its path file, on the second only its path file; check is clean on both; each computer
plays one attempt through the program's wiring on its installed program folder
(--station, offscreen, keys like a student's), and both attempts are in the results.
Exit status 0 on success; --verbose prints every command and its output."""

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


VERBOSE = False


def run(args, **kwargs):
    result = subprocess.run(args, capture_output=True, text=True, **kwargs)
    if VERBOSE:
        print("$ " + " ".join(args))
        print((result.stdout + result.stderr).rstrip())
        print()
    if result.returncode != 0:
        fail("%s exited with %d\n%s%s" % (" ".join(args), result.returncode, result.stdout, result.stderr))
    return result.stdout


def write_cp932(path, lines):
    with open(path, "wb") as f:
        for line in lines:
            f.write(line.encode("cp932") + b"\r\n")


def new_school(deb, work, station, version):
    """A new school from the package on two computers, to the first recorded attempts."""
    computers = []
    for name in ("a", "b"):
        root = os.path.join(work, "computer-" + name)
        run(["dpkg", "-x", deb, root])
        home = os.path.join(work, "home-" + name)
        os.makedirs(home)
        computers.append((root, os.path.join(root, PREFIX), os.path.join(root, PREFIX, "kazurin2"), home))
    data = os.path.join(work, "srv", "school", "data")
    (_, common_a, folder_a, _), (_, common_b, folder_b, _) = computers
    admin_a = os.path.join(folder_a, "kazurin2-admin")
    admin_b = os.path.join(folder_b, "kazurin2-admin")
    for admin in (admin_a, os.path.join(folder_a, "kazurin2")):
        said = run([admin, "--version"]).strip()
        if said != "%s %s" % (os.path.basename(admin), version):
            fail("%s --version says %r, the package is %s" % (admin, said, version))

    out = run([admin_a, "init", "--data-folder", data, "--install-folder", common_a,
               "--site-code", "123", "--site-name", "さくら塾", "--password", "1414"])
    if "次にすること" not in out:
        fail("init tells no next steps:\n" + out)
    with open(os.path.join(common_a, "パスデータ.txt"), "rb") as f:
        if f.read() != b'"' + (data + "/").encode("cp932") + b'"\r\n' + b"0\r\n" * 9:
            fail("the path file is not the data folder with its separator in CP932 with CR LF")
    # The administrator writes the students into the roster (one teacher line is there).
    roster = os.path.join(data, "新名簿.txt")
    with open(roster, "rb") as f:
        teacher = f.read().decode("cp932").splitlines()
    write_cp932(roster, teacher + ["1,2015,0,0,山田　太郎,0,,", "2,2015,0,0,佐藤　花子,0,,"])
    out = run([admin_b, "init", "--data-folder", data, "--install-folder", common_b])
    if out.count("作りました") != 1:
        fail("init on the second computer made more than its path file:\n" + out)
    for admin in (admin_a, admin_b):
        out = run([admin, "check"])
        if "問題はありません" not in out:
            fail("check finds problems in the new school:\n" + out)

    stations = []
    for (_, _, folder, home), student in zip(computers, (1, 2)):
        env = dict(os.environ, HOME=home, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
        env.pop("XDG_RUNTIME_DIR", None)
        args = [station, folder, str(student), "1"]
        stations.append((args, subprocess.Popen(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                                text=True)))
    for args, process in stations:
        said, _ = process.communicate(timeout=240)
        if VERBOSE:
            print("$ HOME=... " + " ".join(args))
            print(said.rstrip())
            print()
        if process.returncode != 0:
            fail("a classroom computer did not record its attempt:\n" + said)
    exported = run([admin_b, "export"]).splitlines()
    records = [line.split(",") for line in exported[1:]]
    if sorted(r[3] for r in records) != ["1", "2"] or any(r[9] != "00123" or r[5] != "1" for r in records):
        fail("the results are not the two attempts at level 1 of school 00123:\n" + "\n".join(exported))
    with open(os.path.join(data, "kazurin2", "問題別記録.csv"), encoding="utf-8") as f:
        logged = f.read().splitlines()
    if len(logged) < 3 or sorted({line.split(",")[2] for line in logged[1:]}) != ["1", "2"]:
        fail("the answers of the attempts were not logged:\n" + "\n".join(logged[:5]))
    run([admin_a, "check"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--cpack", default="cpack")
    parser.add_argument("--seconds", type=float, default=90, help="how long the program may take to start")
    parser.add_argument("--station", help="the classroom station program (tests/app/classroomstation.cpp)")
    parser.add_argument("--verbose", action="store_true", help="print every command and its output")
    options = parser.parse_args()
    global VERBOSE
    VERBOSE = options.verbose

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

        version = run(["dpkg-deb", "-f", debs[0], "Version"]).strip()
        listing = run(["dpkg-deb", "-c", debs[0]])
        for path in ("./usr/bin/kazurin2", "./usr/bin/kazurin2-admin", "./usr/share/doc/kazurin2/copyright",
                     "./" + PREFIX + "/kazurin2/school-template/音フォルダ/新音ファイル.txt",
                     "./" + PREFIX + "/kazurin2/school-template/タイム回数データ.txt"):
            if path not in listing:
                fail("the package holds no %s:\n%s" % (path, listing))
        root = os.path.join(work, "root")
        run(["dpkg", "-x", debs[0], root])
        for name in ("kazurin2", "kazurin2-admin"):
            with open(os.path.join(root, "usr/bin", name), encoding="utf-8") as f:
                if '"/%s/kazurin2/%s"' % (PREFIX, name) not in f.read():
                    fail("the starter /usr/bin/%s does not start the program folder's %s" % (name, name))
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
        if options.station:
            new_school(debs[0], work, options.station, version)
            print("package %s: a new school recorded its first attempts on two computers" % os.path.basename(debs[0]))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
