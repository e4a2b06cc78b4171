// A structured-exception guard around a function, built on an exception registration record of its own.
//
// GCC has no __try/__except, so the guard links a registration record into the thread's handler chain
// (fs:[0]) the way the system's compilers do on i386. The record's handler asks UnhandledExceptionFilter;
// when the filter chooses to handle the fault, the handler lets RtlUnwind run the unwind handlers of every
// record above the guard's and unlink them, and then jumps back into RunUnderFaultGuard with the frame and
// stack pointers that __builtin_setjmp saved there.
#include "shell/fault_guard.h"

namespace {

// An EXCEPTION_REGISTRATION_RECORD followed by what the guard needs to get back to its caller.
struct FaultGuardRecord {
    FaultGuardRecord* next;
    void* handler;
    void* resumeContext[5]; // __builtin_setjmp's frame pointer, resume address and stack pointer
    DWORD faultCode;
};

FaultGuardRecord* HandlerChainHead()
{
    FaultGuardRecord* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetHandlerChainHead(FaultGuardRecord* head)
{
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

// Unwinds every handler record above record: RtlUnwind calls their handlers with the unwinding flag and
// unlinks them. RtlUnwind does not keep EBX, ESI, EDI and EBP on every version of Windows, so all four are
// saved around the call; it is given the address right after the call as the place to continue.
__attribute__((noinline)) void UnwindAbove(FaultGuardRecord* record, EXCEPTION_RECORD* exception)
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

} // namespace

// The registration record's handler, called by the system's exception dispatcher (cdecl, as on i386 every
// frame-based handler is). The image has no table of safe handlers and is not marked as using no
// handlers, so the system accepts any handler that lies in the image.
extern "C" EXCEPTION_DISPOSITION __cdecl FaultGuardHandler(EXCEPTION_RECORD* exception, void* establisherFrame,
                                                           CONTEXT* context, void* dispatcherContext)
{
    (void)dispatcherContext;
    // Unwinding passes through the guard without stopping.
    if ((exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) {
        return ExceptionContinueSearch;
    }
    EXCEPTION_POINTERS pointers = {exception, context};
    LONG choice = UnhandledExceptionFilter(&pointers);
    if (choice < 0) {
        return ExceptionContinueExecution;
    }
    if (choice == 0) {
        return ExceptionContinueSearch;
    }
    FaultGuardRecord* record = static_cast<FaultGuardRecord*>(establisherFrame);
    record->faultCode = exception->ExceptionCode;
    UnwindAbove(record, exception);
    __builtin_longjmp(record->resumeContext, 1);
}

BOOL RunUnderFaultGuard(GuardedFunction function, const void* argument, int32_t* result)
{
    // The record lives on this function's stack, as the system requires of registration records.
    FaultGuardRecord record = {};
    record.handler = reinterpret_cast<void*>(&FaultGuardHandler);
    if (__builtin_setjmp(record.resumeContext) == 0) {
        record.next = HandlerChainHead();
        SetHandlerChainHead(&record);
        *result = function(argument);
        SetHandlerChainHead(record.next);
        return TRUE;
    }
    // Back from the handler: the records above the guard are gone; unlink the guard's own.
    SetHandlerChainHead(record.next);
    *result = static_cast<int32_t>(record.faultCode);
    return FALSE;
}
