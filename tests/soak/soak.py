"""Soak runs of `zylgrid serve` (docs/RELIABILITY.md: what they do and check, the environment they read): visitor
threads post the page's own forms as a browser does for a bounded time, then the stored data is checked.
`soak.py sqlite` or `soak.py postgres` (a breaker kills zylgrid's connections). Exits 77 without the programs."""
import collections
import contextlib
import csv
import http.client
import io
import os
import random
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "e2e"))
import zylsite as z  # noqa: E402

THREADS = int(os.environ.get("ZYL_SOAK_THREADS", "6"))
SEED = int(os.environ.get("ZYL_SOAK_SEED", str(int(time.time()))))
APP = "zylgrid-soak-%d" % os.getpid()

# Edits write markers into a grid's text column (field `text_field`): of a record the visitor owns (key modulo
# THREADS), or of a customer all share (their Name and Email set to sort first). Deletes remove customers the run
# added. The refusals each change may meet, besides a cut connection's.
Grid = collections.namedtuple("Grid", "name table key text_field text_column editable master")
CUSTOMERS = Grid("Customers", "customers", "Id", 4, "Email", True, None)
ORDERS = Grid("Orders", "orders", "OrderId", 3, "Product", True, "Customers")
SHARED = ("1", "2", "3")
REFUSALS = {"stale": z.STALE, "changed": "was changed by another user", "deleted": "was deleted by another user"}
ALLOWED = {"edit": ("stale",), "add": ("stale",), "conflict": ("stale", "changed"), "delete": ("stale", "deleted")}

# Clicks: weight, what, the grid's forms (name pattern), the button (pattern),
# a control the form must have, the values to post (None: as they are).
CLICKS = [
    (20, "page", ".*", "GFIRST|GPREVIOUS|GNEXT|GLAST", None, None),
    (10, "jump", "TOOLBAR.*", "GOK", "GPage", lambda f, rng: pick_page(f, rng)),
    (5, "rows per page", "TOOLBARTOP", "GOK", "GRPP", lambda f, rng: {"GRPP": str(rng.choice([1, 3, 5, 8, 25]))}),
    (8, "sort", ".*_SELECTORS", r"GSort(ASC|DESC)_\d+", None, None),
    (4, "sort buttons", ".*", "GSORTOFF|GGLYPHON|GGLYPHOFF", None, None),
    (12, "select", ".*_TABLE", r"GRecNo\d+", None, None),
    (4, "extras", ".*", "GSUM|GSA|GCHECKON|GCHECKOFF", None, None),
    (3, "choose columns", ".*", "GCHECKDO", None, lambda f, rng: {
        id(c): i == 0 or rng.random() < 0.7 for i, c in enumerate(c for c in f.controls if c.name == "GSel")}),
]


def pick_page(form, rng):  # a page of the form's page list; an empty list (a detail without records) posts as is
    pages = form.visible("GPage").options
    return {"GPage": rng.choice(pages)} if pages else None


def added(row):  # a customer the run added
    return row.items[2:3] and row.items[2].startswith("added-")


class Cut(Exception):  # a request cut by a broken database connection (PostgreSQL run)
    pass


