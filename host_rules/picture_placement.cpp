// Placing the show's picture in a host's area, and on the primary monitor of a window over several.
#include "host_rules/picture_placement.h"

#include <algorithm>

#include "show/screen_geometry.h"

namespace {

PictureSpan CentreSpan(int32_t picture, int32_t area)
{
    if (area >= picture)
        return {0, (area - picture) / 2, picture};
    return {(picture - area) / 2, 0, area > 0 ? area : 0};
}

// The part of the primary monitor inside the window, in the window's coordinates; the whole window when
// that part is empty.
ScreenBox PrimaryInWindow(ScreenBox area, const ScreenBox* monitors, int32_t count, int32_t primary)
{
    const ScreenBox whole = {0, 0, area.width, area.height};
    if (primary < 0 || primary >= count)
        return whole;
    const ScreenBox& monitor = monitors[primary];
    const int32_t left = std::max(monitor.x, area.x), top = std::max(monitor.y, area.y);
    const int32_t right = std::min(monitor.x + monitor.width, area.x + area.width);
    const int32_t bottom = std::min(monitor.y + monitor.height, area.y + area.height);
    if (right <= left || bottom <= top)
        return whole;
    return {left - area.x, top - area.y, right - left, bottom - top};
}

} // namespace

PicturePlacement PlacePicture(int32_t areaWidth, int32_t areaHeight)
{
    return {CentreSpan(screenGeometry.width, areaWidth), CentreSpan(screenGeometry.height, areaHeight)};
}

MonitorPlacement PlaceOnPrimary(ScreenBox area, const ScreenBox* monitors, int32_t count, int32_t primary)
{
    const ScreenBox target = PrimaryInWindow(area, monitors, count, primary);
    MonitorPlacement placement = {PlacePicture(target.width, target.height), {}, 0};
    PicturePlacement& picture = placement.picture;
    picture.x.dest += target.x;
    picture.y.dest += target.y;

    const int32_t left = picture.x.dest, top = picture.y.dest;
    const int32_t right = left + picture.x.length, bottom = top + picture.y.length;
    // Full-width bands above and below the picture, then the two sides beside it.
    const ScreenBox bands[4] = {{0, 0, area.width, top},
                                {0, bottom, area.width, area.height - bottom},
                                {0, top, left, bottom - top},
                                {right, top, area.width - right, bottom - top}};
    for (const ScreenBox& band : bands)
        if (band.width > 0 && band.height > 0)
            placement.black[placement.blackCount++] = band;
    return placement;
}
