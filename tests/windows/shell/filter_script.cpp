// Deterministic answers from UnhandledExceptionFilter: a top-level filter that gives scripted answers and
// records the exception codes it was shown; and the codes that faults arrive with here.
#include "tests/windows/shell/filter_script.h"

#include <cstdio>

int32_t filterCalls = 0;
DWORD filterCodes[filterScriptLength] = {};

static LONG scriptedAnswers[filterScriptLength] = {};
static int32_t scriptedCount = 0;

static LONG WINAPI ScriptedFilter(EXCEPTION_POINTERS* pointers)
{
    int32_t call = filterCalls++;
    if (call < filterScriptLength) {
        filterCodes[call] = pointers->ExceptionRecord->ExceptionCode;
    }
    return call < scriptedCount ? scriptedAnswers[call] : EXCEPTION_EXECUTE_HANDLER;
}

FilterScript::FilterScript(const LONG* answers, int32_t count)
{
    filterCalls = 0;
    scriptedCount = count < filterScriptLength ? count : filterScriptLength;
    for (int32_t i = 0; i < scriptedCount; ++i) {
        scriptedAnswers[i] = answers[i];
    }
    previous = SetUnhandledExceptionFilter(ScriptedFilter);
}

FilterScript::~FilterScript()
{
    SetUnhandledExceptionFilter(previous);
}

DWORD ExpectedFaultCode(DWORD native)
{
    static int32_t emulated = -1;
    if (emulated < 0) {
        char value[4] = {};
        emulated =
            sizeof(void*) == 4 && GetEnvironmentVariableA("ORVELLE_32_BIT_EMULATED", value, 4) == 1 && value[0] == '1';
        std::printf("fault codes: %s\n", emulated != 0 ? "32-bit code emulated by qemu-i386: access violations are "
                                                         "expected as 0xC000001D, divisions by zero as 0xC0000090"
                                                       : "code run natively: the exact codes are expected");
    }
    if (emulated == 0) {
        return native;
    }
    switch (native) {
    case EXCEPTION_ACCESS_VIOLATION: return EXCEPTION_ILLEGAL_INSTRUCTION;
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return EXCEPTION_FLT_INVALID_OPERATION;
    default: return native;
    }
}
