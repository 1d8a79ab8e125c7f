// Reading of number format codes into sections.
#include "spreadsheet/calc/format_code.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>
#include <utility>

namespace spreadsheet {
namespace {

constexpr std::size_t kMaxSections = 4;
// A fixed denominator longer than this is not a fraction Excel could show; the digits past it
// are taken as text.
constexpr int kMaxFixedDenominatorDigits = 9;
constexpr int kMaxSecondDigits = 3;

wchar_t Lower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
}

bool StartsWithNoCase(std::wstring_view text, std::size_t at, std::wstring_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[at + i]) != Lower(word[i])) return false;
  }
  return true;
}

bool IsDatePartLetter(wchar_t c) {
  const wchar_t lower = Lower(c);
  return lower == L'y' || lower == L'm' || lower == L'd' || lower == L'h' || lower == L's';
}

FormatToken MakeToken(FormatTokenKind kind, std::wstring_view source, wchar_t symbol = 0,
                      int count = 0) {
  FormatToken token;
  token.kind = kind;
  token.symbol = symbol;
  token.count = count;
  token.text = std::wstring(source);
  return token;
}

FormatToken MakeLiteral(std::wstring_view text) {
  return MakeToken(FormatTokenKind::Literal, text);
}

// A token that does not act where it stands shows its source text.
void Demote(FormatToken& token) {
  token.kind = FormatTokenKind::Literal;
  token.count = 0;
}

struct RawSection {
  std::vector<FormatToken> tokens;
  std::optional<FormatCondition> condition;
};

bool ParseCondition(std::wstring_view text, FormatCondition& condition) {
  using Op = FormatCondition::Op;
  static constexpr std::pair<std::wstring_view, Op> kOps[] = {
      {L"<=", Op::LessEqual}, {L">=", Op::GreaterEqual}, {L"<>", Op::NotEqual},
      {L"<", Op::Less},       {L">", Op::Greater},       {L"=", Op::Equal}};
  for (const auto& [symbol, op] : kOps) {
    if (text.substr(0, symbol.size()) != symbol) continue;
    std::wstring_view number = text.substr(symbol.size());
    while (!number.empty() && number.front() == L' ') number.remove_prefix(1);
    while (!number.empty() && number.back() == L' ') number.remove_suffix(1);
    std::string narrow;
    for (const wchar_t c : number) {
      if (c > 0x7F) return false;
      narrow.push_back(static_cast<char>(c));
    }
    double value = 0.0;
    const char* end = narrow.data() + narrow.size();
    const auto [stop, error] = std::from_chars(narrow.data(), end, value);
    if (narrow.empty() || error != std::errc{} || stop != end) return false;
    condition.op = op;
    condition.value = value;
    return true;
  }
  return false;
}

// One "[...]" item; false when it is a condition that cannot be read.
bool ReadBracket(std::wstring_view content, std::wstring_view source, RawSection& section) {
  if (content.empty()) return true;
  const wchar_t first = content.front();
  if (first == L'<' || first == L'>' || first == L'=') {
    FormatCondition condition;
    if (!ParseCondition(content, condition)) return false;
    if (!section.condition) section.condition = condition;
    return true;
  }
  if (first == L'$') {
    // "[$€-2]": the currency text shows, the locale after '-' does not.
    const std::wstring_view currency = content.substr(1, content.find(L'-') - 1);
    if (!currency.empty()) section.tokens.push_back(MakeLiteral(currency));
    return true;
  }
  const wchar_t letter = Lower(first);
  if ((letter == L'h' || letter == L'm' || letter == L's') &&
      std::all_of(content.begin(), content.end(), [&](wchar_t c) { return Lower(c) == letter; })) {
    const auto kind = letter == L'h'   ? FormatTokenKind::ElapsedHours
                      : letter == L'm' ? FormatTokenKind::ElapsedMinutes
                                       : FormatTokenKind::ElapsedSeconds;
    section.tokens.push_back(MakeToken(kind, source, 0, static_cast<int>(content.size())));
  }
  // Colours, [ColorN], [DBNum1] and the like change nothing in the text.
  return true;
}

