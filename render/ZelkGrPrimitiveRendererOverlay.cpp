// The statistics overlay drawn over each presented frame.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <iomanip>
#include <sstream>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kTitleLine = "ZelkGlide Rendering Statistics";
const char* const kCountLabel = "count : ";
const char* const kPendingLabel = "number of packages pending = ";
const char* const kTextureMemoryLabel = "used texture memory size = ";
const char* const kLatestLine = "latest";
const char* const kAverageLine = "average";
const char* const kCommandsLabel = "    rendering commands / frame = ";
const char* const kVerticesLabel = "    vertices / frame = ";
const char* const kFpsLabel = "    FPS = ";
const int kFieldWidth = 6;
const float kTextLeft = 0.675f;
const float kTextTop = 0.05f;
const D3DCOLOR kTextColor = 0xC0FFFFFF;
const D3DCOLOR kBackgroundColor = 0x80141414;

}  // namespace

std::string ZelkGrPrimitiveRenderer::StatisticsText() const
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(2);
    text << kTitleLine << '\n';
    text << kCountLabel << frameCount << '\n';
    text << kPendingLabel << std::setw(kFieldWidth) << packagesPending << '\n';
    text << kTextureMemoryLabel << std::setw(kFieldWidth) << usedTextureMemory << '\n';
    text << kLatestLine << '\n';
    text << kCommandsLabel << std::setw(kFieldWidth) << latestCommands << '\n';
    text << kVerticesLabel << std::setw(kFieldWidth) << latestVertices << '\n';
    text << kFpsLabel << std::setw(kFieldWidth) << latestFps << '\n';
    text << kAverageLine << '\n';
    text << kCommandsLabel << std::setw(kFieldWidth) << averageCommands << '\n';
    text << kVerticesLabel << std::setw(kFieldWidth) << averageVertices << '\n';
    text << kFpsLabel << std::setw(kFieldWidth) << averageFps << '\n';
    return text.str();
}

float ZelkGrPrimitiveRenderer::FramesPerSecond(LONGLONG frequency, LONGLONG elapsed)
{
    if (frequency <= 0 || elapsed <= 0) {
        return 0.0f;
    }
    return static_cast<float>(static_cast<double>(frequency) / static_cast<double>(elapsed));
}

void ZelkGrPrimitiveRenderer::DrawStatistics()
{
    frameTimer.Measure();
    ++frameCount;
    {
        ZelkCriticalSectionLock hold(queueLock);
        packagesPending = static_cast<std::uint32_t>(packageQueue.size());
    }
    usedTextureMemory = initialTextureMemory - device->GetAvailableTextureMem();

    totalCommands += latestCommands;
    totalVertices += latestVertices;
    latestFps = FramesPerSecond(frameTimer.Frequency(), frameTimer.ElapsedCount());
    fpsSum += latestFps;
    averageCommands = static_cast<float>(totalCommands) / static_cast<float>(frameCount);
    averageVertices = static_cast<float>(totalVertices) / static_cast<float>(frameCount);
    averageFps = fpsSum / static_cast<float>(frameCount);

    // The text is made afresh for every frame: only this frame's item is
    // ever queued.
    statisticsFont->textItems.clear();
    statisticsFont->textItems.push_back(
        {static_cast<float>(width) * kTextLeft, static_cast<float>(height) * kTextTop, StatisticsText(), kTextColor});
    if (SUCCEEDED(device->BeginScene())) {
        try {
            statisticsFont->Draw(kBackgroundColor, false, true);
        } catch (ZelkException& failure) {
            // The frame is presented without its overlay.
            WriteErrorLog(failure);
            statisticsFont->textItems.clear();
        }
        device->EndScene();
    }

    latestCommands = 0;
    latestVertices = 0;
    frameTimer.Restart();
}

}  // namespace zelk
