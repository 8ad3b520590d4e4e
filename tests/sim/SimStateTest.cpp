#include "StateFile.h"
#include "StateJson.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

namespace ruva::sim {
namespace {

using ::testing::HasSubstr;

TEST(SimStateTest, BoardsBeyondTheFirstTwoFollowTheirPattern) {
    const SimState state = FreshState(4);
    ASSERT_EQ(state.Boards.size(), 4u);
    EXPECT_EQ(state.NumberOfBoards, 4);
    const SimBoard& b3 = state.Boards[3];
    EXPECT_EQ(b3.HostMemoryWindowOffset, 0xE8000u);
    EXPECT_EQ(b3.HostIoWindowOffset, 0x380u);
    EXPECT_EQ(b3.Serial.SerialNumber, 0x4567u);
    EXPECT_EQ(b3.Image.SerialNumber, 0x4567u);
    EXPECT_EQ(b3.Info.HdlcStartAddress, 0xB000u);
    // No two boards share a memory or I/O window.
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_GE(state.Boards[i].HostMemoryWindowOffset,
                  state.Boards[i - 1].HostMemoryWindowOffset + state.Boards[i - 1].HostMemoryWindowSize);
        EXPECT_GE(state.Boards[i].HostIoWindowOffset,
                  state.Boards[i - 1].HostIoWindowOffset + state.Boards[i - 1].HostIoWindowSize);
    }
}

TEST(SimStateTest, JsonRoundTripKeepsEveryValue) {
    SimState state = FreshState(3);
    state.NumberOfBoards = 5;
    state.IoBaseAddress = -2;
    SimBoard& board = state.Boards[1];
    board.Image.Li[0].E1.TransmitLineCode = 7; // a code without a value word
    board.Image.Li[1].T1.ClearChannels = 0xFFFFFFFF;
    board.Image.Li[1].T1.LFASensitivity = 16;
    board.Image.Version = 8;
    board.Info.Reserved[15] = 0xAB;
    board.Info.BootstrapRevision = 0x01020304;
    board.Clock = 6;
    board.Faults[Request::WriteStoredConfig] = Fault{.ReadBackDiffers = true, .Count = 2};
    board.Faults[Request::ReadGdsId] = Fault{.Status = 7};
    board.Faults[Request::ReadSerialRecord] = Fault{.Short = 7, .After = 2, .Count = 1};
    state.Faults[Request::GetErrorText] = Fault{.Empty = true};
    state.ErrorTexts[51] = std::nullopt;
    state.ErrorTexts[7] = "Seven \"quoted\"";

    const std::string text = StateToJson(state);
    const ParsedState parsed = ParseState(text);
    ASSERT_TRUE(parsed.State) << parsed.Error;
    EXPECT_EQ(*parsed.State, state);

    // Readable: words for codes, hex for addresses, a plain number for a code without a word.
    const auto json = nlohmann::json::parse(text);
    const auto& image = json["Boards"][1]["Image"];
    EXPECT_EQ(image["Li0"]["E1"]["TransmitLineCode"], 7);
    EXPECT_EQ(image["Li0"]["E1"]["ReceiveLineCode"], "HDB3");
    EXPECT_EQ(image["Li1"]["T1"]["LFASensitivity"], "WRONG_2_OUT_OF_6");
    EXPECT_EQ(image["Li0"]["T1"]["ClearChannels"], "0x000000");
    EXPECT_EQ(json["Boards"][1]["Clock"], "EXTERNAL_2M");
    EXPECT_EQ(json["IoBaseAddress"], "0xFFFE");
    EXPECT_EQ(json["Boards"][0]["BoardInfo"]["SadRevision"], "1.0.3.0");
}

TEST(SimStateTest, LeftOutFieldsTakeTheFreshValues) {
    const ParsedState parsed = ParseState(R"({
        "Boards": [{}, {"GdsId": 113, "SerialRecord": {"SerialNumber": "0xFFFF"},
                        "Image": {"Version": 8, "Li1": {"E1": {"TransmitLineCode": "ami"}}}}]
    })");
    ASSERT_TRUE(parsed.State) << parsed.Error;
    const SimState& state = *parsed.State;
    EXPECT_EQ(state.Boards[0], FreshBoard(0));
    SimBoard expected = FreshBoard(1);
    expected.GdsId = 0x71;
    expected.Serial.SerialNumber = 0xFFFF;
    expected.Image.Version = 8;
    expected.Image.Li[1].E1.TransmitLineCode = 0; // value words match without regard to case
    EXPECT_EQ(state.Boards[1], expected);
    EXPECT_EQ(state.NumberOfBoards, 2);