std::optional<std::vector<RawSection>> Lex(std::wstring_view code) {
  std::vector<RawSection> sections(1);
  std::size_t i = 0;
  while (i < code.size()) {
    RawSection& section = sections.back();
    auto& tokens = section.tokens;
    const wchar_t c = code[i];
    const wchar_t lower = Lower(c);
    if (c == L';') {
      if (sections.size() == kMaxSections) return std::nullopt;
      sections.emplace_back();
      ++i;
    } else if (c == L'"') {
      const std::size_t close = code.find(L'"', i + 1);
      if (close == std::wstring_view::npos) return std::nullopt;
      tokens.push_back(MakeLiteral(code.substr(i + 1, close - i - 1)));
      i = close + 1;
    } else if (c == L'\\') {
      if (i + 1 == code.size()) return std::nullopt;
      tokens.push_back(MakeLiteral(code.substr(i + 1, 1)));
      i += 2;
    } else if (c == L'_' || c == L'*') {
      // "_x" leaves the room of x, one space here; "*x" fills the cell, which text cannot show.
      if (c == L'_') tokens.push_back(MakeLiteral(L" "));
      i += std::min<std::size_t>(2, code.size() - i);
    } else if (c == L'[') {
      const std::size_t close = code.find(L']', i + 1);
      if (close == std::wstring_view::npos) return std::nullopt;
      if (!ReadBracket(code.substr(i + 1, close - i - 1), code.substr(i, close - i + 1), section)) {
        return std::nullopt;
      }
      i = close + 1;
    } else if (c == L'0' || c == L'#' || c == L'?') {
      tokens.push_back(MakeToken(FormatTokenKind::Digit, code.substr(i, 1), c));
      ++i;
    } else if (c == L'.') {
      tokens.push_back(MakeToken(FormatTokenKind::DecimalPoint, L"."));
      ++i;
    } else if (c == L',') {
      // Kept as a literal until the section's placeholders tell separator from scaling.
      tokens.push_back(MakeToken(FormatTokenKind::Literal, L",", L','));
      ++i;
    } else if (c == L'%') {
      tokens.push_back(MakeToken(FormatTokenKind::Percent, L"%"));
      ++i;
    } else if (c == L'/') {
      tokens.push_back(MakeToken(FormatTokenKind::FractionSlash, L"/"));
      ++i;
    } else if (c == L'@') {
      tokens.push_back(MakeToken(FormatTokenKind::TextValue, L"@"));
      ++i;
    } else if (lower == L'e' && i + 1 < code.size() &&
               (code[i + 1] == L'+' || code[i + 1] == L'-')) {
      tokens.push_back(
          MakeToken(FormatTokenKind::Exponent, code.substr(i, 2), c, code[i + 1] == L'+' ? 1 : 0));
      i += 2;
    } else if (lower == L'g' && StartsWithNoCase(code, i, L"General")) {
      tokens.push_back(MakeToken(FormatTokenKind::General, code.substr(i, 7)));
      i += 7;
    } else if (lower == L'a' && StartsWithNoCase(code, i, L"AM/PM")) {
      tokens.push_back(MakeToken(FormatTokenKind::AmPm, code.substr(i, 5)));
      i += 5;
    } else if (lower == L'a' && StartsWithNoCase(code, i, L"A/P")) {
      tokens.push_back(MakeToken(FormatTokenKind::AmPm, code.substr(i, 3)));
      i += 3;
    } else if (IsDatePartLetter(c)) {
      std::size_t end = i + 1;
      while (end < code.size() && Lower(code[end]) == lower) ++end;
      const auto kind = lower == L'y'   ? FormatTokenKind::Year
                        : lower == L'm' ? FormatTokenKind::Month
                        : lower == L'd' ? FormatTokenKind::Day
                        : lower == L'h' ? FormatTokenKind::Hour
                                        : FormatTokenKind::Second;
      tokens.push_back(MakeToken(kind, code.substr(i, end - i), 0, static_cast<int>(end - i)));
      i = end;
    } else {
      // Characters Excel shows without quotes ($ - + ( ) : space ...) and, leniently, any
      // other character a file holds; digits 1-9 keep their symbol for fixed denominators.
      FormatToken token = MakeLiteral(code.substr(i, 1));
      if (c >= L'1' && c <= L'9') token.symbol = c;
      tokens.push_back(std::move(token));
      ++i;
    }
  }
  return sections;
}

bool IsDatePart(FormatTokenKind kind) {
  switch (kind) {
    case FormatTokenKind::Year:
    case FormatTokenKind::Month:
    case FormatTokenKind::Day:
    case FormatTokenKind::Hour:
    case FormatTokenKind::Minute:
    case FormatTokenKind::Second:
    case FormatTokenKind::ElapsedHours:
    case FormatTokenKind::ElapsedMinutes:
    case FormatTokenKind::ElapsedSeconds:
      return true;
    default:
      return false;
  }
}

bool Has(const std::vector<FormatToken>& tokens, FormatTokenKind kind) {
  return std::any_of(tokens.begin(), tokens.end(),
                     [&](const FormatToken& t) { return t.kind == kind; });
}

