#pragma once

// Software vertex converters: Glide vertices (64-byte records holding a
// GrVertex) into pre-transformed Direct3D vertices (D3DVertex, FVF 0x2C4).
//
// One converter per combination of the five pieces of state that change the
// conversion (origin, depth type, detail factor, fog type, texture
// coordinates), so that no per-vertex test of the state is needed.  The
// variant index of a combination is
//   TEXCOORD + 2 * (FOGTYPE + 3 * (DETAILFACTOR + 2 * (DEPTHTYPE + 3 * ORIGIN)))
// and every converter exists in two sets: the portable set, and the set for
// processors with the 3DNow! extension, which converts two vertices per step
// the way the packed single-precision instructions do.  Both give the same
// values to single precision.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace zelk {

// Direct3D vertex written by the converters: XYZRHW | DIFFUSE | SPECULAR | TEX2.
struct D3DVertex {
    float x;          // screen x in pixels
    float y;          // screen y in pixels, top row 0
    float z;          // depth 0..1
    float rhw;        // reciprocal of w
    DWORD diffuse;    // A, R, G, B of the Glide colour
    DWORD specular;   // R, G, B: detail factor; A: fog factor
    float u0, v0;     // texture coordinates of stage 0
    float u1, v1;     // texture coordinates of stage 1
};
static_assert(sizeof(D3DVertex) == 40, "D3DVertex is drawn with a stride of 40");

constexpr DWORD kD3DVertexFvf = 0x2C4;        // D3DFVF_XYZRHW|DIFFUSE|SPECULAR|TEX2
constexpr UINT kD3DVertexStride = sizeof(D3DVertex);
constexpr std::size_t kGrVertexRecordSize = 64;  // a GrVertex (60 bytes) per 64-byte record
constexpr unsigned kVertexConverterCount = 72;
constexpr unsigned kFogTableSize = 64;

// The renderer state that a conversion reads, gathered by the renderer once
// per draw batch (the fields of the renderer that carry the same names).
struct ZelkGrVertexConvertState {
    float height;                 // screen height in pixels
    float depthScale;             // the depth buffer's scale of w
    // Detail factor parameters of texture unit 0.
    float detailBias;
    float lodBiasValue;
    float detailScale;
    float detailMax;
    // Per texture stage 0 and 1.
    std::uint32_t activeST[2];    // whose sow/tow the stage uses: TMU 0 or 1
    std::uint32_t activeW[2];     // whose w: 0 TMU 0, 1 TMU 1, 2 the vertex
    float scaleS[2];              // the bound texture's coordinate scales
    float scaleT[2];
    const std::uint8_t* fogTable; // kFogTableSize bytes; read with FOGTYPE_TABLE
};

// A converter: converts count Glide records (every kGrVertexRecordSize bytes
// from input) into count D3DVertex records (from output).  A count of 0 does
// nothing.  It writes only the output records.
using ZelkGrConvertVerticesProc = void (*)(const ZelkGrVertexConvertState& state,
                                           std::uint32_t count, const void* input,
                                           D3DVertex* output);

// Variant index from the renderer's state.  A depth-buffer mode or fog mode
// outside 0..2 counts as 0 (disabled), so that the index stays within 0..71.
inline unsigned VertexConverterIndex(bool originUpperLeft, std::uint32_t depthBufferMode,
                                     bool detailFactorEnabled, std::uint32_t fogMode,
                                     bool texCoord)
{
    const unsigned depth = depthBufferMode <= 2 ? depthBufferMode : 0;
    const unsigned fog = fogMode <= 2 ? fogMode : 0;
    return (texCoord ? 1u : 0u) +
           2u * (fog + 3u * ((detailFactorEnabled ? 1u : 0u) +
                             2u * (depth + 3u * (originUpperLeft ? 1u : 0u))));
}

// The two sets, 72 converters each in index order.
const ZelkGrConvertVerticesProc* GetPortableVertexConverters();
const ZelkGrConvertVerticesProc* Get3DNowVertexConverters();

// The set for this processor: the 3DNow! set when processor detection reports
// the extension, else the portable set.  Callers choose once, when the object
// that converts is built.
const ZelkGrConvertVerticesProc* SelectVertexConverters();

// Name of variant i ("ConvertVertices_ORIGIN_LOWERLEFT_DEPTHTYPE_DISABLE_..."),
// for diagnostics; null for an index past the table.
const char* VertexConverterName(unsigned index);

}  // namespace zelk
