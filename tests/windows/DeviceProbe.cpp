// Sends requests to \\.\RUVA2 directly, as no program of the project does, to check the stand-in driver:
//   device_probe access          a handle opened without access rights is refused every request; a
//                                read/write one has each request answered, and refused when its input
//                                length or reply capacity differs from the driver's by one, or its code
//                                is unknown
//   device_probe random N SEED   N requests of random codes (mostly the driver's), lengths, capacities
//                                and bytes: no reply is larger than its buffer or written beyond it
//   device_probe repeat N [STATE] N GetDriverParameters requests, through the device or, with a state
//                                file, through boards simulated in process on it (for figures: timed
//                                from outside, see README)
// Exits 1 with the reason at the first fault. Each request's input names board 0x0909, which no state
// has, and a wrong access code: the board's state stays as it was.

#include "ControlCodes.h"
#include "Driver.h"
#include "SimulatedChannel.h"
#include "Win32DeviceChannel.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

using namespace ruva;

namespace {

HANDLE OpenDevice(DWORD access) {
    return CreateFileA(DriverDevicePath, access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct Sent {
    bool Ok;
    DWORD Error;
    DWORD Returned;
};

Sent Send(HANDLE device, DWORD code, std::vector<unsigned char> input, DWORD capacity,
          std::vector<unsigned char>& output) {
    constexpr unsigned char Guard = 0xA5;
    output.assign(capacity + 64, Guard);
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, code, input.empty() ? nullptr : input.data(),
                                    static_cast<DWORD>(input.size()), capacity == 0 ? nullptr : output.data(),
                                    capacity, &returned, nullptr);
    const Sent sent{ok != FALSE, GetLastError(), returned};
    for (std::size_t i = capacity; i < output.size(); ++i) {
        if (output[i] != Guard) {
            std::fprintf(stderr, "code %lu: written beyond the capacity of %lu bytes\n", code, capacity);
            std::exit(1);
        }
    }
    if (sent.Ok && returned > capacity) {
        std::fprintf(stderr, "code %lu: %lu bytes returned into %lu\n", code, returned, capacity);
        std::exit(1);
    }
    return sent;
}

void Expect(bool holds, const char* what, const RequestLayout& layout, const Sent& sent) {
    if (!holds) {
        std::fprintf(stderr, "%s: %s (ok %d, error %lu, %lu bytes)\n", layout.Name, what, sent.Ok, sent.Error,
                     sent.Returned);
        std::exit(1);
    }
}

int Access() {
    const HANDLE none = OpenDevice(0);
    const HANDLE both = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (none == INVALID_HANDLE_VALUE || both == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", DriverDevicePath, GetLastError());
        return 1;
    }
    std::vector<unsigned char> output;
    for (const RequestLayout& layout : RequestLayouts) {
        const DWORD code = static_cast<DWORD>(layout.Code);
        const DWORD input = static_cast<DWORD>(layout.InputSize), reply = static_cast<DWORD>(layout.ReplySize);
        Sent sent = Send(none, code, std::vector<unsigned char>(input, 9), reply, output);
        Expect(!sent.Ok && sent.Error == ERROR_ACCESS_DENIED, "not refused without access rights", layout, sent);
        sent = Send(both, code, std::vector<unsigned char>(input, 9), reply, output);
        Expect(sent.Ok, "not answered", layout, sent);
        for (DWORD length : {input + 1, input - 1}) {
            if (length > input + 1)
                continue; // none shorter than nothing
            sent = Send(both, code, std::vector<unsigned char>(length, 9), reply, output);
            Expect(!sent.Ok && sent.Error == ERROR_INVALID_PARAMETER, "wrong input length not refused", layout,
                   sent);
        }
        for (DWORD capacity : {reply + 1, reply - 1}) {
            sent = Send(both, code, std::vector<unsigned char>(input, 9), capacity, output);
            Expect(!sent.Ok && sent.Error == ERROR_INVALID_PARAMETER, "wrong capacity not refused", layout, sent);
        }
        sent = Send(both, code + 0x10000, std::vector<unsigned char>(input, 9), reply, output);
        Expect(!sent.Ok, "unknown code answered", layout, sent);
    }
    std::printf("%zu requests: refused without access, answered with it, refused when not exact\n",
                std::size(RequestLayouts));
    return 0;
}

int Random(unsigned long count, unsigned long seed) {
    const HANDLE device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (device == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", DriverDevicePath, GetLastError());
        return 1;
    }
    std::mt19937 random(seed);
    std::vector<unsigned char> output;
    unsigned long answered = 0;
    for (unsigned long n = 0; n < count; ++n) {
        const RequestLayout& layout = RequestLayouts[random() % std::size(RequestLayouts)];
        DWORD code = static_cast<DWORD>(layout.Code);
        if (random() % 8 == 0)
            code = random();
        // Exact sizes half of the time, so that the simulator sees many requests.
        const bool exact = random() % 2 == 0;
        std::vector<unsigned char> input(exact ? layout.InputSize : random() % 600);
        for (unsigned char& byte : input)
            byte = static_cast<unsigned char>(random());
        if (input.size() >= 6) { // never a board that exists, never the access code
            input[0] = input[1] = input[4] = input[5] = 9;
        } else if (input.size() >= 2) {
            input[0] = input[1] = 9;
        }
        const DWORD capacity = exact ? static_cast<DWORD>(layout.ReplySize) : random() % 1200;
        answered += Send(device, code, input, capacity, output).Ok;
    }
    std::printf("%lu random requests, %lu answered, none beyond its buffer\n", count, answered);
    return 0;
}

int Repeat(unsigned long count, const char* state) {
    std::unique_ptr<DeviceChannel> channel;
    if (state != nullptr)
        channel = std::make_unique<sim::SimulatedChannel>(state);
    else
        channel = std::make_unique<Win32DeviceChannel>();
    Driver driver(*channel);
    if (driver.OpenDriver(0) != 1) {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    DriverParameters parameters;
    for (unsigned long n = 0; n < count; ++n) {
        if (driver.GetDriverParameters(parameters) != 1) {
            std::fprintf(stderr, "request %lu failed\n", n);
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "access") == 0)
        return Access();
    if (argc == 4 && std::strcmp(argv[1], "random") == 0)
        return Random(std::strtoul(argv[2], nullptr, 10), std::strtoul(argv[3], nullptr, 10));
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "repeat") == 0)
        return Repeat(std::strtoul(argv[2], nullptr, 10), argc == 4 ? argv[3] : nullptr);
    std::fprintf(stderr, "usage: device_probe access | random N SEED | repeat N [STATE]\n");
    return 2;
}
