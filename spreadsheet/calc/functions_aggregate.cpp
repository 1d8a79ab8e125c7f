// Worksheet functions: aggregates under conditions (the *IF and *IFS family), SUMPRODUCT,
// SUBTOTAL, AGGREGATE and the database functions. Hidden rows are not modelled: SUBTOTAL's
// 101-111 and AGGREGATE's hidden-row options count every row.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "spreadsheet/calc/criteria.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {

namespace {

EvalValue Fail(ErrorCode code) {
  return EvalValue::Error(code);
}

std::optional<EvalValue> GetArea(const EvalValue& value, Area& out) {
  if (value.IsError()) return value;
  if (!value.IsReference() || value.AsAreas().size() != 1) return Fail(ErrorCode::Value);
  out = value.AsAreas().front();
  return std::nullopt;
}

// ----- Summaries of numbers, shared by SUBTOTAL, AGGREGATE and the database functions --------

enum class Summary : std::uint8_t {
  Average,
  Count,
  CountA,
  Max,
  Min,
  Product,
  StdevSample,
  StdevPopulation,
  Sum,
  VarSample,
  VarPopulation,
  Median,
  Mode,
  Large,
  Small,
  PercentileInclusive,
  QuartileInclusive,
  PercentileExclusive,
  QuartileExclusive,
};

double SumOf(const std::vector<double>& numbers) {
  double sum = 0.0;
  for (const double x : numbers) sum += x;
  return sum;
}

// Sum of squared deviations from the mean, by two passes.
double SquaredDeviations(const std::vector<double>& numbers) {
  const double mean = SumOf(numbers) / static_cast<double>(numbers.size());
  double sum = 0.0;
  for (const double x : numbers) sum += (x - mean) * (x - mean);
  return sum;
}

// The value at a 0-based fractional rank of sorted numbers.
double Interpolate(const std::vector<double>& sorted, double rank) {
  const auto below = static_cast<std::size_t>(std::floor(rank));
  if (below + 1 >= sorted.size()) return sorted.back();
  const double fraction = rank - static_cast<double>(below);
  return sorted[below] + fraction * (sorted[below + 1] - sorted[below]);
}

EvalValue Percentile(std::vector<double> numbers, double k, bool exclusive) {
  if (numbers.empty()) return Fail(ErrorCode::Num);
  std::sort(numbers.begin(), numbers.end());
  const auto n = static_cast<double>(numbers.size());
  if (!exclusive) {
    if (k < 0.0 || k > 1.0) return Fail(ErrorCode::Num);
    return NumberResult(Interpolate(numbers, k * (n - 1.0)));
  }
  const double rank = k * (n + 1.0);
  if (rank < 1.0 || rank > n) return Fail(ErrorCode::Num);
  return NumberResult(Interpolate(numbers, rank - 1.0));
}

// `count` is the number of non-blank values (COUNTA); `k` the second argument of LARGE and its
// kin.
EvalValue Summarize(Summary summary, std::vector<double> numbers, std::size_t count, double k) {
  const std::size_t n = numbers.size();
  switch (summary) {
    case Summary::Average:
      if (n == 0) return Fail(ErrorCode::Div0);
      return NumberResult(SumOf(numbers) / static_cast<double>(n));
    case Summary::Count:
      return EvalValue::Number(static_cast<double>(n));
    case Summary::CountA:
      return EvalValue::Number(static_cast<double>(count));
    case Summary::Max:
      return NumberResult(n == 0 ? 0.0 : *std::max_element(numbers.begin(), numbers.end()));
    case Summary::Min:
      return NumberResult(n == 0 ? 0.0 : *std::min_element(numbers.begin(), numbers.end()));
    case Summary::Product: {
      if (n == 0) return EvalValue::Number(0.0);
      double product = 1.0;
      for (const double x : numbers) product *= x;
      return NumberResult(product);
    }
    case Summary::StdevSample:
      if (n < 2) return Fail(ErrorCode::Div0);
      return NumberResult(std::sqrt(SquaredDeviations(numbers) / static_cast<double>(n - 1)));
    case Summary::StdevPopulation:
      if (n < 1) return Fail(ErrorCode::Div0);
      return NumberResult(std::sqrt(SquaredDeviations(numbers) / static_cast<double>(n)));
    case Summary::Sum:
      return NumberResult(SumOf(numbers));
    case Summary::VarSample:
      if (n < 2) return Fail(ErrorCode::Div0);
      return NumberResult(SquaredDeviations(numbers) / static_cast<double>(n - 1));
    case Summary::VarPopulation:
      if (n < 1) return Fail(ErrorCode::Div0);
      return NumberResult(SquaredDeviations(numbers) / static_cast<double>(n));
    case Summary::Median:
      if (n == 0) return Fail(ErrorCode::Num);
      std::sort(numbers.begin(), numbers.end());
      return NumberResult(n % 2 == 1 ? numbers[n / 2]
                                     : (numbers[n / 2 - 1] + numbers[n / 2]) / 2.0);
    case Summary::Mode: {
      // The most frequent value; among equally frequent ones, the first met.
      std::map<double, std::size_t> counts;
      for (const double x : numbers) ++counts[x];
      std::size_t best = 1;
      std::optional<double> mode;
      for (const double x : numbers) {
        const std::size_t c = counts[x];
        if (c > best) {
          best = c;
          mode = x;
        }
      }
      if (!mode) return Fail(ErrorCode::NA);
      return NumberResult(*mode);
    }
    case Summary::Large:
    case Summary::Small: {
      const double rank = std::ceil(k);
      if (n == 0 || rank < 1.0 || rank > static_cast<double>(n)) return Fail(ErrorCode::Num);
      std::sort(numbers.begin(), numbers.end());
      const auto index = static_cast<std::size_t>(rank) - 1;
      return NumberResult(summary == Summary::Small ? numbers[index] : numbers[n - 1 - index]);
    }
    case Summary::PercentileInclusive:
      return Percentile(std::move(numbers), k, false);
    case Summary::PercentileExclusive:
      return Percentile(std::move(numbers), k, true);
    case Summary::QuartileInclusive: {
      const double quart = std::trunc(k);
      if (quart < 0.0 || quart > 4.0) return Fail(ErrorCode::Num);
      return Percentile(std::move(numbers), quart / 4.0, false);
    }
    case Summary::QuartileExclusive: {
      const double quart = std::trunc(k);
      if (quart <= 0.0 || quart >= 4.0) return Fail(ErrorCode::Num);
      return Percentile(std::move(numbers), quart / 4.0, true);
    }
  }
  return Fail(ErrorCode::Value);
}

// ----- SUMIF, SUMIFS, COUNTIF, COUNTIFS, AVERAGEIF, AVERAGEIFS, MAXIFS, MINIFS ---------------

struct Condition {
  Area area;
  CCriterion criterion;
};

EvalValue ValueAtOffset(const Area& area, std::int32_t row, std::int32_t column,
                        CFunctionContext& context) {
  const CellCoord cell{area.rect.first.row + row, area.rect.first.column + column};
  if (!IsOnSheet(cell)) return EvalValue();
  return context.CellValueAt(area, cell);
}

// Where the ranges (all of `rows` by `columns`, from their top-left cells) hold anything, in
// offsets from their corners: the only positions worth reading.
std::optional<CellRect> UsedOffsets(const std::vector<Area>& areas, std::int32_t rows,
                                    std::int32_t columns, CFunctionContext& context) {
  std::optional<CellRect> box;
  for (const Area& area : areas) {
    Area sized = area;
    sized.rect.last = {std::min(area.rect.first.row + rows - 1, kMaxRows),
                       std::min(area.rect.first.column + columns - 1, kMaxColumns)};
    const std::optional<CellRect> used = context.UsedPart(sized);
    if (!used) continue;
    const CellRect offsets{
        {used->first.row - area.rect.first.row, used->first.column - area.rect.first.column},
        {used->last.row - area.rect.first.row, used->last.column - area.rect.first.column}};
    box = box ? box->Union(offsets) : offsets;
  }
  return box;
}

// Visits the target value of every position where all conditions hold; returns how many
// positions matched, blank ones included.
template <class Visit>
std::int64_t ScanConditions(const std::vector<Condition>& conditions,
                            const std::optional<Area>& target, CFunctionContext& context,
                            Visit&& visit) {
  const std::int32_t rows = conditions.front().area.rect.Rows();
  const std::int32_t columns = conditions.front().area.rect.Columns();
  std::vector<Area> areas;
  for (const Condition& condition : conditions) areas.push_back(condition.area);
  if (target) areas.push_back(*target);
  const std::optional<CellRect> box = UsedOffsets(areas, rows, columns, context);
  std::int64_t matched = 0;
  std::int64_t visited = 0;
  if (box) {
    for (std::int32_t r = box->first.row; r <= box->last.row; ++r) {
      for (std::int32_t c = box->first.column; c <= box->last.column; ++c) {
        ++visited;
        bool all = true;
        for (const Condition& condition : conditions) {
          if (!condition.criterion.Matches(ValueAtOffset(condition.area, r, c, context))) {
            all = false;
            break;
          }
        }
        if (!all) continue;
        ++matched;
        if (target && !visit(ValueAtOffset(*target, r, c, context))) return matched;
      }
    }
  }
  // Positions outside every used part are blank everywhere: they match together or not at all.
  bool blanksMatch = true;
  for (const Condition& condition : conditions) {
    blanksMatch = blanksMatch && condition.criterion.Matches(EvalValue());
  }
  if (blanksMatch) matched += std::int64_t{rows} * columns - visited;
  return matched;
}

enum class IfsKind : std::uint8_t { Sum, Count, Average, Max, Min };

// The matched targets' numbers; the first error among them stops the scan.
EvalValue AggregateMatches(IfsKind kind, const std::vector<Condition>& conditions,
                           const std::optional<Area>& target, CFunctionContext& context) {
  std::vector<double> numbers;
  std::optional<EvalValue> error;
  const std::int64_t matched =
      ScanConditions(conditions, target, context, [&](const EvalValue& value) {
        if (value.IsError()) {
          error = value;
          return false;
        }
        if (value.IsNumber()) numbers.push_back(value.AsNumber());
        return true;
      });
  if (error) return *error;
  switch (kind) {
    case IfsKind::Count:
      return EvalValue::Number(static_cast<double>(matched));
    case IfsKind::Sum:
      return Summarize(Summary::Sum, std::move(numbers), 0, 0.0);
    case IfsKind::Average:
      return Summarize(Summary::Average, std::move(numbers), 0, 0.0);
    case IfsKind::Max:
      return Summarize(Summary::Max, std::move(numbers), 0, 0.0);
    case IfsKind::Min:
      return Summarize(Summary::Min, std::move(numbers), 0, 0.0);
  }
  return Fail(ErrorCode::Value);
}

// SUMIF and AVERAGEIF: the sum range takes the criteria range's size from its own corner.
EvalValue SingleCondition(std::span<const EvalValue> args, CFunctionContext& context,
                          IfsKind kind) {
  Area range;
  if (auto error = GetArea(args[0], range)) return *error;
  std::optional<Area> target = range;
  if (args.size() > 2 && !args[2].IsEmpty()) {
    Area sum;
    if (auto error = GetArea(args[2], sum)) return *error;
    sum.rect.last = {sum.rect.first.row + range.rect.Rows() - 1,
                     sum.rect.first.column + range.rect.Columns() - 1};
    target = sum;
  }
  return AggregateMatches(kind, {Condition{range, CCriterion(args[1])}}, target, context);
}

EvalValue SumIf(std::span<const EvalValue> args, CFunctionContext& context) {
  return SingleCondition(args, context, IfsKind::Sum);
}

EvalValue AverageIf(std::span<const EvalValue> args, CFunctionContext& context) {
  return SingleCondition(args, context, IfsKind::Average);
}

EvalValue CountIf(std::span<const EvalValue> args, CFunctionContext& context) {
  if (args[0].IsError()) return args[0];
  if (!args[0].IsReference()) return Fail(ErrorCode::Value);
  const CCriterion criterion(args[1]);
  double count = 0.0;
  for (const Area& area : args[0].AsAreas()) {
    count += AggregateMatches(IfsKind::Count, {Condition{area, criterion}}, std::nullopt, context)
                 .AsNumber();
  }
  return EvalValue::Number(count);
}

// The *IFS functions: pairs of range and criterion from `first` on, every range the shape of
// the first one (the target's, when there is a target). `criteria` holds one scalar per pair.
EvalValue MultipleConditions(std::span<const EvalValue> args, CFunctionContext& context,
                             IfsKind kind, std::span<const EvalValue> criteria) {
  const std::size_t first = kind == IfsKind::Count ? 0 : 1;
  std::optional<Area> target;
  if (kind != IfsKind::Count) {
    Area area;
    if (auto error = GetArea(args[0], area)) return *error;
    target = area;
  }
  std::vector<Condition> conditions;
  for (std::size_t i = first; i + 1 < args.size(); i += 2) {
    Area range;
    if (auto error = GetArea(args[i], range)) return *error;
    const CellRect& shape = target               ? target->rect
                            : conditions.empty() ? range.rect
                                                 : conditions.front().area.rect;
    if (range.rect.Rows() != shape.Rows() || range.rect.Columns() != shape.Columns()) {
      return Fail(ErrorCode::Value);
    }
    conditions.push_back({range, CCriterion(criteria[(i - first) / 2])});
  }
  return AggregateMatches(kind, conditions, target, context);
}

// The parameters alternate between ranges and criteria, which one letter per kind cannot say:
// all are taken raw, and criteria are made scalars here, arrays of them spread over calls.
EvalValue SpreadConditions(std::span<const EvalValue> args, CFunctionContext& context,
                           IfsKind kind) {
  const std::size_t first = kind == IfsKind::Count ? 0 : 1;
  if (args.size() < first + 2 || (args.size() - first) % 2 != 0) return Fail(ErrorCode::Value);
  std::vector<EvalValue> criteria;
  std::int32_t rows = 1;
  std::int32_t columns = 1;
  bool spread = false;
  for (std::size_t i = first + 1; i < args.size(); i += 2) {
    criteria.push_back(Dereference(args[i], context));
    if (criteria.back().IsArray()) {
      spread = true;
      rows = std::max(rows, criteria.back().AsArray().rows);
      columns = std::max(columns, criteria.back().AsArray().columns);
    }
  }
  if (!spread) return MultipleConditions(args, context, kind, criteria);
  ValueArray results{rows, columns, {}};
  std::vector<EvalValue> scalars(criteria.size());
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      std::optional<EvalValue> missing;
      for (std::size_t k = 0; k < criteria.size(); ++k) {
        if (!criteria[k].IsArray()) {
          scalars[k] = criteria[k];
          continue;
        }
        const ValueArray& array = criteria[k].AsArray();
        // A single row or column stretches across; other short arrays leave #N/A.
        const std::int32_t y = array.rows == 1 ? 0 : r;
        const std::int32_t x = array.columns == 1 ? 0 : c;
        if (y >= array.rows || x >= array.columns) {
          missing = Fail(ErrorCode::NA);
          break;
        }
        scalars[k] = array.At(y, x);
      }
      results.cells.push_back(missing ? *missing
                                      : MultipleConditions(args, context, kind, scalars));
    }
  }
  return EvalValue::Array(std::move(results));
}

