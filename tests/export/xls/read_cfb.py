"""Extracts the Workbook stream of a compound file with independent readers.

    read_cfb.py FILE OUTDIR

Writes OUTDIR/xlrd.bin (xlrd's compound-document reader) and, when olefile
is installed, OUTDIR/olefile.bin (olefile in strict mode: any structural
defect raises). Prints {"xlrd": path, "olefile": path or null} as JSON;
a reader that rejects the file makes the script fail with its message.
"""
import json
import os
import sys


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    path, outdir = sys.argv[1], sys.argv[2]
    with open(path, "rb") as f:
        data = f.read()
    out = {"xlrd": os.path.join(outdir, "xlrd.bin"), "olefile": None}

    import xlrd.compdoc
    with open(os.devnull, "w") as log:
        stream = xlrd.compdoc.CompDoc(data, logfile=log).get_named_stream("Workbook")
    if stream is None:
        raise SystemExit("xlrd: no Workbook stream")
    with open(out["xlrd"], "wb") as f:
        f.write(stream)

    try:
        import olefile
    except ImportError:
        olefile = None
    if olefile:
        with olefile.OleFileIO(data, raise_defects=olefile.DEFECT_INCORRECT) as ole:
            stream = ole.openstream("Workbook").read()
        out["olefile"] = os.path.join(outdir, "olefile.bin")
        with open(out["olefile"], "wb") as f:
            f.write(stream)
    json.dump(out, sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main())
