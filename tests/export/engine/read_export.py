#!/usr/bin/env python3
"""Reads a file the export wrote with an independent reader and prints its
header and rows, one line each, cells separated by TAB:

    read_export.py xls|dbf|mdb FILE

Cells (mdb-export's own notation is brought to the same form):
NULL for an empty cell, True/False, whole numbers without a
fraction, other numbers in Python's shortest form, dates as YYYY-MM-DD and
date-times as YYYY-MM-DD HH:MM:SS, text as it is.
Readers: xlrd (python3-xlrd), dbfread (python3-dbfread), mdb-export
(mdbtools). Exit status 3 when the reader is not installed."""
import csv
import datetime
import io
import re
import shutil
import subprocess
import sys


def cell(v):
    if v is None:
        return "NULL"
    if isinstance(v, bool):
        return "True" if v else "False"
    if isinstance(v, float) and v.is_integer() and abs(v) < 1e15:
        return str(int(v))
    if isinstance(v, datetime.datetime):
        return v.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(v, datetime.date):
        return v.isoformat()
    return str(v)


def read_xls(path):
    try:
        import xlrd
    except ImportError:
        print("python3-xlrd is not installed", file=sys.stderr)
        sys.exit(3)
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    rows = [[sheet.name]]
    for r in range(sheet.nrows):
        out = []
        for c in sheet.row(r):
            if c.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                out.append(None)
            elif c.ctype == xlrd.XL_CELL_BOOLEAN:
                out.append(bool(c.value))
            elif c.ctype == xlrd.XL_CELL_DATE:
                d = xlrd.xldate_as_datetime(c.value, book.datemode)
                out.append(d.date() if d.time() == datetime.time(0) else d)
            else:
                out.append(c.value)
        rows.append(out)
    return rows


def read_dbf(path):
    try:
        import dbfread
    except ImportError:
        print("python3-dbfread is not installed", file=sys.stderr)
        sys.exit(3)
    table = dbfread.DBF(path, char_decode_errors="strict")
    rows = [[f.name for f in table.fields]]
    rows += [list(record.values()) for record in table]
    return rows


def read_mdb(path):
    if shutil.which("mdb-export") is None:
        print("mdbtools is not installed", file=sys.stderr)
        sys.exit(3)
    tables = subprocess.run(["mdb-tables", "-1", path], check=True, capture_output=True,
                            text=True).stdout.split()
    rows = [tables]
    for table in tables:
        text = subprocess.run(["mdb-export", "-B", "-0", "NULL", "-D", "%Y-%m-%d",
                               "-T", "%Y-%m-%d %H:%M:%S", path, table],
                              check=True, capture_output=True, text=True).stdout
        for record in csv.reader(io.StringIO(text)):
            rows.append([mdb_value(v) for v in record])
    return rows


def mdb_value(v):
    """mdb-export's text for a value in the common notation: NULL, TRUE and
    FALSE, numbers with the trailing zeros of currency columns, date-times
    at midnight for dates."""
    if v == "NULL":
        return None
    if v in ("TRUE", "FALSE"):
        return v == "TRUE"
    if re.fullmatch(r"-?\d+\.\d+", v):
        return float(v)
    m = re.fullmatch(r"(\d{4}-\d\d-\d\d) 00:00:00", v)
    if m:
        return m.group(1)
    return v


def main(kind, path):
    rows = {"xls": read_xls, "dbf": read_dbf, "mdb": read_mdb}[kind](path)
    for row in rows:
        print("\t".join(cell(v) for v in row))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
