// Command bar controls, their collections, their faces and the Click connection point.
#include "tests/excel_host/command_bar_controls.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>

#include "platform/bstr.h"
#include "platform/text_case.h"
#include "spreadsheet/objects/object_arguments.h"
#include "tests/excel_host/command_bars.h"

namespace {

using spreadsheet::Member;
using spreadsheet::MemberKind;

enum CommandBarControlId : DISPID {
  kControlCaption = 1,
  kControlTooltipText,
  kControlStyle,
  kControlBeginGroup,
  kControlVisible,
  kControlEnabled,
  kControlTag,
  kControlType,
  kControlIndex,
  kControlLeft,
  kControlTop,
  kControlWidth,
  kControlHeight,
  kControlDelete,
  kControlControls,
  kControlPasteFace,
  kControlPicture,
  kControlMask,
};

#define TRELVANE_COMMON_CONTROL_MEMBERS                                         \
  Member{L"Caption", kControlCaption, MemberKind::Property},                    \
      Member{L"TooltipText", kControlTooltipText, MemberKind::Property},        \
      Member{L"Style", kControlStyle, MemberKind::Property},                    \
      Member{L"BeginGroup", kControlBeginGroup, MemberKind::Property},          \
      Member{L"Visible", kControlVisible, MemberKind::Property},                \
      Member{L"Enabled", kControlEnabled, MemberKind::Property},                \
      Member{L"Tag", kControlTag, MemberKind::Property},                        \
      Member{L"Type", kControlType, MemberKind::ReadOnlyProperty},              \
      Member{L"Index", kControlIndex, MemberKind::ReadOnlyProperty},            \
      Member{L"Left", kControlLeft, MemberKind::ReadOnlyProperty},              \
      Member{L"Top", kControlTop, MemberKind::ReadOnlyProperty},                \
      Member{L"Width", kControlWidth, MemberKind::ReadOnlyProperty},            \
      Member{L"Height", kControlHeight, MemberKind::ReadOnlyProperty}, Member { \
    L"Delete", kControlDelete, MemberKind::Method                               \
  }

constexpr std::array kPopupControlMembers = {
    TRELVANE_COMMON_CONTROL_MEMBERS,
    Member{L"Controls", kControlControls, MemberKind::ReadOnlyProperty},
};

// Picture and Mask last: without them (Office 2000) the table is cut short.
constexpr std::array kButtonControlMembers = {
    TRELVANE_COMMON_CONTROL_MEMBERS,
    Member{L"PasteFace", kControlPasteFace, MemberKind::Method},
    Member{L"Picture", kControlPicture, MemberKind::Property},
    Member{L"Mask", kControlMask, MemberKind::Property},
};
constexpr std::size_t kPictureMemberCount = 2;

#undef TRELVANE_COMMON_CONTROL_MEMBERS

enum CommandBarControlsId : DISPID { kControlsCount = 1, kControlsItem, kControlsAdd };

constexpr std::array kCommandBarControlsMembers = {
    Member{L"Count", kControlsCount, MemberKind::ReadOnlyProperty},
    Member{L"Item", kControlsItem, MemberKind::ReadOnlyProperty},
    Member{L"Add", kControlsAdd, MemberKind::Method},
};

}  // namespace

std::wstring CaptionWithoutAccelerators(std::wstring_view caption) {
  std::wstring plain;
  for (const wchar_t c : caption) {
    if (c != L'&') plain.push_back(c);
  }
  return plain;
}

// ---- CButtonClickPoint ----

CComPtr<CButtonClickPoint> CButtonClickPoint::Create(IConnectionPointContainer* container) {
  CComPtr<CButtonClickPoint> point;
  point.Attach(new CButtonClickPoint(container));
  return point;
}

std::vector<HRESULT> CButtonClickPoint::Fire(DISPID event, IDispatch* control) {
  // A sink may unadvise itself while it handles the click; the copy keeps each one alive.
  const auto sinks = sinks_;
  std::vector<HRESULT> results;
  for (const auto& [cookie, sink] : sinks) {
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancelDefault;
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = control;  // borrowed for the call, as Excel lends it
    DISPPARAMS params{args, nullptr, 2, 0};
    CVariant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    results.push_back(sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                   result.Receive(), &exception, &argumentError));
    const CBstr source = CBstr::Adopt(exception.bstrSource);
    const CBstr description = CBstr::Adopt(exception.bstrDescription);
    const CBstr helpFile = CBstr::Adopt(exception.bstrHelpFile);
  }
  return results;
}

