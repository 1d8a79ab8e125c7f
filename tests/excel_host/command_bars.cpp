// Application.CommandBars, its built-in bars as Excel 2003 has them and the toolbars added to it.
#include "tests/excel_host/command_bars.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "platform/text_case.h"
#include "spreadsheet/objects/object_arguments.h"

namespace {

using spreadsheet::Member;
using spreadsheet::MemberKind;

enum CommandBarId : DISPID {
  kBarName = 1,
  kBarControls,
  kBarVisible,
  kBarRowIndex,
  kBarPosition,
  kBarLeft,
  kBarTop,
  kBarHeight,
  kBarWidth,
  kBarProtection,
  kBarEnabled,
  kBarBuiltIn,
  kBarReset,
  kBarDelete,
};

constexpr std::array kCommandBarMembers = {
    Member{L"Name", kBarName, MemberKind::ReadOnlyProperty},
    Member{L"Controls", kBarControls, MemberKind::ReadOnlyProperty},
    Member{L"Visible", kBarVisible, MemberKind::Property},
    Member{L"RowIndex", kBarRowIndex, MemberKind::Property},
    Member{L"Position", kBarPosition, MemberKind::Property},
    Member{L"Left", kBarLeft, MemberKind::Property},
    Member{L"Top", kBarTop, MemberKind::Property},
    Member{L"Height", kBarHeight, MemberKind::Property},
    Member{L"Width", kBarWidth, MemberKind::Property},
    Member{L"Protection", kBarProtection, MemberKind::Property},
    Member{L"Enabled", kBarEnabled, MemberKind::Property},
    Member{L"BuiltIn", kBarBuiltIn, MemberKind::ReadOnlyProperty},
    Member{L"Reset", kBarReset, MemberKind::Method},
    Member{L"Delete", kBarDelete, MemberKind::Method},
};

enum CommandBarsId : DISPID { kBarsCount = 1, kBarsItem, kBarsAdd };

constexpr std::array kCommandBarsMembers = {
    Member{L"Count", kBarsCount, MemberKind::ReadOnlyProperty},
    Member{L"Item", kBarsItem, MemberKind::ReadOnlyProperty},
    Member{L"Add", kBarsAdd, MemberKind::Method},
};

// Docked rows below the main window's caption, one bar high each.
constexpr LONG kFrameCaptionHeight = 22;
constexpr LONG kBarRowHeight = kToolbarButtonHeight + 4;
constexpr LONG kNewToolbarRow = 2;
constexpr LONG kLastBarPosition = 6;  // msoBarMenuBar

LONG RowTop(const RECT& frame, LONG row) {
  return frame.top + kFrameCaptionHeight + (row - 1) * kBarRowHeight;
}

// Excel 2003's Tools menu; the ones with a submenu of their own are popups.
const std::vector<std::wstring>& Excel2003ToolsCaptions() {
  static const std::vector<std::wstring> captions = {
      L"&Spelling...",         L"&Research...",
      L"&Error Checking...",   L"Speec&h",
      L"S&hared Workspace...", L"Share Workbook...",
      L"&Track Changes",       L"Compare and Merge &Workbooks...",
      L"&Protection",          L"O&nline Collaboration",
      L"&Goal Seek...",        L"Scenar&ios...",
      L"Formula A&uditing",    L"&Macro",
      L"Add-&Ins...",          L"&AutoCorrect Options...",
      L"&Customize...",        L"&Options...",
  };
  return captions;
}

bool IsSubmenuCaption(const std::wstring& caption) {
  static const std::array<std::wstring_view, 6> submenus = {
      L"Speec&h",           L"&Track Changes", L"&Protection", L"O&nline Collaboration",
      L"Formula A&uditing", L"&Macro"};
  return std::find(submenus.begin(), submenus.end(), caption) != submenus.end();
}

}  // namespace

// ---- CCommandBar ----

CComPtr<CCommandBar> CCommandBar::Create(std::wstring name, bool builtIn,
                                         std::shared_ptr<CommandBarSettings> settings) {
  CComPtr<CCommandBar> bar;
  bar.Attach(new CCommandBar(std::move(name), builtIn, std::move(settings)));
  return bar;
}

CCommandBar::CCommandBar(std::wstring name, bool builtIn,
                         std::shared_ptr<CommandBarSettings> settings)
    : name_(std::move(name)), builtIn_(builtIn) {
  controls_ = CCommandBarControls::Create(this, std::move(settings));
}

CCommandBar::~CCommandBar() {
  controls_->OrphanFromBar();
}

void CCommandBar::PlaceAsUser(LONG position, LONG rowIndex, LONG left, LONG top) {
  position_ = position;
  rowIndex_ = rowIndex;
  left_ = left;
  top_ = top;
}

void CCommandBar::SetPlacement(LONG position, LONG rowIndex, LONG left, LONG top, bool visible) {
  PlaceAsUser(position, rowIndex, left, top);
  visible_ = visible;
}

