"""zylgrid as the browser tests (e2e/) and the soak runs (tests/soak/) meet it: the built programs, a scratch
site with a fresh demo database, zylgrid on a free port, the page's forms read and posted as a browser does (a
form tag opens a form only while none is open; a form belongs to the grid whose anchor came last), the
downloads and the hostile requests."""
import ast
import collections
import contextlib
import html
import html.parser
import os
import re
import shutil
import signal
import socket
import sqlite3
import subprocess
import tempfile
import time
import types
import urllib.parse

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ZYLGRID = os.environ.get("ZYLGRID", os.path.join(SOURCE_DIR, "build/apps/zylgrid/zylgrid"))
DEMO_DATA = os.environ.get("ZYLGRID_DEMO_DATA",
                           os.path.join(SOURCE_DIR, "build/apps/zylgrid/demo-data/zylgrid-demo-data"))
SKIP = 77
DETAIL = ("Master=Customers\nDetailKey=CustomerId=Id\nEditable=1\nRowsPerPage=10\n"
          "PickList.Status=New,Confirmed,Shipped,Delivered,Cancelled\n")
ERROR_BOX = re.compile(r'<IMG SRC="[^"]*GTab\.Gif" WIDTH="82" HEIGHT="23"( ALT="")?>', re.I)  # (accessible)
ERROR_TEXT = re.compile(r'<TEXTAREA STYLE="[^"]*font-weight: bold;"[^>]*>(.*?)</TEXTAREA>', re.I | re.S)
STALE = "Cannot update the table!"
KINDS = ("hidden", "text", "checkbox", "image", "select", "textarea")
INTERNALS = re.compile(r"Traceback|std::|terminate called|Segmentation|Aborted|"
                       r"\bat 0x[0-9a-f]+|libzylhg|\.cpp:\d+", re.I)


def free_port():
    with socket.socket() as s:
        return s.bind(("127.0.0.1", 0)) or s.getsockname()[1]


def wait_for_port(port, process, seconds=20):  # RuntimeError when `process` ends first
    deadline = time.time() + seconds
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=1).close()
        except OSError:
            if process.poll() is not None or time.time() > deadline:
                raise RuntimeError("nothing listens on port %d" % port)
            time.sleep(0.05)


def site_ini(source, customers="", orders=DETAIL):  # customers (8 rows a page) and their orders
    return ("[Page]\nTitle=zylgrid tests\nImagesURL=/images/\nImagesDir=%s/assets/images\n\n"
            "[Customers]\nSource=%s\nTable=customers\nRowsPerPage=8\nGlobalSorting=1\n%s\n"
            "[Orders]\nSource=%s\nTable=orders\nGlobalSorting=1\n%s"
            % (SOURCE_DIR, source, customers, source, orders))


class Site:
    """A scratch folder: demo.db, tmp/ (update locks), server.log and site.ini (site_ini)."""

    def __init__(self, prefix="zylgrid-test-", customers="", memo=False):
        self.dir = tempfile.mkdtemp(prefix=prefix)
        self.tmp, self.db, self.ini = (os.path.join(self.dir, n) for n in ("tmp", "demo.db", "site.ini"))
        os.mkdir(self.tmp)
        subprocess.run([DEMO_DATA, self.db], check=True, stdout=subprocess.DEVNULL)
        if memo:  # a memo column, Notes, last (field 8)
            self.sql("ALTER TABLE customers ADD COLUMN Notes MEMO")
        self.configure(site_ini("sqlite:" + self.db, customers))

    def configure(self, text):
        with open(self.ini, "w") as f:
            f.write(text)
        return self

    def sql(self, statement, args=()):  # the first column of the first row, or None
        with sqlite3.connect(self.db) as con:
            row = con.execute(statement, args).fetchone()
        return row[0] if row else None

    def remove(self, keep=False):
        print("scratch folder kept: " + self.dir, flush=True) if keep else shutil.rmtree(self.dir, True)


