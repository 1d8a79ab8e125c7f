// CBranchStorage: where a saved branch or path goes, one line at a time: a text file (the clipboard
// goes through one) or a new worksheet.
#pragma once

#include <cstdint>
#include <string>

#include "formula/cell_pos.h"

// Depth is the level below the saved root, from 0. Names are the defined name recorded for the
// cell or rectangle, or empty. The six operations keep this order in every implementation.
class CBranchStorage {
 public:
  virtual ~CBranchStorage() = default;

  // Prepares the output; nothing may be written when it fails.
  virtual bool Open() = 0;
  // Finishes the output; called once after a successful Open, also after Stop.
  virtual void Close() = 0;
  virtual void WriteRange(const CellPos& first, const CellPos& last, const std::wstring& name,
                          std::uint32_t depth) = 0;
  virtual void WriteCell(const CellPos& position, const std::wstring& name,
                         const std::wstring& formula, const std::wstring& value,
                         std::uint32_t depth) = 0;
  virtual void WriteExpression(const std::wstring& text, const std::wstring& value,
                               std::uint32_t depth) = 0;
  virtual void WriteText(const std::wstring& text, std::uint32_t depth) = 0;
};
