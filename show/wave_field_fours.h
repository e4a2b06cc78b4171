// The wave field four columns at a time, for fields whose rows all shift alike and whose colour depends on
// the row alone (flat, or by row): the walk shared by the fast paths that store its blocks
// (show/wave_field_fours_sse2.cpp, show/wave_field_fours_plain.cpp). No two field pixels land on one screen
// position, so the order of the stores cannot show; the walk goes down the screen four rows at a time, each
// time across the columns, because a column's stores a whole row apart fall into few cache sets and push
// each other out. Four columns' colours for four rows are four runs of one strip of colours by field row;
// turned a quarter, they are four rows of four pixels, a block. Rows that only some of the four columns
// reach (the band's wavy top and bottom edges) and the columns left over at the right go pixel by pixel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "show/pixel_surface.h"
#include "show/wave_field.h"

// Four neighbouring field columns (or fewer at the right end): where they land and which screen rows they
// cover, from their highest top to their lowest bottom (the edge), all four in the middle (the blocks).
// The limits are what the loop over the batch's rows compares, in 32 bits, which a 32-bit processor handles
// in one instruction where 64-bit values take several: each clamped to -1 .. clip height + 4, which keeps
// every comparison with a row of the clip and with that row + 1 to 4 as it was.
struct ColumnGroup {
    intptr_t at; // byte offset of the first column in a screen row
    int count;
    int64_t tops[4];        // the screen row of each column's row 0
    uint32_t rowsAtZero[4]; // each column's field row at screen row 0, low 32 bits only (the rows wrap at 256)
    int32_t blockBegin;
    int32_t blockEnd;
    int32_t edgeBegin;
    int32_t edgeEnd;
};
// What a whole draw shares.
struct FoursDraw {
    uint8_t* pixels;
    intptr_t pitch;
    int64_t clipHeight;
    int64_t height;   // field rows
    uint32_t rowMask; // 0xFF by row, 0 flat: field row n takes strip entry n & rowMask
    // strip[k]: the colour of field rows k, k + 256, k + 512 and so on, cut to the pixel's bytes; for k up to
    // 258, so that four entries from any row on can be read at once.
    uint32_t strip[256 + 3];
    // For stores that gather byte-sized pixels four to a word (StoreBlock::gathersShiftedBytes): the strip
    // moved up by 8, 16 and 24 bits, so that a word is four entries or-ed together. Filled only for them.
    uint32_t shifted[3][256 + 3];
};

// A batch of groups, side by side, and the screen rows they span inside the clip height.
struct ColumnBatch {
    static constexpr int most = 64;
    ColumnGroup groups[most];
    int count;
    int64_t yBegin;
    int64_t yEnd;
};

// The four columns' strip runs for screen rows y to y + 3 of a group all four columns reach.
struct BlockColours {
    const uint32_t* columns[4];
    const uint32_t* shifted[3]; // the runs of columns 1 to 3 in FoursDraw::shifted (read only where filled)
};

// Whether a store reads FoursDraw::shifted.
template <typename StoreBlock> constexpr bool GathersShiftedBytes()
{
    if constexpr (requires { std::decay_t<StoreBlock>::gathersShiftedBytes; })
        return std::decay_t<StoreBlock>::gathersShiftedBytes;
    return false;
}

template <int BytesPerPixel, bool FillShifted>
void FillStrip(const WaveField& field, const PixelFormat& format, FoursDraw& d)
{
    d.rowMask = field.shadingMode == shadingVertical ? 0xFF : 0;
    const PackedPalette colours = PackPalette(format, field.palette, field.colourOffset, d.rowMask + 1);
    const uint32_t pixelMask = BytesPerPixel == 4 ? 0xFFFFFFFF : (1u << (8 * BytesPerPixel)) - 1;
    for (uint32_t k = 0; k < 256 + 3; ++k)
        d.strip[k] = colours[k & d.rowMask] & pixelMask;
    if constexpr (FillShifted && BytesPerPixel == 1) {
        for (uint32_t k = 0; k < 256 + 3; ++k) {
            d.shifted[0][k] = d.strip[k] << 8;
            d.shifted[1][k] = d.strip[k] << 16;
            d.shifted[2][k] = d.strip[k] << 24;
        }
    }
}

// Gathers the groups from field column on (left: the screen column of field column 0); returns the column
// after the batch. It runs once per 64 groups, so it is one copy for every pixel size (which the 32-bit saver
// carries once), kept out of the per-pixel loops.
[[gnu::noinline]] inline int64_t GatherBatch(const WaveField& field, const FoursDraw& d, int64_t left, int64_t column,
                                             int64_t columnEnd, int32_t y0, int bytesPerPixel, ColumnBatch& batch)
{
    batch.count = 0;
    batch.yBegin = INT64_MAX;
    batch.yEnd = INT64_MIN;
    for (; batch.count < ColumnBatch::most && column < columnEnd; column += 4) {
        ColumnGroup& group = batch.groups[batch.count++];
        group.at = intptr_t(left + column) * bytesPerPixel;
        group.count = static_cast<int>(std::min<int64_t>(4, columnEnd - column));
        for (int j = 0; j < group.count; ++j)
            group.tops[j] = int64_t(y0) + field.columnDisplacement[(field.columnPhase + column + j) & 0xFF];
        const int64_t highest = *std::min_element(group.tops, group.tops + group.count);
        const int64_t lowest = *std::max_element(group.tops, group.tops + group.count);
        const auto nearClip = [&](int64_t y) {
            return static_cast<int32_t>(std::clamp<int64_t>(y, -1, d.clipHeight + 4));
        };
        group.blockBegin = nearClip(group.count == 4 ? lowest : INT64_MAX);
        group.blockEnd = nearClip(highest + d.height);
        group.edgeBegin = nearClip(highest);
        group.edgeEnd = nearClip(lowest + d.height);
        for (int j = 0; j < 4; ++j)
            group.rowsAtZero[j] = j < group.count ? 0u - static_cast<uint32_t>(group.tops[j]) : 0u;
        batch.yBegin = std::min(batch.yBegin, highest);
        batch.yEnd = std::max(batch.yEnd, lowest + d.height);
    }
    batch.yBegin = std::max<int64_t>(batch.yBegin, 0);
    batch.yEnd = std::min(batch.yEnd, d.clipHeight);
    return column;
}

