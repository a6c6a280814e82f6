"""Servers and a browser for the zylgrid browser tests.

Everything runs on loopback ports chosen free at start; every server gets a
fresh copy of the demo database and its own temporary folder (update lock
files included), and is stopped by its process id when the tests end.
"""
import os
import shutil
import signal
import socket
import sqlite3
import subprocess
import tempfile
import time
import urllib.request

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ZYLGRID = os.environ.get("ZYLGRID", os.path.join(SOURCE_DIR, "build/apps/zylgrid/zylgrid"))
DEMO_DATA = os.environ.get("ZYLGRID_DEMO_DATA",
                           os.path.join(SOURCE_DIR, "build/apps/zylgrid/demo-data/zylgrid-demo-data"))
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
STATUSES = "New,Confirmed,Shipped,Delivered,Cancelled"


def missing_tools():
    """The reason the browser tests cannot run here, or None."""
    if not os.path.exists(CHROMIUM):
        return "Chromium is not installed (scripts/install-deps browser)"
    if not os.path.exists(CHROMEDRIVER):
        return "chromium-driver is not installed (scripts/install-deps browser)"
    try:
        import selenium  # noqa: F401
    except ImportError:
        return "python3-selenium is not installed (scripts/install-deps browser)"
    if not os.path.exists(ZYLGRID):
        return "zylgrid is not built: " + ZYLGRID
    return None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until_up(url, process=None, seconds=15):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if process is not None and process.poll() is not None:
            raise RuntimeError("server exited with %s" % process.returncode)
        try:
            with urllib.request.urlopen(url, timeout=2) as reply:
                if reply.status == 200:
                    return
        except OSError:
            time.sleep(0.1)
    raise RuntimeError(url + " does not answer")


def demo_ini(db, editable_master):
    return ("[Page]\nTitle=zylgrid browser tests\nImagesURL=/images/\n"
            "ImagesDir=%s/assets/images\n\n"
            "[Customers]\nSource=sqlite:%s\nTable=customers\nRowsPerPage=8\nGlobalSorting=1\n"
            "Editable=%d\nShowMemos=%d\n\n"
            "[Orders]\nSource=sqlite:%s\nTable=orders\nMaster=Customers\nDetailKey=CustomerId=Id\n"
            "Editable=1\nRowsPerPage=10\nGlobalSorting=1\nPickList.Status=%s\n"
            % (SOURCE_DIR, db, 1 if editable_master else 0, 1 if editable_master else 0, db,
               STATUSES))


class Site:
    """A scratch folder with a fresh demo database and a site configuration.
    With an editable master the customers get a memo column, Notes, last
    (field 8), shown and edited in a text area."""

    def __init__(self, editable_master=False):
        self.dir = tempfile.mkdtemp(prefix="zylgrid-e2e-")
        self.locks = os.path.join(self.dir, "tmp")
        os.mkdir(self.locks)
        self.db = os.path.join(self.dir, "demo.db")
        subprocess.run([DEMO_DATA, self.db], check=True, stdout=subprocess.DEVNULL)
        if editable_master:
            with sqlite3.connect(self.db) as con:
                con.execute("ALTER TABLE customers ADD COLUMN Notes MEMO")
        self.ini = os.path.join(self.dir, "site.ini")
        with open(self.ini, "w") as f:
            f.write(demo_ini(self.db, editable_master))

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class Server:
    """zylgrid serve on a free loopback port."""

    def __init__(self, site):
        self.site = site
        self.port = free_port()
        self.url = "http://127.0.0.1:%d/" % self.port
        env = dict(os.environ, TMPDIR=site.locks)
        self.log = open(os.path.join(site.dir, "server.log"), "w")
        self.process = subprocess.Popen(
            [ZYLGRID, "serve", "--config", site.ini, "--port", str(self.port)],
            env=env, stdout=subprocess.DEVNULL, stderr=self.log)
        wait_until_up(self.url, self.process)

    def alive(self):
        return self.process.poll() is None

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()
        return self.process.returncode


class Lighttpd:
    """lighttpd with mod_cgi running zylgrid as a CGI program."""

    def __init__(self, site):
        self.site = site
        self.port = free_port()
        www = os.path.join(site.dir, "www")
        os.mkdir(www)
        shutil.copy(ZYLGRID, os.path.join(www, "zylgrid.cgi"))
        conf = os.path.join(site.dir, "lighttpd.conf")
        with open(conf, "w") as f:
            f.write('server.modules = ("mod_alias", "mod_cgi", "mod_setenv")\n'
                    'server.document-root = "%s"\n'
                    'server.bind = "127.0.0.1"\nserver.port = %d\n'
                    'server.errorlog = "%s"\n'
                    'alias.url = ("/images/" => "%s/assets/images/")\n'
                    'cgi.assign = (".cgi" => "")\n'
                    'setenv.add-environment = ("ZYLGRID_CONFIG" => "%s", "TMPDIR" => "%s")\n'
                    % (www, self.port, os.path.join(site.dir, "lighttpd.log"), SOURCE_DIR,
                       site.ini, site.locks))
        self.url = "http://127.0.0.1:%d/zylgrid.cgi" % self.port
        self.process = subprocess.Popen(["lighttpd", "-D", "-f", conf],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until_up(self.url, self.process)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(timeout=10)


def browser():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    profile = tempfile.mkdtemp(prefix="zylgrid-e2e-chromium-")
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--window-size=1280,1000",
                 "--user-data-dir=" + profile):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.set_page_load_timeout(30)
    driver.profile_dir = profile
    return driver
