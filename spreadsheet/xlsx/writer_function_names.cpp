// The one list of prefixed function names.
#include "spreadsheet/xlsx/writer_function_names.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace spreadsheet {
namespace {

constexpr std::wstring_view kFuturePrefix = L"_xlfn.";
constexpr std::wstring_view kWorksheetPrefix = L"_xlfn._xlws.";

// Upper case and sorted, for the binary search.
constexpr auto kFutureFunctions = std::to_array<std::wstring_view>({L"ACOT",
                                                                    L"ACOTH",
                                                                    L"AGGREGATE",
                                                                    L"ANCHORARRAY",
                                                                    L"ARABIC",
                                                                    L"ARRAYTOTEXT",
                                                                    L"BASE",
                                                                    L"BETA.DIST",
                                                                    L"BETA.INV",
                                                                    L"BINOM.DIST",
                                                                    L"BINOM.DIST.RANGE",
                                                                    L"BINOM.INV",
                                                                    L"BITAND",
                                                                    L"BITLSHIFT",
                                                                    L"BITOR",
                                                                    L"BITRSHIFT",
                                                                    L"BITXOR",
                                                                    L"BYCOL",
                                                                    L"BYROW",
                                                                    L"CEILING.MATH",
                                                                    L"CEILING.PRECISE",
                                                                    L"CHISQ.DIST",
                                                                    L"CHISQ.DIST.RT",
                                                                    L"CHISQ.INV",
                                                                    L"CHISQ.INV.RT",
                                                                    L"CHISQ.TEST",
                                                                    L"CHOOSECOLS",
                                                                    L"CHOOSEROWS",
                                                                    L"COMBINA",
                                                                    L"CONCAT",
                                                                    L"CONFIDENCE.NORM",
                                                                    L"CONFIDENCE.T",
                                                                    L"COT",
                                                                    L"COTH",
                                                                    L"COVARIANCE.P",
                                                                    L"COVARIANCE.S",
                                                                    L"CSC",
                                                                    L"CSCH",
                                                                    L"DAYS",
                                                                    L"DECIMAL",
                                                                    L"DROP",
                                                                    L"ECMA.CEILING",
                                                                    L"ENCODEURL",
                                                                    L"ERF.PRECISE",
                                                                    L"ERFC.PRECISE",
                                                                    L"EXPAND",
                                                                    L"EXPON.DIST",
                                                                    L"F.DIST",
                                                                    L"F.DIST.RT",
                                                                    L"F.INV",
                                                                    L"F.INV.RT",
                                                                    L"F.TEST",
                                                                    L"FIELDVALUE",
                                                                    L"FILTERXML",
                                                                    L"FLOOR.MATH",
                                                                    L"FLOOR.PRECISE",
                                                                    L"FORECAST.ETS",
                                                                    L"FORECAST.ETS.CONFINT",
                                                                    L"FORECAST.ETS.SEASONALITY",
                                                                    L"FORECAST.ETS.STAT",
                                                                    L"FORECAST.LINEAR",
                                                                    L"FORMULATEXT",
                                                                    L"GAMMA",
                                                                    L"GAMMA.DIST",
                                                                    L"GAMMA.INV",
                                                                    L"GAMMALN.PRECISE",
                                                                    L"GAUSS",
                                                                    L"GROUPBY",
                                                                    L"HSTACK",
                                                                    L"HYPGEOM.DIST",
                                                                    L"IFNA",
                                                                    L"IFS",
                                                                    L"IMAGE",
                                                                    L"IMCOSH",
                                                                    L"IMCOT",
                                                                    L"IMCSC",
                                                                    L"IMCSCH",
                                                                    L"IMSEC",
                                                                    L"IMSECH",
                                                                    L"IMSINH",
                                                                    L"IMTAN",
                                                                    L"ISFORMULA",
                                                                    L"ISOMITTED",
                                                                    L"ISOWEEKNUM",
                                                                    L"LAMBDA",
                                                                    L"LET",
                                                                    L"LOGNORM.DIST",
                                                                    L"LOGNORM.INV",
                                                                    L"MAKEARRAY",
                                                                    L"MAP",
                                                                    L"MAXIFS",
                                                                    L"MINIFS",
                                                                    L"MODE.MULT",
                                                                    L"MODE.SNGL",
                                                                    L"MUNIT",
                                                                    L"NEGBINOM.DIST",
                                                                    L"NETWORKDAYS.INTL",
                                                                    L"NORM.DIST",
                                                                    L"NORM.INV",
                                                                    L"NORM.S.DIST",
                                                                    L"NORM.S.INV",
                                                                    L"NUMBERVALUE",
                                                                    L"PDURATION",
                                                                    L"PERCENTILE.EXC",
                                                                    L"PERCENTILE.INC",
                                                                    L"PERCENTOF",
                                                                    L"PERCENTRANK.EXC",
                                                                    L"PERCENTRANK.INC",
                                                                    L"PERMUTATIONA",
                                                                    L"PHI",
                                                                    L"PIVOTBY",
                                                                    L"POISSON.DIST",
                                                                    L"QUARTILE.EXC",
                                                                    L"QUARTILE.INC",
                                                                    L"RANDARRAY",
                                                                    L"RANK.AVG",
                                                                    L"RANK.EQ",
                                                                    L"REDUCE",
                                                                    L"REGEXEXTRACT",
                                                                    L"REGEXREPLACE",
                                                                    L"REGEXTEST",
                                                                    L"RRI",
                                                                    L"SCAN",
                                                                    L"SEC",
                                                                    L"SECH",
                                                                    L"SEQUENCE",
                                                                    L"SHEET",
                                                                    L"SHEETS",
                                                                    L"SINGLE",
                                                                    L"SKEW.P",
                                                                    L"SORTBY",
                                                                    L"STDEV.P",
                                                                    L"STDEV.S",
                                                                    L"STOCKHISTORY",
                                                                    L"SWITCH",
                                                                    L"T.DIST",
                                                                    L"T.DIST.2T",
                                                                    L"T.DIST.RT",
                                                                    L"T.INV",
                                                                    L"T.INV.2T",
                                                                    L"T.TEST",
                                                                    L"TAKE",
                                                                    L"TEXTAFTER",
                                                                    L"TEXTBEFORE",
                                                                    L"TEXTJOIN",
                                                                    L"TEXTSPLIT",
                                                                    L"TOCOL",
                                                                    L"TOROW",
                                                                    L"TRIMRANGE",
                                                                    L"UNICHAR",
                                                                    L"UNICODE",
                                                                    L"UNIQUE",
                                                                    L"VALUETOTEXT",
                                                                    L"VAR.P",
                                                                    L"VAR.S",
                                                                    L"VSTACK",
                                                                    L"WEBSERVICE",
                                                                    L"WEIBULL.DIST",
                                                                    L"WORKDAY.INTL",
                                                                    L"WRAPCOLS",
                                                                    L"WRAPROWS",
                                                                    L"XLOOKUP",
                                                                    L"XMATCH",
                                                                    L"XOR",
                                                                    L"Z.TEST"});
static_assert(std::is_sorted(kFutureFunctions.begin(), kFutureFunctions.end()));

constexpr std::array<std::wstring_view, 2> kWorksheetFunctions = {L"FILTER", L"SORT"};

// No name in the lists is longer; longer names are never prefixed.
constexpr std::size_t kLongestName = 32;

}  // namespace

std::wstring_view FunctionPrefix(std::wstring_view name) {
  if (name.empty() || name.size() > kLongestName) return {};
  std::array<wchar_t, kLongestName> upper{};
  for (std::size_t i = 0; i < name.size(); ++i) {
    const wchar_t c = name[i];
    upper[i] = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  }
  const std::wstring_view key(upper.data(), name.size());
  if (std::binary_search(kFutureFunctions.begin(), kFutureFunctions.end(), key)) {
    return kFuturePrefix;
  }
  if (std::find(kWorksheetFunctions.begin(), kWorksheetFunctions.end(), key) !=
      kWorksheetFunctions.end()) {
    return kWorksheetPrefix;
  }
  return {};
}

}  // namespace spreadsheet
