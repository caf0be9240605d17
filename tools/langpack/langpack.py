#!/usr/bin/env python3
"""Builds the language file from the readable per-language tables.

Each input file is named after its language ("english.txt", "chinese.txt", ...) and holds
lines "key = text"; blank lines and lines starting with '#' are skipped, and "\\n" in a
text stands for a line break. The output is the Base64 text of an XML property list whose
root dictionary maps each language name to its table.
"""
import base64
import os
import sys
from xml.sax.saxutils import escape


def read_table(path):
    table = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if "=" not in line:
                sys.exit(f"{path}:{number}: expected 'key = text'")
            key, text = line.split("=", 1)
            key = key.strip()
            if not key:
                sys.exit(f"{path}:{number}: empty key")
            if key in table:
                sys.exit(f"{path}:{number}: key '{key}' given twice")
            table[key] = text.strip().replace("\\n", "\n")
    return table


def plist(tables):
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
           '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">',
           '<plist version="1.0">', '<dict>']
    for language in sorted(tables):
        out.append(f"  <key>{escape(language)}</key>")
        out.append("  <dict>")
        for key in sorted(tables[language]):
            out.append(f"    <key>{escape(key)}</key>")
            out.append(f"    <string>{escape(tables[language][key])}</string>")
        out.append("  </dict>")
    out += ["</dict>", "</plist>", ""]
    return "\n".join(out)


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: langpack.py OUTPUT TABLE.txt...")
    output, inputs = sys.argv[1], sys.argv[2:]
    tables = {}
    for path in inputs:
        language = os.path.splitext(os.path.basename(path))[0].lower()
        tables[language] = read_table(path)
    if "english" not in tables:
        sys.exit("langpack.py: the english table is required (it is every language's fallback)")
    data = base64.b64encode(plist(tables).encode("utf-8"))
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
