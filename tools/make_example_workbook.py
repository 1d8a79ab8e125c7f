#!/usr/bin/env python3
"""Writes the example workbook: a small quarterly sales budget.

    make_example_workbook.py [OUTPUT]        (default examples/budget.xlsx)

Sheets Inputs, Sales (the table SalesTable) and Summary. The workbook holds defined names of
workbook and sheet scope, structured references, shared and array formulas, OFFSET, INDIRECT,
a #DIV/0! reached through a chain of formulas, and coloured cells. Every formula carries the
value Excel computes for it, worked out here, so the file needs no recalculation to be read.
The zip entries have a fixed timestamp: running the script twice gives the same bytes.

    --no-cached-values   leaves out the formulas' values (to let another program recalculate
                         them and compare)
Standard library only.
"""

import argparse
import os
import sys
import zipfile
from decimal import ROUND_HALF_UP, Decimal
from xml.sax.saxutils import escape, quoteattr

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
CT_NS = "http://schemas.openxmlformats.org/package/2006/content-types"
DOC_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
ZIP_TIME = (1980, 1, 1, 0, 0, 0)

# Cell styles, indexes into cellXfs below.
S_DEFAULT, S_BOLD, S_INPUT, S_INPUT_PCT, S_HEADER, S_NUMBER, S_KEY, S_ERROR, S_PCT = range(9)

STYLES = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="{MAIN_NS}">
<fonts count="5">
<font><sz val="11"/><name val="Calibri"/><family val="2"/></font>
<font><b/><sz val="11"/><name val="Calibri"/><family val="2"/></font>
<font><sz val="11"/><color rgb="FF0000FF"/><name val="Calibri"/><family val="2"/></font>
<font><b/><sz val="11"/><color rgb="FFFF0000"/><name val="Calibri"/><family val="2"/></font>
<font><b/><sz val="11"/><color rgb="FFFFFFFF"/><name val="Calibri"/><family val="2"/></font>
</fonts>
<fills count="5">
<fill><patternFill patternType="none"/></fill>
<fill><patternFill patternType="gray125"/></fill>
<fill><patternFill patternType="solid">
<fgColor rgb="FFFFFF00"/><bgColor indexed="64"/></patternFill></fill>
<fill><patternFill patternType="solid">
<fgColor rgb="FFCCFFCC"/><bgColor indexed="64"/></patternFill></fill>
<fill><patternFill patternType="solid">
<fgColor rgb="FF003366"/><bgColor indexed="64"/></patternFill></fill>
</fills>
<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>
<cellStyleXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/>
<xf numFmtId="0" fontId="0" fillId="3" borderId="0" applyFill="1"/>
<xf numFmtId="0" fontId="3" fillId="0" borderId="0" applyFont="1"/></cellStyleXfs>
<cellXfs count="9">
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>
<xf numFmtId="3" fontId="2" fillId="2" borderId="0" xfId="0" applyNumberFormat="1"
 applyFont="1" applyFill="1"/>
<xf numFmtId="10" fontId="2" fillId="2" borderId="0" xfId="0" applyNumberFormat="1"
 applyFont="1" applyFill="1"/>
<xf numFmtId="0" fontId="4" fillId="4" borderId="0" xfId="0" applyFont="1" applyFill="1"/>
<xf numFmtId="4" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
<xf numFmtId="4" fontId="1" fillId="3" borderId="0" xfId="0" applyNumberFormat="1"
 applyFont="1" applyFill="1"/>
