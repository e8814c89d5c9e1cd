#include "RecordingRenderer.h"

namespace zelktest {

RecordingRenderer::RecordingRenderer(std::uint32_t width, std::uint32_t height)
    : ZelkGrPrimitiveRenderer(nullptr, width, height, zelk::ZelkGrRendererSettings())
{
}

RecordingRenderer::~RecordingRenderer()
{
    Shutdown();
}

void RecordingRenderer::Forget()
{
    openRecord.Reset();
    currentPackage->Clear();
}

RecordingRenderer* OpenRecordingGlide(std::uint32_t width, std::uint32_t height)
{
    zelk::ZelkGlide* glide = zelk::GetGlide();
    glide->screenWidth = width;
    glide->screenHeight = height;
    auto renderer = std::make_unique<RecordingRenderer>(width, height);
    RecordingRenderer* raw = renderer.get();
    glide->renderer = std::move(renderer);
    glide->textureManager.renderer = raw;
    return raw;
}

}  // namespace zelktest