class Server:  # zylgrid serve or fcgi on a free port
    def __init__(self, site, mode="serve"):
        self.port = free_port()
        self.url = "http://127.0.0.1:%d/" % self.port
        self.log_path = os.path.join(site.dir, "server.log")
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen(
                [ZYLGRID, mode, "--config", site.ini, "--port", str(self.port)],
                env=dict(os.environ, TMPDIR=site.tmp), stdout=subprocess.DEVNULL, stderr=log)
        try:
            wait_for_port(self.port, self.process)
        except RuntimeError:
            self.stop()
            raise RuntimeError("zylgrid %s did not start: %s" % (mode, self.log()[-2000:]))

    def alive(self):
        return self.process.poll() is None

    def open_files(self):
        try:
            return len(os.listdir("/proc/%d/fd" % self.process.pid))
        except OSError:
            return -1

    def database_files(self):  # the open files that are SQLite databases: a Counter by path
        held = collections.Counter()
        try:
            for fd in os.listdir("/proc/%d/fd" % self.process.pid):
                with contextlib.suppress(OSError):
                    target = os.readlink("/proc/%d/fd/%s" % (self.process.pid, fd))
                    if target.endswith(".db"):
                        held[target] += 1
        except OSError:
            pass
        return held

    def stop(self):  # SIGTERM; the exit status (None when it had to be killed)
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.process.kill(), self.process.wait()
                return None
        return self.process.returncode

    def log(self):
        with open(self.log_path, errors="replace") as f:
            return f.read()


class Form:  # controls: kind (one of KINDS or other), name, value, checked and a select's options
    def __init__(self, name, grid):
        self.name, self.grid, self.controls = name, grid, []

    def images(self, pattern=".*"):
        return [c for c in self.controls if c.kind == "image" and re.fullmatch(pattern, c.name)]

    def visible(self, name):  # the first control `name` the visitor can change
        return next((c for c in self.controls if c.name == name and c.kind not in ("hidden", "image")), None)

    def cells(self):  # the edit controls "GCELL_r_f" as {(r, f): control}
        return {tuple(map(int, m.groups())): c for c in self.controls
                for m in [re.fullmatch(r"GCELL_(-?\d+)_(\d+)", c.name)] if m}


