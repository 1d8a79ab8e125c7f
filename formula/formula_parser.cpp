// The formula parser: a predictive parser over the token list, run on an explicit stack and
// tolerant of anything.
//
// Grammar. The cursor stands on the current token; "step" moves to the next one, and past the
// last token to an end position where no rule takes anything. Every rule starts on its first
// token and returns on the first token it did not use. Binary levels are left-associative.
//
//   expression    := concatenation [ COMPARISON concatenation ]   -- one comparison only:
//                                                                    "=1=2=3" keeps "1=2"
//   concatenation := step term { ("+" | "-" | "&") step term }     -- "&" binds like "+"
//   term          := power { ("*" | "/") step power }
//   power         := unary [ "^" step unary ]                     -- one "^" only: "2^3^2"
//                                                                    keeps "2^3"
//   unary         := ("-" | "+") step unary                       -- "-2^2" is "(-2)^2"
//                  | percent [ ":" step percent ]   (on punctuation or a word; the right side
//                                                    of a ":" after a non-reference is dropped)
//                  | constant step                  (numbers, strings, TRUE, FALSE, stray
//                                                    operators and comparisons)
//   percent       := primary [ "%" step ]           -- a postfix "%" makes no node
//   primary       := "(" expression step            -- whatever closes is taken as ")":
//                                                      "(A1,B1)" is "(A1)"
//                  | "{" tokens up to "}" step       -- one constant, texts joined
//                  | WORD "(" arguments ")" step     -- a function call
//                  | WORD [ ":" WORD ] step          -- a reference; a table reference when the
//                                                      word names a table
//                  | other punctuation               -- no node, token left (empty arguments)
//   arguments     := nothing | expression { "," expression }   -- empty ones add no argument
//
// The leading "=" is the first token; the first step passes over it unread. Numbers have no
// exponent, so "=A1*1E+20" keeps "A1*1". Unresolvable reference texts are kept in the
// reference list flagged kRefUnreadable, without a node.
//
// The rules run on an explicit stack of frames, not on the call stack, and the nesting of
// brackets, calls and prefix signs is bounded by kMaxNestingDepth; chains of operators are loops
// and build left-deep trees, which the nodes tear down without recursion.
#include "formula/formula_parser.h"

#include <utility>

#include "formula/reference_functions.h"
#include "formula/structured_reference.h"
#include "formula/syntax_node_address.h"
#include "formula/syntax_node_bin_opr.h"
#include "formula/syntax_node_brackets.h"
#include "formula/syntax_node_func_call.h"
#include "formula/syntax_node_un_opr.h"

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
  root_.reset();
}

bool CFormulaParser::Parse(std::wstring_view formula, const CellPos& cell) {
  if (formula.empty()) return true;
  references_.Clear();
  tokens_.clear();
  currentCell_ = cell;
  addressParser_->SetCurrentCell(cell);

  if (const auto hit = memo_.find(formula); hit != memo_.end()) {
    const std::shared_ptr<ParsedFormula> entry = hit->second;
    Replay(*entry);
    ResolveDynamicCalls(*entry);
    root_ = entry->root;
    return true;
  }

  root_.reset();
  if (!tokenizer_.Tokenize(formula, addressParser_->Names(), cell.sheet, tokens_)) return false;
  auto entry = std::make_shared<ParsedFormula>();
  entry_ = entry.get();
  cursor_ = 0;
  depth_ = 0;
  try {
    entry->root = RunGrammar();
  } catch (...) {
    entry_ = nullptr;
    frames_.clear();
    throw;
  }
  entry_ = nullptr;
  entry->references.ReleaseIndex();
  if (eval_ != nullptr && !entry->referenceCalls.empty()) {
    ResolveDynamicCalls(*entry);
  } else if (entry->root) {
    entry->root->RebuildText();
  }
  root_ = entry->root;
  memo_.emplace(std::wstring(formula), std::move(entry));
  return true;
}

