#include "Driver.h"

#include "Bytes.h"
#include "MessageFormat.h"
#include "Texts.h"
#include "ValueSets.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ruva {

using namespace bytes;

namespace {

template <std::size_t N>
using Block = std::array<std::uint8_t, N>;

Block<2> BoardBlock(std::uint16_t board) {
    Block<2> b{};
    PutU16(b, 0, board);
    return b;
}

// The result of a reply that came back shorter than its status word and record: the record is not
// taken. A status word that reports an error stands; a success without its whole record is a failed
// request.
std::int32_t ShortReplyResult(std::span<const std::uint8_t> reply, std::size_t count) {
    const std::int32_t status = count >= 4 ? static_cast<std::int32_t>(GetU32(reply, 0)) : result::Success;
    return status == result::Success ? result::RequestFailed : status;
}

} // namespace

std::int32_t Driver::Send(Request request, std::span<const std::uint8_t> input, std::span<std::uint8_t> reply,
                          std::size_t* count) {
    std::fill(reply.begin(), reply.end(), std::uint8_t{0});
    if (!open_)
        return result::NotOpen;
    if (unanswered_)
        return result::RequestFailed;
    std::optional<std::size_t> returned = channel_.Control(static_cast<std::uint32_t>(request), input, reply);
    if (!returned)
        unanswered_ = channel_.Unanswered();
    if (!returned || *returned == 0)
        return result::RequestFailed;
    if (count != nullptr)
        *count = std::min(*returned, reply.size());
    return result::Success;
}

std::int32_t Driver::SendForStatus(Request request, std::span<const std::uint8_t> input) {
    Block<4> reply;
    std::size_t count = 0;
    std::int32_t r = Send(request, input, reply, &count);
    if (r != result::Success)
        return r;
    if (count < reply.size())
        return result::RequestFailed; // not even a whole status word
    return static_cast<std::int32_t>(GetU32(reply, 0));
}

std::int32_t Driver::BoardRequest(Request request, std::uint16_t board) {
    return SendForStatus(request, BoardBlock(board));
}

std::int32_t Driver::OpenDriver(std::uint32_t value) {
    unanswered_ = false;
    open_ = channel_.Open(DriverDevicePath);
    if (!open_)
        return result::OpenFailed;
    Block<4> input{};
    PutU32(input, 0, value);
    return SendForStatus(Request::OpenDriver, input);
}

std::optional<std::string> Driver::GetErrorText(std::uint32_t errorNumber) {
    Block<4> input{};
    PutU32(input, 0, errorNumber);
    Block<520> reply;
    if (Send(Request::GetErrorText, input, reply) != result::Success)
        return std::nullopt;
    // At most 516 bytes are taken from the reply, and the text always ends inside them.
    Block<516> text;
    std::copy(reply.begin() + 4, reply.end(), text.begin());
    text.back() = 0;
    return traits_.Text(std::string(reinterpret_cast<const char*>(text.data())));
}

std::int32_t Driver::AttachBoard(std::uint16_t board, std::uint16_t ioBaseAddress) {
    Block<4> input{};
    PutU16(input, 0, board);
    PutU16(input, 2, ioBaseAddress);
    return SendForStatus(Request::AttachBoard, input);
}

std::int32_t Driver::ReadStoredConfig(std::uint16_t board, ImageBytes& image) {
    Block<138> reply;
    std::size_t count = 0;
    std::int32_t r = Send(Request::ReadStoredConfig, BoardBlock(board), reply, &count);
    if (r != result::Success)
        return r;
    if (count < reply.size())
        return ShortReplyResult(reply, count);
    std::copy(reply.begin() + 4, reply.end(), image.begin());
    return static_cast<std::int32_t>(GetU32(reply, 0));
}

std::int32_t Driver::WriteStoredConfig(std::uint16_t board, const ImageBytes& image) {
    Block<136> input{};
    PutU16(input, 0, board);
    std::copy(image.begin(), image.end(), input.begin() + 2);
    return SendForStatus(Request::WriteStoredConfig, input);
}

std::int32_t Driver::GetDriverParameters(DriverParameters& parameters) {
    Block<78> reply;
    std::size_t count = 0;
    std::int32_t r = Send(Request::GetDriverParameters, {}, reply, &count);
    if (r != result::Success)
        return r;
    if (count < reply.size())
        return result::RequestFailed; // the status word is not used: a short reply is a failed request
    const DriverParameters received = DriverParameters::fromBytes(
        std::span<const std::uint8_t>(reply).subspan<4, DriverParameters::Size>());
    // Only the entries of installed boards are taken; the rest read as 0. The record holds four
    // entries, so a larger count copies four.
    parameters = DriverParameters{};
    parameters.Irq = received.Irq;
    parameters.IoBaseAddress = received.IoBaseAddress;
    parameters.NumberOfBoards = received.NumberOfBoards;
    parameters.InfoBufferSize = received.InfoBufferSize;
    const int entries = std::clamp<int>(received.NumberOfBoards, 0, DriverParameters::MaxBoards);
    for (std::size_t i = 0; i < static_cast<std::size_t>(entries); ++i) {
        parameters.HostMemoryWindowOffset[i] = received.HostMemoryWindowOffset[i];
        parameters.HostMemoryWindowSize[i] = received.HostMemoryWindowSize[i];
        parameters.HostIoWindowOffset[i] = received.HostIoWindowOffset[i];
        parameters.HostIoWindowSize[i] = received.HostIoWindowSize[i];
        parameters.DramSize[i] = received.DramSize[i];
    }
    return result::Success;
}

