// The customUI document of the ribbon tab and cell context submenu, and the id-driven answers
// of the ribbon callbacks.
#include "addin/ribbon_ui.h"

#include <algorithm>
#include <limits>

#include "platform/char_class.h"

namespace {

constexpr std::wstring_view kCustomUiNamespace =
    L"http://schemas.microsoft.com/office/2009/07/customui";
constexpr std::wstring_view kRibbonProductLabel = L"Trelvane";
constexpr std::wstring_view kRibbonRecentPrefix = L"nuvMru";
constexpr std::wstring_view kRibbonLargeImageId = L"nuvRecentItem";
constexpr int64_t kRibbonRecentButtonCount = 10;
// Far above any list length; stops the digits of a hostile id from overflowing the reading.
constexpr int64_t kRibbonRecentIndexCeiling = std::numeric_limits<int32_t>::max();

// A button of the document: Office's image when imageMso is set, else its own image, which the
// document names by the button's id.
struct RibbonButtonEntry {
  std::wstring_view id;
  std::wstring_view imageMso;
  std::wstring_view label;
};

struct RibbonGroupEntry {
  std::wstring_view id;
  std::wstring_view label;
  std::span<const RibbonButtonEntry> buttons;
};

constexpr RibbonButtonEntry kRibbonAuditButtons[] = {
    {L"nuvShowPrecedents", L"TracePrecedents", L"Show Precedents"},
    {L"nuvShowDependents", L"TraceDependents", L"Show Dependents"},
    {L"nuvShowInputs", {}, L"Show Inputs"},
    {L"nuvEvaluateFormula", L"FormulaEvaluate", L"Evaluate Formula"},
};
constexpr RibbonButtonEntry kRibbonErrorButtons[] = {
    {L"nuvShowErrors", {}, L"Show Errors"},
    {L"nuvTraceError", L"TraceError", L"Trace Error"},
};
constexpr RibbonButtonEntry kRibbonFilterButtons[] = {
    {L"nuvFilterBG", {}, L"Filter by fill color"},
    {L"nuvFilterFace", {}, L"Filter by font color"},
};
constexpr RibbonButtonEntry kRibbonToolButtons[] = {
    {L"nuvCalcOrder", {}, L"Display Calculation Chain"},
    {L"nuvRefresh", {}, L"Refresh Contents"},
    {L"nuvTranspose", {}, L"Transpose"},
};
constexpr RibbonButtonEntry kRibbonSupportButtons[] = {
    {L"nuvContact", {}, L"Contact us ..."},
    {L"nuvShowHelp", L"Help", L"Show Help"},
    {L"nuvAbout", {}, L"About ..."},
};
// The tab's command groups, after the recent-items group.
constexpr RibbonGroupEntry kRibbonCommandGroups[] = {
    {L"nuvGroup0", L"Audit", kRibbonAuditButtons},
    {L"nuvGroup1", L"Errors", kRibbonErrorButtons},
    {L"nuvGroup2", L"Filter", kRibbonFilterButtons},
    {L"nuvGroup3", L"Tools", kRibbonToolButtons},
    {L"nuvGroup4", L"Support", kRibbonSupportButtons},
};

struct RibbonControlCommand {
  std::wstring_view controlId;
  CommandId command;
};

constexpr RibbonControlCommand kRibbonControlCommands[] = {
    {L"nuvShowDependents", CommandId::kShowDependents},
    {L"nuvRCMShowDependents", CommandId::kShowDependents},
    {L"nuvShowPrecedents", CommandId::kShowPrecedents},
    {L"nuvRCMShowPrecedents", CommandId::kShowPrecedents},
    {L"nuvShowInputs", CommandId::kShowInputs},
    {L"nuvRCMShowInputs", CommandId::kShowInputs},
    {L"nuvShowErrors", CommandId::kShowErrors},
    {L"nuvTraceError", CommandId::kTraceError},
    {L"nuvEvaluateFormula", CommandId::kEvaluateFormula},
    {L"nuvRCMEvaluateFormula", CommandId::kEvaluateFormula},
    {L"nuvFilterBG", CommandId::kFilterByFillColor},
    {L"nuvFilterFace", CommandId::kFilterByFontColor},
    {L"nuvCalcOrder", CommandId::kCalculationChain},
    {L"nuvRefresh", CommandId::kRefreshContents},
    {L"nuvTranspose", CommandId::kTranspose},
    {L"nuvRCMTranspose", CommandId::kTranspose},
    {L"nuvShowHelp", CommandId::kShowHelp},
    {L"nuvAbout", CommandId::kAbout},
    {L"nuvContact", CommandId::kContactUs},
    {L"nuvRCMCopyAddress", CommandId::kCopyAddress},
};

struct RibbonCommandTips {
  CommandId command;
  std::wstring_view screentip;
  std::wstring_view supertip;
};

constexpr RibbonCommandTips kRibbonCommandTips[] = {
    {CommandId::kShowDependents, L"Show dependents", L""},
    {CommandId::kShowPrecedents, L"Show precedents", L""},
    {CommandId::kShowInputs, L"Show input cells",
     L"Display constant values which affect to currently selected formula."},
    {CommandId::kShowErrors, L"Show errors", L"Show all errors in current workbook."},
    {CommandId::kTraceError, L"Trace error",
     L"Analyze all cells and find which cells may be source of selected error."},
    {CommandId::kEvaluateFormula, L"Evaluate Formula",
     L"Divide formula into sub-expressions and show value of each one in hierarchical form."},
    {CommandId::kFilterByFillColor, L"Filter cells by fill color",
     L"Filter all cells by their fill color"},
    {CommandId::kFilterByFontColor, L"Filter cells by face color",
     L"Filter all cells by their face color"},
    {CommandId::kCalculationChain, L"Save cells in calculation order",
     L"Save formulas from active workbook to text file in same order, in which they should be "
     L"calculated."},
    {CommandId::kRefreshContents, L"Refresh Contents",
     L"Trelvane doesn't update it's windows automatically.\nPlease, use this command when "
     L"something is changed in your workbook."},
    {CommandId::kTranspose, L"Transpose", L"Transpose selected range and keep formulas"},
    {CommandId::kShowHelp, L"Show Help", L"Show Trelvane Help Library"},
    {CommandId::kAbout, L"About Trelvane", L"Display program information, copyright, ..."},
    {CommandId::kContactUs, L"Contact Halvorn",
     L"Get more Help on the Trelvane, send bugreport, request for new feature ..."},
    {CommandId::kCopyAddress, L"Copy address of the current selection to clipboard",
     L"Copy address of the current selection to clipboard"},
};

// Control ids are ASCII; other characters must match exactly.
wchar_t RibbonIdFolded(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool RibbonIdsEqual(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return RibbonIdFolded(x) == RibbonIdFolded(y); });
}

