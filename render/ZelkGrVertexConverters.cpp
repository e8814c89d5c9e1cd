// Converter selection and the variant names.
#include "render/ZelkGrVertexConverters.h"

#include "framework/ZelkProcessor.h"


namespace zelk {

const ZelkGrConvertVerticesProc* SelectVertexConverters()
{
    return Has3DNow() ? Get3DNowVertexConverters() : GetPortableVertexConverters();
}

namespace {

#define ZELK_CV_T(o, d, e, f) \
    "ConvertVertices_ORIGIN_" #o "_DEPTHTYPE_" #d "_DETAILFACTOR_" #e "_FOGTYPE_" #f "_TEXCOORD_DISABLE", \
    "ConvertVertices_ORIGIN_" #o "_DEPTHTYPE_" #d "_DETAILFACTOR_" #e "_FOGTYPE_" #f "_TEXCOORD_ENABLE"
#define ZELK_CV_F(o, d, e) ZELK_CV_T(o, d, e, DISABLE), ZELK_CV_T(o, d, e, ALPHA), ZELK_CV_T(o, d, e, TABLE)
#define ZELK_CV_E(o, d) ZELK_CV_F(o, d, DISABLE), ZELK_CV_F(o, d, ENABLE)
#define ZELK_CV_D(o) ZELK_CV_E(o, DISABLE), ZELK_CV_E(o, Z), ZELK_CV_E(o, W)

const char* const kConverterNames[kVertexConverterCount] = {ZELK_CV_D(LOWERLEFT), ZELK_CV_D(UPPERLEFT)};

#undef ZELK_CV_T
#undef ZELK_CV_F
#undef ZELK_CV_E
#undef ZELK_CV_D

}  // namespace

const char* VertexConverterName(unsigned index)
{
    return index < kVertexConverterCount ? kConverterNames[index] : nullptr;
}

}  // namespace zelk
