// Command-line options of orvelle-render.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show/pixel_format.h"
#include "tools/render/render_request.h"

struct RenderOptions {
    const PixelFormat* format = &xrgb8888Format;
    std::vector<uint32_t> elapsedMs; // elapsed milliseconds of frames 1, 2, ...
    std::string outDirectory;        // empty: write no files
    bool raw = false;                // also write the exact surface bytes
    uint32_t every = 0;              // keep every n-th frame; 0: only the last
    bool digest = false;             // print a CRC-32 of every frame's bytes on stdout
};

enum class ParseResult { run, help, error };

// Reads argv into options. On error, message says what was wrong in one line.
ParseResult ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& message);

extern const char renderUsage[];
