#pragma once

// The frame-buffer row converters, each with its one-pixel form
// (<name>Pixel).  Every member is one pair of layouts (lfb/ZelkGrLfbLayouts.h)
// and is named after the first combination it serves:
// LfbReadRow_<Surface>To<LfbFormat> (surface into frame-buffer memory) or
// LfbWriteRow_<LfbFormat>To<Surface> (the reverse); many serve both
// directions, since the same bit moves convert either way.
#include "lfb/ZelkGrLfbAccessor.h"

namespace zelk {

// X(name, source layout, destination layout)
#define ZELK_LFB_ROW_CONVERTERS(X)                                                           \
    /* 32-bit surfaces */                                                                    \
    X(LfbReadRow_A8R8G8B8To888Abgr, SurfA8R8G8B8, Lfb8888Abgr)                               \
    X(LfbReadRow_A8R8G8B8To888Rgba, SurfA8R8G8B8, Lfb888Rgba)                                \
    X(LfbReadRow_A8R8G8B8To888Bgra, SurfA8R8G8B8, Lfb888Bgra)                                \
    X(LfbReadRow_A8R8G8B8To8888Rgba, SurfA8R8G8B8, Lfb8888Rgba)                              \
    X(LfbReadRow_A8R8G8B8To8888Bgra, SurfA8R8G8B8, Lfb8888Bgra)                              \
    X(LfbReadRow_A8R8G8B8To565Argb, SurfA8R8G8B8, Lfb565Argb)                                \
    X(LfbReadRow_A8R8G8B8To555Argb, SurfA8R8G8B8, Lfb555Argb)                                \
    X(LfbReadRow_A8R8G8B8To555Abgr, SurfA8R8G8B8, Lfb555Abgr)                                \
    X(LfbReadRow_A8R8G8B8To555Rgba, SurfA8R8G8B8, Lfb555Rgba)                                \
    X(LfbReadRow_A8R8G8B8To555Bgra, SurfA8R8G8B8, Lfb555Bgra)                                \
    X(LfbReadRow_A8R8G8B8To1555Argb, SurfA8R8G8B8, Lfb1555Argb)                              \
    X(LfbReadRow_A8R8G8B8To1555Abgr, SurfA8R8G8B8, Lfb1555Abgr)                              \
    X(LfbReadRow_A8R8G8B8To1555Rgba, SurfA8R8G8B8, Lfb1555Rgba)                              \
    X(LfbReadRow_A8R8G8B8To1555Bgra, SurfA8R8G8B8, Lfb1555Bgra)                              \
    X(LfbReadRow_A8R8G8B8To565DepthArgb, SurfA8R8G8B8, Lfb565DepthArgb)                      \
    X(LfbReadRow_A8R8G8B8To565DepthAbgr, SurfA8R8G8B8, Lfb565DepthAbgr)                      \
    X(LfbReadRow_A8R8G8B8To555DepthArgb, SurfA8R8G8B8, Lfb555DepthArgb)                      \
    X(LfbReadRow_A8R8G8B8To555DepthAbgr, SurfA8R8G8B8, Lfb555DepthAbgr)                      \
    X(LfbReadRow_A8R8G8B8To555DepthRgba, SurfA8R8G8B8, Lfb555DepthRgba)                      \
    X(LfbReadRow_A8R8G8B8To555DepthBgra, SurfA8R8G8B8, Lfb555DepthBgra)                      \
    X(LfbReadRow_A8R8G8B8To1555DepthArgb, SurfA8R8G8B8, Lfb1555DepthArgb)                    \
    X(LfbReadRow_A8R8G8B8To1555DepthAbgr, SurfA8R8G8B8, Lfb1555DepthAbgr)                    \
    X(LfbReadRow_A8R8G8B8To1555DepthRgba, SurfA8R8G8B8, Lfb1555DepthRgba)                    \
    X(LfbReadRow_A8R8G8B8To1555DepthBgra, SurfA8R8G8B8, Lfb1555DepthBgra)                    \
    X(LfbReadRow_A8R8G8B8ToAlpha, SurfA8R8G8B8, LfbAlpha)                                    \
    X(LfbReadRow_X8R8G8B8To8888Argb, SurfX8R8G8B8, Lfb8888Argb)                              \
    X(LfbReadRow_X8R8G8B8To8888Abgr, SurfX8R8G8B8, Lfb8888Abgr)                              \
    X(LfbReadRow_X8R8G8B8To8888Rgba, SurfX8R8G8B8, Lfb8888Rgba)                              \
    X(LfbReadRow_X8R8G8B8To8888Bgra, SurfX8R8G8B8, Lfb8888Bgra)                              \
    X(LfbReadRow_X8R8G8B8To1555Argb, SurfX8R8G8B8, Lfb1555Argb)                              \
    X(LfbReadRow_X8R8G8B8To1555Abgr, SurfX8R8G8B8, Lfb1555Abgr)                              \
    X(LfbReadRow_X8R8G8B8To1555Rgba, SurfX8R8G8B8, Lfb1555Rgba)                              \
    X(LfbReadRow_X8R8G8B8To1555Bgra, SurfX8R8G8B8, Lfb1555Bgra)                              \
    X(LfbReadRow_X8R8G8B8To1555DepthArgb, SurfX8R8G8B8, Lfb1555DepthArgb)                    \
    X(LfbReadRow_X8R8G8B8To1555DepthAbgr, SurfX8R8G8B8, Lfb1555DepthAbgr)                    \
    X(LfbReadRow_X8R8G8B8To1555DepthRgba, SurfX8R8G8B8, Lfb1555DepthRgba)                    \
    X(LfbReadRow_X8R8G8B8To1555DepthBgra, SurfX8R8G8B8, Lfb1555DepthBgra)                    \
    X(LfbReadRow_X8R8G8B8ToAlpha, SurfX8R8G8B8, LfbAlpha)                                    \
    X(LfbWriteRow_888RgbaToA8R8G8B8, Lfb888Rgba, SurfA8R8G8B8)                               \
    X(LfbWriteRow_888BgraToA8R8G8B8, Lfb888Bgra, SurfA8R8G8B8)                               \
    X(LfbWriteRow_8888RgbaToA8R8G8B8, Lfb8888Rgba, SurfA8R8G8B8)                             \
    X(LfbWriteRow_8888BgraToA8R8G8B8, Lfb8888Bgra, SurfA8R8G8B8)                             \
    X(LfbWriteRow_565ArgbToA8R8G8B8, Lfb565Argb, SurfA8R8G8B8)                               \
    X(LfbWriteRow_555ArgbToA8R8G8B8, Lfb555Argb, SurfA8R8G8B8)                               \
    X(LfbWriteRow_555AbgrToA8R8G8B8, Lfb555Abgr, SurfA8R8G8B8)                               \
    X(LfbWriteRow_555RgbaToA8R8G8B8, Lfb555Rgba, SurfA8R8G8B8)                               \
    X(LfbWriteRow_555BgraToA8R8G8B8, Lfb555Bgra, SurfA8R8G8B8)                               \
    X(LfbWriteRow_1555RgbaToA8R8G8B8, Lfb1555Rgba, SurfA8R8G8B8)                             \
    X(LfbWriteRow_1555BgraToA8R8G8B8, Lfb1555Bgra, SurfA8R8G8B8)                             \
    X(LfbWriteRow_565DepthArgbToA8R8G8B8, Lfb565DepthArgb, SurfA8R8G8B8)                     \
    X(LfbWriteRow_565DepthAbgrToA8R8G8B8, Lfb565DepthAbgr, SurfA8R8G8B8)                     \
    X(LfbWriteRow_555DepthArgbToA8R8G8B8, Lfb555DepthArgb, SurfA8R8G8B8)                     \
    X(LfbWriteRow_555DepthAbgrToA8R8G8B8, Lfb555DepthAbgr, SurfA8R8G8B8)                     \
    X(LfbWriteRow_555DepthRgbaToA8R8G8B8, Lfb555DepthRgba, SurfA8R8G8B8)                     \
    X(LfbWriteRow_555DepthBgraToA8R8G8B8, Lfb555DepthBgra, SurfA8R8G8B8)                     \
    X(LfbWriteRow_1555DepthArgbToA8R8G8B8, Lfb1555DepthArgb, SurfA8R8G8B8)                   \
    X(LfbWriteRow_1555DepthAbgrToA8R8G8B8, Lfb1555DepthAbgr, SurfA8R8G8B8)                   \
    X(LfbWriteRow_1555DepthRgbaToA8R8G8B8, Lfb1555DepthRgba, SurfA8R8G8B8)                   \
    X(LfbWriteRow_1555DepthBgraToA8R8G8B8, Lfb1555DepthBgra, SurfA8R8G8B8)                   \
    X(LfbWriteRow_AlphaToA8R8G8B8, LfbAlpha, SurfAlphaOfA8R8G8B8)                            \
    X(LfbWriteRowFill_ColorToA8R8G8B8, WorkingColour, SurfA8R8G8B8)                          \
    /* R5G6B5 surfaces */                                                                    \
    X(LfbReadRow_R5G6B5To888Argb, SurfR5G6B5, Lfb888Argb)                                    \
    X(LfbReadRow_R5G6B5To888Abgr, SurfR5G6B5, Lfb888Abgr)                                    \
    X(LfbReadRow_R5G6B5To888Rgba, SurfR5G6B5, Lfb888Rgba)                                    \
    X(LfbReadRow_R5G6B5To888Bgra, SurfR5G6B5, Lfb888Bgra)                                    \
    X(LfbReadRow_R5G6B5To8888Abgr, SurfR5G6B5, Lfb8888Abgr)                                  \
    X(LfbReadRow_R5G6B5To8888Rgba, SurfR5G6B5, Lfb8888Rgba)                                  \
    X(LfbReadRow_R5G6B5To8888Bgra, SurfR5G6B5, Lfb8888Bgra)                                  \
    X(LfbReadRow_R5G6B5To565Abgr, SurfR5G6B5, Lfb565Abgr)                                    \
    X(LfbReadRow_R5G6B5To555Argb, SurfR5G6B5, Lfb555Argb)                                    \
    X(LfbReadRow_R5G6B5To555Abgr, SurfR5G6B5, Lfb555Abgr)                                    \
    X(LfbReadRow_R5G6B5To555Rgba, SurfR5G6B5, Lfb555Rgba)                                    \
    X(LfbReadRow_R5G6B5To555Bgra, SurfR5G6B5, Lfb555Bgra)                                    \
    X(LfbReadRow_R5G6B5To1555Argb, SurfR5G6B5, Lfb1555Argb)                                  \
    X(LfbReadRow_R5G6B5To1555Abgr, SurfR5G6B5, Lfb1555Abgr)                                  \
    X(LfbReadRow_R5G6B5To1555Rgba, SurfR5G6B5, Lfb1555Rgba)                                  \
    X(LfbReadRow_R5G6B5To1555Bgra, SurfR5G6B5, Lfb1555Bgra)                                  \
    X(LfbReadRow_R5G6B5To565DepthAbgr, SurfR5G6B5, Lfb565DepthAbgr)                          \
    X(LfbReadRow_R5G6B5To555DepthArgb, SurfR5G6B5, Lfb555DepthArgb)                          \
    X(LfbReadRow_R5G6B5To555DepthAbgr, SurfR5G6B5, Lfb555DepthAbgr)                          \
    X(LfbReadRow_R5G6B5To555DepthRgba, SurfR5G6B5, Lfb555DepthRgba)                          \
    X(LfbReadRow_R5G6B5To555DepthBgra, SurfR5G6B5, Lfb555DepthBgra)                          \
    X(LfbReadRow_R5G6B5To1555DepthArgb, SurfR5G6B5, Lfb1555DepthArgb)                        \
    X(LfbReadRow_R5G6B5To1555DepthAbgr, SurfR5G6B5, Lfb1555DepthAbgr)                        \
    X(LfbReadRow_R5G6B5To1555DepthRgba, SurfR5G6B5, Lfb1555DepthRgba)                        \
    X(LfbReadRow_R5G6B5To1555DepthBgra, SurfR5G6B5, Lfb1555DepthBgra)                        \
    X(LfbReadRow_R5G6B5ToAlpha, SurfR5G6B5, LfbAlpha)                                        \
    X(LfbWriteRow_888AbgrToR5G6B5, Lfb888Abgr, SurfR5G6B5)                                   \
    X(LfbWriteRow_888RgbaToR5G6B5, Lfb888Rgba, SurfR5G6B5)                                   \
    X(LfbWriteRow_888BgraToR5G6B5, Lfb888Bgra, SurfR5G6B5)                                   \
    X(LfbWriteRow_555ArgbToR5G6B5, Lfb555Argb, SurfR5G6B5)                                   \
    X(LfbWriteRow_555RgbaToR5G6B5, Lfb555Rgba, SurfR5G6B5)                                   \
    X(LfbWriteRow_555BgraToR5G6B5, Lfb555Bgra, SurfR5G6B5)                                   \
    X(LfbWriteRow_565DepthArgbToR5G6B5, RawLow16Of32, Raw16)                                 \
    X(LfbWriteRow_565DepthAbgrToR5G6B5, Lfb565DepthAbgr, SurfR5G6B5)                         \
    X(LfbWriteRow_555DepthArgbToR5G6B5, Lfb555DepthArgb, SurfR5G6B5)                         \
    X(LfbWriteRow_555DepthAbgrToR5G6B5, Lfb555DepthAbgr, SurfR5G6B5)                         \
    X(LfbWriteRow_555DepthRgbaToR5G6B5, Lfb555DepthRgba, SurfR5G6B5)                         \
    X(LfbWriteRow_555DepthBgraToR5G6B5, Lfb555DepthBgra, SurfR5G6B5)                         \
    X(LfbWriteRowFill_ColorToR5G6B5, WorkingColour, SurfR5G6B5)                              \
    /* X1R5G5B5 and A1R5G5B5 surfaces */                                                     \
    X(LfbReadRow_X1R5G5B5To888Argb, SurfA1R5G5B5, Lfb8888Argb)                               \
    X(LfbReadRow_X1R5G5B5To888Abgr, SurfA1R5G5B5, Lfb8888Abgr)                               \
    X(LfbReadRow_X1R5G5B5To888Rgba, SurfA1R5G5B5, Lfb8888Rgba)                               \
    X(LfbReadRow_X1R5G5B5To888Bgra, SurfA1R5G5B5, Lfb8888Bgra)                               \
    X(LfbReadRow_X1R5G5B5To8888Abgr, SurfX1R5G5B5, Lfb8888Abgr)                              \
    X(LfbReadRow_X1R5G5B5To8888Rgba, SurfX1R5G5B5, Lfb8888Rgba)                              \
    X(LfbReadRow_X1R5G5B5To8888Bgra, SurfX1R5G5B5, Lfb8888Bgra)                              \
    X(LfbReadRow_X1R5G5B5To565Abgr, SurfX1R5G5B5, Lfb565Abgr)                                \
    X(LfbReadRow_X1R5G5B5To555Abgr, SurfA1R5G5B5, Lfb1555Abgr)                               \
    X(LfbReadRow_X1R5G5B5To555Rgba, SurfA1R5G5B5, Lfb1555Rgba)                               \
    X(LfbReadRow_X1R5G5B5To555Bgra, SurfA1R5G5B5, Lfb1555Bgra)                               \
    X(LfbReadRow_X1R5G5B5To1555Argb, SurfX1R5G5B5OrWorking, Lfb1555Argb)                     \
    X(LfbReadRow_X1R5G5B5To1555Abgr, SurfX1R5G5B5, Lfb1555Abgr)                              \
    X(LfbReadRow_X1R5G5B5To1555Rgba, SurfX1R5G5B5, Lfb1555Rgba)                              \
    X(LfbReadRow_X1R5G5B5To1555Bgra, SurfX1R5G5B5, Lfb1555Bgra)                              \
    X(LfbReadRow_A1R5G5B5ToAlpha, SurfA1R5G5B5, LfbAlpha)                                    \
    X(LfbReadRow_X1R5G5B5To565DepthArgb, SurfX1R5G5B5, Lfb565DepthArgb)                      \
    X(LfbReadRow_X1R5G5B5To565DepthAbgr, SurfX1R5G5B5, Lfb565DepthAbgr)                      \
    X(LfbReadRow_X1R5G5B5To555DepthArgb, Raw16, RawLow16Of32)                                \
    X(LfbReadRow_X1R5G5B5To555DepthAbgr, SurfA1R5G5B5, Lfb1555DepthAbgr)                     \
    X(LfbReadRow_X1R5G5B5To555DepthRgba, SurfA1R5G5B5, Lfb1555DepthRgba)                     \
    X(LfbReadRow_X1R5G5B5To555DepthBgra, SurfA1R5G5B5, Lfb1555DepthBgra)                     \
    X(LfbReadRow_X1R5G5B5To1555DepthArgb, SurfX1R5G5B5OrWorking, Lfb1555DepthArgb)           \
    X(LfbReadRow_X1R5G5B5To1555DepthAbgr, SurfX1R5G5B5, Lfb1555DepthAbgr)                    \
    X(LfbReadRow_X1R5G5B5To1555DepthRgba, SurfX1R5G5B5, Lfb1555DepthRgba)                    \
    X(LfbReadRow_X1R5G5B5To1555DepthBgra, SurfX1R5G5B5, Lfb1555DepthBgra)                    \
    X(LfbWriteRow_565AbgrToX1R5G5B5, Lfb565Abgr, SurfA1R5G5B5)                               \
    X(LfbWriteRow_555RgbaToX1R5G5B5, Lfb555Rgba, SurfA1R5G5B5)                               \
    X(LfbWriteRow_555BgraToX1R5G5B5, Lfb555Bgra, SurfA1R5G5B5)                               \
    X(LfbWriteRow_1555RgbaToX1R5G5B5, Lfb1555Rgba, SurfA1R5G5B5)                             \
    X(LfbWriteRow_1555BgraToX1R5G5B5, Lfb1555Bgra, SurfA1R5G5B5)                             \
    X(LfbWriteRow_888RgbaToX1R5G5B5, Lfb888Rgba, SurfA1R5G5B5)                               \
    X(LfbWriteRow_888BgraToX1R5G5B5, Lfb888Bgra, SurfA1R5G5B5)                               \
    X(LfbWriteRow_8888RgbaToX1R5G5B5, Lfb8888Rgba, SurfA1R5G5B5)                             \
    X(LfbWriteRow_8888BgraToX1R5G5B5, Lfb8888Bgra, SurfA1R5G5B5)                             \
    X(LfbWriteRow_565DepthArgbToX1R5G5B5, Lfb565DepthArgb, SurfA1R5G5B5)                     \
    X(LfbWriteRow_565DepthAbgrToX1R5G5B5, Lfb565DepthAbgr, SurfA1R5G5B5)                     \
    X(LfbWriteRow_555DepthArgbToX1R5G5B5, Lfb555DepthArgbOrWorking, SurfA1R5G5B5)            \
    X(LfbWriteRow_555DepthAbgrToX1R5G5B5, Lfb555DepthAbgr, SurfA1R5G5B5)                     \
    X(LfbWriteRow_555DepthRgbaToX1R5G5B5, Lfb555DepthRgba, SurfA1R5G5B5)                     \
    X(LfbWriteRow_555DepthBgraToX1R5G5B5, Lfb555DepthBgra, SurfA1R5G5B5)                     \
    X(LfbWriteRow_1555DepthAbgrToX1R5G5B5, Lfb1555DepthAbgr, SurfA1R5G5B5)                   \
    X(LfbWriteRow_1555DepthRgbaToX1R5G5B5, Lfb1555DepthRgba, SurfA1R5G5B5)                   \
    X(LfbWriteRow_1555DepthBgraToX1R5G5B5, Lfb1555DepthBgra, SurfA1R5G5B5)                   \
    X(LfbWriteRowFill_ColorToX1R5G5B5, WorkingColour, SurfA1R5G5B5)                          \
    X(LfbWriteRow_AlphaToA1R5G5B5, LfbAlpha, SurfAlphaOfA1R5G5B5)                            \
    /* depth */                                                                              \
    X(LfbReadRow_D16LockableTo565Depth, Raw16, DepthHigh16Of32)                              \
    X(LfbWriteRow_565DepthToD16Lockable, DepthHigh16Of32, Raw16)                             \
    X(LfbWriteRow_Za16ToD32FLockable, Raw16, DepthFloat)                                     \
    X(LfbWriteRow_565DepthToD32FLockable, DepthHigh16Of32, DepthFloat)                       \
    X(LfbReadRow_D32FLockableToZa16, DepthFloat, Raw16)                                      \
    X(LfbReadRow_D32FLockableTo565Depth, DepthFloat, DepthHigh16Of32)                        \
    X(LfbWriteRowFill_DepthToD16Lockable, WorkingDepth, Raw16)                               \
    X(LfbWriteRowFill_DepthToD32FLockable, WorkingDepthOver65536, Raw32)

#define ZELK_LFB_DECLARE_ROW_CONVERTER(name, source, destination)                             \
    void name(const ZelkGrLfbAccessor* accessor, const void* sourceBits, const RECT* sourceRect, \
              int sourcePitch, void* destinationBits, const POINT* destinationPoint,          \
              int destinationPitch);                                                          \
    void name##Pixel(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,              \
                     void* destinationPixel);

// Plain copies, for pairs whose two layouts are the same pixel bit for bit.
// X(name, pixel size in bytes)
#define ZELK_LFB_COPY_CONVERTERS(X)                                                          \
    X(LfbRowCopy16, 2)                                                                       \
    X(LfbRowCopy32, 4)                                                                       \
    X(LfbReadRow_A8R8G8B8To888Argb, 4) /* A8R8G8B8 is the 8888 ARGB pixel */                 \
    X(LfbReadRow_D16LockableToZa16, 2) /* 16-bit depth moved as it is */

ZELK_LFB_ROW_CONVERTERS(ZELK_LFB_DECLARE_ROW_CONVERTER)
#define ZELK_LFB_DECLARE_COPY_CONVERTER(name, size) ZELK_LFB_DECLARE_ROW_CONVERTER(name, , )
ZELK_LFB_COPY_CONVERTERS(ZELK_LFB_DECLARE_COPY_CONVERTER)
#undef ZELK_LFB_DECLARE_COPY_CONVERTER

}  // namespace zelk