// Screen rows y to y + rows - 1 of a group that only some of its columns reach, pixel by pixel.
template <int BytesPerPixel>
inline void DrawEdgeRows(const FoursDraw& d, const ColumnGroup& group, uint8_t* row, int64_t y, int64_t rows)
{
    for (int64_t r = 0; r < rows; ++r) {
        uint8_t* const at = row + r * d.pitch + group.at;
        for (int j = 0; j < group.count; ++j) {
            const int64_t n = y + r - group.tops[j]; // the field row
            if (n >= 0 && n < d.height)
                StorePixel<BytesPerPixel>(at + intptr_t(j) * BytesPerPixel, d.strip[n & 0xFF]);
        }
    }
}

// The batch's screen rows, four at a time, each time across its groups: a block where all four columns
// reach all the rows (storeBlock(at, pitch, colours, rows) stores it), pixel by pixel where only some do.
// The field rows wrap every 256 like the strip.
template <int BytesPerPixel, typename StoreBlock>
inline void DrawBatch(const FoursDraw& d, const ColumnBatch& batch, StoreBlock&& storeBlock)
{
    // Rows of the clip: 0 <= y < clip height, which 32 bits hold.
    const int32_t yEnd = static_cast<int32_t>(batch.yEnd);
    for (int32_t y = static_cast<int32_t>(batch.yBegin); y < yEnd; y += 4) {
        const int32_t rows = std::min(4, yEnd - y);
        uint8_t* const row = d.pixels + intptr_t(y) * d.pitch;
        for (int g = 0; g < batch.count; ++g) {
            const ColumnGroup& group = batch.groups[g];
            if (y >= group.blockBegin && y + rows <= group.blockEnd) {
                const uint32_t first1 = (static_cast<uint32_t>(y) + group.rowsAtZero[1]) & d.rowMask;
                const uint32_t first2 = (static_cast<uint32_t>(y) + group.rowsAtZero[2]) & d.rowMask;
                const uint32_t first3 = (static_cast<uint32_t>(y) + group.rowsAtZero[3]) & d.rowMask;
                const BlockColours colours = {{d.strip + ((static_cast<uint32_t>(y) + group.rowsAtZero[0]) & d.rowMask),
                                               d.strip + first1, d.strip + first2, d.strip + first3},
                                              {d.shifted[0] + first1, d.shifted[1] + first2, d.shifted[2] + first3}};
                storeBlock(row + group.at, d.pitch, colours, rows);
            } else if (y + rows > group.edgeBegin && y < group.edgeEnd) {
                DrawEdgeRows<BytesPerPixel>(d, group, row, y, rows);
            }
        }
    }
}

// Draws the field into surface, with storeBlock storing the blocks of BytesPerPixel-byte pixels.
template <int BytesPerPixel, typename StoreBlock>
void DrawColumnsInFours(const WaveField& field, const PixelSurface& surface, int32_t x0, int32_t y0, int32_t shiftX,
                        StoreBlock&& storeBlock)
{
    // A local record, so that the compiler need not reload its values after every byte stored into the frame.
    FoursDraw d;
    d.pixels = surface.pixels;
    d.pitch = surface.pitch;
    d.clipHeight = surface.clipHeight;
    d.height = field.height;
    FillStrip<BytesPerPixel, GathersShiftedBytes<StoreBlock>()>(field, surface, d);
    // The field columns that land inside the clip width, in 64 bits so that no position can overflow; a
    // batch of groups at a time.
    const int64_t left = int64_t(x0) + shiftX;
    const int64_t columnEnd = std::min<int64_t>(field.width, int64_t(surface.clipWidth) - left);
    ColumnBatch batch;
    for (int64_t column = std::max<int64_t>(0, -left); column < columnEnd;) {
        column = GatherBatch(field, d, left, column, columnEnd, y0, BytesPerPixel, batch);
        DrawBatch<BytesPerPixel>(d, batch, storeBlock);
    }
}

// Draws the field into pixelSurface, in its pixel size, with Store<BytesPerPixel>{} storing the blocks.
template <template <int> class Store>
void DrawFieldInFoursWith(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX)
{
    WithPixelSize(pixelSurface.bytesPerPixel, [&](auto size) {
        constexpr int bytes = decltype(size)::value;
        DrawColumnsInFours<bytes>(field, pixelSurface, x0, y0, shiftX, Store<bytes>{});
    });
}
