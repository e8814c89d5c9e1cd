#include "PixelReference.h"

#include <d3d9.h>

#include <algorithm>
#include <stdexcept>

#include "pixelformat/ZelkGrPixelConverter.h"

namespace pixeltest {

namespace {

using zelk::ZELK_FORMAT_ABGR;
using zelk::ZELK_FORMAT_BGRA;
using zelk::ZELK_FORMAT_RGBA;

// A bit field: position and width (0: absent).
struct Field {
    unsigned shift;
    unsigned bits;
    uint32_t Get(uint32_t v) const { return bits == 0 ? 0 : (v >> shift) & ((1u << bits) - 1); }
};

enum class Kind { Colour, Luminance, Palette };

struct Layout {
    DWORD format;
    const char* name;
    unsigned bytes;
    Kind kind;
    Field r, g, b, a;  // for luminance r holds L, for palettes r holds the index
};

const Layout kLayouts[] = {
    {D3DFMT_R8G8B8, "R8G8B8", 3, Kind::Colour, {16, 8}, {8, 8}, {0, 8}, {0, 0}},
    {D3DFMT_A8R8G8B8, "A8R8G8B8", 4, Kind::Colour, {16, 8}, {8, 8}, {0, 8}, {24, 8}},
    {D3DFMT_X8R8G8B8, "X8R8G8B8", 4, Kind::Colour, {16, 8}, {8, 8}, {0, 8}, {0, 0}},
    {D3DFMT_R5G6B5, "R5G6B5", 2, Kind::Colour, {11, 5}, {5, 6}, {0, 5}, {0, 0}},
    {D3DFMT_X1R5G5B5, "X1R5G5B5", 2, Kind::Colour, {10, 5}, {5, 5}, {0, 5}, {0, 0}},
    {D3DFMT_A1R5G5B5, "A1R5G5B5", 2, Kind::Colour, {10, 5}, {5, 5}, {0, 5}, {15, 1}},
    {D3DFMT_A4R4G4B4, "A4R4G4B4", 2, Kind::Colour, {8, 4}, {4, 4}, {0, 4}, {12, 4}},
    {D3DFMT_R3G3B2, "R3G3B2", 1, Kind::Colour, {5, 3}, {2, 3}, {0, 2}, {0, 0}},
    {D3DFMT_A8, "A8", 1, Kind::Colour, {0, 0}, {0, 0}, {0, 0}, {0, 8}},
    {D3DFMT_A8R3G3B2, "A8R3G3B2", 2, Kind::Colour, {5, 3}, {2, 3}, {0, 2}, {8, 8}},
    {D3DFMT_X4R4G4B4, "X4R4G4B4", 2, Kind::Colour, {8, 4}, {4, 4}, {0, 4}, {0, 0}},
    {D3DFMT_A2B10G10R10, "A2B10G10R10", 4, Kind::Colour, {0, 10}, {10, 10}, {20, 10}, {30, 2}},
    // Only the top 8 bits of each 16-bit field count.
    {D3DFMT_G16R16, "G16R16", 4, Kind::Colour, {8, 8}, {24, 8}, {0, 0}, {0, 0}},
    {D3DFMT_A8P8, "A8P8", 2, Kind::Palette, {0, 8}, {0, 0}, {0, 0}, {8, 8}},
    {D3DFMT_P8, "P8", 1, Kind::Palette, {0, 8}, {0, 0}, {0, 0}, {0, 0}},
    {D3DFMT_L8, "L8", 1, Kind::Luminance, {0, 8}, {0, 0}, {0, 0}, {0, 0}},
    {D3DFMT_A8L8, "A8L8", 2, Kind::Luminance, {0, 8}, {0, 0}, {0, 0}, {8, 8}},
    {D3DFMT_A4L4, "A4L4", 1, Kind::Luminance, {0, 4}, {0, 0}, {0, 0}, {4, 4}},
    {ZELK_FORMAT_ABGR, "ABGR", 4, Kind::Colour, {0, 8}, {8, 8}, {16, 8}, {24, 8}},
    {ZELK_FORMAT_RGBA, "RGBA", 4, Kind::Colour, {24, 8}, {16, 8}, {8, 8}, {0, 8}},
    {ZELK_FORMAT_BGRA, "BGRA", 4, Kind::Colour, {8, 8}, {16, 8}, {24, 8}, {0, 8}},
};

const Layout& LayoutOf(DWORD format) {
    for (const Layout& layout : kLayouts) {
        if (layout.format == format) {
            return layout;
        }
    }
    throw std::logic_error("no layout for format " + std::to_string(format));
}

uint32_t Resize(uint32_t value, unsigned from, unsigned to) {
    if (from > to) {
        return value >> (from - to);
    }
    return value << (to - from);
}

bool IsCopy(DWORD destination, DWORD source) {
    if (destination == source) {
        return true;
    }
    static const std::pair<DWORD, DWORD> kCopies[] = {
        {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8}, {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, {D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5},
        {D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4}, {D3DFMT_R3G3B2, D3DFMT_A8R3G3B2},
        {D3DFMT_A8, ZELK_FORMAT_RGBA}, {D3DFMT_A8, ZELK_FORMAT_BGRA},
        {D3DFMT_P8, D3DFMT_A8P8},
    };
    return std::find(std::begin(kCopies), std::end(kCopies), std::make_pair(destination, source)) !=
           std::end(kCopies);
}

}  // namespace

const std::vector<DWORD>& CommonSources() {
    static const std::vector<DWORD> sources = {
        D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
        D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8, D3DFMT_A8R3G3B2,
        D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_G16R16, D3DFMT_A8P8, D3DFMT_P8,
        D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A4L4, ZELK_FORMAT_ABGR, ZELK_FORMAT_RGBA,
        ZELK_FORMAT_BGRA};
    return sources;
}

const std::vector<std::pair<DWORD, DWORD>>& SupportedPairs() {
    static const std::vector<std::pair<DWORD, DWORD>> pairs = [] {
        std::vector<std::pair<DWORD, DWORD>> all;
        for (DWORD destination : {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                  D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
                                  D3DFMT_R3G3B2, D3DFMT_A8, D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4}) {
            for (DWORD source : CommonSources()) {
                all.emplace_back(destination, source);
            }
        }
        for (DWORD destination : {D3DFMT_A8P8, D3DFMT_P8}) {
            for (DWORD source : {D3DFMT_A8P8, D3DFMT_P8}) {
                all.emplace_back(destination, source);
            }
        }
        for (DWORD source : {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A4L4}) {
            all.emplace_back(D3DFMT_A8L8, source);
        }
        return all;
    }();
    return pairs;
}

unsigned TexelBytes(DWORD format) {
    return LayoutOf(format).bytes;
}

std::string FormatName(DWORD format) {
    return LayoutOf(format).name;
}

ReferenceTexel ReferenceConvert(DWORD destination, DWORD source, uint32_t v,
                                const PALETTEENTRY* palette, uint32_t fill) {
    const Layout& in = LayoutOf(source);
    const Layout& out = LayoutOf(destination);
    const uint32_t fillA = fill >> 24;
    if (IsCopy(destination, source)) {
        const uint32_t mask = out.bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * out.bytes)) - 1;
        return {v & mask, out.bytes};
    }
    if (destination == D3DFMT_A8P8) {  // from P8: the index and the fill alpha
        return {(v & 0xFF) | (fillA << 8), 2};
    }

