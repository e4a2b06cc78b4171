// Deterministic answers from UnhandledExceptionFilter: a top-level filter that gives scripted answers and
// records the exception codes it was shown.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int32_t filterScriptLength = 8;

extern int32_t filterCalls;
extern DWORD filterCodes[filterScriptLength];

// While it lives, UnhandledExceptionFilter answers with answers[0], answers[1], ... in turn (then
// EXCEPTION_EXECUTE_HANDLER); the previous top-level filter comes back when it ends.
class FilterScript {
  public:
    FilterScript(const LONG* answers, int32_t count);
    ~FilterScript();

  private:
    LPTOP_LEVEL_EXCEPTION_FILTER previous;
};
