// The outputs' shared-memory buffers and the show's last picture: two buffers per output in one memory file,
// the picture drawn straight into one of them where it fits whole, else into memory of the host's own, and
// copied from there into the buffers of the other outputs.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#include "show/screen_geometry.h"
#include "wayland/wayland_host.h"

namespace {

constexpr uint32_t bytesPerPixel = 4; // wl_shm's xrgb8888, which every compositor offers: the show's 32-bit format

// The show's last frame: drawn straight into a buffer of an output that shows the whole picture, so that
// that output needs no copy, or else here; kept here when the buffer it is in goes.
alignas(16) uint8_t keptPicture[640 * 480 * bytesPerPixel];
constexpr int32_t keptPitch = 640 * int32_t(bytesPerPixel);
const uint8_t* lastPicture = keptPicture;
int32_t lastPitch = keptPitch;

// The compositor is done reading the buffer: only marked here, the frame loop writes to it again.
void OnBufferRelease(void* data, wl_buffer*)
{
    static_cast<ShmBuffer*>(data)->busy = false;
}
const wl_buffer_listener bufferListener = {OnBufferRelease};

// Where the picture's first shown pixel goes in one of the output's buffers.
uint8_t* PictureIn(const HostOutput& output, const ShmBuffer& buffer)
{
    const PicturePlacement& place = output.layout.picture;
    return buffer.pixels + size_t(place.y.dest) * size_t(output.layout.bufferWidth) * bytesPerPixel +
           size_t(place.x.dest) * bytesPerPixel;
}

// Says on stderr why an output's buffers of that size could not be made.
void SayNoBuffer(const char* what, const SurfaceLayout& layout)
{
    std::fprintf(stderr, "orvelle-wayland: cannot %s a buffer of %dx%d: %s\n", what, layout.bufferWidth,
                 layout.bufferHeight, std::strerror(errno));
}

} // namespace

void FreeBuffers(HostOutput& output)
{
    if (output.memory != nullptr && lastPicture >= output.memory && lastPicture < output.memory + output.memorySize) {
        for (int32_t row = 0; row < screenGeometry.height; ++row)
            std::memcpy(keptPicture + row * keptPitch, lastPicture + size_t(row) * size_t(lastPitch), keptPitch);
        lastPicture = keptPicture;
        lastPitch = keptPitch;
    }
    for (ShmBuffer& buffer : output.buffers) {
        if (buffer.buffer != nullptr)
            wl_buffer_destroy(buffer.buffer);
        buffer = ShmBuffer{};
    }
    if (output.memory != nullptr)
        munmap(output.memory, output.memorySize);
    output.memory = nullptr;
    output.memorySize = 0;
}

// Both buffers in one memory file. The file starts zeroed, which in xrgb8888 is the show's black, so the
// borders are black once and for all; frames write only the picture's rectangle.
bool MakeBuffers(HostOutput& output)
{
    FreeBuffers(output);
    const SurfaceLayout& layout = output.layout;
    const int32_t stride = layout.bufferWidth * int32_t(bytesPerPixel);
    const size_t bufferSize = size_t(stride) * size_t(layout.bufferHeight);
    const int fd = memfd_create("orvelle-wayland", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, off_t(bufferSize * 2)) != 0) {
        SayNoBuffer("make", layout);
        if (fd >= 0)
            close(fd);
        return false;
    }
    void* memory = mmap(nullptr, bufferSize * 2, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        SayNoBuffer("map", layout);
        close(fd);
        return false;
    }
    output.memory = static_cast<uint8_t*>(memory);
    output.memorySize = bufferSize * 2;
    wl_shm_pool* pool = wl_shm_create_pool(waylandHost.shm, fd, int32_t(bufferSize * 2));
    for (int i = 0; i < 2; ++i) {
        ShmBuffer& buffer = output.buffers[i];
        buffer.pixels = output.memory + bufferSize * size_t(i);
        buffer.buffer = wl_shm_pool_create_buffer(pool, int32_t(bufferSize) * i, layout.bufferWidth,
                                                  layout.bufferHeight, stride, WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(buffer.buffer, &bufferListener, &buffer);
    }
    wl_shm_pool_destroy(pool);
    close(fd);
    return true;
}

ShmBuffer* FreeBuffer(HostOutput& output)
{
    if (!output.configured || output.memory == nullptr)
        return nullptr;
    for (ShmBuffer& buffer : output.buffers)
        if (buffer.buffer != nullptr && !buffer.busy)
            return &buffer;
    return nullptr;
}

void CopyLastPicture(const HostOutput& output, ShmBuffer& buffer)
{
    const PicturePlacement& place = output.layout.picture;
    const size_t stride = size_t(output.layout.bufferWidth) * bytesPerPixel;
    const size_t rowBytes = size_t(place.x.length) * bytesPerPixel;
    uint8_t* target = PictureIn(output, buffer);
    const uint8_t* source =
        lastPicture + size_t(place.y.source) * size_t(lastPitch) + size_t(place.x.source) * bytesPerPixel;
    for (int32_t row = 0; row < place.y.length && target != source; ++row)
        std::memcpy(target + size_t(row) * stride, source + size_t(row) * size_t(lastPitch), rowBytes);
}

FrameCanvas TakeFrameCanvas()
{
    for (HostOutput& output : waylandHost.outputs) {
        const PicturePlacement& place = output.layout.picture;
        const bool whole = place.x.length == screenGeometry.width && place.y.length == screenGeometry.height;
        ShmBuffer* buffer = whole ? FreeBuffer(output) : nullptr;
        if (buffer == nullptr || !(output.drawDue || output.mustCommit))
            continue;
        lastPicture = PictureIn(output, *buffer);
        lastPitch = output.layout.bufferWidth * int32_t(bytesPerPixel);
        return {PictureIn(output, *buffer), lastPitch};
    }
    lastPicture = keptPicture;
    lastPitch = keptPitch;
    return {keptPicture, keptPitch};
}
