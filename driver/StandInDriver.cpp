// ruva2sim.sys: the stand-in for the Ruva-2 board driver on a Windows PC without a board. It creates the
// board device \Device\RUVA2 and passes each request, checked against the driver's table, to the
// simulator (ruva2-sim.exe) that serves it over the private device \Device\RUVA2SIM (see
// StandInProtocol.h); it holds no boards itself. \\.\RUVA2 exists only while a simulator is attached,
// so that without one, opening it fails as it does without a driver.
//
// Any local user may send requests, so the rules of kernel code that user memory cannot be trusted hold
// throughout: a caller's buffers are touched only through probes inside an exception handler
// (GuardedCall.h), a reply is written only into memory locked for writing, and every request is refused
// before any of its memory is touched while no simulator is attached. Only SYSTEM and Administrators may
// open the simulator's device, one handle at a time, and only the attached handle's answers are read.
//
// Requests wait in two queues under one spin lock: waiting (not yet handed to the simulator) and handed
// (handed, not yet answered), at most MaxQueued in all. Each pending request has a cancel routine; while
// any waits, a timer fails those that have waited AnswerSeconds for an answer. All of it lives in the
// board device's extension. Freestanding kernel code: no exceptions, RTTI or standard library.

// wdm.h defines two interlocked calls that intrin.h defines already, which C++ refuses: intrin.h's
// are renamed out of the way.
#define InterlockedBitTestAndSet IntrinInterlockedBitTestAndSet
#define InterlockedBitTestAndReset IntrinInterlockedBitTestAndReset
#include <intrin.h>
#undef InterlockedBitTestAndSet
#undef InterlockedBitTestAndReset
#include <ntifs.h>

#include "ControlCodes.h"
#include "GuardedCall.h"
#include "StandInProtocol.h"

using namespace ruva;
using namespace ruva::standin;

namespace {

// The timer's period, and how many periods a request may wait: it fails within AnswerSeconds.
constexpr LONG TickMilliseconds = 500;
constexpr ULONG DeadlineTicks = AnswerSeconds * 1000 / TickMilliseconds;
// The most board requests that wait at once, from all programs together; beyond it a request is
// refused (STATUS_DEVICE_BUSY) instead of held without a bound.
constexpr ULONG MaxQueued = 64;

struct StandIn {
    KSPIN_LOCK Lock;
    PDEVICE_OBJECT Board;
    PDEVICE_OBJECT Simulator;
    const wchar_t* BoardLink; // the name \\.\RUVA2 has while a simulator is attached
    PFILE_OBJECT Opened;      // the simulator device's one handle that was let in
    PFILE_OBJECT Attached;    // the handle that serves; null while none is attached
    bool Detaching;           // its requests are being failed and \\.\RUVA2 removed
    bool Unloading;
    PIRP Serve;               // the simulator's pending SimServe
    LIST_ENTRY Waiting;
    LIST_ENTRY Handed;
    ULONG Queued; // in both queues
    ULONG NextId;
    ULONG Ticks;
    // The deadline timer runs only while requests wait, one shot at a time: a tick sets the other
    // timer for the next one, never its own, which Wine's timers do not allow from their own DPC.
    bool Armed;
    ULONG Spare; // the timer to set next
    KTIMER Timers[2];
    KDPC Ticks_[2];
};

// Both devices' extensions begin with the state's address; the board device's holds the state too.
struct Extension {
    StandIn* State;
};
struct BoardExtension {
    Extension Header;
    StandIn State;
};

StandIn& StateOf(PDEVICE_OBJECT device) {
    return *static_cast<Extension*>(device->DeviceExtension)->State;
}

// Transfer methods: buffered (0), direct with the reply locked for reading (1, "in direct") or for
// writing (2, "out direct"), and neither (3): the caller's own buffers, reachable only in its context.
constexpr ULONG MethodOf(ULONG code) {
    return code & 3;
}
constexpr ULONG MethodInDirect = 1;
constexpr ULONG MethodOutDirect = 2;
constexpr ULONG MethodNeither = 3;

// A pending board request keeps its id, the tick it arrived at, the input of a method-3 request (at
// most a pointer's size) and the reply's pages locked for writing in the driver's context words.
ULONG IdOf(PIRP irp) {
    return static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(irp->Tail.Overlay.DriverContext[0]));
}
ULONG ArrivalOf(PIRP irp) {
    return static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(irp->Tail.Overlay.DriverContext[1]));
}
void* CopiedInputOf(PIRP irp) {
    return &irp->Tail.Overlay.DriverContext[2];
}
PMDL& ReplyPagesOf(PIRP irp) {
    return reinterpret_cast<PMDL&>(irp->Tail.Overlay.DriverContext[3]);
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
    const auto* in = static_cast<const volatile UCHAR*>(from);
    for (ULONG i = 0; i < count; ++i)
        out[i] = in[i];
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information = 0) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// The caller's memory, through the guarded steps below.
struct CallerCopy {
    void* To;
    const void* From;
    ULONG Count;
    KPROCESSOR_MODE Mode;
};
long CopyFromCaller(void* context) {
    const auto& copy = *static_cast<CallerCopy*>(context);
    if (copy.Mode != KernelMode)
        ProbeForRead(const_cast<void*>(copy.From), copy.Count, 1);
    CopyBytes(copy.To, copy.From, copy.Count);
    return STATUS_SUCCESS;
}
struct LockForWrite {
    PMDL Pages;
    void* Address;
    ULONG Length;
    KPROCESSOR_MODE Mode;
};
long LockPagesForWrite(void* context) {
    const auto& lock = *static_cast<LockForWrite*>(context);
    if (lock.Mode != KernelMode)
        ProbeForWrite(lock.Address, lock.Length, 1);
    MmProbeAndLockPages(lock.Pages, lock.Mode, IoWriteAccess);
    return STATUS_SUCCESS;
}

