// Tests of the fault guard: faults of every kind inside it reach the system's filter, whose answer decides
// between returning from the guard, resuming, or passing the fault outwards; the program runs on after.
#include "windows/shell/fault_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/windows/shell/filter_script.h"

// Other code's handler frames between the guard and a fault. On i386 a frame links a registration record
// into the thread's handler chain; on x86-64 the system finds a frame's handler through the image's unwind
// tables, so the frame is a small assembly function whose unwind information names TestFrameHandler, which
// passes the call on to the handler the test chose.
#if defined(__x86_64__)
extern "C" int32_t CallInHandlerFrame(GuardedFunction function, const void* argument);
extern "C" PEXCEPTION_ROUTINE testFrameHandler;
extern "C" EXCEPTION_DISPOSITION TestFrameHandler(EXCEPTION_RECORD* exception, void* frame, CONTEXT* context,
                                                  void* dispatcher);
PEXCEPTION_ROUTINE testFrameHandler = nullptr;

extern "C" EXCEPTION_DISPOSITION TestFrameHandler(EXCEPTION_RECORD* exception, void* frame, CONTEXT* context,
                                                  void* dispatcher)
{
    return testFrameHandler(exception, frame, context, dispatcher);
}

asm(R"(
    .text
    .globl CallInHandlerFrame
    .def CallInHandlerFrame; .scl 2; .type 32; .endef
    .seh_proc CallInHandlerFrame
CallInHandlerFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler TestFrameHandler, @except, @unwind
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    addq $40, %rsp
    ret
    .seh_endproc
)");
#endif

