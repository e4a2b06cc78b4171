// Parsing of orvelle-render's command line: every value is checked, nothing is guessed.
#include "tools/render/render_options.h"

#include <string_view>

#include "host_rules/number_reading.h"

const char renderUsage[] =
    "usage: orvelle-render [options]\n"
    "Plays the Orvelle show off screen, frame by frame, exactly as the saver draws it.\n"
    "\n"
    "  --format 8|555|565|24|32  display pixel format (default 32); 8 is the 3-3-2 colour cube\n"
    "  --tick-ms N               frame i is drawn at i*N ms of the frame clock (default 16)\n"
    "  --frames K                number of frames (default 600)\n"
    "  --ms A,B,C,...            elapsed milliseconds of each frame instead of --tick-ms/--frames\n"
    "  --out DIR                 write kept frames as DIR/frame-NNNNN.png (created if missing)\n"
    "  --raw                     also write DIR/frame-NNNNN.raw: 640x480 pixels, rows unpadded,\n"
    "                            little-endian, in the chosen format\n"
    "  --every M                 keep every M-th frame (default: only the last)\n"
    "  --digest                  print 'NNNNN crc32' of every frame's raw bytes on stdout\n"
    "  --help                    show this text\n";

namespace {

bool ParseList(std::string_view text, std::vector<uint32_t>& values)
{
    values.clear();
    while (true) {
        const std::size_t comma = text.find(',');
        uint32_t value;
        if (!ReadUnsigned(text.substr(0, comma), 10, value))
            return false;
        values.push_back(value);
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

} // namespace

ParseResult ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& message)
{
    uint32_t tickMs = 16;
    uint32_t frames = 600;
    bool haveTicks = false;
    bool haveList = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h")
            return ParseResult::help;
        if (option == "--raw") {
            options.raw = true;
            continue;
        }
        if (option == "--digest") {
            options.digest = true;
            continue;
        }
        const bool takesValue = option == "--format" || option == "--tick-ms" || option == "--frames" ||
                                option == "--ms" || option == "--out" || option == "--every";
        if (!takesValue) {
            message = "unknown option '" + std::string(option) + "' (try --help)";
            return ParseResult::error;
        }
        if (i + 1 >= argc) {
            message = "option " + std::string(option) + " needs a value";
            return ParseResult::error;
        }
        const std::string_view value = argv[++i];
        bool good = true;
        if (option == "--format") {
            options.format = FindPixelFormat(value);
            good = options.format != nullptr;
        } else if (option == "--tick-ms") {
            good = ReadUnsigned(value, 10, tickMs);
            haveTicks = true;
        } else if (option == "--frames") {
            good = ReadUnsigned(value, 10, frames) && frames > 0 && frames <= 10000000;
            haveTicks = true;
        } else if (option == "--ms") {
            good = ParseList(value, options.elapsedMs) && options.elapsedMs.size() <= 10000000;
            haveList = true;
        } else if (option == "--out") {
            options.outDirectory = value;
            good = !value.empty();
        } else if (option == "--every") {
            good = ReadUnsigned(value, 10, options.every) && options.every > 0;
        }
        if (!good) {
            message = "bad value '" + std::string(value) + "' for " + std::string(option);
            return ParseResult::error;
        }
    }
    if (haveTicks && haveList) {
        message = "--ms cannot be combined with --tick-ms or --frames";
        return ParseResult::error;
    }
    if (!haveList) {
        // Frame i at i * tickMs, in 64 bits: the clock itself wraps modulo 2^32 as the system tick does.
        options.elapsedMs.resize(frames);
        for (uint32_t i = 1; i <= frames; ++i)
            options.elapsedMs[i - 1] = static_cast<uint32_t>(uint64_t(i) * tickMs);
    }
    if (options.outDirectory.empty() && !options.digest) {
        message = "nothing to write: give --out DIR or --digest";
        return ParseResult::error;
    }
    if (options.raw && options.outDirectory.empty()) {
        message = "--raw needs --out DIR";
        return ParseResult::error;
    }
    return ParseResult::run;
}
