#include "render/ZelkGrPrimitiveRendererSW.h"

#include <algorithm>
#include <cstring>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const ZelkGrPrimitiveRendererRecords::ThrowerNames kThrowerNames = {
    "ZelkGrPrimitiveRendererSW::RenderMain", "ZelkGrPrimitiveRendererSW::DrawPolygon",
    "ZelkGrPrimitiveRendererSW::DrawPolygonStrip"};

static_assert(sizeof(ZelkGrVertexRecord) == ZelkGrPrimitiveRendererRecords::kRecordSize,
              "the store holds one record per vertex");

}  // namespace

ZelkGrPrimitiveRendererSW::ZelkGrPrimitiveRendererSW(IDirect3DDevice9* device, std::uint32_t width,
                                                     std::uint32_t height, const ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRendererRecords(device, width, height, settings, kThrowerNames),
      vertexStore(new ZelkGrVertexRecord[kVertexStoreSize]),
      convertedStore(new D3DVertex[kVertexStoreSize])
{
    for (std::uint32_t i = 0; i < kVertexStoreSize; ++i) {
        ZelkGrVertexRecord& record = vertexStore[i];
        std::memset(&record, 0, sizeof record);
        record.vertex.a = 1.0f;
        record.vertex.oow = 1.0f;
        convertedStore[i] = D3DVertex{0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFF, 0, 0.0f, 0.0f, 0.0f, 0.0f};
    }
    const ZelkGrConvertVerticesProc* set = SelectVertexConverters();
    std::copy(set, set + kVertexConverterCount, converters);
}

ZelkGrPrimitiveRendererSW::~ZelkGrPrimitiveRendererSW()
{
    Shutdown();
}

ZelkGrVertexConvertState ZelkGrPrimitiveRendererSW::ConvertState() const
{
    ZelkGrVertexConvertState state;
    state.height = static_cast<float>(height);
    state.depthScale = depthScale;
    state.detailBias = tmuState[0].detailBias;
    state.lodBiasValue = tmuState[0].lodBiasValue;
    state.detailScale = tmuState[0].detailScale;
    state.detailMax = tmuState[0].detailMax;
    for (int stage = 0; stage < 2; ++stage) {
        state.activeST[stage] = tmuState[stage].activeST;
        state.activeW[stage] = tmuState[stage].activeW;
        state.scaleS[stage] = stageBindings[stage].sScale;
        state.scaleT[stage] = stageBindings[stage].tScale;
    }
    state.fogTable = fogTable;
    return state;
}

std::uint8_t* ZelkGrPrimitiveRendererSW::LockRecords(std::uint32_t first, std::uint32_t)
{
    return reinterpret_cast<std::uint8_t*>(&vertexStore[first]);
}

void ZelkGrPrimitiveRendererSW::BeginPackageDraws()
{
    device->SetVertexShader(nullptr);
    device->SetFVF(kD3DVertexFvf);
}

void ZelkGrPrimitiveRendererSW::DrawBatch(D3DPRIMITIVETYPE type, std::uint32_t first, std::uint32_t count)
{
    converters[VariantIndex()](ConvertState(), count, &vertexStore[first], &convertedStore[first]);
    DrawPrimitiveUPMultiPass(type, &convertedStore[first], kD3DVertexStride, count);
}

}  // namespace zelk
