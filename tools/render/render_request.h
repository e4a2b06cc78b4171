// The command line of both render tools, orvelle-render and orvelle-render-bare: one table of options and
// one reader, so that both accept and refuse the same command lines. Needs no C library, as the bare tool
// has none.
#pragma once

#include <cstdint>

#include "show/pixel_format.h"

// The most frames one run draws, from --frames or --ms.
inline constexpr uint32_t maxRenderFrames = 10000000;

// What a command line asks for.
struct RenderRequest {
    const PixelFormat* format = &xrgb8888Format;
    uint32_t tickMs = 16;         // frame i at i * tickMs, unless a list is given
    uint32_t frames = 600;        // how many frames at tickMs
    const char* msList = nullptr; // --ms: the frames' times, comma-separated, already checked
    const char* out = nullptr;    // the folder for the kept frames; null: no files
    uint32_t every = 0;           // keep every n-th frame; 0: only the last
    bool raw = false;             // also write the exact surface bytes
    bool digest = false;          // print a CRC-32 of every frame
};

enum class RequestResult { run, help, error };

// Why a command line was refused, and the option and value it concerns (null where none).
enum class RequestProblem { none, unknownOption, needsValue, badValue, listWithTicks, nothingToWrite, rawWithoutOut };
struct RequestRefusal {
    RequestProblem problem = RequestProblem::none;
    const char* option = nullptr;
    const char* value = nullptr;
};

// What is wrong, in words, without the option and value: "unknown option", "bad value", ...
const char* RefusalText(RequestProblem problem);

// Reads argv (argv[0] the program) from left to right: --help (or -h) asks for help unless an option before
// it was refused. On error, refusal says why.
RequestResult ReadRenderRequest(int argc, const char* const* argv, RenderRequest& request, RequestRefusal& refusal);

// The request's frames, each with its time, drawn from the tick or walked from the list as they are needed.
struct FrameTimes {
    const RenderRequest* request;
    uint32_t drawn;     // frames handed out so far
    const char* cursor; // the rest of the list
};
FrameTimes StartFrameTimes(const RenderRequest& request);

// The next frame's elapsed milliseconds; false after the last frame.
bool NextFrameTime(FrameTimes& times, uint32_t& elapsedMs);

// How many frames the request draws.
uint32_t RequestedFrameCount(const RenderRequest& request);
