// What every POSIX host process does alike: the ending signals, the monotonic tick and answers on stdout.
#pragma once

#include <csignal>
#include <cstdint>

extern volatile sig_atomic_t endSignal; // SIGTERM or SIGINT once one has come, else 0
extern sigset_t waitMask;               // the signal mask while waiting: the ending signals let through

// Blocks SIGTERM and SIGINT everywhere but in a wait under waitMask (ppoll), so that none is lost between
// the check of endSignal and the sleep, and no library call is interrupted; their handler only notes them.
void CatchEndSignals();

// Ends the process by the signal's default action, as a program that does not catch it ends, so that whoever
// sent it (a screen saver daemon, a shell) sees the end it asked for: the exit status of a death by that signal.
[[noreturn]] void EndBySignal(int signal);

// Nanoseconds of the monotonic clock.
uint64_t MonotonicNs();

// The host's tick: milliseconds of the monotonic clock, wrapping modulo 2^32 like the Windows tick count.
uint32_t MonotonicTick();

// Writes an answer (the usage, the version) to stdout and returns the exit status: 0, or 1 with one line on
// stderr, naming the program, when it cannot be written (a full disk, a closed pipe).
int Answer(const char* program, const char* text);
