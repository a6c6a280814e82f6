"""The resident size of `zylgrid serve` idle, after four large downloads, and idle again: a 70,000-row x 13-column
SQLite table, downloaded four times (docs/PERFORMANCE.md, Export). Run from the source tree:
    python3 bench/serve_memory.py [SAVE_CHOICE [ROWS_PER_PAGE [ROWS]]]    e.g. XLS-ALL 20, or XLS 70000 (one page)
ZYLGRID names the program (default build/apps/zylgrid/zylgrid)."""
import os
import sqlite3
import sys
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import zylsite as z  # noqa: E402


def rss_mb(pid, field="VmRSS:"):
    with open("/proc/%d/status" % pid) as f:
        return next(int(line.split()[1]) for line in f if line.startswith(field)) / 1024


def sizes(pid):
    """The resident size and its anonymous part (the rest is files mapped: the program, the database)."""
    return rss_mb(pid), rss_mb(pid, "RssAnon:")


def main(choice="XLS-ALL", per_page="20", rows="70000"):
    site = z.Site("zylgrid-memory-")
    db = sqlite3.connect(site.db)
    db.execute("CREATE TABLE big (id INTEGER PRIMARY KEY, name TEXT, city VARCHAR(30), qty INTEGER, weight REAL,"
               " price CURRENCY, paid BOOLEAN, ordered DATE, stamp DATETIME, note TEXT, code TEXT, serial BIGINT,"
               " extra TEXT)")
    db.executemany("INSERT INTO big VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)", (
        (i, "Customer %d" % i, "City %d" % (i % 97), i % 1000, i / 7, (i % 100000) / 100, i % 3 == 0,
         "2000-01-%02d" % (i % 28 + 1), "2000-01-01 08:00:%02d.%03d" % (i % 60, i % 1000),
         None if i % 5 == 0 else "note %d, \"quoted\"" % i, "C%06d" % i, i * 1000003, "x" * (i % 300))
        for i in range(1, int(rows) + 1)))
    db.commit()
    db.close()
    site.configure("[Page]\nTitle=memory\nImagesURL=/images/\nImagesDir=%s/assets/images\n\n"
                   "[Big]\nSource=sqlite:%s\nTable=big\nRowsPerPage=%s\n" % (z.SOURCE_DIR, site.db, per_page))
    server = z.Server(site)
    try:
        with urllib.request.urlopen(server.url, timeout=300) as reply:
            toolbar = z.Page(reply.read().decode()).buttons("Big", "GSAVEAS", "TOOLBARTOP")[0]
        idle = sizes(server.process.pid)
        after = []
        for _ in range(4):
            with urllib.request.urlopen(server.url, z.form_fields(*toolbar, {"GSave": choice}), timeout=600) as r:
                size = len(r.read())
            after.append(sizes(server.process.pid))
        print("%s, %s rows a page, %s rows: idle %.0f MB (%.0f MB anonymous); after each of four downloads"
              " (%d bytes each): %s MB (anonymous: %s MB)"
              % (choice, per_page, rows, idle[0], idle[1], size, ", ".join("%.0f" % a[0] for a in after),
                 ", ".join("%.0f" % a[1] for a in after)))
    finally:
        server.stop()
        site.remove()


if __name__ == "__main__":
    main(*sys.argv[1:])
