#!/usr/bin/env python3
"""Lists every formula cell of an .xlsx file as the file itself holds it, read without the
project's reader (zipfile and ElementTree only), for tests to compare the reader against.

One line per cell, six tab-separated fields, each hex-encoded UTF-8:
sheet name, cell reference, kind, formula, value type, value.
kind is normal, shared-master, shared-member, array, array-member or datatable; formula is the
file's text with the _xlfn./_xlws./_xlpm. prefixes removed (empty for members); value type is
n, s, str, inlineStr, b, e, d or none, and value the shared string's text for s.
"""
import re
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PKG = "{http://schemas.openxmlformats.org/package/2006/relationships}"


def hexed(text):
    return (text or "").encode("utf-8").hex()


def decode_escapes(text):
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), text)


def item_text(element):
    # <t> directly, or runs <r><t>; phonetic runs <rPh> left out.
    parts = []
    for child in element:
        if child.tag == MAIN + "t":
            parts.append(child.text or "")
        elif child.tag == MAIN + "r":
            t = child.find(MAIN + "t")
            if t is not None:
                parts.append(t.text or "")
    return decode_escapes("".join(parts))


def column_number(letters):
    n = 0
    for c in letters:
        n = n * 26 + ord(c) - 64
    return n


def split_ref(ref):
    m = re.match(r"([A-Z]+)(\d+)$", ref)
    return int(m.group(2)), column_number(m.group(1))


def in_range(ref, area):
    row, col = split_ref(ref)
    first, _, last = area.partition(":")
    r1, c1 = split_ref(first)
    r2, c2 = split_ref(last or first)
    return r1 <= row <= r2 and c1 <= col <= c2


def main(path):
    z = zipfile.ZipFile(path)
    names = {n.lower(): n for n in z.namelist()}
    rels = ElementTree.fromstring(z.read(names["xl/_rels/workbook.xml.rels"]))
    targets = {r.get("Id"): r.get("Target") for r in rels.iter(PKG + "Relationship")}
    strings = []
    if "xl/sharedstrings.xml" in names:
        sst = ElementTree.fromstring(z.read(names["xl/sharedstrings.xml"]))
        strings = [item_text(si) for si in sst.iter(MAIN + "si")]
    workbook = ElementTree.fromstring(z.read(names["xl/workbook.xml"]))
    out = sys.stdout
    for sheet in workbook.iter(MAIN + "sheet"):
        target = targets[sheet.get(REL + "id")].lstrip("/")
        part = target if target.startswith("xl/") else "xl/" + target
        if "worksheet" not in part:
            continue
        root = ElementTree.fromstring(z.read(names[part.lower()]))
        arrays = []
        for c in root.iter(MAIN + "c"):
            ref = c.get("r")
            f = c.find(MAIN + "f")
            kind = None
            formula = ""
            if f is not None:
                t = f.get("t", "normal")
                text = re.sub(r"_xl(fn|ws|pm)\.", "", f.text or "")
                if t == "shared":
                    kind = "shared-master" if f.get("ref") and text else "shared-member"
                    formula = text if kind == "shared-master" else ""
                elif t == "array":
                    kind, formula = "array", text
                    arrays.append(f.get("ref") or ref)
                elif t == "dataTable":
                    kind = "datatable"
                    arrays.append(f.get("ref") or ref)
                elif text:
                    kind, formula = "normal", text
            if kind is None and any(in_range(ref, a) for a in arrays):
                kind = "array-member"
            if kind is None:
                continue
            vtype = c.get("t", "n")
            v = c.find(MAIN + "v")
            value = None if v is None else v.text
            if v is not None and value is None and vtype == "str":
                value = ""  # <v/>: the formula's result is empty text.
            if vtype == "inlineStr":
                element = c.find(MAIN + "is")
                value = item_text(element) if element is not None else value
            elif vtype == "s" and value is not None:
                value = strings[int(value)]
            elif vtype == "str" and value is not None:
                value = decode_escapes(value)
            if value is None:
                vtype, value = "none", ""
            out.write("\t".join(hexed(x) for x in
                                (sheet.get("name"), ref, kind, formula, vtype, value or "")) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
