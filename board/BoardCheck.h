#pragma once
// The board check: before the program trusts a board, the driver must know it, it must answer with the
// Ruva-2 GDS ID and its serial number scheme must be intact. The check repairs a blank serial number
// record from the copy kept in the stored image and notes stored data of another version, which the
// next save replaces.
//
// Every write that a check or a save makes goes through a BoardWriter, which keeps the list of writes
// in the order they were made and, in a dry run, sends none of them.

#include "BoardConfig.h"
#include "Driver.h"
#include "DriverRecords.h"
#include "Message.h"

#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

namespace ruva {

class AuditTrail;

// A clock selection request for a clock source code (one of the four SetClock requests).
struct ClockSelection {
    std::int16_t ClockSource = 0;
    friend bool operator==(const ClockSelection&, const ClockSelection&) = default;
};

// One write to a board: its serial record, its board information (HDLC start address), its clock
// selection, or its stored image.
using BoardWrite = std::variant<SerialRecord, BoardInfo, ClockSelection, ImageBytes>;

enum class WriteMode {
    Send,   // write to the board
    DryRun, // record each write in order, send none, and answer success for each
};

class BoardWriter {
public:
    explicit BoardWriter(Driver& driver, WriteMode mode = WriteMode::Send, AuditTrail* audit = nullptr)
        : driver_(driver), mode_(mode), audit_(audit) {}

    Driver& BoardDriver() const { return driver_; }
    bool IsDryRun() const { return mode_ == WriteMode::DryRun; }
    // Where the transfers record what they wrote; none in a dry run, or when nothing records it.
    AuditTrail* Audit() const { return IsDryRun() ? nullptr : audit_; }
    // The writes made so far (in a dry run: the writes that would have been made), in order, and the
    // result of each (in a dry run: 1).
    const std::vector<BoardWrite>& Writes() const { return writes_; }
    const std::vector<std::int32_t>& Results() const { return results_; }

    std::int32_t WriteSerialRecord(std::uint16_t board, const SerialRecord& record);
    std::int32_t WriteBoardInfo(std::uint16_t board, const BoardInfo& info);
    // Yields the clock request's result. A code outside the clock source set selects nothing, is not
    // recorded and yields 1.
    std::int32_t SetClockSource(std::uint16_t board, std::int16_t clockSource);
    std::int32_t WriteStoredConfig(std::uint16_t board, const ImageBytes& image);

private:
    Driver& driver_;
    WriteMode mode_;
    AuditTrail* audit_;
    std::vector<BoardWrite> writes_;
    std::vector<std::int32_t> results_;

    std::int32_t Sent(BoardWrite write, const std::function<std::int32_t()>& send);
};

struct BoardCheckResult {
    bool Passed = false;
    std::vector<Message> Messages;
};

// Checks board `board`. Fails without a message when the driver gives no parameters, the board index
// is not below NumberOfBoards or the board cannot be attached; otherwise yields the outcome of
// CheckStoredConfig. A failed check never changes the board's stored image.
// The first form holds the board while it runs (see BoardHold) and fails, saying so, when another
// process keeps it; `watcher` sees its messages as they come. A serial repair is recorded in `audit`:
// a record that it has begun before its first write, then its outcome. The second form runs within a
// transfer that holds the board; `stored`, when given, receives the stored image it read.
BoardCheckResult CheckBoard(Driver& driver, int board, BoardConfig& config, AuditTrail* audit = nullptr,
                            MessageWatcher watcher = {});
bool CheckBoard(BoardWriter& writer, MessageList& shown, int board, BoardConfig& config,
                ImageBytes* stored = nullptr);

// The second half of CheckBoard, for an attached board: reads the stored image, the GDS ID and the
// serial record, restores a blank record from a copy that is not blank (and re-applies the stored clock
// source), copies the board's serial number into config.Image and notes a serial copy or a version that
// differs. Every failure, a refused restore or clock re-apply included, has its message.
bool CheckStoredConfig(Driver& driver, MessageList& shown, std::uint16_t board, BoardConfig& config);
bool CheckStoredConfig(BoardWriter& writer, MessageList& shown, std::uint16_t board, BoardConfig& config,
                       ImageBytes* stored = nullptr);

} // namespace ruva
