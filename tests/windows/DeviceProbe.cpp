// Sends requests to \\.\RUVA2 directly, as no program of the project does, to check the stand-in driver:
//   device_probe access          \\.\RUVA2 is in the global namespace too; a handle opened without
//                                access rights is refused every request; a read/write one has each
//                                request answered, and refused when its input length or reply capacity
//                                differs from the driver's by one, or its code is unknown
//   device_probe random N SEED   N requests of random codes (mostly the driver's), lengths, capacities
//                                and bytes: no reply is larger than its buffer or written beyond it
//   device_probe repeat N [STATE] N GetDriverParameters requests, through the device or, with a state
//                                file, through boards simulated in process on it (for figures: timed
//                                from outside, see README)
//   device_probe impostor N      another process posing as the simulator: its open of \\.\RUVA2SIM is
//                                refused (Windows), or its attach and N forged answers for the ids 1
//                                to N are (Wine, which lets any process open the device)
//   device_probe waiter          one request to a stopped simulator: it must fail as timed out, never be
//                                answered by anyone else
//   device_probe nosim           without a simulator: every request refused as "not connected"
//   device_probe flood           with the simulator stopped: 64 requests wait, more are refused at
//                                once as busy, and closing the handle ends those that wait
//   device_probe reopen MARKER   a request through the programs' channel, then, once the file MARKER
//                                exists (the driver removed and installed again meanwhile), another
//   device_probe late MARKER     a write that is answered (board 0's clock to LI0), then, once the file
//                                MARKER exists (the simulator stopped meanwhile), another (to LI1)
//                                that must fail without an answer
//   device_probe pointers        bad buffers for the direct and neither codes, refused without harm:
//                                unmapped, kernel and read-only replies (real Windows only: Wine copies
//                                every buffer in the calling process, which then faults itself)
// Exits 1 with the reason at the first fault. Each request's input names board 0x0909, which no state
// has, and a wrong access code: the board's state stays as it was.

