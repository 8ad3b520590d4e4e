#include "Driver.h"

#include "RecordingPrompts.h"
#include "ScriptedChannel.h"
#include "Texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace ruva {
namespace {

using test::CannedReply;
using test::EmptyReply;
using test::FailedReply;
using test::RecordingPrompts;
using test::ScriptedChannel;
using test::StatusReply;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<std::uint8_t>;

class DriverTest : public ::testing::Test {
protected:
    void OpenWithStatus(std::uint32_t status = 1) {
        channel.Queue(Request::OpenDriver, StatusReply(status));
        ASSERT_EQ(driver.OpenDriver(0), static_cast<std::int32_t>(status));
        channel.Requests.clear();
    }

    const test::RecordedRequest& Last() const { return channel.Requests.back(); }

    ScriptedChannel channel;
    Driver driver{channel};
};

TEST_F(DriverTest, OpenDriverOpensTheDeviceAndSendsTheValue) {
    channel.Queue(Request::OpenDriver, StatusReply(1));
    EXPECT_EQ(driver.OpenDriver(0x01020304), 1);
    EXPECT_THAT(channel.OpenedPaths, ElementsAre("\\\\.\\RUVA2"));
    ASSERT_EQ(channel.Requests.size(), 1u);
    EXPECT_EQ(Last().Code, 34848u);
    EXPECT_THAT(Last().Input, ElementsAre(0x04, 0x03, 0x02, 0x01));
    EXPECT_EQ(Last().Capacity, 4u);
    EXPECT_TRUE(driver.IsOpen());
}

TEST_F(DriverTest, OpenDriverResults) {
    channel.Queue(Request::OpenDriver, StatusReply(0x77));
    EXPECT_EQ(driver.OpenDriver(0), 0x77);
    channel.Queue(Request::OpenDriver, FailedReply());
    EXPECT_EQ(driver.OpenDriver(0), 51);
    EXPECT_TRUE(driver.IsOpen()); // the device stays open after a refused request
    channel.Queue(Request::OpenDriver, EmptyReply());
    EXPECT_EQ(driver.OpenDriver(0), 51);
}

TEST_F(DriverTest, WithoutADeviceEveryRequestAnswers52AndNothingIsSent) {
    channel.OpenSucceeds = false;
    EXPECT_EQ(driver.OpenDriver(0), 46);
    EXPECT_FALSE(driver.IsOpen());

    DriverParameters p;
    p.Irq = 5;
    EXPECT_EQ(driver.GetDriverParameters(p), 52);
    EXPECT_EQ(p.Irq, 5);
    ImageBytes image{};
    EXPECT_EQ(driver.ReadStoredConfig(0, image), 52);
    EXPECT_EQ(driver.WriteStoredConfig(0, image), 52);
    BoardInfo info;
    EXPECT_EQ(driver.ReadBoardInfo(0, info), 52);
    EXPECT_EQ(driver.WriteBoardInfo(0, info), 52);
    SerialRecord record;
    EXPECT_EQ(driver.ReadSerialRecord(0, record), 52);
    EXPECT_EQ(driver.WriteSerialRecord(0, record), 52);
    EXPECT_EQ(driver.AttachBoard(0, 0x300), 52);
    EXPECT_EQ(driver.ReadGdsId(0), 52);
    EXPECT_EQ(driver.SetClockLi0(0), 52);
    EXPECT_FALSE(driver.GetErrorText(52));
    driver.SetClockSource(0, 4);
    EXPECT_TRUE(channel.Requests.empty());
}

// Every request: its code, its input block byte for byte and its reply capacity.
struct RequestCase {
    const char* Name;
    std::function<void(Driver&)> Call;
    std::uint32_t Code;
    Bytes Input;
    std::size_t Capacity;
};

std::vector<RequestCase> RequestCases() {
    ImageBytes image;
    std::iota(image.begin(), image.end(), std::uint8_t{0x10});
    Bytes writeImage{0x02, 0x00};
    writeImage.insert(writeImage.end(), image.begin(), image.end());

    BoardInfo info;
    info.BarRevision = 0x01000000;
    info.Reserved[0] = 0xAA;
    info.Reserved[15] = 0xBB;
    info.HdlcStartAddress = 0x8000;
    Bytes writeInfo{0xE9, 0xC2, 0x17, 0x5A, 0x03, 0x00};
    const auto infoBytes = info.toBytes();
    writeInfo.insert(writeInfo.end(), infoBytes.begin(), infoBytes.end());

    return {
        {"AttachBoard", [](Driver& d) { d.AttachBoard(1, 0x300); }, 34833, {0x01, 0x00, 0x00, 0x03}, 4},
        {"ReadStoredConfig",
         [](Driver& d) {
             ImageBytes b{};
             d.ReadStoredConfig(2, b);
         },
         34852,
         {0x02, 0x00},
         138},
        {"GetDriverParameters",
         [](Driver& d) {
             DriverParameters p;
             d.GetDriverParameters(p);
         },
         34857,
         {},
         78},
        {"GetErrorText", [](Driver& d) { d.GetErrorText(0x12345678); }, 34872, {0x78, 0x56, 0x34, 0x12}, 520},
        {"WriteStoredConfig", [image](Driver& d) { d.WriteStoredConfig(2, image); }, 34873, writeImage, 4},
        {"ReadBoardInfo",
         [](Driver& d) {
             BoardInfo i;
             d.ReadBoardInfo(3, i);
         },
         34980,
         {0x03, 0x00},
         48},
        {"WriteSerialRecord",
         [](Driver& d) {
             d.WriteSerialRecord(1, SerialRecord{3, 0x1234});
         },
         40000,
         {0xE9, 0xC2, 0x17, 0x5A, 0x01, 0x00, 0x03, 0x00, 0x34, 0x12},
         4},
        {"WriteBoardInfo", [info](Driver& d) { d.WriteBoardInfo(3, info); }, 40001, writeInfo, 4},
        {"ReadGdsId", [](Driver& d) { d.ReadGdsId(1); }, 41000, {0x01, 0x00}, 6},
        {"ReadSerialRecord",
         [](Driver& d) {
             SerialRecord r;
             d.ReadSerialRecord(0, r);
         },
         41001,
         {0x00, 0x00},
         8},
        {"SetClockInternal", [](Driver& d) { d.SetClockInternal(1); }, 41002, {0x01, 0x00}, 4},
        {"SetClockLi0", [](Driver& d) { d.SetClockLi0(1); }, 41003, {0x01, 0x00}, 4},
        {"SetClockLi1", [](Driver& d) { d.SetClockLi1(2); }, 41004, {0x02, 0x00}, 4},
        {"SetClockExternal2M", [](Driver& d) { d.SetClockExternal2M(3); }, 41005, {0x03, 0x00}, 4},
    };
}

// A device that did not answer is not waited for again within the command: its following requests fail at
// once, unsent, until the next command begins; a request that the device refused stops nothing.
TEST_F(DriverTest, AfterARequestWithoutAnswerTheCommandStopsUntilTheNextOne) {
    OpenWithStatus();
    channel.Queue(Request::AttachBoard, FailedReply());
    channel.Queue(Request::GetDriverParameters, test::NoAnswer());
    channel.SetHandler([](const test::RecordedRequest&) { return StatusReply(1, Bytes(516, 0)); });
    DriverParameters parameters;
    EXPECT_EQ(driver.AttachBoard(0, 0x300), 51);
    EXPECT_EQ(driver.GetDriverParameters(parameters), 51);
    EXPECT_EQ(driver.SetClockLi0(0), 51);
    EXPECT_EQ(driver.GetErrorText(51), std::nullopt);
    EXPECT_EQ(driver.ReadGdsId(0), 0);
    EXPECT_THAT(channel.Codes(), ElementsAre(Request::AttachBoard, Request::GetDriverParameters));
    driver.BeginCommand();
    EXPECT_EQ(driver.SetClockLi0(0), 1);
    EXPECT_EQ(channel.Codes().back(), Request::SetClockLi0);
}

TEST_F(DriverTest, EveryRequestSendsItsCodeBlockAndCapacity) {
    OpenWithStatus();
    for (const RequestCase& c : RequestCases()) {
        SCOPED_TRACE(c.Name);
        channel.Requests.clear();
        c.Call(driver);
        ASSERT_EQ(channel.Requests.size(), 1u);
        EXPECT_EQ(Last().Code, c.Code);
        EXPECT_THAT(Last().Input, ElementsAreArray(c.Input));
        EXPECT_EQ(Last().Capacity, c.Capacity);
        // The shared table agrees with what is sent.
        const RequestLayout* layout = FindRequest(c.Code);
        ASSERT_NE(layout, nullptr);
        EXPECT_STREQ(layout->Name, c.Name);
        EXPECT_EQ(layout->InputSize, c.Input.size());
        EXPECT_EQ(layout->ReplySize, c.Capacity);
    }
}

TEST_F(DriverTest, StatusRequestsPassTheStatusUpAndFailuresBecome51) {
    OpenWithStatus();
    channel.Queue(Request::AttachBoard, StatusReply(1));
    EXPECT_EQ(driver.AttachBoard(0, 0x300), 1);
    channel.Queue(Request::AttachBoard, StatusReply(0x1F));
    EXPECT_EQ(driver.AttachBoard(0, 0x300), 0x1F);
    channel.Queue(Request::WriteStoredConfig, FailedReply());
    EXPECT_EQ(driver.WriteStoredConfig(0, ImageBytes{}), 51);
    channel.Queue(Request::WriteBoardInfo, EmptyReply());
    EXPECT_EQ(driver.WriteBoardInfo(0, BoardInfo{}), 51);
    channel.Queue(Request::SetClockLi1, StatusReply(0xFFFFFFFF));
    EXPECT_EQ(driver.SetClockLi1(0), -1);
}

TEST_F(DriverTest, ReadStoredConfigCopiesDataWhateverTheStatus) {
    OpenWithStatus();
    Bytes data(134);
    std::iota(data.begin(), data.end(), std::uint8_t{1});
    channel.Queue(Request::ReadStoredConfig, StatusReply(7, data));
    ImageBytes image{};
    EXPECT_EQ(driver.ReadStoredConfig(0, image), 7);
    EXPECT_THAT(image, ElementsAreArray(data));

    ImageBytes untouched;
    untouched.fill(0xEE);
    channel.Queue(Request::ReadStoredConfig, FailedReply());
    EXPECT_EQ(driver.ReadStoredConfig(0, untouched), 51);
    channel.Queue(Request::ReadStoredConfig, EmptyReply());
    EXPECT_EQ(driver.ReadStoredConfig(0, untouched), 51);
    EXPECT_TRUE(std::all_of(untouched.begin(), untouched.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

TEST_F(DriverTest, ReadBoardInfoAndSerialRecordDecodeTheirReplies) {
    OpenWithStatus();
    BoardInfo sent;
    sent.LadRevision = 0x03010000;
    sent.Reserved.fill(0x5C);
    sent.HdlcStartAddress = 0x9000;
    const auto infoBytes = sent.toBytes();
    channel.Queue(Request::ReadBoardInfo, StatusReply(1, Bytes(infoBytes.begin(), infoBytes.end())));
    BoardInfo info;
    EXPECT_EQ(driver.ReadBoardInfo(1, info), 1);
    EXPECT_EQ(info, sent);

    channel.Queue(Request::ReadSerialRecord, StatusReply(9, {0x05, 0x00, 0xFF, 0xFF}));
    SerialRecord record;
    EXPECT_EQ(driver.ReadSerialRecord(1, record), 9);
    EXPECT_EQ(record, (SerialRecord{5, 0xFFFF}));

    SerialRecord untouched{1, 2};
    channel.Queue(Request::ReadSerialRecord, EmptyReply());
    EXPECT_EQ(driver.ReadSerialRecord(1, untouched), 51);
    EXPECT_EQ(untouched, (SerialRecord{1, 2}));
}

Bytes ParametersReply(std::uint32_t status, std::int16_t boards) {
    DriverParameters p;
    p.Irq = 10;
    p.IoBaseAddress = 0x300;
    p.NumberOfBoards = boards;
    p.InfoBufferSize = 0x1000;
    for (std::size_t i = 0; i < 4; ++i) {
        p.HostMemoryWindowOffset[i] = 0xD0000 + 0x8000 * static_cast<std::uint32_t>(i);
        p.HostMemoryWindowSize[i] = 0x8000;
        p.HostIoWindowOffset[i] = static_cast<std::uint16_t>(0x320 + 0x20 * i);
        p.HostIoWindowSize[i] = 0x10;
        p.DramSize[i] = 0x100000;
    }
    const auto bytes = p.toBytes();
    return StatusReply(status, Bytes(bytes.begin(), bytes.end())).Bytes;
}

TEST_F(DriverTest, DriverParametersKeepOnlyTheEntriesOfInstalledBoards) {
    OpenWithStatus();
    DriverParameters p;
    channel.Queue(Request::GetDriverParameters, CannedReply{true, ParametersReply(0, 2)});
    EXPECT_EQ(driver.GetDriverParameters(p), 1); // the status word is not used
    EXPECT_EQ(p.Irq, 10);
    EXPECT_EQ(p.IoBaseAddress, 0x300);
    EXPECT_EQ(p.NumberOfBoards, 2);
    EXPECT_EQ(p.InfoBufferSize, 0x1000u);
    EXPECT_EQ(p.HostMemoryWindowOffset[1], 0xD8000u);
    EXPECT_EQ(p.HostIoWindowOffset[1], 0x340);
    for (std::size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(p.HostMemoryWindowOffset[i], 0u);
        EXPECT_EQ(p.HostMemoryWindowSize[i], 0u);
        EXPECT_EQ(p.HostIoWindowOffset[i], 0u);
        EXPECT_EQ(p.HostIoWindowSize[i], 0u);
        EXPECT_EQ(p.DramSize[i], 0u);
    }
}

TEST_F(DriverTest, DriverParametersWithNoneNegativeOrTooManyBoards) {
    OpenWithStatus();
    for (std::int16_t boards : {0, -1}) {
        DriverParameters p;
        p.DramSize.fill(0xEE);
        channel.Queue(Request::GetDriverParameters, CannedReply{true, ParametersReply(1, boards)});
        EXPECT_EQ(driver.GetDriverParameters(p), 1);
        EXPECT_EQ(p.Irq, 10);
        EXPECT_EQ(p.IoBaseAddress, 0x300);
        EXPECT_EQ(p.InfoBufferSize, 0x1000u);
        EXPECT_EQ(p.NumberOfBoards, boards);
        EXPECT_EQ(p.DramSize, (std::array<std::uint32_t, 4>{}));
        EXPECT_EQ(p.HostIoWindowSize, (std::array<std::uint16_t, 4>{}));
    }
    DriverParameters p;
    channel.Queue(Request::GetDriverParameters, CannedReply{true, ParametersReply(1, 300)});
    EXPECT_EQ(driver.GetDriverParameters(p), 1);
    EXPECT_EQ(p.NumberOfBoards, 300);
    EXPECT_EQ(p.HostIoWindowOffset[3], 0x380); // four entries copied, and no more
}

TEST_F(DriverTest, DriverParametersLeftAloneWhenTheRequestFails) {
    OpenWithStatus();
    DriverParameters p;
    p.Irq = 3;
    p.DramSize[3] = 9;
    channel.Queue(Request::GetDriverParameters, FailedReply());
    EXPECT_EQ(driver.GetDriverParameters(p), 51);
    channel.Queue(Request::GetDriverParameters, EmptyReply());
    EXPECT_EQ(driver.GetDriverParameters(p), 51);
    EXPECT_EQ(p.Irq, 3);
    EXPECT_EQ(p.DramSize[3], 9u);
}

TEST_F(DriverTest, AReplyShortOfItsRecordIsNeverTakenAsAWholeRecord) {
    OpenWithStatus();
    ImageBytes image;
    image.fill(0xEE);
    BoardInfo info;
    info.HdlcStartAddress = 0xEEEE;
    SerialRecord record{1, 2};
    DriverParameters parameters;
    parameters.NumberOfBoards = 3;
    // Success without the whole record is a failed request; an error status it carries stands.
    channel.Queue(Request::ReadStoredConfig, StatusReply(1, Bytes(133, 0x11)));
    EXPECT_EQ(driver.ReadStoredConfig(0, image), 51);
    channel.Queue(Request::ReadStoredConfig, StatusReply(7));
    EXPECT_EQ(driver.ReadStoredConfig(0, image), 7);
    channel.Queue(Request::ReadBoardInfo, StatusReply(1));
    EXPECT_EQ(driver.ReadBoardInfo(0, info), 51);
    channel.Queue(Request::ReadSerialRecord, CannedReply{true, {1, 0}});
    EXPECT_EQ(driver.ReadSerialRecord(0, record), 51);
    Bytes parametersCut = ParametersReply(1, 2);
    parametersCut.pop_back();
    channel.Queue(Request::GetDriverParameters, CannedReply{true, parametersCut});
    EXPECT_EQ(driver.GetDriverParameters(parameters), 51);
    EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(info.HdlcStartAddress, 0xEEEEu);
    EXPECT_EQ(record, (SerialRecord{1, 2}));
    EXPECT_EQ(parameters.NumberOfBoards, 3);
    // A status word cut short is no status: one byte of 1 would otherwise read as success.
    channel.Queue(Request::SetClockLi1, CannedReply{true, {1}});
    EXPECT_EQ(driver.SelectClockSource(0, 4), 51); // LI1
}

TEST_F(DriverTest, GdsIdIsByteFourAndZeroWhenTheRequestFails) {
    OpenWithStatus();
    channel.Queue(Request::ReadGdsId, CannedReply{true, {0x01, 0x00, 0x00, 0x00, 0x72, 0x99}});
    EXPECT_EQ(driver.ReadGdsId(0), 0x72);
    channel.Queue(Request::ReadGdsId, FailedReply());
    EXPECT_EQ(driver.ReadGdsId(0), 0);
    channel.Queue(Request::ReadGdsId, EmptyReply());
    EXPECT_EQ(driver.ReadGdsId(0), 0);
}

TEST_F(DriverTest, ErrorTextIsTakenFromTheReplyAndAlwaysEnds) {
    OpenWithStatus();
    Bytes reply{0, 0, 0, 0};
    const std::string word = "Timeout";
    reply.insert(reply.end(), word.begin(), word.end());
    reply.push_back(0);
    channel.Queue(Request::GetErrorText, CannedReply{true, reply});
    EXPECT_EQ(driver.GetErrorText(51), "Timeout");

    // A reply without a terminator: at most 515 characters are taken.
    channel.Queue(Request::GetErrorText, CannedReply{true, Bytes(520, 'x')});
    const auto text = driver.GetErrorText(51);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), 515u);

    channel.Queue(Request::GetErrorText, EmptyReply());
    EXPECT_FALSE(driver.GetErrorText(51));
    channel.Queue(Request::GetErrorText, FailedReply());
    EXPECT_FALSE(driver.GetErrorText(51));
}

TEST_F(DriverTest, ClockSourceSelectsOneRequestPerCode) {
    OpenWithStatus();
    const std::pair<std::int16_t, std::uint32_t> mapping[] = {
        {0, 41002}, {1, 41002}, {2, 41002}, {3, 41003}, {4, 41004}, {5, 41002}, {6, 41005},
    };
    for (auto [clock, code] : mapping) {
        channel.Requests.clear();
        driver.SetClockSource(2, clock);
        ASSERT_EQ(channel.Requests.size(), 1u) << clock;
        EXPECT_EQ(Last().Code, code) << clock;
        EXPECT_THAT(Last().Input, ElementsAre(0x02, 0x00));
    }
    channel.Requests.clear();
    driver.SetClockSource(2, 7);
    driver.SetClockSource(2, -1);
    EXPECT_TRUE(channel.Requests.empty());
}

TEST_F(DriverTest, ReportDriverErrorShowsTheDriversTextOrTheFixedText) {
    OpenWithStatus();
    RecordingPrompts prompts;
    MessageList shown{{}, ShowingTo(prompts)};
    Bytes reply{0, 0, 0, 0, 'B', 'u', 's', 'y', 0};
    channel.Queue(Request::GetErrorText, CannedReply{true, reply});
    ReportDriverError(driver, shown, 51);
    channel.Queue(Request::GetErrorText, EmptyReply());
    channel.DiagnosisText = "The simulator at /run/ruva2.sock does not answer.";
    ReportDriverError(driver, shown, 51);
    ASSERT_EQ(channel.RequestsWith(Request::GetErrorText).size(), 2u);
    EXPECT_THAT(channel.RequestsWith(Request::GetErrorText)[0].Input, ElementsAre(51, 0, 0, 0));
    EXPECT_THAT(
        prompts.Messages,
        ElementsAre(test::ShownMessage{"Error #51: Busy", MessageIcon::Stop},
                    test::ShownMessage{"Error #51: Failed to open the Ruva-2 driver. The driver is not "
                                       "properly installed. Board configuration options are disabled.",
                                       MessageIcon::Stop},
                    test::ShownMessage{channel.DiagnosisText, MessageIcon::Information}));
}

TEST(DriverWithoutDevice, ReportsError52WithTheFixedText) {
    ScriptedChannel channel;
    channel.OpenSucceeds = false;
    Driver driver(channel);
    driver.OpenDriver(0);
    RecordingPrompts prompts;
    MessageList shown{{}, ShowingTo(prompts)};
    ReportDriverError(driver, shown, 52);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "Error #52: " + std::string(texts::DriverNotInstalled));
    EXPECT_EQ(prompts.Messages[0].Icon, MessageIcon::Stop);
}

} // namespace
} // namespace ruva
