#include "Simulator.h"

#include "Bytes.h"
#include "DeviceFrame.h"
#include "ValueSets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ruva::sim {
namespace {

using namespace bytes;
using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

std::uint32_t Code(Request request) {
    return static_cast<std::uint32_t>(request);
}

// An input block the request accepts for board 0 of a fresh state.
Bytes SoundInput(const RequestLayout& layout) {
    Bytes input(layout.InputSize, 0);
    if (layout.Code == Request::WriteBoardInfo || layout.Code == Request::WriteSerialRecord)
        PutU32(input, 0, WriteAccessCode);
    if (layout.Code == Request::AttachBoard)
        PutU16(input, 2, 0x300);
    if (layout.Code == Request::GetErrorText)
        PutU32(input, 0, 51);
    return input;
}

std::uint32_t StatusOf(const Outcome& outcome) {
    return outcome.Reply.Data.size() >= 4 ? GetU32(outcome.Reply.Data, 0) : 0;
}

TEST(SimulatorTest, EveryRequestAnswersItsFullReplyAndRefusesAWrongInputLength) {
    Simulator simulator(FreshState());
    for (const RequestLayout& layout : RequestLayouts) {
        const Outcome sound = simulator.Handle(Code(layout.Code), SoundInput(layout), 4096);
        EXPECT_TRUE(sound.Reply.Ok) << layout.Name;
        EXPECT_EQ(sound.Reply.Data.size(), layout.ReplySize) << layout.Name;
        EXPECT_EQ(StatusOf(sound), status::Success) << layout.Name;
    }
    const SimState before = simulator.State();
    for (const RequestLayout& layout : RequestLayouts) {
        for (std::size_t length : {layout.InputSize + 1, layout.InputSize - 1}) {
            if (length > layout.InputSize + 1)
                continue; // no shorter input for a request that takes none
            Bytes input = SoundInput(layout);
            input.resize(length, 0);
            const Outcome outcome =
                simulator.Handle(Code(layout.Code), input, static_cast<std::uint32_t>(layout.ReplySize));
            EXPECT_EQ(outcome.Reply.Data.size(), layout.ReplySize) << layout.Name << " length " << length;
            EXPECT_EQ(StatusOf(outcome), status::WrongInputLength) << layout.Name << " length " << length;
            EXPECT_THAT(outcome.Summary, HasSubstr("wrong input length"));
        }
    }
    EXPECT_EQ(simulator.State(), before);
}

TEST(SimulatorTest, UnknownRequestsAndTooSmallReplyBlocksFail) {
    Simulator simulator(FreshState());
    const Outcome unknown = simulator.Handle(0x8821, Bytes(4, 0), 4);
    EXPECT_FALSE(unknown.Reply.Ok);
    EXPECT_EQ(unknown.Summary, "request 0x8821: failed (unknown request)");
    EXPECT_FALSE(simulator.Handle(Code(Request::ReadStoredConfig), Bytes(2, 0), 137).Reply.Ok);
}

TEST(SimulatorTest, AChangeThatCannotBeStoredIsUndoneAndReported) {
    std::string storeError = "No space left on device";
    int stores = 0;
    Simulator simulator(FreshState(), [&](const SimState&) {
        ++stores;
        return storeError;
    });
    Bytes input = SoundInput(LayoutOf(Request::WriteSerialRecord));
    PutU16(input, 8, 0x4321);
    const Outcome refused = simulator.Handle(Code(Request::WriteSerialRecord), input, 4);
    EXPECT_EQ(StatusOf(refused), status::StoreFailed);
    EXPECT_EQ(refused.PersistError, storeError);
    EXPECT_EQ(simulator.State(), FreshState());

    storeError.clear();
    EXPECT_EQ(StatusOf(simulator.Handle(Code(Request::WriteSerialRecord), input, 4)), status::Success);
    EXPECT_EQ(simulator.State().Boards[0].Serial.SerialNumber, 0x4321);
    // Reads change nothing and store nothing.
    simulator.Handle(Code(Request::ReadSerialRecord), Bytes(2, 0), 8);
    EXPECT_EQ(stores, 2);
}

TEST(SimulatorTest, ACountedFaultWearsOffAndIsStoredEachTime) {
    SimState state = FreshState();
    state.Boards[1].Faults[Request::ReadGdsId] = Fault{.Fail = true, .Count = 2};
    std::vector<SimState> stored;
    Simulator simulator(state, [&](const SimState& s) {
        stored.push_back(s);
        return std::string();
    });
    const Bytes board1{1, 0};
    EXPECT_FALSE(simulator.Handle(Code(Request::ReadGdsId), board1, 6).Reply.Ok);
    EXPECT_TRUE(simulator.Handle(Code(Request::ReadGdsId), Bytes{0, 0}, 6).Reply.Ok); // board 0 has no fault
    EXPECT_FALSE(simulator.Handle(Code(Request::ReadGdsId), board1, 6).Reply.Ok);
    const Outcome healed = simulator.Handle(Code(Request::ReadGdsId), board1, 6);
    EXPECT_TRUE(healed.Reply.Ok);
    EXPECT_EQ(healed.Reply.Data[4], RuvaGdsId);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(*stored[0].Boards[1].Faults[Request::ReadGdsId].Count, 1u);
    EXPECT_TRUE(stored[1].Boards[1].Faults.empty());
}

TEST(SimulatorTest, AFaultAfterRequestsThatPassAndAShortReply) {
    // The second serial record read answers a status word alone, once; the countdown is stored.
    SimState state = FreshState();
    state.Boards[0].Faults[Request::ReadSerialRecord] = Fault{.Short = 4, .After = 1, .Count = 1};
    state.Boards[0].Faults[Request::SetClockLi1] = Fault{.Short = 2};
    std::vector<SimState> stored;
    Simulator simulator(state, [&](const SimState& s) {
        stored.push_back(s);
        return std::string();
    });
    const Bytes board0{0, 0};
    const Outcome first = simulator.Handle(Code(Request::ReadSerialRecord), board0, 8);
    EXPECT_EQ(first.Reply.Data.size(), 8u);
    EXPECT_EQ(first.Summary, "ReadSerialRecord board 0: status 1");
    const Outcome cut = simulator.Handle(Code(Request::ReadSerialRecord), board0, 8);
    EXPECT_EQ(cut.Reply.Data, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(cut.Summary, "ReadSerialRecord board 0: status 1, short reply of 4 bytes (fault)");
    EXPECT_EQ(simulator.Handle(Code(Request::ReadSerialRecord), board0, 8).Reply.Data.size(), 8u);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_FALSE(stored[0].Boards[0].Faults.at(Request::ReadSerialRecord).After);
    EXPECT_TRUE(stored[1].Boards[0].Faults.count(Request::ReadSerialRecord) == 0);

    // A request with a short reply is carried out all the same.
    const Outcome clock = simulator.Handle(Code(Request::SetClockLi1), board0, 4);
    EXPECT_EQ(clock.Reply.Data, (Bytes{1, 0}));
    EXPECT_EQ(clock.Summary, "SetClockLi1 board 0: short reply of 2 bytes (fault)");
    EXPECT_EQ(simulator.State().Boards[0].Clock, code::ClockSource::LI1);
}

TEST(SimulatorTest, ServeFramesAnswersWholeFramesKeepsAPartOneAndStopsAtAMalformedOne) {
    Simulator simulator(FreshState());
    const Bytes gds = frame::EncodeRequest(Code(Request::ReadGdsId), Bytes{0, 0}, 6);
    Bytes input = gds;
    input.insert(input.end(), gds.begin(), gds.end());
    input.insert(input.end(), gds.begin(), gds.begin() + 10);
    Bytes output;
    std::string reason;
    EXPECT_TRUE(ServeFrames(simulator, input, output, reason));
    EXPECT_EQ(output.size(), 2 * (frame::ReplyHeaderSize + 6));
    EXPECT_EQ(input, Bytes(gds.begin(), gds.begin() + 10));

    Bytes garbage = gds;
    garbage.insert(garbage.end(), {'R', 'U', 'V', '3'});
    output.clear();
    EXPECT_FALSE(ServeFrames(simulator, garbage, output, reason));
    EXPECT_EQ(output.size(), frame::ReplyHeaderSize + 6); // the sound frame before it was answered
    EXPECT_THAT(reason, HasSubstr("wrong magic"));

    Bytes oversized = frame::EncodeRequest(Code(Request::ReadGdsId), Bytes{0, 0}, 6);
    PutU32(oversized, 8, 4097);
    EXPECT_FALSE(ServeFrames(simulator, oversized, output, reason));
    EXPECT_THAT(reason, HasSubstr("above the limit"));
}

} // namespace
} // namespace ruva::sim
