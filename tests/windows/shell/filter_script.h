// Deterministic answers from UnhandledExceptionFilter: a top-level filter that gives scripted answers and
// records the exception codes it was shown; and the codes that faults arrive with here.
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

// The code that a fault whose code is native on Windows arrives with here: the same, except in a 32-bit
// program under qemu-i386 (scripts/emulated-32-bit sets ORVELLE_32_BIT_EMULATED=1), whose signal frame
// carries no trap number that Wine can read, so that Wine reports an access violation as an illegal
// instruction and an integer division by zero as an invalid floating-point operation. The first call says
// which route it expects.
DWORD ExpectedFaultCode(DWORD native);
