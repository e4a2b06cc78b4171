// Wave field: construction, sine tables and the displaced draw.
#include "show/wave_field.h"

#include <cstdint>

#include "show/pixel_surface.h"
#include "show/portable_math.h"
#include "show/screen_geometry.h"
#include "show/units.h"
#include "show/wave_field_draws.h"

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
    std::array<int32_t, 256>* displacements = nullptr;
    switch (table & 0xFF) { // only the low 8 bits select
    case rowDisplacementTable: displacements = &rowDisplacement; break;
    case columnDisplacementTable: displacements = &columnDisplacement; break;
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
        (*displacements)[(firstIndex + static_cast<uint32_t>(i)) & 0xFF] = static_cast<int32_t>(value);
    }
}

namespace {

// Every pixel of the field shaded by Mode, each placed by its row's and its column's displacement.
template <uint8_t Mode> void DrawPixelsShadedBy(const WaveField& field, int32_t x0, int32_t y0)
{
    for (int32_t n = 0; n < field.height; ++n) {
        const int32_t shiftX = field.rowDisplacement[(field.rowPhase + n) & 0xFF];
        for (int32_t i = 0; i < field.width; ++i) {
            const Colour colour = field.palette[FieldIndex<Mode>(field, i, n) & 0xFF];
            pixelSurface.plot(x0 + i + shiftX, y0 + n + field.columnDisplacement[(field.columnPhase + i) & 0xFF],
                              colour.red, colour.green, colour.blue);
        }
    }
}

} // namespace

void DrawFieldPixelByPixel(const WaveField& field, int32_t x0, int32_t y0)
{
    WithShadingMode(field.shadingMode, [&](auto mode) { DrawPixelsShadedBy<mode()>(field, x0, y0); });
}

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
    // Modes other than by column and by distance colour by the row alone (flat or by row).
    const bool colourByRowAlone = shadingMode != shadingHorizontal && shadingMode != shadingRadial;
    if (!rowsShiftAlike)
        DrawFieldPixelByPixel(*this, x0, y0);
    else if (colourByRowAlone && pixelSurface.clipHeight <= foursClipHeightMost)
        DrawFieldColumnsInFours(*this, x0, y0, shiftX);
    else
        DrawFieldColumnByColumn(*this, x0, y0, shiftX);
}
