// Boards simulated in process on a state file, as programs that share the file use them.

#include "SimulatedChannel.h"
#include "CfgTestSupport.h"
#include "DeviceChoice.h"
#include "Driver.h"
#include "StateFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#ifndef _WIN32
#include <thread>
#endif

namespace ruva::sim {
namespace {

using ::testing::HasSubstr;

#ifndef _WIN32 // the Windows build's threads are the system's own; there the lock is tested below
TEST(SimulatedChannel, ProgramsOnOneStateFileTakeTurnsOnTheNewestState) {
    test::TempDir dir;
    const std::string path = (dir / "s.json").string();
    // Each writes its own board's serial record over and over, on a file that does not exist yet.
    int written[2] = {0, 0};
    auto writer = [&](std::uint16_t board) {
        SimulatedChannel channel(path);
        Driver driver(channel);
        driver.OpenDriver(0);
        for (std::uint16_t serial = 1; serial <= 20; ++serial)
            written[board] += driver.WriteSerialRecord(board, {0, std::uint16_t(board * 0x100 + serial)}) ==
                              result::Success;
    };
    std::thread first(writer, 0);
    writer(1);
    first.join();
    EXPECT_EQ(written[0] + written[1], 40);
    const LoadedState loaded = LoadStateFile(path);
    ASSERT_TRUE(loaded.State) << loaded.Error;
    ASSERT_EQ(loaded.State->Boards.size(), 2u);
    EXPECT_EQ(loaded.State->Boards[0].Serial.SerialNumber, 20);
    EXPECT_EQ(loaded.State->Boards[1].Serial.SerialNumber, 0x114);
}
#endif

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

// Sets RUVA2_SIMULATOR for this process, or removes it when `value` is empty.
void SetSimulatorVariable(const std::string& value) {
#ifdef _WIN32
    ::_putenv((std::string(SimulatorVariable) + "=" + value).c_str());
#else
    if (value.empty())
        ::unsetenv(SimulatorVariable);
    else
        ::setenv(SimulatorVariable, value.c_str(), 1);
#endif
}

TEST(DeviceChoice, OnlyTheOptionOrTheVariableChoosesSimulatedBoards) {
    using Args = std::vector<std::string>;
    const std::vector<std::pair<Args, std::optional<std::string>>> cases = {
        {{"-platform", "offscreen"}, std::nullopt},
        {{"--simulator", "a.json"}, "a.json"},
        {{"--simulator=b.json", "-x"}, "b.json"},
        {{"--simulator"}, ""},
        {{"--simulator", "-platform", "offscreen"}, ""}};
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(FindSimulatorOption(args), expected) << ::testing::PrintToString(args);

    // The variable asks for simulated boards only without the option.
    SetSimulatorVariable("");
    EXPECT_EQ(MakeDevice(std::nullopt).Traits.SimulatorState, "");
    SetSimulatorVariable("v.json");
    EXPECT_EQ(MakeDevice(std::nullopt).Traits.SimulatorState, "v.json");
    EXPECT_EQ(MakeDevice("a.json").Traits.SimulatorState, "a.json");
    SetSimulatorVariable("");
}

TEST(DeviceChoice, AWindowProgramTakesNoArgumentButTheSimulatorOptionOnce) {
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{}, Args{"--simulator", "a.json"}, Args{"--simulator=a.json"}, Args{"--simulator"}})
        EXPECT_EQ(FindUnknownArgument(args), std::nullopt) << ::testing::PrintToString(args);
    for (const auto& [args, unknown] : std::vector<std::pair<Args, std::string>>{
             {{"--simulater"}, "--simulater"}, {{"--simulator=b.json", "-x"}, "-x"},
             {{"--simulator", "-platform", "offscreen"}, "-platform"}, {{"a.json", "--simulator"}, "a.json"},
             {{"--simulator", "a.json", "--simulator"}, "--simulator"}})
        EXPECT_EQ(FindUnknownArgument(args), unknown) << ::testing::PrintToString(args);
}

} // namespace
} // namespace ruva::sim
