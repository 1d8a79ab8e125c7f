// The ribbon tab and the cell context submenu as a customUI document, and the answers of the
// ribbon callbacks that depend only on a control id. The COM side reads the ids and calls these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "addin/command_ids.h"

// An image of the add-in's own: the image id the document names and the icon resource drawing it.
struct OwnImage {
  std::wstring_view imageId;
  int32_t iconResource;
};

// Every own image id of the document, with its icon resource. The resource file embeds one icon
// per distinct number; resources/draw_icons.py draws them.
inline constexpr std::array<OwnImage, 12> kOwnImages = {{
    {L"nuvShowInputs", 1016},
    {L"nuvRCMShowInputs", 1016},
    {L"nuvShowErrors", 3010},
    {L"nuvFilterBG", 1021},
    {L"nuvFilterFace", 1026},
    {L"nuvCalcOrder", 3011},
    {L"nuvRefresh", 3012},
    {L"nuvTranspose", 1035},
    {L"nuvRCMTranspose", 1035},
    {L"nuvAbout", 1037},
    {L"nuvContact", 1041},
    {L"nuvRecentItem", 1042},
}};

// The whole customUI document (Office 2010 schema), rebuilt on every call.
std::wstring BuildCustomUi();

// The command a control runs; ids compare ignoring case, "nuvMru" + N is recent item N (0 to 9).
// Nothing for ids that run no command (menus, the tab) or that the document does not hold.
std::optional<CommandId> CommandFromControlId(std::wstring_view controlId);

// The icon resource of an own image id, ignoring case; 0 for every other id.
int32_t ImageFromControlId(std::wstring_view imageId);

// Whether the image is loaded at the large icon size rather than the small one.
bool IsLargeImage(std::wstring_view imageId);

// The tips of a control's command; empty for controls without a command or without a tip.
// A supertip may hold '\n', a line break.
std::wstring_view ScreentipOf(std::wstring_view controlId);
std::wstring_view SupertipOf(std::wstring_view controlId);

// A recent-item button's label: the caption of recent item N for "nuvMru" + N when N is within
// the list; empty otherwise and for every other control.
std::wstring RecentItemButtonLabel(std::wstring_view controlId,
                                   std::span<const std::wstring> captions);

// Controls other than recent-item buttons are always visible; recent-item button N is visible
// while the list holds more than N items.
bool RecentItemButtonVisible(std::wstring_view controlId, size_t recentItemCount);
