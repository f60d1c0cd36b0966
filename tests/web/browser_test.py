#!/usr/bin/env python3
"""The teachers' web pages in a real browser.

A headless Chromium from Debian, driven through chromedriver's WebDriver interface,
opens the pages of `kazurin2-admin serve` on a demo school while a station records
attempts in another process:

  - a new attempt appears on today's classroom without a reload;
  - the level tables show, line for line, what `kazurin2-admin tables` prints;
  - a roster name with <script> is shown as text and runs nothing;
  - a request with "../" or an absolute path gets 404, also when sent raw;
  - on an address other than this computer's, a login is needed: a 4-digit password is
    refused at the start, a wrong password is refused, and after five wrong ones even
    the right one is refused for a while; the session cookie is HttpOnly and SameSite.

With --screenshots DIR it only takes pictures of every page in a tablet-sized and a
desktop-sized window instead.

Only the Python standard library. Exit status 77 (skipped) when Chromium or chromedriver
is not installed.
"""

import argparse
import base64
import datetime
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

HOSTILE_NAME = "<script>x</script>"
HOSTILE_BANGOU = 901
PASSWORD = "sakura-test-2004"
SKIPPED = 77

CHROMIUM_ARGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--hide-scrollbars", "--lang=ja", "--force-device-scale-factor=1"]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(what, condition, seconds=60.0, pause=0.1):
    """Polls condition() until it gives something true; fails after `seconds`."""
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("waited %.0f s in vain: %s" % (seconds, what))
        time.sleep(pause)


# ---------------------------------------------------------------- WebDriver

class WebDriver:
    """The few WebDriver commands the test uses, over chromedriver's HTTP interface."""

    def __init__(self, chromedriver, chromium, profile, width, height):
        self.port = free_port()
        self.log = open(os.path.join(profile, "chromedriver.log"), "w")
        self.process = subprocess.Popen([chromedriver, "--port=%d" % self.port], stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.base = "http://127.0.0.1:%d" % self.port
        wait_until("chromedriver to start", self._ready)
        args = CHROMIUM_ARGS + ["--user-data-dir=" + os.path.join(profile, "chromium"),
                                "--window-size=%d,%d" % (width, height)]
        caps = {"capabilities": {"alwaysMatch": {"browserName": "chrome", "goog:chromeOptions": {
            "binary": chromium, "args": args}}}}
        self.session = self._call("POST", "/session", caps)["sessionId"]
        # An element looked for right after a click that submits a form may belong to the
        # page still on its way: looking waits for it (nothing here expects an absence).
        self._call("POST", self._s("/timeouts"), {"implicit": 20000})
        self.set_size(width, height)

    def _ready(self):
        try:
            with urllib.request.urlopen(self.base + "/status", timeout=2) as r:
                return json.load(r)["value"].get("ready", False)
        except (OSError, ValueError):
            return False

    def _call(self, method, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=120) as r:
                return json.load(r)["value"]
        except urllib.error.HTTPError as e:
            value = json.load(e)["value"]
            raise Failure("WebDriver %s %s: %s %s" % (method, path, value.get("error"), value.get("message", "")[:300]))

    def _s(self, path):
        return "/session/%s%s" % (self.session, path)

    def set_size(self, width, height):
        self._call("POST", self._s("/window/rect"), {"width": width, "height": height})
        # Headless windows have no frame: make the page itself the size asked for.
        inner = self.script("return [window.innerWidth, window.innerHeight];")
        if inner != [width, height]:
            self._call("POST", self._s("/window/rect"),
                       {"width": 2 * width - inner[0], "height": 2 * height - inner[1]})

    def open(self, url):
        self._call("POST", self._s("/url"), {"url": url})

    def url(self):
        return self._call("GET", self._s("/url"))

    def script(self, source, *args):
        return self._call("POST", self._s("/execute/sync"), {"script": source, "args": list(args)})

    def find(self, css):
        element = self._call("POST", self._s("/element"), {"using": "css selector", "value": css})
        return next(iter(element.values()))

    def type_into(self, css, text):
        self._call("POST", self._s("/element/%s/value" % self.find(css)), {"text": text})

    def click(self, css):
        self._call("POST", self._s("/element/%s/click" % self.find(css)), {})

    def text(self, css):
        return self._call("GET", self._s("/element/%s/text" % self.find(css)))

    def cookies(self):
        return self._call("GET", self._s("/cookie"))

    def delete_cookies(self):
        self._call("DELETE", self._s("/cookie"))

    def alert_open(self):
        try:
            self._call("GET", self._s("/alert/text"))
            return True
        except Failure:
            return False

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self._call("GET", self._s("/screenshot"))))

    def quit(self):
        try:
            self._call("DELETE", self._s(""))
        except Exception:
            pass
        self.process.terminate()
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.log.close()


