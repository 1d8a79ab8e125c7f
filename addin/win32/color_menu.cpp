// Building, measuring, drawing and tracking the colour menu.
#include "addin/win32/color_menu.h"

namespace {

// Room around the swatch inside the item, and between the swatch and the text.
constexpr int kSwatchInset = 2;
constexpr int kTextGap = 5;
constexpr int kItemPadding = 4;

CScopedFont CopyOfDefaultGuiFont() {
  LOGFONTW font{};
  if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == 0) return {};
  return CScopedFont(::CreateFontIndirectW(&font));
}

HFONT FontOrDefault(const CScopedFont& font) {
  return font ? font.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// The hidden window draws for the menu only while it is open.
class CDrawDelegateScope {
 public:
  CDrawDelegateScope(CHiddenWnd& owner, IOwnerDrawDelegate* delegate) : owner_(owner) {
    owner_.SetOwnerDrawDelegate(delegate);
  }
  ~CDrawDelegateScope() { owner_.SetOwnerDrawDelegate(nullptr); }
  CDrawDelegateScope(const CDrawDelegateScope&) = delete;
  CDrawDelegateScope& operator=(const CDrawDelegateScope&) = delete;

 private:
  CHiddenWnd& owner_;
};

}  // namespace

CColorMenu::CColorMenu() : menu_(::CreatePopupMenu()), font_(CopyOfDefaultGuiFont()) {}

bool CColorMenu::AddItem(int32_t id, const std::wstring& text, COLORREF color) {
  if (!menu_ || id <= 0) return false;
  texts_[id] = text;
  colors_[id] = color;
  // The text goes along with the owner-drawn type, so that readers of the menu (accessibility,
  // tests) still find it.
  std::wstring shown = text;
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_DATA;
  item.fType = MFT_OWNERDRAW;
  item.wID = static_cast<UINT>(id);
  item.dwItemData = static_cast<ULONG_PTR>(id);
  item.dwTypeData = shown.data();
  return ::InsertMenuItemW(menu_.Get(), static_cast<UINT>(ItemCount()), TRUE, &item) != FALSE;
}

int CColorMenu::ItemCount() const {
  return menu_ ? ::GetMenuItemCount(menu_.Get()) : 0;
}

int32_t CColorMenu::Track(HWND owner, POINT at) const {
  if (!menu_ || ItemCount() <= 0) return 0;
  // Without the foreground the menu would not close when the user clicks elsewhere.
  ::SetForegroundWindow(owner);
  const BOOL chosen =
      ::TrackPopupMenu(menu_.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                       at.x, at.y, 0, owner, nullptr);
  ::PostMessageW(owner, WM_NULL, 0, 0);
  return chosen > 0 ? static_cast<int32_t>(chosen) : 0;
}

void CColorMenu::MeasureItem(MEASUREITEMSTRUCT* item) {
  if (item == nullptr || item->CtlType != ODT_MENU) return;
  const auto text = texts_.find(static_cast<int32_t>(item->itemID));
  const std::wstring& shown = text != texts_.end() ? text->second : std::wstring();
  const CWindowDc screen(nullptr);
  SIZE extent{};
  if (screen.Get() != nullptr) {
    const CSelectedObject font(screen.Get(), FontOrDefault(font_));
    ::GetTextExtentPoint32W(screen.Get(), shown.c_str(), static_cast<int>(shown.size()), &extent);
  }
  const int height = extent.cy + kItemPadding;
  item->itemHeight = static_cast<UINT>(height);
  item->itemWidth = static_cast<UINT>(height + extent.cx + kTextGap);
}

void CColorMenu::DrawItem(const DRAWITEMSTRUCT* item) {
  if (item == nullptr || item->CtlType != ODT_MENU || item->hDC == nullptr) return;
  const HDC dc = item->hDC;
  const RECT& r = item->rcItem;
  const int height = r.bottom - r.top;
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_3DFACE));

  const auto id = static_cast<int32_t>(item->itemID);
  // An item without a colour is drawn black, and keeps that colour from then on.
  const COLORREF color = colors_.try_emplace(id, COLORREF{0}).first->second;
  const RECT swatch{r.left + kSwatchInset, r.top + kSwatchInset, r.left + height - kSwatchInset,
                    r.bottom - kSwatchInset};
  const CScopedBrush swatchBrush(::CreateSolidBrush(color));
  if (swatchBrush) ::FillRect(dc, &swatch, swatchBrush.Get());

  const auto text = texts_.find(id);
  if (text != texts_.end()) {
    RECT textRect{r.left + height + kTextGap, r.top, r.right, r.bottom};
    const CSelectedObject font(dc, FontOrDefault(font_));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor =
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    std::wstring shown = text->second;
    ::DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
  }

  const CScopedPen outline(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
  if (outline) {
    const CSelectedObject pen(dc, outline.Get());
    const CSelectedObject hollow(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, swatch.left, swatch.top, swatch.right, swatch.bottom);
  }
}

int32_t ChooseFromColorMenuAt(CHiddenWnd& owner, const std::vector<ColorMenuItem>& items,
                              POINT at) {
  if (items.empty() || owner.Hwnd() == nullptr) return 0;
  CColorMenu menu;
  for (const ColorMenuItem& item : items) {
    menu.AddItem(item.id, item.text, static_cast<COLORREF>(item.color));
  }
  const CDrawDelegateScope drawing(owner, &menu);
  return menu.Track(owner.Hwnd(), at);
}

POINT ColorMenuPosition(POINT cursor, const std::optional<ToolbarButtonPlace>& button) {
  constexpr LONG kSquare = 20;
  if (button) {
    const LONG bottom = button->top + button->height;
    if (cursor.x >= button->left && cursor.x < button->left + kSquare &&
        cursor.y >= bottom - kSquare && cursor.y < bottom) {
      return POINT{button->left, bottom};
    }
  }
  return cursor;
}

int32_t ChooseFromColorMenu(CHiddenWnd& owner, const std::vector<ColorMenuItem>& items,
                            const std::optional<ToolbarButtonPlace>& button) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  return ChooseFromColorMenuAt(owner, items, ColorMenuPosition(cursor, button));
}
