// Per-rectangle converters into R5G6B5, X1R5G5B5, A1R5G5B5 and A4R4G4B4.
#include "pixelformat/ZelkGrRectConverters.h"

namespace zelk {

#define ZELK_DEFINE_RECT_CONVERTER(name, destination, source)                               \
    void ConvertRect_##name(const ZelkGrPixelConverter* converter, const void* sourceBits, \
                            const RECT* sourceRect, int sourcePitch, void* destinationBits, \
                            const POINT* destinationPoint, int destinationPitch) {          \
        ConvertRectByRule<destination, source>(converter, sourceBits, sourceRect,          \
                                               sourcePitch, destinationBits,               \
                                               destinationPoint, destinationPitch);        \
    }
ZELK_RECT_CONVERTERS_16(ZELK_DEFINE_RECT_CONVERTER)
#undef ZELK_DEFINE_RECT_CONVERTER

}  // namespace zelk