    // The source's channels: value and width, width 0 where it has none.
    uint32_t r = 0, g = 0, b = 0, a = in.a.Get(v);
    unsigned rBits = 0, gBits = 0, bBits = 0, aBits = in.a.bits;
    if (in.kind == Kind::Palette) {
        const PALETTEENTRY& entry = palette[in.r.Get(v)];
        r = entry.peRed;
        g = entry.peGreen;
        b = entry.peBlue;
        rBits = gBits = bBits = 8;
        if (source == D3DFMT_P8 && destination == D3DFMT_A8R8G8B8) {
            a = entry.peFlags;
            aBits = 8;
        }
    } else if (in.kind == Kind::Luminance) {
        r = g = b = in.r.Get(v);
        rBits = gBits = bBits = in.r.bits;
    } else {
        r = in.r.Get(v);
        g = in.g.Get(v);
        b = in.b.Get(v);
        rBits = in.r.bits;
        gBits = in.g.bits;
        bBits = in.b.bits;
    }
    const auto colour = [](uint32_t value, unsigned from, uint32_t fillByte, unsigned to) {
        return from == 0 ? Resize(fillByte, 8, to) : Resize(value, from, to);
    };
    uint32_t alpha = 0;
    if (out.a.bits != 0) {
        if (aBits == 0) {
            alpha = out.a.bits == 1 ? (fillA != 0 ? 1 : 0) : Resize(fillA, 8, out.a.bits);
        } else if (out.a.bits == 1) {
            alpha = a != 0 ? 1 : 0;
        } else if (aBits == 1) {
            alpha = a != 0 ? (1u << out.a.bits) - 1 : 0;
        } else {
            alpha = Resize(a, aBits, out.a.bits);
        }
    }
    uint32_t word = alpha << out.a.shift;
    if (out.kind == Kind::Luminance) {  // A8L8 from L8 or A4L4
        word |= Resize(r, rBits, 8);
    } else {
        if (out.r.bits != 0) word |= colour(r, rBits, (fill >> 16) & 0xFF, out.r.bits) << out.r.shift;
        if (out.g.bits != 0) word |= colour(g, gBits, (fill >> 8) & 0xFF, out.g.bits) << out.g.shift;
        if (out.b.bits != 0) word |= colour(b, bBits, fill & 0xFF, out.b.bits) << out.b.shift;
    }
    unsigned bytes = out.bytes;
    if (destination == D3DFMT_X8R8G8B8 &&
        (source == D3DFMT_A8 || in.kind == Kind::Luminance || in.kind == Kind::Palette)) {
        bytes = 3;  // the X byte keeps its value
    }
    return {word, bytes};
}

