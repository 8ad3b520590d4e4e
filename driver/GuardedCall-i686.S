// RuvaGuardedCall on i686 (see GuardedCall.h): an exception registration record on this frame, linked
// at the head of the thread's chain (fs:0) while the step runs. Its handler unwinds the records above
// it with RtlUnwind, as a compiler's __except does, and resumes here with the exception's code.
    .text
    .globl  _RuvaGuardedCall
    .def    _RuvaGuardedCall; .scl 2; .type 32; .endef
_RuvaGuardedCall:                   // long RuvaGuardedCall(GuardedStep step, void* context), cdecl
    pushl   %ebp
    movl    %esp, %ebp
    pushl   %ebx
    pushl   %esi
    pushl   %edi
    pushl   $_RuvaGuardHandler      // the record: the previous record, then the handler
    pushl   %fs:0
    movl    %esp, %fs:0
    pushl   12(%ebp)
    call    *8(%ebp)                // the step, cdecl
    addl    $4, %esp
.Lleave:                            // esp: the record; eax: the result
    popl    %ecx
    movl    %ecx, %fs:0
    addl    $4, %esp
    popl    %edi
    popl    %esi
    popl    %ebx
    popl    %ebp
    ret

    .def    _RuvaGuardHandler; .scl 3; .type 32; .endef
_RuvaGuardHandler:                  // EXCEPTION_DISPOSITION (record, frame, context, dispatcher), cdecl
    movl    4(%esp), %eax
    testl   $6, 4(%eax)             // ExceptionFlags: EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
    jnz     .Lsearch
    movl    8(%esp), %ebx           // this frame's record, which stays at the head of the chain
    movl    %eax, %esi
    pushl   $0                      // RtlUnwind(record, resume, exception, 0), stdcall
    pushl   %eax
    pushl   $.Lunwound
    pushl   %ebx
    call    _RtlUnwind@16
.Lunwound:
    movl    (%esi), %eax            // ExceptionCode: the result
    movl    %ebx, %esp              // back on RuvaGuardedCall's frame; its saved registers follow
    jmp     .Lleave
.Lsearch:
    movl    $1, %eax                // ExceptionContinueSearch
    ret
