#pragma once

// The genuine 3DF test files and a reference model of their 16-bit texels,
// for the tests that download and draw them.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "glideapi/Glide2Types.h"

namespace zelktest {

// The path of a genuine 3DF file of the test data.
inline std::string TestFile3df(const char* name)
{
    return std::string(ZELK_TESTDATA_DIR) + "/3df/" + name;
}

// The whole content of a file; empty when it cannot be read.
inline std::vector<BYTE> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A channel of `bits` bits widened to 8 by repeating its top bits.
inline DWORD ExpandChannel(unsigned value, unsigned bits)
{
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

// 16-bit texels as opaque 0xAARRGGBB colours.
inline DWORD Rgb565(unsigned texel)
{
    return 0xFF000000 | (ExpandChannel((texel >> 11) & 31, 5) << 16) | (ExpandChannel((texel >> 5) & 63, 6) << 8) |
           ExpandChannel(texel & 31, 5);
}

inline DWORD Argb1555(unsigned texel)
{
    return 0xFF000000 | (ExpandChannel((texel >> 10) & 31, 5) << 16) | (ExpandChannel((texel >> 5) & 31, 5) << 8) |
           ExpandChannel(texel & 31, 5);
}

inline DWORD Argb4444(unsigned texel)
{
    return 0xFF000000 | (ExpandChannel((texel >> 8) & 15, 4) << 16) | (ExpandChannel((texel >> 4) & 15, 4) << 8) |
           ExpandChannel(texel & 15, 4);
}

// A screen vertex with TMU 0 coordinates s and t, w 1.
inline GrVertex TexturedVertex(float x, float y, float s, float t)
{
    GrVertex v = {};
    v.x = x;
    v.y = y;
    v.oow = 1.0f;
    v.tmuvtx[0].sow = s;
    v.tmuvtx[0].tow = t;
    v.tmuvtx[0].oow = 1.0f;
    return v;
}

}  // namespace zelktest
