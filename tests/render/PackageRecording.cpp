// Recording into packages, on a renderer without a device: how records open,
// merge and close, and what each recorder and draw leaves in the package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "support/RenderBaseTestSupport.h"

using zelk::ZelkGrBatchRecord;
using zelk::ZelkGrRect;
using zelk::ZelkGrRenderPackage;
using zelk::ZelkGrTextureBinding;
using zelktest::MakeVertex;
using zelktest::RendererSettings;
using zelktest::TestRendererSW;

namespace {

class PackageRecording : public testing::Test {
protected:
    PackageRecording() : renderer(nullptr, 64, 64, RendererSettings()) {}

    const ZelkGrRenderPackage& Package() const { return *renderer.currentPackage; }
    const std::vector<ZelkGrBatchRecord>& Records() const { return renderer.currentPackage->records; }
    const ZelkGrBatchRecord& Open() const { return renderer.openRecord; }

    // Closed records and the open one, as (kind, primitive type, vertices).
    std::vector<std::vector<std::uint32_t>> Batches() const
    {
        std::vector<std::vector<std::uint32_t>> result;
        for (const ZelkGrBatchRecord& record : Records()) {
            result.push_back({record.kind, record.PrimitiveType(), record.VertexCount()});
        }
        if (Open().kind != 0) {
            result.push_back({Open().kind, Open().PrimitiveType(), Open().VertexCount()});
        }
        return result;
    }

    // The x coordinates of the vertex store from record first on.
    std::vector<float> StoredX(std::uint32_t first, std::uint32_t count) const
    {
        std::vector<float> result;
        for (std::uint32_t i = first; i < first + count; ++i) {
            result.push_back(renderer.VertexStore()[i].vertex.x);
        }
        return result;
    }

    void Triangle(float tag = 0.0f)
    {
        const GrVertex a = MakeVertex(tag, 0), b = MakeVertex(tag, 1), c = MakeVertex(tag, 2);
        renderer.DrawTriangle(&a, &b, &c);
    }

    // Corners whose x is their number.
    static std::vector<GrVertex> Corners(int count)
    {
        std::vector<GrVertex> corners;
        for (int i = 0; i < count; ++i) {
            corners.push_back(MakeVertex(static_cast<float>(i), 0));
        }
        return corners;
    }

    TestRendererSW renderer;
};

int ReferenceCount(IUnknown* object)
{
    object->AddRef();
    return static_cast<int>(object->Release());
}

TEST_F(PackageRecording, ConsecutiveDrawsShareABatchAndStatesOpenTheNext)
{
    Triangle();
    Triangle();
    EXPECT_EQ(Batches(), (std::vector<std::vector<std::uint32_t>>{{1, D3DPT_TRIANGLELIST, 6}}));

    renderer.RecordRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    EXPECT_TRUE(Open().IsStateOnly());
    Triangle();
    // The state-only batch was adopted by the triangle.
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Open().PrimitiveType(), static_cast<std::uint32_t>(D3DPT_TRIANGLELIST));
    EXPECT_EQ(Open().VertexCount(), 3u);
    EXPECT_EQ(Open().RenderStateCount(), 1u);
    ASSERT_EQ(Package().renderStates.size(), 1u);
    EXPECT_EQ(Package().renderStates[0].state, static_cast<std::uint32_t>(D3DRS_CULLMODE));

    // Points, lines and triangles each start their own batch.
    const GrVertex a = MakeVertex(0, 0), b = MakeVertex(1, 1);
    renderer.DrawLine(&a, &b);
    Triangle();
    renderer.DrawPoint(&a);
    renderer.DrawPoint(&b);
    EXPECT_EQ(Batches(), (std::vector<std::vector<std::uint32_t>>{{1, D3DPT_TRIANGLELIST, 6},
                                                                   {1, D3DPT_TRIANGLELIST, 3},
                                                                   {1, D3DPT_LINELIST, 2},
                                                                   {1, D3DPT_TRIANGLELIST, 3},
                                                                   {1, D3DPT_POINTLIST, 2}}));
    EXPECT_EQ(renderer.nextVertexIndex, 16u);
}

