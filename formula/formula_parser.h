// CFormulaParser: a formula's direct precedents and its syntax tree, parsed once per formula form
// (the text with relative addresses as offsets from the cell) and replayed for every other cell
// with the same form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formula/address_parser.h"
#include "formula/cell_pos.h"
#include "formula/cell_reference.h"
#include "formula/eval_provider.h"
#include "formula/external_table.h"
#include "formula/formula_form.h"
#include "formula/formula_token.h"
#include "formula/formula_tokenizer.h"
#include "formula/list_object_container.h"
#include "formula/object_with_tracing.h"
#include "formula/parsed_formula.h"
#include "formula/reference_list.h"
#include "formula/sheet_name_by_index.h"
#include "formula/syntax_node.h"
#include "formula/text_compare.h"

// Reads Range.Formula text (English conventions, A1 notation, starting with "="). Tolerant, not
// strict: it never rejects a formula and never reports a syntax error. Text that is no reference
// becomes a reference flagged kRefUnreadable (kept in the list; its node is a constant with the
// text, so that every node's text stays a formula), unknown tokens become constants, and tokens
// after the top-level expression are ignored. Every reference the text names reaches the list:
// both sides of an intersection, every part of a union, both ends of a range.
//
// The shared context (evaluation, address parser, sheet names, tables, external table) is
// borrowed from the dependency container, which outlives the parser.
//
// The memo is keyed by form: "=A1*$H$1" in B1 and "=A2*$H$1" in B2 share one parse. A cell's
// plain addresses are the form's, shifted by the cell's offset from the cell parsed; names,
// table references, external references and unreadable texts are resolved again for the cell,
// and reference-returning calls evaluated again. A formula whose relative addresses are not all
// plain references (a LET parameter "X1", a corner that is a name) is kept under its exact text.
// The trees are owned by the memo: the same tree is returned for every cell of one form, and
// GetRoot gives it with the texts and references of the cell parsed last; the resolved nodes of
// a shared tree describe the cell computed last.
//
// Not thread-safe: one thread at a time, the one that makes the container's Excel calls.
class CFormulaParser : public CObjectWithTracing {
 public:
  CFormulaParser(IEvalProvider* eval, CAddressParser* addressParser,
                 const SheetNameByIndex* sheetNames);
  // A parser with the same shared context and its own tokens, references and memo.
  explicit CFormulaParser(const CFormulaParser& source);
  CFormulaParser& operator=(const CFormulaParser&) = delete;
  ~CFormulaParser() override = default;

  void SetTableContainer(const CListObjectContainer* tables) { tables_ = tables; }
  // Absent until the container is attached to a workbook; external references then get id 0.
  void SetExternalTable(CExternalTable* table) { externalTable_ = table; }

  // Fails only when the text holds no token. An empty text succeeds and leaves the results of
  // the previous parse in place.
  bool Parse(std::wstring_view formula, const CellPos& cell);
  const std::vector<CellReference>& GetReferences() const { return references_.Items(); }
  // The tree of the last parse, or null. A tree shared by a form is brought to the cell parsed
  // last here, so its address nodes show that cell's texts until another cell's GetRoot.
  std::shared_ptr<const ISyntaxNode> GetRoot() const;

  void ClearMemo();
  // Parses kept: one per form, and one per text of the formulas that cannot share.
  size_t MemoSize() const { return memoParses_; }

  // Builds the reference for one reference text in the current cell's context and adds it to
  // the reference list unless it is empty text or an error literal ("#REF!").
  CellReference ResolveReference(std::wstring_view text, bool dynamic);

 private:
  using NodePtr = std::shared_ptr<CSyntaxNode>;

  std::shared_ptr<ParsedFormula> ParseText(std::wstring_view formula, bool anchoring);
  // `shared`: the entry is a form's, whose anchored addresses move with the cell.
  void Replay(const ParsedFormula& entry, bool shared);
  // False when a moving "A:C" spells a defined name in this cell; the text is parsed instead.
  bool FormFitsCell(const ParsedFormula& entry) const;
  void UseEntry(const std::shared_ptr<ParsedFormula>& entry, bool shared);
  // Whether the reference just resolved for [begin, end) of the formula is a plain address
  // whose parts are the scan's, and which moves with the cell; records it when so.
  int32_t Anchor(std::wstring_view text, const CellReference& reference, size_t begin,
                 size_t end);
  static void MoveTree(ParsedFormula& entry, const CellPos& cell);
  size_t OffsetOf(const FormulaToken& token) const {
    return static_cast<size_t>(token.text.data() - formula_.data());
  }
  // The table a word names: by the name before its "[", or, for a bare "[@Qty]", the table
  // that holds the current cell. Null when it names none.
  const TableRecord* TableOf(std::wstring_view word) const;
  CellReference ResolveStructured(std::wstring_view word, const TableRecord& table) const;
  void FillAddressTexts(CSyntaxNode& root, std::vector<const CSyntaxNode*>& callsSeen);
  void ResolveDynamicCalls(ParsedFormula& entry);

