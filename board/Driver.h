#pragma once
// The board driver layer: the one connection to the driver and its fifteen control requests, each
// turned into a result number and a record.
//
// Results: 1 success, 46 the device could not be opened (OpenDriver only), 51 the request failed or
// returned no bytes, 52 the device is not open (nothing was sent); any other number is the driver's
// own status word.
//
// A device that once did not answer is not waited for again within the same command: from then on every
// request fails at once with 51, nothing sent, until the next command begins (BeginCommand). A command
// with a device that stopped answering therefore ends within about one request's time limit.

#include "BoardConfig.h"
#include "ControlCodes.h"
#include "DeviceChannel.h"
#include "DriverRecords.h"
#include "Message.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ruva {

namespace result {
inline constexpr std::int32_t Success = 1;
inline constexpr std::int32_t OpenFailed = 46;
inline constexpr std::int32_t RequestFailed = 51;
inline constexpr std::int32_t NotOpen = 52;
} // namespace result

class Driver {
public:
    explicit Driver(DeviceChannel& channel, DeviceTraits traits = {})
        : channel_(channel), traits_(std::move(traits)) {}

    // True once OpenDriver has opened the device (the handle is then kept for the life of the object).
    bool IsOpen() const { return open_; }
    // The device the requests go to, and what it knows of its last failure.
    const DeviceChannel& Channel() const { return channel_; }
    // What is known of the boards behind it: whether they are simulated, where their files go.
    const DeviceTraits& Traits() const { return traits_; }
    // Simulated boards that were asked for but could not be opened: why (naming the state file);
    // empty otherwise.
    std::string SimulatedBoardsProblem() const {
        return !open_ && !traits_.SimulatorState.empty() ? channel_.Diagnosis() : std::string();
    }

    std::int32_t OpenDriver(std::uint32_t value);
    // A new command (a button, a page's check) begins: the device is asked again even if it did not
    // answer during the last one.
    void BeginCommand() { unanswered_ = false; }
    // The driver's text for an error number, as UTF-8; empty when the driver gives none.
    std::optional<std::string> GetErrorText(std::uint32_t errorNumber);
    std::int32_t AttachBoard(std::uint16_t board, std::uint16_t ioBaseAddress);
    // On a whole reply the image is copied whatever the status; otherwise `image` is left alone. A reply
    // shorter than the status word and the record gives 51 (or the error status it carries).
    std::int32_t ReadStoredConfig(std::uint16_t board, ImageBytes& image);
    std::int32_t WriteStoredConfig(std::uint16_t board, const ImageBytes& image);
    // Fills the record from the reply: entries at and above NumberOfBoards read as 0. Left alone on failure,
    // a short reply included.
    std::int32_t GetDriverParameters(DriverParameters& parameters);
    // Copies and yields as ReadStoredConfig does.
    std::int32_t ReadBoardInfo(std::uint16_t board, BoardInfo& info);
    std::int32_t WriteBoardInfo(std::uint16_t board, const BoardInfo& info);
    std::int32_t WriteSerialRecord(std::uint16_t board, const SerialRecord& record);
    // The board's GDS ID; 52 when the device is not open, 0 when the request failed.
    std::uint8_t ReadGdsId(std::uint16_t board);
    // The same with the request's result: 1 with the ID in `id`; 51 when the request failed or its reply
    // ended before the ID, 52 when the device is not open, and `id` is then left alone.
    std::int32_t ReadGdsId(std::uint16_t board, std::uint8_t& id);
    // Copies and yields as ReadStoredConfig does.
    std::int32_t ReadSerialRecord(std::uint16_t board, SerialRecord& record);
    std::int32_t SetClockInternal(std::uint16_t board);
    std::int32_t SetClockLi0(std::uint16_t board);
    std::int32_t SetClockLi1(std::uint16_t board);
    std::int32_t SetClockExternal2M(std::uint16_t board);

    // Selects the board clock for a clock source code with one clock request and yields its result;
    // codes outside 0-6 send nothing and yield 1.
    std::int32_t SelectClockSource(std::uint16_t board, std::int16_t clockSource);
    // The same for callers that do not examine the result.
    void SetClockSource(std::uint16_t board, std::int16_t clockSource);

private:
    // Sends one request with a zero-filled reply buffer. 1 when bytes came back (their count in
    // `count`), 51 when the request failed or returned nothing (or, after a request of this command got
    // no answer, at once without sending it), 52 when the device is not open.
    std::int32_t Send(Request request, std::span<const std::uint8_t> input, std::span<std::uint8_t> reply,
                      std::size_t* count = nullptr);
    // A request whose reply is a 4-byte status word; a shorter reply is a failed request.
    std::int32_t SendForStatus(Request request, std::span<const std::uint8_t> input);
    std::int32_t BoardRequest(Request request, std::uint16_t board);

    DeviceChannel& channel_;
    DeviceTraits traits_;
    bool open_ = false;
    bool unanswered_ = false; // a request of this command got no answer
};

// The clock request that selects a clock source code; none for a code outside 0-6.
std::optional<Request> ClockRequestFor(std::int16_t clockSource);

// Adds "Error #n: text" with the driver's text for the number, or the fixed text when the driver has
// none, with the stop icon; then, as a note, what the channel knows beyond the number (its Diagnosis).
// For simulated boards that could not be opened, their problem is the text, and no note follows.
void ReportDriverError(Driver& driver, MessageList& shown, std::int32_t errorNumber);
// Its two halves: the text for the number (asked of the driver), and adding the messages.
std::string DriverErrorText(Driver& driver, std::int32_t errorNumber);
void ReportDriverError(const Driver& driver, MessageList& shown, std::int32_t errorNumber,
                       std::string_view text);

// The driver parameters; none after their driver error was added to `shown`.
std::optional<DriverParameters> ReadDriverParameters(Driver& driver, MessageList& shown);

} // namespace ruva