TEST_F(PackageRecording, ClearsAndClipWindowsMerge)
{
    renderer.RecordClear(0x11111111, 0.25f);
    renderer.RecordClear(0x22222222, 0.5f);
    ASSERT_EQ(Open().kind, 2u);
    EXPECT_EQ(Open().ClearColor(), 0x22222222u);
    EXPECT_EQ(Open().ClearDepth(), 0.5f);

    // A state after a clear closes it into the package.
    renderer.RecordRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, 2u);
    EXPECT_TRUE(Open().IsStateOnly());

    // Clip windows merge and are recorded whatever the render buffer.
    renderer.renderBuffer = 0;
    renderer.RecordClipWindow(ZelkGrRect(1, 2, 3, 4));
    renderer.RecordClipWindow(ZelkGrRect(5, 6, 7, 8));
    ASSERT_EQ(Open().kind, 3u);
    EXPECT_EQ(Open().parameters.left, 5);
    EXPECT_EQ(Open().parameters.bottom, 8);
    EXPECT_EQ(Records().size(), 2u);

    // Clears and draws aimed at the front buffer leave no trace.
    renderer.RecordClear(0x33333333, 1.0f);
    Triangle();
    EXPECT_EQ(Open().kind, 3u);
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_EQ(renderer.nextVertexIndex, 0u);
}

TEST_F(PackageRecording, PalettesFogTablesAndBindingsKeepTheLastPerBatch)
{
    std::uint32_t first[256], second[256];
    for (int i = 0; i < 256; ++i) {
        first[i] = 1;
        second[i] = static_cast<std::uint32_t>(i);
    }
    renderer.RecordPalette(first);
    renderer.RecordPalette(second);
    ASSERT_EQ(Package().palettes.size(), 1u);
    EXPECT_EQ(Package().palettes[0].entries[200], 200u);
    EXPECT_EQ(Open().hasPalette, 1u);

    std::uint8_t zeros[64] = {};
    std::uint8_t ramp[64];
    for (int i = 0; i < 64; ++i) {
        ramp[i] = static_cast<std::uint8_t>(i * 4);
    }
    renderer.RecordFogTable(zeros);
    renderer.RecordFogTable(ramp);
    ASSERT_EQ(Package().fogTables.size(), 1u);
    EXPECT_EQ(Package().fogTables[0].entries[0], 255);
    EXPECT_EQ(Package().fogTables[0].entries[10], 255 - 40);
    EXPECT_EQ(Package().fogTables[0].entries[63], 255 - 252);

    // A new batch: no table means all 255, and 255 becomes 0.
    Triangle();
    renderer.RecordFogTable(nullptr);
    EXPECT_EQ(Package().fogTables.size(), 2u);
    EXPECT_EQ(Package().fogTables[1].entries[17], 255);
    std::uint8_t full[64];
    std::fill(full, full + 64, 255);
    renderer.RecordFogTable(full);
    EXPECT_EQ(Package().fogTables[1].entries[17], 0);

    IDirect3DDevice9* device = zelktest::RenderTestDevice::Get();
    ASSERT_NE(device, nullptr);
    IDirect3DTexture9Ptr textureA, textureB, textureC;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textureA, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textureB, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textureC, nullptr), D3D_OK);
    renderer.RecordTexture(ZelkGrTextureBinding(0, textureA, 1.0f, 1.0f));
    EXPECT_EQ(ReferenceCount(textureA), 2);
    renderer.RecordTexture(ZelkGrTextureBinding(1, textureC, 1.0f, 1.0f));
    renderer.RecordTexture(ZelkGrTextureBinding(0, textureB, 0.5f, 2.0f));
    // The first binding of TMU 0 was replaced and its reference released.
    EXPECT_EQ(ReferenceCount(textureA), 1);
    EXPECT_EQ(ReferenceCount(textureB), 2);
    ASSERT_EQ(Package().textureBindings.size(), 2u);
    EXPECT_EQ(Open().textureBindingCount, 2u);
    EXPECT_EQ(Package().textureBindings[0].tmu, 0u);
    EXPECT_EQ(Package().textureBindings[0].sScale, 0.5f);
    EXPECT_EQ(Package().textureBindings[0].tScale, 2.0f);
    EXPECT_EQ(Package().textureBindings[1].tmu, 1u);

    // Emptying the package releases the package's references.
    renderer.currentPackage->Clear();
    EXPECT_EQ(ReferenceCount(textureB), 1);
    EXPECT_EQ(ReferenceCount(textureC), 1);
    renderer.openRecord.Reset();
}

