"""Reads .xls workbooks with an independent reader and prints every cell as JSON.

    read_xls.py xlrd FILE...
    read_xls.py libreoffice FILE...

Output: {"FILE": [{"name": sheet name, "rows": [[cell, ...], ...]}, ...], ...}
A cell is null (empty), ["s", text], ["n", number], ["d", date serial],
["b", true/false] or ["e", BIFF error code]. Numbers are printed with
Python's shortest round-trip form, so they parse back to the same double.

xlrd needs Debian's python3-xlrd; libreoffice needs soffice and python3-uno
(run with the system python3). LibreOffice is read over UNO through a named
pipe, because its own CSV/ODS export rounds numbers to 15 digits.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time


def read_xlrd(paths):
    import xlrd
    kinds = {
        xlrd.XL_CELL_TEXT: lambda v: ["s", v],
        xlrd.XL_CELL_NUMBER: lambda v: ["n", float(v)],
        xlrd.XL_CELL_DATE: lambda v: ["d", float(v)],
        xlrd.XL_CELL_BOOLEAN: lambda v: ["b", bool(v)],
        xlrd.XL_CELL_ERROR: lambda v: ["e", int(v)],
    }
    out = {}
    for path in paths:
        book = xlrd.open_workbook(path)
        out[path] = [{"name": sheet.name,
                      "rows": [[kinds.get(cell.ctype, lambda v: None)(cell.value)
                                for cell in sheet.row(r)] for r in range(sheet.nrows)]}
                     for sheet in book.sheets()]
    return out


# LibreOffice's error numbers for the BIFF error codes.
LO_ERRORS = {503: 0x24, 532: 0x07, 519: 0x0F, 524: 0x17, 525: 0x1D, 32767: 0x2A, 509: 0x00}


class LibreOffice:
    """A headless soffice with a private profile, reached over a named pipe."""

    def __enter__(self):
        import uno
        self.uno = uno
        pipe = "zylxls%d" % os.getpid()
        self.profile = tempfile.mkdtemp(prefix="zyl-lo-profile-")
        self.proc = subprocess.Popen(
            ["soffice", "--headless", "--norestore", "--nologo",
             "-env:UserInstallation=file://" + self.profile,
             "--accept=pipe,name=%s;urp;" % pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(240):
            try:
                ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                if self.proc.poll() is not None:
                    break
                time.sleep(0.25)
        else:
            ctx = None
        if ctx is None:
            self.__exit__()
            raise RuntimeError("LibreOffice did not start")
        self.desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        return self

    def __exit__(self, *exc):
        try:
            self.desktop.terminate()
            self.proc.wait(timeout=30)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def read(self, path):
        from com.sun.star.beans import PropertyValue
        props = (PropertyValue(Name="Hidden", Value=True), PropertyValue(Name="ReadOnly", Value=True))
        doc = self.desktop.loadComponentFromURL(self.uno.systemPathToFileUrl(os.path.abspath(path)),
                                                "_blank", 0, props)
        if doc is None:
            raise RuntimeError("LibreOffice could not load " + path)
        try:
            sheets = doc.getSheets()
            return [self.sheet(doc, sheets.getByIndex(i)) for i in range(sheets.getCount())]
        finally:
            doc.close(True)

    def sheet(self, doc, sheet):
        """Bulk reads: values, formulas, and the ranges of strings, errors and
        number formats, so that large sheets need few UNO calls."""
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.getRangeAddress()
        area = sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow)
        values = area.getDataArray()
        formulas = area.getFormulaArray()

        def cells_of(ranges):
            for a in ranges.getRangeAddresses():
                for r in range(a.StartRow, a.EndRow + 1):
                    for c in range(a.StartColumn, a.EndColumn + 1):
                        yield r, c

        strings = set(cells_of(area.queryContentCells(4)))       # CellFlags.STRING
        errors = {rc: sheet.getCellByPosition(rc[1], rc[0]).getError()
                  for rc in cells_of(area.queryFormulaCells(4))}  # FormulaResult.ERROR
        kinds, formats = {}, doc.getNumberFormats()
        ranges = sheet.getCellFormatRanges()
        for i in range(ranges.getCount()):
            rng = ranges.getByIndex(i)
            a = rng.getRangeAddress()
            t = formats.getByKey(rng.getPropertyValue("NumberFormat")).Type
            kind = "d" if t & 6 else "b" if t & 1024 else "n"   # DATE | TIME, LOGICAL
            if kind != "n":
                for r in range(a.StartRow, min(a.EndRow, end.EndRow) + 1):
                    for c in range(a.StartColumn, min(a.EndColumn, end.EndColumn) + 1):
                        kinds[(r, c)] = kind
        rows = []
        for r, row in enumerate(values):
            out = []
            for c, v in enumerate(row):
                if (r, c) in errors:
                    out.append(["e", LO_ERRORS.get(errors[(r, c)], errors[(r, c)])])
                elif isinstance(v, str):
                    if (r, c) not in strings:
                        out.append(None)
                    elif "\x01" in v:   # getDataArray marks a tab of a multi-line cell
                        out.append(["s", sheet.getCellByPosition(c, r).getString()])
                    else:
                        out.append(["s", v])
                elif formulas[r][c] in ("=TRUE()", "=FALSE()"):
                    out.append(["b", v != 0])
                else:
                    kind = kinds.get((r, c), "n")
                    out.append([kind, v != 0] if kind == "b" else [kind, float(v)])
            rows.append(out)
        return {"name": sheet.getName(), "rows": rows}


def read_libreoffice(paths):
    with LibreOffice() as lo:
        return {path: lo.read(path) for path in paths}


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("xlrd", "libreoffice"):
        sys.stderr.write(__doc__)
        return 2
    read = read_xlrd if sys.argv[1] == "xlrd" else read_libreoffice
    json.dump(read(sys.argv[2:]), sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main())