// The `length` bytes at the caller's `address` locked for writing; an exception's status otherwise.
NTSTATUS LockReplyPages(PIRP irp, void* address, ULONG length) {
    const PMDL pages = IoAllocateMdl(address, length, FALSE, FALSE, nullptr);
    if (pages == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    LockForWrite lock{pages, address, length, irp->RequestorMode};
    const NTSTATUS status = RuvaGuardedCall(LockPagesForWrite, &lock);
    if (!NT_SUCCESS(status)) {
        IoFreeMdl(pages);
        return status;
    }
    ReplyPagesOf(irp) = pages;
    return STATUS_SUCCESS;
}

void ReleaseReplyPages(PIRP irp) {
    if (const PMDL pages = ReplyPagesOf(irp)) {
        if (pages->MdlFlags & MDL_PAGES_LOCKED)
            MmUnlockPages(pages);
        IoFreeMdl(pages);
        ReplyPagesOf(irp) = nullptr;
    }
}

// The board request's reply block: the system buffer for buffered codes, the pages locked for writing
// otherwise (by the I/O manager for "out direct" codes, here for the others).
void* ReplyBlock(PIRP irp) {
    PMDL pages = ReplyPagesOf(irp);
    if (pages == nullptr && MethodOf(IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.IoControlCode) ==
                                MethodOutDirect)
        pages = irp->MdlAddress;
    if (pages == nullptr)
        return irp->AssociatedIrp.SystemBuffer;
    void* mapped = MmGetSystemAddressForMdlSafe(pages, NormalPagePriority);
    // Wine neither locks nor maps pages: there the caller's buffer lies in the driver's own host
    // process, where the answer is completed too. Windows locks them, and a mapping that fails there
    // fails the request.
    if (mapped == nullptr && !(pages->MdlFlags & MDL_PAGES_LOCKED))
        mapped = MmGetMdlVirtualAddress(pages);
    return mapped;
}

// Ends a board request taken out of its queue: with `count` bytes of reply on success. True when the
// caller received this outcome; false when it failed instead (a reply that could not be written).
bool Finish(PIRP irp, NTSTATUS status, const UCHAR* data = nullptr, ULONG count = 0) {
    const ULONG capacity = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
    bool delivered = true;
    if (NT_SUCCESS(status)) {
        void* reply = ReplyBlock(irp);
        if (count > capacity || (count > 0 && reply == nullptr)) {
            status = STATUS_INVALID_PARAMETER;
            count = 0;
            delivered = false;
        } else {
            CopyBytes(reply, data, count);
        }
    }
    ReleaseReplyPages(irp);
    Complete(irp, status, NT_SUCCESS(status) ? count : 0);
    return delivered;
}

void CompleteAll(PLIST_ENTRY list, NTSTATUS status) {
    while (!IsListEmpty(list))
        Finish(IrpOf(RemoveHeadList(list)), status);
}

// Takes a queued request out of its queue for completion, under the lock. False when its cancel routine
// runs already: that takes it out and completes it.
bool Take(StandIn& s, PIRP irp) {
    if (IoSetCancelRoutine(irp, nullptr) == nullptr)
        return false;
    RemoveEntryList(EntryOf(irp));
    InitializeListHead(EntryOf(irp));
    --s.Queued;
    return true;
}

// Moves the queued requests that `chosen` picks from `queue` into `into`, under the lock.
template <typename Choice>
void TakeQueued(StandIn& s, PLIST_ENTRY queue, PLIST_ENTRY into, Choice chosen) {
    for (PLIST_ENTRY entry = queue->Flink; entry != queue;) {
        PIRP irp = IrpOf(entry);
        entry = entry->Flink;
        if (chosen(irp) && Take(s, irp))
            InsertTailList(into, EntryOf(irp));
    }
}

VOID NTAPI CancelQueued(PDEVICE_OBJECT device, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    StandIn& s = StateOf(device);
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    RemoveEntryList(EntryOf(irp));
    InitializeListHead(EntryOf(irp));
    --s.Queued;
    KeReleaseSpinLock(&s.Lock, irql);
    Finish(irp, STATUS_CANCELLED);
}

VOID NTAPI CancelServe(PDEVICE_OBJECT device, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    StandIn& s = StateOf(device);
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    if (s.Serve == irp)
        s.Serve = nullptr;
    KeReleaseSpinLock(&s.Lock, irql);
    Complete(irp, STATUS_CANCELLED);
}

// Gives `irp` its cancel routine, under the lock. False when it was cancelled already (the caller
// completes it).
bool MakeCancellable(PIRP irp, PDRIVER_CANCEL cancel) {
    static_cast<void>(IoSetCancelRoutine(irp, cancel));
    return !(irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr);
}

// Sets the spare timer for the next tick unless one is set already, under the lock. True when the
// caller is to set it (after letting go of the lock): `which`.
bool NextTick(StandIn& s, ULONG& which) {
    if (s.Armed || s.Unloading)
        return false;
    s.Armed = true;
    which = s.Spare;
    return true;
}

void SetTimer(StandIn& s, ULONG which) {
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * TickMilliseconds;
    KeSetTimer(&s.Timers[which], due, &s.Ticks_[which]);
}

// Once per tick while requests wait: fails those that have waited too long.
VOID NTAPI OnTick(PKDPC dpc, PVOID context, PVOID, PVOID) {
    StandIn& s = *static_cast<StandIn*>(context);
    LIST_ENTRY late;
    InitializeListHead(&late);
    // KeAcquireSpinLock rather than the variant for DPC level, which Wine lacks.
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    ++s.Ticks;
    s.Armed = false;
    s.Spare = dpc == &s.Ticks_[0] ? 1 : 0;
    const auto due = [&s](PIRP irp) { return s.Ticks - ArrivalOf(irp) >= DeadlineTicks; };
    TakeQueued(s, &s.Waiting, &late, due);
    TakeQueued(s, &s.Handed, &late, due);
    ULONG which = 0;
    const bool again = s.Queued > 0 && NextTick(s, which);
    KeReleaseSpinLock(&s.Lock, irql);
    if (again)
        SetTimer(s, which);
    CompleteAll(&late, STATUS_IO_TIMEOUT);
}

// Hands the oldest waiting request to the simulator when its SimServe is pending.
void Pump(StandIn& s) {
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    PIRP serve = nullptr;
    ULONG length = 0;
    if (s.Serve != nullptr && !IsListEmpty(&s.Waiting) && IoSetCancelRoutine(s.Serve, nullptr) != nullptr) {
        serve = s.Serve;
        s.Serve = nullptr;
        // The request stays cancellable: it only moves to the other queue.
        PIRP request = IrpOf(RemoveHeadList(&s.Waiting));
        InsertTailList(&s.Handed, EntryOf(request));
        const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(request);
        const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
        const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
        auto* out = static_cast<UCHAR*>(serve->AssociatedIrp.SystemBuffer);
        WriteWord(out, IdOf(request));
        WriteWord(out + 4, code);
        WriteWord(out + 8, inputLength);
        WriteWord(out + 12, stack->Parameters.DeviceIoControl.OutputBufferLength);
        CopyBytes(out + HandedHeaderSize,
                  MethodOf(code) == MethodNeither ? CopiedInputOf(request) : request->AssociatedIrp.SystemBuffer,
                  inputLength);
        length = HandedHeaderSize + inputLength;
    }
    KeReleaseSpinLock(&s.Lock, irql);
    if (serve != nullptr)
        Complete(serve, STATUS_SUCCESS, length);
}

// Completes the handed request `id` with the simulator's answer. False when no program received it:
// the request is gone (timed out, cancelled), or its reply could not be written.
bool Answer(StandIn& s, ULONG id, bool ok, const UCHAR* data, ULONG count) {
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    PIRP request = nullptr;
    for (PLIST_ENTRY entry = s.Handed.Flink; entry != &s.Handed; entry = entry->Flink) {
        if (IdOf(IrpOf(entry)) == id) {
            request = Take(s, IrpOf(entry)) ? IrpOf(entry) : nullptr;
            break;
        }
    }
    KeReleaseSpinLock(&s.Lock, irql);
    return request != nullptr && Finish(request, ok ? STATUS_SUCCESS : STATUS_UNSUCCESSFUL, data, count);
}

// The link \\.\RUVA2 in the global namespace, seen from every session; on a system without sessions
// (and under Wine) the plain name.
NTSTATUS CreateBoardLink(StandIn& s) {
    UNICODE_STRING device = Name(BoardDeviceName);
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    for (const wchar_t* name : BoardLinkNames) {
        UNICODE_STRING link = Name(name);
        status = IoCreateSymbolicLink(&link, &device);
        if (NT_SUCCESS(status)) {
            s.BoardLink = name;
            break;
        }
        if (status == STATUS_OBJECT_NAME_COLLISION)
            break; // another driver's \\.\RUVA2
    }
    return status;
}

NTSTATUS Attach(StandIn& s, PFILE_OBJECT file) {
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    const NTSTATUS refused = file != s.Opened ? STATUS_ACCESS_DENIED
                             : s.Attached != nullptr ? STATUS_DEVICE_BUSY
                                                     : STATUS_SUCCESS;
    if (NT_SUCCESS(refused))
        s.Attached = file;
    KeReleaseSpinLock(&s.Lock, irql);
    if (!NT_SUCCESS(refused))
        return refused;
    const NTSTATUS status = CreateBoardLink(s);
    if (!NT_SUCCESS(status)) {
        KeAcquireSpinLock(&s.Lock, &irql);
        s.Attached = nullptr;
        KeReleaseSpinLock(&s.Lock, irql);
    }
    return status;
}

// The simulator's handle is closing: everything waiting for it fails, and \\.\RUVA2 goes away. Requests
// never handed over fail as if no simulator had been attached (nothing of them reached one); those
// handed over as cut off.
void Detach(StandIn& s, PFILE_OBJECT file) {
    LIST_ENTRY waiting;
    LIST_ENTRY handed;
    InitializeListHead(&waiting);
    InitializeListHead(&handed);
    PIRP serve = nullptr;
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    if (s.Attached != file || file == nullptr || s.Detaching) {
        KeReleaseSpinLock(&s.Lock, irql);
        return;
    }
    s.Detaching = true;
    if (s.Serve != nullptr && IoSetCancelRoutine(s.Serve, nullptr) != nullptr) {
        serve = s.Serve;
        s.Serve = nullptr;
    }
    const auto every = [](PIRP) { return true; };
    TakeQueued(s, &s.Waiting, &waiting, every);
    TakeQueued(s, &s.Handed, &handed, every);
    KeReleaseSpinLock(&s.Lock, irql);
    if (serve != nullptr)
        Complete(serve, STATUS_CANCELLED);
    CompleteAll(&waiting, STATUS_DEVICE_NOT_CONNECTED);
    CompleteAll(&handed, STATUS_CONNECTION_ABORTED);
    UNICODE_STRING link = Name(s.BoardLink);
    IoDeleteSymbolicLink(&link);
    KeAcquireSpinLock(&s.Lock, &irql);
    s.Attached = nullptr;
    s.Detaching = false;
    KeReleaseSpinLock(&s.Lock, irql);
}

// Whether requests are taken now: a simulator is attached (and not going), and the queues have room.
NTSTATUS Admission(const StandIn& s) {
    if (s.Attached == nullptr || s.Detaching)
        return STATUS_DEVICE_NOT_CONNECTED;
    return s.Queued < MaxQueued ? STATUS_SUCCESS : STATUS_DEVICE_BUSY;
}

// A program's request on the board device: exactly one of the driver's codes with its input length and
// reply capacity, queued for the simulator. Nothing of the caller's memory is touched until it is known
// that a simulator takes requests.
NTSTATUS BoardRequest(StandIn& s, PIRP irp, PIO_STACK_LOCATION stack) {
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const RequestLayout* layout = FindRequest(code);
    if (layout == nullptr)
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    const ULONG method = MethodOf(code);
    if (stack->Parameters.DeviceIoControl.InputBufferLength != layout->InputSize ||
        stack->Parameters.DeviceIoControl.OutputBufferLength != layout->ReplySize ||
        (method == MethodNeither ? layout->InputSize > sizeof(PVOID) || irp->UserBuffer == nullptr ||
                                       stack->Parameters.DeviceIoControl.Type3InputBuffer == nullptr
                                 : method != 0 && irp->MdlAddress == nullptr) ||
        (method != MethodNeither && layout->InputSize > 0 && irp->AssociatedIrp.SystemBuffer == nullptr))
        return Complete(irp, STATUS_INVALID_PARAMETER);
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    NTSTATUS status = Admission(s);
    KeReleaseSpinLock(&s.Lock, irql);
    if (!NT_SUCCESS(status))
        return Complete(irp, status);

    const auto replyLength = static_cast<ULONG>(layout->ReplySize);
    ReplyPagesOf(irp) = nullptr;
    if (method == MethodNeither) {
        irp->Tail.Overlay.DriverContext[2] = nullptr;
        CallerCopy input{CopiedInputOf(irp), stack->Parameters.DeviceIoControl.Type3InputBuffer,
                         static_cast<ULONG>(layout->InputSize), irp->RequestorMode};
        status = RuvaGuardedCall(CopyFromCaller, &input);
        if (NT_SUCCESS(status))
            status = LockReplyPages(irp, irp->UserBuffer, replyLength);
    } else if (method == MethodInDirect) {
        // The I/O manager locked the reply for reading only: the same pages, locked once more for
        // writing, take the reply.
        status = LockReplyPages(irp, MmGetMdlVirtualAddress(irp->MdlAddress), replyLength);
    }
    if (!NT_SUCCESS(status))
        return Complete(irp, status);

    KeAcquireSpinLock(&s.Lock, &irql);
    status = Admission(s);
    if (NT_SUCCESS(status) && !MakeCancellable(irp, CancelQueued))
        status = STATUS_CANCELLED;
    if (!NT_SUCCESS(status)) {
        KeReleaseSpinLock(&s.Lock, irql);
        Finish(irp, status);
        return status;
    }
    if (++s.NextId == 0)
        ++s.NextId;
    irp->Tail.Overlay.DriverContext[0] = reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(s.NextId));
    irp->Tail.Overlay.DriverContext[1] = reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(s.Ticks));
    IoMarkIrpPending(irp);
    InsertTailList(&s.Waiting, EntryOf(irp));
    ++s.Queued;
    ULONG which = 0;
    const bool tick = NextTick(s, which);
    KeReleaseSpinLock(&s.Lock, irql);
    if (tick)
        SetTimer(s, which);
    Pump(s);
    return STATUS_PENDING;
}

