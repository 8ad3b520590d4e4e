#include "ConfigWriter.h"

#include "CfgTestSupport.h"
#include "RecordingPrompts.h"
#include "Texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ruva {
namespace {

using test::DataPath;
using test::DefaultConfig;
using test::ReadFileBytes;
using test::RecordingPrompts;
using test::ScriptedDriver;
using test::ShownMessage;
using test::WriteConfigFile;
using ::testing::ElementsAre;

DriverParameters Parameters() {
    DriverParameters p;
    p.Irq = 10;
    p.IoBaseAddress = 0x300;
    p.NumberOfBoards = 4;
    p.HostMemoryWindowOffset = {0xD0000, 0xD8000, 0xE0000, 0xE8000};
    p.HostMemoryWindowSize = {0x8000, 0x8000, 0x8000, 0x8000};
    p.HostIoWindowOffset = {0x320, 0x340, 0x360, 0x380};
    p.HostIoWindowSize = {0x10, 0x10, 0x10, 0x10};
    return p;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(WriterTest, DefaultsForBoardTwoMatchTheGoldenFile) {
    ScriptedDriver board(Parameters());
    RecordingPrompts prompts;
    const auto text = WriteConfigFile(DefaultConfig(), 2, board.driver, prompts);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, ReadFileBytes(DataPath("cfgfile/golden/defaults-board2.cfg")));
    EXPECT_EQ(Lines(*text).size(), 108u);
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST(WriterTest, EveryValueWordAndNumberFormatMatchesTheGoldenFile) {
    BoardConfig config = DefaultConfig();
    config.General = {0xFFFFFFFC};
    config.Image.ClockSource = code::ClockSource::EXTERNAL_2M;
    config.Image.Li[0].DefaultMode = 0;
    config.Image.Li[1].DefaultMode = 1;
    E1Settings& e0 = config.Image.Li[0].E1;
    e0 = {0, 1, 1, 2, 0, 0, 0x10, 1, 1, 0, 1, 255, 0, 65535, 1, 0};
    E1Settings& e1 = config.Image.Li[1].E1;
    e1 = {1, 0, 2, 0, 1, 0x2, 0x0, 0, 0, 1, 0, 0, 255, 0, 0, 1};
    T1Settings& t0 = config.Image.Li[0].T1;
    t0 = {1, 1, 0, 0, 0, 0, 1, 0, 8, 1, 1, 2, 3, 1, 0, 0x12};
    T1Settings& t1 = config.Image.Li[1].T1;
    t1 = {2, 0, 1, 1, 1, 1, 0, 1, 16, 0, 255, 255, 1000, 0, 1, 0xFFFFFF};
    // Values are printed as unsigned numbers of their width.
    DriverParameters p;
    p.IoBaseAddress = -1;
    p.HostMemoryWindowOffset[0] = 0xFFFFFFFF;
    p.HostIoWindowOffset[0] = 0xABCD;

    RecordingPrompts prompts;
    const std::string text = test::Shown(prompts, FormatConfigFile(config, 0, p)).Text;
    EXPECT_EQ(text, ReadFileBytes(DataPath("cfgfile/golden/words-board0.cfg")));
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST(WriterTest, UnexpectedCodesAreReportedInWritingOrderAndTheirWordsLeftOut) {
    BoardConfig config = DefaultConfig();
    config.General = {0x9000};
    config.Image.ClockSource = 7;
    config.Image.Li[0].DefaultMode = 5;
    config.Image.Li[1].DefaultMode = 1;
    config.Image.Li[0].E1.TransmitLineCode = 2;
    config.Image.Li[0].E1.ReceiveEqualizer = -1;
    config.Image.Li[0].T1.FrameFormat = code::T1FrameFormat::F72;
    config.Image.Li[0].T1.LFASensitivity = 1; // 0, 8 and 16 are the codes, not 0, 1 and 2
    config.Image.Li[0].T1.ClearChannels = 0x1000000;
    config.Image.Li[1].T1.SignalingMode = 3;
    // Two boards installed: the driver's entries for board 3 read as 0 even when the reply has some.
    DriverParameters p = Parameters();
    p.NumberOfBoards = 2;

    ScriptedDriver board(p);
    RecordingPrompts prompts;
    const auto text = WriteConfigFile(config, 3, board.driver, prompts);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, ReadFileBytes(DataPath("cfgfile/golden/unexpected-board3.cfg")));
    const auto stop = [](std::string_view text) {
        return ShownMessage{"Internal Error: Unexpected value for " + std::string(text), MessageIcon::Stop};
    };
    EXPECT_THAT(prompts.Messages, ElementsAre(stop("ClockSource"), stop("Li Default Mode"),
                                              stop("Transmit Line Code (E1)"), stop("Receive Equalizer (E1)"),
                                              stop("LFA Sensitivity (T1)"), stop("Signaling Mode (T1)")));
}

TEST(WriterTest, ClockSourceWords) {
    const char* expected[] = {"INTERNAL", "MVIP_MASTER_CLK", "MVIP_SEC_CLK", "LI0",
                              "LI1",      "EXTERNAL_8K",     "EXTERNAL_2M "};
    for (std::int16_t code = 0; code < 7; ++code) {
        BoardConfig config = DefaultConfig();
        config.Image.ClockSource = code;
        RecordingPrompts prompts;
        const auto lines = Lines(FormatConfigFile(config, 0, Parameters()).Text);
        EXPECT_EQ(lines.at(24), std::string("  ClockSource                = ") + expected[code]);
    }
}

TEST(WriterTest, DriverFailureIsReportedAndNothingIsWritten) {
    test::ScriptedChannel channel;
    Driver driver(channel);
    channel.Queue(Request::OpenDriver, test::StatusReply(1));
    driver.OpenDriver(0);
    channel.Queue(Request::GetDriverParameters, test::FailedReply());
    channel.Queue(Request::GetErrorText, test::FailedReply());
    RecordingPrompts prompts;
    EXPECT_FALSE(WriteConfigFile(DefaultConfig(), 0, driver, prompts));
    EXPECT_THAT(
        prompts.Messages,
        ElementsAre(ShownMessage{"Error #51: " + std::string(texts::DriverNotInstalled), MessageIcon::Stop}));
}

TEST(WriterTest, NumberFormats) {
    EXPECT_EQ(FormatFieldNumber(NumberStyle::Hex, 0), "0x0");
    EXPECT_EQ(FormatFieldNumber(NumberStyle::Hex, 0xABCDEF12), "0xABCDEF12");
    EXPECT_EQ(FormatFieldNumber(NumberStyle::Hex24, 0), "0x000000");
    EXPECT_EQ(FormatFieldNumber(NumberStyle::Hex24, 0xFFFF), "0x00FFFF");
    EXPECT_EQ(FormatFieldNumber(NumberStyle::Hex24, 0xFFFFFFFF), "0xFFFFFFFF");
    EXPECT_EQ(FormatFieldNumber(NumberStyle::Decimal, 4294967295u), "4294967295");
}

} // namespace
} // namespace ruva
