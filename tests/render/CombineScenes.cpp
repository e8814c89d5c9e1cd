// The combine scene table drawn through ZelkGrRendererSWFixed on the device.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "framework/ZelkProcessor.h"
#include "render/ZelkGrRendererClasses.h"
#include "render/ZelkGrRendererSWFixed.h"
#include "support/CombineScenes.h"
#include "support/RenderBaseTestSupport.h"

using namespace zelktest;

namespace {

std::unique_ptr<zelk::ZelkGrPrimitiveRenderer> MakeSWFixed(IDirect3DDevice9* device, std::uint32_t width,
                                                           std::uint32_t height)
{
    return std::make_unique<zelk::ZelkGrRendererSWFixed>(device, width, height, RendererSettings(false));
}

class CombineScenesSWFixed : public testing::TestWithParam<std::size_t> {};

TEST_P(CombineScenesSWFixed, MatchesGlide)
{
    IDirect3DDevice9* device = RenderTestDevice::Get(D3DFMT_A8R8G8B8);
    ASSERT_TRUE(device != nullptr);
    RunCombineScene(CombineScenes()[GetParam()], &MakeSWFixed, device);
}

std::string SceneName(const testing::TestParamInfo<std::size_t>& info)
{
    std::string name;
    for (const char* c = CombineScenes()[info.param].name; *c != '\0'; ++c) {
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, CombineScenesSWFixed, testing::Range<std::size_t>(0, CombineScenes().size()),
                         SceneName);

TEST(CombineScenes3DNow, EveryScene)
{
    IDirect3DDevice9* device = RenderTestDevice::Get(D3DFMT_A8R8G8B8);
    ASSERT_TRUE(device != nullptr);
    const zelk::ZelkCpuidFunction previous = zelk::SetCpuidFunction(&zelktest::CpuidAmd3DNow);
    zelk::ResetProcessorDetection();
    ASSERT_TRUE(zelk::Has3DNow());
    for (const CombineScene& scene : CombineScenes()) {
        RunCombineScene(scene, &MakeSWFixed, device);
    }
    zelk::SetCpuidFunction(previous);
    zelk::ResetProcessorDetection();
}

}  // namespace
