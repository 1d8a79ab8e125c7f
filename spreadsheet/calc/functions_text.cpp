// Worksheet functions: text. Lengths and positions count wide characters. Excel keeps at most
// 32767 characters in a text value, so a longer result is #VALUE!.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/char_class.h"
#include "platform/text_case.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/calc/number_format.h"
#include "spreadsheet/calc/number_format_cache.h"

namespace spreadsheet {
namespace {

constexpr std::size_t kMaxTextLength = 32767;
// Counts and positions beyond any text's length behave alike; larger ones are clamped to this.
constexpr double kCountLimit = 1 << 30;

EvalValue TextResult(std::wstring text) {
  if (text.size() > kMaxTextLength) return EvalValue::Error(ErrorCode::Value);
  return EvalValue::Text(std::move(text));
}

EvalValue ValueError() {
  return EvalValue::Error(ErrorCode::Value);
}

// A count or position: truncated toward zero; below `minimum` is #VALUE!.
std::optional<EvalValue> GetCount(const EvalValue& value, double minimum, std::size_t& out) {
  double number = 0.0;
  if (auto error = GetNumber(value, number)) return error;
  number = std::trunc(number);
  if (number < minimum) return ValueError();
  out = static_cast<std::size_t>(std::min(number, kCountLimit));
  return std::nullopt;
}

// An optional count or position argument.
std::optional<EvalValue> GetOptionalCount(std::span<const EvalValue> args, std::size_t index,
                                          double minimum, std::size_t fallback, std::size_t& out) {
  out = fallback;
  if (args.size() <= index) return std::nullopt;
  return GetCount(args[index], minimum, out);
}

// Text of every argument, or the first error among them.
std::optional<EvalValue> GetTexts(std::span<const EvalValue> args, std::span<std::wstring> out) {
  if (const EvalValue* error = FirstError(args)) return *error;
  for (std::size_t i = 0; i < out.size() && i < args.size(); ++i) {
    if (auto error = GetText(args[i], out[i])) return error;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// ---------------------------------------------------------------------------------------------
// Windows-1252, the code page of CHAR and CODE.

// Characters of the bytes 0x80-0x9F; the five bytes the code page leaves out stand for the
// control characters of the same number, as Windows maps them.
constexpr std::array<char16_t, 32> kHighBytes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

wchar_t CharacterOfByte(std::uint32_t code) {
  if (code >= 0x80 && code <= 0x9F) return static_cast<wchar_t>(kHighBytes[code - 0x80]);
  return static_cast<wchar_t>(code);
}

std::uint32_t ByteOfCharacter(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return code;
  for (std::uint32_t i = 0; i < kHighBytes.size(); ++i) {
    if (kHighBytes[i] == code) return 0x80 + i;
  }
  return '?';
}

// ---------------------------------------------------------------------------------------------
// Formatting: TEXT, FIXED, DOLLAR.

CNumberFormatCache& FormatCache() {
  static CNumberFormatCache cache;
  return cache;
}

// Text goes through the code's text section: numeric text is read as a number first, and other
// text (Booleans too) is kept, but a code Excel would refuse still fails.
EvalValue Text(std::span<const EvalValue> args, CFunctionContext& context) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring code;
  if (auto error = GetText(args[1], code)) return *error;
  const EvalValue& value = args[0];
  double number = 0.0;
  const bool asText = value.IsBoolean() || (value.IsText() && GetNumber(value, number));
  if (asText) {
    std::wstring text;
    GetText(value, text);
    const auto format = FormatCache().Find(code);
    if (!format->IsValid()) return ValueError();
    return TextResult(format->FormatText(text));
  }
  if (auto error = GetNumber(value, number)) return *error;
  // An empty code shows no digits, only the sign of a negative number (a cell would show
  // General instead).
  if (code.empty()) return EvalValue::Text(number < 0 ? L"-" : L"");
  auto shown = FormatNumber(number, code, context.Date1904());
  if (!shown) return ValueError();
  return TextResult(std::move(*shown));
}

// Excel's rounding to a number of decimals, negative ones rounding to tens, hundreds and so on.
double RoundToDecimals(double value, std::int64_t decimals) {
  if (decimals >= 0) return value;
  if (decimals < -308) return 0.0;
  const double scale = std::pow(10.0, static_cast<double>(-decimals));
  return std::round(value / scale) * scale;
}

// The decimals argument of FIXED and DOLLAR: 2 by default, at most 127.
std::optional<EvalValue> GetDecimals(std::span<const EvalValue> args, std::int64_t& decimals) {
  decimals = 2;
  if (args.size() < 2) return std::nullopt;
  double number = 0.0;
  if (auto error = GetNumber(args[1], number)) return error;
  number = std::trunc(number);
  if (number > 127) return ValueError();
  decimals = static_cast<std::int64_t>(std::max(number, -400.0));
  return std::nullopt;
}

std::wstring DecimalsCode(std::int64_t decimals) {
  if (decimals <= 0) return std::wstring();
  return L"." + std::wstring(static_cast<std::size_t>(decimals), L'0');
}

EvalValue Fixed(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  double value = 0.0;
  if (auto error = GetNumber(args[0], value)) return *error;
  std::int64_t decimals = 2;
  if (auto error = GetDecimals(args, decimals)) return *error;
  bool noCommas = false;
  if (args.size() > 2) {
    if (auto error = GetBoolean(args[2], noCommas)) return *error;
  }
  const std::wstring code = (noCommas ? L"0" : L"#,##0") + DecimalsCode(decimals);
  auto shown = FormatNumber(RoundToDecimals(value, decimals), code, false);
  if (!shown) return ValueError();
  return TextResult(std::move(*shown));
}

// en-US currency: a dollar sign, thousands separators and negatives in parentheses.
EvalValue Dollar(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  double value = 0.0;
  if (auto error = GetNumber(args[0], value)) return *error;
  std::int64_t decimals = 2;
  if (auto error = GetDecimals(args, decimals)) return *error;
  const std::wstring section = L"$#,##0" + DecimalsCode(decimals);
  auto shown =
      FormatNumber(RoundToDecimals(value, decimals), section + L";(" + section + L")", false);
  if (!shown) return ValueError();
  return TextResult(std::move(*shown));
}

// ---------------------------------------------------------------------------------------------
// Joining.

EvalValue T(std::span<const EvalValue> args, CFunctionContext&) {
  const EvalValue& value = args[0];
  if (value.IsError() || value.IsText()) return value;
  return EvalValue::Text(L"");
}

EvalValue Concatenate(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring joined;
  for (const EvalValue& arg : args) {
    std::wstring text;
    if (auto error = GetText(arg, text)) return *error;
    joined += text;
    if (joined.size() > kMaxTextLength) return ValueError();
  }
  return TextResult(std::move(joined));
}

EvalValue Concat(std::span<const EvalValue> args, CFunctionContext& context) {
  std::wstring joined;
  std::optional<EvalValue> error;
  for (const EvalValue& arg : args) {
    ForEachValue(arg, context, [&](const EvalValue& value, ValueSource) {
      std::wstring text;
      if (auto bad = GetText(value, text)) {
        error = *bad;
        return false;
      }
      joined += text;
      if (joined.size() > kMaxTextLength) error = ValueError();
      return !error;
    });
    if (error) return *error;
  }
  return TextResult(std::move(joined));
}

// Every value of an argument in order, blank cells included (as Empty): TEXTJOIN keeps the
// delimiters of blanks unless told to ignore empty values. Stops early when visit says so.
template <class Visit>
bool ForEachValueWithBlanks(const EvalValue& arg, CFunctionContext& context, Visit&& visit) {
  if (!arg.IsReference()) return ForEachValue(arg, context, visit);
  for (const Area& area : arg.AsAreas()) {
    const std::optional<CellRect> used = context.UsedPart(area);
    for (std::int32_t row = area.rect.first.row; row <= area.rect.last.row; ++row) {
      for (std::int32_t column = area.rect.first.column; column <= area.rect.last.column;
           ++column) {
        const CellCoord cell{row, column};
        const EvalValue value =
            used && used->Contains(cell) ? context.CellValueAt(area, cell) : EvalValue();
        if (!visit(value, ValueSource::Reference)) return false;
      }
    }
  }
  return true;
}

// The delimiters of TEXTJOIN: one value, or the values of a range or array used in turn.
std::optional<EvalValue> GetDelimiters(const EvalValue& arg, CFunctionContext& context,
                                       std::vector<std::wstring>& out) {
  ValueArray values;
  if (auto error = GetArray(arg, context, values)) return error;
  for (const EvalValue& value : values.cells) {
    out.emplace_back();
    if (auto error = GetText(value, out.back())) return error;
  }
  return std::nullopt;
}

EvalValue TextJoin(std::span<const EvalValue> args, CFunctionContext& context) {
  std::vector<std::wstring> delimiters;
  if (auto error = GetDelimiters(args[0], context, delimiters)) return *error;
  bool ignoreEmpty = false;
  if (auto error = GetBoolean(args[1], ignoreEmpty)) return *error;
  bool anyDelimiter = false;
  for (const std::wstring& delimiter : delimiters) anyDelimiter |= !delimiter.empty();
  // Blanks only add delimiters; that bounds how many cells a result within the limit can have.
  const bool keepBlanks = !ignoreEmpty && anyDelimiter;
  const std::size_t maxCells = (kMaxTextLength + 2) * delimiters.size();

  std::wstring joined;
  std::size_t count = 0;
  std::optional<EvalValue> error;
  const auto add = [&](const EvalValue& value, ValueSource) {
    std::wstring text;
    if (auto bad = GetText(value, text)) {
      error = *bad;
      return false;
    }
    if (ignoreEmpty && text.empty()) return true;
    if (count > 0) joined += delimiters[(count - 1) % delimiters.size()];
    ++count;
    joined += text;
    if (joined.size() > kMaxTextLength || count > maxCells) error = ValueError();
    return !error;
  };
  for (const EvalValue& arg : args.subspan(2)) {
    if (keepBlanks) {
      ForEachValueWithBlanks(arg, context, add);
    } else {
      ForEachValue(arg, context, add);
    }
    if (error) return *error;
  }
  return TextResult(std::move(joined));
}

// ---------------------------------------------------------------------------------------------
// Pieces of text.

EvalValue Len(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  return EvalValue::Number(static_cast<double>(text.size()));
}

EvalValue Left(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::size_t count = 1;
  if (auto error = GetOptionalCount(args, 1, 0, 1, count)) return *error;
  return EvalValue::Text(text.substr(0, count));
}

EvalValue Right(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::size_t count = 1;
  if (auto error = GetOptionalCount(args, 1, 0, 1, count)) return *error;
  if (count >= text.size()) return EvalValue::Text(std::move(text));
  return EvalValue::Text(text.substr(text.size() - count));
}

EvalValue Mid(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::size_t start = 1;
  std::size_t count = 0;
  if (auto error = GetCount(args[1], 1, start)) return *error;
  if (auto error = GetCount(args[2], 0, count)) return *error;
  if (start > text.size()) return EvalValue::Text(L"");
  return EvalValue::Text(text.substr(start - 1, count));
}

EvalValue Replace(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring text;
  std::wstring insert;
  if (auto error = GetText(args[0], text)) return *error;
  std::size_t start = 1;
  std::size_t count = 0;
  if (auto error = GetCount(args[1], 1, start)) return *error;
  if (auto error = GetCount(args[2], 0, count)) return *error;
  if (auto error = GetText(args[3], insert)) return *error;
  const std::size_t from = std::min(start - 1, text.size());
  const std::size_t to = std::min(from + count, text.size());
  return TextResult(text.substr(0, from) + insert + text.substr(to));
}

EvalValue Rept(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::size_t times = 0;
  if (auto error = GetCount(args[1], 0, times)) return *error;
  if (text.empty()) return EvalValue::Text(L"");
  if (times > kMaxTextLength / text.size()) return ValueError();
  std::wstring repeated;
  repeated.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) repeated += text;
  return EvalValue::Text(std::move(repeated));
}

// ---------------------------------------------------------------------------------------------
// Finding.

// The start position of FIND and SEARCH: from 1 to one past the text (where only "" is found).
std::optional<EvalValue> GetStart(std::span<const EvalValue> args, std::size_t length,
                                  std::size_t& start) {
  if (auto error = GetOptionalCount(args, 2, 1, 1, start)) return error;
  if (start > length + 1) return ValueError();
  return std::nullopt;
}

EvalValue Find(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring texts[2];
  if (auto error = GetTexts(args, texts)) return *error;
  const std::wstring& needle = texts[0];
  const std::wstring& haystack = texts[1];
  std::size_t start = 1;
  if (auto error = GetStart(args, haystack.size(), start)) return *error;
  const std::size_t found = haystack.find(needle, start - 1);
  if (found == std::wstring::npos) return ValueError();
  return EvalValue::Number(static_cast<double>(found + 1));
}

// A SEARCH pattern: '?' one character, '*' any run, '~' makes the next of the three literal.
struct PatternItem {
  enum class Kind : std::uint8_t { Literal, One, Any };
  Kind kind = Kind::Literal;
  wchar_t character = 0;  // Lower case.
};

std::vector<PatternItem> ReadPattern(std::wstring_view pattern) {
  std::vector<PatternItem> items;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t c = pattern[i];
    if (c == L'~' && i + 1 < pattern.size() &&
        (pattern[i + 1] == L'?' || pattern[i + 1] == L'*' || pattern[i + 1] == L'~')) {
      items.push_back({PatternItem::Kind::Literal, pattern[++i]});
    } else if (c == L'?') {
      items.push_back({PatternItem::Kind::One, 0});
    } else if (c == L'*') {
      // Runs of '*' match what one does.
      if (items.empty() || items.back().kind != PatternItem::Kind::Any) {
        items.push_back({PatternItem::Kind::Any, 0});
      }
    } else {
      items.push_back({PatternItem::Kind::Literal, c});
    }
  }
  return items;
}

enum class MatchResult : std::uint8_t { Match, NotHere, NowhereLater };

// Whether the pattern matches text from `start` on, needing only a prefix of the rest. Backs
// up to the last '*' only (the classic iterative glob), so it runs without recursion. Once past
// a '*', failing here means failing at every later start too: the part before the first '*' has
// a fixed length, so later starts leave the rest less text to be found in.
MatchResult MatchAt(std::span<const PatternItem> pattern, std::wstring_view text,
                    std::size_t start) {
  std::size_t t = start;
  std::size_t p = 0;
  std::size_t starP = std::wstring_view::npos;
  std::size_t starT = 0;
  while (p < pattern.size()) {
    const PatternItem& item = pattern[p];
    if (item.kind == PatternItem::Kind::Any) {
      if (p + 1 == pattern.size()) return MatchResult::Match;
      starP = p++;
      starT = t;
      continue;
    }
    if (t < text.size() && (item.kind == PatternItem::Kind::One || item.character == text[t])) {
      ++p;
      ++t;
      continue;
    }
    if (starP == std::wstring_view::npos) return MatchResult::NotHere;
    if (starT >= text.size()) return MatchResult::NowhereLater;
    p = starP + 1;
    t = ++starT;
  }
  return MatchResult::Match;
}

EvalValue Search(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring texts[2];
  if (auto error = GetTexts(args, texts)) return *error;
  const std::vector<PatternItem> pattern = ReadPattern(LowerCase(texts[0]));
  const std::wstring haystack = LowerCase(texts[1]);
  std::size_t start = 1;
  if (auto error = GetStart(args, haystack.size(), start)) return *error;
  for (std::size_t at = start - 1; at <= haystack.size(); ++at) {
    const MatchResult result = MatchAt(pattern, haystack, at);
    if (result == MatchResult::Match) return EvalValue::Number(static_cast<double>(at + 1));
    if (result == MatchResult::NowhereLater) break;
  }
  return ValueError();
}

EvalValue Substitute(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring texts[3];
  if (auto error = GetTexts(args, texts)) return *error;
  const std::wstring& text = texts[0];
  const std::wstring& old = texts[1];
  const std::wstring& replacement = texts[2];
  std::size_t instance = 0;  // 0: every one.
  if (args.size() > 3) {
    if (auto error = GetCount(args[3], 1, instance)) return *error;
  }
  if (old.empty()) return EvalValue::Text(text);
  std::wstring result;
  std::size_t from = 0;
  std::size_t seen = 0;
  for (std::size_t found = text.find(old); found != std::wstring::npos;
       found = text.find(old, from)) {
    ++seen;
    if (instance == 0 || seen == instance) {
      result.append(text, from, found - from);
      result += replacement;
      from = found + old.size();
      if (result.size() > kMaxTextLength) return ValueError();
      if (instance != 0) break;
    } else {
      result.append(text, from, found + old.size() - from);
      from = found + old.size();
    }
  }
  result.append(text, from);
  return TextResult(std::move(result));
}

// ---------------------------------------------------------------------------------------------
// Cleaning and case.

EvalValue Trim(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  // Only the ASCII space: Excel keeps non-breaking spaces and tabs.
  std::wstring trimmed;
  for (const wchar_t c : text) {
    if (c == L' ' && (trimmed.empty() || trimmed.back() == L' ')) continue;
    trimmed += c;
  }
  if (!trimmed.empty() && trimmed.back() == L' ') trimmed.pop_back();
  return EvalValue::Text(std::move(trimmed));
}

EvalValue Clean(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::wstring cleaned;
  for (const wchar_t c : text) {
    if (static_cast<std::uint32_t>(c) >= 32) cleaned += c;
  }
  return EvalValue::Text(std::move(cleaned));
}

EvalValue Upper(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  return EvalValue::Text(UpperCase(text));
}

EvalValue Lower(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  return EvalValue::Text(LowerCase(text));
}

// A letter after anything but a letter starts a word ("2-way" -> "2-Way", "it's" -> "It'S").
EvalValue Proper(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  // A letter is what has case; both forms come from the one case mapping of the platform.
  const std::wstring lower = LowerCase(text);
  const std::wstring upper = UpperCase(text);
  if (lower.size() != text.size() || upper.size() != text.size()) return EvalValue::Text(text);
  bool afterLetter = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool letter = lower[i] != upper[i];
    if (letter) text[i] = afterLetter ? lower[i] : upper[i];
    afterLetter = letter;
  }
  return EvalValue::Text(std::move(text));
}

