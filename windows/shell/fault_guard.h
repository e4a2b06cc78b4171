// A structured-exception guard around a function: a fault inside goes to the system's unhandled-exception
// filter, which decides whether the guard ends the function.
#pragma once

#include <windows.h>

#include <cstdint>

using GuardedFunction = int32_t (*)(const void* argument);

// Calls function(argument) under the guard. A fault raised inside it, however deep, is handed to
// UnhandledExceptionFilter with the fault's exception pointers, and the filter's answer acts as an __except
// filter would: EXCEPTION_EXECUTE_HANDLER (any positive value) unwinds the function's frames, including
// those of the system between them, and returns here; EXCEPTION_CONTINUE_SEARCH passes the fault on to the
// handlers outside the guard; EXCEPTION_CONTINUE_EXECUTION (any negative value) resumes at the fault.
// Returns TRUE and stores the function's result in *result when the function returned, FALSE and stores
// the fault's exception code in *result when the filter chose to handle a fault.
BOOL RunUnderFaultGuard(GuardedFunction function, const void* argument, int32_t* result);

#if defined(__i386__)
// The head of the thread's chain of handler records, the first word of its information block (fs:[0]), and
// setting it: the guard links its record there for the call and unlinks it after.
inline EXCEPTION_REGISTRATION_RECORD* HandlerChainHead()
{
    EXCEPTION_REGISTRATION_RECORD* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

inline void SetHandlerChainHead(EXCEPTION_REGISTRATION_RECORD* head)
{
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}
#endif
