"""The soak run: `zylgrid serve` on a free loopback port, visitor threads that
post the page's own forms for a bounded time, then the checks.

Settings from the environment:
  ZYLGRID, ZYLGRID_DEMO_DATA   the built programs (CTest passes them)
  ZYL_SOAK_SECONDS             length of the visiting phase (default 15)
  ZYL_SOAK_THREADS             visitor threads (default 6)
  ZYL_SOAK_SEED                random seed (default: time); printed for reruns
  ZYL_SOAK_KEEP                1: keep the scratch folder (server log, database);
                               a failed run keeps it, with each failing visitor's
                               last posts and answers (visitor*.post, *.html)
"""
import collections
import http.client
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import soakpage  # noqa: E402

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ZYLGRID = os.environ.get("ZYLGRID", os.path.join(SOURCE_DIR, "build/apps/zylgrid/zylgrid"))
DEMO_DATA = os.environ.get("ZYLGRID_DEMO_DATA",
                           os.path.join(SOURCE_DIR, "build/apps/zylgrid/demo-data/zylgrid-demo-data"))
SECONDS = float(os.environ.get("ZYL_SOAK_SECONDS", "15"))
THREADS = int(os.environ.get("ZYL_SOAK_THREADS", "6"))
SEED = int(os.environ.get("ZYL_SOAK_SEED", str(int(time.time()))))
KEEP = os.environ.get("ZYL_SOAK_KEEP") == "1"
SKIP = 77

DOWNLOADS = {"XLS": ("application/x-msexcel", ".xls"), "TXT": ("text/plain", ".txt"),
             "MDB": ("application/msaccess", ".mdb"), "DBF": ("application/octet-stream", ".dbf"),
             "DB": ("application/octet-stream", ".db")}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Grid:
    """What the visitors know of one grid of the site."""

    def __init__(self, name, table, key, key_field, text_field, text_column,
                 editable=False, addable=False, detail_of=None, downloads=True):
        self.name = name
        self.table = table
        self.key = key                # key column (shown as the first column)
        self.key_field = key_field    # its field index
        self.text_field = text_field  # field index of the text column edits write
        self.text_column = text_column
        self.editable = editable
        self.addable = addable
        self.detail_of = detail_of
        self.downloads = downloads


class Server:
    """zylgrid serve on a free loopback port, stopped with SIGTERM."""

    def __init__(self, folder, ini, env=None):
        self.port = free_port()
        self.url = "http://127.0.0.1:%d/" % self.port
        self.log_path = os.path.join(folder, "server.log")
        self.log = open(self.log_path, "w")
        full = dict(os.environ, TMPDIR=os.path.join(folder, "tmp"))
        full.update(env or {})
        os.makedirs(full["TMPDIR"], exist_ok=True)
        self.process = subprocess.Popen(
            [ZYLGRID, "serve", "--config", ini, "--port", str(self.port)],
            env=full, stdout=subprocess.DEVNULL, stderr=self.log)
        deadline = time.time() + 20
        while True:
            if self.process.poll() is not None:
                raise RuntimeError("zylgrid exited at start with %s; log: %s"
                                   % (self.process.returncode, self.log_text()[-2000:]))
            try:
                with urllib.request.urlopen(self.url, timeout=5) as reply:
                    if reply.status == 200:
                        break
            except OSError:
                if time.time() > deadline:
                    raise RuntimeError(self.url + " does not answer")
                time.sleep(0.1)

    def alive(self):
        return self.process.poll() is None

    def open_files(self):
        """The number of file descriptors the server holds (-1 when unknown)."""
        try:
            return len(os.listdir("/proc/%d/fd" % self.process.pid))
        except OSError:
            return -1

    def memory_kb(self):
        """The server's resident memory in KiB (-1 when unknown)."""
        try:
            with open("/proc/%d/status" % self.process.pid) as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return -1

    def stop(self):
        """SIGTERM; the exit status, or None when it had to be killed."""
        status = None
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                status = self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        else:
            status = self.process.returncode
        self.log.close()
        return status

    def log_text(self):
        if not self.log.closed:
            self.log.flush()
        with open(self.log_path, errors="replace") as f:
            return f.read()