EvalValue Exact(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring texts[2];
  if (auto error = GetTexts(args, texts)) return *error;
  return EvalValue::Boolean(texts[0] == texts[1]);
}

// ---------------------------------------------------------------------------------------------
// Character codes.

EvalValue Char(std::span<const EvalValue> args, CFunctionContext&) {
  double number = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  number = std::trunc(number);
  if (number < 1 || number > 255) return ValueError();
  return EvalValue::Text(std::wstring(1, CharacterOfByte(static_cast<std::uint32_t>(number))));
}

EvalValue Code(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  if (text.empty()) return ValueError();
  return EvalValue::Number(ByteOfCharacter(text.front()));
}

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

EvalValue Unichar(std::span<const EvalValue> args, CFunctionContext&) {
  double number = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  number = std::trunc(number);
  if (number < 1 || number > 0x10FFFF) return ValueError();
  const auto code = static_cast<std::uint32_t>(number);
  if (code >= 0xD800 && code <= 0xDFFF) return EvalValue::Error(ErrorCode::NA);
  std::wstring text;
  if (kWideIsUtf16 && code > 0xFFFF) {
    text += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
    text += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
  } else {
    text += static_cast<wchar_t>(code);
  }
  return EvalValue::Text(std::move(text));
}

EvalValue Unicode(std::span<const EvalValue> args, CFunctionContext&) {
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  if (text.empty()) return ValueError();
  auto code = static_cast<std::uint32_t>(text[0]);
  if (kWideIsUtf16 && code >= 0xD800 && code <= 0xDBFF && text.size() > 1) {
    const auto low = static_cast<std::uint32_t>(text[1]);
    if (low >= 0xDC00 && low <= 0xDFFF) code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
  }
  return EvalValue::Number(code);
}

