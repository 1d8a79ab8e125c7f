// XlsxReadLimits: the bounds the .xlsx reader holds untrusted files to. Each bound stops one way a
// crafted or broken file could make the reader inflate, allocate or loop without end; a file that
// passes one is refused with a message naming the bound, never read in part. (maxWarningsKept is
// the one bound that refuses nothing: past it, warnings are counted instead of kept.)
#pragma once

#include <cstdint>

namespace spreadsheet {

struct XlsxReadLimits {
  // Bytes inflated from the whole package. A sheet of Excel's full million rows by twenty filled
  // columns is under 1 GiB of XML; past 4 GiB the model could not hold the cells anyway.
  std::uint64_t maxUncompressedTotal = std::uint64_t{4} << 30;
  // Bytes one part may inflate to (the same reasoning, for one sheet).
  std::uint64_t maxPartSize = std::uint64_t{2} << 30;
  // Inflated bytes per compressed byte of one entry, checked while inflating. Sheet XML deflates
  // 5 to 60 times, rows of styled empty cells up to about 200; deflate tops out near 1032, which
  // only runs of one repeated byte reach: the mark of a zip bomb.
  std::uint32_t maxCompressionRatio = 500;
  // The ratio is judged only past this many inflated bytes of an entry: small parts have noisy
  // ratios and cannot hurt.
  std::uint64_t ratioCheckFloor = std::uint64_t{1} << 20;
  // Entries of the zip directory. Excel packages hold tens to a few thousand parts.
  std::uint32_t maxZipEntries = 100'000;
  // Element nesting of any part. Spreadsheet XML nests about 10 deep; the bound keeps the
  // reader's own state small and refuses "deeply nested" denial-of-service files.
  std::uint32_t maxXmlDepth = 128;
  // Bytes of one text node (a cell value, a shared string, a formula). Excel caps cell text at
  // 32,767 characters and formulas at 8,192; the bound is 32 times that in UTF-8, so only
  // crafted files reach it.
  std::uint32_t maxTextBytes = 1u << 20;
  // Cells stored in the whole workbook (about 100 bytes each in the model).
  std::uint64_t maxCells = 50'000'000;
  // Entries of the shared string table.
  std::uint32_t maxSharedStrings = 16'000'000;
  // Worksheets. Excel has no fixed bound; real workbooks hold at most a few hundred.
  std::uint32_t maxSheets = 10'000;
  // Fonts, fills, borders, cell formats and named styles, each. Excel stops at 64,000 cell
  // formats; the model interns by a linear scan, so this also bounds the time styles take.
  std::uint32_t maxStyleRecords = 65'536;
  // Merged ranges of one sheet; the model checks each new one against all others.
  std::uint32_t maxMergedRanges = 65'536;
  // Defined names of the workbook; the model looks each new one up among all others.
  std::uint32_t maxDefinedNames = 100'000;
  // Warning texts kept (cells read as empty, items left out); the rest are only counted. Twenty
  // say what is wrong with a file; a bad cell in every row must not print a line per row.
  std::uint32_t maxWarningsKept = 20;
};

}  // namespace spreadsheet
