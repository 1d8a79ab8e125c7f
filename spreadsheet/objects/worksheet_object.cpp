// Worksheet: name, position, visibility, ranges, names, tables, Evaluate, activation and
// protection.
#include "spreadsheet/objects/worksheet_object.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/char_class.h"
#include "spreadsheet/model/error_code.h"
#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/reference_resolver.h"
#include "spreadsheet/objects/sheet_rename.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kApplication = 1,
  kParent,
  kName,
  kIndex,
  kVisible,
  kUsedRange,
  kCells,
  kRange,
  kNames,
  kListObjects,
  kEvaluate,
  kActivate,
  kSelect,
  kClearArrows,
  kProtect,
  kUnprotect,
  kProtectContents,
};

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::Property},
    Member{L"Index", kIndex, MemberKind::ReadOnlyProperty},
    Member{L"Visible", kVisible, MemberKind::Property},
    Member{L"UsedRange", kUsedRange, MemberKind::ReadOnlyProperty},
    Member{L"Cells", kCells, MemberKind::ReadOnlyProperty},
    Member{L"Range", kRange, MemberKind::ReadOnlyProperty},
    Member{L"Names", kNames, MemberKind::ReadOnlyProperty},
    Member{L"ListObjects", kListObjects, MemberKind::ReadOnlyProperty},
    Member{L"Evaluate", kEvaluate, MemberKind::Method},
    Member{L"Activate", kActivate, MemberKind::Method},
    Member{L"Select", kSelect, MemberKind::Method},
    Member{L"ClearArrows", kClearArrows, MemberKind::Method},
    Member{L"Protect", kProtect, MemberKind::Method},
    Member{L"Unprotect", kUnprotect, MemberKind::Method},
    Member{L"ProtectContents", kProtectContents, MemberKind::ReadOnlyProperty},
};

// XlSheetVisibility.
constexpr std::int32_t kSheetVisible = -1;
constexpr std::int32_t kSheetHidden = 0;
constexpr std::int32_t kSheetVeryHidden = 2;
// Worksheet.Protect takes Excel's sixteen arguments: the password and what to protect.
constexpr std::size_t kProtectArguments = 16;
constexpr std::size_t kProtectContentsArgument = 2;

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.back()))) text.remove_suffix(1);
  return text;
}

// A constant as a formula writes it: a number, text in quotes, TRUE, FALSE or an error value.
std::optional<CellValue> ParseLiteral(std::wstring_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == L'=') text = Trim(text.substr(1));
  if (text.empty()) return std::nullopt;
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    std::wstring value;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
      if (text[i] == L'"') {
        if (i + 2 < text.size() && text[i + 1] == L'"') {
          ++i;
        } else {
          return std::nullopt;  // A lone quote inside: an expression, not one string.
        }
      }
      value += text[i];
    }
    return CellValue::Text(std::move(value));
  }
  if (SameIdentifier(text, L"TRUE")) return CellValue::Boolean(true);
  if (SameIdentifier(text, L"FALSE")) return CellValue::Boolean(false);
  if (const auto error = ParseErrorText(text)) return CellValue::Error(*error);
  // Digits, one sign, a decimal point and an exponent only: wcstod alone also reads "inf",
  // "nan" and hexadecimal.
  const bool numeric = std::all_of(text.begin(), text.end(), [](wchar_t c) {
    return IsAsciiDigit(c) || c == L'.' || c == L'e' || c == L'E' || c == L'+' ||
           c == L'-';
  });
  if (!numeric) return std::nullopt;
  const std::wstring copy(text);
  wchar_t* end = nullptr;
  const double number = std::wcstod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(number)) return std::nullopt;
  return CellValue::Number(number);
}

bool LooksLikeName(std::wstring_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == L'=') text = Trim(text.substr(1));
  return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) {
    return std::iswalnum(static_cast<wint_t>(c)) || c == L'_' || c == L'.' || c == L'\\' ||
           c == L'!' || c == L'\'';
  });
}