namespace {

#if defined(__i386__)
// Calls function(argument) beneath a registration record whose handler is handler.
int32_t CallBeneathHandler(PEXCEPTION_ROUTINE handler, GuardedFunction function, const void* argument)
{
    EXCEPTION_REGISTRATION_RECORD record = {};
    record.Next = HandlerChainHead();
    record.Handler = handler;
    SetHandlerChainHead(&record);
    int32_t result = function(argument);
    SetHandlerChainHead(record.Next);
    return result;
}

// The process environment block, from the thread's information block.
uint8_t* ProcessEnvironmentBlock()
{
    uint8_t* block;
    asm volatile("movl %%fs:0x30, %0" : "=r"(block));
    return block;
}
#else
// x86-64 keeps no handler chain on the stack: there is nothing for the guard to leave behind.
void* HandlerChainHead()
{
    return nullptr;
}

int32_t CallBeneathHandler(PEXCEPTION_ROUTINE handler, GuardedFunction function, const void* argument)
{
    PEXCEPTION_ROUTINE outer = testFrameHandler;
    testFrameHandler = handler;
    int32_t result = CallInHandlerFrame(function, argument);
    testFrameHandler = outer;
    return result;
}

uint8_t* ProcessEnvironmentBlock()
{
    uint8_t* block;
    asm volatile("movq %%gs:0x60, %0" : "=r"(block));
    return block;
}
#endif

[[gnu::noinline]] int32_t WriteThroughNull(const void*)
{
    volatile int32_t* volatile nowhere = nullptr;
    *nowhere = 1;
    return 1;
}

[[gnu::noinline]] int32_t DivideByZero(const void*)
{
    volatile int32_t zero = 0;
    return 7 / zero;
}

[[gnu::noinline]] int32_t ExecuteInvalidInstruction(const void*)
{
    __builtin_trap();
}

[[gnu::noinline]] int32_t RaiseOwnException(const void*)
{
    RaiseException(0xE0000001, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 1;
}

[[gnu::noinline]] int32_t FaultDeepDown(const void* depth)
{
    int32_t left = *static_cast<const int32_t*>(depth);
    volatile char stackUse[64] = {};
    if (left == 0) {
        return WriteThroughNull(nullptr) + stackUse[0];
    }
    --left;
    return FaultDeepDown(&left) + stackUse[1];
}

int32_t FaultForty(const void*)
{
    int32_t depth = 40;
    return FaultDeepDown(&depth);
}

// A handler record of some other code between the guard and the fault: it must be asked once during the
// search and, when the guard takes the fault, called once more to unwind.
int32_t recordSearches = 0;
int32_t recordUnwinds = 0;

extern "C" EXCEPTION_DISPOSITION __cdecl RecordingHandler(EXCEPTION_RECORD* exception, void*, CONTEXT*, void*)
{
    if ((exception->ExceptionFlags & EXCEPTION_UNWINDING) != 0) {
        ++recordUnwinds;
    } else {
        ++recordSearches;
    }
    return ExceptionContinueSearch;
}

int32_t FaultBeneathARecord(const void*)
{
    return CallBeneathHandler(reinterpret_cast<PEXCEPTION_ROUTINE>(&RecordingHandler), WriteThroughNull, nullptr);
}

int32_t ReturnArgument(const void* argument)
{
    return *static_cast<const int32_t*>(argument);
}

TEST(FaultGuard, PassesANormalReturnThrough)
{
    const LONG answers[] = {EXCEPTION_EXECUTE_HANDLER};
    FilterScript script(answers, 1);
    const int32_t values[] = {0, 1, -1, INT32_MIN, INT32_MAX};
    for (int32_t value : values) {
        const void* head = HandlerChainHead();
        int32_t result = 12345;
        EXPECT_TRUE(RunUnderFaultGuard(ReturnArgument, &value, &result));
        EXPECT_EQ(result, value);
        EXPECT_EQ(HandlerChainHead(), head);
    }
    EXPECT_EQ(filterCalls, 0);
}

TEST(FaultGuard, ReturnsWhenTheFilterHandlesTheFault)
{
    struct Case {
        const char* fault;
        GuardedFunction function;
        LONG answer;
        DWORD code;
    };
    const DWORD accessViolation = ExpectedFaultCode(EXCEPTION_ACCESS_VIOLATION);
    const Case cases[] = {
        {"write through null", WriteThroughNull, EXCEPTION_EXECUTE_HANDLER, accessViolation},
        {"divide by zero", DivideByZero, EXCEPTION_EXECUTE_HANDLER, ExpectedFaultCode(EXCEPTION_INT_DIVIDE_BY_ZERO)},
        {"invalid instruction", ExecuteInvalidInstruction, EXCEPTION_EXECUTE_HANDLER, EXCEPTION_ILLEGAL_INSTRUCTION},
        {"RaiseException", RaiseOwnException, EXCEPTION_EXECUTE_HANDLER, 0xE0000001},
        {"40 calls deep", FaultForty, EXCEPTION_EXECUTE_HANDLER, accessViolation},
        {"beneath a handler record", FaultBeneathARecord, EXCEPTION_EXECUTE_HANDLER, accessViolation},
        {"any positive answer", WriteThroughNull, 7, accessViolation},
    };
    for (const Case& c : cases) {
        recordSearches = 0;
        recordUnwinds = 0;
        FilterScript script(&c.answer, 1);
        const void* head = HandlerChainHead();
        int32_t result = 0;
        EXPECT_FALSE(RunUnderFaultGuard(c.function, nullptr, &result)) << c.fault;
        EXPECT_EQ(static_cast<DWORD>(result), c.code) << c.fault;
        EXPECT_EQ(filterCalls, 1) << c.fault;
        EXPECT_EQ(filterCodes[0], c.code) << c.fault;
        EXPECT_EQ(HandlerChainHead(), head) << c.fault;
        if (c.function == FaultBeneathARecord) {
            EXPECT_EQ(recordSearches, 1);
            EXPECT_EQ(recordUnwinds, 1);
        }
    }
}

int32_t RaiseContinuableAndGoOn(const void*)
{
    RaiseException(0xE0000002, 0, 0, nullptr);
    return 7;
}

TEST(FaultGuard, ResumesWhenTheFilterSaysContinueExecution)
{
    const LONG answers[] = {EXCEPTION_CONTINUE_EXECUTION};
    FilterScript script(answers, 1);
    int32_t result = 0;
    EXPECT_TRUE(RunUnderFaultGuard(RaiseContinuableAndGoOn, nullptr, &result));
    EXPECT_EQ(result, 7);
    EXPECT_EQ(filterCalls, 1);
}

// UnhandledExceptionFilter answers EXCEPTION_CONTINUE_SEARCH when a debugger is attached, which Wine
// reads from the process environment block's BeingDebugged byte; the test sets that byte around the inner
// guard, and a handler record between the guards clears it again as the fault passes outwards.
volatile uint8_t* BeingDebuggedFlag()
{
    return ProcessEnvironmentBlock() + 2;
}

extern "C" EXCEPTION_DISPOSITION __cdecl ClearDebuggedHandler(EXCEPTION_RECORD* exception, void* frame,
                                                              CONTEXT* context, void* dispatcher)
{
    *BeingDebuggedFlag() = 0;
    return RecordingHandler(exception, frame, context, dispatcher);
}

bool innerGuardReturned = false;

int32_t FaultInInnerGuard(const void*)
{
    *BeingDebuggedFlag() = 1;
    int32_t result = 0;
    RunUnderFaultGuard(WriteThroughNull, nullptr, &result);
    innerGuardReturned = true;
    return 1;
}

int32_t FaultInInnerGuardAsIfDebugged(const void*)
{
    return CallBeneathHandler(reinterpret_cast<PEXCEPTION_ROUTINE>(&ClearDebuggedHandler), FaultInInnerGuard, nullptr);
}

TEST(FaultGuard, PassesTheFaultOutwardsWhenTheFilterSaysContinueSearch)
{
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr) {
        GTEST_SKIP() << "needs Wine, whose filter reads the BeingDebugged byte";
    }
    const LONG answers[] = {EXCEPTION_EXECUTE_HANDLER};
    FilterScript script(answers, 1);
    const void* head = HandlerChainHead();
    innerGuardReturned = false;
    recordSearches = 0;
    recordUnwinds = 0;
    int32_t result = 0;
    EXPECT_FALSE(RunUnderFaultGuard(FaultInInnerGuardAsIfDebugged, nullptr, &result));
    EXPECT_EQ(*BeingDebuggedFlag(), 0);
    EXPECT_EQ(static_cast<DWORD>(result), ExpectedFaultCode(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_FALSE(innerGuardReturned);
    EXPECT_EQ(recordSearches, 1); // passed on by the inner guard
    EXPECT_EQ(recordUnwinds, 1);  // and unwound by the outer one
    EXPECT_EQ(filterCalls, 1);    // only the outer guard's question reached the top-level filter
    EXPECT_EQ(HandlerChainHead(), head);
}

int32_t ThrowAndCatch(const void*)
{
    try {
        throw std::runtime_error("thrown");
    } catch (const std::runtime_error& error) {
        return error.what()[0] == 't' ? 3 : 4;
    }
}

TEST(FaultGuard, ProgramRunsOnAfterHandledFaults)
{
    const LONG answers[] = {EXCEPTION_EXECUTE_HANDLER};
    const void* head = HandlerChainHead();
    for (int32_t round = 0; round < 500; ++round) {
        FilterScript script(answers, 1);
        int32_t result = 0;
        ASSERT_FALSE(RunUnderFaultGuard(round % 2 == 0 ? FaultForty : FaultBeneathARecord, nullptr, &result));
        ASSERT_EQ(HandlerChainHead(), head);
    }
    // C++ exceptions, which unwind by their own tables, still work, inside and outside a guard.
    int32_t result = 0;
    EXPECT_TRUE(RunUnderFaultGuard(ThrowAndCatch, nullptr, &result));
    EXPECT_EQ(result, 3);
    EXPECT_EQ(ThrowAndCatch(nullptr), 3);
}

} // namespace
