// Scope guards that pause screen updating, recalculation and events around long operations.
// Each remembers what it found on entry and restores only what it changed, also when the
// operation ends early by an exception.
#pragma once

#include "excel/excel_object.h"

// Excel's xlCalculationManual.
inline constexpr LONG kCalculationManual = -4135;

class ScreenUpdatingGuard {
 public:
  explicit ScreenUpdatingGuard(const ExcelObject& application);
  ~ScreenUpdatingGuard();
  ScreenUpdatingGuard(const ScreenUpdatingGuard&) = delete;
  ScreenUpdatingGuard& operator=(const ScreenUpdatingGuard&) = delete;

 private:
  ExcelObject application_;
  bool wasOn_ = false;
};

class CalculationGuard {
 public:
  explicit CalculationGuard(const ExcelObject& application);
  ~CalculationGuard();
  CalculationGuard(const CalculationGuard&) = delete;
  CalculationGuard& operator=(const CalculationGuard&) = delete;

 private:
  ExcelObject application_;
  bool read_ = false;  // Without a mode read there is nothing to restore.
  LONG savedMode_ = kCalculationManual;
};

class EventsGuard {
 public:
  explicit EventsGuard(const ExcelObject& application);
  ~EventsGuard();
  EventsGuard(const EventsGuard&) = delete;
  EventsGuard& operator=(const EventsGuard&) = delete;

 private:
  ExcelObject application_;
  bool wasOn_ = false;
};

// Calculation and screen updating together, for the workbook scan, evaluation in a cell's
// context and worksheet output.
class RecalcPauseGuard {
 public:
  explicit RecalcPauseGuard(const ExcelObject& application);
  ~RecalcPauseGuard();
  RecalcPauseGuard(const RecalcPauseGuard&) = delete;
  RecalcPauseGuard& operator=(const RecalcPauseGuard&) = delete;

 private:
  ExcelObject application_;
  LONG savedMode_ = 0;
  bool screenWasOn_ = false;
};
