// CColumnTreeCtrl: a tree with columns, composed inside a dialog's static control from a header,
// a self-painting tree, a horizontal scroll bar and a filler header over the tree's vertical
// scroll bar. An item's column texts are its one text, the fields separated by tabs.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "views/win32/custom_tree_child_ctrl.h"
#include "views/win32/window_base.h"

class CColumnTreeCtrl : public CWindowBase {
 public:
  static constexpr int kMaxColumns = 16;
  // Ids of the parts inside the static.
  static constexpr int kHeaderId = 1;
  static constexpr int kTreeId = 2;
  static constexpr int kScrollBarId = 3;
  static constexpr int kFillerHeaderId = 4;
  // Pixels the horizontal scroll bar moves per line.
  static constexpr int kScrollLineStep = 15;
  // Column formats as InsertColumn takes them.
  static constexpr int kFormatLeft = 0;
  static constexpr int kFormatRight = 1;
  static constexpr int kFormatCentre = 2;

  explicit CColumnTreeCtrl(int expandButtonsBitmap = 1036);
  ~CColumnTreeCtrl() override;

  // Subclasses the static and creates the parts in it; false when it cannot, or already has.
  bool Attach(HWND staticControl);
  HWND TreeHwnd() const { return tree_.Hwnd(); }
  HWND HeaderHwnd() const { return header_; }
  HWND ScrollBarHwnd() const { return scrollBar_; }
  HWND FillerHeaderHwnd() const { return fillerHeader_; }
  const CCustomTreeChildCtrl& Tree() const { return tree_; }

  void InsertColumn(int index, const std::wstring& title, int format, int width);
  void DeleteAllColumns();
  // Sets the widths of the first columns at once, then lays out; the refusal that answers a
  // header drag does not apply to the program's own change.
  void SetColumnWidths(const std::vector<int>& widths);
  int ColumnCount() const;
  int ColumnWidth(int index) const;  // 0 when absent
  void SetItemText(HTREEITEM item, int column, const std::wstring& text);
  std::wstring ItemColumnText(HTREEITEM item, int column) const;
  // The item's whole text (every column), asking the owner for a deferred one.
  std::wstring ItemText(HTREEITEM item) const;

  // True when the tree is asking the owner for this item's text right now; the owner's answer is
  // then kept as the item's fixed text. An item's text must not be set from inside that request
  // (the tree may be holding the buffer being answered into), so this is the way to fix it there.
  bool KeepTextBeingAnswered(HTREEITEM item);

  // Places the parts for the current columns and size; runs by itself after column changes,
  // size changes, expanding and the coming and going of the tree's vertical scroll bar.
  void Relayout();
  int ScrollOffset() const { return scrollOffset_; }
  int TotalWidth() const { return totalWidth_; }
  int HeaderHeight() const { return headerHeight_; }
  // Pixels before the text of the second and further columns.
  int TextOffset() const { return textOffset_; }
  bool RefusesNextChange() const { return refuseNextChange_; }

  // Splits a text into its tab-separated fields (a last field after a final tab is empty and not
  // counted).
  static std::vector<std::wstring> Fields(const std::wstring& text);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
  // May set the text colour of `dc` and answer another font for the item; nothing here.
  virtual HFONT ItemColorHook(HTREEITEM item, bool highlighted, HDC dc, HFONT font);

 private:
  LRESULT OnNotify(NMHDR* notice);
  // Hands a part's notification to the parent as the static's own; the parent's answer.
  LRESULT PassOn(NMHDR* notice);
  void SendOwnNotice(UINT code);
  LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);
  void DrawColumns(const NMTVCUSTOMDRAW& draw);
  void OnHorizontalScroll(int code);
  void MeasureHeader();
  int VerticalBarWidth() const;

  CCustomTreeChildCtrl tree_;
  HWND header_ = nullptr;
  HWND fillerHeader_ = nullptr;
  HWND scrollBar_ = nullptr;
  int headerHeight_ = 0;
  int totalWidth_ = 0;
  int scrollOffset_ = 0;
  int textOffset_ = 6;
  int minimumFirstColumnWidth_ = 0;
  bool refuseNextChange_ = false;
  HTREEITEM answeringText_ = nullptr;
  bool keepAnswer_ = false;
  std::array<int, kMaxColumns> widths_{};
  std::array<int, kMaxColumns> formats_{};
};
