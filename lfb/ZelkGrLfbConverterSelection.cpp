// The colour and depth converter pickers of the frame-buffer accessor:
// tables by surface format and direction, then by write mode and colour
// order.
#include "lfb/ZelkGrLfbAccessor.h"
#include "lfb/ZelkGrLfbRowConverters.h"

namespace zelk {

namespace {

struct ConverterPair {
    LfbRowConverter row;
    LfbPixelConverter pixel;
};

#define P(name) {name, name##Pixel}
#define NONE {ConvertRectNone, ConvertTexelNone}

// Rows: 565 (and ANY), 555, 1555, alpha (3), 888, 8888, 565_DEPTH,
// 555_DEPTH, 1555_DEPTH, ZA16; columns: ARGB, ABGR, RGBA, BGRA.
constexpr unsigned kModeRows = 10;
typedef ConverterPair PickTable[kModeRows][4];

// Row of a write mode, or -1 for a mode outside Glide's set.
int ModeRow(uint32_t writeMode) {
    if (writeMode == GR_LFBWRITEMODE_ANY) {
        return 0;
    }
    if (writeMode <= 5) {
        return int(writeMode);
    }
    if (writeMode >= 12 && writeMode <= 15) {
        return int(writeMode) - 6;
    }
    return -1;
}

const PickTable kReadA8R8G8B8 = {
    {P(LfbReadRow_A8R8G8B8To565Argb), P(LfbWriteRow_888AbgrToR5G6B5), P(LfbReadRow_A8R8G8B8To565Argb), P(LfbWriteRow_888AbgrToR5G6B5)},
    {P(LfbReadRow_A8R8G8B8To555Argb), P(LfbReadRow_A8R8G8B8To555Abgr), P(LfbReadRow_A8R8G8B8To555Rgba), P(LfbReadRow_A8R8G8B8To555Bgra)},
    {P(LfbReadRow_A8R8G8B8To1555Argb), P(LfbReadRow_A8R8G8B8To1555Abgr), P(LfbReadRow_A8R8G8B8To1555Rgba), P(LfbReadRow_A8R8G8B8To1555Bgra)},
    {P(LfbReadRow_A8R8G8B8ToAlpha), P(LfbReadRow_A8R8G8B8ToAlpha), P(LfbReadRow_A8R8G8B8ToAlpha), P(LfbReadRow_A8R8G8B8ToAlpha)},
    {P(LfbReadRow_A8R8G8B8To888Argb), P(LfbReadRow_A8R8G8B8To888Abgr), P(LfbReadRow_A8R8G8B8To888Rgba), P(LfbReadRow_A8R8G8B8To888Bgra)},
    {P(LfbRowCopy32), P(LfbReadRow_A8R8G8B8To888Abgr), P(LfbReadRow_A8R8G8B8To8888Rgba), P(LfbReadRow_A8R8G8B8To8888Bgra)},
    {P(LfbReadRow_A8R8G8B8To565DepthArgb), P(LfbReadRow_A8R8G8B8To565DepthAbgr), P(LfbReadRow_A8R8G8B8To565DepthArgb), P(LfbReadRow_A8R8G8B8To565DepthAbgr)},
    {P(LfbReadRow_A8R8G8B8To555DepthArgb), P(LfbReadRow_A8R8G8B8To555DepthAbgr), P(LfbReadRow_A8R8G8B8To555DepthRgba), P(LfbReadRow_A8R8G8B8To555DepthBgra)},
    {P(LfbReadRow_A8R8G8B8To1555DepthArgb), P(LfbReadRow_A8R8G8B8To1555DepthAbgr), P(LfbReadRow_A8R8G8B8To1555DepthRgba), P(LfbReadRow_A8R8G8B8To1555DepthBgra)},
    {NONE, NONE, NONE, NONE},
};

const PickTable kReadX8R8G8B8 = {
    {P(LfbReadRow_A8R8G8B8To565Argb), P(LfbWriteRow_888AbgrToR5G6B5), P(LfbReadRow_A8R8G8B8To565Argb), P(LfbWriteRow_888AbgrToR5G6B5)},
    {P(LfbReadRow_A8R8G8B8To555Argb), P(LfbReadRow_A8R8G8B8To555Abgr), P(LfbReadRow_A8R8G8B8To555Rgba), P(LfbReadRow_A8R8G8B8To555Bgra)},
    {P(LfbReadRow_X8R8G8B8To1555Argb), P(LfbReadRow_X8R8G8B8To1555Abgr), P(LfbReadRow_X8R8G8B8To1555Rgba), P(LfbReadRow_X8R8G8B8To1555Bgra)},
    {P(LfbReadRow_X8R8G8B8ToAlpha), P(LfbReadRow_X8R8G8B8ToAlpha), P(LfbReadRow_X8R8G8B8ToAlpha), P(LfbReadRow_X8R8G8B8ToAlpha)},
    {P(LfbRowCopy32), P(LfbReadRow_A8R8G8B8To888Abgr), P(LfbReadRow_A8R8G8B8To888Rgba), P(LfbReadRow_A8R8G8B8To888Bgra)},
    {P(LfbReadRow_X8R8G8B8To8888Argb), P(LfbReadRow_X8R8G8B8To8888Abgr), P(LfbReadRow_X8R8G8B8To8888Rgba), P(LfbReadRow_X8R8G8B8To8888Bgra)},
    {P(LfbReadRow_A8R8G8B8To565DepthArgb), P(LfbReadRow_A8R8G8B8To565DepthAbgr), P(LfbReadRow_A8R8G8B8To565DepthArgb), P(LfbReadRow_A8R8G8B8To565DepthAbgr)},
    {P(LfbReadRow_A8R8G8B8To555DepthArgb), P(LfbReadRow_A8R8G8B8To555DepthAbgr), P(LfbReadRow_A8R8G8B8To555DepthRgba), P(LfbReadRow_A8R8G8B8To555DepthBgra)},
    {P(LfbReadRow_X8R8G8B8To1555DepthArgb), P(LfbReadRow_X8R8G8B8To1555DepthAbgr), P(LfbReadRow_X8R8G8B8To1555DepthRgba), P(LfbReadRow_X8R8G8B8To1555DepthBgra)},
    {NONE, NONE, NONE, NONE},
};

const PickTable kReadR5G6B5 = {
    {P(LfbRowCopy16), P(LfbReadRow_R5G6B5To565Abgr), P(LfbRowCopy16), P(LfbReadRow_R5G6B5To565Abgr)},
    {P(LfbReadRow_R5G6B5To555Argb), P(LfbReadRow_R5G6B5To555Abgr), P(LfbReadRow_R5G6B5To555Rgba), P(LfbReadRow_R5G6B5To555Bgra)},
    {P(LfbReadRow_R5G6B5To1555Argb), P(LfbReadRow_R5G6B5To1555Abgr), P(LfbReadRow_R5G6B5To1555Rgba), P(LfbReadRow_R5G6B5To1555Bgra)},
    {P(LfbReadRow_R5G6B5ToAlpha), P(LfbReadRow_R5G6B5ToAlpha), P(LfbReadRow_R5G6B5ToAlpha), P(LfbReadRow_R5G6B5ToAlpha)},
    {P(LfbReadRow_R5G6B5To888Argb), P(LfbReadRow_R5G6B5To888Abgr), P(LfbReadRow_R5G6B5To888Rgba), P(LfbReadRow_R5G6B5To888Bgra)},
    {P(LfbWriteRow_565ArgbToA8R8G8B8), P(LfbReadRow_R5G6B5To8888Abgr), P(LfbReadRow_R5G6B5To8888Rgba), P(LfbReadRow_R5G6B5To8888Bgra)},
    {P(LfbReadRow_X1R5G5B5To555DepthArgb), P(LfbReadRow_R5G6B5To565DepthAbgr), P(LfbReadRow_X1R5G5B5To555DepthArgb), P(LfbReadRow_R5G6B5To565DepthAbgr)},
    {P(LfbReadRow_R5G6B5To555DepthArgb), P(LfbReadRow_R5G6B5To555DepthAbgr), P(LfbReadRow_R5G6B5To555DepthRgba), P(LfbReadRow_R5G6B5To555DepthBgra)},
    {P(LfbReadRow_R5G6B5To1555DepthArgb), P(LfbReadRow_R5G6B5To1555DepthAbgr), P(LfbReadRow_R5G6B5To1555DepthRgba), P(LfbReadRow_R5G6B5To1555DepthBgra)},
    {NONE, NONE, NONE, NONE},
};

const PickTable kReadX1R5G5B5 = {
    {P(LfbWriteRow_555ArgbToR5G6B5), P(LfbReadRow_X1R5G5B5To565Abgr), P(LfbWriteRow_555ArgbToR5G6B5), P(LfbReadRow_X1R5G5B5To565Abgr)},
    {P(LfbRowCopy16), P(LfbReadRow_X1R5G5B5To555Abgr), P(LfbReadRow_X1R5G5B5To555Rgba), P(LfbReadRow_X1R5G5B5To555Bgra)},
    {P(LfbReadRow_X1R5G5B5To1555Argb), P(LfbReadRow_X1R5G5B5To1555Abgr), P(LfbReadRow_X1R5G5B5To1555Rgba), P(LfbReadRow_X1R5G5B5To1555Bgra)},
    {P(LfbReadRow_R5G6B5ToAlpha), P(LfbReadRow_R5G6B5ToAlpha), P(LfbReadRow_R5G6B5ToAlpha), P(LfbReadRow_R5G6B5ToAlpha)},
    {P(LfbReadRow_X1R5G5B5To888Argb), P(LfbReadRow_X1R5G5B5To888Abgr), P(LfbReadRow_X1R5G5B5To888Rgba), P(LfbReadRow_X1R5G5B5To888Bgra)},
    {P(LfbWriteRow_555ArgbToA8R8G8B8), P(LfbReadRow_X1R5G5B5To8888Abgr), P(LfbReadRow_X1R5G5B5To8888Rgba), P(LfbReadRow_X1R5G5B5To8888Bgra)},
    {P(LfbReadRow_X1R5G5B5To565DepthArgb), P(LfbReadRow_X1R5G5B5To565DepthAbgr), P(LfbReadRow_X1R5G5B5To565DepthArgb), P(LfbReadRow_X1R5G5B5To565DepthAbgr)},
    {P(LfbReadRow_X1R5G5B5To555DepthArgb), P(LfbReadRow_X1R5G5B5To555DepthAbgr), P(LfbReadRow_X1R5G5B5To555DepthRgba), P(LfbReadRow_X1R5G5B5To555DepthBgra)},
    {P(LfbReadRow_X1R5G5B5To1555DepthArgb), P(LfbReadRow_X1R5G5B5To1555DepthAbgr), P(LfbReadRow_X1R5G5B5To1555DepthRgba), P(LfbReadRow_X1R5G5B5To1555DepthBgra)},
    {NONE, NONE, NONE, NONE},
};

const PickTable kReadA1R5G5B5 = {
    {P(LfbWriteRow_555ArgbToR5G6B5), P(LfbReadRow_X1R5G5B5To565Abgr), P(LfbWriteRow_555ArgbToR5G6B5), P(LfbReadRow_X1R5G5B5To565Abgr)},
    {P(LfbReadRow_D16LockableToZa16), P(LfbReadRow_X1R5G5B5To555Abgr), P(LfbReadRow_X1R5G5B5To555Rgba), P(LfbReadRow_X1R5G5B5To555Bgra)},
    {P(LfbRowCopy16), P(LfbReadRow_X1R5G5B5To555Abgr), P(LfbReadRow_X1R5G5B5To555Rgba), P(LfbReadRow_X1R5G5B5To555Bgra)},
    {P(LfbReadRow_A1R5G5B5ToAlpha), P(LfbReadRow_A1R5G5B5ToAlpha), P(LfbReadRow_A1R5G5B5ToAlpha), P(LfbReadRow_A1R5G5B5ToAlpha)},
    {P(LfbReadRow_X1R5G5B5To888Argb), P(LfbReadRow_X1R5G5B5To888Abgr), P(LfbReadRow_X1R5G5B5To888Rgba), P(LfbReadRow_X1R5G5B5To888Bgra)},
    {P(LfbReadRow_X1R5G5B5To888Argb), P(LfbReadRow_X1R5G5B5To888Abgr), P(LfbReadRow_X1R5G5B5To888Rgba), P(LfbReadRow_X1R5G5B5To888Bgra)},
    {P(LfbReadRow_X1R5G5B5To565DepthArgb), P(LfbReadRow_X1R5G5B5To565DepthAbgr), P(LfbReadRow_X1R5G5B5To565DepthArgb), P(LfbReadRow_X1R5G5B5To565DepthAbgr)},
    {P(LfbReadRow_X1R5G5B5To555DepthArgb), P(LfbReadRow_X1R5G5B5To555DepthAbgr), P(LfbReadRow_X1R5G5B5To555DepthRgba), P(LfbReadRow_X1R5G5B5To555DepthBgra)},
    {P(LfbReadRow_X1R5G5B5To555DepthArgb), P(LfbReadRow_X1R5G5B5To555DepthAbgr), P(LfbReadRow_X1R5G5B5To555DepthRgba), P(LfbReadRow_X1R5G5B5To555DepthBgra)},
    {NONE, NONE, NONE, NONE},
};

// Writes.  ZA16 carries no colour: the surface takes the constant colour.
// The alpha buffer's mode carries only alpha: its row is picked by surface
// below (kWriteAlphaA8R8G8B8, kWriteAlphaA1R5G5B5) and is empty here.
const PickTable kWriteA8R8G8B8 = {
    {P(LfbWriteRow_565ArgbToA8R8G8B8), P(LfbReadRow_R5G6B5To8888Abgr), P(LfbWriteRow_565ArgbToA8R8G8B8), P(LfbReadRow_R5G6B5To8888Abgr)},
    {P(LfbWriteRow_555ArgbToA8R8G8B8), P(LfbWriteRow_555AbgrToA8R8G8B8), P(LfbWriteRow_555RgbaToA8R8G8B8), P(LfbWriteRow_555BgraToA8R8G8B8)},
    {P(LfbReadRow_X1R5G5B5To888Argb), P(LfbReadRow_X1R5G5B5To888Abgr), P(LfbWriteRow_1555RgbaToA8R8G8B8), P(LfbWriteRow_1555BgraToA8R8G8B8)},
    {NONE, NONE, NONE, NONE},
    {P(LfbReadRow_X8R8G8B8To8888Argb), P(LfbReadRow_X8R8G8B8To8888Abgr), P(LfbWriteRow_888RgbaToA8R8G8B8), P(LfbWriteRow_888BgraToA8R8G8B8)},
    {P(LfbRowCopy32), P(LfbReadRow_A8R8G8B8To888Abgr), P(LfbWriteRow_8888RgbaToA8R8G8B8), P(LfbWriteRow_8888BgraToA8R8G8B8)},
    {P(LfbWriteRow_565DepthArgbToA8R8G8B8), P(LfbWriteRow_565DepthAbgrToA8R8G8B8), P(LfbWriteRow_565DepthArgbToA8R8G8B8), P(LfbWriteRow_565DepthAbgrToA8R8G8B8)},
    {P(LfbWriteRow_555DepthArgbToA8R8G8B8), P(LfbWriteRow_555DepthAbgrToA8R8G8B8), P(LfbWriteRow_555DepthRgbaToA8R8G8B8), P(LfbWriteRow_555DepthBgraToA8R8G8B8)},
    {P(LfbWriteRow_1555DepthArgbToA8R8G8B8), P(LfbWriteRow_1555DepthAbgrToA8R8G8B8), P(LfbWriteRow_1555DepthRgbaToA8R8G8B8), P(LfbWriteRow_1555DepthBgraToA8R8G8B8)},
    {P(LfbWriteRowFill_ColorToA8R8G8B8), P(LfbWriteRowFill_ColorToA8R8G8B8), P(LfbWriteRowFill_ColorToA8R8G8B8), P(LfbWriteRowFill_ColorToA8R8G8B8)},
};

const PickTable kWriteR5G6B5 = {
    {P(LfbRowCopy16), P(LfbReadRow_R5G6B5To565Abgr), P(LfbRowCopy16), P(LfbReadRow_R5G6B5To565Abgr)},
    {P(LfbWriteRow_555ArgbToR5G6B5), P(LfbReadRow_X1R5G5B5To565Abgr), P(LfbWriteRow_555RgbaToR5G6B5), P(LfbWriteRow_555BgraToR5G6B5)},
    {P(LfbWriteRow_555ArgbToR5G6B5), P(LfbReadRow_X1R5G5B5To565Abgr), P(LfbWriteRow_555RgbaToR5G6B5), P(LfbWriteRow_555BgraToR5G6B5)},
    {NONE, NONE, NONE, NONE},
    {P(LfbReadRow_A8R8G8B8To565Argb), P(LfbWriteRow_888AbgrToR5G6B5), P(LfbWriteRow_888RgbaToR5G6B5), P(LfbWriteRow_888BgraToR5G6B5)},
    {P(LfbReadRow_A8R8G8B8To565Argb), P(LfbWriteRow_888AbgrToR5G6B5), P(LfbWriteRow_888RgbaToR5G6B5), P(LfbWriteRow_888BgraToR5G6B5)},
    {P(LfbWriteRow_565DepthArgbToR5G6B5), P(LfbWriteRow_565DepthAbgrToR5G6B5), P(LfbWriteRow_565DepthArgbToR5G6B5), P(LfbWriteRow_565DepthAbgrToR5G6B5)},
    {P(LfbWriteRow_555DepthArgbToR5G6B5), P(LfbWriteRow_555DepthAbgrToR5G6B5), P(LfbWriteRow_555DepthRgbaToR5G6B5), P(LfbWriteRow_555DepthBgraToR5G6B5)},
    {P(LfbWriteRow_555DepthArgbToR5G6B5), P(LfbWriteRow_555DepthAbgrToR5G6B5), P(LfbWriteRow_555DepthRgbaToR5G6B5), P(LfbWriteRow_555DepthBgraToR5G6B5)},
    {P(LfbWriteRowFill_ColorToR5G6B5), P(LfbWriteRowFill_ColorToR5G6B5), P(LfbWriteRowFill_ColorToR5G6B5), P(LfbWriteRowFill_ColorToR5G6B5)},
};

const PickTable kWriteX1R5G5B5 = {
    {P(LfbReadRow_R5G6B5To1555Argb), P(LfbWriteRow_565AbgrToX1R5G5B5), P(LfbReadRow_R5G6B5To1555Argb), P(LfbWriteRow_565AbgrToX1R5G5B5)},
    {P(LfbReadRow_X1R5G5B5To1555Argb), P(LfbReadRow_X1R5G5B5To1555Abgr), P(LfbWriteRow_555RgbaToX1R5G5B5), P(LfbWriteRow_555BgraToX1R5G5B5)},
    {P(LfbRowCopy16), P(LfbReadRow_X1R5G5B5To555Abgr), P(LfbWriteRow_1555RgbaToX1R5G5B5), P(LfbWriteRow_1555BgraToX1R5G5B5)},
    {NONE, NONE, NONE, NONE},
    {P(LfbReadRow_X8R8G8B8To1555Argb), P(LfbReadRow_X8R8G8B8To1555Abgr), P(LfbWriteRow_888RgbaToX1R5G5B5), P(LfbWriteRow_888BgraToX1R5G5B5)},
    {P(LfbReadRow_A8R8G8B8To1555Argb), P(LfbReadRow_A8R8G8B8To1555Abgr), P(LfbWriteRow_8888RgbaToX1R5G5B5), P(LfbWriteRow_8888BgraToX1R5G5B5)},
    {P(LfbWriteRow_565DepthArgbToX1R5G5B5), P(LfbWriteRow_565DepthAbgrToX1R5G5B5), P(LfbWriteRow_565DepthArgbToX1R5G5B5), P(LfbWriteRow_565DepthAbgrToX1R5G5B5)},
    {P(LfbWriteRow_555DepthArgbToX1R5G5B5), P(LfbWriteRow_555DepthAbgrToX1R5G5B5), P(LfbWriteRow_555DepthRgbaToX1R5G5B5), P(LfbWriteRow_555DepthBgraToX1R5G5B5)},
    {P(LfbWriteRow_565DepthArgbToR5G6B5), P(LfbWriteRow_1555DepthAbgrToX1R5G5B5), P(LfbWriteRow_1555DepthRgbaToX1R5G5B5), P(LfbWriteRow_1555DepthBgraToX1R5G5B5)},
    {P(LfbWriteRowFill_ColorToX1R5G5B5), P(LfbWriteRowFill_ColorToX1R5G5B5), P(LfbWriteRowFill_ColorToX1R5G5B5), P(LfbWriteRowFill_ColorToX1R5G5B5)},
};

bool Store(LfbRowConverter& row, LfbPixelConverter& pixel, const ConverterPair& pair,
           bool result) {
    row = pair.row;
    pixel = pair.pixel;
    return result;
}

const ConverterPair kNone = NONE;

// The alpha buffer's mode written into the surfaces with alpha bits, every
// colour order: only those bits change.
const ConverterPair kWriteAlphaA8R8G8B8 = P(LfbWriteRow_AlphaToA8R8G8B8);
const ConverterPair kWriteAlphaA1R5G5B5 = P(LfbWriteRow_AlphaToA1R5G5B5);

// Depth rows: colour-only modes (565 to 8888, ANY), RGB:DEPTH modes, ZA16.
// Writes in colour-only modes fill with the constant depth; reads in them
// convert no depth.
const ConverterPair kReadD16[3] = {NONE, P(LfbReadRow_D16LockableTo565Depth), P(LfbReadRow_D16LockableToZa16)};
const ConverterPair kReadD32F[3] = {NONE, P(LfbReadRow_D32FLockableTo565Depth), P(LfbReadRow_D32FLockableToZa16)};
const ConverterPair kWriteD16[3] = {P(LfbWriteRowFill_DepthToD16Lockable), P(LfbWriteRow_565DepthToD16Lockable),
                                    P(LfbReadRow_D16LockableToZa16)};
const ConverterPair kWriteD32F[3] = {P(LfbWriteRowFill_DepthToD32FLockable), P(LfbWriteRow_565DepthToD32FLockable),
                                     P(LfbWriteRow_Za16ToD32FLockable)};

#undef P
#undef NONE

int DepthRow(uint32_t writeMode) {
    const int row = ModeRow(writeMode);
    if (row < 0) {
        return -1;
    }
    return row < 6 ? 0 : row < 9 ? 1 : 2;
}

}  // namespace

bool ZelkGrLfbAccessor::SetupReadConverter(uint32_t writeMode, uint32_t colorOrder,
                                           uint32_t surfaceFormat) {
    workingColor = readFillColor;
    workingAlpha = readFillAlpha;
    workingAlphaNonZero = readFillAlpha != 0;
    const int row = ModeRow(writeMode);
    const PickTable* table = nullptr;
    switch (surfaceFormat) {
    case D3DFMT_A8R8G8B8: table = &kReadA8R8G8B8; break;
    case D3DFMT_X8R8G8B8: table = &kReadX8R8G8B8; break;
    case D3DFMT_R5G6B5: table = &kReadR5G6B5; break;
    case D3DFMT_X1R5G5B5: table = &kReadX1R5G5B5; break;
    case D3DFMT_A1R5G5B5: table = &kReadA1R5G5B5; break;
    default: break;
    }
    if (table == nullptr || row < 0 || colorOrder > 3) {
        return Store(colorRowConverter, colorPixelConverter, kNone, false);
    }
    return Store(colorRowConverter, colorPixelConverter, (*table)[row][colorOrder], true);
}

bool ZelkGrLfbAccessor::SetupWriteConverter(uint32_t writeMode, uint32_t colorOrder,
                                            uint32_t surfaceFormat) {
    workingColor = constantColor;
    workingAlpha = constantAlpha;
    workingAlphaNonZero = constantAlpha != 0;
    if (writeMode == GR_LFBWRITEMODE_RESERVED1) {
        const ConverterPair* pair = surfaceFormat == D3DFMT_A8R8G8B8   ? &kWriteAlphaA8R8G8B8
                                    : surfaceFormat == D3DFMT_A1R5G5B5 ? &kWriteAlphaA1R5G5B5
                                                                       : nullptr;
        if (pair == nullptr || colorOrder > 3) {
            return Store(colorRowConverter, colorPixelConverter, kNone, false);
        }
        return Store(colorRowConverter, colorPixelConverter, *pair, true);
    }
    const int row = ModeRow(writeMode);
    const PickTable* table = nullptr;
    switch (surfaceFormat) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: table = &kWriteA8R8G8B8; break;
    case D3DFMT_R5G6B5: table = &kWriteR5G6B5; break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: table = &kWriteX1R5G5B5; break;
    default: break;
    }
    if (table == nullptr || row < 0 || colorOrder > 3) {
        return Store(colorRowConverter, colorPixelConverter, kNone, false);
    }
    return Store(colorRowConverter, colorPixelConverter, (*table)[row][colorOrder], true);
}