# ---------------------------------------------------------------- the school and the server

def make_school(source_dir, folder):
    subprocess.run([sys.executable, os.path.join(source_dir, "demo", "make_demo_school.py"), folder], check=True,
                   stdout=subprocess.DEVNULL)
    today = datetime.date.today()
    school_year = today.year - 1 if today.month < 4 else today.year
    # A third-grader whose name is markup: it must show as text wherever it appears.
    with open(os.path.join(folder, "data", "新名簿.txt"), "ab") as f:
        f.write(("%d,%d,0,0,%s,0,,\r\n" % (HOSTILE_BANGOU, school_year - 6 - 3, HOSTILE_NAME)).encode("cp932"))
    return os.path.join(folder, "kazurin2")


class Server:
    """kazurin2-admin serve, with the address it printed."""

    def __init__(self, admin, program_folder, listen, password_file=None):
        args = [admin, "--program-folder", program_folder, "serve", "--listen", listen]
        if password_file:
            args += ["--password-file", password_file]
        self.process = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        first = self.process.stdout.readline()
        if "http://" not in first:
            self.process.wait(20)
            raise Failure("serve did not start: %r %r" % (first, self.process.stderr.read()))
        self.url = first[first.index("http://"):].strip().rstrip("/")
        self.port = int(self.url.rsplit(":", 1)[1])
        self.lines = [first, self.process.stdout.readline()]

    def local_url(self):
        return "http://127.0.0.1:%d" % self.port

    def stop(self):
        self.process.terminate()
        try:
            status = self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure("serve did not end on SIGTERM")
        check(status == 0, "serve ended with status %d on SIGTERM" % status)