class Reply:
    def __init__(self, status, headers, body, start, end):
        self.status = status
        self.headers = headers
        self.body = body
        self.start = start
        self.end = end

    def text(self):
        return self.body.decode("utf-8", errors="replace")


class Stats:
    """Counters and records shared by the visitors (one lock)."""

    def __init__(self):
        self.lock = threading.Lock()
        self.counts = collections.Counter()
        self.latencies = []
        self.failures = []
        self.edits = []  # dicts: grid, key, marker, outcome, thread, seq
        self.adds = []   # dicts: marker, outcome
        self.requests = []  # (thread, start, end, outcome)

    def count(self, name, n=1):
        with self.lock:
            self.counts[name] += n

    def fail(self, thread, what, reply=None):
        detail = ""
        if reply is not None:
            detail = " [status %s, %d bytes: %r]" % (reply.status, len(reply.body),
                                                     reply.body[:300])
        with self.lock:
            self.failures.append("visitor %d: %s%s" % (thread, what, detail))


class Cut(Exception):
    """The request was cut by a broken database connection (PostgreSQL run)."""


class Visitor(threading.Thread):
    """One visitor: a browser session that clicks through the page."""

    def __init__(self, soak, index):
        super().__init__(name="visitor-%d" % index, daemon=True)
        self.soak = soak
        self.index = index
        self.rng = random.Random(SEED * 100 + index)
        self.page = None
        self.conn = None
        self.seq = 0
        self.history = []  # the last posts: (what, body, answer)
        self.failures_kept = 0

    # ---- transport -------------------------------------------------------

    def send(self, method, path, body=None, headers=None):
        """One request on the visitor's keep-alive connection."""
        headers = dict(headers or {})
        if body is not None:
            headers.setdefault("Content-Type", "application/x-www-form-urlencoded")
        start = time.time()
        if self.conn is None:
            self.conn = http.client.HTTPConnection("127.0.0.1", self.soak.server.port, timeout=60)
        try:
            self.conn.request(method, path, body, headers)
            response = self.conn.getresponse()
            data = response.read()
            if response.will_close:
                self.conn.close()
                self.conn = None
        except (OSError, http.client.HTTPException) as e:
            if self.conn is not None:
                self.conn.close()
            self.conn = None
            end = time.time()
            self.soak.stats.count("requests")
            self.soak.record(self.index, start, end, "connection-error")
            raise ConnectionError("%s %s: %s: %s" % (method, path, type(e).__name__, e))
        end = time.time()
        with self.soak.stats.lock:
            self.soak.stats.counts["requests"] += 1
            self.soak.stats.latencies.append(end - start)
        return Reply(response.status, response.headers, data, start, end)

    def page_reply(self, reply, what):
        """Checks a reply that should be a page; returns the parsed page.
        Raises Cut for an error answer of a cut database connection when the
        run allows it, AssertionError for anything else that is wrong."""
        text = reply.text()
        if soakpage.STACK_TRACE.search(text):
            raise AssertionError("%s: the answer shows internals" % what)
        ctype = reply.headers.get("Content-Type", "")
        complete = text.rstrip().lower().endswith("</html>")
        if reply.status == 500 and complete and "Something went wrong" in text:
            if self.soak.cuts_allowed:
                self.soak.record(self.index, reply.start, reply.end, "cut-500")
                raise Cut(what)
        if reply.status != 200:
            raise AssertionError("%s: status %d" % (what, reply.status))
        if not ctype.startswith("text/html"):
            raise AssertionError("%s: content type %r" % (what, ctype))
        if not complete:
            raise AssertionError("%s: incomplete page" % what)
        page = soakpage.Page(text)
        for grid in self.soak.grids:
            if not page.forms_of(grid.name):
                raise AssertionError("%s: the page has no forms of grid %s" % (what, grid.name))
        # A read cut short by a broken connection says so in the error box,
        # and the page keeps only the rows read whole.
        if page.error_box():
            message = page.error_text()
            self.soak.stats.count("error boxes")
            if self.soak.cuts_allowed and self.soak.is_connection_error(message):
                self.soak.record(self.index, reply.start, reply.end, "cut-box")
                self.page = page
                raise Cut(what + ": " + message[:200])
        for grid in self.soak.grids:
            # Every table has records: a page without rows lost its data on the way.
            if grid.detail_of is None and not page.rows(grid.name):
                raise AssertionError("%s: grid %s shows no records" % (what, grid.name))
        self.soak.record(self.index, reply.start, reply.end, "ok")
        return page

    def keep_history(self):
        """Writes the last posts and their answers into the scratch folder,
        which a failed run keeps."""
        for n, (what, body, answer) in enumerate(self.history):
            base = os.path.join(SCRATCH[0], "visitor%d-%d-%d" % (self.index, self.failures_kept, n))
            with open(base + ".post", "wb") as f:
                f.write(what.encode() + b"\n" + body)
            with open(base + ".html", "wb") as f:
                f.write(answer)
        self.failures_kept += 1

    def get(self, what="visit"):
        self.soak.stats.count("action " + what)
        reply = self.send("GET", "/")
        self.page = self.page_reply(reply, what)
        return self.page

    def click(self, form, button, values=None, what="click"):
        self.soak.stats.count("action " + what)
        body = soakpage.encode(soakpage.form_fields(form, button, values,
                                                    self.rng.randint(1, 20), self.rng.randint(1, 20)))
        reply = self.send("POST", "/", body)
        self.history = self.history[-3:] + [(what, body, reply.body)]
        self.page = self.page_reply(reply, "%s (%s %s)" % (what, form.grid, button.name))
        return self.page

    # ---- helpers ---------------------------------------------------------

    def pick_button(self, grid, pattern, form_name=None):
        found = self.page.button(grid, pattern, form_name)
        return self.rng.choice(found) if found else (None, None)

    def grid(self):
        return self.rng.choice(self.soak.grids)

    # ---- visitor actions -------------------------------------------------

    def act_page(self):
        g = self.grid()
        form, button = self.pick_button(g.name, "GFIRST|GPREVIOUS|GNEXT|GLAST")
        if form is None:
            return self.get()
        self.click(form, button, what="page")

    def act_jump(self):
        g = self.grid()
        forms = self.page.forms_of(g.name, "TOOLBARTOP") + self.page.forms_of(g.name, "TOOLBARBOTTOM")
        forms = [f for f in forms if f.visible("GPage") is not None and f.images("GOK")]
        if not forms:
            return self.act_page()
        form = self.rng.choice(forms)
        choice = self.rng.choice(form.visible("GPage").options or ["1"])
        self.click(form, form.images("GOK")[0], {"GPage": choice}, what="jump")

    def act_rows_per_page(self):
        g = self.grid()
        forms = [f for f in self.page.forms_of(g.name, "TOOLBARTOP") if f.visible("GRPP") and f.images("GOK")]
        if not forms:
            return self.act_page()
        form = forms[0]
        self.click(form, form.images("GOK")[0], {"GRPP": str(self.rng.choice([1, 3, 5, 8, 10, 20, 25]))},
                   what="rows per page")

    def act_sort(self):
        g = self.grid()
        if self.rng.random() < 0.3:
            form, button = self.pick_button(g.name, "GSORTOFF")
            if form is not None:
                return self.click(form, button, what="sort off")
        form, button = self.pick_button(g.name, r"GSort(ASC|DESC)_\d+", g.name + "_SELECTORS")
        if form is None:
            form, button = self.pick_button(g.name, "GGLYPHON")
            if form is None:
                return self.act_page()
            return self.click(form, button, what="show sort buttons")
        self.click(form, button, what="sort")

    def act_select(self):
        g = self.grid()
        form, button = self.pick_button(g.name, r"GRecNo\d+", g.name + "_TABLE")
        if form is None:
            return self.act_page()
        self.click(form, button, what="select record")

    def act_toolbar_extras(self):
        g = self.grid()
        form, button = self.pick_button(g.name, "GSUM|GSA|GGLYPHOFF|GGLYPHON|GCHECKON|GCHECKOFF")
        if form is None:
            return self.act_page()
        self.click(form, button, what="toolbar " + button.name)
        if button.name == "GCHECKON":
            form, button = self.pick_button(g.name, "GCHECKDO")
            if form is not None:
                values = {}
                for c in form.controls:
                    if c.kind == "checkbox" and c.name == "GSel":
                        values[id(c)] = self.rng.random() < 0.7
                self.click(form, button, values, what="choose columns")

    def act_download(self):
        grids = [g for g in self.soak.grids if g.downloads]
        if not grids:
            return self.act_page()
        g = self.rng.choice(grids)
        form, button = self.pick_button(g.name, "GSAVEAS", "TOOLBARTOP")
        if form is None:
            return self.act_page()
        kind = self.rng.choice(sorted(DOWNLOADS))
        self.soak.stats.count("action download")
        body = soakpage.encode(soakpage.form_fields(form, button, {"GSave": kind}))
        reply = self.send("POST", "/", body)
        ctype, ext = DOWNLOADS[kind]
        disposition = reply.headers.get("Content-Disposition", "")
        if self.soak.cuts_allowed and reply.status == 500 and b"Something went wrong" in reply.body:
            self.soak.record(self.index, reply.start, reply.end, "cut-500")
            raise Cut("download")
        if (reply.status != 200 or reply.headers.get_content_type() != ctype or
                not disposition.endswith(ext + '"') or len(reply.body) < 10):
            raise AssertionError("download %s of %s: status %d, %s, %r, %d bytes"
                                 % (kind, g.name, reply.status, reply.headers.get_content_type(),
                                    disposition, len(reply.body)))
        self.soak.record(self.index, reply.start, reply.end, "ok")
        self.soak.stats.count("downloads")

    def own_rows(self, g):
        rows = []
        for row in self.page.rows(g.name):
            if len(row.items) > 1 and row.items[1].isdigit() and int(row.items[1]) % THREADS == self.index:
                rows.append(row)
        return rows

    def act_edit(self):
        grids = [g for g in self.soak.grids if g.editable]
        g = self.rng.choice(grids)
        self.get("fresh visit")  # edits start from the unsorted first page
        if g.detail_of:
            form, button = self.pick_button(g.detail_of, r"GRecNo\d+", g.detail_of + "_TABLE")
            if form is not None:
                self.click(form, button, what="select master record")
        forms = [f for f in self.page.forms_of(g.name, "TOOLBARTOP") if f.visible("GPage") and f.images("GOK")]
        if forms:
            choice = self.rng.choice(forms[0].visible("GPage").options or ["1"])
            self.click(forms[0], forms[0].images("GOK")[0], {"GPage": choice}, what="jump")
        rows = self.own_rows(g)
        if not rows:
            self.soak.stats.count("edit: no row of mine on the page")
            return
        row = self.rng.choice(rows)
        key = int(row.items[1])
        form, button = self.pick_button(g.name, "GRecNo%d" % row.recno, g.name + "_TABLE")
        self.click(form, button, what="select record to edit")
        text_cell = self.page.cells(g.name).get((row.recno, g.text_field))
        if text_cell is None:
            raise AssertionError("edit %s: record %d has no edit controls" % (g.name, row.recno))
        now = [r for r in self.page.rows(g.name) if r.recno == row.recno]
        if not now or len(now[0].items) < 2 or now[0].items[1] != str(key):
            self.soak.stats.count("edit: the record moved meanwhile")
            return
        self.seq += 1
        marker = "soak-%d-%d-%s" % (self.index, self.seq, "".join(
            self.rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(6)))
        form = [f for f in self.page.forms_of(g.name, g.name + "_TABLE") if f.images("GUPDATE")][0]
        edit = {"grid": g, "key": key, "marker": marker, "thread": self.index, "seq": self.seq,
                "outcome": "sent"}
        with self.soak.stats.lock:
            self.soak.stats.edits.append(edit)
        try:
            page = self.click(form, form.images("GUPDATE")[0], {id(text_cell): marker}, what="update")
        except Cut:
            edit["outcome"] = "cut"
            raise
        except Exception:
            edit["outcome"] = "failed"
            raise
        if page.error_box():
            edit["outcome"] = "refused"
            edit["message"] = page.error_text()
            self.soak.stats.count("edits refused (error box)")
            return
        shown = [r for r in page.rows(g.name) if r.recno == row.recno and marker in r.items]
        if shown and shown[0].items[1] == str(key):
            edit["outcome"] = "acknowledged"
            self.soak.stats.count("edits acknowledged")
        else:
            edit["outcome"] = "not shown"
            raise AssertionError("update %s %d: the answer shows neither %r nor an error"
                                 % (g.name, key, marker))

    def act_add(self):
        grids = [g for g in self.soak.grids if g.addable]
        if not grids:
            return self.act_page()
        g = self.rng.choice(grids)
        form, button = self.pick_button(g.name, "GADD", g.name + "_TABLE")
        if form is None:
            self.get()
            form, button = self.pick_button(g.name, "GADD", g.name + "_TABLE")
        self.click(form, button, what="add")
        forms = [f for f in self.page.forms_of(g.name, g.name + "_TABLE") if f.images("GUPDATE")]
        if not forms:
            raise AssertionError("add %s: no update button on the new-record page" % g.name)
        form = forms[0]
        cells = form.cells()
        if not cells:
            raise AssertionError("add %s: no new-record row" % g.name)
        self.seq += 1
        marker = "added-%d-%d-%d" % (self.index, self.seq, self.rng.randint(0, 10 ** 6))
        values = {}
        for (r, f), c in cells.items():
            v = self.soak.new_record_value(g, f, marker)
            if v is not None:
                values[id(c)] = v
        add = {"grid": g, "marker": marker, "outcome": "sent"}
        with self.soak.stats.lock:
            self.soak.stats.adds.append(add)
        try:
            page = self.click(form, form.images("GUPDATE")[0], values, what="add update")
        except Cut:
            add["outcome"] = "cut"
            raise
        except Exception:
            add["outcome"] = "failed"
            raise
        if page.error_box():
            add["outcome"] = "refused"
            add["message"] = page.error_text()
            self.soak.stats.count("adds refused (error box)")
        elif marker in page.text:
            add["outcome"] = "acknowledged"
            self.soak.stats.count("adds acknowledged")
        else:
            add["outcome"] = "not shown"
            raise AssertionError("add %s: the answer shows neither %r nor an error" % (g.name, marker))

    def act_hostile(self):
        self.soak.stats.count("action hostile")
        name, method, path, body, allowed = self.rng.choice(self.soak.hostile)
        if method == "RAW":
            self.raw(body)
            return
        reply = self.send(method, path, body)
        if reply.status == 500 and self.soak.cuts_allowed and (
                method == "HEAD" or b"Something went wrong" in reply.body):
            self.soak.record(self.index, reply.start, reply.end, "cut-500")
            raise Cut("hostile " + name)
        if "text" in allowed:  # a download of tabbed text
            if reply.status != 200 or reply.headers.get_content_type() != "text/plain":
                raise AssertionError("hostile %s: status %d, %s" % (name, reply.status,
                                                                    reply.headers.get_content_type()))
            self.soak.record(self.index, reply.start, reply.end, "ok")
            return
        if reply.status not in allowed:
            raise AssertionError("hostile %s: status %d (expected %s)" % (name, reply.status, allowed))
        if reply.status == 200 and method != "HEAD":
            self.page_reply(reply, "hostile " + name)
            self.page = None
        else:
            self.soak.record(self.index, reply.start, reply.end, "ok")
        if self.page is None:
            self.get()

    def raw(self, data):
        """Broken framing on a connection of its own: any answer or none, but no crash."""
        start = time.time()
        try:
            with socket.create_connection(("127.0.0.1", self.soak.server.port), timeout=10) as s:
                s.sendall(data)
                s.shutdown(socket.SHUT_WR)
                while s.recv(65536):
                    pass
        except OSError:
            pass
        self.soak.record(self.index, start, time.time(), "ok")
        self.soak.stats.count("requests")

    # ---- the run ---------------------------------------------------------

    def run(self):
        actions = [(self.act_page, 20), (self.act_jump, 10), (self.act_rows_per_page, 5),
                   (self.act_sort, 12), (self.act_select, 12), (self.act_toolbar_extras, 4),
                   (self.act_download, 2), (self.act_edit, 18), (self.act_add, 3),
                   (self.act_hostile, 4), (self.get, 3)]
        functions = [a for a, _ in actions]
        weights = [w for _, w in actions]
        while time.time() < self.soak.deadline:
            try:
                if self.page is None:
                    self.get()
                    continue
                self.rng.choices(functions, weights)[0]()
            except Cut as e:
                self.soak.stats.count("requests cut")
                self.page = None
                del e
            except (AssertionError, ConnectionError) as e:
                self.soak.stats.fail(self.index, str(e))
                self.keep_history()
                self.page = None
            except Exception:
                self.soak.stats.fail(self.index, "visitor error: " + traceback.format_exc())
                self.page = None
        if self.conn is not None:
            self.conn.close()


