// ruva2sim.sys: the stand-in for the Ruva-2 board driver on a Windows PC without a board. It creates the
// board device \Device\RUVA2 and passes each request, checked against the driver's table, to the
// simulator (ruva2-sim.exe) that serves it over the private device \Device\RUVA2SIM (see
// StandInProtocol.h); it holds no boards itself. \\.\RUVA2 exists only while a simulator is attached,
// so that without one, opening it fails as it does without a driver.
//
// Requests wait in two queues under one spin lock: waiting (not yet handed to the simulator) and handed
// (handed, not yet answered). Each pending request has a cancel routine; a timer fails those that have
// waited AnswerSeconds for an answer. Freestanding kernel code: no exceptions, RTTI or standard library.

// wdm.h defines two interlocked calls that intrin.h defines already, which C++ refuses: intrin.h's
// are renamed out of the way.
#define InterlockedBitTestAndSet IntrinInterlockedBitTestAndSet
#define InterlockedBitTestAndReset IntrinInterlockedBitTestAndReset
#include <intrin.h>
#undef InterlockedBitTestAndSet
#undef InterlockedBitTestAndReset
#include <ntddk.h>

#include "ControlCodes.h"
#include "StandInProtocol.h"

using namespace ruva;
using namespace ruva::standin;

namespace {

// The timer's period, and how many periods a request may wait: it fails within AnswerSeconds.
constexpr LONG TickMilliseconds = 500;
constexpr ULONG DeadlineTicks = AnswerSeconds * 1000 / TickMilliseconds - 1;

struct StandIn {
    KSPIN_LOCK Lock;
    PDEVICE_OBJECT Board;
    PDEVICE_OBJECT Simulator;
    PFILE_OBJECT Attached; // the simulator's handle; null while none is attached
    bool Detaching;        // its requests are being failed and \\.\RUVA2 removed
    PIRP Serve;            // the simulator's pending SimServe
    LIST_ENTRY Waiting;
    LIST_ENTRY Handed;
    ULONG NextId;
    ULONG Ticks;
    KTIMER Timer;
    KDPC Tick;
};

StandIn g;

// Transfer method 3 (neither): the caller's own buffers, reachable only in its context. The dispatch
// routine keeps the input (at most a pointer's size) in the request and locks the reply's pages.
constexpr ULONG MethodNeither = 3;

// A pending board request keeps its id and the tick it arrived at in the driver's context words.
ULONG IdOf(PIRP irp) {
    return static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(irp->Tail.Overlay.DriverContext[0]));
}
ULONG ArrivalOf(PIRP irp) {
    return static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(irp->Tail.Overlay.DriverContext[1]));
}
PLIST_ENTRY EntryOf(PIRP irp) {
    return &irp->Tail.Overlay.ListEntry;
}
PIRP IrpOf(PLIST_ENTRY entry) {
    return CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
}

UNICODE_STRING Name(const wchar_t* text) {
    UNICODE_STRING name;
    USHORT length = 0;
    while (text[length / sizeof(wchar_t)] != L'\0')
        length = static_cast<USHORT>(length + sizeof(wchar_t));
    name.Length = length;
    name.MaximumLength = static_cast<USHORT>(length + sizeof(wchar_t));
    name.Buffer = const_cast<PWSTR>(text);
    return name;
}

void CopyBytes(void* to, const void* from, ULONG count) {
    auto* out = static_cast<volatile UCHAR*>(to);
    const auto* in = static_cast<const UCHAR*>(from);
    for (ULONG i = 0; i < count; ++i)
        out[i] = in[i];
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information = 0) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// Takes a queued request out of its queue for completion, under the lock. False when its cancel routine
// runs already: that takes it out and completes it.
bool Take(PIRP irp) {
    if (IoSetCancelRoutine(irp, nullptr) == nullptr)
        return false;
    RemoveEntryList(EntryOf(irp));
    InitializeListHead(EntryOf(irp));
    return true;
}

// Moves the queued requests (only those that have waited too long: `late`) into `into`, under the lock.
void TakeQueued(PLIST_ENTRY into, bool late) {
    PLIST_ENTRY queues[] = {&g.Waiting, &g.Handed};
    for (PLIST_ENTRY queue : queues) {
        for (PLIST_ENTRY entry = queue->Flink; entry != queue;) {
            PIRP irp = IrpOf(entry);
            entry = entry->Flink;
            if ((!late || g.Ticks - ArrivalOf(irp) >= DeadlineTicks) && Take(irp))
                InsertTailList(into, EntryOf(irp));
        }
    }
}

