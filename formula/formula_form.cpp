// The form scan: address parts of a formula text and their offsets from the cell.
#include "formula/formula_form.h"

#include <type_traits>

#include "platform/char_class.h"

namespace {

// Stands for an offset in a form; one in the text itself is written twice.
constexpr wchar_t kFormMark = L'\uFFFF';
// Excel's grid. Names cannot be written like an address inside it, so such a part is an address
// wherever the formula stands; beyond it ("ABCD1", "XFE1") a name may be spelt so.
constexpr int32_t kFormMaxColumn = 16384;
constexpr int32_t kFormMaxRow = 1048576;

// What ends a run of word characters: the tokenizer's word separators, quotes and brackets.
constexpr std::wstring_view kFormRunEnds = L" \n\r\t+-*/(){},;=&<>^:![]%\"'";
struct FormRunEndTable {
  bool ascii[128] = {};
  constexpr FormRunEndTable() {
    for (wchar_t c : kFormRunEnds) ascii[static_cast<size_t>(c)] = true;
  }
};
constexpr FormRunEndTable kFormRunEndTable;

bool EndsFormRun(wchar_t c) {
  const auto code = static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
  return code < 128 ? kFormRunEndTable.ascii[code] : c == kFormMark;
}

bool IsFormLetter(wchar_t c) {
  return c >= L'A' && c <= L'Z';
}

// Whether the run is an address part written as Excel writes one.
bool ReadFormAddress(std::wstring_view run, FormAddress& address) {
  const size_t n = run.size();
  size_t p = 0;
  bool columnDollar = p < n && run[p] == L'$';
  if (columnDollar) ++p;
  int32_t column = 0;
  size_t letters = 0;
  for (; p < n && IsFormLetter(run[p]); ++p) {
    if (++letters > 3) return false;
    column = column * 26 + (run[p] - L'A' + 1);
  }
  bool rowDollar = false;
  if (letters == 0) {
    rowDollar = columnDollar;
    columnDollar = false;
  } else if (p < n && run[p] == L'$') {
    rowDollar = true;
    ++p;
  }
  if (p < n && run[p] == L'0') return false;
  int32_t row = 0;
  size_t digits = 0;
  for (; p < n && IsAsciiDigit(run[p]); ++p) {
    if (++digits > 7) return false;
    row = row * 10 + (run[p] - L'0');
  }
  if (p != n || (letters == 0 && digits == 0) || (digits == 0 && rowDollar)) return false;
  if (column > kFormMaxColumn || row > kFormMaxRow) return false;
  address.kind = letters == 0  ? FormAddressKind::Row
                 : digits == 0 ? FormAddressKind::Column
                               : FormAddressKind::Cell;
  address.columnAbsolute = columnDollar;
  address.rowAbsolute = rowDollar;
  address.column = column;
  address.row = row;
  return true;
}

void AppendFormNumber(std::wstring& out, int64_t number) {
  if (number < 0) {
    out.push_back(L'-');
    number = -number;
  }
  wchar_t digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
    number /= 10;
  } while (number > 0);
  while (count > 0) out.push_back(digits[--count]);
}

void AppendFormOffset(std::wstring& out, wchar_t axis, int64_t offset) {
  out.push_back(kFormMark);
  out.push_back(axis);
  AppendFormNumber(out, offset);
  out.push_back(L';');
}

void AppendFormColumnLetters(std::wstring& out, int32_t column) {
  wchar_t letters[8];
  size_t count = 0;
  for (int32_t c = column; c > 0 && count < 8; c = (c - 1) / 26) {
    letters[count++] = static_cast<wchar_t>(L'A' + (c - 1) % 26);
  }
  while (count > 0) out.push_back(letters[--count]);
}

class CFormScan {
 public:
  CFormScan(std::wstring_view text, const CellPos& cell, std::wstring& form,
            std::vector<FormAddress>& addresses)
      : text_(text), cell_(cell), form_(form), addresses_(addresses) {}

  void Run() {
    const size_t n = text_.size();
    size_t i = 0;
    while (i < n) {
      const wchar_t c = text_[i];
      if (!EndsFormRun(c)) {
        i = TakeRun(i);
      } else if (c == L'"') {
        i = CopyQuoted(i, L'"');
      } else if (c == L'\'') {
        const size_t end = CopyQuoted(i, L'\'');
        for (size_t k = i; k < end && !bracketWord_; ++k) bracketWord_ = text_[k] == L'[';
        i = end;
      } else if (c == L'[') {
        i = CopyBrackets(i);
        bracketWord_ = true;
      } else {
        if (c == kFormMark) form_.push_back(kFormMark);
        form_.push_back(c);
        if (c != L'!' && c != L':' && c != L']') bracketWord_ = false;
        ++i;
      }
    }
  }

 private:
  size_t RunEnd(size_t from) const {
    while (from < text_.size() && !EndsFormRun(text_[from])) ++from;
    return from;
  }