void CCommandBar::SetBuiltInControls(std::vector<BuiltInControl> controls) {
  builtInControls_ = std::move(controls);
  controls_->Clear();
  for (const BuiltInControl& control : builtInControls_) {
    CCommandBarControl* added = controls_->Insert(control.type, control.caption, 0);
    for (const std::wstring& caption : control.contents) {
      if (added->Controls() != nullptr) {
        added->Controls()->Insert(
            IsSubmenuCaption(caption) ? kControlTypePopup : kControlTypeButton, caption, 0);
      }
    }
  }
}

void CCommandBar::Reset() {
  ++resets_;
  // A bar an add-in made has no original state to go back to.
  if (builtIn_) SetBuiltInControls(std::move(builtInControls_));
}

LONG CCommandBar::Width() const {
  if (width_ != 0) return width_;
  LONG width = 4;
  for (std::size_t i = 1; i <= controls_->Count(); ++i) {
    if (controls_->At(i)->IsVisible()) width += kToolbarButtonWidth;
  }
  return width;
}

std::span<const Member> CCommandBar::Members() const {
  return kCommandBarMembers;
}

HRESULT CCommandBar::Call(const Member& member, bool put, const spreadsheet::CArguments& args,
                          CVariant* result) {
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  const auto longProperty = [&](LONG* value) -> HRESULT {
    if (!put) {
      *result = CVariant(*value);
      return S_OK;
    }
    std::int32_t written = 0;
    if (const HRESULT hr = spreadsheet::ReadPutLong(args, &written); FAILED(hr)) return hr;
    *value = written;
    return S_OK;
  };
  switch (member.id) {
    case kBarName:
      *result = CVariant(name_);
      return S_OK;
    case kBarControls:
      *result = CVariant(static_cast<IDispatch*>(controls_.Get()));
      return S_OK;
    case kBarVisible:
      if (put) return spreadsheet::ReadPutBool(args, &visible_);
      *result = CVariant(visible_);
      return S_OK;
    case kBarEnabled:
      if (put) return spreadsheet::ReadPutBool(args, &enabled_);
      *result = CVariant(enabled_);
      return S_OK;
    case kBarRowIndex:
      return longProperty(&rowIndex_);
    case kBarPosition: {
      LONG position = position_;
      if (const HRESULT hr = longProperty(&position); FAILED(hr)) return hr;
      if (position < kBarPositionLeft || position > kLastBarPosition) return E_INVALIDARG;
      position_ = position;
      return S_OK;
    }
    case kBarLeft:
      return longProperty(&left_);
    case kBarTop:
      return longProperty(&top_);
    case kBarHeight:
      return longProperty(&height_);
    case kBarWidth: {
      LONG width = Width();
      if (const HRESULT hr = longProperty(&width); FAILED(hr)) return hr;
      if (put) width_ = width;
      return S_OK;
    }
    case kBarProtection:
      return longProperty(&protection_);
    case kBarBuiltIn:
      *result = CVariant(builtIn_);
      return S_OK;
    case kBarReset:
      Reset();
      return S_OK;
    case kBarDelete:
      if (builtIn_) return RuntimeError(L"Method 'Delete' of object 'CommandBar' failed");
      if (owner_ != nullptr) owner_->Remove(this);
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

// ---- CCommandBarsObject ----

CComPtr<CCommandBarsObject> CCommandBarsObject::Create(HWND mainWindow) {
  CComPtr<CCommandBarsObject> bars;
  bars.Attach(new CCommandBarsObject(mainWindow));
  return bars;
}

CCommandBarsObject::CCommandBarsObject(HWND mainWindow)
    : mainWindow_(mainWindow), settings_(std::make_shared<CommandBarSettings>()) {
  RECT frame{};
  ::GetWindowRect(mainWindow_, &frame);
  const auto addBuiltIn = [&](const wchar_t* name, LONG position, LONG row, bool visible,
                              std::vector<CCommandBar::BuiltInControl> controls) {
    CComPtr<CCommandBar> bar = CCommandBar::Create(name, true, settings_);
    bar->SetPlacement(position, row, frame.left, RowTop(frame, row), visible);
    bar->SetBuiltInControls(std::move(controls));
    bar->AttachTo(this);
    bars_.push_back(std::move(bar));
  };
  addBuiltIn(kWorksheetMenuBarName, kBarPositionTop, 1, true,
             WorksheetMenuControls(Excel2003ToolsCaptions()));
  addBuiltIn(L"Standard", kBarPositionTop, 2, true, {});
  addBuiltIn(L"Formatting", kBarPositionTop, 2, true, {});
  std::vector<CCommandBar::BuiltInControl> cell;
  for (const wchar_t* caption : {L"Cu&t", L"&Copy", L"&Paste", L"Paste &Special...", L"&Insert...",
                                 L"&Delete...", L"Clear Co&ntents"}) {
    cell.push_back({kControlTypeButton, caption, {}});
  }
  addBuiltIn(kCellBarName, kBarPositionPopup, 0, false, std::move(cell));
}

CCommandBarsObject::~CCommandBarsObject() {
  for (const CComPtr<CCommandBar>& bar : bars_) bar->AttachTo(nullptr);
}

std::vector<CCommandBar::BuiltInControl> CCommandBarsObject::WorksheetMenuControls(
    const std::vector<std::wstring>& toolsCaptions) const {
  std::vector<CCommandBar::BuiltInControl> menus;
  for (const wchar_t* caption : {L"&File", L"&Edit", L"&View", L"&Insert", L"F&ormat", L"&Tools",
                                 L"&Data", L"&Window", L"&Help"}) {
    menus.push_back({kControlTypePopup, caption, {}});
  }
  menus[kWorksheetToolsMenuPosition - 1].contents = toolsCaptions;
  return menus;
}

CCommandBar* CCommandBarsObject::Find(std::wstring_view name) const {
  const std::wstring wanted = UpperCase(name);
  for (const CComPtr<CCommandBar>& bar : bars_) {
    if (UpperCase(bar->Name()) == wanted) return bar.Get();
  }
  return nullptr;
}

CCommandBarControl* CCommandBarsObject::ToolsMenu() const {
  const CCommandBar* menuBar = Find(kWorksheetMenuBarName);
  return menuBar != nullptr ? menuBar->Controls().At(kWorksheetToolsMenuPosition) : nullptr;
}

void CCommandBarsObject::SetToolsMenuCaptions(const std::vector<std::wstring>& captions) {
  if (CCommandBar* menuBar = Find(kWorksheetMenuBarName)) {
    menuBar->SetBuiltInControls(WorksheetMenuControls(captions));
  }
}

void CCommandBarsObject::Remove(CCommandBar* bar) {
  const auto found = std::find_if(bars_.begin(), bars_.end(),
                                  [bar](const auto& held) { return held.Get() == bar; });
  if (found == bars_.end()) return;
  bar->AttachTo(nullptr);
  bars_.erase(found);
}

std::span<const Member> CCommandBarsObject::Members() const {
  return kCommandBarsMembers;
}

HRESULT CCommandBarsObject::Call(const Member& member, bool, const spreadsheet::CArguments& args,
                                 CVariant* result) {
  switch (member.id) {
    case kBarsCount:
      if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(bars_.size()));
      return S_OK;
    case kBarsItem: {
      if (const HRESULT hr = spreadsheet::CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      const auto find = [this](std::wstring_view name) -> std::optional<std::int32_t> {
        const std::wstring wanted = UpperCase(name);
        for (std::size_t i = 0; i < bars_.size(); ++i) {
          if (UpperCase(bars_[i]->Name()) == wanted) return static_cast<std::int32_t>(i + 1);
        }
        return std::nullopt;
      };
      std::int32_t position = 0;
      if (const HRESULT hr = spreadsheet::ReadItemPosition(
              args, 0, static_cast<std::int32_t>(bars_.size()), find, &position);
          FAILED(hr)) {
        return hr;
      }
      *result = CVariant(static_cast<IDispatch*>(
          static_cast<CDispatchObject*>(bars_[static_cast<std::size_t>(position - 1)].Get())));
      return S_OK;
    }
    case kBarsAdd:
      return Add(args, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CCommandBarsObject::Add(const spreadsheet::CArguments& args, CVariant* result) {
  // Add(Name, Position, MenuBar, Temporary); MenuBar and Temporary change nothing the host plays.
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 4); FAILED(hr)) return hr;
  std::wstring name;
  if (args.IsMissing(0)) {
    for (int n = 1; name.empty() || Find(name) != nullptr; ++n) {
      name = L"Custom " + std::to_wstring(n);
    }
  } else if (const HRESULT hr = args.GetText(0, &name); FAILED(hr)) {
    return hr;
  }
  if (name.empty() || Find(name) != nullptr) return E_INVALIDARG;
  std::int32_t position = kBarPositionTop;
  if (!args.IsMissing(1)) {
    if (const HRESULT hr = args.GetLong(1, &position); FAILED(hr)) return hr;
    if (position < kBarPositionLeft || position > kLastBarPosition) return E_INVALIDARG;
  }
  RECT frame{};
  ::GetWindowRect(mainWindow_, &frame);
  CComPtr<CCommandBar> bar = CCommandBar::Create(std::move(name), false, settings_);
  // Office shows a new bar only when told to.
  bar->SetPlacement(position, kNewToolbarRow, frame.left, RowTop(frame, kNewToolbarRow), false);
  bar->AttachTo(this);
  bars_.push_back(bar);
  *result = CVariant(static_cast<IDispatch*>(static_cast<CDispatchObject*>(bar.Get())));
  return S_OK;
}