HRESULT CButtonClickPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CButtonClickPoint::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CButtonClickPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = kCommandBarButtonEventsIid;
  return S_OK;
}

HRESULT CButtonClickPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = container_;
  if (container_ == nullptr) return E_UNEXPECTED;
  container_->AddRef();
  return S_OK;
}

HRESULT CButtonClickPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  void* found = nullptr;
  if (FAILED(sink->QueryInterface(kCommandBarButtonEventsIid, &found)) &&
      FAILED(sink->QueryInterface(IID_IDispatch, &found))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  CComPtr<IDispatch> dispatch;
  dispatch.Attach(static_cast<IDispatch*>(found));
  try {
    sinks_.emplace_back(nextCookie_, dispatch);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *cookie = nextCookie_++;
  return S_OK;
}

HRESULT CButtonClickPoint::Unadvise(DWORD cookie) {
  const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                  [cookie](const auto& entry) { return entry.first == cookie; });
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(found);
  return S_OK;
}

HRESULT CButtonClickPoint::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}

// ---- CCommandBarControl ----

CComPtr<CCommandBarControl> CCommandBarControl::Create(
    LONG type, std::wstring caption, std::shared_ptr<CommandBarSettings> settings) {
  CComPtr<CCommandBarControl> control;
  control.Attach(new CCommandBarControl(type, std::move(caption), std::move(settings)));
  return control;
}

CCommandBarControl::CCommandBarControl(LONG type, std::wstring caption,
                                       std::shared_ptr<CommandBarSettings> settings)
    : type_(type), caption_(std::move(caption)), settings_(std::move(settings)) {
  if (IsPopup()) {
    contents_ = CCommandBarControls::Create(nullptr, settings_);
  } else {
    clicks_ = CButtonClickPoint::Create(this);
  }
}

CCommandBarControl::~CCommandBarControl() {
  if (clicks_) clicks_->Orphan();
}

LONG CCommandBarControl::Index() const {
  return owner_ != nullptr ? owner_->IndexOf(this) : 0;
}

RECT CCommandBarControl::ScreenRect() const {
  const LONG index = Index();
  const CCommandBar* bar = owner_ != nullptr ? owner_->Bar() : nullptr;
  if (bar != nullptr && bar->ShowsControlsInARow()) {
    LONG left = bar->Left();
    for (std::size_t i = 1; i < static_cast<std::size_t>(index); ++i) {
      if (owner_->At(i)->IsVisible()) left += kToolbarButtonWidth;
    }
    return RECT{left, bar->Top(), left + kToolbarButtonWidth, bar->Top() + kToolbarButtonHeight};
  }
  // Menus open only when the user opens them; until then a column from the screen's corner.
  const LONG row = std::max(index - 1, LONG{0});
  return RECT{0, row * kToolbarButtonHeight, kToolbarButtonWidth, (row + 1) * kToolbarButtonHeight};
}

std::vector<HRESULT> CCommandBarControl::FireClick(DISPID event) {
  if (!clicks_) return {};
  return clicks_->Fire(event, AsDispatch());
}

HRESULT CCommandBarControl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *object = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
  }
  // The base answers IUnknown, IDispatch and what lets tests find the object behind a pointer.
  return CDispatchObject::QueryInterface(iid, object);
}

HRESULT CCommandBarControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT CCommandBarControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (!clicks_ || !IsEqualIID(iid, kCommandBarButtonEventsIid)) return CONNECT_E_NOCONNECTION;
  *point = clicks_.Get();
  clicks_->AddRef();
  return S_OK;
}

std::span<const Member> CCommandBarControl::Members() const {
  if (IsPopup()) return kPopupControlMembers;
  const std::span<const Member> all = kButtonControlMembers;
  return settings_->pictureSupported ? all : all.first(all.size() - kPictureMemberCount);
}

