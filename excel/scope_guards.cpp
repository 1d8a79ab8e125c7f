// The scope guards. Destructors never throw: a failed restore is a failed workbook call, which
// the system does not report.
#include "excel/scope_guards.h"

ScreenUpdatingGuard::ScreenUpdatingGuard(const ExcelObject& application) : application_(application) {
  // A failed read or a non-Boolean answer counts as on, so updating is switched off.
  CVariant read;
  const bool readOk = application_.GetValue(L"ScreenUpdating", &read);
  wasOn_ = !readOk || read.Kind() != VT_BOOL || read.Get()->boolVal != VARIANT_FALSE;
  if (wasOn_) application_.PutBool(L"ScreenUpdating", false);
}

ScreenUpdatingGuard::~ScreenUpdatingGuard() {
  try {
    if (wasOn_) application_.PutBool(L"ScreenUpdating", true);
  } catch (...) {  // NOLINT(bugprone-empty-catch): a restore that cannot allocate is dropped.
  }
}

CalculationGuard::CalculationGuard(const ExcelObject& application) : application_(application) {
  read_ = application_.GetLong(L"Calculation", &savedMode_);
  if (read_ && savedMode_ != kCalculationManual) application_.PutLong(L"Calculation", kCalculationManual);
}

CalculationGuard::~CalculationGuard() {
  try {
    if (read_ && savedMode_ != kCalculationManual) application_.PutLong(L"Calculation", savedMode_);
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

EventsGuard::EventsGuard(const ExcelObject& application) : application_(application) {
  wasOn_ = application_.IsTrue(L"EnableEvents");
  if (wasOn_) application_.PutBool(L"EnableEvents", false);
}

EventsGuard::~EventsGuard() {
  try {
    if (wasOn_) application_.PutBool(L"EnableEvents", true);
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

RecalcPauseGuard::RecalcPauseGuard(const ExcelObject& application) : application_(application) {
  if (!application_.GetLong(L"Calculation", &savedMode_)) savedMode_ = 0;
  bool screen = false;
  if (application_.GetBool(L"ScreenUpdating", &screen)) screenWasOn_ = screen;
  if (savedMode_ != kCalculationManual) application_.PutLong(L"Calculation", kCalculationManual);
  if (screenWasOn_) application_.PutBool(L"ScreenUpdating", false);
}

RecalcPauseGuard::~RecalcPauseGuard() {
  try {
    if (savedMode_ != kCalculationManual) application_.PutLong(L"Calculation", savedMode_);
    if (screenWasOn_) application_.PutBool(L"ScreenUpdating", true);
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}
