#!/usr/bin/env python3
"""Writes a large workbook for timing the trelvane command: ROWS rows of one input column and
five formula columns (shared formulas, no cached values, so the reader's recalculation is part
of the cost), every formula of column B reading the rate in H1.

    python3 tools/make_benchmark_workbook.py OUT.xlsx [--rows 100000]

With the default 100,000 rows the workbook holds 500,000 formula cells and H1 has 100,000
direct dependents. Standard library only."""
import argparse
import sys
import zipfile

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
DOC_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
SML = "application/vnd.openxmlformats-officedocument.spreadsheetml"

# The formula of row 1 of each column, filled down as one shared formula.
FORMULAS = {"B": "A1*$H$1", "C": "B1+A1", "D": "IF(C1>10,C1,0)", "E": "ROUND(D1/3,2)",
            "F": "SUM(A1:E1)"}


def SheetRows(rows):
    yield '<sheetData>'
    for row in range(1, rows + 1):
        cells = [f'<c r="A{row}"><v>{row % 97}</v></c>']
        for index, (column, formula) in enumerate(FORMULAS.items()):
            if row == 1:
                body = f'<f t="shared" ref="{column}1:{column}{rows}" si="{index}">{formula}</f>'
            else:
                body = f'<f t="shared" si="{index}"/>'
            cells.append(f'<c r="{column}{row}">{body}</c>')
        if row == 1:
            cells.append('<c r="H1"><v>1.5</v></c>')
        yield f'<row r="{row}">{"".join(cells)}</row>'
    yield '</sheetData>'


def Write(path, rows):
    parts = {
        "[Content_Types].xml":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Types xmlns="http://'
            'schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" '
            'ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default '
            'Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" '
            f'ContentType="{SML}.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" '
            f'ContentType="{SML}.worksheet+xml"/></Types>',
        "_rels/.rels":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Relationships xmlns="'
            f'{PKG_REL_NS}"><Relationship Id="rId1" Type="{DOC_REL}officeDocument" '
            'Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<workbook xmlns="{MAIN_NS}"'
            f' xmlns:r="{REL_NS}"><sheets><sheet name="Model" sheetId="1" r:id="rId1"/></sheets>'
            '<calcPr calcId="191029" fullCalcOnLoad="1"/></workbook>',
        "xl/_rels/workbook.xml.rels":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Relationships xmlns="'
            f'{PKG_REL_NS}"><Relationship Id="rId1" Type="{DOC_REL}worksheet" '
            'Target="worksheets/sheet1.xml"/></Relationships>',
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts.items():
            archive.writestr(name, text)
        with archive.open("xl/worksheets/sheet1.xml", "w") as sheet:
            sheet.write(f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<worksheet '
                        f'xmlns="{MAIN_NS}">'.encode())
            for chunk in SheetRows(rows):
                sheet.write(chunk.encode())
            sheet.write(b'</worksheet>')


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("output")
    parser.add_argument("--rows", type=int, default=100000)
    args = parser.parse_args(argv)
    Write(args.output, args.rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
