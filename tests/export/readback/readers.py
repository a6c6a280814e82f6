"""Independent readers of the save-as formats, one adapter each (READERS). Each returns the file's first table as
{"name": table or sheet name or None, "columns": [names], "rows": [[values]]}, values None, bool, int, float, str,
date or datetime, and raises Missing when its reader is not installed. `python3 readers.py READER FILE` prints it.
mdbreader is the npm package set up by tests/export/jet4/setup.sh; pxlib is libpx.so.0 (or ZYL_PXLIB) via ctypes.
The Debian reader packages live in the system python3 (/usr/bin/python3)."""
import csv
import ctypes
import datetime
import io
import itertools
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MDB_READER_DIR = os.path.join(HERE, "..", "jet4")
DAY0 = datetime.datetime(1899, 12, 30)


class Missing(Exception):
    pass


def need_module(name, package):
    try:
        return __import__(name)
    except ImportError:
        raise Missing("%s is not installed" % package) from None


def need_program(name, package):
    if shutil.which(name) is None:
        raise Missing("%s is not installed" % package)


def read_csv(path):   # tab-separated text, or comma-separated for a .csv file
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, delimiter="," if path.endswith(".csv") else "\t"))
    return {"name": None, "columns": rows[0], "rows": [[v if v != "" else None for v in r]
                                                      for r in rows[1:]]}


ISO_DATE = re.compile(r"\d{4}-\d\d-\d\d( \d\d:\d\d:\d\d(\.\d{3})?)?$")


def read_json(path):   # an array of objects; texts in ISO date form are read as dates
    with open(path, encoding="utf-8") as f:
        records = json.load(f)
    def value(v):
        if isinstance(v, str) and ISO_DATE.match(v):
            return datetime.datetime.fromisoformat(v) if len(v) > 10 else datetime.date.fromisoformat(v)
        return v
    return {"name": None, "columns": list(records[0]) if records else [],
            "rows": [[value(v) for v in r.values()] for r in records]}


def read_openpyxl(path):
    openpyxl = need_module("openpyxl", "python3-openpyxl")
    book = openpyxl.load_workbook(path, read_only=True)
    names, header, rows = [], None, []
    for sheet in book.worksheets:   # a full sheet continues on the next, with its own header row
        names.append(sheet.title)
        for r, row in enumerate(sheet.iter_rows(values_only=True)):
            out = list(row)
            if r > 0:
                rows.append(out)
            elif header is None:
                header = out
            elif out != header:
                raise RuntimeError("sheet %s has the header %r" % (sheet.title, out))
    book.close()
    return {"name": " + ".join(names), "columns": header, "rows": rows}


def read_xlrd(path):
    xlrd = need_module("xlrd", "python3-xlrd")
    book = xlrd.open_workbook(path)
    names, header, rows = [], None, []
    for sheet in book.sheets():   # a full sheet continues on the next, with its own header row
        names.append(sheet.name)
        kinds = {xlrd.XL_CELL_EMPTY: lambda v: None, xlrd.XL_CELL_BLANK: lambda v: None, xlrd.XL_CELL_BOOLEAN: bool,
                 xlrd.XL_CELL_DATE: lambda v: xlrd.xldate_as_datetime(v, book.datemode),
                 xlrd.XL_CELL_ERROR: lambda v: "#ERROR%d" % v}
        for r in range(sheet.nrows):
            out = [kinds.get(c.ctype, lambda v: v)(c.value) for c in sheet.row(r)]
            if r > 0:
                rows.append(out)
            elif header is None:
                header = out
            elif out != header:
                raise RuntimeError("sheet %s has the header %r" % (sheet.name, out))
    return {"name": " + ".join(names), "columns": header, "rows": rows}


def read_mdbtools(path):
    need_program("mdb-export", "mdbtools")
    tables = subprocess.run(["mdb-tables", "-1", path], check=True, capture_output=True,
                            text=True).stdout.split()
    text = subprocess.run(["mdb-export", "-b", "hex", "-0", "\x01NULL", "-D", "%Y-%m-%d %H:%M:%S",
                           "-T", "%Y-%m-%d %H:%M:%S", path, tables[0]],
                          check=True, capture_output=True).stdout.decode()
    rows = list(csv.reader(io.StringIO(text, newline="")))
    types = mdb_column_types(path, tables[0])

    def value(v, kind):
        if v == "\x01NULL" or kind == "Boolean":
            return None if v == "\x01NULL" else v == "1"
        if kind in ("Long Integer", "Integer", "Byte", "Double", "Single", "Currency"):
            return (int if kind in ("Long Integer", "Integer", "Byte") else float)(v)
        try:
            return datetime.datetime.strptime(v, "%Y-%m-%d %H:%M:%S") if kind == "DateTime" else v
        except ValueError:   # mdb-export cannot print days before 1900
            return v
    return {"name": tables[0], "columns": rows[0],
            "rows": [[value(v, types.get(n)) for v, n in zip(r, rows[0])] for r in rows[1:]]}


