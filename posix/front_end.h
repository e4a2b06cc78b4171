// The Linux hosts' one front end: their command lines read by one table-driven reader, which knows the
// options both take (the display, the test clock, --help, --version) and hands each host its own; one
// usage; and the test clock, which draws frame i at i*tickMs and holds the picture at a frame limit.
#pragma once

#include <cstdint>

enum class OptionsResult { run, help, version, error };

// An option of a host's own, named without its dashes.
struct HostOption {
    const char* name;
    bool takesValue;
};

// A host's own options, and what it does with one it reads: take gets the host's options record (the one
// handed to the reader), the option's place in the table and its value (nullptr for one that takes none),
// and returns false when the value is not valid.
struct HostOptionTable {
    const HostOption* options;
    int count;
    bool (*take)(void* record, int option, const char* value);
};

// The options both hosts take.
struct CommonOptions {
    const char* displayName = nullptr; // --display, else the host's default
    uint32_t tickMs = 0;               // 0: the monotonic clock; else frame i is drawn at i*tickMs ms
    uint32_t frames = 0;               // 0: no limit; else the picture stays at frame K
};

// Reads argv (one or two leading dashes on every option) into common and, through own.take, the host's
// options into ownRecord. On error the one-line reason is in message.
OptionsResult ReadOptions(int argc, const char* const* argv, const HostOptionTable& own, void* ownRecord,
                          CommonOptions& common, char* message, int messageSize);

// What a host says of itself.
struct HostFrontEnd {
    const char* program; // its name, which starts its lines on stderr
    const char* version;
    const char* summary; // the usage's lines after the first
    const char* options; // the host's own option lines, its --display among them
    const char* notes;   // the lines after the options
    HostOptionTable own;
};

// Reads the command line, the host's own options into ownRecord, answers --help and --version on stdout or
// says what is wrong on stderr. Returns -1 when the host is to run, else its exit status: 0 answered, 1 the
// answer not written, 2 a bad command line.
int TakeCommandLine(int argc, const char* const* argv, const HostFrontEnd& host, void* ownRecord,
                    CommonOptions& common);

// The test clock: whether the picture is held (the frame limit reached), and the show's tick for frame
// frameNumber, i*tickMs with a fixed tick, else the monotonic tick's time since the show's start.
bool FrameHeld(const CommonOptions& clock, uint32_t frameNumber);
uint32_t FrameTick(const CommonOptions& clock, uint32_t frameNumber);
