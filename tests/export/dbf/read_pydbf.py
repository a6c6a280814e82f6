#!/usr/bin/env python3
"""Reads a .dbf file with python-dbf (Debian python3-dbf) and prints its
fields and records as JSON, in the same form as read_dbfread.py:
  {"reader": ..., "encoding": ..., "fields": [[name, type, length, decimals], ...],
   "records": [[value, ...], ...]}
Field names are upper-cased (python-dbf lower-cases them). The code page is
taken from the file's language driver byte.
Exit status 3 when python-dbf is not installed."""
import datetime
import json
import sys

try:
    import dbf
except ImportError:
    print("python3-dbf is not installed", file=sys.stderr)
    sys.exit(3)


def cell(value):
    if isinstance(value, datetime.date):
        return {"date": value.isoformat()}
    return value


def main(path):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        fields = []
        for name in table.field_names:
            info = table.field_info(name)
            fields.append([name.upper(), chr(info.field_type), info.length, info.decimal])
        out = {
            "reader": "python-dbf",
            "encoding": table.codepage.name,
            "fields": fields,
            "records": [[cell(v) for v in record] for record in table],
        }
    finally:
        table.close()
    json.dump(out, sys.stdout, allow_nan=False)


if __name__ == "__main__":
    main(sys.argv[1])
