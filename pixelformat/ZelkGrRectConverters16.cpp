// Per-rectangle converters into R5G6B5, X1R5G5B5, A1R5G5B5 and A4R4G4B4.
#include "pixelformat/ZelkGrRectConverters.h"

namespace zelk {

ZELK_RECT_CONVERTERS_16(ZELK_DEFINE_RECT_CONVERTER)

}  // namespace zelk
