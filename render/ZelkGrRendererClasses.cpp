#include "render/ZelkGrRendererClasses.h"

#include "framework/ZelkException.h"

#include "render/ZelkGrRendererSWFixed.h"
#include "render/ZelkGrRendererSWPS13.h"
#include "render/ZelkGrRendererVS11PS13.h"
#include "render/ZelkGrRendererVS2xPS13.h"

namespace zelk {

namespace {

// A class whose factory is null is selected as ZelkGrRendererSWFixed, with
// both settings set to 0.
const ZelkGrRendererClass kRendererClasses[] = {
    {kRendererKeySWFixed, "ZelkGrRendererSWFixed", &CreateRendererOfClass<ZelkGrRendererSWFixed>},
    {kRendererKeySWPS13, "ZelkGrRendererSWPS13", &CreateRendererOfClass<ZelkGrRendererSWPS13>},
    {kRendererKeyVS11PS13, "ZelkGrRendererVS11PS13", &CreateRendererOfClass<ZelkGrRendererVS11PS13>},
    {kRendererKeyVS2xPS13, "ZelkGrRendererVS2xPS13", &CreateRendererOfClass<ZelkGrRendererVS2xPS13>},
};

constexpr std::uint32_t kRendererClassCount = sizeof kRendererClasses / sizeof kRendererClasses[0];

}  // namespace

const ZelkGrRendererClass* GetRendererClasses(std::uint32_t* count)
{
    if (count != nullptr) *count = kRendererClassCount;
    return kRendererClasses;
}

const ZelkGrRendererClass& SelectRendererClass(std::uint32_t& texelBlendingType, std::uint32_t& vertexConvertType)
{
    const std::uint32_t key = RendererSelectionKey(texelBlendingType, vertexConvertType);
    for (const ZelkGrRendererClass& entry : kRendererClasses) {
        if (entry.key == key && entry.create != nullptr) return entry;
    }
    texelBlendingType = 0;
    vertexConvertType = 0;
    return kRendererClasses[0];
}

std::unique_ptr<ZelkGrPrimitiveRenderer> CreateRenderer(std::uint32_t& texelBlendingType,
                                                        std::uint32_t& vertexConvertType, IDirect3DDevice9* device,
                                                        std::uint32_t width, std::uint32_t height,
                                                        const ZelkGrRendererSettings& settings)
{
    const ZelkGrRendererClass& entry = SelectRendererClass(texelBlendingType, vertexConvertType);
    if (vertexConvertType == 0) {
        return std::unique_ptr<ZelkGrPrimitiveRenderer>(entry.create(device, width, height, settings));
    }
    try {
        return std::unique_ptr<ZelkGrPrimitiveRenderer>(entry.create(device, width, height, settings));
    } catch (ZelkException& e) {
        // The vertex-shader path could not be built (most often a shader
        // variant that this machine's compiler refuses).  The failure is in
        // the error log; the software-transform class with the same texel
        // half draws the same frames.
        WriteErrorLog(e);
    }
    vertexConvertType = 0;
    const ZelkGrRendererClass& software = SelectRendererClass(texelBlendingType, vertexConvertType);
    return std::unique_ptr<ZelkGrPrimitiveRenderer>(software.create(device, width, height, settings));
}

}  // namespace zelk