void CFormulaParser::Replay(const ParsedFormula& entry) {
  for (const RecordedReference& recorded : entry.references.Items()) {
    const TableRecord* table = nullptr;
    if (recorded.structured && tables_ != nullptr) {
      table = tables_->FindTable(SplitTableReference(recorded.text).tableName);
    }
    if (table != nullptr) {
      references_.Add(ResolveStructured(recorded.text, *table));
    } else {
      ResolveReference(recorded.text, false);
    }
  }
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
      if (externalTable_ != nullptr) reference.externalId = externalTable_->Add(text);
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

CellReference CFormulaParser::ResolveStructured(std::wstring_view word,
                                                const TableRecord& table) const {
  CellReference reference;
  const TableReferenceParts parts = SplitTableReference(word);
  if (parts.bracketPart.empty()) {
    reference.first = table.dataBody.first;
    reference.last = table.dataBody.last;
  } else if (const auto area = ResolveTableItem(table, parts.bracketPart, currentCell_)) {
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
void CFormulaParser::FillAddressTexts(CSyntaxNode& root,
                                      std::vector<const CSyntaxNode*>& callsSeen) {
  std::vector<CSyntaxNode*> pending{&root};
  while (!pending.empty()) {
    CSyntaxNode* node = pending.back();
    pending.pop_back();
    for (size_t i = node->StoredChildCount(); i > 0; --i)
      pending.push_back(node->StoredChild(i - 1));
    if (dynamic_cast<CSyntaxNodeFuncCall*>(node) != nullptr) callsSeen.push_back(node);
    auto* address = dynamic_cast<CSyntaxNodeAddress*>(node);
    if (address == nullptr) continue;
    const CellReference& reference = address->Reference();
    std::wstring normalised;
    const bool keepsWrittenText = (reference.flags & (RefStructured | RefNameNotRange)) != 0;
    addressParser_->SetCurrentCell(currentCell_);
    if (!keepsWrittenText && addressParser_->Parse(address->WrittenText()) &&
        !addressParser_->IsExternal()) {
      const CellPos first = addressParser_->First();
      const std::wstring_view sheet =
          sheetNames_ != nullptr ? sheetNames_->Find(first.sheet) : std::wstring_view();
      normalised = CAddressParser::FormatAddress(first, addressParser_->Last(), sheet);
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
      CellReference reference = ResolveReference(target, true);
      if ((reference.flags & RefInvalid) == 0) {
        auto node = std::make_shared<CSyntaxNodeAddress>(target);
        node->SetOrigin(OriginEvaluated);
        node->SetReference(std::move(reference));
        resolved = std::move(node);
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
  frames_.clear();
  result_.reset();
  Enter(Rule::Expression);
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
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
      case Rule::Percent:
        StepPercent(frame);
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
  if (frames_.back().nested) LeaveNesting();
  frames_.pop_back();
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
      if (Current().type != TokComparison) return Leave(std::move(result_));
      frame.node = std::make_shared<CSyntaxNodeBinOpr>(Current().text);
      frame.node->AddChild(std::move(result_));
      frame.state = 2;
      return Enter(Rule::Concatenation);
    default:
      frame.node->AddChild(std::move(result_));
      return Leave(std::move(frame.node));
  }
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
      if (!IsOperator(Current(), L'^')) return Leave(std::move(result_));
      frame.node = std::make_shared<CSyntaxNodeBinOpr>(Current().text);
      frame.node->AddChild(std::move(result_));
      Step();
      frame.state = 2;
      return Enter(Rule::Unary);
    default:
      frame.node->AddChild(std::move(result_));
      return Leave(std::move(frame.node));
  }
}

void CFormulaParser::StepUnary(Frame& frame) {
  switch (frame.state) {
    case 0: {
      const FormulaToken& token = Current();
      if (IsOperator(token, L'-') || IsOperator(token, L'+')) {
        frame.node = std::make_shared<CSyntaxNodeUnOpr>(token.text);
        Step();
        if (!EnterNesting()) return Leave(std::move(frame.node));
        frame.nested = true;
        frame.state = 1;
        return Enter(Rule::Unary);
      }
      if (token.type == TokPunctuation || token.type == TokWord) {
        frame.state = 2;
        return Enter(Rule::Percent);
      }
      if (token.type == TokNone) return Leave(nullptr);
      auto constant = std::make_shared<CSyntaxNode>(std::wstring(token.text));
      Step();
      return Leave(std::move(constant));
    }
    case 1:
      frame.node->AddChild(std::move(result_));
      return Leave(std::move(frame.node));
    case 2:
      if (!IsPunctuation(Current(), L':')) return Leave(std::move(result_));
      // The right side of a range whose left side is not a plain reference: parsed, dropped.
      frame.node = std::move(result_);
      Step();
      frame.state = 3;
      return Enter(Rule::Percent);
    default:
      result_.reset();
      return Leave(std::move(frame.node));
  }
}

void CFormulaParser::StepPercent(Frame& frame) {
  if (frame.state == 0) {
    frame.state = 1;
    return Enter(Rule::Primary);
  }
  if (IsOperator(Current(), L'%')) Step();
  return Leave(std::move(result_));
}

void CFormulaParser::StepPrimary(Frame& frame) {
  if (frame.state == 1) {
    frame.node->AddChild(std::move(result_));
    Step();  // whatever it is, as the closing bracket
    return Leave(std::move(frame.node));
  }
  const FormulaToken& token = Current();
  if (token.type == TokPunctuation) {
    if (token.text == L"(") {
      frame.node = std::make_shared<CSyntaxNodeBrackets>();
      frame.state = 1;
      return Enter(Rule::Expression);
    }
    if (token.text == L"{") return Leave(ParseArrayConstant());
    return Leave(nullptr);  // left for the enclosing rule: an empty argument, a stray ")"
  }
  if (token.type == TokWord) {
    if (!IsPunctuation(TokenAt(cursor_ + 1), L'(')) return Leave(ParseReference());
    frame.rule = Rule::Call;
    return StepCall(frame);
  }
  if (token.type == TokNone) return Leave(nullptr);
  auto constant = std::make_shared<CSyntaxNode>(std::wstring(token.text));
  Step();
  return Leave(std::move(constant));
}

void CFormulaParser::StepCall(Frame& frame) {
  if (frame.state == 0) {
    frame.node = std::make_shared<CSyntaxNodeFuncCall>(Current().text);
    Step();  // onto "("
    if (IsPunctuation(TokenAt(cursor_ + 1), L')')) {
      Step();
    } else {
      frame.state = 1;
    }
  } else {
    // An argument has been parsed; empty arguments produce no node.
    frame.node->AddChild(std::move(result_));
    if (Current().FirstChar() != kListSeparator) frame.state = 2;
  }
  if (frame.state == 1) {
    if (!IsPunctuation(TokenAt(cursor_ + 1), L')')) return Enter(Rule::Expression);
    Step();
  }
  auto call = std::static_pointer_cast<CSyntaxNodeFuncCall>(frame.node);
  if (call->StoredChildCount() > 0 && ReferenceFunctions::Contains(call->Name())) {
    entry_->referenceCalls.push_back(call);
  }
  Step();  // past ")"
  return Leave(std::move(frame.node));
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

CFormulaParser::NodePtr CFormulaParser::ParseReference() {
  const std::wstring_view word = Current().text;
  if (tables_ != nullptr) {
    if (const TableRecord* table = tables_->FindTable(SplitTableReference(word).tableName)) {
      CellReference reference = ResolveStructured(word, *table);
      references_.Add(reference);
      entry_->references.Add({std::wstring(word), true});
      auto node = std::make_shared<CSyntaxNodeAddress>(word);
      node->SetReference(std::move(reference));
      Step();
      return node;
    }
  }
  std::wstring_view text = word;
  const FormulaToken& right = TokenAt(cursor_ + 2);
  if (IsPunctuation(TokenAt(cursor_ + 1), L':') && right.type == TokWord &&
      !IsPunctuation(TokenAt(cursor_ + 3), L'(')) {
    joined_.assign(word);
    joined_.push_back(L':');
    joined_.append(right.text);
    text = joined_;
    Step();
    Step();
  }
  entry_->references.Add({std::wstring(text), false});
  CellReference reference = ResolveReference(text, false);
  NodePtr node;
  if ((reference.flags & RefInvalid) == 0) {
    auto address = std::make_shared<CSyntaxNodeAddress>(text);
    address->SetReference(std::move(reference));
    node = std::move(address);
  }
  Step();
  return node;
}