TEST_F(PackageRecording, CommandsCountInTheirBatch)
{
    renderer.RecordCommand(9, 1, 0);
    renderer.RecordCommand(14, 0x01020304, 1);
    EXPECT_EQ(Open().CommandCount(), 2u);
    ASSERT_EQ(Package().commands.size(), 2u);
    EXPECT_EQ(Package().commands[1].id, 14u);
    EXPECT_EQ(Package().commands[1].value, 0x01020304u);
    EXPECT_EQ(Package().commands[1].arg, 1u);
}

TEST_F(PackageRecording, PolygonsBecomeTriangleListsAndJoinedStrips)
{
    const std::vector<GrVertex> pentagon = Corners(5);
    renderer.DrawPolygonVertexList(5, pentagon.data());
    EXPECT_EQ(Open().VertexCount(), 9u);
    EXPECT_EQ(StoredX(0, 9), (std::vector<float>{0, 1, 2, 0, 2, 3, 0, 3, 4}));

    const int indices[] = {4, 0, 2};
    renderer.DrawPolygon(3, indices, pentagon.data());
    EXPECT_EQ(Open().VertexCount(), 12u);
    EXPECT_EQ(StoredX(9, 3), (std::vector<float>{4, 0, 2}));

    // A strip starts its own batch in zig-zag order.
    const std::uint32_t start = renderer.nextVertexIndex;
    renderer.DrawPolygonVertexListStrip(5, pentagon.data());
    EXPECT_EQ(Open().PrimitiveType(), static_cast<std::uint32_t>(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(StoredX(start, 5), (std::vector<float>{0, 1, 4, 2, 3}));

    // An odd strip repeats its last vertex twice, then the first corner.
    std::vector<GrVertex> quad = Corners(4);
    for (GrVertex& corner : quad) {
        corner.x += 10.0f;
    }
    renderer.DrawPolygonVertexListStrip(4, quad.data());
    EXPECT_EQ(Open().VertexCount(), 12u);
    EXPECT_EQ(StoredX(start + 5, 7), (std::vector<float>{3, 3, 10, 10, 11, 13, 12}));
}

TEST_F(PackageRecording, EvenStripJoinsWithOneRepeat)
{
    const std::vector<GrVertex> hexagon = Corners(6);
    renderer.DrawPolygonVertexListStrip(6, hexagon.data());
    ASSERT_EQ(Open().VertexCount(), 6u);
    std::vector<GrVertex> array = Corners(10);
    const int indices[] = {7, 8, 9};
    renderer.DrawPolygonStrip(3, indices, array.data());
    EXPECT_EQ(Open().VertexCount(), 11u);
    // Hexagon zig-zag 0 1 5 2 4 3; then the last one, corner 7, and 7 8 9.
    EXPECT_EQ(StoredX(0, 11), (std::vector<float>{0, 1, 5, 2, 4, 3, 3, 7, 7, 8, 9}));
}

TEST_F(PackageRecording, FlushClosesTheOpenRecordAndPolygonsBelowThreeAreIgnored)
{
    const std::vector<GrVertex> two = Corners(2);
    renderer.DrawPolygonVertexList(2, two.data());
    renderer.DrawPolygonVertexListStrip(-1, two.data());
    renderer.DrawPolygon(3, nullptr, two.data());
    const int negative[] = {0, -1, 1};
    renderer.DrawPolygon(3, negative, two.data());
    renderer.DrawPolygonStrip(3, negative, two.data());
    EXPECT_EQ(Open().kind, 0u);
    EXPECT_NE(zelktest::ReadFileText(zelk::kErrorLogFileName).find("The parameter [ const int ilist[] ] is invalid."),
              std::string::npos);
    EXPECT_EQ(renderer.nextVertexIndex, 0u);

    // An empty package plays without a device: nothing to play.
    renderer.Flush(false);
    EXPECT_EQ(Records().size(), 0u);

    renderer.RecordClipWindow(ZelkGrRect(0, 0, 8, 8));
    renderer.BeginRecord(1);
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_EQ(Open().kind, 1u);
    // A draw batch without vertices is recorded as a state-only batch would be.
    renderer.BeginRecord(1);
    EXPECT_EQ(Records().size(), 1u);
}

}  // namespace
