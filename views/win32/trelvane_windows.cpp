// The window a window request asks for: the evaluate window or a trace window.
#include "views/win32/trelvane_windows.h"

#include <utility>

#include "views/win32/evaluate_dlg.h"
#include "views/win32/trace_dlg.h"

std::shared_ptr<IWndMgrItem> MakeTrelvaneWindow(ITrelvaneController& controller,
                                                std::shared_ptr<CDependencyContainer> container,
                                                TraceKind kind, const CellReference& root,
                                                int32_t colorIndex) {
  if (kind == TraceKind::kEvaluateFormula) {
    return std::make_shared<CEvaluateDlg>(controller, std::move(container), root);
  }
  return std::make_shared<CTraceDlg>(controller, std::move(container), kind, root, colorIndex);
}