<xf numFmtId="4" fontId="3" fillId="0" borderId="0" xfId="0" applyNumberFormat="1" applyFont="1"/>
<xf numFmtId="10" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
</cellXfs>
<cellStyles count="3"><cellStyle name="Normal" xfId="0" builtinId="0"/>
<cellStyle name="Good" xfId="1" builtinId="26"/><cellStyle name="Bad" xfId="2" builtinId="27"/>
</cellStyles>
<dxfs count="0"/>
<tableStyles count="0" defaultTableStyle="TableStyleMedium2" defaultPivotStyle="PivotStyleLight16"/>
</styleSheet>
"""

SHEETS = ["Inputs", "Sales", "Summary"]
REGIONS = ["North", "South", "East", "West", "Central"]
MONTHS = ["Jan", "Feb", "Mar"]
MONTHLY = [
    [12500, 13200, 14100],
    [9800, 10150, 9900],
    [15200, 15900, 16750],
    [7400, 8100, 8650],
    [11000, 11300, 11800],
]
TAX_RATE = 0.2
GROWTH = 0.05
HEADCOUNT = 0  # not hired yet: the per-head figures divide by zero
MONTHS_TO_DATE = 3
LOOKUP_SHEET = "Sales"
REPORT_MONTH = "Mar"

# (name, sheet index of a sheet-scoped name or None, refers-to)
DEFINED_NAMES = [
    ("Growth", None, "Inputs!$B$4"),
    ("Headcount", None, "Inputs!$B$5"),
    ("Months", None, "Inputs!$B$6"),
    ("Q1Sales", None, "Sales!$B$2:$D$6"),
    ("Regions", 1, "Sales!$A$2:$A$6"),
    ("ReportMonth", 2, "Summary!$B$2"),
    ("TaxRate", None, "Inputs!$B$3"),
]

TABLE_NAME = "SalesTable"
TABLE_REF = "A1:F6"
TABLE_COLUMNS = ["Region"] + MONTHS + ["Total", "Net"]


class Cell:
    """One cell: a constant, or a formula with its computed value."""

    def __init__(self, value=None, formula=None, style=S_DEFAULT, kind=None, ref=None):
        self.value = value
        self.formula = formula
        self.style = style
        # None, "shared" or "array". A shared cell's ref names its group until the groups are
        # made; then only the master keeps one, its range. An array's master holds its range.
        self.kind = kind
        self.ref = ref
        self.shared_index = None


class DivZero:
    """Excel's #DIV/0!, which every arithmetic on it passes on."""

    text = "#DIV/0!"


def Divide(a, b):
    if isinstance(a, DivZero) or isinstance(b, DivZero) or b == 0:
        return DivZero()
    return a / b


def ExcelRound(x, digits):
    # Half away from zero on the decimal text, as Excel rounds, not Python's banker's rounding.
    return float(Decimal(repr(x)).quantize(Decimal(1).scaleb(-digits), rounding=ROUND_HALF_UP))


