// Wave field: construction, sine tables and the displaced draw.
#include "show/wave_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Stores four packed pixels held in the four 32-bit lanes of v (lane 0 leftmost) as BytesPerPixel bytes each.
template <int BytesPerPixel> inline void StoreFourPixels(uint8_t* at, __m128i v)
{
    if constexpr (BytesPerPixel == 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
    } else if constexpr (BytesPerPixel == 2) {
        // The low words of the lanes, side by side.
        v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 2, 0));
        v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(3, 3, 2, 0));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 2, 0)));
    } else if constexpr (BytesPerPixel == 1) {
        // Lanes below 256 pack without saturating.
        v = _mm_packus_epi16(_mm_packs_epi32(v, v), v);
        const uint32_t four = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
        std::memcpy(at, &four, 4);
    } else {
        // Lanes below 2^24: in each 64-bit half, the upper lane's three bytes go right after the lower lane's,
        // then the upper half's six bytes right after the lower half's.
        const __m128i pairs =
            _mm_or_si128(_mm_and_si128(v, _mm_set_epi32(0, -1, 0, -1)), _mm_slli_epi64(_mm_srli_epi64(v, 32), 24));
        const __m128i upper = _mm_srli_si128(pairs, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_or_si128(pairs, _mm_slli_epi64(upper, 48)));
        const uint32_t last = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_epi64(upper, 16)));
        std::memcpy(at + 8, &last, 4);
    }
}
#endif

// Four neighbouring field columns (or fewer at the right end): where they land and which screen rows they
// cover, from their highest top to their lowest bottom, all four from allBegin to allEnd.
struct ColumnGroup {
    intptr_t at; // byte offset of the first column in a screen row
    int count;
    int64_t tops[4]; // the screen row of each column's row 0
    int64_t highest;
    int64_t lowest;
    int64_t allBegin;
    int64_t allEnd;
};

