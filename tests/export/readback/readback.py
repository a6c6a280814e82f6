"""The read-back test: the grid described in sample.json is saved in one
format by write_sample and read back by one independent reader
(readers.py); every column name and value must come back as the
description says.

    readback.py WRITE_SAMPLE FORMAT READER

FORMAT is txt, xls, mdb, dbf or db. Exit status 0 when everything matches,
1 with the differences listed, 77 when the reader is not installed (CTest
counts that as skipped).

What a reader should see is derived from each cell's text and its column's
field type (numbers as numbers, booleans, dates), then adjusted by the
format's rules in sample.json ("formats") and the listed exceptions."""
import datetime
import json
import os
import subprocess
import sys
import tempfile

import readers

HERE = os.path.dirname(os.path.abspath(__file__))


def expand(cell):
    """A cell of the description: null, a text, or {"repeat": text, "times": n}."""
    if isinstance(cell, dict):
        return cell["repeat"] * cell["times"]
    return cell


def generated_rows(n):
    """n rows of plain values over every column kind, for tables that span
    many pages, blocks and records."""
    rows = []
    for i in range(n):
        day = datetime.date(2000, 1, 1) + datetime.timedelta(days=i)
        rows.append(["row %d" % i, str(i * 1000), str(i % 30000 - 15000), str(i * 1000003),
                     str(i / 8), "%d.%02d" % (i, i % 100), "True" if i % 3 else "False",
                     day.isoformat(), "%s 06:30:00" % day.isoformat(), None if i % 5 else "memo %d" % i,
                     "x"])
    return rows


def load_sample(generated):
    with open(os.path.join(HERE, "sample.json"), encoding="utf-8") as f:
        sample = json.load(f)
    rows = [{"visible": r.get("visible", True), "cells": [expand(c) for c in r["cells"]]}
            for r in sample["rows"]]
    rows += [{"visible": True, "cells": c} for c in generated_rows(generated or sample["generatedRows"])]
    return sample, rows


def table_text(columns, rows):
    """The table in write_sample's input form."""
    def esc(v):
        if v is None or v == "":
            return "\\N"
        return v.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
    lines = ["\t".join(c["name"] for c in columns),
             "\t".join(c["type"] + ("" if "size" not in c else ":%d" % c["size"]) +
                       (":hidden" if c.get("hidden") else "") for c in columns)]
    for r in rows:
        lines.append("\t".join(["+" if r["visible"] else "-"] + [esc(v) for v in r["cells"]]))
    return "\n".join(lines) + "\n"


def typed(text, kind, rules):
    """What a reader of a typed format sees for a cell text of a field type."""
    if text is None or text == "":
        return False if kind == "ftBoolean" else rules.get("nullText") if kind == "ftString" else None
    if kind in ("ftString", "ftMemo"):
        if "astral" in rules:   # a reader that shows characters beyond U+FFFF its own way
            text = "".join(rules["astral"] if ord(ch) > 0xFFFF else ch for ch in text)
        if rules.get("newlines") == "lf":
            text = text.replace("\r\n", "\n").replace("\r", "\n")
        if "charset" in rules:
            text = text.encode(rules["charset"], "replace").decode(rules["charset"])
            # one '?' for a character outside the code page, also for a surrogate pair
        return text[:rules.get("maxText", len(text))]
    if kind in ("ftSmallint", "ftInteger", "ftLargeint"):
        return int(text)
    if kind in ("ftFloat", "ftCurrency"):
        return float(text)
    if kind == "ftBoolean":
        return text == "True"
    if kind == "ftDate" or rules.get("dateOnly"):
        return text[:10]
    return text


