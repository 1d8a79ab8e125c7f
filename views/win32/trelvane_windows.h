// MakeTrelvaneWindow: the trace or evaluate window a window request asks for, not yet created;
// the window manager creates it in its frame on the UI thread.
#pragma once

#include <cstdint>
#include <memory>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "formula/cell_reference.h"
#include "views/win32/trelvane_controller.h"
#include "views/win32/wnd_mgr_item.h"

// The evaluate window for TraceKind::kEvaluateFormula, else a trace window of `kind`. The
// controller outlives the window.
std::shared_ptr<IWndMgrItem> MakeTrelvaneWindow(ITrelvaneController& controller,
                                                std::shared_ptr<CDependencyContainer> container,
                                                TraceKind kind, const CellReference& root,
                                                int32_t colorIndex);
