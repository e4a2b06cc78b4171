// Wave field: construction, sine tables and the displaced draw.
#include "show/wave_field.h"

#include <algorithm>
#include <cmath>

#include "show/pixel_surface.h"
#include "show/portable_math.h"
#include "show/screen_geometry.h"
#include "show/units.h"

namespace {

constexpr int32_t seaHeight = 128;

} // namespace

// The sea spans the picture's width; its centre point is its middle.
WaveField::WaveField()
    : width(screenGeometry.width), height(seaHeight), centreX(screenGeometry.width / 2), centreY(seaHeight / 2),
      colourOffset(0), shadingMode(0), palette(), rowPhase(0), rowDisplacement(), columnPhase(0), columnDisplacement()
{
}

void WaveField::fillSine(float startDegrees, float endDegrees, uint32_t firstIndex, int32_t count, int32_t amplitude,
                         uint32_t table)
{
    std::array<int32_t, 256>* target = nullptr;
    switch (table & 0xFF) {
    case 0: target = &rowDisplacement; break;
    case 1: target = &columnDisplacement; break;
    default: return;
    }
    if (count <= 0)
        return;
    // Dividing by count, not count - 1, stops one step short of the end: 0 to 360 degrees over 256
    // entries is exactly one period that runs on seamlessly from entry 255 to entry 0.
    const float step = static_cast<float>((double(endDegrees) - double(startDegrees)) / double(count));
    for (int32_t i = 0; i < count; ++i) {
        const double degrees = double(startDegrees) + double(i) * double(step);
        const double value = double(amplitude) * PortableSine(degrees * degreesToRadians);
        // The index wraps like the phases that read the table, so no count or start writes outside it.
        (*target)[(firstIndex + static_cast<uint32_t>(i)) & 0xFF] = static_cast<int32_t>(value);
    }
}

namespace {

// The palette index of field pixel (column, row) in a shading mode, before the wrap to 256.
template <uint8_t Mode> inline uint32_t FieldIndex(const WaveField& field, int32_t column, int32_t row)
{
    if constexpr (Mode == shadingHorizontal) {
        return field.colourOffset + static_cast<uint32_t>(column);
    } else if constexpr (Mode == shadingVertical) {
        return field.colourOffset + static_cast<uint32_t>(row);
    } else if constexpr (Mode == shadingRadial) {
        // Distance from the centre; the colour offset is not added in this mode.
        const int64_t dx = column - field.centreX;
        const int64_t dy = row - field.centreY;
        return static_cast<uint32_t>(std::sqrt(double(dx * dx + dy * dy)));
    } else {
        return field.colourOffset;
    }
}

// The field pixel by pixel, row by row from the top, each row left to right.
template <uint8_t Mode> void DrawRowByRow(const WaveField& field, PixelSurface& surface, int32_t x0, int32_t y0)
{
    for (int32_t n = 0; n < field.height; ++n) {
        const int32_t shiftX = field.rowDisplacement[(field.rowPhase + n) & 0xFF];
        for (int32_t i = 0; i < field.width; ++i) {
            const Colour colour = field.palette[FieldIndex<Mode>(field, i, n) & 0xFF];
            surface.plot(x0 + i + shiftX, y0 + n + field.columnDisplacement[(field.columnPhase + i) & 0xFF], colour.red,
                         colour.green, colour.blue);
        }
    }
}

// The same pixels column by column, for fields whose rows all shift alike. Then no two field pixels can
// land on one screen position (a column keeps its own screen column and its rows stay apart), so the
// order of the stores cannot show, and each column becomes one clipped run down the screen.
template <int BytesPerPixel, uint8_t Mode>
void DrawColumnByColumn(const WaveField& field, const PixelSurface& surface, int32_t x0, int32_t y0, int32_t shiftX)
{
    const PackedPalette packed = PackPalette(surface, field.palette);

    // Locals, so that the compiler need not reload them after every byte stored into the frame.
    const int64_t clipHeight = surface.clipHeight;
    const uint32_t clipWidth = surface.clipWidth;
    const intptr_t pitch = surface.pitch;
    uint8_t* const pixels = surface.pixels;
    for (int32_t i = 0; i < field.width; ++i) {
        const int32_t sx = x0 + i + shiftX;
        if (static_cast<uint32_t>(sx) >= clipWidth)
            continue;
        const int64_t top = int64_t(y0) + field.columnDisplacement[(field.columnPhase + i) & 0xFF];
        // Rows n with 0 <= top + n < clipHeight, in 64 bits so that no displacement can overflow.
        const int32_t first = static_cast<int32_t>(std::max<int64_t>(0, -top));
        const int32_t last = static_cast<int32_t>(std::min<int64_t>(field.height, clipHeight - top));
        if (first >= last)
            continue;
        uint8_t* at = pixels + (top + first) * pitch + intptr_t(sx) * BytesPerPixel;
        for (int32_t n = first; n < last; ++n, at += pitch)
            StorePixel<BytesPerPixel>(at, packed[FieldIndex<Mode>(field, i, n) & 0xFF]);
    }
}

} // namespace

void WaveField::draw(int32_t anchorX, int32_t anchorY)
{
    if (width <= 0 || height <= 0)
        return;
    const int32_t x0 = anchorX - centreX;
    const int32_t y0 = anchorY - centreY;
    // Rows all shift alike when no two entries that the rows read differ.
    const int32_t shiftX = rowDisplacement[rowPhase];
    bool rowsShiftAlike = true;
    for (int32_t n = 1; n < height && n < 256 && rowsShiftAlike; ++n)
        rowsShiftAlike = rowDisplacement[(rowPhase + n) & 0xFF] == shiftX;
    WithShadingMode(shadingMode, [&](auto mode) {
        if (!rowsShiftAlike) {
            DrawRowByRow<mode()>(*this, pixelSurface, x0, y0);
            return;
        }
        WithPixelSize(pixelSurface.bytesPerPixel,
                      [&](auto size) { DrawColumnByColumn<size(), mode()>(*this, pixelSurface, x0, y0, shiftX); });
    });
}