def canon(v):
    """One text per value, so that readers' types compare: NULL, True/False,
    whole numbers without fraction, other numbers in their shortest form,
    dates YYYY-MM-DD, date-times YYYY-MM-DD HH:MM:SS."""
    if v is None:
        return "NULL"
    if isinstance(v, bool):
        return str(v)
    if isinstance(v, float) and v.is_integer() and abs(v) <= 2 ** 53:
        return str(int(v))
    if isinstance(v, datetime.datetime):
        if v.time() == datetime.time(0):
            return v.date().isoformat()
        return v.strftime("%Y-%m-%d %H:%M:%S") if not v.microsecond else v.isoformat(" ")
    if isinstance(v, datetime.date):
        return v.isoformat()
    return str(v)


def expected(sample, rows, fmt, reader):
    rules = dict(sample["formats"][fmt], **sample["readers"].get(reader, {}))
    columns = [c for c in sample["columns"]
               if not c.get("hidden") and c["type"] not in rules.get("dropTypes", [])]
    index = {c["name"]: sample["columns"].index(c) for c in columns}
    want = []
    for r in (r for r in rows if r["visible"]):
        cells = [r["cells"][index[c["name"]]] for c in columns]
        if rules.get("typed", True):
            want.append([canon(typed(v, c["type"], rules)) for v, c in zip(cells, columns)])
        else:
            want.append([canon(v if v != "" else None) for v in cells])
    names = [c["name"] for c in columns]
    for e in sample["exceptions"]:
        if fmt in e["formats"] and reader in e.get("readers", [reader]):
            want[e["row"]][names.index(e["column"])] = canon(e["value"])
    if rules.get("names") == "upper":
        names = [n.upper()[:10] for n in names]
    table = rules.get("table")
    if "sheetRows" in rules:   # "Name", "Name (2)" ... each with up to sheetRows rows
        sheets = max(1, -(-len(want) // rules["sheetRows"]))
        table = " + ".join([table] + ["%s (%d)" % (table, i) for i in range(2, sheets + 1)])
    return table, names, want


def compare(got, table, names, want):
    problems = []
    if table is not None and got["name"] != table:
        problems.append("table name %r, want %r" % (got["name"], table))
    if got["columns"] != names:
        problems.append("columns %r\n     want %r" % (got["columns"], names))
    if len(got["rows"]) != len(want):
        problems.append("%d rows, want %d" % (len(got["rows"]), len(want)))
    for i, (g, w) in enumerate(zip(got["rows"], want)):
        g = [canon(v) for v in g] + ["NULL"] * (len(w) - len(g))   # readers may stop early
        for name, a, b in zip(names, g, w):
            if a != b:
                problems.append("row %d column %s: read %s, want %s" % (i, name, short(a), short(b)))
        if len(problems) > 20:
            problems.append("...")
            break
    return problems


def short(text):
    return repr(text) if len(text) <= 70 else "%r... (%d characters)" % (text[:60], len(text))


def main(writer, fmt, reader, generated=0):
    sample, rows = load_sample(int(generated))
    with tempfile.TemporaryDirectory(prefix="zyl-readback-") as tmp:
        path = os.path.join(tmp, "sample." + fmt)
        env = dict(os.environ, TMPDIR=tmp)
        written = subprocess.run([writer, fmt, path], env=env, capture_output=True,
                                 input=table_text(sample["columns"], rows).encode())
        if written.returncode != 0:
            print("%s: saving failed: %s" % (fmt, written.stderr.decode(errors="replace")))
            return 1
        try:
            got = readers.READERS[reader](path)
        except readers.Missing as e:
            print("skipped:", e)
            return 77
        except Exception as e:   # the reader refused the file
            print("%s read by %s: the reader failed: %s: %s" % (fmt, reader, type(e).__name__, e))
            return 1
        leftovers = sorted(set(os.listdir(tmp)) - {os.path.basename(path)})
    problems = compare(got, *expected(sample, rows, fmt, reader))
    if leftovers:
        problems.append("files left behind: %s" % leftovers)
    for p in problems:
        print("%s read by %s: %s" % (fmt, reader, p))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