bool IsRibbonScanfBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// N of a recent-item id, read after the prefix as "%ld" reads: blanks, an optional sign, digits;
// 0 when no digit follows. Nothing for ids without the prefix.
std::optional<int64_t> RibbonRecentIndexOf(std::wstring_view controlId) {
  if (controlId.size() < kRibbonRecentPrefix.size() ||
      !RibbonIdsEqual(controlId.substr(0, kRibbonRecentPrefix.size()), kRibbonRecentPrefix)) {
    return std::nullopt;
  }
  std::wstring_view rest = controlId.substr(kRibbonRecentPrefix.size());
  while (!rest.empty() && IsRibbonScanfBlank(rest.front())) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == L'-' || rest.front() == L'+')) {
    negative = rest.front() == L'-';
    rest.remove_prefix(1);
  }
  int64_t value = 0;
  for (const wchar_t c : rest) {
    if (!IsAsciiDigit(c)) break;
    value = std::min(kRibbonRecentIndexCeiling, value * 10 + (c - L'0'));
  }
  return negative ? -value : value;
}

// The list position a recent-item button shows, when the id is one and the position is within
// [0, count).
std::optional<size_t> RibbonRecentPositionWithin(std::wstring_view controlId, size_t count) {
  const std::optional<int64_t> index = RibbonRecentIndexOf(controlId);
  if (!index || *index < 0 || static_cast<uint64_t>(*index) >= count) return std::nullopt;
  return static_cast<size_t>(*index);
}

