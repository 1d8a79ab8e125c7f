// CCellHighlighter: frames the range of the tree node selected in Excel with a thick black
// border while its window's tree has the focus, and puts the range's own borders back when the
// focus leaves or another range is framed.
#pragma once

#include <array>

#include "excel/excel_object.h"

// One edge's border as Excel's Border members give it.
struct BorderSetting {
  LONG weight = 0;
  LONG color = 0;
  LONG lineStyle = 0;
  friend bool operator==(const BorderSetting&, const BorderSetting&) = default;
};

// Excel's constants for the frame and the edges.
inline constexpr LONG kLineStyleNone = -4142;  // xlLineStyleNone
inline constexpr LONG kLineContinuous = 1;     // xlContinuous
inline constexpr LONG kWeightThick = 4;        // xlThick
// Edges are always read and drawn in this order: left, top, right, bottom.
inline constexpr std::array<LONG, 4> kFrameEdges = {7, 8, 10, 9};

using EdgeSettings = std::array<BorderSetting, 4>;

// One per trace or evaluate window, on Excel's thread. Invariant: while enabled and a range is
// held, that range wears the frame and `saved_` holds what it wore before. Destroying the
// highlighter lets go of the range without drawing on it.
class CCellHighlighter {
 public:
  explicit CCellHighlighter(const ExcelObject& application);
  CCellHighlighter(const CCellHighlighter&) = delete;
  CCellHighlighter& operator=(const CCellHighlighter&) = delete;

  // On: frames the held range. Off: puts its saved borders back.
  void SetHighlightEnabled(bool enabled);
  // Takes the frame off the range held before, then holds `range` (its merge area when it is a
  // merged cell), saves its borders and, when enabled, frames it. An empty range just lets the
  // old one go.
  void HighlightRange(const ExcelObject& range);

  bool IsEnabled() const { return enabled_; }
  const ExcelObject& HighlightedRange() const { return range_; }
  const EdgeSettings& SavedBorders() const { return saved_; }

 private:
  ExcelObject application_;
  bool enabled_ = false;
  ExcelObject range_;
  EdgeSettings frame_;
  EdgeSettings saved_{};
};

// Reads the four edges into `settings`. An edge that cannot be had keeps what `settings` held;
// an edge without a line takes only the line style, its colour and weight keep their values.
void ReadBorders(const ExcelObject& range, EdgeSettings& settings);
// Draws the four edges: line style, then colour and weight unless the line style is none.
// A member that cannot be written is skipped, edge by edge.
void DrawBorders(const ExcelObject& range, const EdgeSettings& settings);
