#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/ZelkGrRect.h"
#include "render/ZelkGrTextureBinding.h"

namespace zelk {

// Kinds of batch records.
enum ZelkGrBatchKind : std::uint32_t {
    kBatchNone = 0,        // only the renderer's open record is ever of this kind
    kBatchDraw = 1,
    kBatchClear = 2,
    kBatchClipWindow = 3,
};

// One operation of a package.  The parameter block is read by kind:
//   draw batch:  primitiveType (D3DPRIMITIVETYPE, 0 for a state-only batch),
//                vertexCount, renderStateCount, commandCount;
//   clear:       colour (D3DCOLOR), depth (the bits of an f32), 0, 0;
//   clip window: left, top, right, bottom.
// The last three fields belong to draw batches and are 0 in the other kinds.
// A draw batch owns the next renderStateCount, commandCount,
// textureBindingCount, hasPalette and hasFogTable entries of the package's
// lists, in record order, and the next vertexCount vertices of the vertex
// store from the package's first vertex index on.
struct ZelkGrBatchRecord {
    std::uint32_t kind = kBatchNone;
    ZelkGrRect parameters;
    std::uint32_t textureBindingCount = 0;
    std::uint32_t hasPalette = 0;
    std::uint32_t hasFogTable = 0;

    // Draw batch views of the parameter block.
    std::uint32_t PrimitiveType() const { return static_cast<std::uint32_t>(parameters.left); }
    std::uint32_t VertexCount() const { return static_cast<std::uint32_t>(parameters.top); }
    std::uint32_t RenderStateCount() const { return static_cast<std::uint32_t>(parameters.right); }
    std::uint32_t CommandCount() const { return static_cast<std::uint32_t>(parameters.bottom); }
    void SetPrimitiveType(std::uint32_t type) { parameters.left = static_cast<std::int32_t>(type); }
    void SetVertexCount(std::uint32_t count) { parameters.top = static_cast<std::int32_t>(count); }
    void AddVertices(std::uint32_t count) { SetVertexCount(VertexCount() + count); }
    void SetRenderStateCount(std::uint32_t count) { parameters.right = static_cast<std::int32_t>(count); }
    void SetCommandCount(std::uint32_t count) { parameters.bottom = static_cast<std::int32_t>(count); }

    // Clear views.
    std::uint32_t ClearColor() const { return static_cast<std::uint32_t>(parameters.left); }
    float ClearDepth() const;
    void SetClear(std::uint32_t color, float depth);

    // A draw batch with no primitive type and no vertices.
    bool IsStateOnly() const { return kind == kBatchDraw && PrimitiveType() == 0 && VertexCount() == 0; }

    void Reset() { *this = ZelkGrBatchRecord(); }
};

struct ZelkGrRenderStatePair {
    std::uint32_t state;   // D3DRENDERSTATETYPE
    std::uint32_t value;
};

// A deferred renderer operation: id n (1 to 21) runs the n-th command
// operation of the renderer.
struct ZelkGrRenderCommand {
    std::uint32_t id;
    std::uint32_t value;
    std::uint32_t arg;     // the texture unit for the per-unit ids 14 to 21
};

// 256 entries of Direct3D palette 0.
struct ZelkGrPalette {
    std::uint32_t entries[256];
};

// Byte i is 255 minus byte i of the recorded Glide fog table.
struct ZelkGrFogTable {
    std::uint8_t entries[64];
};

// One unit of recorded device work: six lists of entries, the first vertex
// index in the vertex store and whether the frame is presented after it.
class ZelkGrRenderPackage {
public:
    // The most entries each list holds.
    static constexpr std::size_t kMaxRecords = 119304647;
    static constexpr std::size_t kMaxRenderStates = 536870911;
    static constexpr std::size_t kMaxCommands = 357913941;
    static constexpr std::size_t kMaxTextureBindings = 214748364;
    static constexpr std::size_t kMaxPalettes = 4194303;
    static constexpr std::size_t kMaxFogTables = 67108863;

    ZelkGrRenderPackage() = default;
    explicit ZelkGrRenderPackage(std::uint32_t firstVertexIndex) : firstVertexIndex(firstVertexIndex) {}
    ZelkGrRenderPackage(const ZelkGrRenderPackage&) = delete;
    ZelkGrRenderPackage& operator=(const ZelkGrRenderPackage&) = delete;

    // Empties the lists in place (their storage stays for reuse; every
    // binding releases its texture) and clears presentAfterPlaying.
    void Clear();

    std::vector<ZelkGrBatchRecord> records;
    std::vector<ZelkGrRenderStatePair> renderStates;
    std::vector<ZelkGrRenderCommand> commands;
    std::vector<ZelkGrTextureBinding> textureBindings;
    std::vector<ZelkGrPalette> palettes;
    std::vector<ZelkGrFogTable> fogTables;
    std::uint32_t firstVertexIndex = 0;
    bool presentAfterPlaying = false;
};

// Positions in a package's entry lists while its records are walked.
struct ZelkGrPackageCursor {
    std::size_t renderState = 0;
    std::size_t command = 0;
    std::size_t textureBinding = 0;
    std::size_t palette = 0;
    std::size_t fogTable = 0;
    std::uint32_t vertex = 0;   // running vertex index, from firstVertexIndex on
};

}  // namespace zelk
