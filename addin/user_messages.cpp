#include "addin/user_messages.h"

std::wstring MessageText(int32_t id) {
  switch (id) {
    case kMessageOpenWorkbook:
      return L"You must open workbook, to use this command.";
    case kMessageTraceErrorNeedsError:
      return L"Trace Error command could be applied to cell, which contains error value.";
    case kMessageOpenWorkbookToEvaluate:
      return L"You must open workbook, to evalute formula.";
    default:
      return {};
  }
}