  // The grammar (see formula_parser.cpp) runs as a machine over frames_: each frame is one
  // rule waiting at a resume point, so the call stack stays flat however deep the formula nests.
  enum class Rule : uint8_t {
    Expression,
    Concatenation,
    Term,
    Power,
    Unary,
    Operand,
    Primary,
    Call
  };
  struct Frame {
    Rule rule = Rule::Expression;
    uint8_t state = 0;
    bool nested = false;   // the frame holds one level of kMaxNestingDepth
    NodePtr node;          // the node being built (Call: a CSyntaxNodeWithArguments), or the
                           // left operand so far
    NodePtr pending;       // Operand: a ":" node waiting for its right side
    size_t scopeMark = 0;  // Call: parameters_ before the call declared its own
  };

  NodePtr RunGrammar();
  void StepExpression(Frame& frame);
  void StepConcatenation(Frame& frame);
  void StepTerm(Frame& frame);
  void StepPower(Frame& frame);
  void StepUnary(Frame& frame);
  void StepOperand(Frame& frame);
  void StepPrimary(Frame& frame);
  void StepCall(Frame& frame);
  // Frames above top_ are kept for reuse, empty, so that entering a rule allocates nothing.
  void Enter(Rule rule) {
    if (top_ == frames_.size()) frames_.emplace_back();
    Frame& frame = frames_[top_++];
    frame.rule = rule;
    frame.state = 0;
    frame.nested = false;
  }
  void Leave(NodePtr value);
  bool TakePlainOperand(NodePtr& operand);
  NodePtr ParseArrayConstant();
  NodePtr ParseReference();
  bool StartsRange() const;
  void DeclareParameters(std::wstring_view function);
  bool IsParameter(std::wstring_view word) const;

  const FormulaToken& Current() const { return TokenAt(cursor_); }
  const FormulaToken& TokenAt(size_t index) const {
    return index < tokens_.size() ? tokens_[index] : kEnd;
  }
  void Step() {
    if (cursor_ < tokens_.size()) ++cursor_;
  }
  bool EnterNesting();
  void LeaveNesting() { --depth_; }

  static const FormulaToken kEnd;

  IEvalProvider* eval_;
  CAddressParser* addressParser_;
  const SheetNameByIndex* sheetNames_;
  const CListObjectContainer* tables_ = nullptr;
  CExternalTable* externalTable_ = nullptr;

  CFormulaTokenizer tokenizer_;
  std::vector<FormulaToken> tokens_;
  size_t cursor_ = 0;
  int depth_ = 0;
  std::vector<Frame> frames_;
  size_t top_ = 0;  // frames in use
  NodePtr result_;  // what the last rule to finish produced
  CellPos currentCell_;
  CReferenceList references_;
  std::wstring joined_;  // the text of a range joined from three tokens
  // Names that LET and LAMBDA calls around the cursor bind; they point into the formula text.
  std::vector<std::wstring_view> parameters_;
  using Memo =
      std::unordered_map<std::wstring, std::shared_ptr<ParsedFormula>, ExactHash, ExactEqual>;
  // Form to its entry; null for a form whose first text could not share.
  Memo memo_;
  // Exact texts of the formulas that cannot share.
  Memo textMemo_;
  size_t memoParses_ = 0;
  std::wstring form_;
  std::vector<FormAddress> formAddresses_;
  std::vector<uint8_t> formAddressUsed_;  // per address part: read as part of an anchored one
  std::wstring_view formula_;             // the text being parsed, during a parse only
  bool anchoring_ = false;
  bool shareable_ = false;
  ParsedFormula* entry_ = nullptr;  // the entry being built, during a parse only
  NodePtr root_;
  std::shared_ptr<ParsedFormula> rootEntry_;  // when the root is a form's, brought to rootCell_
  CellPos rootCell_;
};