// ---------------------------------------------------------------------------------------------
// TEXTBEFORE and TEXTAFTER.

struct Split {
  std::size_t before = 0;  // Where the delimiter found starts ...
  std::size_t after = 0;   // ... and ends.
};

// The instance-th delimiter from the start (or from the end when negative), any of several
// counting. At each place the first delimiter of the list that fits is taken.
std::optional<Split> FindDelimiter(std::wstring_view text,
                                   const std::vector<std::wstring>& delimiters,
                                   std::int64_t instance, bool matchEnd) {
  std::int64_t found = 0;
  const std::int64_t wanted = instance > 0 ? instance : -instance;
  if (instance > 0) {
    std::size_t from = 0;
    while (from <= text.size()) {
      std::optional<Split> best;
      for (const std::wstring& delimiter : delimiters) {
        const std::size_t at = text.find(delimiter, from);
        if (at != std::wstring_view::npos && (!best || at < best->before)) {
          best = Split{at, at + delimiter.size()};
        }
      }
      if (!best) break;
      if (++found == wanted) return best;
      // An empty delimiter matches everywhere: move on one character.
      from = best->after > best->before ? best->after : best->after + 1;
    }
    if (matchEnd && found + 1 == wanted) return Split{text.size(), text.size()};
    return std::nullopt;
  }
  std::size_t end = text.size();  // Delimiters must end by here.
  while (true) {
    std::optional<Split> best;
    for (const std::wstring& delimiter : delimiters) {
      if (delimiter.size() > end) continue;
      const std::size_t at = text.rfind(delimiter, end - delimiter.size());
      if (at != std::wstring_view::npos && (!best || at > best->before)) {
        best = Split{at, at + delimiter.size()};
      }
    }
    if (!best) break;
    if (++found == wanted) return best;
    if (best->before == best->after) {
      if (best->before == 0) break;
      end = best->before - 1;
    } else {
      end = best->before;
    }
  }
  if (matchEnd && found + 1 == wanted) return Split{0, 0};
  return std::nullopt;
}