CVariant ArrayValue(const EvaluationResult& answer) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(answer.rows), 1},
                              {static_cast<ULONG>(answer.columns), 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (array == nullptr) throw std::bad_alloc();
  VARIANT holder;
  VariantInit(&holder);
  holder.vt = VT_ARRAY | VT_VARIANT;
  holder.parray = array;
  CVariant owned = CVariant::Adopt(&holder);
  for (std::int32_t row = 0; row < answer.rows; ++row) {
    for (std::int32_t column = 0; column < answer.columns; ++column) {
      CVariant element = CellValueToVariant(
          answer.values[static_cast<std::size_t>(row) * static_cast<std::size_t>(answer.columns) +
                        static_cast<std::size_t>(column)]);
      LONG indices[2] = {row + 1, column + 1};
      if (FAILED(SafeArrayPutElement(array, indices, element.GetMutable()))) {
        throw std::bad_alloc();
      }
    }
  }
  return owned;
}

// The evaluator's answer as Excel hands it out; nothing when the answer is malformed.
std::optional<CVariant> AnswerValue(const ObjectContext& context, const EvaluationResult& answer) {
  switch (answer.kind) {
    case EvaluationResult::Kind::Reference: {
      CWorkbook& workbook = *context.workbook;
      if (answer.sheet < 1 || answer.sheet > workbook.SheetCount() || !IsOnSheet(answer.range)) {
        return std::nullopt;
      }
      const ObjectContext on{context.application, context.workbook, &workbook.Sheet(answer.sheet)};
      if (answer.otherAreas.empty()) return ObjectValue(CreateRangeObject(on, answer.range));
      std::vector<CellRect> areas{answer.range};
      areas.insert(areas.end(), answer.otherAreas.begin(), answer.otherAreas.end());
      CComPtr<IDispatch> range = CreateAreasRangeObject(on, areas);
      if (!range) return std::nullopt;
      return ObjectValue(range);
    }
    case EvaluationResult::Kind::Array:
      if (answer.rows < 1 || answer.columns < 1 ||
          answer.values.size() !=
              static_cast<std::size_t>(answer.rows) * static_cast<std::size_t>(answer.columns)) {
        return std::nullopt;
      }
      return ArrayValue(answer);
    case EvaluationResult::Kind::Value:
      if (answer.values.size() != 1) return std::nullopt;
      return CellValueToVariant(answer.values.front());
  }
  return std::nullopt;
}

}  // namespace

CVariant EvaluateOnSheet(const ObjectContext& context, const std::wstring& expression) {
  CWorkbook& workbook = *context.workbook;
  const std::int32_t index = workbook.IndexOf(*context.sheet);
  if (const auto& evaluator = context.application->Evaluator()) {
    if (const auto answer = evaluator(workbook, index, expression)) {
      if (auto value = AnswerValue(context, *answer)) return std::move(*value);
      return CVariant::Error(ErrorScode(ErrorCode::Value));
    }
  }
  const CReferenceResolver resolver(workbook, index);
  if (const auto found = resolver.Resolve(expression)) {
    const ObjectContext on{context.application, context.workbook, &workbook.Sheet(found->sheet)};
    return ObjectValue(CreateRangeObject(on, found->range));
  }
  if (const auto literal = ParseLiteral(expression)) return CellValueToVariant(*literal);
  if (const DefinedName* name = resolver.FindName(expression)) {
    if (const auto literal = ParseLiteral(name->refersTo)) return CellValueToVariant(*literal);
    return CVariant::Error(ErrorScode(ErrorCode::Value));
  }
  return CVariant::Error(
      ErrorScode(LooksLikeName(expression) ? ErrorCode::Name : ErrorCode::Value));
}

std::span<const Member> CWorksheetObject::Members() const {
  return kMembers;
}