def mdb_column_types(path, table):
    """Column name -> mdb-schema's type name (Boolean, Long Integer ...)."""
    schema = subprocess.run(["mdb-schema", "-T", table, path, "access"], check=True,
                            capture_output=True, text=True).stdout
    fields = (line.strip()[1:].split("]", 1) for line in schema.splitlines() if re.match(r"\s*\[.*\]", line))
    return {name: rest.strip().rstrip(",").split(" (")[0].replace(" NOT NULL", "").strip() for name, rest in fields}


def read_mdbreader(path):
    need_program("node", "node")
    if not os.path.exists(os.path.join(MDB_READER_DIR, "node_modules", "mdb-reader")):
        raise Missing("mdb-reader is not installed (run tests/export/jet4/setup.sh)")
    out = subprocess.run(["node", os.path.join(MDB_READER_DIR, "read_with_mdb_reader.mjs"), path],
                         check=True, capture_output=True, text=True).stdout
    unhex = lambda h: bytes.fromhex(h).decode("utf-8")
    table, types = None, []
    for line in out.splitlines():
        parts = line.split("\t")
        if parts[0] == "TABLE":
            if table is not None:
                break
            table = {"name": unhex(parts[1]), "columns": [], "rows": []}
        elif parts[0] == "COLUMN":
            table["columns"].append(unhex(parts[1]))
            types.append(parts[2])
        elif parts[0] == "ROW":
            row = [mdbreader_value(v) for v in parts[1:]]
            # mdb-reader gives currency as its exact decimal text
            table["rows"].append([float(v) if t == "currency" and v is not None else v
                                  for v, t in zip(row, types)])
    return table


MDBREADER_VALUES = {"N": lambda r: None, "T": lambda r: True, "F": lambda r: False,
                    "#": lambda r: int(r) if r.lstrip("-").isdigit() else float(r),
                    "S": lambda r: bytes.fromhex(r).decode("utf-8"),  # D: ms since 1970, the local time read as UTC
                    "D": lambda r: datetime.datetime(1970, 1, 1) + datetime.timedelta(milliseconds=int(r))}


def mdbreader_value(v):
    return MDBREADER_VALUES[v[0]](v[1:]) if v[:1] in MDBREADER_VALUES else v


def read_dbfread(path):
    dbfread = need_module("dbfread", "python3-dbfread")
    table = dbfread.DBF(path, char_decode_errors="strict")
    return {"name": None, "columns": [f.name for f in table.fields],
            "rows": [list(record.values()) for record in table]}


def read_pydbf(path):
    dbf = need_module("dbf", "python3-dbf")
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        rows = [[v.rstrip() if isinstance(v, str) else v for v in record] for record in table]
        return {"name": None, "columns": [n.upper() for n in table.field_names], "rows": rows}
    finally:
        table.close()


