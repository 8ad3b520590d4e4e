#pragma once
// The two transfers between the configuration in memory and a board: load from the board and save to
// the board (with the board check, a compare, the writes and a read-back). They return what happened
// with their messages, which the caller shows, so a board page or a command-line tool stays thin.

#include "AuditTrail.h"
#include "BoardCheck.h"
#include "BoardConfig.h"
#include "Driver.h"

#include <cstdint>
#include <vector>

namespace ruva {

class BoardHold;

// What a transfer works on: the driver, the page's board with the outcome of its first check, and the
// one configuration that the main sheet shares among all board pages.
struct TransferContext {
    Driver& BoardDriver;
    BoardConfig& Config; // the main sheet's configuration
    bool& ConfigLoaded;  // the main sheet's flag: a configuration has been loaded
    int BoardNumber = 0;
    bool BoardAvailable = false;
    // Where a save records what it wrote (none: not recorded), and where the configuration came from.
    AuditTrail* Audit = nullptr;
    ConfigSource Source{};
    // Sees the transfer's messages as they come (none: they are only returned).
    MessageWatcher AsTheyCome{};
};

enum class BoardLoadOutcome {
    Loaded,
    BoardUnavailable, // the board's check failed: nothing was done
    DriverError,      // with the driver's error; memory unchanged
    Busy,             // another process kept the board (with a message saying so): nothing was done
    LockUnusable,     // the board's lock file could not be used (with a message saying so): nothing was done
    NotStarted,       // the time limit fell before the board was taken: nothing was done
};

struct BoardLoadResult {
    BoardLoadOutcome Outcome = BoardLoadOutcome::BoardUnavailable;
    std::int32_t DriverResult = result::Success; // the failing result when Outcome is DriverError
    bool ClockUnsure = false; // the board is marked: its clock may differ from the ClockSource loaded
    std::vector<Message> Messages{};
};

// Reads the board's HDLC start address and stored image into the configuration as they are, and sets
// ConfigLoaded. No message on success; a failed read has its driver error and leaves memory unchanged.
// Both transfers hold the board while they run (see BoardHold); the caller shows their messages once
// they have let go of it. Their second forms run within a hold of the page's board that the caller
// took, so that several steps share it.
BoardLoadResult LoadFromBoard(const TransferContext& page);
BoardLoadResult LoadFromBoard(const TransferContext& page, BoardHold& hold);

enum class BoardSaveOutcome {
    Written,      // something was written and the image read back equal
    Unchanged,    // nothing differed; at most the check repaired the serial record
    WouldWrite,   // dry run: something differs and would be written
    VerifyFailed, // the image read back differs from what was written
    CheckFailed,  // the board check failed (with its own message or none)
    DriverError,  // a board information read or write or the clock selection failed (with its error)
    Busy,         // another process kept the board (with a message saying so): nothing was done
    LockUnusable, // the board's lock file could not be used (with a message saying so): nothing was done
    NotStarted,   // the time limit fell before the board was taken: nothing was done
};

// The outcome's name: "Written", "Unchanged", "WouldWrite", "VerifyFailed", "CheckFailed",
// "DriverError", "Busy", "LockUnusable", "NotStarted".
std::string_view SaveOutcomeName(BoardSaveOutcome outcome);

struct BoardSaveResult {
    BoardSaveOutcome Outcome = BoardSaveOutcome::CheckFailed;
    std::int32_t DriverResult = result::Success; // the failing result when Outcome is DriverError
    // The writes in the order they were made (in a dry run: would be made), the check's serial repair
    // included.
    std::vector<BoardWrite> Writes;
    std::vector<Message> Messages{};
    // The save's planned changes ("name: old → new", as its records give them) by where they are after
    // it, as read back: on the board, not on it, or unknown (the board could not be read back). After a
    // dry run, all would be on the board.
    std::vector<std::string> OnBoard{};
    std::vector<std::string> NotOnBoard{};
    std::vector<std::string> Unknown{};
    // The board holds something other than before (its HDLC start address, stored image or clock, or
    // the serial record the check repaired), or may: as far as it was read back (dry run: would).
    bool Changed = false;
    // What the board holds after the save, as read back (dry run: would hold); none when a part of it
    // is not known or the save did not get as far as reading it.
    std::optional<BoardConfig> After{};
    // The driver's error of a request whose failure no message names: the image's write or read-back,
    // whose results the read-back's compare decides.
    std::optional<AuditDriverError> UnreportedError{};
};

// Checks the board again, reads its board information, and plans the save from what the check and the
// reads found (see SavePlan.h); then, under the hold, writes the HDLC start address if it changed,
// brings config.Image in line (version 9), reads the image again (a read that differs makes the plan's
// image part anew), and where the image differs from the board's selects the new clock source if it
// changed (or the board's image could not be read), writes the image and verifies it by reading it
// back. Closes with one message. A refused clock selection has its error and ends the save before the
// image is written.
//
// The board's clock and the clock source of its stored image are kept in agreement: a save that
// selected the clock and then fails before the new image is stored (the selection itself refused or
// unanswered, the read-back different) selects the stored image's clock source again. Until the
// image is stored or that selection succeeded, the board is marked (see BoardHold); a save to a
// marked board selects the clock even when the images are equal, and when the clock cannot be set
// back the user is told that board and stored configuration may differ.
//
// Each save that writes appends a record to page.Audit that it has begun, with its planned changes,
// before its first write, and one of its outcome after its last: written, failed, or rolled back (what
// it changed was set back and the board read back as it was before), with each change marked as on
// the board or not, as read back after a failure, and the driver's error. The check's serial repair
// has records of its own. A record is appended before the messages of the failure it records; after a
// failure, a message says which changes the board holds all the same.
//
// A dry run goes through the same check and compare and the same messages, but sends no write, skips
// the read-back and the closing message, and leaves the configuration in memory untouched; its result
// lists what would be written.
BoardSaveResult SaveToBoard(const TransferContext& page, WriteMode mode = WriteMode::Send);
BoardSaveResult SaveToBoard(const TransferContext& page, BoardHold& hold, WriteMode mode);

} // namespace ruva
