#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/ZelkD3DXInclude.h"
#include "render/ZelkGrPrimitiveRendererRecords.h"
#include "render/ZelkGrVertexBuffer.h"

namespace zelk {

// A conversion shader's source and the common include file it names, both
// loaded from the library's resources; failures are logged and thrown.
struct ZelkGrConvertShaderSource {
    ZelkGrConvertShaderSource(WORD sourceResource, HMODULE module);
    ZelkD3DXInclude include;
    std::string text;
};

// The vertex path that converts Glide vertices on the graphics card: the
// draws copy each GrVertex into a record store in memory, each package's
// records go into the device vertex buffer (at the same indices) in one
// lock when the package is played, and each draw batch is drawn straight
// from the buffer through the vertex shader that the subclass selects and
// feeds.  Abstract: the subclasses supply the two conversion
// hooks, and a texel half UpdateTexelPipeline.
class ZelkGrPrimitiveRendererVS : public ZelkGrPrimitiveRendererRecords {
public:
    ZelkGrPrimitiveRendererVS(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                              const ZelkGrRendererSettings& settings);
    // Shuts the renderer down (the worker ends) before the buffer goes.
    ~ZelkGrPrimitiveRendererVS() override;

    // Once per played package, and before each draw batch with vertices.
    virtual void BeginConvertVertices() = 0;
    virtual void UpdateConvertVertices() = 0;

    // The resource's bytes, exactly; failures are logged, empty out and
    // throw.
    static std::string& LoadShaderFromResource(WORD id, const char* type, HMODULE module, std::string& out);

    // The compiler profile for the "vertex shader version" setting: 1
    // "vs_1_1", 2 "vs_2_0", 3 "vs_2_a", 4 "vs_2_sw"; 0 (never configured)
    // and 255 the device's best profile, but no higher than the best 2.x
    // profile, which is what pairs with ps_1_3; any other value "fail".  A
    // device that names no profile throws (thrower given).
    static const char* SelectVertexShaderProfile(std::uint32_t version, IDirect3DDevice9* device,
                                                 const char* thrower);

    // Compiles the conversion shader's entry point from the source with the
    // macros for the profile, creates the vertex shader and looks up the
    // named constants (count of them) into handles.  Failures throw, naming
    // the thrower; the compiler's messages join the message.
    void BuildConvertShader(const char* source, const D3DXMACRO* macros, ID3DXInclude* include, const char* profile,
                            const char* thrower, IDirect3DVertexShader9Ptr& shader,
                            ID3DXConstantTablePtr& constantTable, const char* const* constantNames, int count,
                            D3DXHANDLE* handles);

    HMODULE shaderModule;  // where the shader sources are
    IDirect3DVertexDeclaration9Ptr vertexDeclaration;
    float screenToProjection[4];
    float fogFactors[64];
    std::unique_ptr<ZelkGrVertexBuffer> vertexBuffer;

    // The records as the draws wrote them, for tests.
    const std::uint8_t* RecordStore() const { return recordStore.get(); }

protected:
    // Shader constants: the detail factor of texture unit 0 (detail bias, LOD
    // bias, detail scale, detail max), and of texture stage 0 or 1 (whose
    // sow/tow, whose w, the bound texture's s and t scales).
    D3DXVECTOR4 DetailParameters() const;
    D3DXVECTOR4 StageParameters(int stage) const;

    void ApplyFogTable(const ZelkGrFogTable& table) override;

    bool RecordsReady() const override { return vertexBuffer != nullptr; }
    // The next lock discards the buffer's contents.
    void RecordsWrapped() override;
    std::uint8_t* LockRecords(std::uint32_t first, std::uint32_t count) override;
    void UploadRecords(std::uint32_t first, std::uint32_t count) override;
    void BeginPackageDraws() override;
    void DrawBatch(D3DPRIMITIVETYPE type, std::uint32_t first, std::uint32_t count) override;

private:
    // kRecordCount records of kRecordSize bytes, indexed as in the vertex
    // buffer.  The draws write a package's records on the recording thread
    // while the records of packages handed over earlier, elsewhere in the
    // ring, are uploaded on the thread that plays them.
    std::unique_ptr<std::uint8_t[]> recordStore;
};

}  // namespace zelk