void MergeLiterals(std::vector<FormatToken>& tokens) {
  std::vector<FormatToken> merged;
  merged.reserve(tokens.size());
  for (auto& token : tokens) {
    if (token.kind == FormatTokenKind::Literal && !merged.empty() &&
        merged.back().kind == FormatTokenKind::Literal) {
      merged.back().text += token.text;
    } else {
      merged.push_back(std::move(token));
    }
  }
  for (auto& token : merged) {
    if (token.kind == FormatTokenKind::Literal) token.symbol = 0;
  }
  tokens = std::move(merged);
}

// False when the section mixes number placeholders into a date or time, as Excel refuses.
bool BuildDateSection(FormatSection& section) {
  auto& tokens = section.tokens;
  section.kind = SectionKind::Date;
  std::vector<FormatToken> built;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    FormatToken& token = tokens[i];
    if (token.kind == FormatTokenKind::DecimalPoint && i + 1 < tokens.size() &&
        tokens[i + 1].kind == FormatTokenKind::Digit && tokens[i + 1].symbol == L'0') {
      int count = 0;
      while (i + 1 < tokens.size() && count < kMaxSecondDigits &&
             tokens[i + 1].kind == FormatTokenKind::Digit && tokens[i + 1].symbol == L'0') {
        ++count;
        ++i;
      }
      built.push_back(MakeToken(FormatTokenKind::SecondFraction, L".", 0, count));
      section.secondDigits = std::max(section.secondDigits, count);
      continue;
    }
    if (token.kind == FormatTokenKind::Digit) return false;
    if (token.kind == FormatTokenKind::AmPm) section.twelveHour = true;
    if (!IsDatePart(token.kind) && token.kind != FormatTokenKind::AmPm) Demote(token);
    built.push_back(std::move(token));
  }
  // "m" and "mm" are minutes right after an hour or right before a second, literals between.
  std::vector<std::size_t> parts;
  for (std::size_t i = 0; i < built.size(); ++i) {
    if (IsDatePart(built[i].kind)) parts.push_back(i);
  }
  for (std::size_t p = 0; p < parts.size(); ++p) {
    FormatToken& token = built[parts[p]];
    if (token.kind != FormatTokenKind::Month || token.count > 2) continue;
    const bool afterHour = p > 0 && (built[parts[p - 1]].kind == FormatTokenKind::Hour ||
                                     built[parts[p - 1]].kind == FormatTokenKind::ElapsedHours);
    const bool beforeSecond =
        p + 1 < parts.size() && (built[parts[p + 1]].kind == FormatTokenKind::Second ||
                                 built[parts[p + 1]].kind == FormatTokenKind::ElapsedSeconds);
    if (afterHour || beforeSecond) token.kind = FormatTokenKind::Minute;
  }
  tokens = std::move(built);
  // Durations alone ("[h]:mm") are no dates: any number of days shows; a single elapsed count
  // ("[h]") shows negative ones too.
  int elapsed = 0;
  int others = 0;
  for (const FormatToken& token : tokens) {
    switch (token.kind) {
      case FormatTokenKind::ElapsedHours:
      case FormatTokenKind::ElapsedMinutes:
      case FormatTokenKind::ElapsedSeconds:
        ++elapsed;
        break;
      case FormatTokenKind::Minute:
      case FormatTokenKind::Second:
      case FormatTokenKind::SecondFraction:
        ++others;
        break;
      case FormatTokenKind::Year:
      case FormatTokenKind::Month:
      case FormatTokenKind::Day:
      case FormatTokenKind::Hour:
      case FormatTokenKind::AmPm:
        return true;
      default:
        break;
    }
  }
  section.elapsedOnly = elapsed > 0;
  section.signedElapsed = elapsed == 1 && others == 0;
  return true;
}

bool IsDigitLiteral(const FormatToken& token) {
  return token.kind == FormatTokenKind::Literal && token.symbol >= L'1' && token.symbol <= L'9';
}

// The slash of "# ?/?" or "?/8": placeholders right before it and a denominator right after.
std::optional<std::size_t> FindFractionSlash(const std::vector<FormatToken>& tokens) {
  for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
    if (tokens[i].kind != FormatTokenKind::FractionSlash) continue;
    if (tokens[i - 1].kind != FormatTokenKind::Digit) continue;
    if (tokens[i + 1].kind == FormatTokenKind::Digit || IsDigitLiteral(tokens[i + 1])) return i;
  }
  return std::nullopt;
}