// The same pixels, for fields whose rows all shift alike and whose colour depends on the row alone (flat,
// or by row). No two field pixels land on one screen position, so the order of the stores cannot show; it
// goes down the screen four rows at a time, each time across the columns, because a column's stores a
// whole row apart fall into few cache sets and push each other out. Four columns' colours for four rows
// are four loads from one strip of colours by field row; turned a quarter, they are four rows of four
// pixels. Rows that only some of the four columns reach (the band's wavy top and bottom edges) and the
// columns left over at the right go pixel by pixel.
template <int BytesPerPixel>
void DrawColumnsInFours(const WaveField& field, const PixelSurface& surface, int32_t x0, int32_t y0, int32_t shiftX)
{
    // strip[k]: the colour of field rows k, k + 256, k + 512 and so on, for k up to 258 so that four
    // entries from any row on can be read at once; cut to the pixel's bytes.
    const bool byRow = field.shadingMode == shadingVertical;
    const uint32_t rowMask = byRow ? 0xFF : 0;
    const PackedPalette colours = PackPalette(surface, field.palette, field.colourOffset, byRow ? 256 : 1);
    const uint32_t pixelMask = BytesPerPixel == 4 ? 0xFFFFFFFF : (1u << (8 * BytesPerPixel)) - 1;
    uint32_t strip[256 + 3];
    for (uint32_t k = 0; k < 256 + 3; ++k)
        strip[k] = colours[k & rowMask] & pixelMask;

    // Locals, so that the compiler need not reload them after every byte stored into the frame.
    uint8_t* const pixels = surface.pixels;
    const intptr_t pitch = surface.pitch;
    const int64_t clipHeight = surface.clipHeight;
    const int64_t height = field.height;

    // The field columns that land inside the clip width, in 64 bits so that no position can overflow; a
    // batch of groups at a time.
    const int64_t left = int64_t(x0) + shiftX;
    const int64_t columnEnd = std::min<int64_t>(field.width, int64_t(surface.clipWidth) - left);
    constexpr int batchGroups = 64;
    ColumnGroup groups[batchGroups];
    for (int64_t column = std::max<int64_t>(0, -left); column < columnEnd;) {
        int count = 0;
        int64_t yBegin = INT64_MAX, yEnd = INT64_MIN;
        for (; count < batchGroups && column < columnEnd; ++count, column += 4) {
            ColumnGroup& group = groups[count];
            group.at = intptr_t(left + column) * BytesPerPixel;
            group.count = static_cast<int>(std::min<int64_t>(4, columnEnd - column));
            for (int j = 0; j < group.count; ++j)
                group.tops[j] = int64_t(y0) + field.columnDisplacement[(field.columnPhase + column + j) & 0xFF];
            group.highest = *std::min_element(group.tops, group.tops + group.count);
            group.lowest = *std::max_element(group.tops, group.tops + group.count);
            group.allBegin = group.count == 4 ? group.lowest : INT64_MAX;
            group.allEnd = group.highest + height;
            yBegin = std::min(yBegin, group.highest);
            yEnd = std::max(yEnd, group.lowest + height);
        }
        yBegin = std::max<int64_t>(yBegin, 0);
        yEnd = std::min(yEnd, clipHeight);
        for (int64_t y = yBegin; y < yEnd; y += 4) {
            const int64_t rows = std::min<int64_t>(4, yEnd - y);
            uint8_t* const row = pixels + y * pitch;
            for (int g = 0; g < count; ++g) {
                const ColumnGroup& group = groups[g];
                if (y >= group.allBegin && y + rows <= group.allEnd) {
                    // All four columns reach these rows; the field rows wrap every 256 like the strip.
                    uint8_t* const at = row + group.at;
                    // Column j's colours for rows y to y + 3.
                    auto columnColours = [&](int j) {
                        return strip + (static_cast<uint32_t>(y - group.tops[j]) & rowMask);
                    };
#if defined(__SSE2__)
                    auto four = [&](int j) {
                        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(columnColours(j)));
                    };
                    const __m128i c0 = four(0), c1 = four(1), c2 = four(2), c3 = four(3);
                    const __m128i upper01 = _mm_unpacklo_epi32(c0, c1), lower01 = _mm_unpackhi_epi32(c0, c1);
                    const __m128i upper23 = _mm_unpacklo_epi32(c2, c3), lower23 = _mm_unpackhi_epi32(c2, c3);
                    StoreFourPixels<BytesPerPixel>(at, _mm_unpacklo_epi64(upper01, upper23));
                    if (rows > 1)
                        StoreFourPixels<BytesPerPixel>(at + pitch, _mm_unpackhi_epi64(upper01, upper23));
                    if (rows > 2)
                        StoreFourPixels<BytesPerPixel>(at + 2 * pitch, _mm_unpacklo_epi64(lower01, lower23));
                    if (rows > 3)
                        StoreFourPixels<BytesPerPixel>(at + 3 * pitch, _mm_unpackhi_epi64(lower01, lower23));
#else
                    for (int j = 0; j < 4; ++j) {
                        const uint32_t* const colours = columnColours(j);
                        for (int r = 0; r < rows; ++r)
                            StorePixel<BytesPerPixel>(at + r * pitch + j * BytesPerPixel, colours[r]);
                    }
#endif
                    continue;
                }
                if (y + rows <= group.highest || y >= group.lowest + height)
                    continue;
                for (int64_t r = 0; r < rows; ++r) {
                    uint8_t* const at = row + r * pitch + group.at;
                    for (int j = 0; j < group.count; ++j) {
                        const int64_t n = y + r - group.tops[j]; // the field row
                        if (n >= 0 && n < height)
                            StorePixel<BytesPerPixel>(at + intptr_t(j) * BytesPerPixel, strip[n & 0xFF]);
                    }
                }
            }
        }
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
        WithPixelSize(pixelSurface.bytesPerPixel, [&](auto size) {
            if constexpr (mode() == shadingFlat || mode() == shadingVertical)
                DrawColumnsInFours<size()>(*this, pixelSurface, x0, y0, shiftX);
            else
                DrawColumnByColumn<size(), mode()>(*this, pixelSurface, x0, y0, shiftX);
        });
    });
}
