// orvelle-render: plays the show without a screen, frame by frame, exactly as the saver's frame pump does,
// and writes the frames as pictures, raw surface bytes or digests.
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "tools/render/frame_writer.h"
#include "tools/render/render_request.h"

namespace {

const char usage[] = "usage: orvelle-render [options]\n"
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

constexpr std::size_t frameBytesMax = std::size_t(screenGeometry.width) * screenGeometry.height * 4;
std::array<uint8_t, frameBytesMax> frameBuffer;

bool MakeOutDirectory(const char* directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        std::fprintf(stderr, "orvelle-render: cannot create %s: %s\n", directory, error.message().c_str());
    return !error;
}

// Prints frame number's digest when asked and writes it when it is kept; false when it cannot be written.
bool PutFrame(const RenderRequest& request, uint32_t number, std::size_t frameBytes, bool last)
{
    if (request.digest)
        std::printf("%05u %08x\n", static_cast<unsigned>(number),
                    static_cast<unsigned>(Crc32(frameBuffer.data(), frameBytes)));
    const bool keep = request.every != 0 ? number % request.every == 0 : last;
    if (!keep || request.out == nullptr)
        return true;
    std::string message;
    if (WriteFrame(request.out, number, *request.format, frameBuffer.data(), request.raw, message))
        return true;
    std::fprintf(stderr, "orvelle-render: %s\n", message.c_str());
    return false;
}

// Draws the request's frames, their times walked from the request as they are drawn.
int Render(const RenderRequest& request)
{
    const PixelFormat& format = *request.format;
    if (request.out != nullptr && !MakeOutDirectory(request.out))
        return 1;
    // Rows follow each other without padding, as the raw files store them.
    const int32_t pitch = static_cast<int32_t>(screenGeometry.width * format.bytesPerPixel);
    const std::size_t frameBytes = std::size_t(pitch) * screenGeometry.height;
    StartShow(format, 0);
    const uint32_t frameCount = RequestedFrameCount(request);
    const bool showProgress = frameCount >= 200 && isatty(2);
    FrameTimes times = StartFrameTimes(request);
    for (uint32_t number = 1, elapsedMs; NextFrameTime(times, elapsedMs); ++number) {
        ClearShowFrame(frameBuffer.data(), pitch);
        DrawShowFrame(frameBuffer.data(), pitch, elapsedMs);
        if (!PutFrame(request, number, frameBytes, number == frameCount))
            return 1;
        if (showProgress && (number % 50 == 0 || number == frameCount))
            std::fprintf(stderr, "\rorvelle-render: frame %u of %u", static_cast<unsigned>(number),
                         static_cast<unsigned>(frameCount));
    }
    if (showProgress)
        std::fputc('\n', stderr);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    RenderRequest request;
    RequestRefusal refusal;
    switch (ReadRenderRequest(argc, argv, request, refusal)) {
    case RequestResult::help: std::fputs(usage, stdout); return 0;
    case RequestResult::error:
        std::fprintf(stderr, "orvelle-render: %s", RefusalText(refusal.problem));
        if (refusal.option != nullptr)
            std::fprintf(stderr, ": %s", refusal.option);
        if (refusal.value != nullptr)
            std::fprintf(stderr, " '%s'", refusal.value);
        std::fputc('\n', stderr);
        return 2;
    case RequestResult::run: break;
    }
    return Render(request);
}
