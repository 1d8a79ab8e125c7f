// The column tree: building the parts, laying them out, scrolling, passing notifications on and
// drawing the column texts.
#include "views/win32/column_tree_ctrl.h"

#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <utility>

#include "platform/win32/module_instance.h"
#include "platform/win32/scoped_handles.h"

namespace {

// Room for an item's whole text when the tree is asked for it.
constexpr int kItemTextBuffer = 4096;
// Pixels between the first field and the label's end, and kept free before column 0's edge.
constexpr int kLabelPadding = 4;
// The filler header's item is this much wider than the vertical scroll bar.
constexpr int kFillerSlack = 5;

HWND MakeChild(const wchar_t* className, DWORD style, HWND parent, int id) {
  return ::CreateWindowExW(0, className, L"", style | WS_CHILD, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(),
                           nullptr);
}

// Text offset by the common controls' major version.
int TextOffsetOfCommonControls() {
  HMODULE library = ::GetModuleHandleW(L"comctl32.dll");
  if (library == nullptr) return 6;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllGetVersion")));
  if (getVersion == nullptr) return 6;
  DLLVERSIONINFO version{};
  version.cbSize = sizeof version;
  if (getVersion(&version) != S_OK) return 6;
  return version.dwMajorVersion > 5 ? 9 : 6;
}

int HeaderFormat(int format) {
  if ((format & CColumnTreeCtrl::kFormatRight) != 0) return HDF_RIGHT | HDF_STRING;
  if ((format & CColumnTreeCtrl::kFormatCentre) != 0) return HDF_CENTER | HDF_STRING;
  return HDF_LEFT | HDF_STRING;
}

UINT TextAlignment(int format) {
  if ((format & CColumnTreeCtrl::kFormatRight) != 0) return DT_RIGHT;
  if ((format & CColumnTreeCtrl::kFormatCentre) != 0) return DT_CENTER;
  return DT_LEFT;
}

bool IsWidthChange(const NMHEADERW* change) {
  return change->pitem != nullptr && (change->pitem->mask & HDI_WIDTH) != 0;
}

constexpr UINT kTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

// One line of a field: the line breaks of a multi-line formula would show as boxes.
std::wstring OneLine(std::wstring text) {
  std::replace_if(
      text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
  return text;
}

}  // namespace

CColumnTreeCtrl::CColumnTreeCtrl(int expandButtonsBitmap) : tree_(expandButtonsBitmap) {}

CColumnTreeCtrl::~CColumnTreeCtrl() = default;

bool CColumnTreeCtrl::Attach(HWND staticControl) {
  if (tree_.Hwnd() != nullptr || !Subclass(staticControl)) return false;
  RECT client{};
  ::GetClientRect(staticControl, &client);
  if (!tree_.CreateChild(staticControl, kTreeId, client,
                         WS_VISIBLE | TVS_NOHSCROLL | TVS_NOTOOLTIPS)) {
    return false;
  }
  header_ = MakeChild(WC_HEADERW, WS_VISIBLE | HDS_HORZ | HDS_BUTTONS | HDS_FULLDRAG, staticControl,
                      kHeaderId);
  fillerHeader_ = MakeChild(WC_HEADERW, HDS_HORZ, staticControl, kFillerHeaderId);
  scrollBar_ = MakeChild(L"SCROLLBAR", SBS_HORZ | SBS_BOTTOMALIGN, staticControl, kScrollBarId);
  if (header_ == nullptr || fillerHeader_ == nullptr || scrollBar_ == nullptr) return false;
  // The tree takes the dialog's font of the static; the headers follow the tree.
  auto font = reinterpret_cast<HFONT>(::SendMessageW(staticControl, WM_GETFONT, 0, 0));
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::SendMessageW(tree_.Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(header_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(fillerHeader_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  textOffset_ = TextOffsetOfCommonControls();
  MeasureHeader();
  Relayout();
  return true;
}

void CColumnTreeCtrl::MeasureHeader() {
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  WINDOWPOS position{};
  HDLAYOUT layout{&client, &position};
  ::SendMessageW(header_, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
  headerHeight_ = position.cy;
}

int CColumnTreeCtrl::VerticalBarWidth() const {
  return tree_.HasVerticalBar() ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
}

int CColumnTreeCtrl::ColumnCount() const {
  if (header_ == nullptr) return 0;
  return static_cast<int>(::SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
}

int CColumnTreeCtrl::ColumnWidth(int index) const {
  if (header_ == nullptr) return 0;
  HDITEMW item{};
  item.mask = HDI_WIDTH;
  if (::SendMessageW(header_, HDM_GETITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) == FALSE) {
    return 0;
  }
  return item.cxy;
}

void CColumnTreeCtrl::InsertColumn(int index, const std::wstring& title, int format, int width) {
  const int count = ColumnCount();
  if (header_ == nullptr || count >= kMaxColumns || index < 0) return;
  index = std::min(index, count);
  std::copy_backward(formats_.begin() + index, formats_.begin() + count,
                     formats_.begin() + count + 1);
  formats_[static_cast<size_t>(index)] = format;
  HDITEMW item{};
  item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
  item.cxy = width;
  std::wstring text = title;
  item.pszText = text.data();
  item.fmt = HeaderFormat(format);
  ::SendMessageW(header_, HDM_INSERTITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  // One empty item is enough for the filler over the vertical scroll bar.
  if (::SendMessageW(fillerHeader_, HDM_GETITEMCOUNT, 0, 0) == 0) {
    HDITEMW filler{};
    filler.mask = HDI_WIDTH;
    filler.cxy = ::GetSystemMetrics(SM_CXVSCROLL) + kFillerSlack;
    ::SendMessageW(fillerHeader_, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&filler));
  }
  Relayout();
}

void CColumnTreeCtrl::SetColumnWidths(const std::vector<int>& widths) {
  if (header_ == nullptr) return;
  const int count = std::min(ColumnCount(), static_cast<int>(widths.size()));
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = widths[static_cast<size_t>(i)];
    refuseNextChange_ = false;
    ::SendMessageW(header_, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  Relayout();
}

void CColumnTreeCtrl::DeleteAllColumns() {
  if (header_ == nullptr) return;
  for (int i = ColumnCount(); i > 0; --i) {
    ::SendMessageW(header_, HDM_DELETEITEM, static_cast<WPARAM>(i - 1), 0);
  }
  formats_.fill(0);
  Relayout();
}

std::vector<std::wstring> CColumnTreeCtrl::Fields(const std::wstring& text) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  while (start < text.size()) {
    const size_t tab = text.find(L'\t', start);
    if (tab == std::wstring::npos) {
      fields.push_back(text.substr(start));
      break;
    }
    fields.push_back(text.substr(start, tab - start));
    start = tab + 1;
  }
  return fields;
}

std::wstring CColumnTreeCtrl::ItemText(HTREEITEM item) const {
  std::array<wchar_t, kItemTextBuffer> buffer{};
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = buffer.data();
  query.cchTextMax = kItemTextBuffer;
  if (::SendMessageW(TreeHwnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) == FALSE ||
      query.pszText == nullptr || query.pszText == LPSTR_TEXTCALLBACKW) {
    return {};
  }
  return query.pszText;
}

void CColumnTreeCtrl::SetItemText(HTREEITEM item, int column, const std::wstring& text) {
  const std::vector<std::wstring> old = Fields(ItemText(item));
  std::wstring joined;
  for (int c = 0; c < ColumnCount(); ++c) {
    const auto at = static_cast<size_t>(c);
    joined += c == column ? text : (at < old.size() ? old[at] : std::wstring());
    joined += L'\t';
  }
  TVITEMW change{};
  change.mask = TVIF_TEXT;
  change.hItem = item;
  change.pszText = joined.data();
  ::SendMessageW(TreeHwnd(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

std::wstring CColumnTreeCtrl::ItemColumnText(HTREEITEM item, int column) const {
  const std::vector<std::wstring> fields = Fields(ItemText(item));
  const auto at = static_cast<size_t>(column);
  return column >= 0 && at < fields.size() ? fields[at] : std::wstring();
}

bool CColumnTreeCtrl::KeepTextBeingAnswered(HTREEITEM item) {
  if (item == nullptr || item != answeringText_) return false;
  keepAnswer_ = true;
  return true;
}

void CColumnTreeCtrl::Relayout() {
  if (header_ == nullptr) return;
  const int count = ColumnCount();
  totalWidth_ = 0;
  widths_.fill(0);
  for (int i = 0; i < count && i < kMaxColumns; ++i) {
    widths_[static_cast<size_t>(i)] = ColumnWidth(i);
    totalWidth_ += widths_[static_cast<size_t>(i)];
  }
  tree_.SetFirstColumnWidth(widths_[0]);
  refuseNextChange_ = true;

  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  const int w = client.right;
  const int h = client.bottom;
  const int v = VerticalBarWidth();
  const int n = totalWidth_ + v;
  scrollOffset_ = std::clamp(scrollOffset_, 0, std::max(0, n - w));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(0, n - 1);
  info.nPage = static_cast<UINT>(std::max(0, w));
  info.nPos = scrollOffset_;
  ::SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
  const int position = ::GetScrollPos(scrollBar_, SB_CTL);

  const int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
  const bool wider = w < n;
  const int treeWidth = w + (wider ? position : 0);
  const bool showBar = wider && h >= barHeight + headerHeight_;
  const int treeHeight = std::max(0, h - headerHeight_ - (showBar ? barHeight : 0));
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  ::SetWindowPos(header_, nullptr, -position, 0, treeWidth - v, headerHeight_, flags);
  ::SetWindowPos(fillerHeader_, nullptr, w - v, 0, v, headerHeight_,
                 flags | (v != 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  ::SetWindowPos(tree_.Hwnd(), nullptr, -position, headerHeight_, treeWidth, treeHeight, flags);
  ::SetWindowPos(scrollBar_, nullptr, 0, h - barHeight, std::max(0, w - v), barHeight,
                 flags | (showBar ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CColumnTreeCtrl::OnHorizontalScroll(int code) {
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  const int w = client.right;
  const int limit = std::max(0, totalWidth_ + VerticalBarWidth() - w);
  int offset = scrollOffset_;
  switch (code) {
    case SB_LINELEFT:
      offset -= kScrollLineStep;
      break;
    case SB_LINERIGHT:
      offset += kScrollLineStep;
      break;
    case SB_PAGELEFT:
      offset -= w;
      break;
    case SB_PAGERIGHT:
      offset += w;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(scrollBar_, SB_CTL, &info);
      offset = info.nTrackPos;
      break;
    }
    case SB_LEFT:
      offset = 0;
      break;
    case SB_RIGHT:
      offset = limit;
      break;
    default:
      return;
  }
  offset = std::clamp(offset, 0, limit);
  if (offset == scrollOffset_) return;
  scrollOffset_ = offset;
  ::SetScrollPos(scrollBar_, SB_CTL, offset, TRUE);
  Relayout();
}

HFONT CColumnTreeCtrl::ItemColorHook(HTREEITEM, bool, HDC, HFONT font) {
  return font;
}

LRESULT CColumnTreeCtrl::PassOn(NMHDR* notice) {
  const HWND from = notice->hwndFrom;
  const UINT_PTR id = notice->idFrom;
  notice->hwndFrom = Hwnd();
  notice->idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(Hwnd()));
  const LRESULT answer = ::SendMessageW(::GetParent(Hwnd()), WM_NOTIFY, notice->idFrom,
                                        reinterpret_cast<LPARAM>(notice));
  notice->hwndFrom = from;
  notice->idFrom = id;
  return answer;
}

void CColumnTreeCtrl::SendOwnNotice(UINT code) {
  NMHDR notice{Hwnd(), static_cast<UINT_PTR>(::GetDlgCtrlID(Hwnd())), code};
  ::SendMessageW(::GetParent(Hwnd()), WM_NOTIFY, notice.idFrom, reinterpret_cast<LPARAM>(&notice));
}

LRESULT CColumnTreeCtrl::OnNotify(NMHDR* notice) {
  if (notice->hwndFrom == tree_.Hwnd()) {
    switch (notice->code) {
      case NM_CUSTOMDRAW:
        return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(notice));
      case TVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTVDISPINFOW*>(notice);
        const HTREEITEM outer = std::exchange(answeringText_, info->item.hItem);
        const bool outerKeep = std::exchange(keepAnswer_, false);
        const LRESULT answer = PassOn(notice);
        if (keepAnswer_ && (info->item.mask & TVIF_TEXT) != 0) info->item.mask |= TVIF_DI_SETITEM;
        answeringText_ = outer;
        keepAnswer_ = outerKeep;
        return answer;
      }
      case TVN_ITEMEXPANDINGW:
      case TVN_ITEMEXPANDINGA:
        ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return PassOn(notice);
      case TVN_ITEMEXPANDEDW:
      case TVN_ITEMEXPANDEDA: {
        const LRESULT answer = PassOn(notice);
        Relayout();
        return answer;
      }
      default:
        return PassOn(notice);
    }
  }
  if (notice->hwndFrom == header_) {
    switch (notice->code) {
      case HDN_ITEMCHANGINGW:
      case HDN_ITEMCHANGINGA: {
        // Only the width matters, and the pointer is the same for both character sets.
        const auto* change = reinterpret_cast<const NMHEADERW*>(notice);
        BOOL refuse = FALSE;
        if (IsWidthChange(change)) {
          if (refuseNextChange_) {
            refuseNextChange_ = false;
            refuse = TRUE;
          } else if (change->iItem == 0 && change->pitem->cxy < minimumFirstColumnWidth_) {
            refuse = TRUE;
          }
        }
        PassOn(notice);
        return refuse;
      }
      case HDN_ITEMCHANGEDW:
      case HDN_ITEMCHANGEDA:
        Relayout();
        ::InvalidateRect(tree_.Hwnd(), nullptr, FALSE);
        return PassOn(notice);
      default:
        return PassOn(notice);
    }
  }
  return PassOn(notice);
}

LRESULT CColumnTreeCtrl::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
      DrawColumns(*draw);
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

void CColumnTreeCtrl::DrawColumns(const NMTVCUSTOMDRAW& draw) {
  const RECT& row = draw.nmcd.rc;
  if (::IsRectEmpty(&row) != FALSE) return;
  HDC dc = draw.nmcd.hdc;
  const auto item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
  RECT label{};
  if (!TreeItemRect(tree_.Hwnd(), item, true, &label)) return;
  const std::wstring text = ItemText(item);
  const bool hasTab = text.find(L'\t') != std::wstring::npos;
  const std::vector<std::wstring> fields = Fields(text);
  const std::wstring first = fields.empty() ? std::wstring() : fields[0];
  const int count = std::min(ColumnCount(), kMaxColumns);

  if (hasTab) {
    int right = 0;
    for (int i = 0; i < count; ++i) {
      right += widths_[static_cast<size_t>(i)];
      RECT edge{right - 2, row.top, right, row.bottom};
      ::DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RIGHT);
    }
  }
  RECT bottom{row.left, row.top, std::max<LONG>(row.right, totalWidth_), row.bottom};
  ::DrawEdge(dc, &bottom, BDR_SUNKENINNER, BF_BOTTOM);

  ::SetTextColor(dc, draw.clrText);
  const bool highlighted = (draw.nmcd.uItemState & CDIS_FOCUS) != 0;
  const auto font = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
  const HFONT chosen = ItemColorHook(item, highlighted, dc, font);
  CSelectedObject selectedFont(dc, chosen != nullptr ? chosen : font);
  const COLORREF chosenColor = ::GetTextColor(dc);

  SIZE size{};
  ::GetTextExtentPoint32W(dc, first.c_str(), static_cast<int>(first.size()), &size);
  label.right = label.left + size.cx + kLabelPadding;
  if (hasTab) label.right = std::min<LONG>(label.right, widths_[0] - kLabelPadding);

  const auto style = ::GetWindowLongPtrW(tree_.Hwnd(), GWL_STYLE);
  const bool fullRow = (style & TVS_FULLROWSELECT) != 0;
  COLORREF window = static_cast<COLORREF>(::SendMessageW(tree_.Hwnd(), TVM_GETBKCOLOR, 0, 0));
  if (window == CLR_NONE) window = ::GetSysColor(COLOR_WINDOW);
  if (draw.clrTextBk != window && (::IsRectEmpty(&label) == FALSE || fullRow)) {
    RECT fill = label;
    if (fullRow) {
      if (fill.left > widths_[0] - 1) fill.left = widths_[0] - 1;
      fill.right = totalWidth_;
    }
    CScopedBrush brush(::CreateSolidBrush(draw.clrTextBk));
    ::FillRect(dc, &fill, brush.Get());
    if (highlighted) ::DrawFocusRect(dc, &fill);
  }

  ::SetBkMode(dc, TRANSPARENT);
  RECT firstRect{label.left + 2, label.top + 1, label.right - 2, label.bottom - 1};
  std::wstring firstCopy = OneLine(first);
  ::DrawTextW(dc, firstCopy.data(), static_cast<int>(firstCopy.size()), &firstRect, kTextFormat);

  ::SetTextColor(dc, ::IsWindowEnabled(tree_.Hwnd()) != FALSE && !fullRow
                         ? ::GetSysColor(COLOR_MENUTEXT)
                         : chosenColor);
  int left = widths_[0];
  for (int i = 1; i < count; ++i) {
    const int width = widths_[static_cast<size_t>(i)];
    const auto at = static_cast<size_t>(i);
    RECT cell{left + textOffset_ + 1, row.top + 1, left + width - 3, row.bottom - 1};
    left += width;
    if (at >= fields.size() || fields[at].empty() || cell.right <= cell.left) continue;
    std::wstring field = OneLine(fields[at]);
    ::DrawTextW(dc, field.data(), static_cast<int>(field.size()), &cell,
                kTextFormat | TextAlignment(formats_[at]));
  }
}

LRESULT CColumnTreeCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  switch (message) {
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == scrollBar_) OnHorizontalScroll(LOWORD(wParam));
      return 0;
    case WM_SIZE:
    case CCustomTreeChildCtrl::kVerticalBarChanged:
      Relayout();
      return 0;
    case WM_SETFOCUS:
      ::SetFocus(tree_.Hwnd());
      SendOwnNotice(NM_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      if (reinterpret_cast<HWND>(wParam) != tree_.Hwnd()) SendOwnNotice(NM_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      for (HWND part : {header_, tree_.Hwnd(), scrollBar_}) ::EnableWindow(part, wParam != 0);
      *handled = false;
      return 0;
    case WM_SETTINGCHANGE: {
      for (HWND part : {tree_.Hwnd(), scrollBar_, header_, fillerHeader_}) {
        ::SendMessageW(part, message, wParam, lParam);
      }
      const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
      ::SendMessageW(header_, WM_SETFONT, font, FALSE);
      ::SendMessageW(fillerHeader_, WM_SETFONT, font, FALSE);
      MeasureHeader();
      Relayout();
      return 0;
    }
    default:
      *handled = false;
      return 0;
  }
}
