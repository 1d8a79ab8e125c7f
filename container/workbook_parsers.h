// CWorkbookParsers: the workbook's address parser and formula parser, and what parsing gathers:
// the memo of formula forms parsed, the external references met, and how many parses were asked
// for.
#pragma once

#include <cstddef>
#include <string_view>

#include "container/reference_lists.h"
#include "container/workbook_structure.h"
#include "formula/address_parser.h"
#include "formula/cell_pos.h"
#include "formula/eval_provider.h"
#include "formula/external_table.h"
#include "formula/formula_parser.h"
#include "formula/list_object_container.h"

// The parsers read sheets and names from the structure, evaluate through `eval` and find tables
// through `tables`; all three are borrowed and outlive the parsers.
class CWorkbookParsers {
 public:
  CWorkbookParsers(CWorkbookStructure& structure, IEvalProvider* eval,
                   const CListObjectContainer* tables);
  CWorkbookParsers(const CWorkbookParsers&) = delete;
  CWorkbookParsers& operator=(const CWorkbookParsers&) = delete;

  CAddressParser& AddressParser() { return addressParser_; }
  const CAddressParser& AddressParser() const { return addressParser_; }
  CFormulaParser& FormulaParser() { return formulaParser_; }
  const CFormulaParser& FormulaParser() const { return formulaParser_; }

  // From attaching on, the formula parser records external references in the table.
  void UseExternalTable() { formulaParser_.SetExternalTable(&externalTable_); }
  // The reference as written for an external id; empty text for an unknown id.
  std::wstring_view ExternalText(int32_t id) const { return externalTable_.Find(id); }

  // A new list with a copy of the formula's references, `origin` being its own cell; null when
  // the parse fails.
  SharedReferenceList Parse(std::wstring_view formula, const CellPos& origin);
  std::size_t ParseCount() const { return parseCount_; }

  // A refresh forgets the forms parsed and the external references met: formulas and names may
  // read differently now.
  void OnRefresh();

 private:
  CExternalTable externalTable_;
  // Declared after the table the formula parser borrows.
  CAddressParser addressParser_;
  CFormulaParser formulaParser_;
  std::size_t parseCount_ = 0;
};
