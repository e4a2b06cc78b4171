// Placing the show's picture in a host's area.
#include "host_rules/picture_placement.h"

#include "show/screen_geometry.h"

namespace {

PictureSpan CentreSpan(int32_t picture, int32_t area)
{
    if (area >= picture)
        return {0, (area - picture) / 2, picture};
    return {(picture - area) / 2, 0, area > 0 ? area : 0};
}

} // namespace

PicturePlacement PlacePicture(int32_t areaWidth, int32_t areaHeight)
{
    return {CentreSpan(screenGeometry.width, areaWidth), CentreSpan(screenGeometry.height, areaHeight)};
}