HOSTILE = [
    ("huge numbers", "POST", "/", b"GName=Customers&GPage=-999999999999&GRPP=99999999999"
     b"&GRecNo-1.x=1&GRecNo-1.y=1", (200,)),
    ("cell far outside", "POST", "/", b"GName=Customers&GCELL_99999_99999=x&GUPDATE.x=1&GUPDATE.y=1"
     b"&GUID=../../x", (200,)),
    ("bad escapes", "POST", "/", b"%&%%=&&GName=%00%FF%0D%0A\xff\xfe", (200,)),
    ("long name", "POST", "/", b"GName=" + b"A" * 200000, (200,)),
    ("bad record number", "POST", "/", b"GName=Customers&GRecNoabc.x=1&GRecNoabc.y=1", (200, 400)),
    ("bad cell name", "POST", "/", b"GName=Customers&GCELL_x_y=1&GUPDATE.x=1&GUPDATE.y=1", (200, 400)),
    ("sort far outside", "POST", "/", b"GName=Customers&GSortASC_99999999999.x=0&GSortASC_99999999999.y=0"
     b"&GSortDESC_100000.x=0&GSortDESC_100000.y=0", (200,)),
    ("zero rows per page", "POST", "/", b"GName=Customers&GRPP=0&GNEXT.x=1&GNEXT.y=1", (200,)),
    ("negative rows per page", "POST", "/", b"GName=Customers&GRPP=-3&GLAST.x=1&GLAST.y=1", (200,)),
    ("unknown export", "POST", "/", b"GName=Customers&GSave=EVIL&GSAVEAS.x=1&GSAVEAS.y=1", ("text",)),
    ("query string", "GET", "/?GName=Customers&GPage=%zz&GRPP=%", None, (200,)),
    ("head", "HEAD", "/", None, (200,)),
    ("put", "PUT", "/", b"x", (405,)),
    ("image outside", "GET", "/images/..%2F..%2Fetc%2Fpasswd", None, (404,)),
    ("short body", "RAW", "", b"POST / HTTP/1.1\r\nHost: x\r\nContent-Type: application/"
     b"x-www-form-urlencoded\r\nContent-Length: 100\r\nConnection: close\r\n\r\nGName=Customers",
     ()),
    ("bad length", "RAW", "", b"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: abc\r\n"
     b"Connection: close\r\n\r\nGName=Customers", ()),
    ("garbage", "RAW", "", b"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03" + b"\x00" * 64, ()),
]


