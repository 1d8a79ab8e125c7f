#!/usr/bin/env python3
"""Writes the fuzzers' seed inputs from the workbooks of a corpus folder.

    make_seeds.py --extractor tools/extract_formulas.py --out-dir DIR CORPUS

DIR gets one folder per fuzzer (named as the fuzzer without "_fuzzer"), one input per file:
formulas, address texts, table references and format codes taken from the workbooks, and the
workbooks themselves. A missing corpus leaves only the few built-in seeds. Standard library only.
"""

import argparse
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile

BUILT_IN = {
    "address_parser": ["Sheet1!$A$1:$C$4", "'O''Brien Data'!B2", "A:C", "$3:$7", "Block",
                       "[Book1.xlsx]Sheet1!A1", "Sheet1:Sheet2!A1"],
    "structured_reference": ["Sales[Amount]", "Sales[[#This Row],[Item]]", "[@Amount]",
                             "Sales[[#Headers],[Item]:[It''s]]", "Sales[#All]"],
    "number_format": ["General", "0.00", "#,##0;[Red]-#,##0", "yyyy-mm-dd hh:mm:ss.000",
                      "# ?/?", "0.00E+00", "[h]:mm", "@\" text\"", "[>=100]0;0.0"],
    "object_model_text": ["\x00$A$1", "\x00=SUM(A1:B2)", "\x0012/31/1999", "\x00-1.5E+3",
                          "\x00TRUE", "\x00 $1,234.50"],
}
MAIN_NS = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def unescape(field):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m.group(1),
                                                                          m.group(1)), field)


def write_seed(out_dir, target, text):
    data = text.encode("utf-8") if isinstance(text, str) else text
    folder = os.path.join(out_dir, target)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()
    with open(os.path.join(folder, name), "wb") as seed:
        seed.write(data)


def format_codes(path):
    import xml.etree.ElementTree as ET
    try:
        with zipfile.ZipFile(path) as package:
            styles = package.read("xl/styles.xml")
    except (KeyError, zipfile.BadZipFile, OSError):
        return []
    if b"<!DOCTYPE" in styles:
        return []
    return [e.get("formatCode") for e in ET.fromstring(styles).iter(MAIN_NS + "numFmt")
            if e.get("formatCode")]


def seeds_of_dump(out_dir, dump):
    with open(dump, encoding="utf-8") as lines:
        for line in lines:
            fields = [unescape(f) for f in line.rstrip("\n").split("\t")]
            if fields[0] == "[name]" and len(fields) >= 4:
                write_seed(out_dir, "address_parser", fields[3].lstrip("="))
                write_seed(out_dir, "formula_round_trip", fields[3])
            elif fields[0] == "[table]" and len(fields) >= 7:
                for column in fields[6:]:
                    escaped = re.sub(r"([\[\]#'])", r"'\1", column)
                    write_seed(out_dir, "structured_reference", f"{fields[2]}[{escaped}]")
            elif not fields[0].startswith("[") and len(fields) >= 3:
                quoted = "'" + fields[0].replace("'", "''") + "'"
                write_seed(out_dir, "address_parser", f"{quoted}!{fields[1]}")
                write_seed(out_dir, "formula_round_trip", fields[2])
                write_seed(out_dir, "cell_evaluation", fields[2])
                write_seed(out_dir, "object_model_text", "\x00" + fields[2])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--extractor", required=True)
    parser.add_argument("--out-dir", required=True)
    parser.add_argument("corpus")
    args = parser.parse_args()
    for target, texts in BUILT_IN.items():
        for text in texts:
            write_seed(args.out_dir, target, text)
    if not os.path.isdir(args.corpus):
        return 0
    books = sorted(os.path.join(args.corpus, f) for f in os.listdir(args.corpus)
                   if f.endswith((".xlsx", ".xlsm")))
    for book in books:
        with open(book, "rb") as package:
            data = package.read()
        write_seed(args.out_dir, "xlsx_reader", data)
        write_seed(args.out_dir, "calculation_chain", data)
        for code in format_codes(book):
            write_seed(args.out_dir, "number_format", code)
    with tempfile.TemporaryDirectory() as dumps:
        subprocess.run([sys.executable, args.extractor, "--out-dir", dumps] + books, check=True)
        for dump in sorted(os.listdir(dumps)):
            if dump.endswith(".formulas.tsv"):
                seeds_of_dump(args.out_dir, os.path.join(dumps, dump))
    return 0


if __name__ == "__main__":
    sys.exit(main())
