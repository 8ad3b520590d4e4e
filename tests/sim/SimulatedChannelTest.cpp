// Boards simulated in process on a state file, as programs that share the file use them.

#include "CfgTestSupport.h"
#include "DeviceChoice.h"
#include "Driver.h"
#include "SimulatedChannel.h"
#include "StateFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace ruva::sim {
namespace {

using ::testing::HasSubstr;

TEST(SimulatedChannel, ProgramsOnOneStateFileTakeTurnsOnTheNewestState) {
    test::TempDir dir;
    const std::string path = (dir / "s.json").string();
    // Each writes its own board's serial record over and over, on a file that does not exist yet.
    auto writer = [&path](std::uint16_t board) {
        SimulatedChannel channel(path);
        Driver driver(channel);
        ASSERT_EQ(driver.OpenDriver(0), result::Success) << channel.Diagnosis();
        for (std::uint16_t serial = 1; serial <= 20; ++serial)
            ASSERT_EQ(driver.WriteSerialRecord(board, {0, static_cast<std::uint16_t>(board * 0x100 + serial)}),
                      result::Success);
    };
    std::thread first(writer, 0), second(writer, 1);
    first.join();
    second.join();
    const LoadedState loaded = LoadStateFile(path);
    ASSERT_TRUE(loaded.State) << loaded.Error;
    ASSERT_EQ(loaded.State->Boards.size(), 2u);
    EXPECT_EQ(loaded.State->Boards[0].Serial.SerialNumber, 20);
    EXPECT_EQ(loaded.State->Boards[1].Serial.SerialNumber, 0x114);
}

TEST(SimulatedChannel, AHeldStateIsWaitedForShortlyThenRefusedUntouched) {
    test::TempDir dir;
    const std::string path = (dir / "s.json").string();
    SimulatedChannel channel(path);
    Driver driver(channel);
    ASSERT_EQ(driver.OpenDriver(0), result::Success);
    const std::string before = test::ReadFileBytes(path);
    {
        StateLock running; // as a running ruva2-sim holds it
        ASSERT_EQ(running.Acquire(path, BesideState(path, ".lock")), "");
        EXPECT_EQ(driver.SetClockLi1(0), result::RequestFailed);
        EXPECT_THAT(channel.Diagnosis(), HasSubstr("another simulator keeps its state in"));
    }
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(driver.SetClockLi1(0), result::Success);
    EXPECT_EQ(channel.Diagnosis(), "");

    // A state file that is not one fails every request, and says why.
    test::WriteFileBytes(path, "{\"Irq\": \"ten\"}");
    EXPECT_EQ(driver.ReadGdsId(0), 0);
    EXPECT_THAT(channel.Diagnosis(), HasSubstr("is not a simulator state: Irq"));
    EXPECT_EQ(test::ReadFileBytes(path), "{\"Irq\": \"ten\"}");
}

TEST(DeviceChoice, OnlyTheOptionOrTheVariableChoosesSimulatedBoards) {
    using Args = std::vector<std::string>;
    const std::vector<std::pair<Args, std::optional<std::string>>> cases = {
        {{}, std::nullopt},
        {{"-platform", "offscreen"}, std::nullopt},
        {{"--simulator", "a.json"}, "a.json"},
        {{"--simulator=b.json", "-x"}, "b.json"},
        {{"--simulator"}, ""},
        {{"--simulator", "-platform", "offscreen"}, ""},
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(FindSimulatorOption(args), expected) << ::testing::PrintToString(args);

    EXPECT_EQ(MakeDeviceChannel(std::nullopt)->SimulatorState(), "");
    EXPECT_EQ(MakeDeviceChannel("a.json")->SimulatorState(), "a.json");
}

} // namespace
} // namespace ruva::sim