class Visitor(threading.Thread):  # a browser session with its own keep-alive connection
    def __init__(self, soak, index):
        super().__init__(daemon=True)
        self.soak, self.index = soak, index
        self.rng = random.Random(SEED * 100 + index)
        self.page, self.conn, self.seq, self.kept, self.history = None, None, 0, 0, []  # history: (what, post, answer)
        self.cookie = None  # the browser's cookie, which the site's GUIDs are bound to

    def send(self, method, path="/", body=None):
        start = time.time()
        try:
            if self.conn is None:
                self.conn = http.client.HTTPConnection("127.0.0.1", self.soak.server.port, timeout=60)
            headers = {} if body is None else {"Content-Type": "application/x-www-form-urlencoded"}
            self.conn.request(method, path, body, dict(headers, Cookie=self.cookie) if self.cookie else headers)
            reply = self.conn.getresponse()
            self.cookie = (reply.getheader("Set-Cookie") or self.cookie or "").split(";")[0] or None
            data = reply.read()
        except (OSError, http.client.HTTPException) as e:
            self.conn = self.conn.close()
            self.soak.note(self.soak.requests, (self.index, start, time.time(), "connection error"))
            raise AssertionError("%s %s: %s: %s" % (method, path, type(e).__name__, e))
        if reply.will_close:
            self.conn = self.conn.close()
        self.soak.count("requests")
        return reply, data, start

    def outcome(self, start, outcome, what=""):
        self.soak.note(self.soak.requests, (self.index, start, time.time(), outcome))
        if outcome == "cut":
            raise Cut(what)

    def cut_500(self, reply, data, start, what, head=False):
        if self.soak.cuts_allowed and reply.status == 500 and (head or b"Something went wrong" in data):
            self.outcome(start, "cut", what)

    def answer(self, reply, data, start, what):  # the page of an answer, checked; Cut for a cut connection's error
        text = data.decode("utf-8", errors="replace")
        if z.INTERNALS.search(text):
            raise AssertionError("%s: the answer shows internals" % what)
        self.cut_500(reply, data, start, what)
        page = z.Page(text)
        if reply.status != 200 or reply.headers.get_content_type() != "text/html" or not page.complete():
            raise AssertionError("%s: status %d, %s, complete %s" % (
                what, reply.status, reply.headers.get_content_type(), page.complete()))
        if not all(page.forms_of(g.name) for g in self.soak.grids):
            raise AssertionError("%s: the page lacks the forms of a grid" % what)
        message = page.error_text()
        if message is not None:
            self.soak.count("error boxes")
            if self.soak.cuts_allowed and self.soak.connection_error(message):
                self.outcome(start, "cut", what + ": " + message[:200])
        for g in self.soak.grids:  # the page read in part without a word: data lost on the way
            toolbar = (page.forms_of(g.name, "TOOLBARTOP") or [None])[0]
            size, at = toolbar and toolbar.visible("GRPP"), toolbar and toolbar.visible("GPage")
            if ((g.master is None and not page.rows(g.name)) or any(len(r.items) < 2 for r in page.rows(g.name))
                    or (size and at and at.options and size.value.isdigit() and at.value != at.options[-1]
                        and len(page.rows(g.name)) < int(size.value))):
                raise AssertionError("%s: grid %s shows fewer records than its page has, or a record without "
                                     "values" % (what, g.name))
        self.outcome(start, "ok")
        self.page = page
        return page

    def get(self, what="visit"):
        self.soak.count("action " + what)
        return self.answer(*self.send("GET"), what)

    def click(self, form, button, values=None, what="click"):
        self.soak.count("action " + what)
        body = z.form_fields(form, button, values, self.rng.randint(1, 20), self.rng.randint(1, 20))
        reply, data, start = self.send("POST", "/", body)
        self.history = self.history[-3:] + [(what, body, data)]
        return self.answer(reply, data, start, "%s (%s %s)" % (what, form.grid, button.name))

    def keep_history(self):  # the last posts and their answers, into the scratch folder a failed run keeps
        for n, (what, body, answer) in enumerate(self.history):
            with open(os.path.join(self.soak.folder, "visitor%d-%d-%d.txt" % (self.index, self.kept, n)), "wb") as f:
                f.write(what.encode() + b"\n" + body + b"\n\n" + answer)
        self.kept += 1

    def act_click(self, what, forms, buttons, needs, values):
        g = self.rng.choice(self.soak.grids)
        found = [(f, b) for f, b in self.page.buttons(g.name, buttons, forms)
                 if needs is None or f.visible(needs) is not None]
        if not found:
            return self.get()
        form, button = self.rng.choice(found)
        self.click(form, button, values and values(form, self.rng), what)

    def buttons(self, pattern, forms):  # the customers' buttons, on a fresh page when this one has none
        return self.page.buttons("Customers", pattern, forms) or self.get().buttons("Customers", pattern, forms)

    def act_download(self):
        found = self.buttons("GSAVEAS", "TOOLBARTOP")
        kind = self.rng.choice(sorted(z.DOWNLOADS))
        self.soak.count("action download")
        reply, data, start = self.send("POST", "/", z.form_fields(*found[0], {"GSave": kind}))
        self.cut_500(reply, data, start, "download")
        if problem := z.download_problem(kind, "Customers", reply.status, reply.headers, data):
            raise AssertionError(problem)
        self.outcome(start, "ok")

    def submit(self, change, form, values, shown, button="GUPDATE"):
        """Clicks update: acknowledged when the answer shows the change and no error box, refused with an error box;
        an answer with neither fails."""
        self.soak.note(self.soak.changes, change)
        try:
            page = self.click(form, form.images(button)[0], values, "%s %s" % (button[1:].lower(), change["kind"]))
        except Exception as e:
            change["outcome"] = "cut" if isinstance(e, Cut) else "failed"
            raise
        change["message"] = page.error_text()
        change["outcome"] = ("refused" if change["message"] is not None else
                             "acknowledged" if shown(page) else "not shown")
        if change["outcome"] == "not shown":
            raise AssertionError("%s %s: the answer shows neither %r nor an error"
                                 % (change["kind"], change["grid"], change["marker"]))

    def marker(self, kind):  # a value no other change writes
        self.seq += 1
        return "%s-%d-%d-%d" % (kind, self.index, self.seq, self.rng.randint(0, 10 ** 6))

    def select(self, g, rows, button):  # one of `rows` selected: it, the row then in its place (or None), the form
        row = self.rng.choice(rows)
        self.click(*self.page.buttons(g.name, "GRecNo%d" % row.recno, g.name + "_TABLE")[0], what="select to change")
        form = [f for f in self.page.forms_of(g.name, g.name + "_TABLE") if f.images(button)]
        return row, next((r for r in self.page.rows(g.name) if r.recno == row.recno), None), form and form[0]

    def edit(self, g, rows, kind):  # a marker over the text the selected row then shows (a conflict's: any shared)
        if not rows:
            return
        row, shown, form = self.select(g, rows, "GUPDATE")
        cell, key = shown and form and form.cells().get((row.recno, g.text_field)), shown and shown.items[1]
        if shown and not cell:
            raise AssertionError("edit %s: record %d has no edit controls" % (g.name, row.recno))
        if key != row.items[1] and not (kind == "conflict" and key in SHARED):  # its place left the page, or moved
            return self.soak.count("edit: the record moved meanwhile")
        marker = self.marker("soak" if kind == "edit" else "0c")
        self.submit({"kind": kind, "grid": g.name, "key": int(key), "seen": cell.value, "marker": marker}, form,
                    {id(cell): marker}, lambda page: any(r.items[1] == key and marker in r.items
                                                         for r in page.rows(g.name)))

    def act_edit(self):  # a record the visitor owns (key modulo THREADS), from the unsorted page
        g = self.rng.choice([g for g in self.soak.grids if g.editable])
        self.get("fresh visit")
        if g.master:
            self.click(*self.rng.choice(self.page.buttons(g.master, r"GRecNo\d+", g.master + "_TABLE")),
                       what="select master record")
        jump = [f for f in self.page.forms_of(g.name, "TOOLBARTOP") if f.visible("GPage") and f.images("GOK")]
        if jump:
            self.click(jump[0], jump[0].images("GOK")[0], pick_page(jump[0], self.rng), "jump")
        self.edit(g, [r for r in self.page.rows(g.name) if r.items[1].isdigit() and r.items[1] not in SHARED
                      and int(r.items[1]) % THREADS == self.index and not added(r)], "edit")

    def act_add(self):
        self.click(*self.buttons("GADD", "Customers_TABLE")[0], what="add")
        forms = [f for f in self.page.forms_of("Customers", "Customers_TABLE") if f.images("GUPDATE")]
        if not forms or not forms[0].cells():
            raise AssertionError("add: no new-record row with an update button")
        marker = self.marker("added")
        typed = {1: marker, 2: "Soakville", 3: "Testland", 4: marker + "@example.com", 5: "2024-02-29",
                 6: "1250.50", 7: True}  # the key left empty
        self.submit({"kind": "add", "grid": "Customers", "marker": marker}, forms[0],
                    {id(c): typed[f] for (r, f), c in forms[0].cells().items() if f in typed},
                    lambda page: marker in page.text)

    def act_conflict(self):  # a shared customer (other visitors write it too) from a page sorted by Name or Email
        self.get("fresh visit")
        self.click(*self.buttons("GSortASC_%d" % self.rng.choice((2, 5)), ".*_SELECTORS")[0], what="sort")
        rows = [r for r in self.page.rows("Customers") if r.items[1] in SHARED]
        if not rows:
            raise AssertionError("conflict: no shared customer first on the sorted page")
        self.edit(CUSTOMERS, rows, "conflict")

    def act_delete(self):  # a customer the run added, from the last page
        self.click(*self.buttons("GLAST", "TOOLBARTOP")[0], what="last page")
        rows = [r for r in self.page.rows("Customers") if added(r)]
        row, shown, form = self.select(CUSTOMERS, rows, "GDEL") if rows else (None, None, None)
        if form and shown and shown.items[1] == row.items[1]:
            self.submit({"kind": "delete", "grid": "Customers", "marker": shown.items[2]}, form, None,
                        lambda page: shown.items[2] not in page.text, "GDEL")

    def act_hostile(self, request=None):
        name, method, path, body, allowed = request or self.rng.choice(z.HOSTILE)
        self.soak.count("action hostile")
        if method == "RAW":
            return z.send_raw(self.soak.server.port, body)
        reply, data, start = self.send(method, path, body)
        self.page = None
        if reply.status == 200 and method != "HEAD" and "text" not in allowed:
            return self.answer(reply, data, start, "hostile " + name)
        self.cut_500(reply, data, start, "hostile " + name, method == "HEAD")
        if ("text" if (reply.status, reply.headers.get_content_type()) == (200, "text/plain")
                else reply.status) not in allowed:
            raise AssertionError("hostile %s: status %d, %s" % (name, reply.status, reply.headers.get_content_type()))
        self.outcome(start, "ok")

    def run(self):
        actions = [(lambda c=c: self.act_click(*c[1:]), c[0]) for c in CLICKS] + [
            (self.act_download, 2), (self.act_edit, 10), (self.act_conflict, 12), (self.act_add, 4),
            (self.act_delete, 3), (self.act_hostile, 4), (self.get, 3)]
        # Every visitor edits and adds; together they send every hostile request.
        first = [self.act_edit, self.act_conflict, self.act_add] + [
            lambda r=r: self.act_hostile(r) for r in z.HOSTILE[self.index::THREADS]]
        while time.time() < self.soak.deadline:
            try:
                (self.get if self.page is None else first.pop(0) if first else self.rng.choices(*zip(*actions))[0])()
            except Cut:
                self.soak.count("requests cut")
                self.page = None
            except Exception as e:
                self.soak.note(self.soak.failures, "visitor %d: %s" % (
                    self.index, e if isinstance(e, AssertionError) else traceback.format_exc()))
                self.keep_history()
                self.page = None
        if self.conn is not None:
            self.conn.close()


