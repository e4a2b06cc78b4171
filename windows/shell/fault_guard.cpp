// A structured-exception guard around a function, built by hand because GCC has no __try/__except.
//
// On i386 the guard links a registration record into the thread's handler chain (fs:[0]) the way the
// system's compilers do. The record's handler asks UnhandledExceptionFilter; when the filter chooses to
// handle the fault, the handler lets RtlUnwind run the unwind handlers of every record above the guard's and
// unlink them, and then jumps back into RunUnderFaultGuard with the frame and stack pointers that
// __builtin_setjmp saved there.
//
// On x86-64 the system finds handlers through the image's unwind tables instead of a chain on the stack, so
// the guard is a small assembly frame whose unwind information names the guard's handler. When the filter
// chooses to handle a fault, RtlUnwindEx unwinds every frame above the guard's (calling their handlers with
// the unwinding flag) and resumes at the guard's landing point with the fault's code.
#include "windows/shell/fault_guard.h"

namespace {

// Asks the system's filter about a fault raised inside the guard. Returns true when the guard is to end the
// function; otherwise disposition is the handler's answer: search on (an unwind also passes through the
// guard this way) or resume at the fault.
bool FilterTakesFault(EXCEPTION_RECORD* exception, CONTEXT* context, EXCEPTION_DISPOSITION& disposition)
{
    disposition = ExceptionContinueSearch;
    // Unwinding passes through the guard without stopping.
    if ((exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0)
        return false;
    EXCEPTION_POINTERS pointers = {exception, context};
    const LONG choice = UnhandledExceptionFilter(&pointers);
    if (choice < 0)
        disposition = ExceptionContinueExecution;
    return choice > 0;
}

} // namespace

#if defined(__i386__)

namespace {

// A registration record followed by what the guard needs to get back to its caller.
struct FaultGuardRecord {
    EXCEPTION_REGISTRATION_RECORD link; // first, so that the handler's establisher frame is the whole record
    void* resumeContext[5];             // __builtin_setjmp's frame pointer, resume address and stack pointer
    DWORD faultCode;
};

// Unwinds every handler record above record: RtlUnwind calls their handlers with the unwinding flag and
// unlinks them. RtlUnwind does not keep EBX, ESI, EDI and EBP on every version of Windows, so all four are
// saved around the call; it is given the address right after the call as the place to continue.
[[gnu::noinline]] void UnwindAbove(FaultGuardRecord* record, EXCEPTION_RECORD* exception)
{
    void* unwind = reinterpret_cast<void*>(&RtlUnwind);
    asm volatile("pushl %%ebp\n\t"
                 "pushl $0\n\t"  // return value
                 "pushl %1\n\t"  // exception record
                 "pushl $1f\n\t" // where to continue
                 "pushl %0\n\t"  // target record
                 "call *%2\n"
                 "1:\n\t"
                 "popl %%ebp"
                 : "+a"(record), "+c"(exception), "+d"(unwind)
                 :
                 : "ebx", "esi", "edi", "memory", "cc");
}

// The registration record's handler, called by the system's exception dispatcher (cdecl, as on i386 every
// frame-based handler is). The image has no table of safe handlers and is not marked as using no
// handlers, so the system accepts any handler that lies in the image.
EXCEPTION_DISPOSITION __cdecl FaultGuardHandler(EXCEPTION_RECORD* exception, void* establisherFrame, CONTEXT* context,
                                                void* dispatcherContext)
{
    (void)dispatcherContext;
    EXCEPTION_DISPOSITION disposition;
    if (!FilterTakesFault(exception, context, disposition))
        return disposition;
    FaultGuardRecord* record = static_cast<FaultGuardRecord*>(establisherFrame);
    record->faultCode = exception->ExceptionCode;
    UnwindAbove(record, exception);
    __builtin_longjmp(record->resumeContext, 1);
}

} // namespace

BOOL RunUnderFaultGuard(GuardedFunction function, const void* argument, int32_t* result)
{
    // The record lives on this function's stack, as the system requires of registration records.
    FaultGuardRecord record = {};
    record.link.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&FaultGuardHandler);
    if (__builtin_setjmp(record.resumeContext) == 0) {
        record.link.Next = HandlerChainHead();
        SetHandlerChainHead(&record.link);
        *result = function(argument);
        SetHandlerChainHead(record.link.Next);
        return TRUE;
    }
    // Back from the handler: the records above the guard are gone; unlink the guard's own.
    SetHandlerChainHead(record.link.Next);
    *result = static_cast<int32_t>(record.faultCode);
    return FALSE;
}

#elif defined(__x86_64__)

// GuardedCall(function, argument) calls function(argument) in a frame of its own whose language handler is
// FaultGuardHandler. A normal return leaves the function's 32-bit result zero-extended in RAX; a handled
// fault lands on GuardedCallLanding with bit 32 set and the fault's code below it.
extern "C" uint64_t GuardedCall(GuardedFunction function, const void* argument);
extern "C" char GuardedCallLanding[];
// Named by the frame's unwind information below, so it keeps its unmangled external name.
extern "C" EXCEPTION_DISPOSITION FaultGuardHandler(EXCEPTION_RECORD* exception, void* establisherFrame,
                                                   CONTEXT* context, DISPATCHER_CONTEXT* dispatcher);

asm(R"(
    .text
    .globl GuardedCall
    .def GuardedCall; .scl 2; .type 32; .endef
    .seh_proc GuardedCall
GuardedCall:
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    subq $32, %rsp
    .seh_stackalloc 32
    .seh_endprologue
    .seh_handler FaultGuardHandler, @except
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    movl %eax, %eax
    .globl GuardedCallLanding
GuardedCallLanding:
    nop
    movq %rbp, %rsp
    popq %rbp
    ret
    .seh_endproc
)");

namespace {

constexpr uint64_t faultLanded = uint64_t{1} << 32;

} // namespace

// The guard frame's language handler, called by the system's exception dispatcher for faults raised in the
// frames the guard encloses.
extern "C" EXCEPTION_DISPOSITION FaultGuardHandler(EXCEPTION_RECORD* exception, void* establisherFrame,
                                                   CONTEXT* context, DISPATCHER_CONTEXT* dispatcher)
{
    EXCEPTION_DISPOSITION disposition;
    if (!FilterTakesFault(exception, context, disposition))
        return disposition;
    RtlUnwindEx(establisherFrame, GuardedCallLanding, exception,
                reinterpret_cast<void*>(faultLanded | exception->ExceptionCode), dispatcher->ContextRecord,
                dispatcher->HistoryTable);
    return ExceptionContinueSearch; // RtlUnwindEx does not return
}

BOOL RunUnderFaultGuard(GuardedFunction function, const void* argument, int32_t* result)
{
    const uint64_t outcome = GuardedCall(function, argument);
    *result = static_cast<int32_t>(static_cast<uint32_t>(outcome));
    return (outcome & faultLanded) == 0 ? TRUE : FALSE;
}

#else
#error "the fault guard is written for i386 and x86-64"
#endif