HRESULT CCommandBarControl::Call(const Member& member, bool put,
                                 const spreadsheet::CArguments& args, CVariant* result) {
  if (member.id == kControlDelete) {
    // Delete(Temporary) answers nothing; the control leaves its collection.
    if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 1); FAILED(hr)) return hr;
    if (owner_ != nullptr) owner_->Remove(this);
    return S_OK;
  }
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  const RECT place = ScreenRect();
  switch (member.id) {
    case kControlCaption:
      if (put) return spreadsheet::ReadPutText(args, &caption_);
      *result = CVariant(caption_);
      return S_OK;
    case kControlTooltipText:
      if (put) return spreadsheet::ReadPutText(args, &tooltip_);
      // Office shows the caption until a tip is written.
      *result = CVariant(tooltip_.empty() ? CaptionWithoutAccelerators(caption_) : tooltip_);
      return S_OK;
    case kControlStyle: {
      if (!put) {
        *result = CVariant(style_);
        return S_OK;
      }
      std::int32_t style = 0;
      if (const HRESULT hr = spreadsheet::ReadPutLong(args, &style); FAILED(hr)) return hr;
      style_ = style;
      return S_OK;
    }
    case kControlBeginGroup:
      if (put) return spreadsheet::ReadPutBool(args, &beginGroup_);
      *result = CVariant(beginGroup_);
      return S_OK;
    case kControlVisible:
      if (put) return spreadsheet::ReadPutBool(args, &visible_);
      *result = CVariant(visible_);
      return S_OK;
    case kControlEnabled:
      if (put) return spreadsheet::ReadPutBool(args, &enabled_);
      *result = CVariant(enabled_);
      return S_OK;
    case kControlTag:
      if (put) return spreadsheet::ReadPutText(args, &tag_);
      *result = CVariant(tag_);
      return S_OK;
    case kControlType:
      *result = CVariant(type_);
      return S_OK;
    case kControlIndex:
      *result = CVariant(Index());
      return S_OK;
    case kControlLeft:
      *result = CVariant(place.left);
      return S_OK;
    case kControlTop:
      *result = CVariant(place.top);
      return S_OK;
    case kControlWidth:
      *result = CVariant(place.right - place.left);
      return S_OK;
    case kControlHeight:
      *result = CVariant(place.bottom - place.top);
      return S_OK;
    case kControlControls:
      *result = CVariant(static_cast<IDispatch*>(contents_.Get()));
      return S_OK;
    case kControlPasteFace:
      return PasteFace();
    case kControlPicture:
    case kControlMask:
      return put ? WritePicture(member.id == kControlMask, args)
                 : ReadPicture(member.id == kControlMask, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CCommandBarControl::PasteFace() {
  std::optional<DecodedBitmap> face = ReadClipboardDib(ButtonFaceClipboardFormat());
  if (!face) return E_FAIL;
  const std::optional<DecodedBitmap> mask = ReadClipboardDib(ButtonMaskClipboardFormat());
  face_.route = ButtonFaceRoute::PasteFace;
  face_.mask = mask && mask->width == face->width && mask->height == face->height
                   ? MaskBitsOf(*mask)
                   : std::vector<bool>{};
  face_.face = std::move(*face);
  return S_OK;
}

HRESULT CCommandBarControl::ReadPicture(bool mask, CVariant* result) const {
  if (face_.route == ButtonFaceRoute::None || (mask && face_.mask.empty())) return E_FAIL;
  DecodedBitmap bitmap = face_.face;
  if (mask) {
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i) {
      bitmap.pixels[i] = face_.mask[i] ? 0xFFFFFFu : 0u;
    }
  }
  const CComPtr<IDispatch> picture = MakeBitmapPicture(bitmap);
  if (!picture) return E_FAIL;
  *result = CVariant(picture.Get());
  return S_OK;
}

HRESULT CCommandBarControl::WritePicture(bool mask, const spreadsheet::CArguments& args) {
  const VARIANT* value = args.PutValue();
  if (value == nullptr || (value->vt != VT_DISPATCH && value->vt != VT_UNKNOWN)) {
    return DISP_E_TYPEMISMATCH;
  }
  CComPtr<IDispatch> picture;
  if (value->punkVal == nullptr ||
      FAILED(value->punkVal->QueryInterface(IID_IDispatch,
                                            reinterpret_cast<void**>(picture.Receive())))) {
    return E_INVALIDARG;
  }
  std::optional<DecodedBitmap> bitmap = ReadBitmapPicture(picture.Get());
  if (!bitmap) return E_INVALIDARG;
  if (mask) {
    // A mask belongs to the face it was made for.
    if (face_.route == ButtonFaceRoute::None || bitmap->width != face_.face.width ||
        bitmap->height != face_.face.height) {
      return E_INVALIDARG;
    }
    face_.mask = MaskBitsOf(*bitmap);
    return S_OK;
  }
  face_.route = ButtonFaceRoute::Picture;
  face_.face = std::move(*bitmap);
  face_.mask.clear();
  return S_OK;
}

// ---- CCommandBarControls ----

CComPtr<CCommandBarControls> CCommandBarControls::Create(
    CCommandBar* bar, std::shared_ptr<CommandBarSettings> settings) {
  CComPtr<CCommandBarControls> controls;
  controls.Attach(new CCommandBarControls(bar, std::move(settings)));
  return controls;
}

CCommandBarControls::~CCommandBarControls() {
  for (const CComPtr<CCommandBarControl>& item : items_) item->AttachTo(nullptr);
}

CCommandBarControl* CCommandBarControls::At(std::size_t index) const {
  if (index < 1 || index > items_.size()) return nullptr;
  return items_[index - 1].Get();
}

CCommandBarControl* CCommandBarControls::Find(std::wstring_view caption) const {
  const std::wstring wanted = UpperCase(CaptionWithoutAccelerators(caption));
  for (const CComPtr<CCommandBarControl>& item : items_) {
    if (UpperCase(CaptionWithoutAccelerators(item->Caption())) == wanted) return item.Get();
  }
  return nullptr;
}

LONG CCommandBarControls::IndexOf(const CCommandBarControl* control) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].Get() == control) return static_cast<LONG>(i + 1);
  }
  return 0;
}