EvalValue TextAround(std::span<const EvalValue> args, CFunctionContext& context, bool before) {
  if (args[0].IsError()) return args[0];
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::vector<std::wstring> delimiters;
  if (auto error = GetDelimiters(args[1], context, delimiters)) return *error;
  for (std::size_t i = 2; i < args.size() && i < 5; ++i) {
    if (args[i].IsError()) return args[i];
  }
  double instance = 1;
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (auto error = GetNumber(args[2], instance)) return *error;
    instance = std::trunc(instance);
  }
  double mode = 0;
  if (args.size() > 3) {
    if (auto error = GetNumber(args[3], mode)) return *error;
  }
  bool matchEnd = false;
  if (args.size() > 4) {
    if (auto error = GetBoolean(args[4], matchEnd)) return *error;
  }
  if (mode != 0 && mode != 1) return ValueError();
  if (instance == 0 || std::fabs(instance) > static_cast<double>(text.size())) {
    return text.empty() ? EvalValue::Text(L"") : ValueError();
  }
  std::wstring searched = text;
  if (mode == 1) {
    searched = LowerCase(searched);
    for (std::wstring& delimiter : delimiters) delimiter = LowerCase(delimiter);
  }
  const auto split =
      FindDelimiter(searched, delimiters, static_cast<std::int64_t>(instance), matchEnd);
  if (!split) {
    if (args.size() > 5 && !args[5].IsEmpty()) return args[5];
    return EvalValue::Error(ErrorCode::NA);
  }
  return EvalValue::Text(before ? text.substr(0, split->before) : text.substr(split->after));
}

