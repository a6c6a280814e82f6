"""Soak run of `zylgrid serve` over a fresh copy of the demo database (SQLite):
editable customers with their editable orders as a detail grid, visitors for
ZYL_SOAK_SECONDS (default 15), then the checks: no failed request, the server
alive and stopping cleanly on SIGTERM, every acknowledged edit and add stored.

Run: python3 tests/soak/soak_sqlite.py (see soakrun.py for the settings).
"""
import os
import sqlite3
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import soakrun  # noqa: E402
from soakrun import Grid  # noqa: E402

STATUSES = "New,Confirmed,Shipped,Delivered,Cancelled"

CUSTOMERS = Grid("Customers", "customers", "Id", 0, 4, "Email", editable=True, addable=True)
ORDERS = Grid("Orders", "orders", "OrderId", 0, 3, "Product", editable=True,
              detail_of="Customers", downloads=False)


def site_ini(folder, db):
    return ("[Page]\nTitle=zylgrid soak\nImagesURL=/images/\nImagesDir=%s/assets/images\n\n"
            "[Customers]\nSource=sqlite:%s\nTable=customers\nRowsPerPage=8\nGlobalSorting=1\n"
            "Editable=1\n\n"
            "[Orders]\nSource=sqlite:%s\nTable=orders\nMaster=Customers\nDetailKey=CustomerId=Id\n"
            "Editable=1\nRowsPerPage=10\nGlobalSorting=1\nPickList.Status=%s\n"
            % (soakrun.SOURCE_DIR, db, db, STATUSES))


def new_customer_value(grid, field, marker):
    """The value a visitor types into field `field` of a new customer."""
    return {1: marker, 2: "Soakville", 3: "Testland", 4: marker + "@example.com",
            5: "2024-02-29", 6: "1250.50", 7: True}.get(field)


def main():
    for program in (soakrun.ZYLGRID, soakrun.DEMO_DATA):
        if not os.path.exists(program):
            print("soak: not built: " + program)
            return soakrun.SKIP
    folder = soakrun.scratch("zylgrid-soak-sqlite-")
    db = os.path.join(folder, "demo.db")
    subprocess.run([soakrun.DEMO_DATA, db], check=True, stdout=subprocess.DEVNULL)
    ini = os.path.join(folder, "site.ini")
    with open(ini, "w") as f:
        f.write(site_ini(folder, db))
    server = soakrun.Server(folder, ini)
    soak = soakrun.Soak("SQLite soak", [CUSTOMERS, ORDERS], server, new_customer_value)
    try:
        soak.visit()
    finally:
        status = server.stop()
    if status != 0:
        soak.stats.failures.append("zylgrid did not exit cleanly on SIGTERM: %s" % status)

    con = sqlite3.connect(db)
    try:
        def read_value(grid, key):
            row = con.execute("SELECT %s FROM %s WHERE %s = ?" % (grid.text_column, grid.table, grid.key),
                              (key,)).fetchone()
            return row[0] if row else None

        def find_markers(grid):
            return con.execute("SELECT %s, %s FROM %s WHERE %s LIKE 'soak-%%'" % (
                grid.key, grid.text_column, grid.table, grid.text_column)).fetchall()

        def count_marker(grid, marker):
            return con.execute("SELECT count(*) FROM customers WHERE Name = ?", (marker,)).fetchone()[0]

        edits, problems = soak.check_edits(read_value, find_markers)
        adds, add_problems = soak.check_adds(count_marker)
        integrity = con.execute("PRAGMA integrity_check").fetchone()[0]
    finally:
        con.close()
    problems += add_problems
    if integrity != "ok":
        problems.append("database integrity check: " + integrity)
    soak.stats.failures += problems
    soak.report(["acknowledged edits checked in the database %d, acknowledged adds checked %d"
                 % (edits, adds)] + soakrun.server_log_checks(soak))
    failed = bool(soak.stats.failures)
    soakrun.remove(folder, failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
