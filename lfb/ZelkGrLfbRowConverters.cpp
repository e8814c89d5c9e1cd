#include "lfb/ZelkGrLfbRowConverters.h"

#include "lfb/ZelkGrLfbLayouts.h"

namespace zelk {

using namespace lfblayout;

#define ZELK_LFB_DEFINE_ROW_CONVERTER(name, source, destination)                              \
    void name(const ZelkGrLfbAccessor* accessor, const void* sourceBits, const RECT* sourceRect, \
              int sourcePitch, void* destinationBits, const POINT* destinationPoint,          \
              int destinationPitch) {                                                         \
        ConvertRows<source, destination>(accessor, sourceBits, sourceRect, sourcePitch,       \
                                         destinationBits, destinationPoint, destinationPitch); \
    }                                                                                         \
    void name##Pixel(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,              \
                     void* destinationPixel) {                                                \
        ConvertOnePixel<source, destination>(accessor, sourcePixel, destinationPixel);        \
    }

ZELK_LFB_ROW_CONVERTERS(ZELK_LFB_DEFINE_ROW_CONVERTER)

#define ZELK_LFB_DEFINE_COPY_CONVERTER(name, size)                                            \
    void name(const ZelkGrLfbAccessor* accessor, const void* sourceBits, const RECT* sourceRect, \
              int sourcePitch, void* destinationBits, const POINT* destinationPoint,          \
              int destinationPitch) {                                                         \
        CopyRows<size>(accessor, sourceBits, sourceRect, sourcePitch, destinationBits,        \
                       destinationPoint, destinationPitch);                                   \
    }                                                                                         \
    void name##Pixel(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,              \
                     void* destinationPixel) {                                                \
        CopyOnePixel<size>(accessor, sourcePixel, destinationPixel);                          \
    }

ZELK_LFB_COPY_CONVERTERS(ZELK_LFB_DEFINE_COPY_CONVERTER)

}  // namespace zelk
