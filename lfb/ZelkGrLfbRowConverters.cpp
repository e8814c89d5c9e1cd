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

void LfbRowCopy16(const ZelkGrLfbAccessor* accessor, const void* sourceBits,
                  const RECT* sourceRect, int sourcePitch, void* destinationBits,
                  const POINT* destinationPoint, int destinationPitch) {
    CopyRows<2>(accessor, sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint,
                destinationPitch);
}
void LfbRowCopy16Pixel(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,
                       void* destinationPixel) {
    CopyOnePixel<2>(accessor, sourcePixel, destinationPixel);
}
void LfbRowCopy32(const ZelkGrLfbAccessor* accessor, const void* sourceBits,
                  const RECT* sourceRect, int sourcePitch, void* destinationBits,
                  const POINT* destinationPoint, int destinationPitch) {
    CopyRows<4>(accessor, sourceBits, sourceRect, sourcePitch, destinationBits, destinationPoint,
                destinationPitch);
}
void LfbRowCopy32Pixel(const ZelkGrLfbAccessor* accessor, const void* sourcePixel,
                       void* destinationPixel) {
    CopyOnePixel<4>(accessor, sourcePixel, destinationPixel);
}

}  // namespace zelk