// The board request's reply block: the system buffer for buffered codes, the locked pages otherwise.
void* ReplyBlock(PIRP irp, ULONG code) {
    if ((code & 3) == 0)
        return irp->AssociatedIrp.SystemBuffer;
    if (irp->MdlAddress == nullptr)
        return nullptr;
    void* mapped = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
    // Wine neither locks nor maps the pages of an MDL it did not build (method 3's, locked here): there
    // the caller's buffer lies in the driver's own host process, where the answer is completed too.
    // Windows locks them, and a mapping that fails there fails the request.
    if (mapped == nullptr && (code & 3) == MethodNeither && !(irp->MdlAddress->MdlFlags & MDL_PAGES_LOCKED))
        mapped = irp->UserBuffer;
    return mapped;
}

// Ends a board request taken out of its queue: with `count` bytes of reply on success.
void Finish(PIRP irp, NTSTATUS status, const UCHAR* data = nullptr, ULONG count = 0) {
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG capacity = stack->Parameters.DeviceIoControl.OutputBufferLength;
    if (!NT_SUCCESS(status)) {
        Complete(irp, status);
        return;
    }
    void* reply = ReplyBlock(irp, stack->Parameters.DeviceIoControl.IoControlCode);
    if (count > capacity || (count > 0 && reply == nullptr)) {
        Complete(irp, STATUS_INVALID_PARAMETER);
        return;
    }
    CopyBytes(reply, data, count);
    Complete(irp, STATUS_SUCCESS, count);
}

void CompleteAll(PLIST_ENTRY list, NTSTATUS status) {
    while (!IsListEmpty(list))
        Finish(IrpOf(RemoveHeadList(list)), status);
}

VOID NTAPI CancelQueued(PDEVICE_OBJECT, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    RemoveEntryList(EntryOf(irp));
    InitializeListHead(EntryOf(irp));
    KeReleaseSpinLock(&g.Lock, irql);
    Finish(irp, STATUS_CANCELLED);
}

VOID NTAPI CancelServe(PDEVICE_OBJECT, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    if (g.Serve == irp)
        g.Serve = nullptr;
    KeReleaseSpinLock(&g.Lock, irql);
    Complete(irp, STATUS_CANCELLED);
}

// Gives `irp` its cancel routine, under the lock. False when it was cancelled already (the caller
// completes it).
bool MakeCancellable(PIRP irp, PDRIVER_CANCEL cancel) {
    static_cast<void>(IoSetCancelRoutine(irp, cancel));
    return !(irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr);
}

// Hands the oldest waiting request to the simulator when its SimServe is pending.
void Pump() {
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    PIRP serve = nullptr;
    ULONG length = 0;
    while (g.Serve != nullptr && !IsListEmpty(&g.Waiting)) {
        if (IoSetCancelRoutine(g.Serve, nullptr) == nullptr)
            break; // being cancelled: CancelServe empties the slot
        serve = g.Serve;
        g.Serve = nullptr;
        // The request stays cancellable: it only moves to the other queue.
        PIRP request = IrpOf(RemoveHeadList(&g.Waiting));
        InsertTailList(&g.Handed, EntryOf(request));
        const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(request);
        const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
        auto* out = static_cast<UCHAR*>(serve->AssociatedIrp.SystemBuffer);
        WriteWord(out, IdOf(request));
        WriteWord(out + 4, stack->Parameters.DeviceIoControl.IoControlCode);
        WriteWord(out + 8, inputLength);
        WriteWord(out + 12, stack->Parameters.DeviceIoControl.OutputBufferLength);
        const bool neither = (stack->Parameters.DeviceIoControl.IoControlCode & 3) == MethodNeither;
        CopyBytes(out + HandedHeaderSize,
                  neither ? &request->Tail.Overlay.DriverContext[2] : request->AssociatedIrp.SystemBuffer,
                  inputLength);
        length = HandedHeaderSize + inputLength;
    }
    KeReleaseSpinLock(&g.Lock, irql);
    if (serve != nullptr)
        Complete(serve, STATUS_SUCCESS, length);
}

// Completes the handed request `id` with the simulator's answer; nothing when it is gone (cancelled,
// timed out).
void Answer(ULONG id, bool ok, const UCHAR* data, ULONG count) {
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    PIRP request = nullptr;
    for (PLIST_ENTRY entry = g.Handed.Flink; entry != &g.Handed; entry = entry->Flink) {
        if (IdOf(IrpOf(entry)) == id) {
            request = IrpOf(entry);
            if (!Take(request))
                request = nullptr;
            break;
        }
    }
    KeReleaseSpinLock(&g.Lock, irql);
    if (request != nullptr)
        Finish(request, ok ? STATUS_SUCCESS : STATUS_UNSUCCESSFUL, data, count);
}