EvalValue TextBefore(std::span<const EvalValue> args, CFunctionContext& context) {
  return TextAround(args, context, true);
}

EvalValue TextAfter(std::span<const EvalValue> args, CFunctionContext& context) {
  return TextAround(args, context, false);
}

// ---------------------------------------------------------------------------------------------
// VALUETOTEXT and ARRAYTOTEXT.

// The format argument: 0 concise, 1 strict (text quoted so that it reads back in a formula).
std::optional<EvalValue> GetStrict(std::span<const EvalValue> args, bool& strict) {
  strict = false;
  if (args.size() < 2) return std::nullopt;
  double format = 0.0;
  if (auto error = GetNumber(args[1], format)) return error;
  format = std::trunc(format);
  if (format != 0 && format != 1) return ValueError();
  strict = format == 1;
  return std::nullopt;
}

// A value as ARRAYTOTEXT writes it: errors become their text too.
std::wstring ValueAsText(const EvalValue& value, bool strict) {
  if (value.IsError()) return std::wstring(ErrorText(value.AsError()));
  std::wstring text;
  GetText(value, text);
  if (!strict || !value.IsText()) return text;
  std::wstring quoted = L"\"";
  for (const wchar_t c : text) {
    quoted += c;
    if (c == L'"') quoted += c;
  }
  return quoted + L"\"";
}