class Soak:
    """One run: zylgrid serves `site` to the visitors for `seconds` while `breaker.run(deadline)` runs, and
    `breaker.idle(soak)` checks the idle server; `connection_error(message)` tells a cut connection's error box."""

    def __init__(self, title, site, grids, seconds, connection_error=None, breaker=None):
        self.title, self.folder, self.grids = title, site.dir, grids
        self.cuts_allowed, self.connection_error = connection_error is not None, connection_error
        self.lock, self.counts = threading.Lock(), collections.Counter()
        self.failures, self.changes, self.requests, self.lines = [], [], [], []
        self.server = z.Server(site)
        try:
            files_before = self.server.open_files()
            self.started = time.time()
            self.deadline = self.started + seconds
            visitors = [Visitor(self, i) for i in range(THREADS)]
            for v in visitors:
                v.start()
            if breaker is not None:
                breaker.run(self.deadline)
            for v in visitors:
                v.join(seconds + 120)
                if v.is_alive():
                    self.note(self.failures, "visitor %d still busy two minutes after the end" % v.index)
            self.duration = time.time() - self.started
            if not self.server.alive():
                return self.note(self.failures, "zylgrid is no longer running after the visits")
            # Connections the visitors left are closed; what stays open leaked, but for the SQLite
            # connections the server keeps for later requests (at most 8 per file and mode).
            for _ in range(50):
                kept = self.server.database_files()
                if (self.server.open_files() - sum(kept.values()) <= files_before + 4
                        and all(n <= 16 for n in kept.values())):
                    break
                time.sleep(0.1)
            else:
                self.note(self.failures, "zylgrid holds %d files after the visits (%s of databases), %d before"
                          % (self.server.open_files(), dict(self.server.database_files()), files_before))
            if breaker is not None:
                breaker.idle(self)
        finally:
            if (status := self.server.stop()) != 0:
                self.note(self.failures, "zylgrid did not exit cleanly on SIGTERM: %s" % status)

    def count(self, name):
        with self.lock:
            self.counts[name] += 1

    def note(self, into, item):
        with self.lock:
            into.append(item)

    def check(self, stored, original):
        """`stored` and `original`: the data after and before (snapshot). Each record's text is the end of a chain of
        the updates that may have landed in it, each over the value the one before wrote, starting at the original
        and holding every acknowledged one. No customer the run did not add changed its name or went. An acknowledged
        add is stored once unless a delete of it was acknowledged, a refused one never. Refusals must be ALLOWED."""
        landed, unsure = collections.defaultdict(list), ("cut", "failed", "not shown")
        for c in self.changes:
            if c["kind"] in ("edit", "conflict") and c["outcome"] != "refused":
                landed[(c["grid"], c["key"])].append(c)
        for grid, key in ((g, k) for g in stored if g != "names" for k in original[g]):
            value, end, left = original[grid][key], stored[grid].get(key), list(landed[(grid, key)])
            while True:  # the next update over `value`: the acknowledged one, or one unsure that others follow
                acked = [c for c in left if c["seen"] == value and c["outcome"] == "acknowledged"]
                after = acked or [c for c in left if c["seen"] == value and (c["marker"] == end or any(
                    d["seen"] == c["marker"] for d in left))]
                if len(acked) > 1 or not after:
                    break
                value = after[0]["marker"]
                left.remove(after[0])
            if value != end or len(acked) > 1 or any(c["outcome"] == "acknowledged" for c in left):
                self.failures.append("%s %s holds %r, its %d acknowledged updates (each over the value its visitor saw) "
                                     "lead to %r" % (grid, key, end, sum(c["outcome"] == "acknowledged" for c in
                                                                         landed[(grid, key)]), value))
        self.failures += ["customer %d: name %r, was %r" % (k, stored["names"].get(k), n)
                          for k, n in original["names"].items() if stored["names"].get(k) != n]
        names, deletes = collections.Counter(stored["names"].values()), collections.defaultdict(set)
        for c in (c for c in self.changes if c["kind"] == "delete"):
            deletes[c["marker"]].add(c["outcome"])
        for c in self.changes:
            expected, gone = {"acknowledged": {1}, "refused": {0}}.get(c["outcome"], {0, 1}), deletes[c["marker"]]
            expected = {0} if "acknowledged" in gone else expected | {0} if gone & set(unsure) else expected
            if c["kind"] == "add" and names[c["marker"]] not in expected:
                self.failures.append("add %r (%s, deletes %s) is stored %d times" % (
                    c["marker"], c["outcome"], gone, names[c["marker"]]))
            message = c.get("message") or ""
            c["reason"] = next((r for r, text in REFUSALS.items() if text.lower() in message.lower()),
                               "cut" if self.cuts_allowed and self.connection_error(message) else None)
            if message and c["reason"] not in ALLOWED[c["kind"]] + ("cut",):
                self.failures.append("%s of %s refused: %s" % (c["kind"], c["grid"], " ".join(message.split())[:300]))
        outcomes = collections.Counter(" ".join(filter(None, (c["kind"], c.get("outcome"), c["reason"])))
                                       for c in self.changes)
        self.lines.append("changes: " + ", ".join("%s %d" % kv for kv in sorted(outcomes.items())))

    def report(self):
        log = self.server.log()
        for marker in ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"):
            if marker in log:
                self.failures.append("server log: " + log[log.index(marker):][:1500])
        c = self.counts
        lines = ["%s: %.1f s, %d visitors, seed %d" % (self.title, self.duration, THREADS, SEED),
                 "requests %d (%.0f/s), error boxes %d, cut %d, 'request failed' logged %d" % (
                     c["requests"], c["requests"] / max(self.duration, 0.001), c["error boxes"],
                     c["requests cut"], log.count("request failed")),
                 "actions: " + ", ".join("%s %d" % (k[7:], v) for k, v in sorted(c.items()) if k[:7] == "action ")]
        lines += self.lines + ["failures: %d" % len(self.failures)]
        print("\n  ".join(lines + [f.replace("\n", "\n    ") for f in self.failures[:40]]), flush=True)
        return 1 if self.failures else 0


