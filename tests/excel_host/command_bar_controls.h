// Office's command bar controls as Excel before the ribbon offers them: the Controls collection
// of a bar or a submenu, and its buttons and submenus (popups) with the properties an add-in
// writes, the faces it pastes or sets as pictures, and the Click event of each button, which a
// test fires as Excel does when the user clicks.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "spreadsheet/objects/dispatch_object.h"
#include "tests/excel_host/button_faces.h"

// _CommandBarButtonEvents, the dispatch interface of a button's Click.
inline constexpr IID kCommandBarButtonEventsIid = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kCommandBarButtonClick = 1;  // Click(Ctrl, CancelDefault)

// MsoControlType values the host plays.
inline constexpr LONG kControlTypeButton = 1;
inline constexpr LONG kControlTypePopup = 10;

// A toolbar button's size in screen pixels.
inline constexpr LONG kToolbarButtonWidth = 23;
inline constexpr LONG kToolbarButtonHeight = 22;

class CCommandBar;
class CCommandBarControls;

// What every bar, control and collection of one Application shares.
struct CommandBarSettings {
  bool pictureSupported = true;  // Office 2000 has no Picture or Mask.
};

// Invariant: every held sink was advised and not yet unadvised; container_ is the button, or
// null once it is gone.
class CButtonClickPoint final : public IConnectionPoint {
 public:
  static CComPtr<CButtonClickPoint> Create(IConnectionPointContainer* container);
  void Orphan() { container_ = nullptr; }

  std::size_t SinkCount() const { return sinks_.size(); }
  // Invokes `event` on every sink with Excel's Click arguments (rgvarg[1] the control,
  // rgvarg[0] CancelDefault by reference); answers each sink's result.
  std::vector<HRESULT> Fire(DISPID event, IDispatch* control);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  explicit CButtonClickPoint(IConnectionPointContainer* container) : container_(container) {}
  virtual ~CButtonClickPoint() = default;

  std::atomic<ULONG> references_{1};
  IConnectionPointContainer* container_;
  std::vector<std::pair<DWORD, CComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};

// A button (msoControlButton) or a submenu (msoControlPopup). Invariant: owner_ is the
// collection that lists the control, or null once it was deleted or its bar reset; only a popup
// has contents_, only a button has clicks_.
class CCommandBarControl final : public spreadsheet::CDispatchObject,
                                 public IConnectionPointContainer {
 public:
  static CComPtr<CCommandBarControl> Create(LONG type, std::wstring caption,
                                            std::shared_ptr<CommandBarSettings> settings);

  bool IsPopup() const { return type_ == kControlTypePopup; }
  LONG Type() const { return type_; }
  const std::wstring& Caption() const { return caption_; }
  const std::wstring& TooltipText() const { return tooltip_; }
  const std::wstring& Tag() const { return tag_; }
  LONG Style() const { return style_; }
  bool BeginGroup() const { return beginGroup_; }
  bool IsVisible() const { return visible_; }
  bool IsEnabled() const { return enabled_; }
  // Position from 1 in its collection; 0 once it is no longer listed.
  LONG Index() const;
  // Where the control is on the screen: side by side on a shown toolbar, else a fixed column.
  RECT ScreenRect() const;
  const ButtonFace& Face() const { return face_; }
  // A submenu's contents; null for a button.
  CCommandBarControls* Controls() const { return contents_.Get(); }
  IDispatch* AsDispatch() { return static_cast<IDispatch*>(static_cast<CDispatchObject*>(this)); }

  // The user clicks the button: `event` on every advised sink (Click is
  // kCommandBarButtonClick; other ids exercise a sink's refusal). Nothing for a submenu.
  std::vector<HRESULT> FireClick(DISPID event = kCommandBarButtonClick);
  std::size_t ClickSinkCount() const { return clicks_ ? clicks_->SinkCount() : 0; }

  void AttachTo(CCommandBarControls* owner) { owner_ = owner; }
  CCommandBarControls* Owner() const { return owner_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CDispatchObject::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CDispatchObject::Release(); }
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 protected:
  ~CCommandBarControl() override;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  CCommandBarControl(LONG type, std::wstring caption, std::shared_ptr<CommandBarSettings> settings);
  HRESULT PasteFace();
  HRESULT ReadPicture(bool mask, CVariant* result) const;
  HRESULT WritePicture(bool mask, const spreadsheet::CArguments& args);

  LONG type_;
  std::wstring caption_;
  std::wstring tooltip_;
  std::wstring tag_;
  LONG style_ = 0;  // msoButtonAutomatic
  bool beginGroup_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  ButtonFace face_;
  std::shared_ptr<CommandBarSettings> settings_;
  CCommandBarControls* owner_ = nullptr;
  CComPtr<CCommandBarControls> contents_;
  CComPtr<CButtonClickPoint> clicks_;
};

// The controls of a bar or of a submenu: Count, Item by position from 1 or caption, Add.
// Invariant: bar_ is the bar whose top-level controls these are, null for a submenu's contents
// and once the bar is deleted; every listed control's owner is this collection.
class CCommandBarControls final : public spreadsheet::CDispatchObject {
 public:
  static CComPtr<CCommandBarControls> Create(CCommandBar* bar,
                                             std::shared_ptr<CommandBarSettings> settings);

  std::size_t Count() const { return items_.size(); }
  // Position from 1; null outside the list.
  CCommandBarControl* At(std::size_t index) const;
  // The first control whose caption matches ignoring case and the accelerator ampersands.
  CCommandBarControl* Find(std::wstring_view caption) const;
  LONG IndexOf(const CCommandBarControl* control) const;
  // A new control at `before` (from 1; past the end appends).
  CCommandBarControl* Insert(LONG type, std::wstring caption, std::size_t before);
  void Remove(CCommandBarControl* control);
  // Every control let go, as a bar's Reset drops them.
  void Clear();
  CCommandBar* Bar() const { return bar_; }
  void OrphanFromBar() { bar_ = nullptr; }

 protected:
  ~CCommandBarControls() override;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  CCommandBarControls(CCommandBar* bar, std::shared_ptr<CommandBarSettings> settings)
      : bar_(bar), settings_(std::move(settings)) {}
  HRESULT Add(const spreadsheet::CArguments& args, CVariant* result);

  CCommandBar* bar_;
  std::shared_ptr<CommandBarSettings> settings_;
  std::vector<CComPtr<CCommandBarControl>> items_;
};

// A caption without its accelerator ampersands.
std::wstring CaptionWithoutAccelerators(std::wstring_view caption);