def ColumnName(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def BuildModel():
    """Returns {sheet: {address: Cell}}; the values are computed as Excel would."""
    inputs = {
        "A1": Cell("Budget inputs", style=S_BOLD),
        "A3": Cell("Tax rate"),
        "B3": Cell(TAX_RATE, style=S_INPUT_PCT),
        "A4": Cell("Growth next quarter"),
        "B4": Cell(GROWTH, style=S_INPUT_PCT),
        "A5": Cell("Headcount"),
        "B5": Cell(HEADCOUNT, style=S_INPUT),
        "A6": Cell("Months to date"),
        "B6": Cell(MONTHS_TO_DATE, style=S_INPUT),
        "A7": Cell("Sheet of the sales"),
        "B7": Cell(LOOKUP_SHEET, style=S_INPUT),
    }

    sales = {}
    for col, header in enumerate(TABLE_COLUMNS):
        sales[f"{ColumnName(col)}1"] = Cell(header, style=S_HEADER)
    sales["G1"] = Cell("Share", style=S_HEADER)
    totals, nets = [], []
    for i, (region, months) in enumerate(zip(REGIONS, MONTHLY)):
        row = i + 2
        sales[f"A{row}"] = Cell(region)
        for col, amount in enumerate(months):
            sales[f"{ColumnName(col + 1)}{row}"] = Cell(amount, style=S_NUMBER)
        total = 0
        for amount in months:
            total += amount
        net = total * (1 - TAX_RATE)
        totals.append(total)
        nets.append(net)
        sales[f"E{row}"] = Cell(total, f"SUM(B{row}:D{row})", S_NUMBER, "shared", "total")
        sales[f"F{row}"] = Cell(net, f"E{row}*(1-TaxRate)", S_NUMBER, "shared", "net")
    grand_total = Sum(totals)
    for i, total in enumerate(totals):
        sales[f"G{i + 2}"] = Cell(total / grand_total, "E2:E6/SUM(E2:E6)", S_PCT, "array")
    sales["G2"].ref = "G2:G6"
    sales["A8"] = Cell("Month total", style=S_BOLD)
    for col in range(4):
        letter = ColumnName(col + 1)
        column = [MONTHLY[r][col] for r in range(5)] if col < 3 else totals
        sales[f"{letter}8"] = Cell(
            Sum(column), f"SUM({letter}2:{letter}6)", S_NUMBER, "shared", "month total"
        )

    gross = Sum(totals)
    tax = gross * TAX_RATE
    net_after_growth = (gross - tax) * (1 + GROWTH)
    offset_sum = Sum([MONTHLY[r][c] for c in range(MONTHS_TO_DATE) for r in range(5)])
    indirect_sum = Sum(totals)
    largest_rise = max(MONTHLY[r][2] - MONTHLY[r][0] for r in range(5))
    month_col = MONTHS.index(REPORT_MONTH)
    report_month_sales = Sum([MONTHLY[r][month_col] for r in range(5)])
    per_head = Divide(net_after_growth, HEADCOUNT)
    annual_per_head = per_head if isinstance(per_head, DivZero) else ExcelRound(per_head * 4, 2)
    safe_per_head = 0 if isinstance(annual_per_head, DivZero) else annual_per_head

    summary = {
        "A1": Cell("Budget summary", style=S_BOLD),
        "A2": Cell("Report month"),
        "B2": Cell(REPORT_MONTH, style=S_INPUT),
        "A3": Cell("Gross sales"),
        "B3": Cell(gross, "SUM(SalesTable[Total])", S_NUMBER),
        "A4": Cell("Tax"),
        "B4": Cell(tax, "B3*TaxRate", S_NUMBER),
        "A5": Cell("Net sales next quarter"),
        "B5": Cell(net_after_growth, "(B3-B4)*(1+Growth)", S_KEY),
        "A6": Cell("Sales to date (OFFSET)"),
        "B6": Cell(offset_sum, "SUM(OFFSET(Sales!$B$2,0,0,5,Months))", S_NUMBER),
        "A7": Cell("Sales by sheet name (INDIRECT)"),
        "B7": Cell(indirect_sum, 'SUM(INDIRECT(Inputs!$B$7&"!E2:E6"))', S_NUMBER),
        "A8": Cell("Largest rise Jan to Mar"),
        "B8": Cell(largest_rise, "MAX(SalesTable[Mar]-SalesTable[Jan])", S_NUMBER, "array", "B8"),
        "A9": Cell("Sales in report month"),
        "B9": Cell(
            report_month_sales,
            "SUM(INDEX(Q1Sales,0,MATCH(ReportMonth,Sales!$B$1:$D$1,0)))",
            S_NUMBER,
        ),
        "A10": Cell("Check"),
        "B10": Cell(
            "OK" if offset_sum == indirect_sum else "Mismatch", 'IF(B6=B7,"OK","Mismatch")'
        ),
        "A11": Cell("Net per head"),
        "B11": Cell(per_head, "B5/Headcount", S_ERROR),
        "A12": Cell("Net per head, annual"),
        "B12": Cell(annual_per_head, "ROUND(B11*4,2)", S_ERROR),
        "A13": Cell("Net per head, annual (0 when unknown)"),
        "B13": Cell(safe_per_head, "IFERROR(B12,0)", S_NUMBER),
        "A14": Cell("Regions"),
        "B14": Cell(len(REGIONS), "COUNTA(Sales!Regions)"),
    }
    return {"Inputs": inputs, "Sales": sales, "Summary": summary}


def Sum(values):
    total = 0
    for v in values:
        total += v
    return total


def SplitAddress(address):
    letters = address.rstrip("0123456789")
    col = 0
    for ch in letters:
        col = col * 26 + ord(ch) - ord("A") + 1
    return int(address[len(letters):]), col


def NumberText(value):
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return repr(value)


def AssignSharedFormulas(model):
    """Makes each group of "shared" cells one shared formula, its master the top-left cell."""
    next_index = 0
    for cells in model.values():
        groups = {}
        for address, cell in cells.items():
            if cell.kind == "shared":
                groups.setdefault(cell.ref, []).append((SplitAddress(address), address))
        for members in groups.values():
            members.sort()
            for _, address in members:
                cells[address].shared_index = next_index
                cells[address].ref = None
            cells[members[0][1]].ref = f"{members[0][1]}:{members[-1][1]}"
            next_index += 1


class SharedStrings:
    def __init__(self):
        self.items = []
        self.index = {}
        self.count = 0

    def Add(self, text):
        self.count += 1
        if text not in self.index:
            self.index[text] = len(self.items)
            self.items.append(text)
        return self.index[text]

    def Xml(self):
        body = "".join(f"<si><t>{escape(t)}</t></si>" for t in self.items)
        return (
            '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<sst xmlns="{MAIN_NS}" count="{self.count}" uniqueCount="{len(self.items)}">'
            f"{body}</sst>"
        )


def CellXml(address, cell, strings, cached):
    attrs = f' r="{address}"'
    if cell.style:
        attrs += f' s="{cell.style}"'
    formula = ""
    if cell.formula is not None or cell.kind in ("shared", "array"):
        if cell.kind == "shared":
            if cell.ref:
                formula = (
                    f'<f t="shared" ref="{cell.ref}" si="{cell.shared_index}">'
                    f"{escape(cell.formula)}</f>"
                )
            else:
                formula = f'<f t="shared" si="{cell.shared_index}"/>'
        elif cell.kind == "array":
            # The other cells of an array formula hold only their value.
            if cell.ref:
                formula = f'<f t="array" ref="{cell.ref}">{escape(cell.formula)}</f>'
        else:
            formula = f"<f>{escape(cell.formula)}</f>"
        value = cell.value
        if isinstance(value, DivZero):
            attrs += ' t="e"'
            text = value.text
        elif isinstance(value, str):
            attrs += ' t="str"'
            text = value
        else:
            text = NumberText(value)
        if not cached:
            return f"<c{attrs}>{formula}</c>" if formula else f"<c{attrs}/>"
        return f"<c{attrs}>{formula}<v>{escape(text)}</v></c>"
    if isinstance(cell.value, str):
        return f'<c{attrs} t="s"><v>{strings.Add(cell.value)}</v></c>'
    return f"<c{attrs}><v>{NumberText(cell.value)}</v></c>"


def SheetXml(cells, strings, cached, widths, table_rel=None):
    rows = {}
    for address, cell in cells.items():
        row, col = SplitAddress(address)
        rows.setdefault(row, []).append((col, address, cell))
    max_row = max(rows)
    max_col = max(col for members in rows.values() for col, _, _ in members)
    out = [
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n',
        f'<worksheet xmlns="{MAIN_NS}" xmlns:r="{REL_NS}">',
        f'<dimension ref="A1:{ColumnName(max_col - 1)}{max_row}"/>',
        '<sheetViews><sheetView workbookViewId="0"/></sheetViews>',
        '<sheetFormatPr defaultRowHeight="15"/>',
        "<cols>",
    ]
    for i, width in enumerate(widths):
        out.append(f'<col min="{i + 1}" max="{i + 1}" width="{width}" customWidth="1"/>')
    out.append("</cols><sheetData>")
    for row in sorted(rows):
        out.append(f'<row r="{row}">')
        for _, address, cell in sorted(rows[row], key=lambda m: m[0]):
            out.append(CellXml(address, cell, strings, cached))
        out.append("</row>")
    out.append("</sheetData>")
    out.append(
        '<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>'
    )
    if table_rel:
        out.append(f'<tableParts count="1"><tablePart r:id="{table_rel}"/></tableParts>')
    out.append("</worksheet>")
    return "".join(out)


def WorkbookXml():
    sheets = "".join(
        f'<sheet name={quoteattr(name)} sheetId="{i + 1}" r:id="rId{i + 1}"/>'
        for i, name in enumerate(SHEETS)
    )
    names = []
    for name, scope, refers_to in DEFINED_NAMES:
        local = "" if scope is None else f' localSheetId="{scope}"'
        names.append(
            f"<definedName name={quoteattr(name)}{local}>{escape(refers_to)}</definedName>"
        )
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<workbook xmlns="{MAIN_NS}" xmlns:r="{REL_NS}">'
        '<workbookPr defaultThemeVersion="164011"/>'
        '<bookViews><workbookView xWindow="0" yWindow="0" windowWidth="19200" windowHeight="11000"'
        ' activeTab="2"/></bookViews>'
        f"<sheets>{sheets}</sheets>"
        f"<definedNames>{''.join(names)}</definedNames>"
        '<calcPr calcId="191029"/>'
        "</workbook>"
    )


