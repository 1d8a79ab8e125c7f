#!/usr/bin/env python3
"""Writes a financial-model workbook for timing the trelvane command at scale: an Inputs sheet,
a Lookup table, REGIONS region sheets of ROWS rows with five formulas each (the hot input
Inputs!B2, a lookup, a product, a running total, a threshold test), and a Summary sheet summing
across the regions, one formula of which ends in #DIV/0!. Formulas are shared, as Excel saves
filled-down formulas, and carry the values Excel would have cached.

    python3 tools/make_model_workbook.py OUT.xlsx [--rows 20000] [--regions 5]

The defaults give 7 sheets and 500,003 formula cells; Inputs!B2 then has 100,000 direct
dependents. Standard library only."""
import argparse
import sys
import zipfile
from xml.sax.saxutils import escape

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
DOC_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
SML = "application/vnd.openxmlformats-officedocument.spreadsheetml"

RATE, THRESHOLD, DIVISOR = 1.05, 40.0, 0
LOOKUP_ROWS = 1000


def LookupValue(key):
    return key * 0.5 + key % 7


# Each column's formula at row r ({r}) with the row above ({p}); row 1 has its own, the rest are
# one shared formula per column anchored at row 2.
FORMULAS = {"C": "A{r}*Inputs!$B$2", "D": "VLOOKUP(B{r},Lookup!$A$1:$B$%d,2,FALSE)" % LOOKUP_ROWS,
            "E": "C{r}*D{r}", "F": "F{p}+E{r}", "G": "IF(E{r}>Inputs!$B$3,E{r}-Inputs!$B$3,0)"}
FIRST_RUNNING = "E1"


def Number(value):
    text = repr(float(value))
    return text[:-2] if text.endswith(".0") else text


def FormulaBody(column, index, row, rows):
    if row == 1:
        text = FIRST_RUNNING if column == "F" else FORMULAS[column].format(r=1, p=0)
        return f"<f>{escape(text)}</f>"
    if row == 2:
        text = escape(FORMULAS[column].format(r=2, p=1))
        return f'<f t="shared" ref="{column}2:{column}{rows}" si="{index}">{text}</f>'
    return f'<f t="shared" si="{index}"/>'


def RegionRows(region, rows):
    """The region's rows, and its running total."""
    yield "<sheetData>"
    total = 0.0
    for row in range(1, rows + 1):
        volume = (row * (region + 3)) % 97 + 1
        key = (row * 7 + region) % LOOKUP_ROWS + 1
        c = volume * RATE
        d = LookupValue(key)
        e = c * d
        total += e
        values = {"C": c, "D": d, "E": e, "F": total, "G": e - THRESHOLD if e > THRESHOLD else 0}
        cells = [f'<c r="A{row}"><v>{volume}</v></c>', f'<c r="B{row}"><v>{key}</v></c>']
        for index, column in enumerate(values):
            body = FormulaBody(column, index, row, rows)
            cells.append(f'<c r="{column}{row}">{body}<v>{Number(values[column])}</v></c>')
        yield f'<row r="{row}">{"".join(cells)}</row>'
    yield "</sheetData>"


def InputsRows():
    yield ('<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>Rate</t></is></c></row>'
           f'<row r="2"><c r="B2"><v>{Number(RATE)}</v></c></row>'
           f'<row r="3"><c r="B3"><v>{Number(THRESHOLD)}</v></c></row>'
           f'<row r="4"><c r="B4"><v>{DIVISOR}</v></c></row></sheetData>')


def LookupRows():
    yield "<sheetData>"
    for key in range(1, LOOKUP_ROWS + 1):
        yield (f'<row r="{key}"><c r="A{key}"><v>{key}</v></c>'
               f'<c r="B{key}"><v>{Number(LookupValue(key))}</v></c></row>')
    yield "</sheetData>"


def SummaryRows(regions, rows):
    def Sum(column):
        return "+".join(f"Region{k}!{column}{rows}" for k in range(1, regions + 1))
    def Total(column):
        return ",".join(f"SUM(Region{k}!{column}1:{column}{rows})" for k in range(1, regions + 1))
    yield ("<sheetData>"
           f'<row r="1"><c r="B1"><f>{Sum("F")}</f></c></row>'
           f'<row r="2"><c r="B2"><f>SUM({Total("G")})</f></c></row>'
           '<row r="3"><c r="B3" t="e"><f>B1/Inputs!B4</f><v>#DIV/0!</v></c></row>'
           "</sheetData>")


def Write(path, rows, regions):
    sheets = [("Inputs", InputsRows()), ("Lookup", LookupRows())]
    sheets += [(f"Region{k}", RegionRows(k, rows)) for k in range(1, regions + 1)]
    sheets.append(("Summary", SummaryRows(regions, rows)))
    overrides = "".join(
        f'<Override PartName="/xl/worksheets/sheet{i}.xml" ContentType="{SML}.worksheet+xml"/>'
        for i in range(1, len(sheets) + 1))
    sheet_list = "".join(f'<sheet name="{name}" sheetId="{i}" r:id="rId{i}"/>'
                         for i, (name, _) in enumerate(sheets, 1))
    relations = "".join(f'<Relationship Id="rId{i}" Type="{DOC_REL}worksheet" '
                        f'Target="worksheets/sheet{i}.xml"/>' for i in range(1, len(sheets) + 1))
    header = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    parts = {
        "[Content_Types].xml":
            f'{header}<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
            'relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
            f'<Override PartName="/xl/workbook.xml" ContentType="{SML}.sheet.main+xml"/>'
            f'{overrides}</Types>',
        "_rels/.rels":
            f'{header}<Relationships xmlns="{PKG_REL_NS}"><Relationship Id="rId1" '
            f'Type="{DOC_REL}officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml":
            f'{header}<workbook xmlns="{MAIN_NS}" xmlns:r="{REL_NS}"><sheets>{sheet_list}'
            '</sheets><calcPr calcId="191029"/></workbook>',
        "xl/_rels/workbook.xml.rels":
            f'{header}<Relationships xmlns="{PKG_REL_NS}">{relations}</Relationships>',
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts.items():
            archive.writestr(name, text)
        for i, (_, rows_of_sheet) in enumerate(sheets, 1):
            with archive.open(f"xl/worksheets/sheet{i}.xml", "w") as sheet:
                sheet.write(f'{header}<worksheet xmlns="{MAIN_NS}">'.encode())
                for chunk in rows_of_sheet:
                    sheet.write(chunk.encode())
                sheet.write(b"</worksheet>")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("output")
    parser.add_argument("--rows", type=int, default=20000)
    parser.add_argument("--regions", type=int, default=5)
    args = parser.parse_args(argv)
    Write(args.output, args.rows, args.regions)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
