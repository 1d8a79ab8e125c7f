// The recalculation benchmark's workbook (spreadsheet/calc/benchmark_workbook.h) in HyperFormula,
// timed the way spreadsheet/calc/recalculation_benchmark.cpp times the calculator. Prints one
// JSON line per benchmark. TRELVANE_RECALC_ROWS sets the rows (125,000 by default),
// HF_REPETITIONS the runs of each benchmark (3); the median run is reported. HF_USE_COLUMN_INDEX=1
// turns on the column index that HyperFormula's performance guide suggests for VLOOKUP.
import { performance } from 'node:perf_hooks';
import { HyperFormula } from 'hyperformula';

const fullRows = Number.parseInt(process.env.TRELVANE_RECALC_ROWS ?? '125000', 10);
let rows = fullRows;
const repetitions = Number.parseInt(process.env.HF_REPETITIONS ?? '3', 10);
const lookupRows = 1000;
const criteriaRows = 10;
const formulaColumns = 4;

// `bump` is added to A1, for the workbook after its input was changed.
const inputAt = (row, bump = 0) => ((row * 37) % 1000) / 4 + (row === 1 ? bump : 0);
const lookupValue = (key) => key * 0.5 + (key % 7);
const criteriaValue = (row) => 25 * row;

// Every cell holds its own formula text, as HyperFormula takes them; rows from 1 as in A1 text.
function sheets() {
  const data = [];
  for (let row = 1; row <= rows; ++row) {
    data.push([
      inputAt(row),
      `=A${row}*1.07+ROUND(A${row}/3,2)`,
      row === 1 ? '=B1' : `=C${row - 1}+B${row}`,
      '=VLOOKUP(MOD(ROW(),1000)+1,Lookup!$A$1:$B$1000,2,0)',
      `=IF(MOD(C${row},100)>50,SUMIF(Lookup!$C$1:$C$10,"<"&A${row}),B${row}-D${row})`,
    ]);
  }
  const lookup = [];
  for (let key = 1; key <= lookupRows; ++key) {
    lookup.push([key, lookupValue(key), key <= criteriaRows ? criteriaValue(key) : null]);
  }
  return { Data: data, Lookup: lookup };
}

// Worked out in plain arithmetic, as benchmark_workbook.cpp does.
function expectedValues(bump = 0) {
  const wanted = new Set([1, 2, 3, 999, 1000, Math.floor(rows / 2), rows]);
  const out = [];
  let total = 0;
  for (let row = 1; row <= rows; ++row) {
    const a = inputAt(row, bump);
    const b = a * 1.07 + Math.round((a / 3) * 100) / 100;
    total += b;
    const d = lookupValue((row % lookupRows) + 1);
    let e = b - d;
    if (total - 100 * Math.floor(total / 100) > 50) {
      e = 0;
      for (let k = 1; k <= criteriaRows; ++k) if (criteriaValue(k) < a) e += criteriaValue(k);
    }
    if (wanted.has(row)) {
      [b, total, d, e].forEach((value, i) => out.push({ row, column: i + 2, value }));
    }
  }
  return out;
}

function verify(hf, benchmark, want = expected) {
  const sheet = hf.getSheetId('Data');
  for (const { row, column, value } of want) {
    const actual = hf.getCellValue({ sheet, row: row - 1, col: column - 1 });
    const tolerance = 1e-9 * Math.max(1, Math.abs(value));
    if (typeof actual !== 'number' || Math.abs(actual - value) > tolerance) {
      throw new Error(
        `${benchmark}: Data R${row}C${column}: expected ${value}, got ${JSON.stringify(actual)}`);
    }
  }
}

function median(values) {
  const sorted = [...values].sort((x, y) => x - y);
  return sorted[Math.floor((sorted.length - 1) / 2)];
}

// Wall and CPU seconds of `work`, with the garbage of earlier runs collected first when node
// runs with --expose-gc.
function timed(work) {
  globalThis.gc?.();
  const cpuBefore = process.cpuUsage();
  const start = performance.now();
  const result = work();
  const seconds = (performance.now() - start) / 1000;
  const cpu = process.cpuUsage(cpuBefore);
  return { seconds, cpuSeconds: (cpu.user + cpu.system) / 1e6, result };
}

function report(benchmark, cells, runs) {
  console.log(JSON.stringify({
    engine: 'hyperformula',
    version: HyperFormula.version,
    use_column_index: config.useColumnIndex,
    benchmark,
    cells,
    seconds: median(runs.map((run) => run.seconds)),
    cpu_seconds: median(runs.map((run) => run.cpuSeconds)),
    runs: runs.map((run) => Number(run.seconds.toFixed(4))),
  }));
}

// Its default sheet holds 40,000 rows; Excel's holds 1,048,576.
const config = {
  licenseKey: 'gpl-v3',
  maxRows: 1048576,
  useColumnIndex: process.env.HF_USE_COLUMN_INDEX === '1',
};

// The JIT compiles the engine's hot paths on a small workbook first; a compiled program has
// no such start-up.
rows = Math.min(2000, fullRows);
{
  const warm = HyperFormula.buildFromSheets(sheets(), config);
  warm.rebuildAndRecalculate();
  warm.setCellContents({ sheet: warm.getSheetId('Data'), row: 0, col: 0 }, [[1]]);
  warm.destroy();
}
rows = fullRows;

const expected = expectedValues();
const input = sheets();  // Prepared once, like a file already read: not timed.
const formulaCells = rows * formulaColumns;

let hf = null;
const builds = [];
for (let i = 0; i < repetitions; ++i) {
  hf?.destroy();
  hf = null;
  const run = timed(() => HyperFormula.buildFromSheets(input, config));
  hf = run.result;
  verify(hf, 'build_and_calculate');
  builds.push(run);
}
report('build_and_calculate', formulaCells, builds);

// HyperFormula has no recalculation of everything in place; rebuilding from its own sheets is
// the nearest, and it parses every formula again.
const rebuilds = [];
for (let i = 0; i < repetitions; ++i) {
  rebuilds.push(timed(() => hf.rebuildAndRecalculate()));
  verify(hf, 'full_recalculation');
}
report('full_recalculation', formulaCells, rebuilds);

// A1 feeds B1 and the running total: C and E calculate again. It goes up by one and back.
const a1 = { sheet: hf.getSheetId('Data'), row: 0, col: 0 };
const expectedBumped = expectedValues(1);
const changes = [];
for (let i = 0; i < repetitions; ++i) {
  const bumped = i % 2 === 0;
  changes.push(timed(() => hf.setCellContents(a1, [[inputAt(1, bumped ? 1 : 0)]])));
  verify(hf, 'input_change', bumped ? expectedBumped : expected);
}
report('input_change', 1 + 2 * rows, changes);
hf.destroy();
