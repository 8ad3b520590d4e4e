#pragma once
// In-memory Ruva-2 boards behind one driver, answering the driver's requests as a ScriptedChannel
// handler, and a Prompts that records each message among the requests, so that a test reads as a
// scenario: boards set up, an action, then the requests and messages in the order they happened.

#include "BoardConfig.h"
#include "ControlCodes.h"
#include "DriverRecords.h"
#include "RecordingPrompts.h"
#include "ScriptedChannel.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace ruva::test {

struct FakeBoard {
    std::uint8_t GdsId = RuvaGdsId;
    SerialRecord Serial;
    StoredConfig Image;
    BoardInfo Info;
    bool CorruptImageWrites = false;        // store written images with one byte changed
    std::optional<Request> ClockSelected{}; // the last clock request the board received
};

// An intact board: version 9 image with the default E1 and T1 blocks, clock INTERNAL, Li0 in E1 and
// Li1 in T1 mode, its serial copy equal to the record.
FakeBoard IntactBoard(std::uint16_t serialNumber, std::uint32_t hdlcStartAddress);

// A status the fake driver answers for a request that names no installed board or a wrong access code.
inline constexpr std::uint32_t FakeRefusedStatus = 0x2007;

class FakeBoards {
public:
    DriverParameters Parameters; // as GetDriverParameters reports them
    std::vector<FakeBoard> Boards;

    // The simulator's two fresh boards (serials 0x1234 and 0x2345, HDLC 0x8000 and 0x9000), I/O base 0x300.
    FakeBoards();

    // Answers the requests of `channel` from now on.
    void Serve(ScriptedChannel& channel);

    // Answers the request with this code after `skip` more such requests with `reply` instead of the
    // board's own answer, once.
    void Fault(Request code, CannedReply reply, int skip = 0);

    CannedReply Answer(const RecordedRequest& request);

private:
    struct PendingFault {
        Request Code;
        int Skip;
        CannedReply Reply;
    };
    std::deque<PendingFault> faults_;
};

// Messages recorded with their place among the channel's requests.
class TimelinePrompts : public RecordingPrompts {
public:
    explicit TimelinePrompts(ScriptedChannel& channel) : channel_(channel) {}

    void ShowMessage(std::string_view text, MessageIcon icon) override;

    // Requests by name and messages as "stop: text", "warning: text", "info: text", in order.
    std::vector<std::string> Timeline() const;
    // Forgets what happened so far (requests and messages), to look at the next action alone.
    void Clear();

private:
    ScriptedChannel& channel_;
    std::vector<std::size_t> shownAfter_; // per message: requests sent before it
};

} // namespace ruva::test
