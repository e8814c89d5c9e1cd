// Recording into the current package, and the parts of playing a package
// that both vertex paths share.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <cstring>

#include "framework/ZelkException.h"
#include "render/ZelkGrVertexConverters.h"

namespace zelk {

namespace {

const char* const kBeginSceneFailed = "The function [ IDirect3DDevice9::BeginScene ] failed.";

}  // namespace

void ZelkGrPrimitiveRenderer::CloseOpenRecord()
{
    if (openRecord.kind != kBatchNone) {
        currentPackage->records.push_back(openRecord);
        openRecord.Reset();
    }
}

void ZelkGrPrimitiveRenderer::CheckRoom(std::size_t listSize, std::size_t listMax)
{
    if (currentPackage->records.size() >= ZelkGrRenderPackage::kMaxRecords || listSize >= listMax) {
        Flush(false);
    }
}

void ZelkGrPrimitiveRenderer::OpenBatchForEntries()
{
    if (openRecord.IsStateOnly()) {
        return;
    }
    if (openRecord.kind != kBatchNone) {
        CloseOpenRecord();
    }
    openRecord.kind = kBatchDraw;
}

void ZelkGrPrimitiveRenderer::BeginRecord(std::uint32_t kind)
{
    if (openRecord.kind == kBatchNone) {
        openRecord.kind = kind;
        return;
    }
    if (kind == kBatchDraw && openRecord.IsStateOnly()) {
        return;
    }
    CloseOpenRecord();
    openRecord.kind = kind;
}

void ZelkGrPrimitiveRenderer::RecordRenderState(D3DRENDERSTATETYPE state, std::uint32_t value)
{
    CheckRoom(currentPackage->renderStates.size(), ZelkGrRenderPackage::kMaxRenderStates);
    OpenBatchForEntries();
    currentPackage->renderStates.push_back({static_cast<std::uint32_t>(state), value});
    openRecord.SetRenderStateCount(openRecord.RenderStateCount() + 1);
}

void ZelkGrPrimitiveRenderer::RecordCommand(std::uint32_t id, std::uint32_t value, std::uint32_t arg)
{
    CheckRoom(currentPackage->commands.size(), ZelkGrRenderPackage::kMaxCommands);
    OpenBatchForEntries();
    currentPackage->commands.push_back({id, value, arg});
    openRecord.SetCommandCount(openRecord.CommandCount() + 1);
}

void ZelkGrPrimitiveRenderer::RecordTexture(const ZelkGrTextureBinding& binding)
{
    CheckRoom(currentPackage->textureBindings.size(), ZelkGrRenderPackage::kMaxTextureBindings);
    OpenBatchForEntries();
    std::vector<ZelkGrTextureBinding>& bindings = currentPackage->textureBindings;
    for (std::size_t i = bindings.size() - openRecord.textureBindingCount; i < bindings.size(); ++i) {
        if (bindings[i].tmu == binding.tmu) {
            bindings[i] = binding;
            return;
        }
    }
    bindings.push_back(binding);
    ++openRecord.textureBindingCount;
}

void ZelkGrPrimitiveRenderer::RecordPalette(const std::uint32_t* entries)
{
    CheckRoom(currentPackage->palettes.size(), ZelkGrRenderPackage::kMaxPalettes);
    OpenBatchForEntries();
    if (openRecord.hasPalette == 0) {
        currentPackage->palettes.emplace_back();
    }
    std::memcpy(currentPackage->palettes.back().entries, entries, sizeof(ZelkGrPalette::entries));
    openRecord.hasPalette = 1;
}

void ZelkGrPrimitiveRenderer::RecordFogTable(const std::uint8_t* table)
{
    CheckRoom(currentPackage->fogTables.size(), ZelkGrRenderPackage::kMaxFogTables);
    OpenBatchForEntries();
    if (openRecord.hasFogTable == 0) {
        currentPackage->fogTables.emplace_back();
    }
    ZelkGrFogTable& stored = currentPackage->fogTables.back();
    for (int i = 0; i < 64; ++i) {
        stored.entries[i] = static_cast<std::uint8_t>(255 - (table != nullptr ? table[i] : 0));
    }
    openRecord.hasFogTable = 1;
}

void ZelkGrPrimitiveRenderer::RecordClear(D3DCOLOR color, float depth)
{
    if (renderBuffer != 1) {
        return;
    }
    CheckRoom(0, 1);
    if (openRecord.kind != kBatchClear) {
        CloseOpenRecord();
        openRecord.kind = kBatchClear;
    }
    openRecord.SetClear(color, depth);
}

void ZelkGrPrimitiveRenderer::RecordClipWindow(const ZelkGrRect& rect)
{
    CheckRoom(0, 1);
    if (openRecord.kind != kBatchClipWindow) {
        CloseOpenRecord();
        openRecord.kind = kBatchClipWindow;
    }
    openRecord.parameters = rect;
}

void ZelkGrPrimitiveRenderer::BeginPackageScene(const char* thrower)
{
    const HRESULT result = device->BeginScene();
    if (FAILED(result)) {
        throw ZelkException(thrower, result, kBeginSceneFailed);
    }
    sceneOpen = true;
}

void ZelkGrPrimitiveRenderer::EndPackageScene()
{
    sceneOpen = false;
    device->EndScene();
}

void ZelkGrPrimitiveRenderer::ApplyBatchEntries(const ZelkGrRenderPackage& package, const ZelkGrBatchRecord& record,
                                                ZelkGrPackageCursor& cursor)
{
    for (std::uint32_t i = 0; i < record.RenderStateCount(); ++i) {
        const ZelkGrRenderStatePair& pair = package.renderStates[cursor.renderState++];
        SetDeviceRenderState(static_cast<D3DRENDERSTATETYPE>(pair.state), pair.value);
    }
    for (std::uint32_t i = 0; i < record.CommandCount(); ++i) {
        RunCommand(package.commands[cursor.command++]);
    }
    for (std::uint32_t i = 0; i < record.textureBindingCount; ++i) {
        const ZelkGrTextureBinding& binding = package.textureBindings[cursor.textureBinding++];
        if (binding.tmu < 2) {
            stageBindings[binding.tmu] = binding;
        }
    }
    if (record.hasPalette != 0) {
        const ZelkGrPalette& palette = package.palettes[cursor.palette++];
        device->SetPaletteEntries(0, reinterpret_cast<const PALETTEENTRY*>(palette.entries));
        device->SetCurrentTexturePalette(0);
    }
    if (record.hasFogTable != 0) {
        ApplyFogTable(package.fogTables[cursor.fogTable++]);
    }
}

void ZelkGrPrimitiveRenderer::ApplyFogTable(const ZelkGrFogTable& table)
{
    std::memcpy(fogTable, table.entries, sizeof fogTable);
}

void ZelkGrPrimitiveRenderer::ApplyClipWindow(const ZelkGrBatchRecord& record)
{
    scissorRect = {record.parameters.left, record.parameters.top, record.parameters.right, record.parameters.bottom};
    device->SetScissorRect(&scissorRect);
}

std::uint32_t ZelkGrPrimitiveRenderer::VariantIndex() const
{
    return VertexConverterIndex(originUpperLeft != 0, depthBufferMode, detailFactorEnabled != 0, fogMode,
                                HasBoundTexture());
}

}  // namespace zelk