def snapshot(con):  # the text column of each grid and the customers' names, by key
    return {g.name: dict(con.execute("SELECT %s, coalesce(%s, '') FROM %s" % (g.key, g.text_column, g.table)))
            for g in (CUSTOMERS, ORDERS)} | {"names": dict(con.execute("SELECT Id, Name FROM customers"))}


def run_sqlite(site, original):
    soak = Soak("SQLite soak", site, [CUSTOMERS, ORDERS], float(os.environ.get("ZYL_SOAK_SECONDS", "15")))
    with sqlite3.connect(site.db) as con:
        soak.check(snapshot(con), original)
    if site.sql("PRAGMA integrity_check") != "ok":
        soak.failures.append("database integrity check: %s" % site.sql("PRAGMA integrity_check"))
    return soak.report()


PG_SERVER = os.path.join(z.SOURCE_DIR, "scripts", "pg-test-server")
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "pg-tables.txt")) as _f:
    PG_TABLES = dict(line.strip().split(": ", 1) for line in _f if not line.startswith("#"))


class Postgres:
    """A database of our own on the test run's server (or a throwaway one), through psql."""

    def __init__(self):
        folder, self.own = os.environ.get("ZYL_PG_SERVER_DIR", ""), None
        if not os.path.exists(os.path.join(folder, "conninfo")):
            folder = self.own = tempfile.mkdtemp(prefix="zyl-soak-pg-")
            os.rmdir(folder)  # the script makes it
            out = subprocess.run([PG_SERVER, "start", folder], stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, text=True)
            if not os.path.exists(os.path.join(folder, "conninfo")):
                self.stop()
                raise EnvironmentError("no PostgreSQL server: " + out.stdout.strip())
        with open(os.path.join(folder, "conninfo")) as f:
            self.admin = f.read().strip()
        self.name = "zyl_soak_%d" % os.getpid()
        self.psql("DROP DATABASE IF EXISTS %s" % self.name, self.admin)
        self.psql("CREATE DATABASE %s" % self.name, self.admin)
        self.conninfo = "%s dbname=%s" % (self.admin, self.name)

    def psql(self, sql, conninfo=None, script=None):
        out = subprocess.run(["psql", "-X", "-q", "-At", "-F", "\t", "-v", "ON_ERROR_STOP=1", "-d",
                              (conninfo or self.conninfo) + " options='-c client_min_messages=warning'"]
                             + (["-f", "-"] if sql is None else ["-c", sql]),
                             input=script, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if out.returncode != 0:
            raise RuntimeError("psql: " + out.stderr.strip())
        return [line.split("\t") for line in out.stdout.splitlines()]

    def load(self, db):  # the demo database's customers and orders, copied
        script = ""
        with sqlite3.connect(db) as con:
            for table, columns in PG_TABLES.items():
                names = [c.split()[0] for c in columns.split(", ") if c.startswith('"')]
                rows = io.StringIO()
                csv.writer(rows, lineterminator="\n").writerows(
                    con.execute("SELECT %s FROM %s" % (", ".join(names), table)))
                script += "CREATE TABLE %s (%s);\nCOPY %s (%s) FROM STDIN (FORMAT csv);\n%s\\.\n" % (
                    table, columns, table, ", ".join(names), rows.getvalue())
        self.psql(None, script=script + "SELECT setval(pg_get_serial_sequence('customers', 'Id'), "
                  "(SELECT max(\"Id\") FROM customers));\n")

    def stop(self):
        if self.own is None:
            with contextlib.suppress(RuntimeError):
                self.psql("DROP DATABASE IF EXISTS %s WITH (FORCE)" % self.name, self.admin)
        else:
            subprocess.run([PG_SERVER, "stop", self.own], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shutil.rmtree(self.own, ignore_errors=True)


class Breaker:  # terminates zylgrid's database connections in bursts of 0.4 s while the visitors run
    def __init__(self, pg):
        self.pg, self.bursts, self.terminated, self.errors = pg, [], 0, []
        self.every = float(os.environ.get("ZYL_SOAK_BREAK_EVERY", "1.5"))

    def run(self, deadline):
        time.sleep(min(2.0, self.every))
        while time.time() < deadline - 1.0:
            start = time.time()
            while time.time() < start + 0.4:
                try:
                    self.terminated += int(self.pg.psql(
                        "SELECT count(*) FILTER (WHERE pg_terminate_backend(pid)) FROM pg_stat_activity "
                        "WHERE application_name = '%s' AND pid <> pg_backend_pid()" % APP)[0][0])
                except RuntimeError as e:  # reported, not fatal
                    self.errors.append(str(e))
            self.bursts.append((start, time.time()))
            time.sleep(self.every)

    def idle(self, soak):  # an idle zylgrid holds no database connection
        for _ in range(30):
            held = int(self.pg.psql("SELECT count(*) FROM pg_stat_activity WHERE application_name = '%s'" % APP)[0][0])
            if held == 0:
                return
            time.sleep(0.1)
        soak.failures.append("zylgrid still holds %d database connections after the visits" % held)

    @staticmethod
    def connection_error(message):
        return any(w in message.lower() for w in ("terminat", "connection", "could not receive",
                                                   "could not send", "administrator command"))

    def check(self, soak):
        """A cut request lies in or just after a burst (1 s of slack); the first request after that burst works."""
        if not self.bursts or self.terminated == 0:
            soak.failures.append("the breaker broke no connection (%s)" % "; ".join(self.errors[:3]))
        for thread in {r[0] for r in soak.requests}:
            requests = sorted(r[1:] for r in soak.requests if r[0] == thread)
            for i, (start, end, outcome) in enumerate(requests):
                burst = [b for b in self.bursts if b[0] - 1.0 <= end and start <= b[1] + 1.0]
                if outcome == "cut" and not burst:
                    soak.failures.append("visitor %d: a request at %.2f s failed like a cut connection "
                                         "with no connection broken" % (thread, start - soak.started))
                elif outcome == "cut":
                    later = [r for r in requests[i + 1:] if r[0] > max(b[1] for b in burst) + 0.05]
                    if later and later[0][2] != "ok" and not any(
                            b[0] <= later[0][1] and later[0][0] <= b[1] for b in self.bursts):
                        soak.failures.append("visitor %d: the request after a cut did not recover (%s)"
                                             % (thread, later[0][2]))
        soak.lines.append("connection bursts %d, connections terminated %d" % (len(self.bursts), self.terminated))


def run_postgres(site, original):
    try:
        pg = Postgres()
    except EnvironmentError as e:
        print("soak: skipped: %s" % e)
        return z.SKIP
    try:
        pg.load(site.db)
        source = "postgres:%s application_name=%s" % (pg.conninfo, APP)
        site.configure(z.site_ini(source, "Editable=1\n", "RowsPerPage=40\n"))
        breaker = Breaker(pg)
        soak = Soak("PostgreSQL soak", site, [CUSTOMERS, ORDERS._replace(editable=False, master=None)],
                    float(os.environ.get("ZYL_SOAK_SECONDS", "12")), Breaker.connection_error, breaker)
        rows = pg.psql('SELECT "Id", coalesce("Email", \'\'), "Name" FROM customers')
        soak.check({"Customers": {int(r[0]): r[1] for r in rows}, "names": {int(r[0]): r[2] for r in rows}}, original)
        breaker.check(soak)
        return soak.report()
    finally:
        pg.stop()


def main():
    kind = sys.argv[1] if len(sys.argv) > 1 else "sqlite"
    for program in (z.ZYLGRID, z.DEMO_DATA) + (("psql",) if kind == "postgres" else ()):
        if not (os.path.exists(program) or shutil.which(program)):
            print("soak: skipped: %s is missing (build it, or install postgresql-client)" % program)
            return z.SKIP
    site = z.Site("zylgrid-soak-%s-" % kind, "Editable=1\n")
    status = 1
    try:
        with sqlite3.connect(site.db) as con:  # the shared customers sort first by Name and by Email
            con.execute("UPDATE customers SET Name = '0 shared ' || Id, Email = '0-shared-' || Id WHERE Id <= ?",
                        (len(SHARED),))
            original = snapshot(con)
        status = (run_postgres if kind == "postgres" else run_sqlite)(site, original)
    finally:
        site.remove(keep=status not in (0, z.SKIP) or os.environ.get("ZYL_SOAK_KEEP") == "1")
    return status


if __name__ == "__main__":
    sys.exit(main())