// SimServe: the answer to the last request handed over, then the wait for the next one. Only the
// attached simulator's handle serves; another's request is refused before its input is read. An answer
// that no program received is reported back at once (LateNoticeSize) so that the simulator undoes it.
NTSTATUS ServeRequest(StandIn& s, PIRP irp, PIO_STACK_LOCATION stack) {
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    const bool serving = s.Attached == stack->FileObject && !s.Detaching;
    KeReleaseSpinLock(&s.Lock, irql);
    if (!serving)
        return Complete(irp, STATUS_ACCESS_DENIED);
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    auto* buffer = static_cast<UCHAR*>(irp->AssociatedIrp.SystemBuffer);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < ServeBufferSize || buffer == nullptr)
        return Complete(irp, STATUS_INVALID_PARAMETER);
    if (inputLength > 0) {
        if (inputLength < AnswerHeaderSize || inputLength > ServeBufferSize)
            return Complete(irp, STATUS_INVALID_PARAMETER);
        const ULONG id = ReadWord(buffer);
        const ULONG count = ReadWord(buffer + 8);
        if (count > inputLength - AnswerHeaderSize)
            return Complete(irp, STATUS_INVALID_PARAMETER);
        if (!Answer(s, id, ReadWord(buffer + 4) == 1, buffer + AnswerHeaderSize, count)) {
            WriteWord(buffer, id);
            return Complete(irp, STATUS_SUCCESS, LateNoticeSize);
        }
    }
    KeAcquireSpinLock(&s.Lock, &irql);
    NTSTATUS refused = s.Attached != stack->FileObject || s.Detaching || s.Serve != nullptr
                           ? STATUS_INVALID_DEVICE_STATE
                       : !MakeCancellable(irp, CancelServe) ? STATUS_CANCELLED
                                                            : STATUS_SUCCESS;
    if (NT_SUCCESS(refused)) {
        IoMarkIrpPending(irp);
        s.Serve = irp;
    }
    KeReleaseSpinLock(&s.Lock, irql);
    if (!NT_SUCCESS(refused))
        return Complete(irp, refused);
    Pump(s);
    return STATUS_PENDING;
}

NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    StandIn& s = StateOf(device);
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == s.Board)
        return BoardRequest(s, irp, stack);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case SimAttach:
        return Complete(irp, Attach(s, stack->FileObject));
    case SimServe:
        return ServeRequest(s, irp, stack);
    default:
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
}

// Opening: the board device while a simulator is attached; the simulator's device by one handle at a
// time (Windows refuses a second open of the exclusive device itself; Wine does not, and a failed open
// still gives a handle there, so the handle let in is remembered).
NTSTATUS Open(StandIn& s, PDEVICE_OBJECT device, PFILE_OBJECT file) {
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    NTSTATUS status = STATUS_SUCCESS;
    if (device == s.Board) {
        if (s.Attached == nullptr || s.Detaching)
            status = STATUS_DEVICE_NOT_CONNECTED;
    } else if (s.Opened != nullptr) {
        status = STATUS_SHARING_VIOLATION;
    } else {
        s.Opened = file;
    }
    KeReleaseSpinLock(&s.Lock, irql);
    return status;
}

// A handle's last close (cleanup; Wine sends only the close): on the board device its requests still
// queued fail; on the simulator's, the simulator detaches.
void Close(StandIn& s, PDEVICE_OBJECT device, PFILE_OBJECT file) {
    if (device == s.Board) {
        LIST_ENTRY closed;
        InitializeListHead(&closed);
        const auto ofFile = [file](PIRP irp) { return IoGetCurrentIrpStackLocation(irp)->FileObject == file; };
        KIRQL irql;
        KeAcquireSpinLock(&s.Lock, &irql);
        TakeQueued(s, &s.Waiting, &closed, ofFile);
        TakeQueued(s, &s.Handed, &closed, ofFile);
        KeReleaseSpinLock(&s.Lock, irql);
        CompleteAll(&closed, STATUS_CANCELLED);
        return;
    }
    Detach(s, file);
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    if (s.Opened == file)
        s.Opened = nullptr;
    KeReleaseSpinLock(&s.Lock, irql);
}