EvalValue ValueToText(std::span<const EvalValue> args, CFunctionContext&) {
  bool strict = false;
  if (auto error = GetStrict(args, strict)) return *error;
  return TextResult(ValueAsText(args[0], strict));
}

EvalValue ArrayToText(std::span<const EvalValue> args, CFunctionContext& context) {
  bool strict = false;
  if (auto error = GetStrict(args, strict)) return *error;
  // Every cell adds a separator, so no bigger range can fit; refuse before reading it.
  const EvalValue& source = args[0];
  if (source.IsReference() && source.AsAreas().size() == 1 &&
      source.AsAreas().front().rect.CellCount() > static_cast<std::int64_t>(kMaxTextLength)) {
    return ValueError();
  }
  ValueArray values;
  if (auto error = GetArray(source, context, values)) return *error;
  std::wstring text = strict ? L"{" : L"";
  for (std::int32_t row = 0; row < values.rows; ++row) {
    for (std::int32_t column = 0; column < values.columns; ++column) {
      if (row > 0 || column > 0) {
        if (!strict) {
          text += L", ";
        } else {
          text += column == 0 ? L";" : L",";
        }
      }
      text += ValueAsText(values.At(row, column), strict);
      if (text.size() > kMaxTextLength) return ValueError();
    }
  }
  if (strict) text += L"}";
  return TextResult(std::move(text));
}

