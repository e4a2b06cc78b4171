// Where a host puts the show's picture: one to one and centred in an area of any size, or, in a window over
// several monitors, centred on the primary monitor with the rest of the window black.
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

// A rectangle: its top-left corner and its size.
struct ScreenBox {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// The picture in a window over monitors, and the black rest of the window: at most four bands (above, below,
// left and right of the picture), none empty. All in the window's coordinates.
struct MonitorPlacement {
    PicturePlacement picture;
    ScreenBox black[4];
    int32_t blackCount;
};

// The picture (screenGeometry) centred in an area of areaWidth x areaHeight pixels; halves round down. An
// area smaller than the picture shows the picture's middle, never a span outside either; an empty area
// shows nothing.
PicturePlacement PlacePicture(int32_t areaWidth, int32_t areaHeight);

// The picture for a window covering area, both area and the monitors in the same screen coordinates (which
// may be negative left of or above the primary): placed as PlacePicture places it on the part of the primary
// monitor (monitors[primary]) that the window covers. A window that covers none of the primary, or a list
// without a primary, centres it in the whole window, so a window over one monitor places it as PlacePicture
// does.
MonitorPlacement PlaceOnPrimary(ScreenBox area, const ScreenBox* monitors, int32_t count, int32_t primary);