// Once per tick: fails the requests that have waited too long.
VOID NTAPI OnTick(PKDPC, PVOID, PVOID, PVOID) {
    LIST_ENTRY late;
    InitializeListHead(&late);
    // KeAcquireSpinLock rather than the variant for DPC level, which Wine lacks.
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    ++g.Ticks;
    TakeQueued(&late, true);
    KeReleaseSpinLock(&g.Lock, irql);
    CompleteAll(&late, STATUS_IO_TIMEOUT);
}

NTSTATUS Attach(PFILE_OBJECT file) {
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    const bool taken = g.Attached != nullptr;
    if (!taken)
        g.Attached = file;
    KeReleaseSpinLock(&g.Lock, irql);
    if (taken)
        return STATUS_DEVICE_BUSY;
    UNICODE_STRING link = Name(BoardLinkName);
    UNICODE_STRING device = Name(BoardDeviceName);
    const NTSTATUS status = IoCreateSymbolicLink(&link, &device);
    if (!NT_SUCCESS(status)) {
        KeAcquireSpinLock(&g.Lock, &irql);
        g.Attached = nullptr;
        KeReleaseSpinLock(&g.Lock, irql);
    }
    return status;
}

// The simulator's handle is closing: everything waiting for it fails, and \\.\RUVA2 goes away.
void Detach(PFILE_OBJECT file) {
    LIST_ENTRY failed;
    InitializeListHead(&failed);
    PIRP serve = nullptr;
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    if (g.Attached != file || file == nullptr || g.Detaching) {
        KeReleaseSpinLock(&g.Lock, irql);
        return;
    }
    g.Detaching = true;
    if (g.Serve != nullptr && IoSetCancelRoutine(g.Serve, nullptr) != nullptr) {
        serve = g.Serve;
        g.Serve = nullptr;
    }
    TakeQueued(&failed, false);
    KeReleaseSpinLock(&g.Lock, irql);
    if (serve != nullptr)
        Complete(serve, STATUS_CANCELLED);
    CompleteAll(&failed, STATUS_DEVICE_NOT_CONNECTED);
    UNICODE_STRING link = Name(BoardLinkName);
    IoDeleteSymbolicLink(&link);
    KeAcquireSpinLock(&g.Lock, &irql);
    g.Attached = nullptr;
    g.Detaching = false;
    KeReleaseSpinLock(&g.Lock, irql);
}

// A program's request on the board device: exactly one of the driver's codes with its input length and
// reply capacity, queued for the simulator.
NTSTATUS BoardRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const RequestLayout* layout = FindRequest(code);
    if (layout == nullptr)
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    const bool neither = (code & 3) == MethodNeither;
    if (stack->Parameters.DeviceIoControl.InputBufferLength != layout->InputSize ||
        stack->Parameters.DeviceIoControl.OutputBufferLength != layout->ReplySize ||
        (neither ? layout->InputSize > sizeof(PVOID) || irp->UserBuffer == nullptr ||
                       stack->Parameters.DeviceIoControl.Type3InputBuffer == nullptr
                 : layout->InputSize > 0 && irp->AssociatedIrp.SystemBuffer == nullptr))
        return Complete(irp, STATUS_INVALID_PARAMETER);
    if (neither) {
        irp->Tail.Overlay.DriverContext[2] = nullptr;
        CopyBytes(&irp->Tail.Overlay.DriverContext[2], stack->Parameters.DeviceIoControl.Type3InputBuffer,
                  static_cast<ULONG>(layout->InputSize));
        // The I/O manager unlocks and frees the request's MDL when it completes.
        PMDL reply = IoAllocateMdl(irp->UserBuffer, static_cast<ULONG>(layout->ReplySize), FALSE, FALSE, nullptr);
        if (reply == nullptr)
            return Complete(irp, STATUS_INSUFFICIENT_RESOURCES);
        MmProbeAndLockPages(reply, UserMode, IoWriteAccess);
        irp->MdlAddress = reply;
    }
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    if (g.Attached == nullptr || g.Detaching) {
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_DEVICE_NOT_CONNECTED);
    }
    if (++g.NextId == 0)
        ++g.NextId;
    irp->Tail.Overlay.DriverContext[0] = reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(g.NextId));
    irp->Tail.Overlay.DriverContext[1] = reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(g.Ticks));
    if (!MakeCancellable(irp, CancelQueued)) {
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_CANCELLED);
    }
    IoMarkIrpPending(irp);
    InsertTailList(&g.Waiting, EntryOf(irp));
    KeReleaseSpinLock(&g.Lock, irql);
    Pump();
    return STATUS_PENDING;
}