// VALUE reads text as a cell entry would (numbers, percents, currency, dates and times); other
// values it takes as numbers.
EvalValue Value(std::span<const EvalValue> args, CFunctionContext&) {
  const EvalValue& value = args[0];
  if (value.IsError()) return value;
  if (value.IsBoolean()) return EvalValue::Error(ErrorCode::Value);
  double number = 0.0;
  if (value.IsText()) {
    std::wstring_view text = value.AsText();
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    if (text.empty()) return EvalValue::Error(ErrorCode::Value);
    if (auto error = GetNumber(EvalValue::Text(std::wstring(text)), number)) return *error;
    return NumberResult(number);
  }
  if (auto error = GetNumber(value, number)) return *error;
  return NumberResult(number);
}

// NUMBERVALUE(text, [decimal separator], [group separator]): locale-free reading of numbers.
EvalValue NumberValue(std::span<const EvalValue> args, CFunctionContext&) {
  if (const EvalValue* error = FirstError(args)) return *error;
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  std::wstring decimal = L".";
  std::wstring group = L",";
  if (args.size() > 1 && !args[1].IsEmpty()) {
    if (auto error = GetText(args[1], decimal)) return *error;
  }
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (auto error = GetText(args[2], group)) return *error;
  }
  if (decimal.empty() || group.empty() || decimal.front() == group.front()) {
    return EvalValue::Error(ErrorCode::Value);
  }
  std::string plain;
  int percents = 0;
  bool seenDecimal = false;
  for (const wchar_t c : text) {
    if (c == L' ' || c == L'\t' || c == L'\n' || c == L'\r') continue;
    if (c == decimal.front()) {
      if (seenDecimal) return EvalValue::Error(ErrorCode::Value);
      seenDecimal = true;
      plain.push_back('.');
    } else if (c == group.front()) {
      if (seenDecimal) return EvalValue::Error(ErrorCode::Value);
    } else if (c == L'%') {
      ++percents;
    } else if (IsAsciiDigit(c) || c == L'-' || c == L'+' || c == L'E' || c == L'e') {
      if (percents > 0) return EvalValue::Error(ErrorCode::Value);
      plain.push_back(static_cast<char>(c));
    } else {
      return EvalValue::Error(ErrorCode::Value);
    }
  }
  if (plain.empty()) return EvalValue::Number(0.0);
  std::size_t used = 0;
  double number = 0.0;
  try {
    number = std::stod(plain, &used);
  } catch (...) {
    return EvalValue::Error(ErrorCode::Value);
  }
  if (used != plain.size()) return EvalValue::Error(ErrorCode::Value);
  for (int i = 0; i < percents; ++i) number /= 100.0;
  return NumberResult(number);
}

}  // namespace

