// The reads behind the three board information dialogs: each opening reads the driver afresh, and a
// failed read is reported once and shows no dialog.

#include "InfoDialogs.h"
#include "Driver.h"
#include "FakeBoards.h"

#include <gtest/gtest.h>

using namespace ruva;
using namespace ruva::test;

namespace {

// Two intact boards behind an opened driver, with nothing recorded yet.
struct Rig {
    ScriptedChannel channel;
    FakeBoards boards;
    Driver driver{channel};
    RecordingPrompts prompts;

    Rig() {
        boards.Serve(channel);
        driver.OpenDriver(0);
        channel.Requests.clear();
    }
};

// A field as the dialog shows it: "label=value".
std::string Shown(const std::optional<InfoDialogContent>& content, std::size_t field) {
    const InfoField& shown = content.value().Fields.at(field);
    return std::string(shown.Label) + "=" + shown.Value;
}

} // namespace

TEST(InfoDialogs, EveryOpeningReadsTheDriverAgain) {
    Rig rig;
    rig.boards.Parameters.Irq = 5;
    auto shown = ReadMainResources(rig.driver, rig.prompts);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Shown(shown, 0), "Irq:=5");
    rig.boards.Parameters.Irq = 11;
    shown = ReadMainResources(rig.driver, rig.prompts);
    EXPECT_EQ(Shown(shown, 0), "Irq:=11");
    EXPECT_EQ(rig.channel.RequestsWith(Request::GetDriverParameters).size(), std::size_t{2});

    // The serial number shown is the copy in the board's stored image, read when the dialog opens.
    rig.boards.Boards[1].Image.SerialNumber = 0xFFFF;
    shown = ReadBrdSerialNo(rig.driver, rig.prompts, 1);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Shown(shown, 0), "Board Serial No=11115255");
    EXPECT_TRUE(ReadBrdResources(rig.driver, rig.prompts, 1));
    EXPECT_TRUE(rig.prompts.Messages.empty());
}

TEST(InfoDialogs, FailedReadShowsOneErrorAndNoDialog) {
    {
        // The board information reads fine, the stored image does not.
        Rig rig;
        rig.boards.Fault(Request::ReadStoredConfig, StatusReply(0x2007));
        EXPECT_FALSE(ReadBrdSerialNo(rig.driver, rig.prompts, 0));
        ASSERT_EQ(rig.prompts.Messages.size(), std::size_t{1});
        EXPECT_TRUE(rig.prompts.Messages[0].Text.starts_with("Error #8199: "));
        EXPECT_EQ(rig.prompts.Messages[0].Icon, MessageIcon::Stop);
        EXPECT_EQ(rig.channel.RequestsWith(Request::ReadBoardInfo).size(), std::size_t{1});
    }
    {
        Rig rig;
        rig.boards.Fault(Request::ReadBoardInfo, FailedReply());
        EXPECT_FALSE(ReadBrdSerialNo(rig.driver, rig.prompts, 0));
        ASSERT_EQ(rig.prompts.Messages.size(), std::size_t{1});
        EXPECT_TRUE(rig.prompts.Messages[0].Text.starts_with("Error #51: "));
        EXPECT_TRUE(rig.channel.RequestsWith(Request::ReadStoredConfig).empty());
    }
    {
        Rig rig;
        rig.boards.Fault(Request::GetDriverParameters, EmptyReply());
        EXPECT_FALSE(ReadBrdResources(rig.driver, rig.prompts, 0));
        ASSERT_EQ(rig.prompts.Messages.size(), std::size_t{1});
        EXPECT_TRUE(rig.prompts.Messages[0].Text.starts_with("Error #51: "));
    }
}