def WorkbookRelsXml():
    rels = [
        f'<Relationship Id="rId{i + 1}" Type="{DOC_REL}worksheet"'
        f' Target="worksheets/sheet{i + 1}.xml"/>'
        for i in range(len(SHEETS))
    ]
    n = len(SHEETS)
    rels.append(f'<Relationship Id="rId{n + 1}" Type="{DOC_REL}styles" Target="styles.xml"/>')
    rels.append(
        f'<Relationship Id="rId{n + 2}" Type="{DOC_REL}sharedStrings" Target="sharedStrings.xml"/>'
    )
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<Relationships xmlns="{PKG_REL_NS}">{"".join(rels)}</Relationships>'
    )


def TableXml():
    columns = "".join(
        f'<tableColumn id="{i + 1}" name={quoteattr(name)}/>'
        for i, name in enumerate(TABLE_COLUMNS)
    )
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<table xmlns="{MAIN_NS}" id="1" name="{TABLE_NAME}" displayName="{TABLE_NAME}"'
        f' ref="{TABLE_REF}" totalsRowShown="0">'
        f'<autoFilter ref="{TABLE_REF}"/>'
        f'<tableColumns count="{len(TABLE_COLUMNS)}">{columns}</tableColumns>'
        '<tableStyleInfo name="TableStyleMedium2" showFirstColumn="0" showLastColumn="0"'
        ' showRowStripes="1" showColumnStripes="0"/>'
        "</table>"
    )