EvalValue SumIfs(std::span<const EvalValue> args, CFunctionContext& context) {
  return SpreadConditions(args, context, IfsKind::Sum);
}

EvalValue CountIfs(std::span<const EvalValue> args, CFunctionContext& context) {
  return SpreadConditions(args, context, IfsKind::Count);
}

EvalValue AverageIfs(std::span<const EvalValue> args, CFunctionContext& context) {
  return SpreadConditions(args, context, IfsKind::Average);
}

EvalValue MaxIfs(std::span<const EvalValue> args, CFunctionContext& context) {
  return SpreadConditions(args, context, IfsKind::Max);
}

EvalValue MinIfs(std::span<const EvalValue> args, CFunctionContext& context) {
  return SpreadConditions(args, context, IfsKind::Min);
}

// ----- SUMPRODUCT -------------------------------------------------------------------------------

EvalValue SumProduct(std::span<const EvalValue> args, CFunctionContext& context) {
  std::vector<ValueArray> arrays(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].IsError()) return args[i];
    if (auto error = GetArray(args[i], context, arrays[i])) return *error;
    if (arrays[i].rows != arrays[0].rows || arrays[i].columns != arrays[0].columns) {
      return Fail(ErrorCode::Value);
    }
  }
  double sum = 0.0;
  for (std::size_t cell = 0; cell < arrays[0].cells.size(); ++cell) {
    double product = 1.0;
    for (const ValueArray& array : arrays) {
      const EvalValue& value = array.cells[cell];
      if (value.IsError()) return value;
      product *= value.IsNumber() ? value.AsNumber() : 0.0;
    }
    sum += product;
  }
  return NumberResult(sum);
}