void BuildFraction(FormatSection& section, std::size_t slash) {
  auto& tokens = section.tokens;
  section.kind = SectionKind::Fraction;
  std::size_t numeratorStart = slash;
  while (numeratorStart > 0 && tokens[numeratorStart - 1].kind == FormatTokenKind::Digit) {
    --numeratorStart;
  }
  for (std::size_t i = 0; i < numeratorStart; ++i) {
    if (tokens[i].kind == FormatTokenKind::Digit) ++section.integerDigits;
  }
  for (std::size_t i = numeratorStart; i < slash; ++i) tokens[i].part = DigitPart::Numerator;
  section.numeratorDigits = static_cast<int>(slash - numeratorStart);

  std::size_t end = slash + 1;
  if (tokens[end].kind == FormatTokenKind::Digit) {
    while (end < tokens.size() && tokens[end].kind == FormatTokenKind::Digit) {
      tokens[end++].part = DigitPart::Denominator;
      ++section.denominatorDigits;
    }
  } else {
    FormatToken denominator = MakeToken(FormatTokenKind::Denominator, L"");
    int digits = 0;
    while (end < tokens.size() && digits < kMaxFixedDenominatorDigits &&
           (IsDigitLiteral(tokens[end]) ||
            (tokens[end].kind == FormatTokenKind::Digit && tokens[end].symbol == L'0'))) {
      denominator.text += tokens[end].text;
      denominator.value = denominator.value * 10 + (tokens[end].text[0] - L'0');
      ++digits;
      ++end;
    }
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(slash + 1),
                 tokens.begin() + static_cast<std::ptrdiff_t>(end));
    tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(slash + 1), std::move(denominator));
    end = slash + 2;
  }
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == FormatTokenKind::DecimalPoint ||
        (tokens[i].kind == FormatTokenKind::FractionSlash && i != slash) ||
        (tokens[i].kind == FormatTokenKind::Digit && i >= end)) {
      Demote(tokens[i]);
    }
  }
}

void BuildNumberSection(FormatSection& section) {
  auto& tokens = section.tokens;
  section.kind = SectionKind::Number;

  std::optional<std::size_t> exponent;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != FormatTokenKind::Exponent) continue;
    const bool digitsFollow =
        std::any_of(tokens.begin() + static_cast<std::ptrdiff_t>(i) + 1, tokens.end(),
                    [](const FormatToken& t) { return t.kind == FormatTokenKind::Digit; });
    if (!exponent && digitsFollow) {
      exponent = i;
    } else {
      Demote(tokens[i]);
    }
  }
  const std::size_t mantissaEnd = exponent.value_or(tokens.size());

  std::optional<std::size_t> slash;
  if (!exponent) slash = FindFractionSlash(tokens);
  if (slash) {
    BuildFraction(section, *slash);
  } else {
    bool seenPoint = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      FormatToken& token = tokens[i];
      if (token.kind == FormatTokenKind::FractionSlash) Demote(token);
      if (token.kind == FormatTokenKind::DecimalPoint) {
        if (seenPoint || i > mantissaEnd) Demote(token);
        seenPoint = true;
      }
      if (token.kind != FormatTokenKind::Digit) continue;
      if (i > mantissaEnd) {
        token.part = DigitPart::Exponent;
        ++section.exponentDigits;
      } else if (seenPoint) {
        token.part = DigitPart::Fraction;
        ++section.fractionDigits;
        section.fractionSymbols += token.symbol;
      } else {
        ++section.integerDigits;
      }
    }
    if (exponent) section.kind = SectionKind::Scientific;
  }

  // Commas right after a placeholder (or after such commas) act: one followed straight by an
  // integer placeholder turns on thousands separators; one after the last placeholder of the
  // integer or decimal part divides by 1000; the rest of them show nothing. Commas after text
  // are text ("#x,0" shows its comma, "0,x#" does not).
  auto isPlaceholderOf = [&](std::size_t i, DigitPart part) {
    return tokens[i].kind == FormatTokenKind::Digit && tokens[i].part == part;
  };
  auto isComma = [&](std::size_t i) {
    return tokens[i].kind == FormatTokenKind::Literal && tokens[i].symbol == L',';
  };
  std::vector<FormatToken> kept;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const FormatToken& token = tokens[i];
    if (isComma(i) && i < mantissaEnd) {
      std::size_t previous = i;
      while (previous > 0 && isComma(previous - 1)) --previous;
      const bool afterPlaceholder =
          previous > 0 && tokens[previous - 1].kind == FormatTokenKind::Digit;
      if (afterPlaceholder) {
        const DigitPart region = tokens[previous - 1].part;
        std::size_t next = i + 1;
        while (next < tokens.size() && isComma(next)) ++next;
        bool integerAfter = false;
        bool fractionAfter = false;
        for (std::size_t j = i + 1; j < mantissaEnd; ++j) {
          integerAfter = integerAfter || isPlaceholderOf(j, DigitPart::Integer);
          fractionAfter = fractionAfter || isPlaceholderOf(j, DigitPart::Fraction);
        }
        if (region == DigitPart::Integer && next < mantissaEnd &&
            isPlaceholderOf(next, DigitPart::Integer)) {
          section.grouping = true;
        } else if ((region == DigitPart::Integer && !integerAfter) ||
                   (region == DigitPart::Fraction && !fractionAfter)) {
          section.scale -= 3;
        }
        continue;
      }
    }
    kept.push_back(token);
  }
  tokens = std::move(kept);
  for (const auto& token : tokens) {
    if (token.kind == FormatTokenKind::Percent) section.scale += 2;
  }
  if (section.kind == SectionKind::Scientific && section.integerDigits > 1) {
    section.engineering = std::any_of(tokens.begin(), tokens.end(), [](const FormatToken& t) {
      return t.kind == FormatTokenKind::Digit && t.part == DigitPart::Integer && t.symbol == L'#';
    });
  }
}

