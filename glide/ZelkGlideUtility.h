#pragma once

// Computations of the Glide utility calls that need no front end: the fog
// tables, the constant colour from four floats and the combine shorthands.
#include <cstdint>

#include "glideapi/Glide2Types.h"

namespace zelk {

// The w of fog-table entry i.
float FogTableIndexToW(int i);

// Fill the 64 entries of a fog table.  The exponential tables are
// normalised so that the last entry is 255 whatever the density.
void FogGenerateExp(GrFog_t* table, float density);
void FogGenerateExp2(GrFog_t* table, float density);
void FogGenerateLinear(GrFog_t* table, float nearW, float farW);

// A colour packed from alpha, red, green and blue of 0 to 1 (clamped first;
// NaN counts as 0) as 0xAARRGGBB.
std::uint32_t PackConstantColor4(float a, float r, float g, float b);

struct CombineArguments {
    std::uint32_t function;
    std::uint32_t factor;
    std::uint32_t local;
    std::uint32_t other;
    std::uint32_t invert;
};

// The combine arguments of a colour-combine or alpha-source shorthand code;
// false for a code that does nothing.
bool ColorCombineArguments(std::uint32_t code, CombineArguments& arguments);
bool AlphaSourceArguments(std::uint32_t code, CombineArguments& arguments);

}  // namespace zelk