def ContentTypesXml():
    sheets = "".join(
        f'<Override PartName="/xl/worksheets/sheet{i + 1}.xml" ContentType="application/'
        'vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        for i in range(len(SHEETS))
    )
    sml = "application/vnd.openxmlformats-officedocument.spreadsheetml"
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<Types xmlns="{CT_NS}">'
        '<Default Extension="rels"'
        ' ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        f'<Override PartName="/xl/workbook.xml" ContentType="{sml}.sheet.main+xml"/>'
        f"{sheets}"
        f'<Override PartName="/xl/tables/table1.xml" ContentType="{sml}.table+xml"/>'
        f'<Override PartName="/xl/styles.xml" ContentType="{sml}.styles+xml"/>'
        f'<Override PartName="/xl/sharedStrings.xml" ContentType="{sml}.sharedStrings+xml"/>'
        "</Types>"
    )


ROOT_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    f'<Relationships xmlns="{PKG_REL_NS}">'
    f'<Relationship Id="rId1" Type="{DOC_REL}officeDocument" Target="xl/workbook.xml"/>'
    "</Relationships>"
)

SALES_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    f'<Relationships xmlns="{PKG_REL_NS}">'
    f'<Relationship Id="rId1" Type="{DOC_REL}table" Target="../tables/table1.xml"/>'
    "</Relationships>"
)


def BuildParts(cached):
    model = BuildModel()
    AssignSharedFormulas(model)
    strings = SharedStrings()
    widths = {"Inputs": [22, 12], "Sales": [12, 12, 12, 12, 12, 12, 10], "Summary": [38, 14]}
    sheet_parts = []
    for i, name in enumerate(SHEETS):
        rel = "rId1" if name == "Sales" else None
        xml = SheetXml(model[name], strings, cached, widths[name], rel)
        sheet_parts.append((f"xl/worksheets/sheet{i + 1}.xml", xml))
    parts = [
        ("[Content_Types].xml", ContentTypesXml()),
        ("_rels/.rels", ROOT_RELS),
        ("xl/workbook.xml", WorkbookXml()),
        ("xl/_rels/workbook.xml.rels", WorkbookRelsXml()),
    ]
    parts += sheet_parts
    parts += [
        ("xl/worksheets/_rels/sheet2.xml.rels", SALES_RELS),
        ("xl/tables/table1.xml", TableXml()),
        ("xl/styles.xml", STYLES),
        ("xl/sharedStrings.xml", strings.Xml()),
    ]
    return parts


def WriteWorkbook(path, cached=True):
    directory = os.path.dirname(path)
    if directory:
        os.makedirs(directory, exist_ok=True)
    with zipfile.ZipFile(path, "w") as archive:
        for name, text in BuildParts(cached):
            info = zipfile.ZipInfo(name, date_time=ZIP_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0
            archive.writestr(info, text.encode("utf-8"))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("output", nargs="?", default=os.path.join("examples", "budget.xlsx"))
    parser.add_argument("--no-cached-values", action="store_true")
    args = parser.parse_args(argv)
    WriteWorkbook(args.output, cached=not args.no_cached_values)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