NTSTATUS NTAPI DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    StandIn& s = StateOf(device);
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->MajorFunction == IRP_MJ_CREATE)
        return Complete(irp, Open(s, device, stack->FileObject));
    Close(s, device, stack->FileObject);
    return Complete(irp, STATUS_SUCCESS);
}

VOID NTAPI Unload(PDRIVER_OBJECT driver) {
    StandIn& s = StateOf(driver->DeviceObject);
    KIRQL irql;
    KeAcquireSpinLock(&s.Lock, &irql);
    PFILE_OBJECT attached = s.Attached;
    s.Unloading = true; // no tick sets a timer again
    KeReleaseSpinLock(&s.Lock, irql);
    Detach(s, attached);
    for (KTIMER& timer : s.Timers)
        KeCancelTimer(&timer);
    KeFlushQueuedDpcs();
    UNICODE_STRING link = Name(SimulatorLinkName);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(s.Simulator);
    IoDeleteDevice(s.Board); // the state with it
}

// Security identifiers, laid out as the system's SID with room for two subauthorities.
struct Sid {
    UCHAR Revision;
    UCHAR SubAuthorityCount;
    UCHAR Authority[6];
    ULONG SubAuthority[2];
};
constexpr Sid LocalSystem{1, 1, {0, 0, 0, 0, 0, 5}, {18, 0}};     // S-1-5-18
constexpr Sid Administrators{1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}}; // S-1-5-32-544
constexpr Sid Everyone{1, 1, {0, 0, 0, 0, 0, 1}, {0, 0}};          // S-1-1-0