    EXPECT_EQ(ParseState(R"({"Boards": [{}]})").State->NumberOfBoards, 1);
    EXPECT_EQ(*ParseState("{}").State, FreshState());
}

TEST(SimStateTest, RefusesDocumentsItCannotTrust) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "not valid JSON"},
        {R"({"Irq": 10,})", "not valid JSON"},
        {"[]", "expected an object"},
        {R"({"Irq": 10, "Verbose": true})", "unknown key \"Verbose\""},
        {R"({"Irq": 1.5})", "Irq: expected an integer"},
        {R"({"InfoBufferSize": -1})", "InfoBufferSize: -1 is out of range"},
        {R"({"Boards": [{}, {}, {}, {}, {}]})", "at most 4 boards"},
        {R"({"Boards": [{"GdsId": "0x100"}]})", "Boards[0].GdsId: \"0x100\" is out of range"},
        {R"({"Boards": [{"Image": {"Li0": {"E1": {"TransmitLineCode": "HDB4"}}}}]})",
         "Boards[0].Image.Li0.E1.TransmitLineCode: \"HDB4\" is not a value of E1LineCode (AMI, HDB3)"},
        {R"({"Boards": [{"Image": {"Li0": {"T1": {"Bogus": 1}}}}]})", "unknown key \"Bogus\""},
        {R"({"Boards": [{"Image": {"Li0": {"E1": {"LOSSensitivity": 256}}}}]})", "256 is out of range"},
        {R"({"Boards": [{"Clock": "MVIP_SEC_CLK"}]})", "Boards[0].Clock: expected one of INTERNAL"},
        {R"({"Boards": [{"BoardInfo": {"BarRevision": "1.0.0"}}]})", "BarRevision: expected a revision"},
        {R"({"Boards": [{"BoardInfo": {"BarRevision": "1.0.0.256"}}]})", "BarRevision: expected a revision"},
        {R"({"Boards": [{"BoardInfo": {"Reserved": "00"}}]})", "Reserved: expected 16 bytes"},
        {R"({"Boards": [{"Faults": {"ReadGdsId": {}}}]})", "give exactly one of"},
        {R"({"Boards": [{"Faults": {"ReadGdsId": {"Fail": true, "Status": 7}}}]})", "give exactly one of"},
        {R"({"Boards": [{"Faults": {"ReadGdsId": {"Fail": true, "Count": 0}}}]})",
         "Count: 0 is out of range"},
        {R"({"Boards": [{"Faults": {"ReadStoredConfig": {"ReadBackDiffers": true}}}]})",
         "only WriteStoredConfig"},
        {R"({"Boards": [{"Faults": {"ReadSerialRecord": {"Short": 8}}}]})", "Short: 8 is out of range"},
        {R"({"Boards": [{"Faults": {"ReadSerialRecord": {"Short": 0}}}]})", "Short: 0 is out of range"},
        {R"({"Boards": [{"Faults": {"ReadSerialRecord": {"After": 1}}}]})", "give exactly one of"},
        {R"({"Boards": [{"Faults": {"ReadGdsId": {"Fail": true, "After": 0}}}]})",
         "After: 0 is out of range"},
        {R"({"Boards": [{"Faults": {"GetDriverParameters": {"Fail": true}}}]})", "top-level Faults"},
        {R"({"Faults": {"ReadGdsId": {"Fail": true}}})", "that board's Faults"},
        {R"({"Faults": {"ReadGDSId": {"Fail": true}}})", "unknown request \"ReadGDSId\""},
        {R"({"ErrorTexts": {"0x33": "text"}})", "decimal error number"},
        {R"({"ErrorTexts": {"7": 7}})", "ErrorTexts.7: expected a text"},
    };
    for (const auto& [document, message] : cases) {
        const ParsedState parsed = ParseState(document);
        EXPECT_FALSE(parsed.State) << document;
        EXPECT_THAT(parsed.Error, HasSubstr(message)) << document;
    }
}

TEST(StateFileTest, DefaultPathFollowsTheStateHome) {
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_STATE_HOME", "/var/state", 1);
    EXPECT_EQ(DefaultStatePath(), "/var/state/ruva2-sim/state.json");
    ::setenv("XDG_STATE_HOME", "relative/state", 1); // not absolute: as if unset
    EXPECT_EQ(DefaultStatePath(), "/home/someone/.local/state/ruva2-sim/state.json");
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(DefaultStatePath(), "/home/someone/.local/state/ruva2-sim/state.json");
}

} // namespace
} // namespace ruva::sim
