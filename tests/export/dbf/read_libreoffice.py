#!/usr/bin/env python3
"""Reads a .dbf file with a headless LibreOffice Calc over UNO (a private
profile and a named pipe, no network) and prints its fields and records as
JSON, in the same form as read_dbfread.py. Needs Debian's python3-uno and
libreoffice-base-drivers; run with the system python3.

Calc's dBase import ignores the language driver byte, so the character set
is named (filter option 1 = Windows-1252). Calc keeps numbers as doubles
(exact up to 2^53); a number in a field without decimals is printed as an
integer when it is whole.
Exit status 3 when LibreOffice or its dBase driver is missing."""
import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import uno
    from com.sun.star.beans import PropertyValue
except ImportError:
    print("python3-uno is not installed", file=sys.stderr)
    sys.exit(3)

if shutil.which("soffice") is None:
    print("LibreOffice (soffice) is not installed", file=sys.stderr)
    sys.exit(3)

DAY0 = datetime.date(1899, 12, 30)


def props(**kw):
    return tuple(PropertyValue(Name=k, Value=v) for k, v in kw.items())


class Office:
    def __enter__(self):
        self.pipe = "zyldbf%d" % os.getpid()
        self.profile = tempfile.mkdtemp(prefix="zyl-lo-profile-")
        self.proc = subprocess.Popen(
            ["soffice", "--headless", "--norestore", "--nologo",
             "-env:UserInstallation=file://" + self.profile,
             "--accept=pipe,name=%s;urp;" % self.pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(240):
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % self.pipe)
                break
            except Exception:
                if self.proc.poll() is not None:
                    break
                time.sleep(0.25)
        else:
            ctx = None
        if ctx is None:
            self.close()
            raise RuntimeError("LibreOffice did not start")
        self.desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        return self

    def close(self):
        try:
            self.desktop.terminate()
            self.proc.wait(timeout=30)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __exit__(self, *exc):
        self.close()

    def read(self, path):
        doc = self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
            props(Hidden=True, ReadOnly=True, FilterName="dBase", FilterOptions="1"))
        if doc is None:
            print("LibreOffice could not load the file (is libreoffice-base-drivers installed?)",
                  file=sys.stderr)
            sys.exit(3)
        try:
            return table_of(doc, doc.getSheets().getByIndex(0))
        finally:
            doc.close(True)


def table_of(doc, sheet):
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    end = cursor.getRangeAddress()
    data = sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow).getDataArray()
    fields = []
    for header in data[0]:        # "NAME,C,6", "PRICE,N,20,4", "DONE,L": no size for L and D
        parts = header.split(",")
        fields.append([parts[0], parts[1], int(parts[2]) if len(parts) > 2 else None,
                       int(parts[3]) if len(parts) > 3 else 0])
    # Empty cells come as "" in the data array; each column's kind of number
    # (date, boolean, plain) is taken from its first number cell.
    formats = doc.getNumberFormats()
    kinds = {}
    records = []
    for r, row in enumerate(data[1:], start=1):
        out = []
        for c, value in enumerate(row):
            if isinstance(value, str):
                out.append(value if value != "" else None)
                continue
            if c not in kinds:
                number_type = formats.getByKey(
                    sheet.getCellByPosition(c, r).getPropertyValue("NumberFormat")).Type
                kinds[c] = "date" if number_type & 6 else "bool" if number_type & 1024 else "number"
            if kinds[c] == "date":
                out.append({"date": (DAY0 + datetime.timedelta(days=int(value))).isoformat()})
            elif kinds[c] == "bool":
                out.append(bool(value))
            elif fields[c][3] == 0 and float(value).is_integer():
                out.append(int(value))
            else:
                out.append(value)
        records.append(out)
    return fields, records


def main(path):
    with Office() as office:
        fields, records = office.read(path)
    json.dump({"reader": "libreoffice", "encoding": "cp1252", "fields": fields, "records": records},
              sys.stdout, allow_nan=False)


if __name__ == "__main__":
    main(sys.argv[1])
