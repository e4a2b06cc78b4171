// The picture's image: 640x480 pixels in the visual's format, shared with the server through MIT-SHM where
// it offers that, else sent with XPutImage; and the centred put into a window of any size.
#include <X11/Xutil.h>
#include <cstddef>
#include <cstdio>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "host_rules/picture_placement.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "x11/monitor_list.h"
#include "x11/x11_host.h"

namespace {

constexpr int pictureWidth = screenGeometry.width;
constexpr int pictureHeight = screenGeometry.height;

// The picture when it cannot be shared with the server.
alignas(64) uint8_t frameBuffer[std::size_t(pictureWidth) * pictureHeight * 4];

uint32_t RowBytes()
{
    return uint32_t(pictureWidth) * x11Host.format.bytesPerPixel;
}

// A segment for image, attached here and by the server; false, with the image destroyed, when either cannot.
bool AttachSharedSegment(XImage* image)
{
    X11Host& host = x11Host;
    host.shm.shmid = shmget(IPC_PRIVATE, std::size_t(RowBytes()) * pictureHeight, IPC_CREAT | 0600);
    if (host.shm.shmid < 0) {
        XDestroyImage(image);
        return false;
    }
    void* address = shmat(host.shm.shmid, nullptr, 0);
    // Marked for removal as soon as it is attached here, before the server is asked to attach it (Linux lets
    // a marked segment be attached while anyone still holds it): from then on the segment goes when both
    // sides have detached, however the process or the server ends, even killed in the middle of start-up.
    shmctl(host.shm.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) {
        XDestroyImage(image);
        return false;
    }
    host.shm.shmaddr = image->data = static_cast<char*>(address);
    host.shm.readOnly = False;
    // A server that cannot attach answers with an error, which the sync brings in.
    host.shmRefused = false;
    XShmAttach(host.display, &host.shm);
    XSync(host.display, False);
    if (!host.shmRefused)
        return true;
    shmdt(address);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
}

// The image in a shared memory segment that the server reads straight from: no copy through the socket.
// Only where the server takes the show's little-endian pixels as they are, and attaches the segment (a
// remote server cannot).
bool SetupSharedImage()
{
    X11Host& host = x11Host;
    Display* display = host.display;
    // Asked quietly first: XShmQueryVersion prints a warning where the extension is missing.
    int firstEvent, firstError;
    if (XQueryExtension(display, "MIT-SHM", &host.shmOpcode, &firstEvent, &firstError) == 0)
        return false;
    int major, minor;
    Bool sharedPixmaps;
    if (XShmQueryVersion(display, &major, &minor, &sharedPixmaps) == 0)
        return false;
    if (host.format.bytesPerPixel > 1 && ImageByteOrder(display) != LSBFirst)
        return false;
    XImage* image = XShmCreateImage(display, host.visual, unsigned(host.depth), ZPixmap, nullptr, &host.shm,
                                    pictureWidth, pictureHeight);
    if (image == nullptr)
        return false;
    if (image->bytes_per_line != int(RowBytes()) || image->bits_per_pixel != int(host.format.bytesPerPixel * 8)) {
        XDestroyImage(image);
        return false;
    }
    if (!AttachSharedSegment(image))
        return false;
    host.image = image;
    host.usesShm = true;
    host.shmCompletionType = XShmGetEventBase(display) + ShmCompletion;
    return true;
}

// The image over the static buffer, sent through the socket by XPutImage, which also swaps the show's
// little-endian pixels for a server of the other byte order.
bool SetupPlainImage()
{
    X11Host& host = x11Host;
    XImage* image =
        XCreateImage(host.display, host.visual, unsigned(host.depth), ZPixmap, 0, reinterpret_cast<char*>(frameBuffer),
                     pictureWidth, pictureHeight, 32, int(RowBytes()));
    if (image == nullptr)
        return false;
    image->byte_order = LSBFirst;
    if (XInitImage(image) == 0 || image->bits_per_pixel != int(host.format.bytesPerPixel * 8)) {
        image->data = nullptr;
        XDestroyImage(image);
        return false;
    }
    host.image = image;
    return true;
}

} // namespace

bool SetupFrameImage(uint32_t tick)
{
    X11Host& host = x11Host;
    if (!SetupSharedImage() && !SetupPlainImage()) {
        std::fputs("orvelle: cannot make an image for the display\n", stderr);
        return false;
    }
    StartShow(host.format, tick);
    return true;
}

void DrawPicture(uint32_t elapsedMs)
{
    X11Host& host = x11Host;
    uint8_t* pixels = reinterpret_cast<uint8_t*>(host.image->data);
    ClearShowFrame(pixels, int32_t(RowBytes()));
    DrawShowFrame(pixels, int32_t(RowBytes()), elapsedMs);
}

void PutPicture(bool borders)
{
    X11Host& host = x11Host;
    if (borders && host.spansMonitors)
        ReadMonitors(host.display, RootWindow(host.display, host.screen), host.monitors);
    const MonitorPlacement place = PlaceOnPrimary({0, 0, host.width, host.height}, host.monitors.boxes,
                                                  host.monitors.count, host.monitors.primary);
    const int32_t sourceX = place.picture.x.source, sourceY = place.picture.y.source;
    const int32_t destX = place.picture.x.dest, destY = place.picture.y.dest;
    const int32_t spanX = place.picture.x.length, spanY = place.picture.y.length;
    if (borders && place.blackCount > 0) {
        XRectangle bands[4];
        for (int32_t i = 0; i < place.blackCount; ++i) {
            const ScreenBox& band = place.black[i];
            bands[i] = {short(band.x), short(band.y), (unsigned short)(band.width), (unsigned short)(band.height)};
        }
        XFillRectangles(host.display, host.window, host.gc, bands, place.blackCount);
    }
    if (spanX == 0 || spanY == 0)
        return;
    if (host.usesShm) {
        // The completion event says when the server has read the image and the next frame may be drawn.
        XShmPutImage(host.display, host.window, host.gc, host.image, sourceX, sourceY, destX, destY, unsigned(spanX),
                     unsigned(spanY), True);
        host.putPending = true;
    } else {
        XPutImage(host.display, host.window, host.gc, host.image, sourceX, sourceY, destX, destY, unsigned(spanX),
                  unsigned(spanY));
    }
}