void AppendUiAttributeText(std::wstring& xml, std::wstring_view text) {
  for (const wchar_t c : text) {
    switch (c) {
      case L'&':
        xml += L"&amp;";
        break;
      case L'<':
        xml += L"&lt;";
        break;
      case L'>':
        xml += L"&gt;";
        break;
      case L'"':
        xml += L"&quot;";
        break;
      default:
        xml += c;
    }
  }
}

void AppendUiAttribute(std::wstring& xml, std::wstring_view name, std::wstring_view value) {
  xml += L' ';
  xml += name;
  xml += L"=\"";
  AppendUiAttributeText(xml, value);
  xml += L'"';
}

void AppendUiTipCallbacks(std::wstring& xml) {
  AppendUiAttribute(xml, L"onAction", L"ButtonClicked");
  AppendUiAttribute(xml, L"getScreentip", L"GetScreentip");
  AppendUiAttribute(xml, L"getSupertip", L"GetSupertip");
}

// Own images carry the control id as tag and image too, so LoadImage receives the control id.
void AppendUiButton(std::wstring& xml, const RibbonButtonEntry& button) {
  xml += L"<button";
  AppendUiAttribute(xml, L"id", button.id);
  if (button.imageMso.empty()) {
    AppendUiAttribute(xml, L"tag", button.id);
    AppendUiAttribute(xml, L"image", button.id);
  } else {
    AppendUiAttribute(xml, L"imageMso", button.imageMso);
  }
  AppendUiAttribute(xml, L"label", button.label);
  AppendUiTipCallbacks(xml);
  xml += L" />";
}

void AppendUiRecentItemButton(std::wstring& xml, int64_t index) {
  const std::wstring id = std::wstring(kRibbonRecentPrefix) + std::to_wstring(index);
  xml += L"<button";
  AppendUiAttribute(xml, L"id", id);
  AppendUiAttribute(xml, L"tag", id);
  AppendUiAttribute(xml, L"getLabel", L"GetButtonLabel");
  AppendUiAttribute(xml, L"getVisible", L"GetButtonVisible");
  AppendUiAttribute(xml, L"onAction", L"ButtonClicked");
  xml += L" />";
}

void AppendUiSeparator(std::wstring& xml, std::wstring_view id) {
  xml += L"<menuSeparator";
  AppendUiAttribute(xml, L"id", id);
  xml += L" />";
}

void AppendUiGroupStart(std::wstring& xml, std::wstring_view id, std::wstring_view label) {
  xml += L"<group";
  AppendUiAttribute(xml, L"id", id);
  AppendUiAttribute(xml, L"label", label);
  xml += L'>';
}

void AppendUiRibbon(std::wstring& xml) {
  xml += L"<ribbon><tabs><tab";
  AppendUiAttribute(xml, L"id", L"nuvTab");
  AppendUiAttribute(xml, L"label", kRibbonProductLabel);
  xml += L'>';
  AppendUiGroupStart(xml, L"nuvGrpRecent", L"Recent");
  xml += L"<menu";
  AppendUiAttribute(xml, L"id", L"nuvRecentItemsMenu");
  AppendUiAttribute(xml, L"visible", L"true");
  AppendUiAttribute(xml, L"size", L"large");
  AppendUiAttribute(xml, L"image", kRibbonLargeImageId);
  xml += L'>';
  for (int64_t index = 0; index < kRibbonRecentButtonCount; ++index) {
    AppendUiRecentItemButton(xml, index);
  }
  xml += L"</menu></group>";
  for (const RibbonGroupEntry& group : kRibbonCommandGroups) {
    AppendUiGroupStart(xml, group.id, group.label);
    for (const RibbonButtonEntry& button : group.buttons) AppendUiButton(xml, button);
    xml += L"</group>";
  }
  xml += L"</tab></tabs></ribbon>";
}

