// The stored form of formulas: function prefixes, LET and LAMBDA names, external book numbers.
#include "spreadsheet/xlsx/writer_formula_encoder.h"

#include "platform/char_class.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/writer_function_names.h"

namespace spreadsheet {
namespace {

constexpr std::wstring_view kParameterPrefix = L"_xlpm.";
// Book numbers past this are not numbers a file uses ("[1234567]" is read as a book name).
constexpr std::size_t kMaxBookNumberDigits = 6;

bool IsNameStart(wchar_t c) {
  return IsAsciiLetter(c) || c == L'_' || c == L'\\' || c >= 0x80;
}
bool IsNameChar(wchar_t c) {
  return IsNameStart(c) || IsAsciiDigit(c) || c == L'.' || c == L'?';
}
bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// _xlfn., _xlpm., _xlws., _xll.: a prefix a file stores, so the name is already in stored form.
bool HasStoredPrefix(std::wstring_view name) {
  return name.size() > 4 && name[0] == L'_' && (name[1] == L'x' || name[1] == L'X') &&
         (name[2] == L'l' || name[2] == L'L') && name.find(L'.') != std::wstring_view::npos;
}

std::wstring_view WithoutStoredPrefixes(std::wstring_view name) {
  while (HasStoredPrefix(name)) name.remove_prefix(name.find(L'.') + 1);
  return name;
}

void AppendQuotedContent(std::wstring& out, std::wstring_view text) {
  for (const wchar_t c : text) {
    out += c;
    if (c == L'\'') out += L'\'';
  }
}

}  // namespace

void CWriterFormulaEncoder::Encode(std::wstring_view formula, std::wstring& out) {
  out.clear();
  frames_.clear();
  parameters_.clear();
  pendingCall_ = FrameKind::Group;
  bool argumentStart = false;  // Only white space since the last "(" or "," of a call.
  std::size_t i = 0;
  const std::size_t n = formula.size();
  while (i < n) {
    const wchar_t c = formula[i];
    if (IsSpace(c)) {
      out += c;
      ++i;
      continue;
    }
    const bool atArgumentStart = argumentStart;
    argumentStart = false;
    if (c == L'"') {
      i = CopyString(formula, i, out);
    } else if (c == L'\'') {
      i = EncodeQuoted(formula, i, out);
    } else if (c == L'[') {
      // After a name or a closing bracket it continues a structured reference (Table1[Col]).
      const bool continues = i > 0 && (IsNameChar(formula[i - 1]) || formula[i - 1] == L']');
      std::size_t next = continues ? i : EncodeExternal(formula, i, out);
      if (next == i) next = CopyBracketed(formula, i, out);
      i = next;
    } else if (c == L'{') {
      i = CopyArrayConstant(formula, i, out);
    } else if (c == L'#') {
      // An error literal such as #N/A or #DIV/0!: its letters are no names.
      out += c;
      for (++i; i < n && (IsNameChar(formula[i]) || formula[i] == L'/' || formula[i] == L'!');) {
        out += formula[i++];
      }
    } else if (c == L'(') {
      frames_.push_back(Frame{pendingCall_, 0, parameters_.size()});
      argumentStart = pendingCall_ != FrameKind::Group;
      pendingCall_ = FrameKind::Group;
      out += c;
      ++i;
    } else if (c == L')') {
      if (!frames_.empty()) {
        parameters_.resize(frames_.back().firstParameter);
        frames_.pop_back();
      }
      out += c;
      ++i;
    } else if (c == L',') {
      if (!frames_.empty() && frames_.back().kind != FrameKind::Group) {
        ++frames_.back().argument;
        argumentStart = true;
      }
      out += c;
      ++i;
    } else if (IsAsciiDigit(c)) {
      // Numbers ("1.5E", then "+3") and row references; never names.
      while (i < n && IsNameChar(formula[i])) out += formula[i++];
    } else if (IsNameStart(c)) {
      i = EncodeName(formula, i, atArgumentStart, out);
    } else {
      out += c;
      ++i;
    }
  }
}

std::size_t CWriterFormulaEncoder::CopyString(std::wstring_view formula, std::size_t i,
                                              std::wstring& out) const {
  std::size_t j = i + 1;
  while (j < formula.size()) {
    if (formula[j] == L'"') {
      if (j + 1 < formula.size() && formula[j + 1] == L'"') {
        j += 2;
        continue;
      }
      ++j;
      break;
    }
    ++j;
  }
  out.append(formula.substr(i, j - i));
  return j;
}

std::size_t CWriterFormulaEncoder::CopyBracketed(std::wstring_view formula, std::size_t i,
                                                 std::wstring& out) const {
  std::size_t depth = 0;
  std::size_t j = i;
  while (j < formula.size()) {
    const wchar_t c = formula[j];
    if (c == L'\'' && j + 1 < formula.size()) {  // Escapes the next character of a column name.
      j += 2;
      continue;
    }
    ++j;
    if (c == L'[') {
      ++depth;
    } else if (c == L']' && --depth == 0) {
      break;
    }
  }
  out.append(formula.substr(i, j - i));
  return j;
}

std::size_t CWriterFormulaEncoder::CopyArrayConstant(std::wstring_view formula, std::size_t i,
                                                     std::wstring& out) const {
  std::size_t j = i + 1;
  while (j < formula.size() && formula[j] != L'}') {
    if (formula[j] == L'"') {
      std::wstring ignored;
      j = CopyString(formula, j, ignored);
    } else {
      ++j;
    }
  }
  if (j < formula.size()) ++j;
  out.append(formula.substr(i, j - i));
  return j;
}

std::int32_t CWriterFormulaEncoder::BookNumber(std::wstring_view folder, std::wstring_view book) {
  if (book.empty()) return 0;
  if (folder.empty() && book.size() <= kMaxBookNumberDigits) {
    bool digits = true;
    std::int32_t number = 0;
    for (const wchar_t c : book) {
      digits = digits && IsAsciiDigit(c);
      number = number * 10 + (c - L'0');
    }
    // Already a number: it is the model's (and so the file's) number of the book.
    if (digits) return links_->Has(number) ? number : 0;
  }
  return links_->Find(folder, book);
}

std::size_t CWriterFormulaEncoder::EncodeQuoted(std::wstring_view formula, std::size_t i,
                                                std::wstring& out) {
  std::wstring text;  // The name with its doubled quotes undone.
  std::size_t j = i + 1;
  bool closed = false;
  while (j < formula.size()) {
    if (formula[j] == L'\'') {
      if (j + 1 < formula.size() && formula[j + 1] == L'\'') {
        text += L'\'';
        j += 2;
        continue;
      }
      closed = true;
      ++j;
      break;
    }
    text += formula[j++];
  }
  const auto open = text.find(L'[');
  const auto close = open == std::wstring::npos ? open : text.find(L']', open);
  if (closed && close != std::wstring::npos && j < formula.size() && formula[j] == L'!') {
    const std::wstring_view view(text);
    const std::int32_t number =
        BookNumber(view.substr(0, open), view.substr(open + 1, close - open - 1));
    if (number > 0) {
      const std::wstring_view sheets = view.substr(close + 1);
      out += L"'[";
      out += std::to_wstring(number);
      out += L']';
      AppendQuotedContent(out, sheets);
      out += L'\'';
      const auto colon = sheets.find(L':');
      links_->NoteSheet(number, sheets.substr(0, colon));
      if (colon != std::wstring_view::npos) links_->NoteSheet(number, sheets.substr(colon + 1));
      return j;
    }
  }
  out.append(formula.substr(i, j - i));
  return j;
}

std::size_t CWriterFormulaEncoder::EncodeExternal(std::wstring_view formula, std::size_t i,
                                                  std::wstring& out) {
  const auto close = formula.find(L']', i + 1);
  if (close == std::wstring_view::npos) return i;
  const std::wstring_view book = formula.substr(i + 1, close - i - 1);
  if (book.find(L'[') != std::wstring_view::npos) return i;
  std::size_t k = close + 1;
  while (k < formula.size() && (IsNameChar(formula[k]) || formula[k] == L':')) ++k;
  if (k >= formula.size() || formula[k] != L'!') return i;
  const std::int32_t number = BookNumber({}, book);
  if (number == 0) return i;
  const std::wstring_view sheets = formula.substr(close + 1, k - close - 1);
  out += L'[';
  out += std::to_wstring(number);
  out += L']';
  out.append(sheets);
  const auto colon = sheets.find(L':');
  links_->NoteSheet(number, sheets.substr(0, colon));
  if (colon != std::wstring_view::npos) links_->NoteSheet(number, sheets.substr(colon + 1));
  return k;
}

bool CWriterFormulaEncoder::IsParameter(std::wstring_view name) const {
  for (const std::wstring& parameter : parameters_) {
    if (SameIdentifier(parameter, name)) return true;
  }
  return false;
}

std::size_t CWriterFormulaEncoder::EncodeName(std::wstring_view formula, std::size_t i,
                                              bool argumentStart, std::wstring& out) {
  std::size_t j = i;
  while (j < formula.size() && IsNameChar(formula[j])) ++j;
  const std::wstring_view name = formula.substr(i, j - i);
  const wchar_t next = j < formula.size() ? formula[j] : L'\0';
  const wchar_t previous = out.empty() ? L'\0' : out.back();
  const bool stored = HasStoredPrefix(name);

  if (next == L'(') {
    if (!stored && IsParameter(name)) {  // A name LET bound to a LAMBDA, called.
      out += kParameterPrefix;
    } else if (!stored) {
      out += FunctionPrefix(name);
    }
    const std::wstring_view base = WithoutStoredPrefixes(name);
    pendingCall_ = SameIdentifier(base, L"LET")      ? FrameKind::Let
                   : SameIdentifier(base, L"LAMBDA") ? FrameKind::Lambda
                                                     : FrameKind::Call;
    out.append(name);
    return j;
  }
  // Sheet names, names qualified by a sheet and parts of $A$1 references are no parameters.
  if (stored || next == L'!' || next == L'$' || previous == L'!' || previous == L'$') {
    out.append(name);
    return j;
  }
  bool declares = false;
  if (argumentStart && !frames_.empty()) {
    const Frame& frame = frames_.back();
    std::size_t k = j;
    while (k < formula.size() && IsSpace(formula[k])) ++k;
    const bool alone = k < formula.size() && formula[k] == L',';
    declares = alone && (frame.kind == FrameKind::Lambda ||
                         (frame.kind == FrameKind::Let && frame.argument % 2 == 0));
  }
  if (declares) {
    parameters_.emplace_back(name);
    out += kParameterPrefix;
  } else if (IsParameter(name)) {
    out += kParameterPrefix;
  }
  out.append(name);
  return j;
}

}  // namespace spreadsheet