CCommandBarControl* CCommandBarControls::Insert(LONG type, std::wstring caption,
                                                std::size_t before) {
  CComPtr<CCommandBarControl> control =
      CCommandBarControl::Create(type, std::move(caption), settings_);
  control->AttachTo(this);
  const std::size_t at = std::min(before == 0 ? items_.size() : before - 1, items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), control);
  return control.Get();
}

void CCommandBarControls::Remove(CCommandBarControl* control) {
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [control](const auto& item) { return item.Get() == control; });
  if (found == items_.end()) return;
  control->AttachTo(nullptr);
  items_.erase(found);
}

void CCommandBarControls::Clear() {
  for (const CComPtr<CCommandBarControl>& item : items_) item->AttachTo(nullptr);
  items_.clear();
}

std::span<const Member> CCommandBarControls::Members() const {
  return kCommandBarControlsMembers;
}

HRESULT CCommandBarControls::Call(const Member& member, bool, const spreadsheet::CArguments& args,
                                  CVariant* result) {
  switch (member.id) {
    case kControlsCount:
      if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(items_.size()));
      return S_OK;
    case kControlsItem: {
      if (const HRESULT hr = spreadsheet::CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      const auto find = [this](std::wstring_view caption) -> std::optional<std::int32_t> {
        const CCommandBarControl* found = Find(caption);
        if (found == nullptr) return std::nullopt;
        return IndexOf(found);
      };
      std::int32_t position = 0;
      if (const HRESULT hr = spreadsheet::ReadItemPosition(
              args, 0, static_cast<std::int32_t>(items_.size()), find, &position);
          FAILED(hr)) {
        return hr;
      }
      *result = CVariant(At(static_cast<std::size_t>(position))->AsDispatch());
      return S_OK;
    }
    case kControlsAdd:
      return Add(args, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CCommandBarControls::Add(const spreadsheet::CArguments& args, CVariant* result) {
  // Add(Type, Id, Parameter, Before, Temporary): Id and Parameter name built-in controls, which
  // the host does not play; Temporary changes nothing until Excel restarts.
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 5); FAILED(hr)) return hr;
  std::int32_t type = kControlTypeButton;
  if (!args.IsMissing(0)) {
    if (const HRESULT hr = args.GetLong(0, &type); FAILED(hr)) return hr;
  }
  if (type != kControlTypeButton && type != kControlTypePopup) return E_INVALIDARG;
  std::size_t before = 0;
  if (!args.IsMissing(3)) {
    std::int32_t position = 0;
    if (const HRESULT hr = args.GetLong(3, &position); FAILED(hr)) return hr;
    if (position < 1 || static_cast<std::size_t>(position) > items_.size() + 1) {
      return E_INVALIDARG;
    }
    before = static_cast<std::size_t>(position);
  }
  *result = CVariant(Insert(type, L"", before)->AsDispatch());
  return S_OK;
}