// SimServe: the answer to the last request handed over, then the wait for the next one.
NTSTATUS ServeRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    auto* buffer = static_cast<const UCHAR*>(irp->AssociatedIrp.SystemBuffer);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < ServeBufferSize || buffer == nullptr)
        return Complete(irp, STATUS_INVALID_PARAMETER);
    if (inputLength > 0) {
        if (inputLength < AnswerHeaderSize || inputLength > ServeBufferSize)
            return Complete(irp, STATUS_INVALID_PARAMETER);
        const ULONG count = ReadWord(buffer + 8);
        if (count > inputLength - AnswerHeaderSize)
            return Complete(irp, STATUS_INVALID_PARAMETER);
        Answer(ReadWord(buffer), ReadWord(buffer + 4) == 1, buffer + AnswerHeaderSize, count);
    }
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    if (g.Attached != stack->FileObject || g.Detaching || g.Serve != nullptr) {
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_INVALID_DEVICE_STATE);
    }
    if (!MakeCancellable(irp, CancelServe)) {
        KeReleaseSpinLock(&g.Lock, irql);
        return Complete(irp, STATUS_CANCELLED);
    }
    IoMarkIrpPending(irp);
    g.Serve = irp;
    KeReleaseSpinLock(&g.Lock, irql);
    Pump();
    return STATUS_PENDING;
}

NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == g.Board)
        return BoardRequest(irp, stack);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case SimAttach:
        return Complete(irp, Attach(stack->FileObject));
    case SimServe:
        return ServeRequest(irp, stack);
    default:
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
}

NTSTATUS NTAPI DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == g.Simulator && stack->MajorFunction != IRP_MJ_CREATE)
        Detach(stack->FileObject);
    return Complete(irp, STATUS_SUCCESS);
}

VOID NTAPI Unload(PDRIVER_OBJECT) {
    KeCancelTimer(&g.Timer);
    // A tick queued before the timer was cancelled ends long before this pause does.
    LARGE_INTEGER pause;
    pause.QuadPart = -10000LL * 4 * TickMilliseconds;
    KeDelayExecutionThread(KernelMode, FALSE, &pause);
    KIRQL irql;
    KeAcquireSpinLock(&g.Lock, &irql);
    PFILE_OBJECT attached = g.Attached;
    KeReleaseSpinLock(&g.Lock, irql);
    Detach(attached);
    UNICODE_STRING link = Name(SimulatorLinkName);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(g.Simulator);
    IoDeleteDevice(g.Board);
}

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    KeInitializeSpinLock(&g.Lock);
    InitializeListHead(&g.Waiting);
    InitializeListHead(&g.Handed);
    UNICODE_STRING boardName = Name(BoardDeviceName);
    NTSTATUS status =
        IoCreateDevice(driver, 0, &boardName, FILE_DEVICE_UNKNOWN, 0, FALSE, &g.Board);
    if (!NT_SUCCESS(status))
        return status; // another driver's \Device\RUVA2: this one stays out of its way
    UNICODE_STRING simulatorName = Name(SimulatorDeviceName);
    status = IoCreateDevice(driver, 0, &simulatorName, FILE_DEVICE_UNKNOWN, 0, FALSE, &g.Simulator);
    UNICODE_STRING simulatorLink = Name(SimulatorLinkName);
    if (NT_SUCCESS(status)) {
        status = IoCreateSymbolicLink(&simulatorLink, &simulatorName);
        if (!NT_SUCCESS(status))
            IoDeleteDevice(g.Simulator);
    }
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(g.Board);
        return status;
    }
    g.Board->Flags |= DO_BUFFERED_IO;
    g.Simulator->Flags |= DO_BUFFERED_IO;
    g.Board->Flags &= ~DO_DEVICE_INITIALIZING;
    g.Simulator->Flags &= ~DO_DEVICE_INITIALIZING;
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = Unload;
    KeInitializeTimer(&g.Timer);
    KeInitializeDpc(&g.Tick, OnTick, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * TickMilliseconds;
    KeSetTimerEx(&g.Timer, due, TickMilliseconds, &g.Tick);
    return STATUS_SUCCESS;
}
