#pragma once

// A renderer without a device for front-end tests: it records like the real
// renderers and counts the draws it is asked for; nothing is ever played.
#include <memory>
#include <vector>

#include "glide/ZelkGlide.h"
#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelktest {

class RecordingRenderer : public zelk::ZelkGrPrimitiveRenderer {
public:
    RecordingRenderer(std::uint32_t width, std::uint32_t height);
    ~RecordingRenderer() override;

    void DrawPoint(const GrVertex*) override { ++draws; }
    void DrawLine(const GrVertex*, const GrVertex*) override { ++draws; }
    void DrawTriangle(const GrVertex*, const GrVertex*, const GrVertex*) override { ++draws; }
    void DrawPolygon(int, const int*, const GrVertex*) override { ++draws; }
    void DrawPolygonVertexList(int, const GrVertex*) override { ++draws; }
    void DrawPolygonStrip(int, const int*, const GrVertex*) override { ++strips; }
    void DrawPolygonVertexListStrip(int, const GrVertex*) override { ++strips; }
    bool RenderMain(zelk::ZelkGrRenderPackage&) override { return true; }
    void UpdateTexelPipeline() override {}

    const std::vector<zelk::ZelkGrRenderCommand>& Commands() const { return currentPackage->commands; }
    const std::vector<zelk::ZelkGrRenderStatePair>& States() const { return currentPackage->renderStates; }
    // Forgets what was recorded so far.
    void Forget();

    int draws = 0;
    int strips = 0;
};

// Creates the front end from the (empty) registry and gives it a recording
// renderer in place of an open window of the given size.
RecordingRenderer* OpenRecordingGlide(std::uint32_t width = 640, std::uint32_t height = 480);

}  // namespace zelktest
