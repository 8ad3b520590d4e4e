#include "Simulator.h"

#include "Bytes.h"
#include "DeviceFrame.h"
#include "MessageFormat.h"
#include "ValueSets.h"

#include <algorithm>

namespace ruva::sim {

using namespace bytes;

namespace {

// A reply of the request's full size with `status` in bytes 0-3 and zeros behind it.
Answer StatusAnswer(const RequestLayout& layout, std::uint32_t status) {
    Answer answer{true, std::vector<std::uint8_t>(layout.ReplySize, 0)};
    PutU32(answer.Data, 0, status);
    return answer;
}

// A status followed by a record, as the read requests answer.
template <std::size_t N>
Answer RecordAnswer(const RequestLayout& layout, const std::array<std::uint8_t, N>& record) {
    Answer answer = StatusAnswer(layout, status::Success);
    std::copy(record.begin(), record.end(), answer.Data.begin() + 4);
    return answer;
}

// Where the board number sits in a request's input: behind the access code in the identity writes.
std::size_t BoardOffset(Request request) {
    return request == Request::WriteBoardInfo || request == Request::WriteSerialRecord ? 4 : 0;
}

std::string Describe(const Answer& answer, std::size_t replySize) {
    if (!answer.Ok)
        return "failed";
    if (answer.Data.empty())
        return "empty reply";
    if (answer.Data.size() < 4)
        return FormatText("short reply of %1!u! bytes", {answer.Data.size()});
    std::string text = FormatText("status %1!u!", {GetU32(answer.Data, 0)});
    if (answer.Data.size() < replySize)
        text += FormatText(", short reply of %1!u! bytes", {answer.Data.size()});
    return text;
}

const char* DecodeProblem(frame::DecodeStatus status) {
    switch (status) {
    case frame::DecodeStatus::BadMagic:
        return "not a request frame (wrong magic)";
    case frame::DecodeStatus::TooLong:
        return "a length above the limit of 4096 bytes";
    default:
        return "a field with a value the protocol does not allow";
    }
}

} // namespace

Simulator::Simulator(SimState state, Persist persist)
    : state_(std::move(state)), persist_(std::move(persist)) {}

Outcome Simulator::Handle(std::uint32_t code, std::span<const std::uint8_t> input, std::uint32_t capacity) {
    Outcome outcome;
    const RequestLayout* layout = FindRequest(code);
    if (layout == nullptr) {
        outcome.Reply.Ok = false;
        outcome.Summary = FormatText("request 0x%1!X!: failed (unknown request)", {code});
        return outcome;
    }
    if (capacity < layout->ReplySize) {
        outcome.Reply.Ok = false;
        outcome.Summary = FormatText("%1!s!: failed (reply capacity %2!u! below %3!u! bytes)",
                                     {layout->Name, capacity, layout->ReplySize});
        return outcome;
    }

    const SimState before = state_;
    std::string board;
    std::string note;
    outcome.Reply = Dispatch(*layout, input, board, note);
    if (state_ != before && persist_) {
        outcome.PersistError = persist_(state_);
        if (!outcome.PersistError.empty()) {
            // What the board could not keep it does not claim to have done.
            state_ = before;
            if (ChangesBoard(layout->Code) && outcome.Reply.Ok && outcome.Reply.Data.size() >= 4 &&
                GetU32(outcome.Reply.Data, 0) == status::Success) {
                outcome.Reply = StatusAnswer(*layout, status::StoreFailed);
                note = "state not stored";
            }
        }
    }
    outcome.Summary = std::string(layout->Name) + (board.empty() ? "" : " board " + board) + ": " +
                      Describe(outcome.Reply, layout->ReplySize) + (note.empty() ? "" : " (" + note + ")");
    return outcome;
}

std::string Simulator::Restore(const SimState& earlier) {
    state_ = earlier;
    return persist_ ? persist_(state_) : std::string();
}

Answer Simulator::Dispatch(const RequestLayout& layout, std::span<const std::uint8_t> input,
                           std::string& boardText, std::string& note) {
    if (input.size() != layout.InputSize) {
        note = FormatText("wrong input length %1!u!, takes %2!u!", {input.size(), layout.InputSize});
        return StatusAnswer(layout, status::WrongInputLength);
    }
    if (BoardOffset(layout.Code) != 0 && GetU32(input, 0) != WriteAccessCode) {
        note = "wrong access code";
        return StatusAnswer(layout, status::WrongAccessCode);
    }
    SimBoard* board = nullptr;
    if (IsBoardRequest(layout.Code)) {
        const std::uint16_t index = GetU16(input, BoardOffset(layout.Code));
        boardText = std::to_string(index);
        board = state_.Board(index);
        if (board == nullptr) {
            note = "no such board";
            return StatusAnswer(layout, status::NoSuchBoard);
        }
    }

    FaultMap& faults = board != nullptr ? board->Faults : state_.Faults;
    auto found = faults.find(layout.Code);
    if (found == faults.end())
        return Serve(layout, board, input, false);

    if (std::optional<std::uint32_t>& after = found->second.After; after) {
        // This request passes unharmed; the fault applies once the last one to pass has passed.
        if (--*after == 0)
            after.reset();
        return Serve(layout, board, input, false);
    }
    const Fault fault = found->second;
    if (fault.Count && --*found->second.Count == 0)
        faults.erase(found);
    note = "fault";
    if (fault.Fail)
        return Answer{false, {}};
    if (fault.Empty)
        return Answer{true, {}};
    if (fault.Status) {
        Answer answer =
            ChangesBoard(layout.Code) ? StatusAnswer(layout, 0) : Serve(layout, board, input, false);
        if (answer.Data.size() >= 4)
            PutU32(answer.Data, 0, *fault.Status);
        return answer;
    }
    if (fault.Short) {
        Answer answer = Serve(layout, board, input, false);
        if (answer.Data.size() > *fault.Short)
            answer.Data.resize(*fault.Short);
        return answer;
    }
    return Serve(layout, board, input, fault.ReadBackDiffers);
}

Answer Simulator::Serve(const RequestLayout& layout, SimBoard* board, std::span<const std::uint8_t> input,
                        bool readBackDiffers) {
    switch (layout.Code) {
    case Request::OpenDriver:
        return StatusAnswer(layout, status::Success);
    case Request::GetErrorText:
        return ErrorText(GetU32(input, 0));
    case Request::GetDriverParameters: {
        DriverParameters p;
        p.Irq = state_.Irq;
        p.IoBaseAddress = state_.IoBaseAddress;
        p.NumberOfBoards = state_.NumberOfBoards;
        p.InfoBufferSize = state_.InfoBufferSize;
        for (std::size_t i = 0; i < state_.Boards.size(); ++i) {
            const SimBoard& b = state_.Boards[i];
            p.HostMemoryWindowOffset[i] = b.HostMemoryWindowOffset;
            p.HostMemoryWindowSize[i] = b.HostMemoryWindowSize;
            p.HostIoWindowOffset[i] = b.HostIoWindowOffset;
            p.HostIoWindowSize[i] = b.HostIoWindowSize;
            p.DramSize[i] = b.DramSize;
        }
        return RecordAnswer(layout, p.toBytes());
    }
    case Request::AttachBoard:
        if (GetU16(input, 2) != static_cast<std::uint16_t>(state_.IoBaseAddress))
            return StatusAnswer(layout, status::WrongIoBaseAddress);
        return StatusAnswer(layout, status::Success);
    case Request::ReadStoredConfig:
        return RecordAnswer(layout, board->Image.toBytes());
    case Request::WriteStoredConfig: {
        ImageBytes image;
        std::copy(input.begin() + 2, input.end(), image.begin());
        if (readBackDiffers)
            image.back() ^= 0xFF;
        board->Image = StoredConfig::fromBytes(image);
        return StatusAnswer(layout, status::Success);
    }
    case Request::ReadBoardInfo:
        return RecordAnswer(layout, board->Info.toBytes());
    case Request::WriteBoardInfo:
        board->Info = BoardInfo::fromBytes(input.subspan<6, BoardInfo::Size>());
        return StatusAnswer(layout, status::Success);
    case Request::ReadSerialRecord:
        return RecordAnswer(layout, board->Serial.toBytes());
    case Request::WriteSerialRecord:
        board->Serial = SerialRecord::fromBytes(input.subspan<6, SerialRecord::Size>());
        return StatusAnswer(layout, status::Success);
    case Request::ReadGdsId:
        return RecordAnswer(layout, std::array<std::uint8_t, 2>{board->GdsId, 0});
    case Request::SetClockInternal:
        board->Clock = code::ClockSource::INTERNAL;
        return StatusAnswer(layout, status::Success);
    case Request::SetClockLi0:
        board->Clock = code::ClockSource::LI0;
        return StatusAnswer(layout, status::Success);
    case Request::SetClockLi1:
        board->Clock = code::ClockSource::LI1;
        return StatusAnswer(layout, status::Success);
    case Request::SetClockExternal2M:
        board->Clock = code::ClockSource::EXTERNAL_2M;
        return StatusAnswer(layout, status::Success);
    default:
        return Answer{false, {}};
    }
}

Answer Simulator::ErrorText(std::uint32_t number) const {
    std::optional<std::string> text;
    if (auto own = state_.ErrorTexts.find(number); own != state_.ErrorTexts.end())
        text = own->second;
    else if (auto builtin = BuiltinErrorTexts().find(number); builtin != BuiltinErrorTexts().end())
        text = builtin->second;
    if (!text)
        return Answer{true, {}}; // no text for this number: no bytes
    const RequestLayout& layout = LayoutOf(Request::GetErrorText);
    Answer answer = StatusAnswer(layout, status::Success);
    // Bytes 4 on hold the text and its terminating NUL.
    const std::size_t length = std::min(text->size(), layout.ReplySize - 5);
    std::copy_n(text->begin(), length, answer.Data.begin() + 4);
    return answer;
}

bool ServeFrames(Simulator& simulator, std::vector<std::uint8_t>& input, std::vector<std::uint8_t>& output,
                 std::string& reason, const OutcomeObserver& observe, std::size_t outputLimit) {
    std::size_t offset = 0;
    bool sound = true;
    while (offset < input.size() && output.size() < outputLimit) {
        frame::Request request;
        std::size_t consumed = 0;
        const frame::DecodeStatus status =
            frame::DecodeRequest(std::span<const std::uint8_t>(input).subspan(offset), request, consumed);
        if (status == frame::DecodeStatus::NeedMore)
            break;
        if (status != frame::DecodeStatus::Complete) {
            reason = DecodeProblem(status);
            sound = false;
            break;
        }
        const Outcome outcome = simulator.Handle(request.Code, request.Input, request.OutputCapacity);
        if (observe)
            observe(outcome);
        const std::vector<std::uint8_t> reply = frame::EncodeReply(outcome.Reply.Ok, outcome.Reply.Data);
        output.insert(output.end(), reply.begin(), reply.end());
        offset += consumed;
    }
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(offset));
    return sound;
}

} // namespace ruva::sim