def raw_status(port, target):
    """The status of a request sent as written, without a client's tidying of the path."""
    with socket.create_connection(("127.0.0.1", port), timeout=20) as s:
        s.sendall(("GET %s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % (target, port)).encode())
        answer = b""
        # The server keeps the connection open: read the head, then as much body as it announces.
        while b"\r\n\r\n" not in answer:
            chunk = s.recv(65536)
            check(chunk, "the connection ended before the answer's head")
            answer += chunk
        head, body = answer.split(b"\r\n\r\n", 1)
        length = 0
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value.strip())
        while len(body) < length:
            chunk = s.recv(65536)
            check(chunk, "the connection ended before the answer's body")
            body += chunk
    check(b"root:" not in body, "a file's contents came back for " + target)
    return int(head.split(b" ", 2)[1])


def record_attempt(station, program_folder, student, level, seconds, wrong):
    done = subprocess.run([station, program_folder, str(student), str(level), str(seconds), str(wrong)],
                          capture_output=True, text=True, timeout=60)
    check(done.returncode == 0, "the station could not record: " + done.stderr)
    return int(done.stdout.strip())


def companion_tables(admin, program_folder, options):
    done = subprocess.run([admin, "--program-folder", program_folder, "tables", "--level", "all"] + options,
                          capture_output=True, text=True, timeout=120)
    check(done.returncode == 0, "kazurin2-admin tables failed: " + done.stderr)
    levels = {}
    current = None
    for line in done.stdout.split("\n")[:-1]:
        if line.startswith("# level "):
            current = int(line[len("# level "):])
            levels[current] = []
        else:
            levels[current].append(line)
    return levels


PAGE_LINES = """
const out = {};
document.querySelectorAll('section.level').forEach(function (s) {
    out[s.id.substring(6)] = Array.from(s.querySelectorAll('.line')).map(function (l) { return l.textContent; });
});
return out;
"""


# ---------------------------------------------------------------- the checks

def check_live_classroom(driver, server, station, program_folder):
    driver.open(server.url + "/")
    check(driver.text("h1").startswith("今日の教室"), "the start page is not today's classroom")
    records_before = driver.text("#status-records")
    driver.script("window.kzSamePage = 'yes';")
    started = time.monotonic()
    number = record_attempt(station, program_folder, HOSTILE_BANGOU, 3, 42, 2)
    row = 'tr[data-record="%d"]' % number
    wait_until("the new attempt on the open page",
               lambda: driver.script("return document.querySelector(arguments[0]) !== null;", row), seconds=60)
    seen_after = time.monotonic() - started
    check(driver.script("return window.kzSamePage;") == "yes", "the page was loaded again")
    check(driver.script("return document.querySelector(arguments[0]).classList.contains('wrong');", row),
          "an attempt with wrong answers is not marked")
    check(driver.text(row + " a") == HOSTILE_NAME, "the hostile name is not shown as its text")
    wait_until("the status line to count the new record", lambda: driver.text("#status-records") != records_before,
               seconds=60)
    # A time-out recorded now is shown as one.
    number = record_attempt(station, program_folder, 5, 1, 99999, 0)
    wait_until("the time-out on the open page", lambda: driver.script(
        "const r = document.querySelector(arguments[0]); return r !== null && r.classList.contains('timeout');",
        'tr[data-record="%d"]' % number), seconds=60)
    check(driver.script("return window.kzSamePage;") == "yes", "the page was loaded again")
    print("new attempt seen on the open page after %.1f s" % seen_after)


def check_hostile_name(driver, server):
    for path in ["/", "/students", "/student?n=%d" % HOSTILE_BANGOU, "/tables?display=time&option=2"]:
        driver.open(server.url + path)
        check(not driver.alert_open(), "a script from a name ran on " + path)
        scripts = driver.script("return Array.from(document.scripts).map(function (s) { return s.src; });")
        check(scripts == [server.url + "/static/kazurin2-web.js"], "unexpected scripts on %s: %r" % (path, scripts))
        body = driver.script("return document.body.textContent;")
        shown = HOSTILE_NAME if path != "/tables?display=time&option=2" else HOSTILE_NAME[:5]
        check(shown in body, "the name is not shown as text on " + path)


def check_tables(driver, server, admin, program_folder):
    choices = [
        ("display=time&option=1", ["--display", "time", "--table", "best"]),
        ("display=time&option=2", ["--display", "time", "--table", "today"]),
        ("display=time&option=3&period=1", ["--display", "time", "--table", "period", "--period", "1"]),
        ("display=time&option=3&period=5&grade=9", ["--display", "time", "--table", "period", "--period", "5",
                                                    "--grade-filter", "9"]),
        ("display=points&option=1", ["--display", "points", "--table", "best", "--points-kind", "1"]),
        ("display=points&option=2&grade=2", ["--display", "points", "--table", "best", "--points-kind", "2",
                                             "--grade-filter", "2"]),
        ("display=points&option=3&period=3", ["--display", "points", "--table", "period", "--period", "3"]),
    ]
    for query, options in choices:
        driver.open(server.url + "/tables?" + query)
        shown = driver.script(PAGE_LINES)
        printed = companion_tables(admin, program_folder, options)
        check(sorted(int(k) for k in shown) == list(range(1, 26)), "levels missing on /tables?" + query)
        lines = 0
        for level in range(1, 26):
            page = shown[str(level)]
            if page != printed[level]:
                raise Failure("/tables?%s level %d:\n page: %r\n tables: %r" % (query, level, page, printed[level]))
            lines += len(page)
        check(lines > 0, "no lines at all for /tables?" + query)


def check_paths(driver, server):
    for target in ["/../../../../etc/passwd", "/static/../../../etc/passwd", "/static/%2e%2e/%2e%2e/etc/passwd",
                   "/static/..%2f..%2f..%2fetc%2fpasswd", "/etc/passwd", "//etc/passwd",
                   "/" + os.path.abspath(__file__).lstrip("/")]:
        status = raw_status(server.port, target)
        check(status == 404, "%s gave %d" % (target, status))
    driver.open(server.url + "/etc/passwd")
    check(driver.text("h1") == "ページがありません", "an absolute path in the browser is not 404")


def check_headers(server):
    with urllib.request.urlopen(server.url + "/") as r:
        policy = r.headers["Content-Security-Policy"]
    check(policy is not None and "script-src 'self'" in policy and "unsafe-inline" not in policy,
          "no strict Content-Security-Policy: %r" % policy)


def check_login(driver, admin, program_folder, work):
    weak = os.path.join(work, "weak-password.txt")
    with open(weak, "w") as f:
        f.write("1414\n")
    refused = subprocess.run([admin, "--program-folder", program_folder, "serve", "--listen", "0.0.0.0:0",
                              "--password-file", weak], capture_output=True, text=True, timeout=60)
    check(refused.returncode == 1 and "8 文字以上" in refused.stderr,
          "a 4-digit password was not refused: %r" % (refused.stderr,))

    good = os.path.join(work, "password.txt")
    with open(good, "w") as f:
        f.write(PASSWORD + "\n")
    server = Server(admin, program_folder, "0.0.0.0:0", good)
    try:
        url = server.local_url()
        driver.delete_cookies()
        driver.open(url + "/")
        check(driver.url().endswith("/login"), "the pages opened without a login")
        driver.type_into("#password", PASSWORD)
        driver.click("#login-button")
        try:
            wait_until("the classroom after the login", lambda: driver.url() == url + "/", seconds=60)
        except Failure:
            raise Failure("no classroom after the login: %s %r" % (driver.url(), driver.script(
                "return document.body.innerText;")[:500]))
        check(driver.text("h1").startswith("今日の教室"), "the login did not lead to the classroom")
        check(driver.script("return document.cookie;") == "", "the session cookie is readable by scripts")
        session = [c for c in driver.cookies() if c["name"] == "kz_session"]
        check(len(session) == 1 and session[0]["httpOnly"] and session[0].get("sameSite") == "Strict",
              "the session cookie is not HttpOnly and SameSite: %r" % session)

        driver.delete_cookies()
        for _ in range(5):
            driver.open(url + "/login")
            driver.type_into("#password", "1414")
            driver.click("#login-button")
            check(driver.text("#login-message") == "パスワードが違います。", "a wrong password was not refused")
        driver.open(url + "/login")
        driver.type_into("#password", PASSWORD)
        driver.click("#login-button")
        message = driver.text("#login-message")
        check("しばらく入れられません" in message, "the sixth try was not held back: %r" % message)
        check(driver.url().endswith("/login"), "the right password got in while held back")
    finally:
        server.stop()


# ---------------------------------------------------------------- screenshots

SCREENS = [
    ("classroom", "/"),
    ("tables-points", "/tables"),
    ("tables-today", "/tables?display=time&option=2"),
    ("tables-period", "/tables?display=time&option=3&period=3"),
    ("students", "/students"),
    ("student", "/student?n=%d" % 9),
    ("class", "/class?grade=0"),
    ("login", "/login"),
]
WINDOWS = [("tablet", 820, 1180), ("desktop", 1366, 900)]


def take_screenshots(args, chromium, chromedriver, work, program_folder):
    os.makedirs(args.screenshots, exist_ok=True)
    # A lesson under way: a few students, a wrong answer here and there, one time-out.
    for i, (student, level, seconds, wrong) in enumerate([
            (9, 1, 30, 0), (HOSTILE_BANGOU, 2, 37, 1), (9, 3, 44, 2), (14, 1, 52, 0), (27, 2, 99999, 0),
            (9, 1, 28, 0), (14, 2, 61, 3), (9, 1, 26, 0), (HOSTILE_BANGOU, 4, 51, 0), (27, 2, 48, 1)]):
        record_attempt(args.station, program_folder, student, level, seconds, wrong)
        time.sleep(1.1)  # one attempt a second at most, as in a classroom
    local = Server(args.admin, program_folder, "127.0.0.1:0")
    password = os.path.join(work, "password.txt")
    with open(password, "w") as f:
        f.write(PASSWORD + "\n")
    guarded = Server(args.admin, program_folder, "0.0.0.0:0", password)
    written = []
    try:
        for window, width, height in WINDOWS:
            driver = WebDriver(chromedriver, chromium, tempfile.mkdtemp(dir=work), width, height)
            try:
                for name, path in SCREENS:
                    base = guarded.local_url() if name == "login" else local.url
                    driver.open(base + path)
                    time.sleep(0.5)
                    file = os.path.join(args.screenshots, "%s-%s.png" % (name, window))
                    driver.screenshot(file)
                    written.append(file)
            finally:
                driver.quit()
    finally:
        local.stop()
        guarded.stop()
    for file in written:
        print(file)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--admin", required=True)
    parser.add_argument("--station", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--screenshots", help="only take screenshots into this folder")
    args = parser.parse_args()

    chromedriver = shutil.which("chromedriver")
    chromium = next((p for p in ["/usr/lib/chromium/chromium", shutil.which("chromium") or ""]
                     if p and os.access(p, os.X_OK)), None)
    if not chromedriver or not chromium:
        print("SKIPPED: Chromium and chromedriver are not installed (bash scripts/install-deps.sh installs them)")
        return SKIPPED

    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)
    work = args.work_dir
    program_folder = make_school(args.source_dir, os.path.join(work, "school"))

    if args.screenshots:
        take_screenshots(args, chromium, chromedriver, work, program_folder)
        return 0

    server = Server(args.admin, program_folder, "127.0.0.1:0")
    driver = None
    try:
        check("ログインなし" in server.lines[1], "serve on this computer asks for a login: %r" % server.lines)
        driver = WebDriver(chromedriver, chromium, tempfile.mkdtemp(dir=work), 1366, 900)
        steps = [
            ("security headers", lambda: check_headers(server)),
            ("live classroom", lambda: check_live_classroom(driver, server, args.station, program_folder)),
            ("names as text", lambda: check_hostile_name(driver, server)),
            ("tables as the companion prints them", lambda: check_tables(driver, server, args.admin,
                                                                        program_folder)),
            ("paths outside the pages", lambda: check_paths(driver, server)),
            ("login off this computer", lambda: check_login(driver, args.admin, program_folder, work)),
        ]
        for name, step in steps:
            step()
            print("ok: " + name)
    except Failure as e:
        print("FAILED: %s" % e)
        return 1
    finally:
        if driver:
            driver.quit()
        server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
