#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "framework/ZelkD3DPtr.h"

namespace zelk {

// The combine state that one ps_1_3 shader carries out, in Glide values.
struct ZelkGrPs13CombineState {
    uint32_t colorFunction, colorFactor, colorLocal, colorOther, colorInvert;
    uint32_t alphaFunction, alphaFactor, alphaLocal, alphaOther, alphaInvert;
    struct TexUnit {
        uint32_t rgbFunction, rgbFactor, rgbInvert, alphaFunction, alphaFactor, alphaInvert;
    } tmu[2];
    uint32_t chromakeyMode;
    bool itrgbLighting;
};

// Turns the Glide combine state into the text of a ps_1_3 pixel shader and
// creates the shader.  Stateless: every operation appends to the caller's
// stream, one stream per translation.
//
// Registers: t0, t1 the texels of units 0 and 1; t1 then the output of unit
// 0 (the texture input of the final combine); t2 the output of unit 1 (the
// other input of unit 0) and the colour chosen by ITRGB lighting; t3 the
// chroma-key sum, which nothing overwrites; r0 the output; r1 the
// temporary; v0 the iterated colour; v1 the detail factor (rgb) and fog
// (alpha); c0, c1 the constant colour and its complement; c2 the chroma-key
// colour; c5 (with chroma-keying), c6, c7 defined by the text.
class ZelkGrTexPipelineTranslatorPS13 {
public:
    // Whether the colour or alpha combine reads the texture output.
    static bool TexturesUsed(uint32_t colorFactor, uint32_t colorOther, uint32_t alphaFactor, uint32_t alphaOther);

    static void WritePs13Header(uint32_t chromakeyMode, bool texturesUsed, std::ostream& stream);
    static bool UsesOtherInput(uint32_t colorFunction, uint32_t colorFactor, uint32_t alphaFunction,
                               uint32_t alphaFactor);
    static void WritePs13TexUnit(uint32_t unit, uint32_t colorFunction, uint32_t colorFactor, uint32_t colorInvert,
                                 uint32_t alphaFunction, uint32_t alphaFactor, uint32_t alphaInvert,
                                 std::ostream& stream);
    static void WritePs13Combine(uint32_t colorFunction, uint32_t colorFactor, uint32_t colorLocal,
                                 uint32_t colorOther, uint32_t colorInvert, uint32_t alphaFunction,
                                 uint32_t alphaFactor, uint32_t alphaLocal, uint32_t alphaOther, uint32_t alphaInvert,
                                 uint32_t chromakeyMode, bool itrgbLighting, bool texturesUsed, std::ostream& stream);

    // The whole shader text in the calling order of a translation: header,
    // the texture units from the highest one read down to unit 0 (at most
    // tmuCount units), then the final combine.
    static void WritePs13Shader(const ZelkGrPs13CombineState& state, uint32_t tmuCount, std::ostream& stream);

    // Operand texts, or null for none.
    static const char* GetTexUnitColorOperand(uint32_t unit, uint32_t operand);
    static const char* GetTexUnitAlphaOperand(uint32_t unit, uint32_t operand);
    static const char* GetCombineColorOperand(uint32_t operand, uint32_t colorLocal, uint32_t colorOther,
                                              uint32_t alphaLocal, uint32_t alphaOther, bool itrgbLighting,
                                              bool texturesUsed);
    static const char* GetCombineAlphaOperand(uint32_t operand, uint32_t alphaLocal, uint32_t alphaOther);

    // Assembles the stream's text and creates the shader; the returned
    // reference belongs to the caller.  Failures are logged with the shader
    // text and thrown as ZelkException.
    static IDirect3DPixelShader9Ptr CreatePixelShaderEnd(IDirect3DDevice9* device, std::iostream& stream);

    // A shader for a state whose own shader could not be built (more
    // instructions than ps_1_3 has slots for, or refused by the device):
    // the state without ITRGB lighting, then with only texture unit 0, then
    // both, and last the iterated colour alone.  Logs nothing; null only
    // when the device takes none of them.
    static IDirect3DPixelShader9Ptr CreateFallbackPixelShader(IDirect3DDevice9* device,
                                                              const ZelkGrPs13CombineState& state, uint32_t tmuCount);
};

}  // namespace zelk
