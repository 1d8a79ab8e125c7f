// TransposeSelection: turns the selected rectangle over its main diagonal in place, contents and
// a fixed set of formats together. Cells whose mirror lies outside the selection move there and
// their old place is cleared; array formulas are left alone and reported once.
#pragma once

#include "excel/excel_object.h"
#include "platform/message_sink.h"

inline constexpr wchar_t kArrayFormulasNotTransposed[] =
    L"Selected range contains array formulas which was not processed.";

// On Excel's main thread, with the application object. Events, screen updating and calculation
// are paused while it runs and put back afterwards.
void TransposeSelection(const ExcelObject& application, IMessageSink& messages);