void AppendUiCellContextMenu(std::wstring& xml) {
  xml += L"<contextMenus><contextMenu";
  AppendUiAttribute(xml, L"idMso", L"ContextMenuCell");
  xml += L'>';
  AppendUiSeparator(xml, L"nuvSeparator0");
  xml += L"<menu";
  AppendUiAttribute(xml, L"id", L"nuvRCM");
  AppendUiAttribute(xml, L"label", kRibbonProductLabel);
  AppendUiAttribute(xml, L"imageMso", L"TracePrecedents");
  xml += L'>';
  AppendUiButton(xml, {L"nuvRCMShowPrecedents", L"TracePrecedents", L"Show Precedents"});
  AppendUiButton(xml, {L"nuvRCMShowDependents", L"TraceDependents", L"Show Dependents"});
  AppendUiButton(xml, {L"nuvRCMShowInputs", {}, L"Show Inputs"});
  AppendUiSeparator(xml, L"nuvSeparator1");
  AppendUiButton(xml, {L"nuvRCMEvaluateFormula", L"FormulaEvaluate", L"Evaluate Formula"});
  AppendUiSeparator(xml, L"nuvSeparator2");
  AppendUiButton(xml, {L"nuvRCMCopyAddress", L"Copy", L"Copy Address to Clipboard"});
  AppendUiButton(xml, {L"nuvRCMTranspose", {}, L"Transpose"});
  xml += L"</menu></contextMenu></contextMenus>";
}

const RibbonCommandTips* RibbonTipsOfControl(std::wstring_view controlId) {
  const std::optional<CommandId> command = CommandFromControlId(controlId);
  if (!command) return nullptr;
  for (const RibbonCommandTips& tips : kRibbonCommandTips) {
    if (tips.command == *command) return &tips;
  }
  return nullptr;
}

}  // namespace

std::wstring BuildCustomUi() {
  std::wstring xml = L"<customUI";
  AppendUiAttribute(xml, L"xmlns", kCustomUiNamespace);
  AppendUiAttribute(xml, L"loadImage", L"LoadImage");
  AppendUiAttribute(xml, L"onLoad", L"OnLoadCustomUI");
  xml += L'>';
  AppendUiRibbon(xml);
  AppendUiCellContextMenu(xml);
  xml += L"</customUI>";
  return xml;
}

std::optional<CommandId> CommandFromControlId(std::wstring_view controlId) {
  if (const std::optional<int64_t> index = RibbonRecentIndexOf(controlId)) {
    // Only the ten buttons the document holds; other numbers would name unrelated commands.
    if (*index < 0 || *index >= kRibbonRecentButtonCount) return std::nullopt;
    return CommandFromNumber(static_cast<int32_t>(CommandId::kRecentItem0) +
                             static_cast<int32_t>(*index));
  }
  for (const RibbonControlCommand& entry : kRibbonControlCommands) {
    if (RibbonIdsEqual(entry.controlId, controlId)) return entry.command;
  }
  return std::nullopt;
}

int32_t ImageFromControlId(std::wstring_view imageId) {
  for (const OwnImage& image : kOwnImages) {
    if (RibbonIdsEqual(image.imageId, imageId)) return image.iconResource;
  }
  return 0;
}

bool IsLargeImage(std::wstring_view imageId) {
  return RibbonIdsEqual(imageId, kRibbonLargeImageId);
}

std::wstring_view ScreentipOf(std::wstring_view controlId) {
  const RibbonCommandTips* tips = RibbonTipsOfControl(controlId);
  return tips != nullptr ? tips->screentip : std::wstring_view();
}

std::wstring_view SupertipOf(std::wstring_view controlId) {
  const RibbonCommandTips* tips = RibbonTipsOfControl(controlId);
  return tips != nullptr ? tips->supertip : std::wstring_view();
}

std::wstring RecentItemButtonLabel(std::wstring_view controlId,
                                   std::span<const std::wstring> captions) {
  const std::optional<size_t> position = RibbonRecentPositionWithin(controlId, captions.size());
  return position ? captions[*position] : std::wstring();
}

bool RecentItemButtonVisible(std::wstring_view controlId, size_t recentItemCount) {
  if (!RibbonRecentIndexOf(controlId)) return true;
  return RibbonRecentPositionWithin(controlId, recentItemCount).has_value();
}
