#pragma once
// Ids of the string table. A language module carries its texts under the same ids.

namespace nibblet {

constexpr int kIdsFile = 40003;
constexpr int kIdsTools = 40006;
constexpr int kIdsOpenFile = 40008;
constexpr int kIdsFileOpenError = 40010;      // "File %s open error (%d)."
constexpr int kIdsError = 40012;
constexpr int kIdsHex = 40013;
constexpr int kIdsText = 40014;
constexpr int kIdsUnicodeText = 40015;
constexpr int kIdsSearchAtFirst = 40016;
constexpr int kIdsOk = 40017;
constexpr int kIdsCancel = 40018;
constexpr int kIdsInternalError = 40019;      // "Internal error  %d (%d)."
constexpr int kIdsGotoRange = 40020;          // "Goto (0x%X-0x%X)"
constexpr int kIdsSearch = 40021;
constexpr int kIdsNotFound = 40022;
constexpr int kIdsEnterBytes = 40023;
constexpr int kIdsUndo = 40025;
constexpr int kIdsNoChanges = 40026;
constexpr int kIdsUndoAll = 40028;
constexpr int kIdsUndoAllQuestion = 40029;    // "Undo all maked (%d) changes?"
constexpr int kIdsCopy = 40030;
constexpr int kIdsPaste = 40031;
constexpr int kIdsAbout = 40033;              // "Nibblet %d.%d.%d" and the notice
constexpr int kIdsNo = 40035;
constexpr int kIdsYes = 40037;
constexpr int kIdsSettings = 40038;
constexpr int kIdsWorkPath = 40048;
constexpr int kIdsSettingsHint = 40049;
constexpr int kIdsChangesColor = 40050;
constexpr int kIdsEditStartColor = 40051;
constexpr int kIdsSearchResultColor = 40052;
constexpr int kIdsBackupPath = 40058;
constexpr int kIdsBackupHint = 40060;
constexpr int kIdsOpenMode = 40061;
constexpr int kIdsOpenModeChoices = 40062;
constexpr int kIdsOpenModeHint = 40063;
constexpr int kIdsErrorWithFile = 40064;      // "Error %d with file %s."
constexpr int kIdsSaveFile = 40065;
constexpr int kIdsSaveDifferences = 40066;
constexpr int kIdsBufferEmpty = 40067;
constexpr int kIdsDifferentSizes = 40068;
constexpr int kIdsDifferencesFound = 40069;
constexpr int kIdsCompare = 40071;
constexpr int kIdsNoDifferences = 40073;
constexpr int kIdsDiffValue = 40075;          // "Diff: %02X"
constexpr int kIdsImport = 40081;
constexpr int kIdsErrorWithFileNoDot = 40082; // "Error %d with file %s"
constexpr int kIdsInvalidDiffFile = 40083;
constexpr int kIdsDiffNotApplicable = 40084;
constexpr int kIdsChangedBytes = 40085;
constexpr int kIdsDiffColor = 40086;
constexpr int kIdsBin = 40087;
constexpr int kIdsOct = 40088;
constexpr int kIdsDec = 40089;
constexpr int kIdsHexBase = 40090;
constexpr int kIdsSave = 40091;
constexpr int kIdsSaveQuestion = 40092;       // "Write changes to file %s?"
constexpr int kIdsFileSaved = 40093;          // "File %s saved."
constexpr int kIdsSaveChanges = 40094;
constexpr int kIdsUseClearType = 40095;
constexpr int kIdsUseBoldFont = 40096;
constexpr int kIdsLanguage = 40097;
constexpr int kIdsKeepChangesQuestion = 40098;
constexpr int kIdsByte = 40099;
constexpr int kIdsWord = 40100;
constexpr int kIdsDword = 40101;
constexpr int kIdsNoCopy = 40102;
constexpr int kIdsStartSelection = 40103;
constexpr int kIdsEndSelection = 40104;
constexpr int kIdsSelectedColor = 40105;
constexpr int kIdsClearSelection = 40106;
constexpr int kIdsSelectionTooLong = 40107;
constexpr int kIdsWordBigEndian = 40108;
constexpr int kIdsDwordBigEndian = 40109;
constexpr int kIdsSearchNext = 40110;
constexpr int kIdsNextDiff = 40111;
constexpr int kIdsShowToolbar = 40112;
constexpr int kIdsImportPreview = 40121;      // "%d byte(s) will change, offsets %08X to %08X. ..."
constexpr int kIdsImportTakeBack = 40122;     // the same, for a file already in the document

// Texts of buttons, list headers and browser commands the program draws itself.
constexpr int kIdsOkButton = 40300;          // "OK": message boxes and the title bar
constexpr int kIdsColumnName = 40301;        // "Name"
constexpr int kIdsColumnSize = 40302;        // "Size"
constexpr int kIdsColumnDate = 40303;        // "Date"
constexpr int kIdsDelete = 40304;            // "Delete": the browser's menu entry
constexpr int kIdsDeleteQuestion = 40305;    // "Delete ?": caption of the browser's question
constexpr int kIdsNewFolder = 40306;         // "New folder": the browser's menu entry

// The language list's first entry, and the browser's entries that are not files.
constexpr int kIdsDefaultLanguage = 40340;   // "Default": the program's own texts
constexpr int kIdsIsFifo = 40341;            // "%s is a named pipe (FIFO), not a file. ..."
constexpr int kIdsIsSocket = 40342;          // "%s is a socket, not a file. ..."
constexpr int kIdsIsDevice = 40343;          // "%s is a device, not a file. ..."
constexpr int kIdsIsLinkLoop = 40344;        // "%s is a symbolic link that leads round in a loop ..."
constexpr int kIdsIsBrokenLink = 40345;      // "%s is a symbolic link whose target does not exist."
constexpr int kIdsNotAFile = 40346;          // "Not a file": caption of those messages
constexpr int kIdsTypeFifo = 40347;          // the Size column of such entries: "FIFO"
constexpr int kIdsTypeSocket = 40348;        // "socket"
constexpr int kIdsTypeDevice = 40349;        // "device"
constexpr int kIdsTypeLinkLoop = 40350;      // "link loop"
constexpr int kIdsTypeBrokenLink = 40351;    // "broken link"

// Names a screen reader says for controls that show no text of their own.
constexpr int kIdsChooseFolder = 40352;      // "Choose a folder": a folder row's "..." button
constexpr int kIdsChooseColour = 40353;      // "Choose a colour": a colour row's "..." button
constexpr int kIdsHexViewName = 40354;       // "Bytes": the hex view
constexpr int kIdsScrollBarName = 40355;     // "Position in the file": the view's scroll bar
constexpr int kIdsKeyBackspace = 40356;      // "Delete left": the keypad's erase key
constexpr int kIdsKeySpace = 40357;          // "Blank": the keypad's blank key
constexpr int kIdsSliderRed = 40358;         // "Red": the colour picker's sliders, in this order
constexpr int kIdsSliderGreen = 40359;       // "Green"
constexpr int kIdsSliderBlue = 40360;        // "Blue"

// Texts of the panel that long work shows.
constexpr int kIdsStopWork = 40400;          // "Cancel": stops the work
constexpr int kIdsProgress = 40401;          // "Progress": the bar's accessible name
constexpr int kIdsPleaseWait = 40402;        // "Please wait": the panel's title and accessible name

// Texts of crash recovery and safe saving.
constexpr int kIdsRecoverCopy = 40200;         // "Recover the unsaved changes to %s?"
constexpr int kIdsRecoverOnTheSpot = 40201;    // changes made on the spot before a crash
constexpr int kIdsBackupFailed = 40202;        // backup could not be made; open anyway?
constexpr int kIdsChangedOnDisk = 40203;       // file changed by another program; overwrite?
constexpr int kIdsUnsafeWorkFolder = 40204;    // work folder others can write into
constexpr int kIdsFileShortened = 40205;       // mapping damaged; document closed
constexpr int kIdsJournalFailed = 40206;       // crash journal could not be written (file, error, folder)
constexpr int kIdsSaveWorkFolderError = 40207; // a save failed in the work folder (error, folder, file)
constexpr int kIdsSaveNotFinished = 40208;     // a save cut short was not finished: file changed since
constexpr int kIdsRecoverChangedCopy = 40209;  // unsaved copy kept, but its file changed since
constexpr int kIdsSpotJournalStale = 40210;    // on-the-spot changes of a file replaced since; delete?
constexpr int kIdsOpenElsewhere = 40211;       // open on the spot in another running program
constexpr int kIdsJournalsSetAside = 40212;    // unreadable journals set aside
constexpr int kIdsOldUnfinishedSave = 40213;   // an unfinished save of an unreachable file; delete?
constexpr int kIdsFileReplaced = 40214;        // the file on the spot was replaced; write into the new one?
constexpr int kIdsFileGone = 40215;            // the file on the spot was moved or deleted; write it anew?
constexpr int kIdsKeptAsCopy = 40216;          // the edited file was kept as a copy
constexpr int kIdsReplacedNotWritten = 40217;  // the new file does not hold what the changes replace
constexpr int kIdsSettingsNotStored = 40218;   // the settings could not be stored
constexpr int kIdsShownReadOnly = 40219;       // an edit refused: the file is shown read-only
constexpr int kIdsReadOnlyTitle = 40220;       // the title of a file shown read-only

// Texts of the values panel.
constexpr int kIdsValues = 40500;             // "Values": the panel's title and the byte menu item
constexpr int kIdsLittleEndian = 40501;
constexpr int kIdsBigEndian = 40502;
constexpr int kIdsValueAt = 40503;            // "%s at %s": the row editor's caption
constexpr int kIdsNeedsBytes = 40504;         // "needs %d bytes": too few bytes left for the row
constexpr int kIdsOneByte = 40505;            // "1 byte"
constexpr int kIdsBytes = 40506;              // "%d bytes"
constexpr int kIdsOutOfRange = 40507;         // a time whose date cannot be shown
constexpr int kIdsInvalidDate = 40508;        // a DOS date or time with a field out of range
constexpr int kIdsUtfContinuation = 40510;    // the invalid UTF-8 and UTF-16 kinds, in UtfStatus order
constexpr int kIdsUtfBadLead = 40511;
constexpr int kIdsUtfMissingContinuation = 40512;
constexpr int kIdsUtfOverlong = 40513;
constexpr int kIdsUtfSurrogate = 40514;
constexpr int kIdsUtfBeyondUnicode = 40515;
constexpr int kIdsUtfUnpaired = 40516;
constexpr int kIdsUtfTruncated = 40517;
constexpr int kIdsRowBinary = 40520;          // the row names, in ValueKind order, to 40535
constexpr int kIdsSelected = 40540;           // the selection's rows: its size, sum and CRC-32
constexpr int kIdsSum = 40541;
constexpr int kIdsCrc32 = 40542;

}  // namespace nibblet
