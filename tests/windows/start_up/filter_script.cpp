// Deterministic answers from UnhandledExceptionFilter: a top-level filter that gives scripted answers and
// records the exception codes it was shown.
#include "tests/windows/start_up/filter_script.h"

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
