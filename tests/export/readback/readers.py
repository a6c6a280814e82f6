"""Independent readers of the save-as formats, one adapter each. Every adapter
returns the file's first table in one common form:

    {"name": table or sheet name or None, "columns": [names], "rows": [[values]]}

with values None (NULL or empty cell), bool, int, float, str, datetime.date or
datetime.datetime. An adapter raises Missing when its reader is not installed.

    python3 readers.py READER FILE      prints the table as JSON (for a look)

Readers: csv (Python's csv module, tab-separated text), xlrd, libreoffice
(over UNO; .xls and .dbf), mdbtools (mdb-export), mdbreader (the npm package
mdb-reader, installed by tests/export/jet4/setup.sh), dbfread, pydbf (the dbf
package), pxlib (libpx.so.0 through ctypes; ZYL_PXLIB may name another build).
The Debian reader packages live in the system python3 (/usr/bin/python3)."""
import csv
import ctypes
import datetime
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MDB_READER_DIR = os.path.join(HERE, "..", "jet4")
DAY0 = datetime.datetime(1899, 12, 30)


class Missing(Exception):
    """The reader is not installed."""


def need_module(name, package):
    try:
        return __import__(name)
    except ImportError:
        raise Missing("%s is not installed" % package) from None


def need_program(name, package):
    if shutil.which(name) is None:
        raise Missing("%s is not installed" % package)


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, delimiter="\t"))
    return {"name": None, "columns": rows[0], "rows": [[v if v != "" else None for v in r]
                                                      for r in rows[1:]]}


def read_xlrd(path):
    xlrd = need_module("xlrd", "python3-xlrd")
    book = xlrd.open_workbook(path)
    names, header, rows = [], None, []
    for sheet in book.sheets():   # a full sheet continues on the next, with its own header row
        names.append(sheet.name)
        for r in range(sheet.nrows):
            out = []
            for c in sheet.row(r):
                if c.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    out.append(None)
                elif c.ctype == xlrd.XL_CELL_BOOLEAN:
                    out.append(bool(c.value))
                elif c.ctype == xlrd.XL_CELL_DATE:
                    out.append(xlrd.xldate_as_datetime(c.value, book.datemode))
                elif c.ctype == xlrd.XL_CELL_ERROR:
                    out.append("#ERROR%d" % c.value)
                else:
                    out.append(c.value)
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
        if v == "\x01NULL":
            return None
        if kind == "Boolean":
            return v == "1"
        if kind in ("Long Integer", "Integer", "Byte"):
            return int(v)
        if kind in ("Double", "Single", "Currency"):
            return float(v)
        if kind == "DateTime":
            try:
                return datetime.datetime.strptime(v, "%Y-%m-%d %H:%M:%S")
            except ValueError:   # mdb-export cannot print days before 1900
                return v
        return v
    return {"name": tables[0], "columns": rows[0],
            "rows": [[value(v, types.get(n)) for v, n in zip(r, rows[0])] for r in rows[1:]]}


def mdb_column_types(path, table):
    """Column name -> mdb-schema's type name (Boolean, Long Integer ...)."""
    schema = subprocess.run(["mdb-schema", "-T", table, path, "access"], check=True,
                            capture_output=True, text=True).stdout
    types = {}
    for line in schema.splitlines():
        line = line.strip()
        if line.startswith("[") and "]" in line:
            name, rest = line[1:].split("]", 1)
            types[name] = rest.strip().rstrip(",").split(" (")[0].replace(" NOT NULL", "").strip()
    return types


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


def mdbreader_value(v):
    tag, rest = v[:1], v[1:]
    if tag == "N":
        return None
    if tag in "TF":
        return tag == "T"
    if tag == "#":
        return int(rest) if rest.lstrip("-").isdigit() else float(rest)
    if tag == "S":
        return bytes.fromhex(rest).decode("utf-8")
    if tag == "D":   # milliseconds since 1970, the local date-time read as UTC
        return datetime.datetime(1970, 1, 1) + datetime.timedelta(milliseconds=int(rest))
    return v


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


class Office:
    """A headless LibreOffice with a private profile, reached over a named pipe."""

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
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        ctx = None
        for _ in range(480):
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                if self.proc.poll() is not None:
                    break
                time.sleep(0.25)
        if ctx is None:
            self.__exit__()
            raise RuntimeError("LibreOffice did not start")
        self.desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop",
                                                                    ctx)
        return self

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


