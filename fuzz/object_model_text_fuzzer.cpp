// Fuzzes the texts that arrive from Excel through the object model: an answer of any kind
// (text above all, as Range.Address, Range.Formula and Name.RefersTo give it) read through
// ExcelObject's typed getters, PropertyText and EvaluationText, and VariantChangeTypeEx to every
// kind the object model exchanges and back to text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "excel/excel_object.h"
#include "excel/value_text.h"
#include "fuzz/fuzz_text.h"
#include "platform/automation.h"
#include "platform/variant.h"
#include "tests/support/scripted_dispatch.h"

namespace {

// The first byte picks the answer's kind; the rest is its text or its eight bytes.
CVariant AnswerOf(const uint8_t* data, size_t size) {
  if (size == 0) return CVariant();
  const uint8_t kind = data[0] % 4;
  const std::string_view rest = fuzz_support::Bytes(data + 1, size - 1);
  if (kind == 0 || rest.size() < 8) return CVariant(std::wstring_view(fuzz_support::WideText(rest)));
  double number = 0;
  std::memcpy(&number, rest.data(), sizeof number);
  CVariant value(number);
  if (kind == 2) value.GetMutable()->vt = VT_DATE;
  if (kind == 3) {
    CVariant whole;
    if (SUCCEEDED(value.ChangeType(VT_I4, &whole))) return whole;
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static constexpr VARTYPE kKinds[] = {VT_R8, VT_R4,  VT_DATE, VT_CY,  VT_I4,  VT_I2, VT_UI1,
                                       VT_I8, VT_UI4, VT_BOOL, VT_BSTR, VT_I1, VT_INT};
  const CVariant answer = AnswerOf(data, size);
  std::wstring text;
  PropertyText(answer, &text);
  EvaluationText(answer);
  for (const VARTYPE kind : kKinds) {
    for (const LCID locale : {kLocaleEnglishUS, LCID{LOCALE_USER_DEFAULT}}) {
      CVariant converted;
      VARIANT* out = converted.Receive();
      if (FAILED(VariantChangeTypeEx(out, answer.GetSource(), locale, 0, kind))) continue;
      CVariant back;
      converted.ChangeType(VT_BSTR, &back);
      PropertyText(converted, &text);
    }
  }

  test_support::CScriptedDispatch object;
  object.Script(L"Address", answer);
  const ExcelObject handle(&object);
  LONG number = 0;
  double real = 0;
  bool truth = false;
  handle.GetText(L"Address", &text);
  handle.GetLong(L"Address", &number);
  handle.GetDouble(L"Address", &real);
  handle.GetBool(L"Address", &truth);
  return 0;
}
