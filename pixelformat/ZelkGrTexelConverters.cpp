#include "pixelformat/ZelkGrTexelConverters.h"

#include <cstring>

namespace zelk {

#define ZELK_DEFINE_TEXEL_CONVERTER(name, destination, source)                               \
    void ConvertTexel_##name(const ZelkGrPixelConverter* converter, const void* sourceTexel, \
                             void* destinationTexel) {                                       \
        TexelRule<destination, source>::Convert(TexelContext(converter),                     \
                                                static_cast<const uint8_t*>(sourceTexel),    \
                                                static_cast<uint8_t*>(destinationTexel));    \
    }
ZELK_TEXEL_CONVERTERS(ZELK_DEFINE_TEXEL_CONVERTER)
#undef ZELK_DEFINE_TEXEL_CONVERTER

void ConvertTexel_Copy32(const ZelkGrPixelConverter*, const void* sourceTexel,
                         void* destinationTexel) {
    std::memcpy(destinationTexel, sourceTexel, 4);
}

void ConvertTexel_Copy24(const ZelkGrPixelConverter*, const void* sourceTexel,
                         void* destinationTexel) {
    std::memcpy(destinationTexel, sourceTexel, 3);
}

void ConvertTexel_Copy16(const ZelkGrPixelConverter*, const void* sourceTexel,
                         void* destinationTexel) {
    std::memcpy(destinationTexel, sourceTexel, 2);
}

void ConvertTexel_Copy8(const ZelkGrPixelConverter*, const void* sourceTexel,
                        void* destinationTexel) {
    std::memcpy(destinationTexel, sourceTexel, 1);
}

}  // namespace zelk
