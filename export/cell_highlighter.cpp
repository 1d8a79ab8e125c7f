// Framing a range and putting its borders back.
#include "export/cell_highlighter.h"

#include "excel/scope_guards.h"

namespace {

bool GetEdge(const ExcelObject& borders, LONG edge, ExcelObject* border) {
  return borders.GetObject(L"Item", border, {CVariant(edge)});
}

}  // namespace

void ReadBorders(const ExcelObject& range, EdgeSettings& settings) {
  ExcelObject borders;
  if (!range.GetObject(L"Borders", &borders)) return;
  for (size_t i = 0; i < kFrameEdges.size(); ++i) {
    ExcelObject border;
    if (!GetEdge(borders, kFrameEdges[i], &border)) continue;
    BorderSetting& setting = settings[i];
    border.GetLong(L"LineStyle", &setting.lineStyle);
    // Excel reports a colour and weight even for an edge without a line; writing them back
    // would draw one.
    if (setting.lineStyle == kLineStyleNone) continue;
    border.GetLong(L"Color", &setting.color);
    border.GetLong(L"Weight", &setting.weight);
  }
}

void DrawBorders(const ExcelObject& range, const EdgeSettings& settings) {
  ExcelObject borders;
  if (!range.GetObject(L"Borders", &borders)) return;
  for (size_t i = 0; i < kFrameEdges.size(); ++i) {
    ExcelObject border;
    if (!GetEdge(borders, kFrameEdges[i], &border)) continue;
    const BorderSetting& setting = settings[i];
    border.PutLong(L"LineStyle", setting.lineStyle);
    if (setting.lineStyle == kLineStyleNone) continue;
    border.PutLong(L"Color", setting.color);
    border.PutLong(L"Weight", setting.weight);
  }
}

CCellHighlighter::CCellHighlighter(const ExcelObject& application) : application_(application) {
  frame_.fill(BorderSetting{kWeightThick, 0, kLineContinuous});
}

void CCellHighlighter::SetHighlightEnabled(bool enabled) {
  const ScreenUpdatingGuard screen(application_);
  enabled_ = enabled;
  if (range_.IsEmpty()) return;
  DrawBorders(range_, enabled_ ? frame_ : saved_);
}

void CCellHighlighter::HighlightRange(const ExcelObject& range) {
  const ScreenUpdatingGuard screen(application_);
  ExcelObject target = range;
  // Excel draws a merged cell's borders on its whole area, so that is what gets framed.
  if (target.IsTrue(L"MergeCells")) {
    ExcelObject area;
    if (target.GetObject(L"MergeArea", &area)) target = area;
  }
  if (!range_.IsEmpty() && enabled_) DrawBorders(range_, saved_);
  range_ = target;
  if (range_.IsEmpty()) return;
  ReadBorders(range_, saved_);
  if (enabled_) DrawBorders(range_, frame_);
}
