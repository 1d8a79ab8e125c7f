#!/usr/bin/env python3
"""Lists the formulas of .xlsx workbooks, one line per formula cell.

    extract_formulas.py WORKBOOK.xlsx [-o OUTPUT]
    extract_formulas.py --out-dir DIR PATH...     (PATH: a workbook or a folder of them)

Each formula line is SHEET <tab> CELL <tab> FORMULA, the formula with its leading "=". Before
them come context lines whose first field is in brackets (no sheet name can hold "["):
    [sheet]  NAME                                   every worksheet, in workbook order
    [name]   NAME  SHEET-OR-EMPTY  REFERS-TO        every defined name (with "=")
    [table]  SHEET NAME  REF  HEADER-ROWS  TOTALS-ROWS  COLUMN...
Backslash, tab, carriage return and line feed inside a field are written \\ \t \r \n.

Formulas are written as Range.Formula shows them: without the "_xlfn." prefixes of newer
functions, and in the cells of a shared formula with the master's relative references moved. With --out-dir each workbook gives DIR/NAME.formulas.tsv, or DIR/NAME.error with
the reason when it cannot be read; a missing input folder leaves DIR empty (the corpus is
optional). Standard library only. XML with a DOCTYPE (and so entities) is refused, and parts
larger than MAX_PART_BYTES are not read.
"""

import argparse
import os
import posixpath
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

# A part bigger than this is a zip bomb or not a workbook this tool is meant for.
MAX_PART_BYTES = 256 * 1024 * 1024

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
NS_PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
MAX_COLUMN = 16384
MAX_ROW = 1048576


class WorkbookError(Exception):
    pass


def read_xml(archive, name):
    try:
        info = archive.getinfo(name)
    except KeyError:
        raise WorkbookError("missing part " + name)
    if info.file_size > MAX_PART_BYTES:
        raise WorkbookError("part too large: " + name)
    with archive.open(info) as stream:
        data = stream.read(MAX_PART_BYTES + 1)
    if len(data) > MAX_PART_BYTES:
        raise WorkbookError("part too large: " + name)
    if b"<!DOCTYPE" in data or b"<!ENTITY" in data:
        raise WorkbookError("DOCTYPE or entity declaration refused in " + name)
    try:
        return ET.fromstring(data)
    except ET.ParseError as error:
        raise WorkbookError("bad XML in %s: %s" % (name, error))


def relationships(archive, part):
    folder, base = posixpath.split(part)
    rels_name = posixpath.join(folder, "_rels", base + ".rels")
    if rels_name not in archive.namelist():
        return {}
    targets = {}
    for rel in read_xml(archive, rels_name).iter("{%s}Relationship" % NS_PKG_REL):
        target = rel.get("Target", "")
        if rel.get("TargetMode") == "External":
            continue
        if target.startswith("/"):
            path = target.lstrip("/")
        else:
            path = posixpath.normpath(posixpath.join(folder, target))
        targets[rel.get("Id")] = path
    return targets


def column_number(letters):
    number = 0
    for letter in letters.upper():
        number = number * 26 + ord(letter) - 64
    return number


def column_letters(number):
    letters = ""
    while number > 0:
        number, rest = divmod(number - 1, 26)
        letters = chr(65 + rest) + letters
    return letters


def split_cell(cell):
    match = re.fullmatch(r"\$?([A-Za-z]{1,3})\$?([0-9]+)", cell)
    if not match:
        return None
    return column_number(match.group(1)), int(match.group(2))


# Pieces of a formula that are never references: strings, quoted sheet names, bracketed parts
# (tables, external books), and everything else in between.
PIECE = re.compile(r'"(?:[^"]|"")*"?|\'(?:[^\']|\'\')*\'?|\[[^\]]*\]?|[^"\'\[]+')
CELL = re.compile(
    r"(?<![A-Za-z0-9_.$])(\$?)([A-Za-z]{1,3})(\$?)([0-9]+)(?![A-Za-z0-9_(.!])")
COLUMNS = re.compile(r"(?<![A-Za-z0-9_.$])(\$?)([A-Za-z]{1,3}):(\$?)([A-Za-z]{1,3})(?![A-Za-z0-9_(.!])")
ROWS = re.compile(r"(?<![A-Za-z0-9_.$:])(\$?)([0-9]+):(\$?)([0-9]+)(?![A-Za-z0-9_(.!:])")


def shift_formula(text, rows, columns):
    """The master's formula moved by rows and columns, as Excel fills a shared formula."""

    def move_column(dollar, letters):
        if dollar:
            return dollar + letters.upper()
        number = column_number(letters) + columns
        return column_letters(number) if 1 <= number <= MAX_COLUMN else None

    def move_row(dollar, digits):
        if dollar:
            return dollar + digits
        number = int(digits) + rows
        return str(number) if 1 <= number <= MAX_ROW else None

    def cell(match):
        column = move_column(match.group(1), match.group(2))
        row = move_row(match.group(3), match.group(4))
        return "#REF!" if column is None or row is None else column + row

    def column_range(match):
        left = move_column(match.group(1), match.group(2))
        right = move_column(match.group(3), match.group(4))
        return "#REF!" if left is None or right is None else left + ":" + right

    def row_range(match):
        top = move_row(match.group(1), match.group(2))
        bottom = move_row(match.group(3), match.group(4))
        return "#REF!" if top is None or bottom is None else top + ":" + bottom

    out = []
    for piece in PIECE.findall(text):
        if piece[0] in "\"'[":
            out.append(piece)
            continue
        piece = COLUMNS.sub(column_range, piece)
        piece = ROWS.sub(row_range, piece)
        out.append(CELL.sub(cell, piece))
    return "".join(out)