class Soak:
    """One run: the site (grids, database checks) is given by the caller."""

    def __init__(self, title, grids, server, new_record_value, cuts_allowed=False,
                 is_connection_error=None):
        self.title = title
        self.grids = grids
        self.server = server
        self.new_record_value = new_record_value
        self.cuts_allowed = cuts_allowed
        self.is_connection_error = is_connection_error or (lambda message: False)
        self.stats = Stats()
        self.hostile = HOSTILE
        self.deadline = 0
        self.started = 0
        self.duration = 0
        self.files_before = self.files_after = -1
        self.memory_before = self.memory_after = -1

    def record(self, thread, start, end, outcome):
        with self.stats.lock:
            self.stats.requests.append((thread, start, end, outcome))

    def visit(self, background=None):
        """Runs the visitors for SECONDS; `background` (a callable taking the
        deadline) runs beside them, e.g. the connection breaker."""
        self.files_before = self.server.open_files()
        self.memory_before = self.server.memory_kb()
        self.started = time.time()
        self.deadline = self.started + SECONDS
        visitors = [Visitor(self, i) for i in range(THREADS)]
        for v in visitors:
            v.start()
        if background is not None:
            background(self.deadline)
        for v in visitors:
            v.join(SECONDS + 120)
            if v.is_alive():
                self.stats.fail(v.index, "visitor still busy two minutes after the end")
        self.duration = time.time() - self.started
        if not self.server.alive():
            self.stats.failures.append("zylgrid is no longer running after the visits")
            return
        # Connections the visitors left are closed; what stays open leaked.
        for _ in range(50):
            self.files_after = self.server.open_files()
            if self.files_after <= self.files_before + 4:
                break
            time.sleep(0.1)
        self.memory_after = self.server.memory_kb()
        if self.files_after > self.files_before + 4:
            self.stats.failures.append("zylgrid holds %d files after the visits, %d before"
                                       % (self.files_after, self.files_before))

    def check_edits(self, read_value, find_markers):
        """Every acknowledged edit is stored: each key's value is its last
        acknowledged marker, or a marker sent later for it whose answer did
        not confirm it (refused edits must not be stored). `read_value(grid,
        key)` reads the text column; `find_markers(grid)` lists (key, value)
        of every row holding a marker."""
        problems = []
        by_key = collections.defaultdict(list)
        for e in self.stats.edits:
            by_key[(e["grid"].name, e["key"])].append(e)
        checked = 0
        grids = {g.name: g for g in self.grids}
        for (grid, key), edits in by_key.items():
            edits.sort(key=lambda e: (e["thread"], e["seq"]))
            acked = [i for i, e in enumerate(edits) if e["outcome"] == "acknowledged"]
            if not acked:
                continue
            checked += len(acked)
            stored = read_value(grids[grid], key)
            last = acked[-1]
            allowed = {edits[last]["marker"]}
            allowed |= {e["marker"] for e in edits[last + 1:]
                        if e["outcome"] in ("not shown", "cut", "failed")}
            if stored not in allowed:
                owner = [e for e in edits if e["marker"] == stored]
                problems.append("%s %s: stored %r, acknowledged %r%s" % (
                    grid, key, stored, edits[last]["marker"],
                    " (that edit was %s)" % owner[0]["outcome"] if owner else ""))
        markers = {e["marker"]: e for e in self.stats.edits}
        for g in self.grids:
            if not g.editable:
                continue
            for key, value in find_markers(g):
                e = markers.get(value)
                if e is None:
                    problems.append("%s %s holds %r, which no visitor sent" % (g.name, key, value))
                elif e["key"] != key or e["grid"].name != g.name:
                    problems.append("%s %s holds %r, sent for %s %s" % (g.name, key, value,
                                                                        e["grid"].name, e["key"]))
                elif e["outcome"] == "refused":
                    problems.append("%s %s holds %r, whose update was refused" % (g.name, key, value))
                elif e["outcome"] == "not shown":
                    problems.append("%s %s holds %r, but the answer showed neither it nor an error"
                                    % (g.name, key, value))
        return checked, problems

    def check_adds(self, count_marker):
        problems = []
        checked = 0
        for a in self.stats.adds:
            n = count_marker(a["grid"], a["marker"])
            if a["outcome"] == "acknowledged":
                checked += 1
                if n != 1:
                    problems.append("added %s %r is stored %d times" % (a["grid"].name, a["marker"], n))
            elif a["outcome"] == "refused" and n != 0:
                problems.append("refused add %r is stored %d times" % (a["marker"], n))
            elif n > 1:
                problems.append("add %r (%s) is stored %d times" % (a["marker"], a["outcome"], n))
        return checked, problems

    def report(self, extra=None):
        s = self.stats
        lat = sorted(s.latencies) or [0]
        edits = collections.Counter("%s %s" % (e["grid"].name, e["outcome"]) for e in s.edits)
        adds = collections.Counter(a["outcome"] for a in s.adds)
        lines = ["%s: %.1f s, %d visitors, seed %d" % (self.title, self.duration, THREADS, SEED),
                 "  requests %d (%.0f/s), latency median %.0f ms, 95%% %.0f ms, max %.0f ms"
                 % (s.counts["requests"], s.counts["requests"] / max(self.duration, 0.001),
                    1000 * lat[len(lat) // 2], 1000 * lat[int(len(lat) * 0.95)], 1000 * lat[-1]),
                 "  edits: " + ", ".join("%s %d" % kv for kv in sorted(edits.items())),
                 "  adds: " + ", ".join("%s %d" % kv for kv in sorted(adds.items())),
                 "  downloads %d, hostile %d, error boxes %d, cut %d"
                 % (s.counts["downloads"], s.counts["action hostile"], s.counts["error boxes"],
                    s.counts["requests cut"])]
        lines.append("  server: open files %d before, %d after; resident memory %d KiB before, "
                     "%d KiB after" % (self.files_before, self.files_after,
                                       self.memory_before, self.memory_after))
        for line in extra or []:
            lines.append("  " + line)
        messages = collections.Counter(" ".join(e.get("message", "").split())[:120]
                                       for e in s.edits + s.adds if e.get("message"))
        for message, n in messages.most_common(5):
            lines.append("  refused %d times: %s" % (n, message))
        actions = sorted((k[7:], v) for k, v in s.counts.items() if k.startswith("action "))
        lines.append("  actions: " + ", ".join("%s %d" % kv for kv in actions))
        lines.append("  failures: %d" % len(s.failures))
        for f in s.failures[:40]:
            lines.append("    " + f.replace("\n", "\n    "))
        print("\n".join(lines), flush=True)


def server_log_checks(soak):
    """Report lines from the server log: failed requests are listed; sanitizer
    reports (a zylgrid built with ZYL_SANITIZE) are failures."""
    text = soak.server.log_text()
    failed = [line for line in text.splitlines() if "request failed" in line]
    for marker in ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"):
        if marker in text:
            at = text.index(marker)
            soak.stats.failures.append("server log: " + text[at:at + 1500])
    return (["server log lines 'request failed': %d" % len(failed)] +
            ["  " + " ".join(line.split())[:200] for line in failed[:10]])


SCRATCH = [tempfile.gettempdir()]


def scratch(prefix):
    SCRATCH[0] = tempfile.mkdtemp(prefix=prefix)
    return SCRATCH[0]


def remove(folder, failed):
    if KEEP or failed:
        print("scratch folder kept: " + folder, flush=True)
    else:
        shutil.rmtree(folder, ignore_errors=True)
