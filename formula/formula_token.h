// FormulaToken: one token of a formula text.
#pragma once

#include <cstdint>
#include <string_view>

enum FormulaTokenType : int32_t {
  TokNone = 0,          // past the last token
  TokNumber = 1,        // digits, an optional "." and digits, an optional exponent and "%"
  TokPunctuation = 2,   // ( ) , . : ; { }
  TokOperator = 3,      // % & * + - / ^ and the implicit-intersection prefix @
  TokComparison = 4,    // = < > >= <= <>
  TokWord = 5,          // references, names, table references, function names
  TokTrue = 6,          // TRUE, any case
  TokFalse = 7,         // FALSE, any case
  TokString = 8,        // a string literal with its quotation marks
  TokError = 9,         // an error literal ("#N/A"), or a reference left holding one ("#REF!A1")
  TokIntersection = 10  // the blanks between two operands: Excel's intersection operator
};

// The text points into the formula being parsed and is valid only while that text is.
struct FormulaToken {
  std::wstring_view text;
  FormulaTokenType type = TokNone;

  bool Is(FormulaTokenType kind, wchar_t c) const {
    return type == kind && text.size() == 1 && text.front() == c;
  }
  wchar_t FirstChar() const { return text.empty() ? L'\0' : text.front(); }
};