HRESULT CWorksheetObject::Call(const Member& member, bool put, const CArguments& args,
                               CVariant* result) {
  CWorksheet& sheet = *context_.sheet;
  CWorkbook& workbook = *context_.workbook;
  if (member.kind != MemberKind::Method && member.id != kRange) {
    if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  }
  switch (member.id) {
    case kApplication:
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      *result = ObjectValue(CreateWorkbookObject({context_.application, context_.workbook}));
      return S_OK;
    case kName:
      if (put) {
        std::wstring name;
        if (const HRESULT hr = ReadPutText(args, &name); FAILED(hr)) return hr;
        if (const auto problem = SheetNameProblem(workbook, sheet, name))
          return RuntimeError(*problem);
        RenameSheet(workbook, sheet, name);
        return S_OK;
      }
      *result = CVariant(std::wstring_view(sheet.Name()));
      return S_OK;
    case kIndex:
      *result = CVariant(LONG{Index()});
      return S_OK;
    case kVisible:
      if (put) return PutVisible(args);
      switch (sheet.Visible()) {
        case Visibility::Visible:
          *result = CVariant(LONG{kSheetVisible});
          break;
        case Visibility::Hidden:
          *result = CVariant(LONG{kSheetHidden});
          break;
        case Visibility::VeryHidden:
          *result = CVariant(LONG{kSheetVeryHidden});
          break;
      }
      return S_OK;
    case kUsedRange:
      // An empty sheet's used range is A1, as in Excel.
      *result = ObjectValue(
          CreateRangeObject(context_, sheet.UsedRange().value_or(CellRect::Of({1, 1}))));
      return S_OK;
    case kCells:
      *result = ObjectValue(CreateRangeObject(context_, {{1, 1}, {kMaxRows, kMaxColumns}}));
      return S_OK;
    case kRange:
      return Range(args, result);
    case kNames:
      *result = ObjectValue(CreateNamesObject(context_, Index()));
      return S_OK;
    case kListObjects:
      *result = ObjectValue(CreateListObjectsObject(context_));
      return S_OK;
    case kEvaluate: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::wstring expression;
      if (const HRESULT hr = args.GetText(0, &expression); FAILED(hr)) return hr;
      *result = EvaluateOnSheet(context_, expression);
      return S_OK;
    }
    case kActivate:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      return Activate();
    case kSelect:
      if (const HRESULT hr = CheckArguments(args, 0, 1); FAILED(hr)) return hr;
      return Activate();
    case kClearArrows:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      context_.sheet->ClearTracerArrows();
      return S_OK;
    case kProtect:
      return Protect(args);
    case kUnprotect:
      // Protection here never has a password, so any password given unprotects.
      if (const HRESULT hr = CheckArguments(args, 0, 1); FAILED(hr)) return hr;
      sheet.SetProtected(false);
      return S_OK;
    case kProtectContents:
      *result = CVariant(sheet.IsProtected());
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CWorksheetObject::PutVisible(const CArguments& args) {
  std::int32_t value = 0;
  if (const HRESULT hr = ReadPutLong(args, &value); FAILED(hr)) return hr;
  Visibility visibility = Visibility::Visible;
  switch (value) {
    case kSheetVisible:
      visibility = Visibility::Visible;
      break;
    case kSheetHidden:
      visibility = Visibility::Hidden;
      break;
    case kSheetVeryHidden:
      visibility = Visibility::VeryHidden;
      break;
    default:
      return RuntimeError(L"Unable to set the Visible property of the Worksheet class");
  }
  CWorksheet& sheet = *context_.sheet;
  CWorkbook& workbook = *context_.workbook;
  if (visibility == sheet.Visible()) return S_OK;
  const std::int32_t index = Index();
  if (visibility != Visibility::Visible) {
    // A workbook keeps at least one visible sheet, and its active sheet is a visible one.
    std::int32_t next = 0;
    for (std::int32_t i = index + 1; i <= workbook.SheetCount() && next == 0; ++i) {
      if (workbook.Sheet(i).Visible() == Visibility::Visible) next = i;
    }
    for (std::int32_t i = index - 1; i >= 1 && next == 0; --i) {
      if (workbook.Sheet(i).Visible() == Visibility::Visible) next = i;
    }
    if (next == 0 && sheet.Visible() == Visibility::Visible) {
      return RuntimeError(L"Unable to set the Visible property of the Worksheet class");
    }
    sheet.SetVisible(visibility);
    if (workbook.ActiveSheet() == index && next != 0) {
      workbook.SetActiveSheet(next);
      CSpreadsheetApplication& app = *context_.application;
      const Selection& selection = app.CurrentSelection();
      if (selection.workbook == context_.workbook && selection.sheet == index) {
        app.Select({context_.workbook, next, CellRect::Of({1, 1})});
      }
    }
    return S_OK;
  }
  sheet.SetVisible(visibility);
  return S_OK;
}

HRESULT CWorksheetObject::Range(const CArguments& args, CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 1, 2); FAILED(hr)) return hr;
  const std::int32_t index = Index();
  const CReferenceResolver resolver(*context_.workbook, index);
  std::vector<CellRect> areas;
  std::optional<CellRect> whole;
  std::size_t given = 0;
  for (std::size_t i = 0; i < args.Count(); ++i) {
    const VARIANT* value = args.At(i);
    if (value == nullptr) continue;
    ++given;
    areas.clear();
    if (value->vt == VT_DISPATCH) {
      ObjectContext context;
      if (!ReadRangeAreas(value->pdispVal, &context, &areas)) return DISP_E_TYPEMISMATCH;
      if (context.sheet != context_.sheet) {
        return RuntimeError(L"Method 'Range' of object '_Worksheet' failed");
      }
    } else {
      std::wstring text;
      if (const HRESULT hr = args.GetText(i, &text); FAILED(hr)) return hr;
      const auto found = resolver.ResolveAreas(text);
      if (!found) return RuntimeError(L"Method 'Range' of object '_Worksheet' failed");
      for (const SheetRange& area : *found) {
        if (area.sheet != index)
          return RuntimeError(L"Method 'Range' of object '_Worksheet' failed");
        areas.push_back(area.range);
      }
    }
    // Two corners give the rectangle that holds both, as Range(Cell1, Cell2) does.
    for (const CellRect& area : areas) whole = whole ? whole->Union(area) : area;
  }
  if (given == 1) {
    *result = ObjectValue(CreateAreasRangeObject(context_, areas));  // "A1:A2,B1" is a union
  } else {
    *result = ObjectValue(CreateRangeObject(context_, *whole));
  }
  return S_OK;
}

