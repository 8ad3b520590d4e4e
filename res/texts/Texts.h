#pragma once
// The program's texts: every message, caption and numbered string, each written once. Inserts use the
// positional form of FormatText ("%1!d!", "%2!s!"). Texts are used exactly as the program shows them,
// typos included.

#include <string_view>

namespace ruva::texts {

using Text = std::string_view;

// Program identity.
inline constexpr Text ProgramName = "RuvasetW";
inline constexpr Text CompanyName = "Vantrell Systems Inc.";
inline constexpr Text ProductNumber = "QPX-2210-1";
inline constexpr Text ProgramRevision = "1.24";

// Numbered strings: the Windows program's string table holds them under their numbers.
inline constexpr Text CouldNotOpenFile = "Could not open file %1";
inline constexpr Text DriverError = "Error #%1!d!: %2!s!";
struct NumberedText {
    int Id;
    Text Value;
};
inline constexpr NumberedText NumberedTexts[] = {{102, CouldNotOpenFile}, {108, DriverError}};

// Driver.
inline constexpr Text DriverNotInstalled = "Failed to open the Ruva-2 driver. The driver is not properly "
                                           "installed. Board configuration options are disabled.";

// The window program's command line.
inline constexpr Text UnknownOption =
    "Unknown option '%1!s!'.\n\nUsage: ruvasetw [--simulator [FILE]]\n\n"
    "--simulator FILE (or --simulator=FILE): work on boards simulated in process, kept in the state file "
    "FILE, instead of the boards of the driver.\n--simulator alone: the same on the default state file.";

// Simulated boards, on the About page and in the listing of the boards.
inline constexpr Text SimulatedBoards =
    "Simulated boards, kept in the state file %1!s!: no real board is used.";
// Simulated boards that were asked for but whose state file cannot be used, with the reason.
inline constexpr Text SimulatedBoardsUnusable = "The simulated boards cannot be used: %1!s!";

// Configuration files: saving.
inline constexpr Text UnableToOpenFile = "Unable to open file '%1!s!'. Data not saved.";
inline constexpr Text UnableToWriteFile = "Unable to write file '%1!s!'. Data not saved.";
inline constexpr Text FolderNotWritable =
    "Unable to save file '%1!s!': its folder is not writable. Data not saved.";
inline constexpr Text DescriptorNotGiven =
    "Unable to save file '%1!s!': the program was not started with that file open. Data not saved.";
inline constexpr Text NotWrittenBecause = "File '%1!s!' was not written: %2!s!. Data not saved.";
inline constexpr Text NothingWrittenBecause = "Nothing was written: %1!s!.";
// Why: what a file would hold that does not load again.
inline constexpr Text HoldsValueWithoutWord = "the configuration holds a value that has no word";
inline constexpr Text HoldsHdlcStartAddress = "the configuration holds the HDLC start address 0x%1!X! (%2!s!)";

// Configuration files: reading.
inline constexpr Text ParseErrorLine = "Error near line %1!d!: %2!s!\n";
inline constexpr Text SyntaxError = "syntax error";
inline constexpr Text StringWithoutClosingQuote = "String without closing quote";
inline constexpr Text TokenTooLong = "Token too long";
inline constexpr Text ReadError = "Read error";
inline constexpr Text InvalidBoardNumber = "Invalid board Number";
inline constexpr Text WrongLiNumber = "Wrong LI number";
inline constexpr Text HdlcStartAddressTooLow = "HdlcStartAddress value must be >= 0x8000";
inline constexpr Text SiBitsRange = "SiBits value must be in the range 0x00 - 0x03";
inline constexpr Text SaBitsRange = "SaBits value must be in the range 0x00 - 0x1F";
inline constexpr Text ByteRange = "Value must be in the range 0 - 255";
inline constexpr Text LineLengthRange = "Line length range must be in the range 0 - 65535";
inline constexpr Text ClearChannelsRange = "Value must be in the range 0x0 - 0xFFFFFF (24 bits)";
inline constexpr Text LoadErrorInFile = "%1!s! (in Configuration File %2!s!)";
inline constexpr Text NoSettingsForBoard = "Configuration File %1!s! has no settings for board %2!d!.";

// Board check.
inline constexpr Text WrongGdsId = "Error: Wrong GDS ID 0x%1!.2X! (Expected 0x%2!.2X!)";
inline constexpr Text SerialNumberLost =
    "Error: Serial Number information lost. Contact Vantrell Systems Inc.";
inline constexpr Text SerialSchemeRestored =
    "The board had a corrupt Serial Number scheme. The Serial Number and "
    "the Clock Source will be restored.";
inline constexpr Text IncompatibleVersion = "The board contains an incompatible version of the Configuration "
                                            "Data (Version %1!d!). This Configuration "
                                            "Data version will be changed to Version %2!d!.";

// Board transfers.
inline constexpr Text SaveVerifyFailed =
    "Errors occured when saving the Configuration Data to the board. The "
    "data was NOT stored on the board. Rerun RuvasetW.";
inline constexpr Text SaveSucceeded = "The Configuration Data was successfully written to the board.";
inline constexpr Text SaveUnchanged = "The Configuration Data remains the same. Action ignored.";
inline constexpr Text BoardBusy = "Board %1!d! is in use by another program, which did not let go of it "
                                  "within %2!d! seconds. Nothing was done: try again once it has finished.";
inline constexpr Text BoardLockUnusable =
    "The board's lock file '%1!s!' cannot be used (%2!s!). Nothing was done: without its lock, other "
    "programs could work on board %3!d! at the same time.";
inline constexpr Text TimeUpBeforeTransfer =
    "Nothing was done on board %1!d!: the time limit ran out before its transfer began.";
// After a save that failed: which of its changes ("name: old -> new") the board holds, as read back.
inline constexpr Text SavePartlyOnBoard =
    "This save failed, but board %1!d! holds these of its changes: %2!s!. Not on the board: %3!s!.";
inline constexpr Text SaveUnplanned = "Board %1!d! also holds what this save did not ask for: %2!s!.";
inline constexpr Text SaveNotReadBack =
    "Board %1!d! could not be read back after this failed save, so it may or may not hold: %2!s!.";
inline constexpr Text ClockDiffers =
    "The board's clock could not be set back to the clock source of its stored Configuration Data, so "
    "the two may differ. The next save to this board selects the clock again.";
inline constexpr Text ClockDiffersNotNoted =
    "The board's clock could not be set back to the clock source of its stored Configuration Data, so "
    "the two may differ, and this could not be noted for the next save. Save a configuration with "
    "another clock source to the board, then this one.";
// A save whose board check failed where the check itself says nothing (our own texts).
inline constexpr Text SaveBoardNotListed =
    "Nothing was saved: the driver now reports %1!d! installed board(s), and board %2!d! is not among them.";
inline constexpr Text SaveCheckFailed = "Nothing was saved: board %1!d! did not pass the check before the save. "
                                        "Try again.";
// The audit trail: the system log did not take a record (shown once a run).
inline constexpr Text AuditLogFailed =
    "The record of this change to the board could not be added to the system log (%1!s!). Changes "
    "made to boards in this run may not be on record.";

// Main sheet and board pages.
inline constexpr Text SheetCaption = "Ruva-2 Properties";
inline constexpr Text GeneralPageCaption = "General";
inline constexpr Text BoardPageCaption = "Board %1!d!";
inline constexpr Text MinimizeMenuItem = "Min&imize";
inline constexpr Text AboutProductLine = "RuvasetW - QPX-2210, Rev. 1.24";
inline constexpr Text AboutProgramLine = "Configuration Program for the Ruva-2";
inline constexpr Text AboutBoardLine = "Dual T1/E1 ISA Adapter (KLB-2207-1-1.0)";
inline constexpr Text BoardPageHelp =
    "The board properties are loaded from the Ruva-2 board or from a Configuration File. Press the "
    "appropriate "
    "Load button, then press Edit Properties to view and edit the board properties. Store your edits with "
    "either Save button.";
inline constexpr Text BoardPageFileLabel = "File";   // beside the file icon, over the file transfers
inline constexpr Text BoardPageBoardLabel = "Board"; // beside the board icon, over the board transfers
inline constexpr Text NoProgramForHelpPage =
    "No program is set up to show web pages (.html files), so the help page cannot be opened. Open it "
    "with a web browser: %1";
inline constexpr Text NotImplementedYet = "Not implemented yet";
inline constexpr Text LpuNotSupported = "LPU OS not supported in this system. To get LPU Operating System "
                                        "support, please contact Vantrell Systems Inc.";

// Board properties sheet.
inline constexpr Text LiE1PageCaption = "Li%1!d! (E1 mode)";
inline constexpr Text LiT1PageCaption = "Li%1!d! (T1 mode)";
inline constexpr Text EnterInteger = "Please enter an integer.";
inline constexpr Text EnterIntegerUpTo255 = "Please enter an integer between 0 and 255.";
inline constexpr Text EnterIntegerUpTo65535 = "Please enter an integer between 0 and 65535.";

// Board information dialogs.
inline constexpr Text ResourcesTitle = "Board Communication Parameters";
// The one button of the information dialogs.
inline constexpr Text InfoDialogButton = "OK";
inline constexpr Text SharedResourcesIntro =
    "These parameters are shared by all installed Ruva-2 boards in this PC.";
inline constexpr Text BoardResourcesIntro =
    "These parameters are board-specific, and are not shared with other "
    "installed Ruva-2 boards in this PC.";
inline constexpr Text SerialNoTitle = "Serial Numbers and Revisions";
inline constexpr Text SerialNoIntro =
    "Revisions and serial numbers for various components on the Ruva-2 board.";
inline constexpr Text RevisionUnknown = "Unknown";

} // namespace ruva::texts
