// Per-rectangle converters into the 24- and 32-bit formats, and the copies.
#include "pixelformat/ZelkGrRectConverters.h"

namespace zelk {

ZELK_RECT_CONVERTERS_32(ZELK_DEFINE_RECT_CONVERTER)

#define ZELK_DEFINE_RECT_COPY(name, copy)                                                   \
    void ConvertRect_##name(const ZelkGrPixelConverter*, const void* sourceBits,           \
                            const RECT* sourceRect, int sourcePitch, void* destinationBits, \
                            const POINT* destinationPoint, int destinationPitch) {          \
        copy(sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint,       \
             destinationPitch);                                                             \
    }
ZELK_DEFINE_RECT_COPY(Copy32, CopyRect<4>)
ZELK_DEFINE_RECT_COPY(Copy24, CopyRect<3>)
ZELK_DEFINE_RECT_COPY(Copy16, CopyRect<2>)
ZELK_DEFINE_RECT_COPY(Copy8, CopyRect<1>)
ZELK_DEFINE_RECT_COPY(A8R8G8B8ToX8R8G8B8, CopyRectByTexel<4>)
ZELK_DEFINE_RECT_COPY(A1R5G5B5ToX1R5G5B5, CopyRectByTexel<2>)
#undef ZELK_DEFINE_RECT_COPY

}  // namespace zelk