void RegisterTextFunctions(CFunctionTable& table) {
  AddFunction(table, {L"TEXT", 2, 2, "v", Text});
  AddFunction(table, {L"FIXED", 1, 3, "v", Fixed});
  AddFunction(table, {L"DOLLAR", 1, 2, "v", Dollar});
  AddFunction(table, {L"T", 1, 1, "v", T});
  AddFunction(table, {L"VALUE", 1, 1, "v", Value});
  AddFunction(table, {L"NUMBERVALUE", 1, 3, "v", NumberValue});
  AddFunction(table, {L"CONCATENATE", 1, kManyArgs, "v", Concatenate});
  AddFunction(table, {L"CONCAT", 1, 253, "r", Concat});
  AddFunction(table, {L"TEXTJOIN", 3, 252, "rvr", TextJoin});
  AddFunction(table, {L"LEN", 1, 1, "v", Len});
  AddFunction(table, {L"LENB", 1, 1, "v", Len});
  AddFunction(table, {L"LEFT", 1, 2, "v", Left});
  AddFunction(table, {L"LEFTB", 1, 2, "v", Left});
  AddFunction(table, {L"RIGHT", 1, 2, "v", Right});
  AddFunction(table, {L"RIGHTB", 1, 2, "v", Right});
  AddFunction(table, {L"MID", 3, 3, "v", Mid});
  AddFunction(table, {L"MIDB", 3, 3, "v", Mid});
  AddFunction(table, {L"FIND", 2, 3, "v", Find});
  AddFunction(table, {L"FINDB", 2, 3, "v", Find});
  AddFunction(table, {L"SEARCH", 2, 3, "v", Search});
  AddFunction(table, {L"SEARCHB", 2, 3, "v", Search});
  AddFunction(table, {L"SUBSTITUTE", 3, 4, "v", Substitute});
  AddFunction(table, {L"REPLACE", 4, 4, "v", Replace});
  AddFunction(table, {L"REPLACEB", 4, 4, "v", Replace});
  AddFunction(table, {L"REPT", 2, 2, "v", Rept});
  AddFunction(table, {L"TRIM", 1, 1, "v", Trim});
  AddFunction(table, {L"CLEAN", 1, 1, "v", Clean});
  AddFunction(table, {L"UPPER", 1, 1, "v", Upper});
  AddFunction(table, {L"LOWER", 1, 1, "v", Lower});
  AddFunction(table, {L"PROPER", 1, 1, "v", Proper});
  AddFunction(table, {L"EXACT", 2, 2, "v", Exact});
  AddFunction(table, {L"CHAR", 1, 1, "v", Char});
  AddFunction(table, {L"CODE", 1, 1, "v", Code});
  AddFunction(table, {L"UNICHAR", 1, 1, "v", Unichar});
  AddFunction(table, {L"UNICODE", 1, 1, "v", Unicode});
  AddFunction(table, {L"TEXTBEFORE", 2, 6, "vrv", TextBefore});
  AddFunction(table, {L"TEXTAFTER", 2, 6, "vrv", TextAfter});
  AddFunction(table, {L"VALUETOTEXT", 1, 2, "v", ValueToText});
  AddFunction(table, {L"ARRAYTOTEXT", 1, 2, "rv", ArrayToText});
}

}  // namespace spreadsheet
