"""readback.py WRITE_SAMPLE FORMAT(txt|xls|mdb|dbf|db|csv|xlsx|json) READER [ROWS [all]]: the grid described in
sample.json, saved by write_sample (with "all": the whole result of a dataset holding the rows, hidden ones too) and
read back by an independent reader (readers.py), must give every column name and value back.
Exit 0, 1 with the differences listed, 77 when the reader is not installed. What a reader should see comes from each
cell's text and its column's field type, adjusted by the format's rules ("formats") and the listed exceptions."""
import datetime
import json
import os
import subprocess
import sys
import tempfile

import readers

HERE = os.path.dirname(os.path.abspath(__file__))


def generated_row(i):  # plain values over every column kind, for tables over many pages, blocks and records
    day = (datetime.date(2000, 1, 1) + datetime.timedelta(days=i)).isoformat()
    return ["row %d" % i, str(i * 1000), str(i % 30000 - 15000), str(i * 1000003), str(i / 8), "%d.%02d" % (i, i % 100),
            str(i % 3 != 0), day, day + " 06:30:00", None if i % 5 else "memo %d" % i, "x"]


def load_sample(generated):  # a cell: null, a text or {"repeat": text, "times": n}
    with open(os.path.join(HERE, "sample.json"), encoding="utf-8") as f:
        sample = json.load(f)
    rows = [{"visible": r.get("visible", True), "cells": [c["repeat"] * c["times"] if isinstance(c, dict) else c
                                                          for c in r["cells"]]} for r in sample["rows"]]
    return sample, rows + [{"visible": True, "cells": generated_row(i)}
                           for i in range(generated or sample["generatedRows"])]


def table_text(columns, rows):  # the table in write_sample's input form
    def esc(v):
        return "\\N" if not v else v.translate({92: "\\\\", 9: "\\t", 10: "\\n", 13: "\\r"})
    lines = ["\t".join(c["name"] for c in columns),
             "\t".join(c["type"] + (":%d" % c["size"] if "size" in c else "") + (":hidden" if c.get("hidden") else "")
                       for c in columns)]
    lines += ["\t".join(["+" if r["visible"] else "-"] + [esc(v) for v in r["cells"]]) for r in rows]
    return "\n".join(lines) + "\n"


def typed(text, kind, rules):
    """What a reader of a typed format sees for a cell text of a field type."""
    if text is None or text == "":
        return rules.get("nullBoolean") if kind == "ftBoolean" else rules.get("nullText") if kind == "ftString" else None
    if kind in ("ftString", "ftMemo"):
        if "astral" in rules:   # a reader that shows characters beyond U+FFFF its own way
            text = "".join(rules["astral"] if ord(ch) > 0xFFFF else ch for ch in text)
        if rules.get("newlines") == "lf":
            text = text.replace("\r\n", "\n").replace("\r", "\n")
        if "charset" in rules:
            text = text.encode(rules["charset"], "replace").decode(rules["charset"])
            # one '?' for a character outside the code page, also for a surrogate pair
        return text[:rules.get("maxText", len(text))]
    convert = {"ftSmallint": int, "ftInteger": int, "ftLargeint": int, "ftFloat": float, "ftCurrency": float,
               "ftBoolean": lambda t: t == "True", "ftDate": lambda t: t[:10]}
    return convert.get(kind, (lambda t: t[:10]) if rules.get("dateOnly") else datetime.datetime.fromisoformat)(text)


def canon(v):
    """One text per value, so that readers' types compare: NULL, True/False,
    whole numbers without fraction, other numbers in their shortest form,
    dates YYYY-MM-DD, date-times YYYY-MM-DD HH:MM:SS."""
    if v is None:
        return "NULL"
    if isinstance(v, float) and v.is_integer() and abs(v) <= 2 ** 53:
        return str(int(v))
    if isinstance(v, datetime.datetime):
        return v.date().isoformat() if v.time() == datetime.time(0) else v.isoformat(
            " ", "milliseconds" if v.microsecond else "seconds")
    return v.isoformat() if isinstance(v, datetime.date) else str(v)


def expected(sample, rows, fmt, reader, whole=False):
    rules = dict(sample["formats"][fmt], **sample["readers"].get(reader, {}))
    columns = [c for c in sample["columns"]
               if not c.get("hidden") and c["type"] not in rules.get("dropTypes", [])]
    index = {c["name"]: sample["columns"].index(c) for c in columns}
    def text_value(text, kind):   # a text format: the text; numbers by value where they are exact
        exact = rules.get("exactNumbers") and text and kind in ("ftFloat", "ftCurrency")
        lower = rules.get("lowerBooleans") and text and kind == "ftBoolean"
        return float(text) if exact else text.lower() if lower else text or None
    want = [[canon(typed(r["cells"][index[c["name"]]], c["type"], rules) if rules.get("typed", True)
                   else text_value(r["cells"][index[c["name"]]], c["type"])) for c in columns]
            for r in rows if r["visible"] or whole]
    shown = [i for i, r in enumerate(rows) if r["visible"]]   # exception rows count these
    names = [c["name"] for c in columns]
    for e in sample["exceptions"]:
        if fmt in e["formats"] and reader in e.get("readers", [reader]):
            want[shown[e["row"]] if whole else e["row"]][names.index(e["column"])] = canon(e["value"])
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


def main(writer, fmt, reader, generated=0, scope="page"):
    sample, rows = load_sample(int(generated))
    with tempfile.TemporaryDirectory(prefix="zyl-readback-") as tmp:
        path = os.path.join(tmp, "sample." + fmt)
        env = dict(os.environ, TMPDIR=tmp)
        written = subprocess.run([writer, fmt, path] + (["all"] if scope == "all" else []), env=env, capture_output=True,
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
    problems = compare(got, *expected(sample, rows, fmt, reader, scope == "all"))
    if leftovers:
        problems.append("files left behind: %s" % leftovers)
    for p in problems:
        print("%s read by %s: %s" % (fmt, reader, p))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