HRESULT CWorksheetObject::Activate() {
  if (context_.sheet->Visible() != Visibility::Visible) {
    return RuntimeError(L"Activate method of Worksheet class failed");
  }
  CSpreadsheetApplication& app = *context_.application;
  const auto& open = app.Workbooks();
  if (std::find(open.begin(), open.end(), context_.workbook) == open.end()) {
    return RuntimeError(L"The workbook has been closed.");
  }
  const std::int32_t index = Index();
  const Selection& selection = app.CurrentSelection();
  if (selection.workbook == context_.workbook && selection.sheet == index) {
    app.Select(selection);  // Already selected on this sheet: the workbook comes to the front.
  } else {
    app.Select({context_.workbook, index, CellRect::Of({1, 1})});
  }
  return S_OK;
}

HRESULT CWorksheetObject::Protect(const CArguments& args) {
  if (const HRESULT hr = CheckArguments(args, 0, kProtectArguments); FAILED(hr)) return hr;
  if (!args.IsMissing(0)) {
    std::wstring password;
    if (const HRESULT hr = args.GetText(0, &password); FAILED(hr)) return hr;
    if (!password.empty()) {
      // Without a stored password, Unprotect could not refuse anyone: refuse to pretend.
      return RuntimeError(L"This spreadsheet cannot protect a sheet with a password.");
    }
  }
  bool contents = true;
  if (!args.IsMissing(kProtectContentsArgument)) {
    if (const HRESULT hr = args.GetBool(kProtectContentsArgument, &contents); FAILED(hr)) return hr;
  }
  context_.sheet->SetProtected(contents);
  return S_OK;
}

CComPtr<IDispatch> CreateWorksheetObject(const ObjectContext& context) {
  return NewObject<CWorksheetObject>(context);
}

}  // namespace spreadsheet
