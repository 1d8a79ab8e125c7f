// The command and control identifiers of the trace and evaluate windows, their toolbar and
// context-menu lists, and the tooltip texts of the toolbar commands. The numbers are those of the
// dialog resources and the string table, so they must not change.
#pragma once

#include <array>
#include <cstdint>

// Commands on the selected item and on the window.
inline constexpr int32_t kCmdSeparator = 0;
inline constexpr int32_t kCmdShowPrecedents = 1008;
inline constexpr int32_t kCmdShowDependents = 1009;
inline constexpr int32_t kCmdSelectInExcel = 1010;
inline constexpr int32_t kCmdEvaluateFormula = 1012;
inline constexpr int32_t kCmdShowInputs = 1014;
inline constexpr int32_t kCmdTraceError = 1015;
inline constexpr int32_t kCmdFilterHighlighted = 1017;
inline constexpr int32_t kCmdShowTracingArrows = 1018;
inline constexpr int32_t kCmdHelp = 1019;
inline constexpr int32_t kCmdSaveBranchMenu = 1020;  // submenu of 1021, 1022, 1035
inline constexpr int32_t kCmdSaveBranchOnSheet = 1021;
inline constexpr int32_t kCmdSaveBranchInFile = 1022;
inline constexpr int32_t kCmdAutoActivate = 1023;
inline constexpr int32_t kCmdExpandAll = 1024;
inline constexpr int32_t kCmdFind = 1025;
inline constexpr int32_t kCmdSavePathMenu = 1026;  // submenu of 1027, 1028, 1030
inline constexpr int32_t kCmdSavePathOnSheet = 1027;
inline constexpr int32_t kCmdSavePathInFile = 1028;
inline constexpr int32_t kCmdSavePathInClipboard = 1030;
inline constexpr int32_t kCmdFormatMenu = 1031;  // submenu of the style entries
inline constexpr int32_t kCmdImportSelection = 1034;
inline constexpr int32_t kCmdSaveBranchInClipboard = 1035;
// Style n (from 1) of the workbook is command first + n - 1; one hundred styles at most.
inline constexpr int32_t kCmdFormatBranchFirst = 1040;
inline constexpr int32_t kCmdFormatBranchLast = 1139;
inline constexpr int32_t kCmdFormatPathFirst = 1140;
inline constexpr int32_t kCmdFormatPathLast = 1239;
inline constexpr int32_t kCmdShowFindToolbar = 1247;
inline constexpr int32_t kCmdHighlightErrors = 32771;

// Controls of the trace window's dialog (resource 1000) and the evaluate window's (1012).
inline constexpr int32_t kTraceDialogResource = 1000;
inline constexpr int32_t kEvaluateDialogResource = 1012;
inline constexpr int32_t kFormulaBoxId = 3001;
inline constexpr int32_t kTreeHostId = 3002;
inline constexpr int32_t kValueBoxId = 3003;
inline constexpr int32_t kFindLabelId = 1032;
inline constexpr int32_t kFindBoxId = 1022;  // a control id, not the command of the same number
inline constexpr int32_t kToolbarId = 1016;
inline constexpr int32_t kFindToolbarId = 1029;

inline constexpr std::array kTraceToolbarCommands{
    kCmdExpandAll,        kCmdShowFindToolbar,   kCmdSeparator,         kCmdShowPrecedents,
    kCmdShowDependents,   kCmdShowInputs,        kCmdSeparator,         kCmdTraceError,
    kCmdHighlightErrors,  kCmdFilterHighlighted, kCmdShowTracingArrows, kCmdAutoActivate,
    kCmdSeparator,        kCmdEvaluateFormula,   kCmdSeparator,         kCmdSaveBranchOnSheet,
    kCmdSaveBranchInFile, kCmdSelectInExcel,     kCmdSeparator,         kCmdHelp};
inline constexpr std::array kTraceMenuCommands{
    kCmdShowPrecedents, kCmdShowDependents, kCmdShowInputs,      kCmdSeparator,
    kCmdTraceError,     kCmdSeparator,      kCmdEvaluateFormula, kCmdSeparator,
    kCmdSaveBranchMenu, kCmdSavePathMenu,   kCmdFormatMenu,      kCmdSeparator,
    kCmdSelectInExcel,  kCmdExpandAll};
// clang-format off
inline constexpr std::array kEvaluateToolbarCommands{
    kCmdExpandAll,         kCmdSeparator,        kCmdShowPrecedents,    kCmdShowDependents,
    kCmdShowInputs,        kCmdSeparator,        kCmdTraceError,        kCmdShowTracingArrows,
    kCmdAutoActivate,      kCmdSeparator,        kCmdEvaluateFormula,   kCmdSeparator,
    kCmdSaveBranchOnSheet, kCmdSaveBranchInFile, kCmdSelectInExcel,     kCmdSeparator,
    kCmdHelp};
// clang-format on
inline constexpr std::array kEvaluateMenuCommands{
    kCmdShowPrecedents, kCmdShowDependents, kCmdShowInputs,      kCmdSeparator,
    kCmdTraceError,     kCmdSeparator,      kCmdEvaluateFormula, kCmdSeparator,
    kCmdSaveBranchMenu, kCmdSelectInExcel,  kCmdExpandAll};

// The command whose enabling rule an entry follows: the entries of the save and format submenus
// are enabled as their first entry is.
constexpr int32_t RuleCommandOf(int32_t command) {
  if (command == kCmdSaveBranchInFile || command == kCmdSaveBranchInClipboard) {
    return kCmdSaveBranchOnSheet;
  }
  if (command == kCmdSavePathInFile || command == kCmdSavePathInClipboard) {
    return kCmdSavePathOnSheet;
  }
  if (command >= kCmdFormatBranchFirst && command <= kCmdFormatPathLast) {
    return kCmdFormatBranchFirst;
  }
  return command;
}

// The tooltip of a toolbar command (the string resource of the same id); null for others.
constexpr const wchar_t* CommandTooltip(int32_t command) {
  switch (command) {
    case kCmdShowPrecedents:
      return L"Show Precedents";
    case kCmdShowDependents:
      return L"Show Dependents";
    case kCmdShowInputs:
      return L"Show Inputs";
    case kCmdTraceError:
      return L"Trace Error";
    case kCmdHighlightErrors:
      return L"Highlight cells which contains error values";
    case kCmdFilterHighlighted:
      return L"Filter highlighted cells";
    case kCmdEvaluateFormula:
      return L"Evaluate Formula";
    case kCmdSelectInExcel:
      return L"Select cell/range in Excel";
    case kCmdShowTracingArrows:
      return L"Show tracing arrows in Excel";
    case kCmdHelp:
      return L"Display Help Topics";
    case kCmdSaveBranchOnSheet:
      return L"Save branch on separate worksheet";
    case kCmdSaveBranchInFile:
      return L"Save branch in file";
    case kCmdAutoActivate:
      return L"Automatically activate selected range in Excel";
    case kCmdExpandAll:
      return L"Expand all nodes in branch";
    case kCmdShowFindToolbar:
      return L"Show Find Toolbar";
    case kCmdFind:
      return L"Find cell/range in branch";
    case kCmdImportSelection:
      return L"Import selected range from Excel";
    default:
      return nullptr;
  }
}
