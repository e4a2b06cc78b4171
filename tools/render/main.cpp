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
#include "tools/render/render_options.h"

namespace {

constexpr std::size_t frameBytesMax = std::size_t(screenGeometry.width) * screenGeometry.height * 4;
std::array<uint8_t, frameBytesMax> frameBuffer;

bool MakeOutDirectory(const std::string& directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        std::fprintf(stderr, "orvelle-render: cannot create %s: %s\n", directory.c_str(), error.message().c_str());
    return !error;
}

// Prints frame number's digest when asked and writes it when it is kept; false when it cannot be written.
bool PutFrame(const RenderOptions& options, uint32_t number, std::size_t frameBytes, bool last)
{
    if (options.digest)
        std::printf("%05u %08x\n", static_cast<unsigned>(number),
                    static_cast<unsigned>(Crc32(frameBuffer.data(), frameBytes)));
    const bool keep = options.every != 0 ? number % options.every == 0 : last;
    if (!keep || options.outDirectory.empty())
        return true;
    std::string message;
    if (WriteFrame(options.outDirectory, number, *options.format, frameBuffer.data(), options.raw, message))
        return true;
    std::fprintf(stderr, "orvelle-render: %s\n", message.c_str());
    return false;
}

int Render(const RenderOptions& options)
{
    const PixelFormat& format = *options.format;
    if (!options.outDirectory.empty() && !MakeOutDirectory(options.outDirectory))
        return 1;
    // Rows follow each other without padding, as the raw files store them.
    const int32_t pitch = static_cast<int32_t>(screenGeometry.width * format.bytesPerPixel);
    const std::size_t frameBytes = std::size_t(pitch) * screenGeometry.height;
    StartShow(format, 0);
    const uint32_t frameCount = static_cast<uint32_t>(options.elapsedMs.size());
    const bool showProgress = frameCount >= 200 && isatty(2);
    for (uint32_t number = 1; number <= frameCount; ++number) {
        ClearShowFrame(frameBuffer.data(), pitch);
        DrawShowFrame(frameBuffer.data(), pitch, options.elapsedMs[number - 1]);
        if (!PutFrame(options, number, frameBytes, number == frameCount))
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
    RenderOptions options;
    std::string message;
    switch (ParseRenderOptions(argc, argv, options, message)) {
    case ParseResult::help: std::fputs(renderUsage, stdout); return 0;
    case ParseResult::error: std::fprintf(stderr, "orvelle-render: %s\n", message.c_str()); return 2;
    case ParseResult::run: break;
    }
    return Render(options);
}