std::int32_t Driver::ReadBoardInfo(std::uint16_t board, BoardInfo& info) {
    Block<48> reply;
    std::size_t count = 0;
    std::int32_t r = Send(Request::ReadBoardInfo, BoardBlock(board), reply, &count);
    if (r != result::Success)
        return r;
    if (count < reply.size())
        return ShortReplyResult(reply, count);
    info = BoardInfo::fromBytes(std::span<const std::uint8_t>(reply).subspan<4, BoardInfo::Size>());
    return static_cast<std::int32_t>(GetU32(reply, 0));
}

std::int32_t Driver::WriteBoardInfo(std::uint16_t board, const BoardInfo& info) {
    Block<50> input{};
    PutU32(input, 0, WriteAccessCode);
    PutU16(input, 4, board);
    const auto record = info.toBytes();
    std::copy(record.begin(), record.end(), input.begin() + 6);
    return SendForStatus(Request::WriteBoardInfo, input);
}

std::int32_t Driver::WriteSerialRecord(std::uint16_t board, const SerialRecord& record) {
    Block<10> input{};
    PutU32(input, 0, WriteAccessCode);
    PutU16(input, 4, board);
    const auto bytes = record.toBytes();
    std::copy(bytes.begin(), bytes.end(), input.begin() + 6);
    return SendForStatus(Request::WriteSerialRecord, input);
}

std::uint8_t Driver::ReadGdsId(std::uint16_t board) {
    // A failed request yields 0, never a value that could pass for a board's ID.
    std::uint8_t id = 0;
    if (ReadGdsId(board, id) == result::NotOpen)
        return static_cast<std::uint8_t>(result::NotOpen);
    return id;
}

std::int32_t Driver::ReadGdsId(std::uint16_t board, std::uint8_t& id) {
    Block<6> reply;
    std::size_t count = 0;
    std::int32_t r = Send(Request::ReadGdsId, BoardBlock(board), reply, &count);
    if (r != result::Success)
        return r;
    if (count < 5)
        return result::RequestFailed;
    id = reply[4];
    return result::Success;
}

std::int32_t Driver::ReadSerialRecord(std::uint16_t board, SerialRecord& record) {
    Block<8> reply;
    std::size_t count = 0;
    std::int32_t r = Send(Request::ReadSerialRecord, BoardBlock(board), reply, &count);
    if (r != result::Success)
        return r;
    if (count < reply.size())
        return ShortReplyResult(reply, count);
    record = SerialRecord::fromBytes(std::span<const std::uint8_t>(reply).subspan<4, SerialRecord::Size>());
    return static_cast<std::int32_t>(GetU32(reply, 0));
}

std::int32_t Driver::SetClockInternal(std::uint16_t board) {
    return BoardRequest(Request::SetClockInternal, board);
}
std::int32_t Driver::SetClockLi0(std::uint16_t board) {
    return BoardRequest(Request::SetClockLi0, board);
}
std::int32_t Driver::SetClockLi1(std::uint16_t board) {
    return BoardRequest(Request::SetClockLi1, board);
}
std::int32_t Driver::SetClockExternal2M(std::uint16_t board) {
    return BoardRequest(Request::SetClockExternal2M, board);
}

std::optional<Request> ClockRequestFor(std::int16_t clockSource) {
    switch (clockSource) {
    case code::ClockSource::INTERNAL:
    case code::ClockSource::MVIP_MASTER_CLK:
    case code::ClockSource::MVIP_SEC_CLK:
    case code::ClockSource::EXTERNAL_8K:
        return Request::SetClockInternal;
    case code::ClockSource::LI0:
        return Request::SetClockLi0;
    case code::ClockSource::LI1:
        return Request::SetClockLi1;
    case code::ClockSource::EXTERNAL_2M:
        return Request::SetClockExternal2M;
    default:
        return std::nullopt;
    }
}

std::int32_t Driver::SelectClockSource(std::uint16_t board, std::int16_t clockSource) {
    const std::optional<Request> request = ClockRequestFor(clockSource);
    // No clock request for a code outside the set: nothing to refuse.
    return request ? BoardRequest(*request, board) : result::Success;
}

void Driver::SetClockSource(std::uint16_t board, std::int16_t clockSource) {
    SelectClockSource(board, clockSource);
}

std::string DriverErrorText(Driver& driver, std::int32_t errorNumber) {
    if (std::optional<std::string> text = driver.GetErrorText(static_cast<std::uint32_t>(errorNumber)))
        return *text;
    // Simulated boards that could not be opened are no missing driver: their reason takes that text's
    // place, and is all there is to tell.
    const std::string unusable = driver.SimulatedBoardsProblem();
    return unusable.empty() ? std::string(texts::DriverNotInstalled) : unusable;
}

void ReportDriverError(const Driver& driver, MessageList& shown, std::int32_t errorNumber,
                       std::string_view text) {
    shown.Add({"driver_error", MessageIcon::Stop, FormatText(texts::DriverError, {errorNumber, text}),
               errorNumber});
    if (const std::string diagnosis = driver.Channel().Diagnosis();
        !diagnosis.empty() && driver.SimulatedBoardsProblem().empty())
        shown.Add("device_diagnosis", MessageIcon::Information, diagnosis);
}

void ReportDriverError(Driver& driver, MessageList& shown, std::int32_t errorNumber) {
    ReportDriverError(driver, shown, errorNumber, DriverErrorText(driver, errorNumber));
}

std::optional<DriverParameters> ReadDriverParameters(Driver& driver, MessageList& shown) {
    DriverParameters parameters;
    if (const std::int32_t r = driver.GetDriverParameters(parameters); r != result::Success) {
        ReportDriverError(driver, shown, r);
        return std::nullopt;
    }
    return parameters;
}

} // namespace ruva