// Gives `device` a discretionary access list: full access for SYSTEM and Administrators, and with
// `everyone` read and write access (to send requests) for every user.
NTSTATUS Secure(PDEVICE_OBJECT device, bool everyone) {
    union {
        ACL Head;
        UCHAR Bytes[256];
    } acl;
    SECURITY_DESCRIPTOR descriptor;
    NTSTATUS status = RtlCreateSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(status))
        status = RtlCreateAcl(&acl.Head, sizeof acl, ACL_REVISION);
    const Sid* const owners[] = {&LocalSystem, &Administrators};
    for (const Sid* sid : owners)
        if (NT_SUCCESS(status))
            status = RtlAddAccessAllowedAce(&acl.Head, ACL_REVISION, FILE_ALL_ACCESS,
                                            const_cast<PSID>(static_cast<const void*>(sid)));
    if (NT_SUCCESS(status) && everyone)
        status = RtlAddAccessAllowedAce(&acl.Head, ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE,
                                        const_cast<PSID>(static_cast<const void*>(&Everyone)));
    if (NT_SUCCESS(status))
        status = RtlSetDaclSecurityDescriptor(&descriptor, TRUE, &acl.Head, FALSE);
    // Through a kernel handle to the device object itself, which sets the device's own descriptor.
    HANDLE handle = nullptr;
    if (NT_SUCCESS(status))
        status = ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, nullptr, WRITE_DAC, nullptr, KernelMode, &handle);
    if (NT_SUCCESS(status)) {
        status = ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &descriptor);
        ZwClose(handle);
    }
    return status;
}

