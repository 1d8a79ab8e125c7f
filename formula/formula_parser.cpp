// The formula parser: a predictive parser over the token list, run on an explicit stack and
// tolerant of anything.
//
// Grammar. The cursor stands on the current token; "step" moves to the next one, and past the
// last token to an end position where no rule takes anything. Every rule starts on its first
// token and returns on the first token it did not use. Binary levels are left-associative, as
// Excel's are ("2^3^2" is "(2^3)^2", "1=2=3" is "(1=2)=3").
//
//   expression    := concatenation { COMPARISON concatenation }
//   concatenation := step term { ("+" | "-" | "&") step term }     -- "&" binds like "+"
//   term          := power { ("*" | "/") step power }
//   power         := unary { "^" step unary }
//   unary         := ("-" | "+" | "@") step unary                 -- "-2^2" is "(-2)^2"
//                  | operand
//   operand       := range { INTERSECTION range } { "%" }         -- a postfix "%" makes no node
//   range         := primary { ":" primary }                      -- a node unless the parts
//                                                                    join into one reference
//   primary       := "(" expression { "," expression } step       -- a union when it holds ",";
//                                                                    whatever closes is taken
//                                                                    as ")"
//                  | "{" tokens up to "}" step       -- one constant, texts joined
//                  | (WORD | TRUE | FALSE) "(" arguments ")" step { "(" arguments ")" step }
//                                                    -- a function call ("TRUE()" too), and
//                                                       calls of the function it returns
//                  | (WORD | ROW) [ ":" (WORD | ROW) ] step
//                                                    -- a reference ("A1:B2", "1:3", "A1#");
//                                                       a table reference when the word names
//                                                       a table; a LET or LAMBDA parameter is a
//                                                       constant
//                  | other punctuation               -- no node, token left (empty arguments)
//                  | any other token step            -- a constant: numbers, strings, TRUE,
//                                                       FALSE, error literals, stray operators
//   arguments     := nothing | argument { "," argument }
//   argument      := expression | nothing       -- an empty one is no node; the call keeps its
//                                                  place in its text ("IF(c,, x)")
//
// The leading "=" is the first token; the first step passes over it unread. Unresolvable
// reference texts are kept in the reference list flagged kRefUnreadable, with a constant node.
//
// The rules run on an explicit stack of frames, not on the call stack, and the nesting of
// brackets, calls and prefix signs is bounded by kMaxNestingDepth; chains of operators are loops
// and build left-deep trees, which the nodes tear down without recursion. References and
// constants, the bulk of every formula, are read in place without a frame of their own.
#include "formula/formula_parser.h"

#include <utility>

#include "formula/reference_functions.h"
#include "formula/structured_reference.h"
#include "formula/syntax_node_address.h"
#include "formula/syntax_node_bin_opr.h"
#include "formula/syntax_node_brackets.h"
#include "formula/syntax_node_func_call.h"
#include "formula/syntax_node_invocation.h"
#include "formula/syntax_node_un_opr.h"
#include "formula/syntax_node_union.h"
#include "formula/syntax_node_with_arguments.h"

