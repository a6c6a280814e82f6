#!/usr/bin/env python3
"""Reads a saved grid configuration with Python's configparser (no
interpolation, strict): the file must parse, and every value must stand on
its own Key=Value line, without blanks that a reader would strip.

    configparser_check.py FILE
"""
import configparser
import sys


def main(path):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str  # keys keep their case
    with open(path, encoding="utf-8") as f:
        text = f.read()
    parser.read_string(text, source=path)
    lines = [l for l in text.split("\n") if l and not l.startswith((";", "#"))]
    keys = [l for l in lines if not l.startswith("[")]
    values = sum(len(parser[s]) for s in parser.sections())
    if len(keys) != values or any("=" not in l for l in keys):
        sys.exit(f"{path}: {len(keys)} key lines for {values} values")
    for line in keys:
        value = line.split("=", 1)[1]
        if value.startswith("<<<") or value != value.strip():
            sys.exit(f"{path}: not a one-line value that reads as written: {line!r}")
    update_error = parser["GRID"]["TextUpdateError"]
    if not (update_error.startswith('"') and update_error.endswith('"')):
        sys.exit(f"{path}: TextUpdateError is not quoted: {update_error!r}")
    print(f"{path}: {len(parser.sections())} sections, {values} values")


if __name__ == "__main__":
    main(sys.argv[1])