  // A run that stands where a reference can: not a function's or sheet's name, not glued to
  // quotes or brackets, not part of a workbook reference.
  bool StandsAlone(size_t begin, size_t end) const {
    if (bracketWord_) return false;
    if (begin > 0) {
      const wchar_t before = text_[begin - 1];
      if (before == L']' || before == L'\'' || before == L'"') return false;
    }
    if (end >= text_.size()) return true;
    const wchar_t after = text_[end];
    if (after == L'(' || after == L'!' || after == L'[' || after == L'\'' || after == L'"') {
      return false;
    }
    if (after != L':') return true;
    // "Q1:Q4!A1" spans sheets.
    const size_t next = end + 1;
    if (next < text_.size() && text_[next] == L'\'') return false;
    const size_t nextEnd = RunEnd(next);
    return nextEnd >= text_.size() || text_[nextEnd] != L'!';
  }

  // The run after `end`'s ":" as an address part of the same kind that stands alone.
  bool PairsWith(size_t end, FormAddressKind kind) const {
    if (end >= text_.size() || text_[end] != L':') return false;
    const size_t next = end + 1;
    const size_t nextEnd = RunEnd(next);
    FormAddress other;
    return nextEnd > next && ReadFormAddress(text_.substr(next, nextEnd - next), other) &&
           other.kind == kind && StandsAlone(next, nextEnd);
  }

  size_t TakeRun(size_t begin) {
    const size_t end = RunEnd(begin);
    FormAddress address;
    bool taken =
        ReadFormAddress(text_.substr(begin, end - begin), address) && StandsAlone(begin, end);
    if (taken && address.kind != FormAddressKind::Cell) {
      // A whole column or row is written as a pair: "A:C", "$1:$3".
      const bool second = pairedUpTo_ == begin && pairedKind_ == address.kind;
      const bool first = !second && PairsWith(end, address.kind);
      taken = first || second;
      if (first) {
        pairedUpTo_ = end + 1;
        pairedKind_ = address.kind;
      }
    }
    if (!taken) {
      for (size_t k = begin; k < end; ++k) form_.push_back(text_[k]);
      return end;
    }
    address.begin = static_cast<uint32_t>(begin);
    address.end = static_cast<uint32_t>(end);
    addresses_.push_back(address);
    if (address.kind != FormAddressKind::Row) {
      if (address.columnAbsolute) {
        form_.push_back(L'$');
        AppendFormColumnLetters(form_, address.column);
      } else {
        AppendFormOffset(form_, L'c', int64_t{address.column} - cell_.column);
      }
    }
    if (address.kind != FormAddressKind::Column) {
      if (address.rowAbsolute) {
        form_.push_back(L'$');
        AppendFormNumber(form_, address.row);
      } else {
        AppendFormOffset(form_, L'r', int64_t{address.row} - cell_.row);
      }
    }
    return end;
  }

  // A string or a quoted sheet name, doubled quotes inside; an unterminated one runs to the end.
  size_t CopyQuoted(size_t begin, wchar_t quote) {
    size_t i = begin + 1;
    while (i < text_.size()) {
      if (text_[i] == quote) {
        if (i + 1 < text_.size() && text_[i + 1] == quote) {
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      ++i;
    }
    CopyVerbatim(begin, i);
    return i;
  }

  // Table and workbook brackets, nested, with the table escape "'" before a literal character.
  size_t CopyBrackets(size_t begin) {
    size_t i = begin;
    int depth = 0;
    while (i < text_.size()) {
      const wchar_t c = text_[i++];
      if (c == L'\'' && depth > 0) {
        if (i < text_.size()) ++i;
      } else if (c == L'[') {
        ++depth;
      } else if (c == L']' && --depth == 0) {
        break;
      }
    }
    CopyVerbatim(begin, i);
    return i;
  }

  void CopyVerbatim(size_t begin, size_t end) {
    for (size_t k = begin; k < end; ++k) {
      if (text_[k] == kFormMark) form_.push_back(kFormMark);
      form_.push_back(text_[k]);
    }
  }

  std::wstring_view text_;
  const CellPos& cell_;
  std::wstring& form_;
  std::vector<FormAddress>& addresses_;
  bool bracketWord_ = false;  // the word holds a table's or workbook's brackets
  size_t pairedUpTo_ = static_cast<size_t>(-1);
  FormAddressKind pairedKind_ = FormAddressKind::Cell;
};

}  // namespace

void BuildFormulaForm(std::wstring_view text, const CellPos& cell, std::wstring& form,
                      std::vector<FormAddress>& addresses) {
  form.clear();
  addresses.clear();
  CFormScan(text, cell, form, addresses).Run();
}

void AppendFormAddress(std::wstring& out, FormAddressKind kind, bool columnAbsolute,
                       bool rowAbsolute, int32_t column, int32_t row) {
  if (kind != FormAddressKind::Row) {
    if (columnAbsolute) out.push_back(L'$');
    AppendFormColumnLetters(out, column);
  }
  if (kind != FormAddressKind::Column) {
    if (rowAbsolute) out.push_back(L'$');
    AppendFormNumber(out, row);
  }
}