#include "ControlCodes.h"
#include "Driver.h"
#include "SimulatedChannel.h"
#include "StandInProtocol.h"
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
    const HANDLE global = CreateFileA(R"(\\.\Global\RUVA2)", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (global == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "\\\\.\\Global\\RUVA2 does not open: error %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(global);
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

[[noreturn]] void Fail(const char* what, DWORD error = GetLastError()) {
    std::fprintf(stderr, "%s (error %lu)\n", what, error);
    std::exit(1);
}

int Impostor(unsigned long count) {
    using namespace ruva::standin;
    const HANDLE device = CreateFileA(SimulatorDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::printf("the simulator's device refused to open (error %lu)\n", GetLastError());
        return 0;
    }
    DWORD returned = 0;
    if (DeviceIoControl(device, SimAttach, nullptr, 0, nullptr, 0, &returned, nullptr))
        Fail("an impostor attached", 0);
    const DWORD attach = GetLastError();
    // Forged answers: the status word 0x66 (102), which fits every reply, for every id.
    std::vector<unsigned char> answer(AnswerHeaderSize + 4, 0);
    std::vector<unsigned char> handed(ServeBufferSize);
    standin::WriteWord(&answer[4], 1);
    standin::WriteWord(&answer[8], 4);
    answer[AnswerHeaderSize] = 0x66;
    for (unsigned long id = 1; id <= count; ++id) {
        standin::WriteWord(&answer[0], static_cast<std::uint32_t>(id));
        if (DeviceIoControl(device, SimServe, answer.data(), static_cast<DWORD>(answer.size()), handed.data(),
                            static_cast<DWORD>(handed.size()), &returned, nullptr))
            Fail("a forged answer was taken", 0);
    }
    std::printf("the simulator's device opened (the system does not keep other processes out), but the "
                "attach was refused (error %lu) and so were %lu forged answers (error %lu)\n",
                attach, count, GetLastError());
    CloseHandle(device);
    return 0;
}

int Waiter() {
    const HANDLE device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (device == INVALID_HANDLE_VALUE)
        Fail("cannot open the board device");
    std::vector<unsigned char> output;
    const Sent sent = Send(device, static_cast<DWORD>(Request::GetDriverParameters), {}, 78, output);
    if (sent.Ok || sent.Error != ERROR_SEM_TIMEOUT) {
        std::fprintf(stderr, "a request to a stopped simulator ended otherwise than timed out: ok %d, error %lu, "
                             "%lu bytes, status 0x%02X\n", sent.Ok, sent.Error, sent.Returned, output[0]);
        return 1;
    }
    std::printf("a request to a stopped simulator timed out\n");
    return 0;
}

int NoSimulator() {
    const HANDLE device = CreateFileA(R"(\\.\GLOBALROOT\Device\RUVA2)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::printf("without a simulator the board device refused to open (error %lu)\n", GetLastError());
        return 0;
    }
    std::vector<unsigned char> output;
    for (const RequestLayout& layout : RequestLayouts) {
        const Sent sent = Send(device, static_cast<DWORD>(layout.Code),
                               std::vector<unsigned char>(layout.InputSize, 9), static_cast<DWORD>(layout.ReplySize),
                               output);
        Expect(!sent.Ok && sent.Error == ERROR_DEVICE_NOT_CONNECTED, "not refused without a simulator", layout,
               sent);
    }
    std::printf("without a simulator, %zu requests refused as not connected\n", std::size(RequestLayouts));
    CloseHandle(device);
    return 0;
}

int Flood() {
    constexpr int Sent = 70, Held = 64;
    const HANDLE device = CreateFileA(DriverDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        Fail("cannot open the board device");
    std::vector<OVERLAPPED> requests(Sent);
    std::vector<HANDLE> events;
    std::vector<std::vector<unsigned char>> replies(Sent, std::vector<unsigned char>(78));
    int busy = 0;
    for (int i = 0; i < Sent; ++i) {
        requests[i] = OVERLAPPED{};
        requests[i].hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD returned = 0;
        if (DeviceIoControl(device, static_cast<DWORD>(Request::GetDriverParameters), nullptr, 0,
                            replies[i].data(), 78, &returned, &requests[i]))
            Fail("answered by a stopped simulator", 0);
        if (GetLastError() == ERROR_IO_PENDING)
            events.push_back(requests[i].hEvent);
        else if (GetLastError() == ERROR_BUSY)
            ++busy;
        else
            Fail("refused otherwise than as busy");
    }
    if (static_cast<int>(events.size()) != Held || busy != Sent - Held) {
        std::fprintf(stderr, "%zu requests wait and %d were refused as busy, not %d and %d\n", events.size(),
                     busy, Held, Sent - Held);
        return 1;
    }
    CloseHandle(device);
    for (HANDLE event : events)
        if (WaitForSingleObject(event, 5000) != WAIT_OBJECT_0)
            Fail("a request still waits after its handle was closed", 0);
    std::printf("%d requests waited, %d were refused as busy, and closing the handle ended the waiting ones\n",
                Held, busy);
    return 0;
}

// Says that the first request was answered, then waits (two minutes at most) for the file `marker`.
void AwaitMarker(const char* marker) {
    std::printf("answered; waiting for %s\n", marker);
    std::fflush(stdout);
    for (int i = 0; GetFileAttributesA(marker) == INVALID_FILE_ATTRIBUTES; ++i) {
        if (i == 1200)
            Fail("no marker within two minutes", 0);
        Sleep(100);
    }
}

int Reopen(const char* marker) {
    Win32DeviceChannel channel;
    Driver driver(channel);
    DriverParameters parameters;
    if (driver.OpenDriver(0) != 1 || driver.GetDriverParameters(parameters) != 1)
        Fail("no device at first", 0);
    AwaitMarker(marker);
    driver.BeginCommand();
    if (const std::int32_t r = driver.GetDriverParameters(parameters); r != 1) {
        std::fprintf(stderr, "after the driver was installed again: %d\n", static_cast<int>(r));
        return 1;
    }
    std::printf("answered after the driver was installed again\n");
    return 0;
}

int Late(const char* marker) {
    const HANDLE device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (device == INVALID_HANDLE_VALUE)
        Fail("cannot open the board device");
    std::vector<unsigned char> output;
    const std::vector<unsigned char> board0{0, 0};
    if (!Send(device, static_cast<DWORD>(Request::SetClockLi0), board0, 4, output).Ok)
        Fail("the first clock selection was not answered");
    AwaitMarker(marker);
    const Sent sent = Send(device, static_cast<DWORD>(Request::SetClockLi1), board0, 4, output);
    if (sent.Ok || sent.Error != ERROR_SEM_TIMEOUT)
        Fail("the second clock selection did not time out", sent.Error);
    std::printf("the second clock selection timed out\n");
    return 0;
}

int Pointers() {
    const HANDLE device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (device == INVALID_HANDLE_VALUE)
        Fail("cannot open the board device");
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    auto* pages = static_cast<unsigned char*>(VirtualAlloc(nullptr, 3 * system.dwPageSize, MEM_COMMIT | MEM_RESERVE,
                                                           PAGE_READWRITE));
    unsigned char* readOnly = pages + system.dwPageSize;
    unsigned char* unmapped = pages + 2 * system.dwPageSize;
    std::memset(readOnly, 0x5A, system.dwPageSize);
    DWORD old = 0;
    if (pages == nullptr || !VirtualProtect(readOnly, system.dwPageSize, PAGE_READONLY, &old) ||
        !VirtualFree(unmapped, system.dwPageSize, MEM_DECOMMIT))
        Fail("cannot prepare the pages");
    void* const kernel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(-4096));
    struct Bad {
        Request Code;
        const void* Input;
        void* Output;
    };
    unsigned char board[4] = {9, 9, 0, 0};
    const Bad cases[] = {
        {Request::SetClockLi0, unmapped, pages},   {Request::SetClockLi0, kernel, pages},
        {Request::SetClockLi0, board, unmapped},   {Request::SetClockLi0, board, kernel},
        {Request::SetClockLi0, board, readOnly},   {Request::GetDriverParameters, nullptr, readOnly},
        {Request::ReadSerialRecord, board, readOnly}, {Request::AttachBoard, board, readOnly},
    };
    for (const Bad& bad : cases) {
        const RequestLayout& layout = LayoutOf(bad.Code);
        DWORD returned = 0;
        const BOOL ok = DeviceIoControl(device, static_cast<DWORD>(bad.Code), const_cast<void*>(bad.Input),
                                        static_cast<DWORD>(layout.InputSize), bad.Output,
                                        static_cast<DWORD>(layout.ReplySize), &returned, nullptr);
        const Sent sent{ok != FALSE, GetLastError(), returned};
        Expect(!sent.Ok, "a bad buffer was taken", layout, sent);
        for (DWORD i = 0; i < system.dwPageSize; ++i)
            if (readOnly[i] != 0x5A)
                Fail("a read-only page was written", 0);
    }
    std::printf("%zu requests with bad buffers refused; the read-only page unchanged\n", std::size(cases));
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
    if (argc == 3 && std::strcmp(argv[1], "impostor") == 0)
        return Impostor(std::strtoul(argv[2], nullptr, 10));
    if (argc == 2 && std::strcmp(argv[1], "waiter") == 0)
        return Waiter();
    if (argc == 2 && std::strcmp(argv[1], "nosim") == 0)
        return NoSimulator();
    if (argc == 2 && std::strcmp(argv[1], "flood") == 0)
        return Flood();
    if (argc == 3 && std::strcmp(argv[1], "reopen") == 0)
        return Reopen(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "late") == 0)
        return Late(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "pointers") == 0)
        return Pointers();
    std::fprintf(stderr, "usage: device_probe access | random N SEED | repeat N [STATE] | impostor N | waiter | nosim | "
                         "flood | reopen MARKER | late MARKER | pointers\n");
    return 2;
}