// Nothing for a section Excel refuses: '@' outside the text section, or beside placeholders
// or date parts, and date parts beside number placeholders.
std::optional<FormatSection> BuildSection(RawSection raw, bool isTextSection) {
  FormatSection section;
  section.tokens = std::move(raw.tokens);
  section.condition = raw.condition;
  auto& tokens = section.tokens;
  if (Has(tokens, FormatTokenKind::TextValue)) {
    if (!isTextSection) return std::nullopt;
    const bool mixed = std::any_of(tokens.begin(), tokens.end(), [](const FormatToken& t) {
      return t.kind == FormatTokenKind::Digit || IsDatePart(t.kind);
    });
    if (mixed) return std::nullopt;
  }
  if (isTextSection) {
    section.kind = SectionKind::Text;
    for (auto& token : tokens) {
      if (token.kind != FormatTokenKind::TextValue) Demote(token);
    }
  } else {
    const bool hasDate = std::any_of(tokens.begin(), tokens.end(), [](const FormatToken& t) {
      return IsDatePart(t.kind) || t.kind == FormatTokenKind::AmPm;
    });
    if (hasDate) {
      if (!BuildDateSection(section)) return std::nullopt;
    } else if (Has(tokens, FormatTokenKind::General)) {
      section.kind = SectionKind::General;
      bool first = true;
      for (auto& token : tokens) {
        if (token.kind == FormatTokenKind::General && first) {
          first = false;
        } else if (token.kind != FormatTokenKind::Literal) {
          Demote(token);
        }
      }
    } else {
      BuildNumberSection(section);
    }
  }
  MergeLiterals(tokens);
  return section;
}

}  // namespace

bool FormatCondition::Matches(double number) const {
  switch (op) {
    case Op::Less:
      return number < value;
    case Op::LessEqual:
      return number <= value;
    case Op::Greater:
      return number > value;
    case Op::GreaterEqual:
      return number >= value;
    case Op::Equal:
      return number == value;
    case Op::NotEqual:
      return number != value;
  }
  return false;
}

std::optional<FormatCode> ParseFormatCode(std::wstring_view code) {
  if (code.size() > kMaxFormatCodeLength) return std::nullopt;
  auto raw = Lex(code);
  if (!raw) return std::nullopt;

  // Four sections end with the text section; fewer end with one when the last holds '@'.
  const bool lastIsText =
      raw->size() == kMaxSections || Has(raw->back().tokens, FormatTokenKind::TextValue);
  FormatCode result;
  for (std::size_t i = 0; i < raw->size(); ++i) {
    const bool isText = lastIsText && i + 1 == raw->size();
    std::optional<FormatSection> section = BuildSection(std::move((*raw)[i]), isText);
    if (!section) return std::nullopt;
    if (isText) {
      result.textSection = std::move(*section);
    } else {
      result.numberSections.push_back(std::move(*section));
    }
  }
  const auto& sections = result.numberSections;
  result.isGeneral = code.empty() || (sections.size() == 1 && !result.textSection &&
                                      !sections[0].condition && sections[0].tokens.size() == 1 &&
                                      sections[0].tokens[0].kind == FormatTokenKind::General);
  return result;
}

}  // namespace spreadsheet