// ----- SUBTOTAL and AGGREGATE -------------------------------------------------------------------

bool HoldsSubtotal(const std::optional<std::wstring>& formula) {
  if (!formula) return false;
  const std::wstring upper = ToUpper(*formula);
  return upper.find(L"SUBTOTAL(") != std::wstring::npos ||
         upper.find(L"AGGREGATE(") != std::wstring::npos;
}

struct Gathered {
  std::vector<double> numbers;
  std::size_t nonBlank = 0;
};

// The values of SUBTOTAL's and AGGREGATE's arguments: cells holding SUBTOTAL or AGGREGATE are
// left out when `skipNested` (they are totals already); errors stop the walk unless skipped,
// or counted as values when `counting` (COUNT and COUNTA are not upset by them).
std::optional<EvalValue> Gather(std::span<const EvalValue> args, CFunctionContext& context,
                                bool skipNested, bool skipErrors, bool counting, Gathered& out) {
  std::optional<EvalValue> error;
  auto take = [&](const EvalValue& value, bool typed) {
    if (value.IsEmpty()) return true;
    if (value.IsError()) {
      if (skipErrors) return true;
      if (counting) {
        ++out.nonBlank;
        return true;
      }
      error = value;
      return false;
    }
    ++out.nonBlank;
    if (value.IsNumber()) {
      out.numbers.push_back(value.AsNumber());
    } else if (typed) {
      double number = 0.0;
      if (!GetNumber(value, number)) out.numbers.push_back(number);
    }
    return true;
  };
  for (const EvalValue& arg : args) {
    if (arg.IsReference()) {
      for (const Area& area : arg.AsAreas()) {
        const std::optional<CellRect> used = context.UsedPart(area);
        if (!used) continue;
        for (std::int32_t row = used->first.row; row <= used->last.row; ++row) {
          for (std::int32_t column = used->first.column; column <= used->last.column; ++column) {
            if (skipNested && HoldsSubtotal(context.FormulaAt(area, {row, column}))) continue;
            if (!take(context.CellValueAt(area, {row, column}), false)) return error;
          }
        }
      }
    } else if (arg.IsArray()) {
      for (const EvalValue& value : arg.AsArray().cells) {
        if (!take(value, false)) return error;
      }
    } else if (!take(arg, true)) {
      return error;
    }
  }
  return std::nullopt;
}