// Creates both devices with their state, the simulator's link last; nothing reaches them before the
// state is ready.
NTSTATUS CreateDevices(PDRIVER_OBJECT driver) {
    UNICODE_STRING boardName = Name(BoardDeviceName);
    PDEVICE_OBJECT board = nullptr;
    NTSTATUS status = IoCreateDevice(driver, sizeof(BoardExtension), &boardName, FILE_DEVICE_UNKNOWN,
                                     FILE_DEVICE_SECURE_OPEN, FALSE, &board);
    if (!NT_SUCCESS(status))
        return status; // another driver's \Device\RUVA2: this one stays out of its way
    auto* extension = static_cast<BoardExtension*>(board->DeviceExtension);
    StandIn& s = extension->State;
    extension->Header.State = &s;
    s.Board = board;
    KeInitializeSpinLock(&s.Lock);
    InitializeListHead(&s.Waiting);
    InitializeListHead(&s.Handed);
    s.BoardLink = BoardLinkNames[0];
    for (ULONG i = 0; i < 2; ++i) {
        KeInitializeTimer(&s.Timers[i]);
        KeInitializeDpc(&s.Ticks_[i], OnTick, &s);
    }
    UNICODE_STRING simulatorName = Name(SimulatorDeviceName);
    status = IoCreateDevice(driver, sizeof(Extension), &simulatorName, FILE_DEVICE_UNKNOWN,
                            FILE_DEVICE_SECURE_OPEN, TRUE, &s.Simulator);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(board);
        return status;
    }
    static_cast<Extension*>(s.Simulator->DeviceExtension)->State = &s;
    status = Secure(board, true);
    if (NT_SUCCESS(status))
        status = Secure(s.Simulator, false);
    PDEVICE_OBJECT const devices[] = {board, s.Simulator};
    for (PDEVICE_OBJECT device : devices) {
        device->Flags |= DO_BUFFERED_IO;
        device->Flags &= ~DO_DEVICE_INITIALIZING;
    }
    UNICODE_STRING simulatorLink = Name(SimulatorLinkName);
    if (NT_SUCCESS(status))
        status = IoCreateSymbolicLink(&simulatorLink, &simulatorName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(s.Simulator);
        IoDeleteDevice(board);
    }
    return status;
}

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    const NTSTATUS status = CreateDevices(driver);
    if (NT_SUCCESS(status))
        driver->DriverUnload = Unload;
    return status;
}