const PALETTEENTRY* TestPalette() {
    static const std::vector<PALETTEENTRY> palette = [] {
        std::vector<PALETTEENTRY> entries(256);
        for (unsigned i = 0; i < 256; ++i) {
            entries[i] = {BYTE(i * 7 + 3), BYTE(255 - i), BYTE(i * 13 + 5), BYTE(i ^ 0x5A)};
        }
        return entries;
    }();
    return palette.data();
}

std::vector<uint32_t> SourceValues(DWORD format) {
    const unsigned bytes = TexelBytes(format);
    std::vector<uint32_t> values;
    if (bytes <= 2) {
        for (uint32_t v = 0; v < (1u << (8 * bytes)); ++v) {
            values.push_back(v);
        }
        return values;
    }
    const uint32_t mask = bytes == 4 ? 0xFFFFFFFFu : 0xFFFFFFu;
    for (uint32_t edge : {0u, 0xFFFFFFFFu, 0x80808080u, 0x7F7F7F7Fu, 0x01010101u, 0xFF000000u,
                          0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xC0000000u, 0x40000000u,
                          0x3FF00000u, 0x000FFC00u, 0x000003FFu}) {
        values.push_back(edge & mask);
    }
    Random random(format);
    for (int i = 0; i < 4096; ++i) {
        values.push_back(random.Next() & mask);
    }
    return values;
}

GuardedBuffer::GuardedBuffer() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    pageSize_ = info.dwPageSize;
    base_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, 2 * pageSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base_ == nullptr) {
        throw std::runtime_error("VirtualAlloc failed");
    }
    DWORD old = 0;
    if (!VirtualProtect(base_ + pageSize_, pageSize_, PAGE_NOACCESS, &old)) {
        VirtualFree(base_, 0, MEM_RELEASE);
        throw std::runtime_error("VirtualProtect failed");
    }
}

GuardedBuffer::~GuardedBuffer() {
    VirtualFree(base_, 0, MEM_RELEASE);
}

}  // namespace pixeltest
