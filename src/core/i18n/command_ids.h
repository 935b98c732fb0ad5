#pragma once
// Command ids of the menus, toolbars and dialog buttons.

namespace nibblet {

constexpr int kCmdOk = 1;
constexpr int kCmdCancel = 2;

// Menu 101.
constexpr int kMenuFile = 40001;
constexpr int kMenuTools = 40004;
constexpr int kCmdOpen = 40007;
constexpr int kCmdExit = 40009;
constexpr int kCmdClose = 40011;
constexpr int kCmdUndo = 40024;
constexpr int kCmdUndoAll = 40027;
constexpr int kCmdSave = 40032;
constexpr int kCmdSearch = 40034;
constexpr int kCmdGoto = 40036;
constexpr int kCmdFontSize10 = 40039;
constexpr int kCmdFontSize18 = 40047;
constexpr int kFontSizeCommandBase = 40029;  // font size = command - base
constexpr int kCmdRecentFiles = 40053;
constexpr int kCmdSettings = 40055;
constexpr int kCmdSearchNext = 40059;
constexpr int kCmdSaveChangesAsDiff = 40070;
constexpr int kCmdImportDiff = 40072;
constexpr int kCmdConverter = 40074;
constexpr int kCmdCompare = 40076;
constexpr int kCmdSaveDifferences = 40077;
constexpr int kCmdClearDifferences = 40078;
constexpr int kCmdGotoNextDiff = 40079;
constexpr int kCmdCompareWithBackup = 40120;

// The byte menu's item that opens the values panel at the held byte.
constexpr int kCmdValues = 40500;

// Dialog 930's command bar.
constexpr int kCmdEntryHex = 51501;
constexpr int kCmdEntryText = 51502;
constexpr int kCmdEntryUnicode = 51503;
constexpr int kCmdSearchAtFirst = 51504;
constexpr int kCmdBarCopy = 1023;
constexpr int kCmdBarPaste = 1024;
constexpr int kIdEntryEdit = 934;

// Menu 158 and dialog 900 (file browser).
constexpr int kCmdSwitchWindow = 702;
constexpr int kCmdSwitchWindowA = 700;
constexpr int kCmdSwitchWindowB = 701;
constexpr int kCmdReportView = 904;
constexpr int kCmdFolderUp = 905;
constexpr int kCmdListView = 906;
constexpr int kCmdNewFolder = 907;
constexpr int kCmdDeleteEntry = 908;
constexpr int kIdBrowserFileName = 901;
constexpr int kIdBrowserFolders = 902;
constexpr int kIdBrowserList = 903;

// Resource ids.
constexpr int kMenuMain = 101;
constexpr int kMenuBrowser = 158;
constexpr int kDialogConverter = 109;
constexpr int kDialogBrowser = 900;
constexpr int kDialogEntry = 930;
constexpr int kDialogColour = 935;
constexpr int kToolbarId = 1021;

}  // namespace nibblet