namespace {

// Excel nests functions 64 deep; this leaves ample room for brackets and prefix signs. The bound
// keeps the frame stack and the tree's depth in proportion to real formulas: a formula nested
// deeper is read up to that point and the rest is ignored, as leftover tokens are.
constexpr int kMaxNestingDepth = 1000;

constexpr wchar_t kListSeparator = L',';

bool IsPunctuation(const FormulaToken& token, wchar_t c) {
  return token.Is(TokPunctuation, c);
}
bool IsOperator(const FormulaToken& token, wchar_t c) {
  return token.Is(TokOperator, c);
}

// A whole-row corner such as the 3 of "3:5": a number of digits only.
bool IsRowNumber(const FormulaToken& token) {
  if (token.type != TokNumber) return false;
  for (wchar_t c : token.text) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

// LAMBDA parameters as a file writes them, and the prefixes of newer functions in files and in
// what Excel's object model may answer.
constexpr std::wstring_view kParameterPrefix = L"_xlpm.";
constexpr std::wstring_view kFunctionPrefix = L"_xlfn.";
constexpr std::wstring_view kWorksheetFunctionPrefix = L"_xlws.";
constexpr std::wstring_view kLet = L"LET";
constexpr std::wstring_view kLambda = L"LAMBDA";

std::wstring_view WithoutFunctionPrefixes(std::wstring_view name) {
  for (;;) {
    const std::wstring_view head = name.substr(0, kFunctionPrefix.size());
    if (!EqualsNoCase(head, kFunctionPrefix) && !EqualsNoCase(head, kWorksheetFunctionPrefix)) {
      return name;
    }
    name.remove_prefix(head.size());
  }
}

// The areas of an evaluated target. Excel writes the address of a union once qualified,
// "'Data'!$A$1:$A$2,$C$1", so later areas take the sheet of the first. A single area, and any
// text whose first part names no sheet (a value, an error), is one part as it is.
std::vector<std::wstring> TargetAreas(std::wstring_view target) {
  std::vector<std::wstring> areas;
  bool quoted = false;
  bool bracketed = false;
  size_t start = 0;
  size_t bang = std::wstring_view::npos;  // the qualifier's "!" in the current part
  std::wstring_view qualifier;
  for (size_t i = 0; i <= target.size(); ++i) {
    const wchar_t c = i < target.size() ? target[i] : L',';
    if (c == L'\'') {
      quoted = !quoted;  // a doubled apostrophe closes and reopens
    } else if (quoted) {
      continue;
    } else if (c == L'[' || c == L']') {
      bracketed = c == L'[';
    } else if (c == L'!') {
      bang = i;
    } else if (c == kListSeparator && !bracketed) {
      const std::wstring_view part = target.substr(start, i - start);
      if (areas.empty()) {
        if (bang == std::wstring_view::npos || i == target.size()) return {std::wstring(target)};
        qualifier = target.substr(0, bang + 1);
      }
      areas.emplace_back(bang == std::wstring_view::npos
                             ? std::wstring(qualifier) + std::wstring(part)
                             : std::wstring(part));
      start = i + 1;
      bang = std::wstring_view::npos;
    }
  }
  return areas;
}

}  // namespace

const FormulaToken CFormulaParser::kEnd{};

CFormulaParser::CFormulaParser(IEvalProvider* eval, CAddressParser* addressParser,
                               const SheetNameByIndex* sheetNames)
    : eval_(eval), addressParser_(addressParser), sheetNames_(sheetNames) {}

CFormulaParser::CFormulaParser(const CFormulaParser& source)
    : CObjectWithTracing(source),
      eval_(source.eval_),
      addressParser_(source.addressParser_),
      sheetNames_(source.sheetNames_),
      tables_(source.tables_),
      externalTable_(source.externalTable_) {}

void CFormulaParser::ClearMemo() {
  memo_.clear();
  textMemo_.clear();
  memoParses_ = 0;
  root_.reset();
  rootEntry_.reset();
}

std::shared_ptr<const ISyntaxNode> CFormulaParser::GetRoot() const {
  if (rootEntry_ && !(rootEntry_->treeCell == rootCell_)) MoveTree(*rootEntry_, rootCell_);
  return root_;
}

bool CFormulaParser::Parse(std::wstring_view formula, const CellPos& cell) {
  if (formula.empty()) return true;
  references_.Clear();
  tokens_.clear();
  currentCell_ = cell;
  addressParser_->SetCurrentCell(cell);

  BuildFormulaForm(formula, cell, form_, formAddresses_);
  const auto formHit = memo_.find(form_);
  if (formHit == memo_.end()) {
    std::shared_ptr<ParsedFormula> entry = ParseText(formula, true);
    if (!entry) return false;
    ++memoParses_;
    if (shareable_) {
      memo_.emplace(form_, entry);
      UseEntry(entry, true);
    } else {
      memo_.emplace(form_, nullptr);
      entry->anchored.clear();
      entry->anchoredNodes.clear();
      textMemo_.emplace(std::wstring(formula), entry);
      UseEntry(entry, false);
    }
    return true;
  }
  if (formHit->second && FormFitsCell(*formHit->second)) {
    const std::shared_ptr<ParsedFormula> entry = formHit->second;
    Replay(*entry, true);
    if (eval_ != nullptr && !entry->referenceCalls.empty()) {
      // The calls are evaluated with this cell's addresses in their texts.
      MoveTree(*entry, cell);
      ResolveDynamicCalls(*entry);
    }
    UseEntry(entry, true);
    return true;
  }
  if (const auto hit = textMemo_.find(formula); hit != textMemo_.end()) {
    const std::shared_ptr<ParsedFormula> entry = hit->second;
    Replay(*entry, false);
    ResolveDynamicCalls(*entry);
    UseEntry(entry, false);
    return true;
  }
  std::shared_ptr<ParsedFormula> entry = ParseText(formula, false);
  if (!entry) return false;
  ++memoParses_;
  textMemo_.emplace(std::wstring(formula), entry);
  UseEntry(entry, false);
  return true;
}

// Tokenizes and parses the text for the current cell. With `anchoring`, plain addresses are
// recorded to move with the cell, and shareable_ tells whether every relative part of the form
// was read so.
std::shared_ptr<ParsedFormula> CFormulaParser::ParseText(std::wstring_view formula,
                                                         bool anchoring) {
  root_.reset();
  rootEntry_.reset();
  if (!tokenizer_.Tokenize(formula, addressParser_->Names(), currentCell_.sheet, tokens_)) {
    return nullptr;
  }
  auto entry = std::make_shared<ParsedFormula>();
  entry->origin = currentCell_;
  entry->treeCell = currentCell_;
  entry_ = entry.get();
  formula_ = formula;
  anchoring_ = anchoring;
  formAddressUsed_.assign(formAddresses_.size(), 0);
  cursor_ = 0;
  depth_ = 0;
  parameters_.clear();
  try {
    entry->root = RunGrammar();
  } catch (...) {
    entry_ = nullptr;
    formula_ = {};
    frames_.clear();
    top_ = 0;
    throw;
  }
  entry_ = nullptr;
  formula_ = {};
  entry->references.ReleaseIndex();
  shareable_ = anchoring;
  for (size_t i = 0; i < formAddresses_.size() && shareable_; ++i) {
    shareable_ = formAddressUsed_[i] != 0 || !formAddresses_[i].IsRelative();
  }
  if (eval_ != nullptr && !entry->referenceCalls.empty()) {
    ResolveDynamicCalls(*entry);
  } else if (entry->root) {
    entry->root->RebuildText();
  }
  return entry;
}

void CFormulaParser::UseEntry(const std::shared_ptr<ParsedFormula>& entry, bool shared) {
  root_ = entry->root;
  rootCell_ = currentCell_;
  if (shared && !entry->anchoredNodes.empty()) {
    rootEntry_ = entry;
  } else {
    rootEntry_.reset();
  }
}

bool CFormulaParser::FormFitsCell(const ParsedFormula& entry) const {
  if (!entry.columnPairs) return true;
  for (const AnchoredAddress& address : entry.anchored) {
    if (address.kind != FormAddressKind::Column) continue;
    const int32_t columns[] = {address.FirstAt(entry.origin, currentCell_).column,
                               address.LastAt(entry.origin, currentCell_).column};
    for (const int32_t column : columns) {
      if (addressParser_->LookupName(CAddressParser::ColumnLetters(column), currentCell_.sheet)
              .IsFound()) {
        return false;
      }
    }
  }
  return true;
}

void CFormulaParser::MoveTree(ParsedFormula& entry, const CellPos& cell) {
  std::wstring text;
  for (const AnchoredNode& anchoredNode : entry.anchoredNodes) {
    const AnchoredAddress& address = entry.anchored[anchoredNode.anchored];
    CellReference reference;
    reference.first = address.FirstAt(entry.origin, cell);
    reference.last = address.LastAt(entry.origin, cell);
    text = address.qualifier;
    AppendFormAddress(text, address.kind, (address.relative & AnchoredAddress::kFirstColumn) == 0,
                      (address.relative & AnchoredAddress::kFirstRow) == 0,
                      reference.first.column, reference.first.row);
    if (address.twoCorners) {
      text.push_back(L':');
      AppendFormAddress(text, address.kind,
                        (address.relative & AnchoredAddress::kLastColumn) == 0,
                        (address.relative & AnchoredAddress::kLastRow) == 0,
                        reference.last.column, reference.last.row);
    }
    anchoredNode.node->SetWrittenText(text);
    anchoredNode.node->SetReference(std::move(reference));
  }
  if (entry.root) entry.root->RebuildText();
  entry.treeCell = cell;
}

void CFormulaParser::Replay(const ParsedFormula& entry, bool shared) {
  for (const RecordedReference& recorded : entry.references.Items()) {
    if (shared && recorded.anchored >= 0) {
      const AnchoredAddress& address = entry.anchored[static_cast<size_t>(recorded.anchored)];
      CellReference reference;
      reference.first = address.FirstAt(entry.origin, currentCell_);
      reference.last = address.LastAt(entry.origin, currentCell_);
      references_.Add(std::move(reference));
      continue;
    }
    // A bare "[@Qty]" names the table of the cell, which the parsed cell may have lacked.
    const bool tableWord = recorded.structured || IsBareTableReference(recorded.text);
    const TableRecord* table = tableWord ? TableOf(recorded.text) : nullptr;
    if (table != nullptr) {
      references_.Add(ResolveStructured(recorded.text, *table));
    } else {
      ResolveReference(recorded.text, false);
    }
  }
}

// The address parts of the text must be its corners, with at most a sheet before them, and the
// reference must be the area they write: then the reference at another cell is this one moved.
int32_t CFormulaParser::Anchor(std::wstring_view text, const CellReference& reference,
                               size_t begin, size_t end) {
  size_t index = 0;
  while (index < formAddresses_.size() && formAddresses_[index].begin < begin) ++index;
  size_t count = 0;
  while (index + count < formAddresses_.size() && formAddresses_[index + count].end <= end) {
    ++count;
  }
  if (count == 0 || count > 2) return -1;
  if (reference.nameId != 0 || reference.externalId != 0 || reference.flags != 0 ||
      !reference.text.empty()) {
    return -1;
  }
  const FormAddress& first = formAddresses_[index];
  const FormAddress& last = formAddresses_[index + count - 1];
  if (first.kind != last.kind || (first.kind != FormAddressKind::Cell && count != 2)) return -1;
  const auto written = [&](const FormAddress& part) {
    return formula_.substr(part.begin, part.end - part.begin);
  };
  std::wstring_view qualifier = text;
  if (count == 2) {
    if (!qualifier.ends_with(written(last))) return -1;
    qualifier.remove_suffix(last.end - last.begin);
    if (!qualifier.ends_with(L':')) return -1;
    qualifier.remove_suffix(1);
  }
  if (!qualifier.ends_with(written(first))) return -1;
  qualifier.remove_suffix(first.end - first.begin);
  if (!qualifier.empty() && (!qualifier.ends_with(L'!') ||
                             qualifier.find(L'[') != std::wstring_view::npos)) {
    return -1;
  }

  // Whole columns and rows run to the address parser's fixed ends.
  constexpr int32_t kWholeColumnRows = 65536;
  constexpr int32_t kWholeRowColumns = 256;
  CellPos from{0, first.column, first.row};
  CellPos to{0, last.column, last.row};
  if (first.kind == FormAddressKind::Column) {
    from.row = 1;
    to.row = kWholeColumnRows;
  } else if (first.kind == FormAddressKind::Row) {
    from.column = 1;
    to.column = kWholeRowColumns;
  }
  if (reference.first.column != from.column || reference.first.row != from.row ||
      reference.last.column != to.column || reference.last.row != to.row) {
    return -1;
  }
  const bool followsSheet = qualifier.empty();
  if (followsSheet &&
      (reference.first.sheet != currentCell_.sheet || reference.last.sheet != currentCell_.sheet)) {
    return -1;
  }
  if (first.kind == FormAddressKind::Column) {
    // "A:C" reads a name spelt "A" or "C" instead; such a pair moves only where none is.
    for (const FormAddress* part : {&first, &last}) {
      if (addressParser_->LookupName(written(*part), currentCell_.sheet).IsFound()) return -1;
    }
  }

  AnchoredAddress address;
  address.first = reference.first;
  address.last = reference.last;
  address.kind = first.kind;
  address.twoCorners = count == 2;
  address.followsSheet = followsSheet;
  address.qualifier.assign(qualifier);
  if (first.HasRelativeColumn()) address.relative |= AnchoredAddress::kFirstColumn;
  if (first.HasRelativeRow()) address.relative |= AnchoredAddress::kFirstRow;
  if (last.HasRelativeColumn()) address.relative |= AnchoredAddress::kLastColumn;
  if (last.HasRelativeRow()) address.relative |= AnchoredAddress::kLastRow;
  if (address.kind == FormAddressKind::Column && address.relative != 0) entry_->columnPairs = true;
  for (size_t i = 0; i < count; ++i) formAddressUsed_[index + i] = 1;
  entry_->anchored.push_back(std::move(address));
  return static_cast<int32_t>(entry_->anchored.size() - 1);
}

CellReference CFormulaParser::ResolveReference(std::wstring_view text, bool dynamic) {
  CellReference reference;
  if (dynamic) reference.flags |= RefDynamic;
  if (text.empty() || text.front() == L'#') {
    reference.flags |= kRefUnreadable;
    return reference;
  }
  addressParser_->SetCurrentCell(currentCell_);
  const NameLookupResult name = addressParser_->LookupName(text, currentCell_.sheet);
  if (name.IsFound()) {
    reference.nameId = name.id;
    reference.text.assign(text);
    if (name.record->notRange != 0) {
      reference.flags |= RefNameNotRange;
    } else {
      reference.first = name.record->first;
      reference.last = name.record->last;
    }
  } else if (addressParser_->Parse(text)) {
    if (addressParser_->IsExternal()) {
      if (externalTable_ != nullptr) {
        // The same text twice in one formula is one reference, as the memo's replay (which
        // keeps each text once) gives it for the formula's other cells.
        for (const CellReference& earlier : references_.Items()) {
          if (earlier.externalId != 0 && externalTable_->Find(earlier.externalId) == text) {
            reference.externalId = earlier.externalId;
          }
        }
        if (reference.externalId == 0) reference.externalId = externalTable_->Add(text);
      }
    } else {
      reference.first = addressParser_->First();
      reference.last = addressParser_->Last();
    }
  } else {
    reference.text.assign(text);
    reference.flags |= kRefUnreadable;
  }
  references_.Add(reference);
  return reference;
}

const TableRecord* CFormulaParser::TableOf(std::wstring_view word) const {
  if (tables_ == nullptr) return nullptr;
  const std::wstring_view name = SplitTableReference(word).tableName;
  if (!name.empty()) return tables_->FindTable(name);
  return IsBareTableReference(word) ? tables_->FindTableAt(currentCell_) : nullptr;
}

CellReference CFormulaParser::ResolveStructured(std::wstring_view word,
                                                const TableRecord& table) const {
  CellReference reference;
  const TableReferenceParts parts = SplitTableReference(word);
  if (parts.bracketPart.empty()) {
    reference.first = table.dataBody.first;
    reference.last = table.dataBody.last;
  } else if (const auto area = ResolveTableSpecifier(table, parts.bracketPart, currentCell_)) {
    reference.first = area->first;
    reference.last = area->last;
  }
  reference.flags |= RefStructured;
  reference.text.assign(word);
  return reference;
}

// Address nodes get the parsed area written back for the current cell, so that a call's text
// names the cells it names in this cell. Nodes whose text is not an area of this workbook (table
// references, names that are not ranges, external references) keep the text as written.
//
// Right of a ":" the current sheet is left unwritten: "Sheet1!B2:Sheet1!C4" would read back as
// one token of another text, while "Sheet1!B2:C4" reads back as itself.
void CFormulaParser::FillAddressTexts(CSyntaxNode& root,
                                      std::vector<const CSyntaxNode*>& callsSeen) {
  struct Pending {
    CSyntaxNode* node;
    bool rightOfColon;
  };
  std::vector<Pending> pending{{&root, false}};
  while (!pending.empty()) {
    const auto [node, rightOfColon] = pending.back();
    pending.pop_back();
    const auto* operation = dynamic_cast<CSyntaxNodeBinOpr*>(node);
    const bool colon = operation != nullptr && operation->Operator().GetText() == L":";
    for (size_t i = node->StoredChildCount(); i > 0; --i)
      pending.push_back({node->StoredChild(i - 1), colon && (i > 1 || rightOfColon)});
    if (dynamic_cast<CSyntaxNodeFuncCall*>(node) != nullptr) callsSeen.push_back(node);
    auto* address = dynamic_cast<CSyntaxNodeAddress*>(node);
    if (address == nullptr) continue;
    const CellReference& reference = address->Reference();
    std::wstring normalised;
    const bool keepsWrittenText = (reference.flags & (RefStructured | RefNameNotRange)) != 0;
    std::wstring_view written = address->WrittenText();
    const bool spill = written.size() > 1 && written.back() == L'#';
    if (spill) written.remove_suffix(1);
    addressParser_->SetCurrentCell(currentCell_);
    if (!keepsWrittenText && addressParser_->Parse(written) && !addressParser_->IsExternal()) {
      const CellPos first = addressParser_->First();
      const bool unwritten = rightOfColon && first.sheet == currentCell_.sheet;
      const std::wstring_view sheet = sheetNames_ != nullptr && !unwritten
                                          ? sheetNames_->Find(first.sheet)
                                          : std::wstring_view();
      normalised = CAddressParser::FormatAddress(first, addressParser_->Last(), sheet);
      if (spill) normalised.push_back(L'#');
    }
    address->SetNormalisedText(std::move(normalised));
  }
}

void CFormulaParser::ResolveDynamicCalls(ParsedFormula& entry) {
  if (eval_ == nullptr || entry.referenceCalls.empty()) return;
  std::vector<const CSyntaxNode*> callsSeen;
  if (entry.root) {
    FillAddressTexts(*entry.root, callsSeen);
    entry.root->RebuildText();
  }
  for (const auto& call : entry.referenceCalls) {
    bool inTree = false;
    for (const CSyntaxNode* seen : callsSeen) inTree = inTree || seen == call.get();
    if (inTree) continue;
    FillAddressTexts(*call, callsSeen);
    call->RebuildText();
  }
  for (const auto& call : entry.referenceCalls) {
    std::shared_ptr<CSyntaxNode> resolved;
    const std::wstring target = eval_->EvaluateToText(call->GetText(), currentCell_.sheet);
    if (!target.empty()) {
      // A union (INDIRECT of a name of several areas) resolves area by area, under a union node.
      const std::vector<std::wstring> areas = TargetAreas(target);
      std::shared_ptr<CSyntaxNode> areasUnion;
      if (areas.size() > 1) {
        areasUnion = std::make_shared<CSyntaxNodeUnion>();
        areasUnion->SetOrigin(OriginEvaluated);
      }
      for (const std::wstring& area : areas) {
        CellReference reference = ResolveReference(area, true);
        if ((reference.flags & RefInvalid) != 0) continue;
        auto node = std::make_shared<CSyntaxNodeAddress>(area);
        node->SetOrigin(OriginEvaluated);
        node->SetReference(std::move(reference));
        resolved = std::move(node);
        if (areasUnion) areasUnion->AddChild(std::move(resolved));
      }
      if (areasUnion && areasUnion->StoredChildCount() > 0) {
        areasUnion->RebuildText();
        resolved = std::move(areasUnion);
      }
    }
    // A failed evaluation leaves the call without a target, also when an earlier cell with the
    // same formula had one.
    call->SetResolvedNode(std::move(resolved));
  }
}

bool CFormulaParser::EnterNesting() {
  if (depth_ >= kMaxNestingDepth) {
    cursor_ = tokens_.size();
    return false;
  }
  ++depth_;
  return true;
}

CFormulaParser::NodePtr CFormulaParser::RunGrammar() {
  top_ = 0;
  result_.reset();
  Enter(Rule::Expression);
  while (top_ > 0) {
    Frame& frame = frames_[top_ - 1];
    switch (frame.rule) {
      case Rule::Expression:
        StepExpression(frame);
        break;
      case Rule::Concatenation:
        StepConcatenation(frame);
        break;
      case Rule::Term:
        StepTerm(frame);
        break;
      case Rule::Power:
        StepPower(frame);
        break;
      case Rule::Unary:
        StepUnary(frame);
        break;
      case Rule::Operand:
        StepOperand(frame);
        break;
      case Rule::Primary:
        StepPrimary(frame);
        break;
      case Rule::Call:
        StepCall(frame);
        break;
    }
  }
  return std::move(result_);
}

// Finishes the rule on top: its value becomes result_ for the frame below. Takes the value
// before the frame goes, so a frame's own node may be passed.
void CFormulaParser::Leave(NodePtr value) {
  Frame& frame = frames_[top_ - 1];
  if (frame.nested) LeaveNesting();
  frame.node.reset();
  frame.pending.reset();
  --top_;
  result_ = std::move(value);
}

// Each Step* function below runs one rule from its resume point until it either finishes
// (Leave) or needs a sub-rule (Enter, after recording where to resume). `frame` must not be
// used after Enter or Leave, which change frames_.

void CFormulaParser::StepExpression(Frame& frame) {
  switch (frame.state) {
    case 0:
      if (!EnterNesting()) return Leave(nullptr);
      frame.nested = true;
      frame.state = 1;
      return Enter(Rule::Concatenation);
    case 1:
      frame.node = std::move(result_);
      break;
    default:
      frame.node->AddChild(std::move(result_));
      break;
  }
  if (Current().type != TokComparison) return Leave(std::move(frame.node));
  auto node = std::make_shared<CSyntaxNodeBinOpr>(Current().text);
  node->AddChild(std::move(frame.node));
  frame.node = std::move(node);
  frame.state = 2;
  return Enter(Rule::Concatenation);  // which steps over the operator
}

void CFormulaParser::StepConcatenation(Frame& frame) {
  switch (frame.state) {
    case 0:
      Step();
      frame.state = 1;
      return Enter(Rule::Term);
    case 1:
      frame.node = std::move(result_);
      break;
    default:
      frame.node->AddChild(std::move(result_));
      break;
  }
  const FormulaToken& op = Current();
  const wchar_t c = op.FirstChar();
  if (op.type != TokOperator || (c != L'+' && c != L'-' && c != L'&')) {
    return Leave(std::move(frame.node));
  }
  auto node = std::make_shared<CSyntaxNodeBinOpr>(op.text);
  node->AddChild(std::move(frame.node));
  frame.node = std::move(node);
  Step();
  frame.state = 2;
  return Enter(Rule::Term);
}

void CFormulaParser::StepTerm(Frame& frame) {
  switch (frame.state) {
    case 0:
      frame.state = 1;
      return Enter(Rule::Power);
    case 1:
      frame.node = std::move(result_);
      break;
    default:
      frame.node->AddChild(std::move(result_));
      break;
  }
  const FormulaToken& op = Current();
  const wchar_t c = op.FirstChar();
  if (op.type != TokOperator || (c != L'*' && c != L'/')) return Leave(std::move(frame.node));
  auto node = std::make_shared<CSyntaxNodeBinOpr>(op.text);
  node->AddChild(std::move(frame.node));
  frame.node = std::move(node);
  Step();
  frame.state = 2;
  return Enter(Rule::Power);
}

void CFormulaParser::StepPower(Frame& frame) {
  switch (frame.state) {
    case 0:
      frame.state = 1;
      return Enter(Rule::Unary);
    case 1:
      frame.node = std::move(result_);
      break;
    default:
      frame.node->AddChild(std::move(result_));
      break;
  }
  if (!IsOperator(Current(), L'^')) return Leave(std::move(frame.node));
  auto node = std::make_shared<CSyntaxNodeBinOpr>(Current().text);
  node->AddChild(std::move(frame.node));
  frame.node = std::move(node);
  Step();
  frame.state = 2;
  return Enter(Rule::Unary);
}

void CFormulaParser::StepUnary(Frame& frame) {
  if (frame.state == 1) {
    frame.node->AddChild(std::move(result_));
    return Leave(std::move(frame.node));
  }
  const FormulaToken& token = Current();
  if (IsOperator(token, L'-') || IsOperator(token, L'+') || IsOperator(token, L'@')) {
    frame.node = std::make_shared<CSyntaxNodeUnOpr>(token.text);
    Step();
    if (!EnterNesting()) return Leave(std::move(frame.node));
    frame.nested = true;
    frame.state = 1;
    return Enter(Rule::Unary);
  }
  // No sign: the frame goes on as the operand it stands on.
  frame.rule = Rule::Operand;
  return StepOperand(frame);
}

// Ranges bind tighter than intersections: "A1:B2 C1:D2" is "(A1:B2) (C1:D2)". frame.pending
// holds a ":" node and frame.node an intersection node while their right sides are read.
void CFormulaParser::StepOperand(Frame& frame) {
  NodePtr operand;
  if (frame.state == 0) {
    frame.state = 1;
    if (!TakePlainOperand(operand)) return Enter(Rule::Primary);
  } else {
    operand = std::move(result_);
  }
  for (;;) {
    if (frame.pending) {
      frame.pending->AddChild(std::move(operand));
      operand = std::move(frame.pending);
    }
    if (IsPunctuation(Current(), L':')) {
      frame.pending = std::make_shared<CSyntaxNodeBinOpr>(Current().text);
      frame.pending->AddChild(std::move(operand));
    } else {
      if (frame.node) {
        frame.node->AddChild(std::move(operand));
        operand = std::move(frame.node);
      }
      if (Current().type != TokIntersection) break;
      frame.node = std::make_shared<CSyntaxNodeBinOpr>(Current().text);
      frame.node->AddChild(std::move(operand));
    }
    Step();
    if (frame.pending &&
        (Current().type == TokOperator || Current().type == TokComparison)) {
      // "B2:>1": the range has no right side; the operator is left to its own level, so that
      // the operand after it stays in the tree.
      operand = std::move(frame.pending);
      continue;
    }
    if (!TakePlainOperand(operand)) return Enter(Rule::Primary);
  }
  while (IsOperator(Current(), L'%')) Step();
  return Leave(std::move(operand));
}

// References and constants, read in place. False (nothing taken) for what needs the primary
// rule: brackets, array constants, calls, punctuation and the end.
bool CFormulaParser::TakePlainOperand(NodePtr& operand) {
  const FormulaToken& token = Current();
  switch (token.type) {
    case TokNone:
    case TokPunctuation:
      return false;
    case TokWord:
      if (IsPunctuation(TokenAt(cursor_ + 1), L'(')) return false;
      operand = ParseReference();
      return true;
    case TokTrue:
    case TokFalse:
      if (IsPunctuation(TokenAt(cursor_ + 1), L'(')) return false;  // "TRUE()", a call
      break;
    case TokNumber:
      if (IsRowNumber(token) && StartsRange()) {
        operand = ParseReference();
        return true;
      }
      break;
    default:
      break;
  }
  operand = std::make_shared<CSyntaxNode>(std::wstring(token.text));
  Step();
  return true;
}

void CFormulaParser::StepPrimary(Frame& frame) {
  if (frame.state == 1) {
    // An expression inside "(" is back; a "," after it makes the brackets a union.
    const bool more = IsPunctuation(Current(), kListSeparator);
    if (more || frame.node) {
      if (!frame.node) frame.node = std::make_shared<CSyntaxNodeUnion>();
      frame.node->AddChild(std::move(result_));
      if (more) return Enter(Rule::Expression);  // which steps over the ","
    } else {
      frame.node = std::make_shared<CSyntaxNodeBrackets>();
      frame.node->AddChild(std::move(result_));
    }
    Step();  // whatever it is, as the closing bracket
    return Leave(std::move(frame.node));
  }
  const FormulaToken& token = Current();
  if (token.type == TokPunctuation) {
    if (token.text == L"(") {
      frame.state = 1;
      return Enter(Rule::Expression);
    }
    if (token.text == L"{") return Leave(ParseArrayConstant());
    return Leave(nullptr);  // left for the enclosing rule: an empty argument, a stray ")"
  }
  const bool named = token.type == TokWord || token.type == TokTrue || token.type == TokFalse;
  if (named && IsPunctuation(TokenAt(cursor_ + 1), L'(')) {
    frame.rule = Rule::Call;
    return StepCall(frame);
  }
  NodePtr operand;
  TakePlainOperand(operand);
  return Leave(std::move(operand));
}

void CFormulaParser::StepCall(Frame& frame) {
  if (frame.state == 0) {
    frame.node = std::make_shared<CSyntaxNodeFuncCall>(Current().text);
    frame.scopeMark = parameters_.size();
    DeclareParameters(Current().text);
    Step();  // onto "("
  } else {
    // An argument has been parsed; one that is no more than stray punctuation adds nothing.
    frame.node->AddChild(std::move(result_));
    if (Current().FirstChar() != kListSeparator) frame.state = 2;
  }
  for (;;) {
    if (frame.state != 2) {
      // On "(" or a separator. A separator or ")" next makes an empty argument, except the ")"
      // of "NOW()"; it keeps its place in the text, where it means something ("IF(c,,x)").
      const FormulaToken& next = TokenAt(cursor_ + 1);
      const bool closes = IsPunctuation(next, L')');
      if (closes || IsPunctuation(next, kListSeparator)) {
        if (!closes || IsPunctuation(Current(), kListSeparator)) {
          static_cast<CSyntaxNodeWithArguments&>(*frame.node).AddEmptyArgument();
        }
        Step();
        if (!closes) continue;
      } else {
        frame.state = 1;
        return Enter(Rule::Expression);
      }
    }
    parameters_.resize(frame.scopeMark);
    const auto call = std::dynamic_pointer_cast<CSyntaxNodeFuncCall>(frame.node);
    if (call && call->StoredChildCount() > 0 && ReferenceFunctions::Contains(call->Name())) {
      entry_->referenceCalls.push_back(call);
    }
    Step();  // past ")"
    if (!IsPunctuation(Current(), L'(')) return Leave(std::move(frame.node));
    // "LAMBDA(x,x+1)(A1)": the function the call returns is called in turn.
    auto invocation = std::make_shared<CSyntaxNodeInvocation>();
    invocation->AddChild(std::move(frame.node));
    frame.node = std::move(invocation);
    frame.state = 0;
  }
}

// LET(name, value, ..., result) and LAMBDA(parameter, ..., body) bind names inside the call; a
// word there that is one of them names no cell. An argument in a binding place that is one
// word is a name ("[b]", an optional LAMBDA parameter, binds "b" as well). The cursor stands on
// the function's name.
void CFormulaParser::DeclareParameters(std::wstring_view function) {
  // Every call passes here; most names are told apart by their first letter.
  const wchar_t initial = function.front();
  if (initial != L'L' && initial != L'l' && initial != L'_') return;
  const std::wstring_view name = WithoutFunctionPrefixes(function);
  const bool let = EqualsNoCase(name, kLet);
  if (!let && !EqualsNoCase(name, kLambda)) return;
  size_t depth = 0;
  size_t argument = 0;
  size_t argumentStart = cursor_ + 2;
  for (size_t i = cursor_ + 1; i < tokens_.size(); ++i) {
    const FormulaToken& token = tokens_[i];
    if (token.type != TokPunctuation) continue;
    const wchar_t c = token.FirstChar();
    if (c == L'(' || c == L'{') {
      ++depth;
    } else if (c == L')' || c == L'}') {
      if (depth <= 1) return;  // the last argument is the result or the body
      --depth;
    } else if (c == kListSeparator && depth == 1) {
      const FormulaToken& only = tokens_[argumentStart];
      if (i == argumentStart + 1 && only.type == TokWord && (!let || argument % 2 == 0)) {
        std::wstring_view declared = only.text;
        if (declared.starts_with(kParameterPrefix)) declared.remove_prefix(kParameterPrefix.size());
        parameters_.push_back(declared);
        if (declared.size() > 2 && declared.front() == L'[' && declared.back() == L']') {
          parameters_.push_back(declared.substr(1, declared.size() - 2));
        }
      }
      ++argument;
      argumentStart = i + 1;
    }
  }
}

bool CFormulaParser::IsParameter(std::wstring_view word) const {
  if (word.starts_with(kParameterPrefix)) return true;
  for (const std::wstring_view parameter : parameters_) {
    if (EqualsNoCase(parameter, word)) return true;
  }
  return false;
}

CFormulaParser::NodePtr CFormulaParser::ParseArrayConstant() {
  std::wstring text;
  for (;;) {
    text += Current().text;
    if (IsPunctuation(Current(), L'}') || cursor_ + 1 >= tokens_.size()) break;
    Step();
  }
  Step();
  return std::make_shared<CSyntaxNode>(std::move(text));
}

// Whether the current token and the next two make one range text: ":" and a right side that
// is a word (not a function's name) or a row number.
bool CFormulaParser::StartsRange() const {
  if (!IsPunctuation(TokenAt(cursor_ + 1), L':')) return false;
  // A word that is a range already ("Sheet1!B2:C3", one token) takes no third corner: what
  // follows is the range operator, as after "B2:C3" written in three tokens. A ":" before the
  // "!" is a span of sheets, not a range.
  const std::wstring_view word = Current().text;
  const size_t bang = word.rfind(L'!');
  if (word.find(L':', bang == std::wstring_view::npos ? 0 : bang + 1) != std::wstring_view::npos) {
    return false;
  }
  const FormulaToken& right = TokenAt(cursor_ + 2);
  if (IsRowNumber(right)) return true;
  return right.type == TokWord && !IsPunctuation(TokenAt(cursor_ + 3), L'(');
}

CFormulaParser::NodePtr CFormulaParser::ParseReference() {
  const std::wstring_view word = Current().text;
  if (Current().type == TokWord) {
    if (!parameters_.empty() || word.front() == L'_') {
      if (IsParameter(word)) {
        Step();
        return std::make_shared<CSyntaxNode>(std::wstring(word));
      }
    }
    // The replay decides on the text without a spill mark, so the parse does too: "[]#" in a
    // table's row is its row, in the parse as in every replay.
    std::wstring_view tableWord = word;
    if (tableWord.size() > 1 && tableWord.back() == L'#') tableWord.remove_suffix(1);
    if (const TableRecord* table = TableOf(tableWord)) {
      CellReference reference = ResolveStructured(tableWord, *table);
      references_.Add(reference);
      entry_->references.Add({std::wstring(tableWord), true});
      auto node = std::make_shared<CSyntaxNodeAddress>(word);
      node->SetReference(std::move(reference));
      Step();
      return node;
    }
  }
  std::wstring_view text = word;
  const size_t begin = OffsetOf(Current());
  size_t end = begin + word.size();
  if (StartsRange()) {
    const FormulaToken& right = TokenAt(cursor_ + 2);
    joined_.assign(word);
    joined_.push_back(L':');
    joined_.append(right.text);
    text = joined_;
    end = OffsetOf(right) + right.text.size();
    Step();
    Step();
  }
  // "A1#" is the spill range that A1 anchors; what it reads is A1.
  std::wstring_view target = text;
  if (target.size() > 1 && target.back() == L'#') target.remove_suffix(1);
  CellReference reference = ResolveReference(target, false);
  const int32_t anchored = anchoring_ ? Anchor(target, reference, begin, end) : -1;
  entry_->references.Add({std::wstring(target), false, anchored});
  NodePtr node;
  if ((reference.flags & RefInvalid) == 0) {
    auto address = std::make_shared<CSyntaxNodeAddress>(text);
    address->SetReference(std::move(reference));
    if (anchored >= 0) {
      entry_->anchoredNodes.push_back({address.get(), static_cast<uint32_t>(anchored)});
    }
    node = std::move(address);
  } else {
    node = std::make_shared<CSyntaxNode>(std::wstring(text));
  }
  Step();
  return node;
}