class _Parser(html.parser.HTMLParser):
    """Forms, and the rows of a grid's data form: after its record button (number `recno`) the texts of
    display cells (the row number first) and values of edit controls."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.forms, self.rows = [], {}
        self.anchor = self.form = self.select = self.textarea = self.row = None

    def handle_starttag(self, tag, attrs):
        a = {k: v or "" for k, v in attrs}
        kind = a.get("type", "text").lower() if tag == "input" else tag
        c = types.SimpleNamespace(kind=kind if kind in KINDS else "other", name=a.get("name", ""),
                                  value=a.get("value", "on" if kind == "checkbox" else ""),
                                  checked="checked" in a, options=[])
        if tag == "a" and "name" in a:
            self.anchor = a["name"]
        elif tag == "form" and self.form is None:
            self.forms.append(Form(a.get("name", ""), self.anchor))
            self.form = self.forms[-1]
        elif tag == "option" and self.select is not None:
            self.select.options.append(a.get("value", ""))
            if "selected" in a or len(self.select.options) == 1:
                self.select.value = a.get("value", "")
        elif tag in ("input", "select", "textarea"):
            if tag == "textarea":
                c.value, self.textarea = "", c
            if self.form is not None:
                self.form.controls.append(c)
                if tag == "select":
                    c.value, self.select = None, c
                elif tag == "input":
                    self.control_seen(c)

    def handle_endtag(self, tag):
        if tag == "form":
            self.form = self.row = None
        elif tag in ("select", "textarea") and (self.select or self.textarea):
            self.control_seen(self.select or self.textarea)
            self.select = self.textarea = None

    def handle_data(self, data):
        if self.textarea is not None:
            self.textarea.value += data
        elif self.row is not None and self.select is None and data.replace("\xa0", " ").strip():
            self.row.items.append(data.replace("\xa0", " ").strip())

    def control_seen(self, c):
        if self.form is None or not self.form.name.endswith("_TABLE"):
            return
        m = re.fullmatch(r"GRecNo(\d+)", c.name)
        if c.kind == "image":  # a record button starts a row, the edit toolbar ends the rows
            self.row = types.SimpleNamespace(recno=int(m.group(1)), items=[]) if m else None
            if m:
                self.rows.setdefault(self.form.grid, []).append(self.row)
        elif self.row is not None and c.name.startswith("GCELL_"):
            self.row.items.append(("on" if c.checked else "") if c.kind == "checkbox" else c.value or "")


class Page:  # a grid page as served (the markup, not a browser's DOM)
    def __init__(self, text):
        self.text, parser = text, _Parser()
        parser.feed(text), parser.close()
        self.forms, self.rows_by_grid = parser.forms, parser.rows

    def error_text(self):  # the error box's message ("" without one; None without a box)
        m = ERROR_TEXT.search(self.text)
        return None if not ERROR_BOX.search(self.text) else html.unescape(m.group(1)).strip() if m else ""

    def complete(self):
        return self.text.rstrip().lower().endswith("</html>")

    def forms_of(self, grid, name_pattern=".*"):
        return [f for f in self.forms if f.grid == grid and re.fullmatch(name_pattern, f.name)]

    def buttons(self, grid, pattern, form_pattern=".*"):  # (form, button) of `grid`'s image buttons
        return [(f, c) for f in self.forms_of(grid, form_pattern) for c in f.images(pattern)]

    def rows(self, grid):
        return self.rows_by_grid.get(grid, [])


def form_fields(form, click, values=None, x=7, y=5):
    """What a browser posts for `form` when image button `click` is clicked, in document order. `values` maps a
    control's id() (or a visible control's name) to the value to post instead; True/False tick or clear."""
    values, fields = values or {}, []
    for c in form.controls:
        override = values.get(id(c), values.get(c.name) if c.kind != "hidden" else None)
        value = c.value if override is None else override
        if c is click:
            fields += [(c.name + ".x", str(x)), (c.name + ".y", str(y))]
        elif c.kind == "checkbox" and value is not False and (c.checked or override):
            fields.append((c.name, c.value or "on"))
        elif c.kind not in ("image", "checkbox", "other") and c.name and value is not None:
            fields.append((c.name, value))
    return urllib.parse.urlencode(fields, encoding="utf-8").encode("ascii")


# Save-as formats: content type, extension, signature (tab-separated text, BIFF8 in OLE2, Jet 4, dBase III:
# header of 32 bytes a field plus 33, Paradox: record and header sizes, file type 0 or 2).
DOWNLOADS = {
    "TXT": ("text/plain", ".txt", lambda b: b"\t" in b.split(b"\r\n", 1)[0] and b"\0" not in b),
    "XLS": ("application/x-msexcel", ".xls", lambda b: b.startswith(b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1")),
    "MDB": ("application/msaccess", ".mdb", lambda b: b[4:19] == b"Standard Jet DB"),
    "DBF": ("application/octet-stream", ".dbf",
            lambda b: b[0] in (0x03, 0x83) and (int.from_bytes(b[8:10], "little") - 33) % 32 == 0),
    "DB": ("application/octet-stream", ".db",
           lambda b: b[4] in (0, 2) and int.from_bytes(b[2:4], "little") % 0x800 == 0),
}


def download_problem(kind, grid, status, headers, body):  # what is wrong with a save-as answer, or None
    ctype, ext, signature = DOWNLOADS[kind]
    disposition = headers.get("Content-Disposition", "")
    if (status != 200 or headers.get_content_type() != ctype or len(body) < 10 or
            disposition != 'attachment; filename="%s%s"' % (grid, ext) or not signature(body)):
        return "download %s of %s: status %d, %s, %r, %d bytes starting %r" % (
            kind, grid, status, headers.get_content_type(), disposition, len(body), body[:32])
    return None


def _hostile(line):
    name, method, path, body, allowed = ast.literal_eval(line)
    if method == "LENGTH":  # a form post on a connection of its own, declaring this length
        method, body = "RAW", (b"POST / HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                               b"Content-Length: " + body + b"\r\nConnection: close\r\n\r\nGName=Customers")
    return name, method, path, body, allowed


with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "hostile.txt")) as _f:
    HOSTILE = [_hostile(line) for line in _f if line.startswith("(")]


def send_raw(port, data):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
            s.sendall(data)
            s.shutdown(socket.SHUT_WR)
            while s.recv(65536):
                pass
    except OSError:
        pass
