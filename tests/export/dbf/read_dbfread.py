#!/usr/bin/env python3
"""Reads a .dbf file with dbfread (Debian python3-dbfread) and prints its
fields and records as JSON:
  {"reader": ..., "encoding": ..., "fields": [[name, type, length, decimals], ...],
   "records": [[value, ...], ...]}
Values: null, true/false, integers and floats as JSON numbers (floats in
their round-trip form), text as strings, dates as {"date": "YYYY-MM-DD"}.
The code page is taken from the file's language driver byte.
Exit status 3 when dbfread is not installed."""
import datetime
import json
import sys

try:
    import dbfread
except ImportError:
    print("python3-dbfread is not installed", file=sys.stderr)
    sys.exit(3)


def cell(value):
    if isinstance(value, datetime.date):
        return {"date": value.isoformat()}
    return value


def main(path):
    table = dbfread.DBF(path, char_decode_errors="strict")
    out = {
        "reader": "dbfread",
        "encoding": table.encoding,
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": [[cell(v) for v in record.values()] for record in table],
    }
    json.dump(out, sys.stdout, allow_nan=False)


if __name__ == "__main__":
    main(sys.argv[1])