constexpr Summary kSummaries[] = {
    Summary::Average,
    Summary::Count,
    Summary::CountA,
    Summary::Max,
    Summary::Min,
    Summary::Product,
    Summary::StdevSample,
    Summary::StdevPopulation,
    Summary::Sum,
    Summary::VarSample,
    Summary::VarPopulation,
    Summary::Median,
    Summary::Mode,
    Summary::Large,
    Summary::Small,
    Summary::PercentileInclusive,
    Summary::QuartileInclusive,
    Summary::PercentileExclusive,
    Summary::QuartileExclusive,
};

EvalValue Subtotal(std::span<const EvalValue> args, CFunctionContext& context) {
  std::int64_t number = 0;
  if (auto error = GetInteger(args[0], number)) return *error;
  // 101-111 would also leave out hidden rows, which are not modelled.
  if (number > 100) number -= 100;
  if (number < 1 || number > 11) return Fail(ErrorCode::Value);
  const Summary summary = kSummaries[static_cast<std::size_t>(number - 1)];
  const bool counting = summary == Summary::Count || summary == Summary::CountA;
  Gathered gathered;
  if (auto error = Gather(args.subspan(1), context, true, false, counting, gathered)) {
    return *error;
  }
  return Summarize(summary, std::move(gathered.numbers), gathered.nonBlank, 0.0);
}

