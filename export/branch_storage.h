// CBranchStorage: where a saved branch or path goes, one line at a time: a text file (the clipboard
// goes through one) or a new worksheet.
#pragma once

#include <cstdint>
#include <string>

#include "formula/cell_pos.h"

// Appended to the label of a cell, rectangle or name whose branch was written earlier in the same
// save; such a line stands alone, without what hangs under it.
inline constexpr wchar_t kExpandedAboveMark[] = L" (expanded above)";

// Depth is the level below the saved root, from 0. Names are the defined name recorded for the
// cell or rectangle, or empty. The operations keep this order in every implementation.
class CBranchStorage {
 public:
  virtual ~CBranchStorage() = default;

  // Prepares the output; nothing may be written when it fails.
  virtual bool Open() = 0;
  // Finishes the output; called once after a successful Open, also after Stop.
  virtual void Close() = 0;
  virtual void WriteRange(const CellPos& first, const CellPos& last, const std::wstring& name,
                          std::uint32_t depth, bool expandedAbove) = 0;
  virtual void WriteCell(const CellPos& position, const std::wstring& name,
                         const std::wstring& formula, const std::wstring& value,
                         std::uint32_t depth, bool expandedAbove) = 0;
  virtual void WriteExpression(const std::wstring& text, const std::wstring& value,
                               std::uint32_t depth) = 0;
  virtual void WriteText(const std::wstring& text, std::uint32_t depth) = 0;
  // A defined name that is no range (a constant, or a formula that opens into what it reads):
  // laid out as a cell line whose label is the name alone and whose value is the name's
  // refers-to text.
  virtual void WriteName(const std::wstring& name, const std::wstring& refersTo,
                         std::uint32_t depth, bool expandedAbove) = 0;
};
