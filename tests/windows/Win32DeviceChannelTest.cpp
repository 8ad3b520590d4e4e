#include "Win32DeviceChannel.h"

#include "ControlCodes.h"
#include "Driver.h"
#include "Utf16.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {
namespace {

using ::testing::ElementsAre;

// A device that grants the access rights in `granted` (or refuses every open) and answers each
// request with the four bytes 01 00 00 00, reporting `returned` bytes.
struct FakeDevice {
    std::vector<std::uint32_t> Grants;       // access rights the open accepts
    std::vector<std::uint32_t> OpenedWith{}; // access asked for, per open call
    std::vector<std::uint32_t> Codes{};      // control codes received
    std::uint32_t Returned = 4;
    bool ControlFails = false;
    std::vector<DWORD> Errors{}; // the system errors of the next requests, in order (0: answered)
    int Closed = 0;
    int Handle = 0; // its address is the handle

    Win32DeviceCalls Calls() {
        Win32DeviceCalls calls;
        calls.Open = [this](const char* path, std::uint32_t access) -> void* {
            OpenedWith.push_back(access);
            const bool granted = std::find(Grants.begin(), Grants.end(), access) != Grants.end();
            return granted && std::string(path) == R"(\\.\RUVA2)" ? &Handle : reinterpret_cast<void*>(-1);
        };
        calls.Control = [this](void* handle, std::uint32_t code, const void*, std::uint32_t, void* output,
                               std::uint32_t outputSize, std::uint32_t& returned) {
            EXPECT_EQ(handle, &Handle);
            Codes.push_back(code);
            if (!Errors.empty()) {
                const DWORD error = Errors.front();
                Errors.erase(Errors.begin());
                if (error != 0) {
                    ::SetLastError(error);
                    return false;
                }
            }
            if (ControlFails)
                return false;
            const std::uint8_t status[4] = {1, 0, 0, 0};
            std::memcpy(output, status, std::min<std::uint32_t>(4, outputSize));
            returned = Returned;
            return true;
        };
        calls.Close = [this](void* handle) {
            EXPECT_EQ(handle, &Handle);
            ++Closed;
        };
        return calls;
    }
};

TEST(Win32DeviceChannelTest, OpensForReadingAndWritingAndFallsBackToNoAccess) {
    { // a driver that grants write access: requests go on that handle
        FakeDevice device{.Grants = {DeviceReadWriteAccess, 0}};
        {
            Win32DeviceChannel channel(device.Calls());
            Driver driver(channel);
            EXPECT_EQ(driver.OpenDriver(0), 1);
            EXPECT_EQ(driver.SetClockExternal2M(0), 1);
        }
        EXPECT_THAT(device.OpenedWith, ElementsAre(DeviceReadWriteAccess));
        EXPECT_THAT(device.Codes, ElementsAre(0x8820u, 0xA02Du));
        EXPECT_EQ(device.Closed, 1);
    }
    { // a driver that refuses it: the open without access rights
        FakeDevice device{.Grants = {0}};
        Win32DeviceChannel channel(device.Calls());
        Driver driver(channel);
        EXPECT_EQ(driver.OpenDriver(0), 1);
        EXPECT_THAT(device.OpenedWith, ElementsAre(DeviceReadWriteAccess, 0u));
    }
    { // no device: 46, and later requests answer 52 without a call
        FakeDevice device;
        Win32DeviceChannel channel(device.Calls());
        Driver driver(channel);
        EXPECT_EQ(driver.OpenDriver(0), 46);
        DriverParameters parameters;
        EXPECT_EQ(driver.GetDriverParameters(parameters), 52);
        EXPECT_THAT(device.OpenedWith, ElementsAre(DeviceReadWriteAccess, 0u));
        EXPECT_TRUE(device.Codes.empty());
        EXPECT_EQ(device.Closed, 0);
    }
}

TEST(Win32DeviceChannelTest, FailedOrEmptyRepliesAndOverlongCounts) {
    FakeDevice device{.Grants = {DeviceReadWriteAccess}};
    Win32DeviceChannel channel(device.Calls());
    ASSERT_TRUE(channel.Open(R"(\\.\RUVA2)"));
    std::vector<std::uint8_t> input{1, 2}, output(4);
    device.Returned = 1000; // never more than the reply block holds
    EXPECT_EQ(channel.Control(0x8811, input, output), std::optional<std::size_t>(4));
    device.Returned = 0;
    EXPECT_EQ(channel.Control(0x8811, input, output), std::optional<std::size_t>(0));
    device.ControlFails = true;
    EXPECT_EQ(channel.Control(0x8811, input, output), std::nullopt);
}

// A request that finds the device gone (its driver stopped and was started again, or no simulator served
// the stand-in) opens it again once and goes out on the new handle; one that got no answer in time is
// never sent again, and says so. Both count as unanswered; a refusal does not.
TEST(Win32DeviceChannelTest, AGoneDeviceIsOpenedAgainOnceATimeoutIsNotRepeated) {
    struct Case {
        std::vector<DWORD> Errors;
        bool Answered;
        std::size_t Sent, Opens;
        const char* Diagnosis;
    };
    const Case cases[] = {
        {{ERROR_ACCESS_DENIED}, true, 2, 2, ""}, // a handle to a stopped driver under Wine
        {{ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_NOT_CONNECTED}, false, 2, 2, "went away"},
        {{ERROR_SEM_TIMEOUT}, false, 1, 1, "did not answer in time"},
        {{ERROR_CONNECTION_ABORTED}, false, 1, 1, "went away"},
        {{ERROR_BUSY}, false, 1, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Errors.front());
        FakeDevice device{.Grants = {DeviceReadWriteAccess}, .Errors = c.Errors};
        Win32DeviceChannel channel(device.Calls());
        ASSERT_TRUE(channel.Open(R"(\\.\RUVA2)"));
        std::vector<std::uint8_t> output(4);
        EXPECT_EQ(channel.Control(0x8829, {}, output).has_value(), c.Answered);
        EXPECT_EQ(device.Codes.size(), c.Sent);
        EXPECT_EQ(device.OpenedWith.size(), c.Opens);
        EXPECT_EQ(channel.Unanswered(), std::string(c.Diagnosis) != "");
        EXPECT_THAT(channel.Diagnosis(), ::testing::HasSubstr(c.Diagnosis));
    }
}

TEST(Win32DeviceChannelTest, TheDriversTextsInTheAnsiCodePageBecomeUtf8) {
    EXPECT_EQ(AnsiToUtf8("Caf\xe9 busy", 1252), "Caf\xc3\xa9 busy");
    EXPECT_EQ(AnsiToUtf8("Caf\xe9 busy", 1251), "Caf\xd0\xb9 busy");
    EXPECT_EQ(MakePlatformDevice("").Traits.Text("Caf\xe9 busy"), AnsiToUtf8("Caf\xe9 busy", ::GetACP()));
}

TEST(Win32DeviceChannelTest, WithoutTheDriverTheSystemOpenFails) {
    Win32DeviceChannel channel;
    EXPECT_FALSE(channel.Open(R"(\\.\RUVA2)"));
    std::vector<std::uint8_t> output(4);
    EXPECT_EQ(channel.Control(0x8820, {}, output), std::nullopt);
}

} // namespace
} // namespace ruva