# Newer functions are stored with a prefix that Excel does not show in Range.Formula.
FUTURE_PREFIX = re.compile(r"_xl(?:fn|ws|udf)\.", re.IGNORECASE)


def as_excel_shows(text):
    out = []
    for piece in PIECE.findall(text):
        out.append(piece if piece[0] in "\"'[" else FUTURE_PREFIX.sub("", piece))
    return "".join(out)


def sheet_formulas(archive, part):
    """Yields (cell, formula text) of one worksheet part."""
    masters = {}
    root = read_xml(archive, part)
    for c in root.iter("{%s}c" % NS_MAIN):
        f = c.find("{%s}f" % NS_MAIN)
        if f is None:
            continue
        cell = c.get("r", "")
        text = f.text or ""
        if f.get("t") == "shared":
            index = f.get("si")
            if text:
                masters[index] = (cell, text)
            elif index in masters:
                origin, master = masters[index]
                here, there = split_cell(cell), split_cell(origin)
                if here is None or there is None:
                    continue
                text = shift_formula(master, here[1] - there[1], here[0] - there[0])
        if text:
            yield cell, "=" + as_excel_shows(text)


def tables_of(archive, sheet_part):
    for target in relationships(archive, sheet_part).values():
        if "/tables/" not in "/" + target:
            continue
        table = read_xml(archive, target)
        columns = [col.get("name", "") for col in table.iter("{%s}tableColumn" % NS_MAIN)]
        yield (table.get("displayName") or table.get("name", ""), table.get("ref", ""),
               table.get("headerRowCount", "1"), table.get("totalsRowCount", "0"), columns)


def extract(path):
    """Lines (lists of fields) for one workbook."""
    try:
        archive = zipfile.ZipFile(path)
    except (zipfile.BadZipFile, OSError) as error:
        raise WorkbookError("not a zip archive: %s" % error)
    with archive:
        workbook_part = "xl/workbook.xml"
        workbook = read_xml(archive, workbook_part)
        targets = relationships(archive, workbook_part)
        sheets = []
        for sheet in workbook.iter("{%s}sheet" % NS_MAIN):
            target = targets.get(sheet.get("{%s}id" % NS_REL))
            if target and "worksheets/" in target:
                sheets.append((sheet.get("name", ""), target))
        lines = [["[sheet]", name] for name, _ in sheets]
        all_sheets = [sheet.get("name", "") for sheet in workbook.iter("{%s}sheet" % NS_MAIN)]
        for name in workbook.iter("{%s}definedName" % NS_MAIN):
            local = name.get("localSheetId")
            scope = ""
            if local is not None and local.isdigit() and int(local) < len(all_sheets):
                scope = all_sheets[int(local)]
            lines.append(["[name]", name.get("name", ""), scope, "=" + (name.text or "")])
        for sheet_name, part in sheets:
            for table in tables_of(archive, part):
                lines.append(["[table]", sheet_name, *table[:4], *table[4]])
        for sheet_name, part in sheets:
            for cell, formula in sheet_formulas(archive, part):
                lines.append([sheet_name, cell, formula])
        return lines


def escape(field):
    return (field.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n"))


def write_lines(lines, stream):
    for fields in lines:
        stream.write("\t".join(escape(field) for field in fields) + "\n")


def workbooks_in(paths):
    for path in paths:
        if os.path.isdir(path):
            for name in sorted(os.listdir(path)):
                if name.lower().endswith(".xlsx") and not name.startswith("~$"):
                    yield os.path.join(path, name)
        elif os.path.exists(path):
            yield path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("paths", nargs="+")
    parser.add_argument("-o", "--output", help="output file (one workbook); default stdout")
    parser.add_argument("--out-dir", help="write NAME.formulas.tsv per workbook into this folder")
    args = parser.parse_args()

    if args.out_dir is None:
        if len(args.paths) != 1:
            parser.error("one workbook without --out-dir")
        try:
            lines = extract(args.paths[0])
        except WorkbookError as error:
            print("%s: %s" % (args.paths[0], error), file=sys.stderr)
            return 1
        if args.output:
            with open(args.output, "w", encoding="utf-8", newline="\n") as stream:
                write_lines(lines, stream)
        else:
            sys.stdout.reconfigure(encoding="utf-8", newline="\n")
            write_lines(lines, sys.stdout)
        return 0

    os.makedirs(args.out_dir, exist_ok=True)
    for name in os.listdir(args.out_dir):
        if name.endswith(".formulas.tsv") or name.endswith(".error"):
            os.remove(os.path.join(args.out_dir, name))
    count = 0
    for path in workbooks_in(args.paths):
        stem = os.path.splitext(os.path.basename(path))[0]
        try:
            lines = extract(path)
        except WorkbookError as error:
            with open(os.path.join(args.out_dir, stem + ".error"), "w", encoding="utf-8") as out:
                out.write(str(error) + "\n")
            print("%s: %s" % (path, error), file=sys.stderr)
            continue
        with open(os.path.join(args.out_dir, stem + ".formulas.tsv"), "w", encoding="utf-8",
                  newline="\n") as stream:
            write_lines(lines, stream)
        count += sum(1 for fields in lines if not fields[0].startswith("["))
    print("%d formulas extracted into %s" % (count, args.out_dir))
    return 0


if __name__ == "__main__":
    sys.exit(main())
