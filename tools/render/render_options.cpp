// orvelle-render's command line: the render tools' one option table, read into the frames' times and the
// files to write.
#include "tools/render/render_options.h"

const char renderUsage[] =
    "usage: orvelle-render [options]\n"
    "Plays the Orvelle show off screen, frame by frame, exactly as the saver draws it.\n"
    "\n"
    "  --format 8|555|565|24|32|rgba  pixel format (default 32); 8 is the 3-3-2 colour cube,\n"
    "                            rgba a web canvas's bytes (red first, alpha 255)\n"
    "  --tick-ms N               frame i is drawn at i*N ms of the frame clock (default 16)\n"
    "  --frames K                number of frames (default 600)\n"
    "  --ms A,B,C,...            elapsed milliseconds of each frame instead of --tick-ms/--frames\n"
    "  --out DIR                 write kept frames as DIR/frame-NNNNN.png (created if missing)\n"
    "  --raw                     also write DIR/frame-NNNNN.raw: 640x480 pixels, rows unpadded,\n"
    "                            little-endian, in the chosen format\n"
    "  --every M                 keep every M-th frame (default: only the last)\n"
    "  --digest                  print 'NNNNN crc32' of every frame's raw bytes on stdout\n"
    "  --help                    show this text\n";

ParseResult ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& message)
{
    RenderRequest request;
    RequestRefusal refusal;
    switch (ReadRenderRequest(argc, argv, request, refusal)) {
    case RequestResult::help: return ParseResult::help;
    case RequestResult::error:
        message = RefusalText(refusal.problem);
        if (refusal.option != nullptr)
            message += std::string(": ") + refusal.option;
        if (refusal.value != nullptr)
            message += std::string(" '") + refusal.value + "'";
        return ParseResult::error;
    case RequestResult::run: break;
    }
    options.format = request.format;
    options.outDirectory = request.out != nullptr ? request.out : "";
    options.raw = request.raw;
    options.every = request.every;
    options.digest = request.digest;
    options.elapsedMs.clear();
    options.elapsedMs.reserve(RequestedFrameCount(request));
    FrameTimes times = StartFrameTimes(request);
    for (uint32_t elapsedMs; NextFrameTime(times, elapsedMs);)
        options.elapsedMs.push_back(elapsedMs);
    return ParseResult::run;
}