EvalValue Aggregate(std::span<const EvalValue> args, CFunctionContext& context) {
  std::int64_t number = 0;
  std::int64_t options = 0;
  if (auto error = GetInteger(args[0], number)) return *error;
  if (!args[1].IsEmpty()) {
    if (auto error = GetInteger(args[1], options)) return *error;
  }
  if (number < 1 || number > 19 || options < 0 || options > 7) return Fail(ErrorCode::Value);
  const bool skipNested = options <= 3;
  const bool skipErrors = options == 2 || options == 3 || options == 6 || options == 7;
  double k = 0.0;
  std::span<const EvalValue> data = args.subspan(2);
  if (number >= 14) {
    if (args.size() < 4) return Fail(ErrorCode::Value);
    if (auto error = GetNumber(Dereference(args[3], context), k)) return *error;
    data = args.subspan(2, 1);
  }
  const Summary summary = kSummaries[static_cast<std::size_t>(number - 1)];
  const bool counting = summary == Summary::Count || summary == Summary::CountA;
  Gathered gathered;
  if (auto error = Gather(data, context, skipNested, skipErrors, counting, gathered)) {
    return *error;
  }
  return Summarize(summary, std::move(gathered.numbers), gathered.nonBlank, k);
}

// ----- Database functions -----------------------------------------------------------------------