bool ZelkGrLfbAccessor::SetupReadDepthConverter(uint32_t writeMode, uint32_t depthFormat) {
    workingDepth = readFillDepth;
    const int row = DepthRow(writeMode);
    const ConverterPair* table = depthFormat == D3DFMT_D16_LOCKABLE    ? kReadD16
                                 : depthFormat == D3DFMT_D32F_LOCKABLE ? kReadD32F
                                                                       : nullptr;
    if (table == nullptr || row < 0) {
        return Store(depthRowConverter, depthPixelConverter, kNone, false);
    }
    return Store(depthRowConverter, depthPixelConverter, table[row], true);
}

bool ZelkGrLfbAccessor::SetupWriteDepthConverter(uint32_t writeMode, uint32_t depthFormat) {
    workingDepth = constantDepth;
    const int row = DepthRow(writeMode);
    const ConverterPair* table = depthFormat == D3DFMT_D16_LOCKABLE    ? kWriteD16
                                 : depthFormat == D3DFMT_D32F_LOCKABLE ? kWriteD32F
                                                                       : nullptr;
    if (table == nullptr || row < 0) {
        return Store(depthRowConverter, depthPixelConverter, kNone, false);
    }
    return Store(depthRowConverter, depthPixelConverter, table[row], true);
}

}  // namespace zelk
