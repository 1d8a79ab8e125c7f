// The peer pipeline of scripts/benchmark-scale.sh: SheetJS reads the workbook, HyperFormula
// builds its dependency graph from the sheets' formulas and values, and is asked for the direct
// dependents of one cell - what `trelvane dependents WORKBOOK CELL --depth 1` answers.
//   node dependents.mjs WORKBOOK.xlsx 'Sheet!B2'
// Prints one JSON line: the number of dependents and the seconds of each stage.
import { performance } from 'node:perf_hooks';
import { HyperFormula } from 'hyperformula';
import XLSX from 'xlsx';

const [workbookPath, cellText] = process.argv.slice(2);
const [sheetName, address] = cellText.split('!');
const started = performance.now();
const workbook = XLSX.readFile(workbookPath, { cellFormula: true, cellHTML: false, cellText: false });
const read = performance.now();

// Each sheet as rows of cells: "=formula" for a formula cell (shared formulas come expanded),
// the value otherwise.
const sheets = {};
for (const name of workbook.SheetNames) {
  const sheet = workbook.Sheets[name];
  const rows = [];
  if (sheet['!ref']) {
    const range = XLSX.utils.decode_range(sheet['!ref']);
    for (let row = 0; row <= range.e.r; ++row) {
      const cells = [];
      for (let column = 0; column <= range.e.c; ++column) {
        const cell = sheet[XLSX.utils.encode_cell({ r: row, c: column })];
        cells.push(cell === undefined ? null : cell.f !== undefined ? `=${cell.f}` : cell.v);
      }
      rows.push(cells);
    }
  }
  sheets[name] = rows;
}
const converted = performance.now();
const hf = HyperFormula.buildFromSheets(sheets, { licenseKey: 'gpl-v3', maxRows: 1048576 });
const built = performance.now();
const at = XLSX.utils.decode_cell(address);
const dependents = hf.getCellDependents({ sheet: hf.getSheetId(sheetName), row: at.r, col: at.c });
const asked = performance.now();
console.log(JSON.stringify({
  dependents: dependents.length,
  read_seconds: (read - started) / 1000,
  convert_seconds: (converted - read) / 1000,
  build_seconds: (built - converted) / 1000,
  ask_seconds: (asked - built) / 1000,
}));