std::optional<EvalValue> GetTable(const EvalValue& value, CFunctionContext& context,
                                  ValueArray& out) {
  if (value.IsError()) return value;
  if (value.IsReference() && value.AsAreas().size() == 1) {
    // Records below the used range are blank: read no further than it.
    Area area = value.AsAreas().front();
    const std::optional<CellRect> used = context.UsedPart(area);
    if (used && used->last.row > area.rect.first.row) area.rect.last.row = used->last.row;
    return GetArray(EvalValue::Reference(area), context, out);
  }
  if (!value.IsArray()) return Fail(ErrorCode::Value);
  out = value.AsArray();
  return std::nullopt;
}

std::optional<std::int32_t> FindLabel(const ValueArray& table, const EvalValue& label) {
  std::wstring text;
  if (GetText(label, text)) return std::nullopt;
  for (std::int32_t c = 0; c < table.columns; ++c) {
    std::wstring heading;
    if (!GetText(table.At(0, c), heading) && CompareTextIgnoringCase(heading, text) == 0) return c;
  }
  return std::nullopt;
}

// The records of `database` meeting `criteria`: a row of labels, then rows of conditions, each
// row's conditions all holding, any row sufficing.
std::optional<EvalValue> MatchingRecords(const ValueArray& database, const ValueArray& criteria,
                                         std::vector<std::int32_t>& out) {
  if (database.rows < 1 || criteria.rows < 1) return Fail(ErrorCode::Value);
  struct Test {
    std::optional<std::int32_t> column;  // Nothing: a label the database lacks.
    CCriterion criterion;
  };
  std::vector<std::vector<Test>> alternatives;
  for (std::int32_t r = 1; r < criteria.rows; ++r) {
    std::vector<Test> tests;
    for (std::int32_t c = 0; c < criteria.columns; ++c) {
      const EvalValue& cell = criteria.At(r, c);
      if (cell.IsEmpty()) continue;
      tests.push_back({FindLabel(database, criteria.At(0, c)), CCriterion(cell, true)});
    }
    alternatives.push_back(std::move(tests));
  }
  for (std::int32_t record = 1; record < database.rows; ++record) {
    bool any = alternatives.empty();
    for (const auto& tests : alternatives) {
      bool all = true;
      for (const Test& test : tests) {
        // Computed criteria (labels that are no column's) would need the formula re-evaluated
        // per record; they match nothing here.
        if (!test.column || !test.criterion.Matches(database.At(record, *test.column))) {
          all = false;
          break;
        }
      }
      if (all) {
        any = true;
        break;
      }
    }
    if (any) out.push_back(record);
  }
  return std::nullopt;
}

enum class DatabaseKind : std::uint8_t {
  Sum,
  Count,
  CountA,
  Average,
  Max,
  Min,
  Product,
  Get,
  Stdev,
  StdevP,
  Var,
  VarP
};

