// Where a host puts the show's picture: one to one and centred in an area of any size.
#pragma once

#include <cstdint>

// One axis of a placement: the picture's first shown pixel, where it lands in the area and how many
// pixels are shown.
struct PictureSpan {
    int32_t source;
    int32_t dest;
    int32_t length;
};

struct PicturePlacement {
    PictureSpan x;
    PictureSpan y;
};

// The picture (screenGeometry) centred in an area of areaWidth x areaHeight pixels; halves round down. An
// area smaller than the picture shows the picture's middle, never a span outside either; an empty area
// shows nothing.
PicturePlacement PlacePicture(int32_t areaWidth, int32_t areaHeight);
