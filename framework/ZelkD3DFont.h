#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/ZelkD3DPtr.h"

namespace zelk {

// One line (or several, split by line feeds) of text waiting to be drawn.
struct ZelkD3DFontTextItem {
    float x;            // screen pixels from the left
    float y;            // screen pixels from the top
    std::string text;   // 8-bit characters; 32 to 126 have glyphs
    D3DCOLOR color;     // ARGB, used as the texture factor
};

// Where one glyph lies in the atlas, in texture coordinates 0 to 1.
struct ZelkD3DFontGlyphRect {
    float left;
    float top;
    float right;
    float bottom;
};

// Draws text on a Direct3D 9 device from a glyph atlas rendered once with
// GDI.  Built without a device the font is inert and builds nothing.
class ZelkD3DFont {
public:
    // The first and last characters that have a glyph in the atlas.
    static constexpr unsigned kFirstGlyph = 32;
    static constexpr unsigned kLastGlyph = 126;

    ZelkD3DFont(IDirect3DDevice9* device, const char* faceName, UINT characterCapacity, INT pointSize, bool bold,
                bool italic);
    ZelkD3DFont(const ZelkD3DFont&) = delete;
    ZelkD3DFont& operator=(const ZelkD3DFont&) = delete;
    virtual ~ZelkD3DFont();

    // Draws every text item, each with the device state saved and restored;
    // a background box is drawn behind each item when the colour's alpha is
    // not 0.  Removes the items afterwards when clearItems is set.  Call it
    // between BeginScene and EndScene, only on a font given a device.
    void Draw(D3DCOLOR backgroundColor, bool linearFilter, bool clearItems);

    float TextureScale() const { return textureScale; }
    UINT MaxVertexCount() const { return maxVertexCount; }
    const std::vector<ZelkD3DFontGlyphRect>& GlyphRects() const { return glyphRects; }
    IDirect3DTexture9* Texture() const { return texture; }

private:
    void Build(const char* faceName, INT pointSize, bool bold, bool italic);
    void DrawItem(const ZelkD3DFontTextItem& item, float atlasWidth, D3DCOLOR backgroundColor, bool linearFilter);

    IDirect3DDevice9Ptr device;
    IDirect3DVertexBuffer9Ptr vertexBuffer;
    IDirect3DTexture9Ptr texture;
    // Holds every state an item's drawing changes, so that it can be put
    // back without asking the device.
    IDirect3DStateBlock9Ptr stateBlock;
    float textureScale;
    UINT maxVertexCount;
    std::vector<ZelkD3DFontGlyphRect> glyphRects;

public:
    // What the next Draw draws; callers append to it directly.  Declared
    // last so that it goes first, before the device objects.
    std::vector<ZelkD3DFontTextItem> textItems;
};

}  // namespace zelk
