// CWriterFormulaEncoder: a formula as the model holds it (Range.Formula's text without "=")
// turned into the text a .xlsx file stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/xlsx/writer_external_links.h"

namespace spreadsheet {

// What changes between the two forms:
//   - newer functions get their stored prefix: IFNA( becomes _xlfn.IFNA(, FILTER( becomes
//     _xlfn._xlws.FILTER( (the list is in writer_function_names);
//   - names that LET and LAMBDA declare become _xlpm.name, in their declaration and within the
//     call that declares them;
//   - an external book, [Other.xlsx]Sheet!A1 or 'C:\dir\[Other.xlsx]My Sheet'!A1, becomes its
//     number, [1]Sheet!A1 or '[1]My Sheet'!A1, and the book and sheet are noted in the links.
// Strings, quoted sheet names, structured references and array constants are copied as they
// are. Names already carrying a stored prefix (_xlfn., _xlpm., _xll.) are left alone, so text
// read from a file and never changed comes out the same.
//
// Text the scan does not recognise is copied unchanged; encoding never fails. The call stack
// is a vector sized by the text, not recursion.
class CWriterFormulaEncoder {
 public:
  explicit CWriterFormulaEncoder(CWriterExternalLinks& links) : links_(&links) {}

  // `out` is replaced by the stored form of `formula`. Its capacity is reused between calls.
  void Encode(std::wstring_view formula, std::wstring& out);

 private:
  enum class FrameKind : std::uint8_t { Group, Call, Let, Lambda };
  struct Frame {
    FrameKind kind = FrameKind::Group;
    std::int32_t argument = 0;
    std::size_t firstParameter = 0;  // Parameters from here on belong to this call.
  };

  std::size_t CopyString(std::wstring_view formula, std::size_t i, std::wstring& out) const;
  std::size_t CopyBracketed(std::wstring_view formula, std::size_t i, std::wstring& out) const;
  std::size_t CopyArrayConstant(std::wstring_view formula, std::size_t i, std::wstring& out) const;
  std::size_t EncodeQuoted(std::wstring_view formula, std::size_t i, std::wstring& out);
  // An unquoted "[book]Sheet!" at `i`; returns `i` when the bracket is something else.
  std::size_t EncodeExternal(std::wstring_view formula, std::size_t i, std::wstring& out);
  std::size_t EncodeName(std::wstring_view formula, std::size_t i, bool argumentStart,
                         std::wstring& out);
  std::int32_t BookNumber(std::wstring_view folder, std::wstring_view book);
  bool IsParameter(std::wstring_view name) const;

  CWriterExternalLinks* links_;  // Not owned; outlives the encoder.
  std::vector<Frame> frames_;
  std::vector<std::wstring> parameters_;
  FrameKind pendingCall_ = FrameKind::Group;  // The kind of call a following "(" opens.
};

}  // namespace spreadsheet