EvalValue DatabaseFunction(std::span<const EvalValue> args, CFunctionContext& context,
                           DatabaseKind kind) {
  ValueArray database;
  ValueArray criteria;
  if (auto error = GetTable(args[0], context, database)) return *error;
  if (auto error = GetTable(args[2], context, criteria)) return *error;
  const EvalValue field = Dereference(args[1], context);
  if (field.IsError()) return field;
  std::optional<std::int32_t> column;
  const bool counting = kind == DatabaseKind::Count || kind == DatabaseKind::CountA;
  if (field.IsNumber()) {
    const double index = std::trunc(field.AsNumber());
    if (index < 1.0 || index > database.columns) return Fail(ErrorCode::Value);
    column = static_cast<std::int32_t>(index) - 1;
  } else if (field.IsText()) {
    column = FindLabel(database, field);
    if (!column) return Fail(ErrorCode::Value);
  } else if (!(counting && field.IsEmpty())) {
    return Fail(ErrorCode::Value);
  }
  std::vector<std::int32_t> records;
  if (auto error = MatchingRecords(database, criteria, records)) return *error;
  if (kind == DatabaseKind::Get) {
    if (records.empty()) return Fail(ErrorCode::Value);
    if (records.size() > 1) return Fail(ErrorCode::Num);
    return database.At(records.front(), *column);
  }
  std::vector<double> numbers;
  std::size_t nonBlank = 0;
  for (const std::int32_t record : records) {
    if (!column) {
      // COUNT and COUNTA without a field count the records.
      numbers.push_back(0.0);
      ++nonBlank;
      continue;
    }
    const EvalValue& value = database.At(record, *column);
    if (!value.IsEmpty()) ++nonBlank;
    if (value.IsNumber()) numbers.push_back(value.AsNumber());
  }
  static constexpr Summary kOf[] = {Summary::Sum,         Summary::Count,
                                    Summary::CountA,      Summary::Average,
                                    Summary::Max,         Summary::Min,
                                    Summary::Product,     Summary::Sum,
                                    Summary::StdevSample, Summary::StdevPopulation,
                                    Summary::VarSample,   Summary::VarPopulation};
  return Summarize(kOf[static_cast<std::size_t>(kind)], std::move(numbers), nonBlank, 0.0);
}

template <DatabaseKind kKind>
EvalValue Database(std::span<const EvalValue> args, CFunctionContext& context) {
  return DatabaseFunction(args, context, kKind);
}

}  // namespace

void RegisterAggregateFunctions(CFunctionTable& table) {
  AddFunction(table, {L"SUMIF", 2, 3, "rvr", SumIf});
  AddFunction(table, {L"AVERAGEIF", 2, 3, "rvr", AverageIf});
  AddFunction(table, {L"COUNTIF", 2, 2, "rv", CountIf});
  AddFunction(table, {L"SUMIFS", 3, kManyArgs, "r", SumIfs});
  AddFunction(table, {L"AVERAGEIFS", 3, kManyArgs, "r", AverageIfs});
  AddFunction(table, {L"MAXIFS", 3, kManyArgs, "r", MaxIfs});
  AddFunction(table, {L"MINIFS", 3, kManyArgs, "r", MinIfs});
  AddFunction(table, {L"COUNTIFS", 2, kManyArgs, "r", CountIfs});
  AddFunction(table, {L"SUMPRODUCT", 1, kManyArgs, "a", SumProduct});
  AddFunction(table, {L"SUBTOTAL", 2, kManyArgs, "vr", Subtotal});
  AddFunction(table, {L"AGGREGATE", 3, kManyArgs, "vva", Aggregate});
  AddFunction(table, {L"DSUM", 3, 3, "rrr", Database<DatabaseKind::Sum>});
  AddFunction(table, {L"DCOUNT", 3, 3, "rrr", Database<DatabaseKind::Count>});
  AddFunction(table, {L"DCOUNTA", 3, 3, "rrr", Database<DatabaseKind::CountA>});
  AddFunction(table, {L"DAVERAGE", 3, 3, "rrr", Database<DatabaseKind::Average>});
  AddFunction(table, {L"DMAX", 3, 3, "rrr", Database<DatabaseKind::Max>});
  AddFunction(table, {L"DMIN", 3, 3, "rrr", Database<DatabaseKind::Min>});
  AddFunction(table, {L"DPRODUCT", 3, 3, "rrr", Database<DatabaseKind::Product>});
  AddFunction(table, {L"DGET", 3, 3, "rrr", Database<DatabaseKind::Get>});
  AddFunction(table, {L"DSTDEV", 3, 3, "rrr", Database<DatabaseKind::Stdev>});
  AddFunction(table, {L"DSTDEVP", 3, 3, "rrr", Database<DatabaseKind::StdevP>});
  AddFunction(table, {L"DVAR", 3, 3, "rrr", Database<DatabaseKind::Var>});
  AddFunction(table, {L"DVARP", 3, 3, "rrr", Database<DatabaseKind::VarP>});
}

}  // namespace spreadsheet
