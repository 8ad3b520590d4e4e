// RuvaGuardedCall on x86_64 (see GuardedCall.h): the handler is named in this function's unwind
// information. It unwinds the step's frames with RtlUnwindEx, as a compiler's __except does, which
// resumes at .Lresume on this frame with the exception's code in eax and every callee-saved register
// restored.
    .text
    .globl  RuvaGuardedCall
    .def    RuvaGuardedCall; .scl 2; .type 32; .endef
    .seh_proc RuvaGuardedCall
RuvaGuardedCall:                    // long RuvaGuardedCall(GuardedStep step, void* context)
    subq    $40, %rsp               // the callee's home space, and alignment
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler RuvaGuardHandler, @except
    movq    %rcx, %rax
    movq    %rdx, %rcx
    callq   *%rax
    nop                             // the return address stays inside this function
.Lresume:
    addq    $40, %rsp
    ret
    .seh_endproc

    .def    RuvaGuardHandler; .scl 3; .type 32; .endef
    .seh_proc RuvaGuardHandler
RuvaGuardHandler:                   // EXCEPTION_DISPOSITION (record, frame, context, dispatcher)
    subq    $56, %rsp
    .seh_stackalloc 56
    .seh_endprologue
    movl    $1, %eax                // ExceptionContinueSearch
    testl   $0x66, 4(%rcx)          // ExceptionFlags: any of the unwinding flags
    jnz     .Ldone
    movq    %r8, 32(%rsp)           // the context, as scratch for the unwind
    movq    $0, 40(%rsp)            // no history table
    movl    (%rcx), %r9d            // ExceptionCode: the value resumed with
    movq    %rcx, %r8               // the exception
    movq    %rdx, %rcx              // RuvaGuardedCall's frame
    leaq    .Lresume(%rip), %rdx    // and where it resumes
    callq   RtlUnwindEx
.Ldone:
    addq    $56, %rsp
    ret
    .seh_endproc