def have_package(name):
    """False only when dpkg knows the Debian package is not installed."""
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
            rows = []
            for r, row in enumerate(data[1:], start=1):
                out = []
                for c, v in enumerate(row):
                    if isinstance(v, str):
                        if "\x01" in v:   # getDataArray marks a line break this way
                            v = sheet.getCellByPosition(c, r).getString()
                        out.append(v if v != "" else None)
                        continue
                    if c not in kinds:   # each column's number format, from its first number
                        kinds[c] = formats.getByKey(sheet.getCellByPosition(c, r)
                                                    .getPropertyValue("NumberFormat")).Type
                    if kinds[c] & 6:   # DATE | TIME
                        out.append(DAY0 + datetime.timedelta(days=v))
                    elif kinds[c] & 1024 or formulas[r][c] in ("=TRUE()", "=FALSE()"):
                        out.append(v != 0)
                    else:
                        out.append(v)
                rows.append(out)
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
    fields = [(f.name.decode("cp1252"), ord(f.type), f.length, f.decimals) for f in fields]
    record = ctypes.create_string_buffer(sum(f[2] for f in fields) + 1)
    rows = []
    for r in range(px.PX_get_num_records(doc)):
        if not px.PX_get_record(doc, r, record):
            raise RuntimeError("pxlib cannot read record %d" % r)
        at, row = 0, []
        for _, kind, length, decimals in fields:
            row.append(pxlib_value(px, doc, kind, ctypes.byref(record, at), length, decimals))
            at += length
        rows.append(row)
    px.PX_close(doc)
    px.PX_delete(doc)
    return {"name": None, "columns": [f[0] for f in fields], "rows": rows}


def pxlib_value(px, doc, kind, data, length, decimals):
    """One field through pxlib's typed getters; a getter's result 0 means blank."""
    text, lng, sht, dbl, byte = (ctypes.c_char_p(), ctypes.c_long(), ctypes.c_short(),
                                 ctypes.c_double(), ctypes.c_char())
    if kind == 0x01:
        return text.value.decode() if px.PX_get_data_alpha(doc, data, length, ctypes.byref(text)) > 0 else None
    if kind == 0x17:
        if px.PX_get_data_bcd(doc, data, decimals, ctypes.byref(text)) <= 0:
            return None
        return int(text.value.split(b".")[0]) if decimals == 0 else float(text.value)
    if kind == 0x03:
        return sht.value if px.PX_get_data_short(doc, data, length, ctypes.byref(sht)) > 0 else None
    if kind in (0x02, 0x04, 0x14):
        # pxlib returns a blank (all zero bytes) long, date or time as -2^31
        if px.PX_get_data_long(doc, data, length, ctypes.byref(lng)) <= 0 or lng.value == -2 ** 31:
            return None
        if kind == 0x02:   # days since 1 January of year 1, that day being day 1
            return datetime.datetime(1, 1, 1) + datetime.timedelta(days=lng.value - 1)
        if kind == 0x14:   # milliseconds since midnight
            return datetime.datetime(1899, 12, 30) + datetime.timedelta(milliseconds=lng.value)
        return lng.value
    if kind in (0x05, 0x06, 0x15):
        if px.PX_get_data_double(doc, data, length, ctypes.byref(dbl)) <= 0:
            return None
        if kind == 0x15:   # milliseconds since 1 January of year 1, less one day
            return datetime.datetime(1, 1, 1) + datetime.timedelta(milliseconds=dbl.value - 86400000)
        return dbl.value
    if kind == 0x09:
        return byte.value != b"\x00" if px.PX_get_data_byte(doc, data, length, ctypes.byref(byte)) > 0 else None
    return "?type%d" % kind


READERS = {"csv": read_csv, "xlrd": read_xlrd, "libreoffice": read_libreoffice,
           "mdbtools": read_mdbtools, "mdbreader": read_mdbreader, "dbfread": read_dbfread,
           "pydbf": read_pydbf, "pxlib": read_pxlib}


if __name__ == "__main__":
    json.dump(READERS[sys.argv[1]](sys.argv[2]), sys.stdout, default=str, ensure_ascii=False,
              indent=1)
