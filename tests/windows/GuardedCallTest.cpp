// The stand-in driver's exception handler around a caller's memory (driver/GuardedCall.h), in a user-mode
// program: the same assembly, with pages that are gone or may not be touched standing for a caller's bad
// pointers, and an exception raised deeper down standing for the probes' (ProbeForRead raises its status).

#include "GuardedCall.h"

#include <gtest/gtest.h>

#include <cstring>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

struct Copy {
    void* To;
    const void* From;
    unsigned long Count;
};

long CopyStep(void* context) {
    const auto& copy = *static_cast<Copy*>(context);
    for (unsigned long i = 0; i < copy.Count; ++i)
        static_cast<volatile unsigned char*>(copy.To)[i] = static_cast<const volatile unsigned char*>(copy.From)[i];
    return 0;
}

// Raises, as the probes do, after spoiling every register that its caller's callers rely on.
__attribute__((noinline)) void RaiseDeeper(DWORD code) {
#ifdef __x86_64__
    asm volatile("movq $-1, %%rbx; movq $-1, %%rsi; movq $-1, %%rdi; movq $-1, %%r12; movq $-1, %%r13; "
                 "movq $-1, %%r14; movq $-1, %%r15" ::
                     : "rbx", "rsi", "rdi", "r12", "r13", "r14", "r15");
#else
    asm volatile("movl $-1, %%ebx; movl $-1, %%esi; movl $-1, %%edi" ::: "ebx", "esi", "edi");
#endif
    ::RaiseException(code, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

long RaiseStep(void* context) {
    RaiseDeeper(*static_cast<DWORD*>(context));
    return 7;
}

// The head of the thread's chain of exception handlers (on i686; x86_64 finds its handlers in tables).
const void* HandlerChain() {
#ifdef __x86_64__
    return nullptr;
#else
    const void* head = nullptr;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
#endif
}

// Values that the compiler keeps in callee-saved registers across the guarded call.
__attribute__((noinline)) long GuardedWithLiveValues(const volatile long* seeds, GuardedStep step, void* context) {
    const long a = seeds[0], b = seeds[1], c = seeds[2], d = seeds[3], e = seeds[4], f = seeds[5];
    const long result = RuvaGuardedCall(step, context);
    return (a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f) == 91 ? result : -1;
}

// A bad pointer to read from or write to gives the access violation's status instead of ending the
// program; a status raised deeper down comes back as it was raised; either way the caller's registers and
// the thread's chain of handlers are as before, a thousand times over; a good copy succeeds.
TEST(GuardedCallTest, BadPagesAndRaisedStatusesEndTheStepNotTheProgram) {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    auto* pages = static_cast<unsigned char*>(::VirtualAlloc(nullptr, 3 * page, MEM_COMMIT | MEM_RESERVE,
                                                             PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    unsigned char* noAccess = pages + page;
    unsigned char* decommitted = pages + 2 * page;
    DWORD old = 0;
    ASSERT_TRUE(::VirtualProtect(noAccess, page, PAGE_NOACCESS, &old));
    ASSERT_TRUE(::VirtualFree(decommitted, page, MEM_DECOMMIT));
    unsigned char buffer[64] = {};
    std::memset(pages, 0x5A, 64);

    const volatile long seeds[] = {1, 2, 3, 4, 5, 6};
    const void* chain = HandlerChain();
    DWORD raised = 0xE0001234;
    struct Case {
        Copy Step;
        long Result;
    };
    const Case copies[] = {
        {{buffer, pages + page - 8, 16}, static_cast<long>(STATUS_ACCESS_VIOLATION)},   // reads into no access
        {{buffer, decommitted, 16}, static_cast<long>(STATUS_ACCESS_VIOLATION)},        // reads a page gone
        {{noAccess, buffer, 16}, static_cast<long>(STATUS_ACCESS_VIOLATION)},           // writes into no access
        {{decommitted + page - 4, buffer, 4}, static_cast<long>(STATUS_ACCESS_VIOLATION)}, // writes a page gone
        {{buffer, pages, 64}, 0},
    };
    for (int round = 0; round < 1000; ++round) {
        for (const Case& c : copies) {
            Copy step = c.Step;
            ASSERT_EQ(GuardedWithLiveValues(seeds, CopyStep, &step), c.Result);
        }
        ASSERT_EQ(GuardedWithLiveValues(seeds, RaiseStep, &raised), static_cast<long>(raised));
    }
    EXPECT_EQ(HandlerChain(), chain);
    EXPECT_EQ(buffer[63], 0x5A);
    ::VirtualFree(pages, 0, MEM_RELEASE);
}

} // namespace