class Office:  # a headless LibreOffice with a private profile, over a named pipe

    def __enter__(self):
        try:
            import uno
        except ImportError:
            raise Missing("python3-uno is not installed") from None
        need_program("soffice", "LibreOffice")
        self.uno = uno
        pipe = "zylreadback%d" % os.getpid()
        self.profile = tempfile.mkdtemp(prefix="zyl-lo-profile-")
        self.proc = subprocess.Popen(
            ["soffice", "--headless", "--norestore", "--nologo",
             "-env:UserInstallation=file://" + self.profile, "--accept=pipe,name=%s;urp;" % pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(480):
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                self.desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
                return self
            except Exception:
                time.sleep(0.25)
                if self.proc.poll() is not None:
                    break
        self.proc.kill(), self.proc.wait(), shutil.rmtree(self.profile, ignore_errors=True)
        raise RuntimeError("LibreOffice did not start")

    def __exit__(self, *exc):
        try:
            self.desktop.terminate()
            self.proc.wait(timeout=60)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def load(self, path, **options):
        from com.sun.star.beans import PropertyValue
        props = [PropertyValue(Name="Hidden", Value=True), PropertyValue(Name="ReadOnly", Value=True)]
        props += [PropertyValue(Name=k, Value=v) for k, v in options.items()]
        doc = self.desktop.loadComponentFromURL(self.uno.systemPathToFileUrl(os.path.abspath(path)),
                                                "_blank", 0, tuple(props))
        if doc is None and path.endswith(".dbf") and not have_package("libreoffice-base-drivers"):
            raise Missing("libreoffice-base-drivers (Calc's dBase import) is not installed")
        if doc is None:
            raise RuntimeError("LibreOffice cannot load " + path)
        return doc


def have_package(name):  # False only when dpkg knows the Debian package is not installed
    try:
        return subprocess.run(["dpkg-query", "-W", "-f=${Status}", name], capture_output=True,
                              text=True).stdout == "install ok installed"
    except OSError:
        return True


def read_libreoffice(path):
    """The first sheet of an .xls or .dbf file as Calc shows it. Cell kinds come
    from the number formats (date, boolean); Calc's dBase import puts the
    field's type after its name in the header ("NAME,C,20") and ignores the
    language driver byte, so the character set is named."""
    options = {"FilterName": "dBase", "FilterOptions": "1"} if path.endswith(".dbf") else {}
    with Office() as office:
        doc = office.load(path, **options)
        try:
            sheet = doc.getSheets().getByIndex(0)
            cursor = sheet.createCursor()
            cursor.gotoEndOfUsedArea(False)
            end = cursor.getRangeAddress()
            area = sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow)
            data, formulas = area.getDataArray(), area.getFormulaArray()
            formats, kinds = doc.getNumberFormats(), {}


            def value(r, c, v):
                if isinstance(v, str):   # getDataArray marks a line break with \x01
                    return (sheet.getCellByPosition(c, r).getString() if "\x01" in v else v) or None
                if c not in kinds:   # each column's number format, from its first number
                    kinds[c] = formats.getByKey(sheet.getCellByPosition(c, r).getPropertyValue("NumberFormat")).Type
                if kinds[c] & 6:   # DATE | TIME, to the millisecond
                    return DAY0 + datetime.timedelta(milliseconds=round(v * 86400000))
                return v != 0 if kinds[c] & 1024 or formulas[r][c] in ("=TRUE()", "=FALSE()") else v
            rows = [[value(r, c, v) for c, v in enumerate(row)] for r, row in enumerate(data[1:], start=1)]
            return {"name": sheet.getName(), "columns": [h.split(",")[0] for h in data[0]],
                    "rows": rows}
        finally:
            doc.close(True)


class _PxField(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("type", ctypes.c_char), ("length", ctypes.c_int),
                ("decimals", ctypes.c_int)]


def read_pxlib(path):
    try:
        px = ctypes.CDLL(os.environ.get("ZYL_PXLIB") or "libpx.so.0")
    except OSError:
        raise Missing("pxlib (libpx.so.0, Debian package pxlib1) is not installed") from None
    px.PX_new.restype = ctypes.c_void_p
    px.PX_get_field.restype = ctypes.POINTER(_PxField)
    doc = ctypes.c_void_p(px.PX_new())
    if px.PX_open_file(doc, path.encode()) != 0:
        raise RuntimeError("pxlib cannot open " + path)
    px.PX_set_targetencoding(doc, b"UTF-8")
    fields = [px.PX_get_field(doc, i).contents for i in range(px.PX_get_num_fields(doc))]
    fields = [(f.name.decode("cp1252"), ord(f.type), f.length, f.decimals, at)   # at: the offset in the record
              for f, at in zip(fields, itertools.accumulate([0] + [f.length for f in fields]))]
    record = ctypes.create_string_buffer(sum(f[2] for f in fields) + 1)
    rows = []
    for r in range(px.PX_get_num_records(doc)):
        if not px.PX_get_record(doc, r, record):
            raise RuntimeError("pxlib cannot read record %d" % r)
        rows.append([pxlib_value(px, doc, k, ctypes.byref(record, at), n, d) for _, k, n, d, at in fields])
    px.PX_close(doc)
    px.PX_delete(doc)
    return {"name": None, "columns": [f[0] for f in fields], "rows": rows}


def pxlib_value(px, doc, kind, data, length, decimals):
    """One field through pxlib's typed getters; a getter's result 0 or less means blank."""
    # kind: the getter, its C type, the value made of its result (Paradox dates count days from 1 January of year 1
    # as day 1; a time is milliseconds since midnight; a timestamp milliseconds since year 1 less one day)
    day1, ms = datetime.datetime(1, 1, 1), lambda n: datetime.timedelta(milliseconds=n)
    getter, ctype, make = {
        0x01: ("alpha", ctypes.c_char_p, lambda v: v.decode()),
        0x17: ("bcd", ctypes.c_char_p, lambda v: int(v.split(b".")[0]) if decimals == 0 else float(v)),
        0x03: ("short", ctypes.c_short, int), 0x04: ("long", ctypes.c_long, int),
        0x02: ("long", ctypes.c_long, lambda v: day1 + datetime.timedelta(days=v - 1)),
        0x14: ("long", ctypes.c_long, lambda v: DAY0 + ms(v)),
        0x05: ("double", ctypes.c_double, float), 0x06: ("double", ctypes.c_double, float),
        0x15: ("double", ctypes.c_double, lambda v: day1 + ms(v - 86400000)),
        0x09: ("byte", ctypes.c_char, lambda v: v != b"\x00")}.get(kind, (None, None, None))
    if getter is None:
        return "?type%d" % kind
    out = ctype()
    if getattr(px, "PX_get_data_" + getter)(doc, data, decimals if getter == "bcd" else length, ctypes.byref(out)) <= 0:
        return None
    # pxlib returns a blank (all zero bytes) long, date or time as -2^31
    return None if getter == "long" and out.value == -2 ** 31 else make(out.value)


READERS = {"csv": read_csv, "json": read_json, "openpyxl": read_openpyxl, "xlrd": read_xlrd, "libreoffice": read_libreoffice,
           "mdbtools": read_mdbtools, "mdbreader": read_mdbreader, "dbfread": read_dbfread,
           "pydbf": read_pydbf, "pxlib": read_pxlib}


if __name__ == "__main__":
    json.dump(READERS[sys.argv[1]](sys.argv[2]), sys.stdout, default=str, ensure_ascii=False,
              indent=1)
