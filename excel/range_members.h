// Range calls that carry a rule of their own beyond the plain accessors.
#pragma once

#include <string>

#include "excel/excel_object.h"

// Excel's xlR1C1.
inline constexpr LONG kReferenceStyleR1C1 = -4150;

// Application.Intersect of two ranges. When both handles hold the same object that object is
// the answer and nothing is called. Fails when the ranges have nothing in common.
bool IntersectRanges(const ExcelObject& application, const ExcelObject& first,
                     const ExcelObject& second, ExcelObject* common);

// Range.Resize; -1 for either size keeps that size, by passing the missing value.
bool ResizeRange(const ExcelObject& range, LONG rows, LONG columns, ExcelObject* resized);

// Range.Address in the external absolute R1C1 form that Excel 4 macro functions accept:
// "[Book1.xlsx]Sheet1!R3C2".
bool ExternalR1C1Address(const ExcelObject& range, std::wstring* text);
