#include "render/ZelkGrTexPipelineTranslatorPS13.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "framework/ZelkD3DXInclude.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrTexPipelineTablesPS13.h"

namespace zelk {

namespace {

const char* const kThrower = "ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd";
const char* const kAssembleFailed = "The function [ D3DXAssembleShader ] failed.";
const char* const kCreateFailed = "The function [ IDirect3DDevice9::CreatePixelShader ] failed.";
const char* const kCodeBlockRule = "---------------------------";
const char* const kCodeBlockTitle = "[ code ]";
// The last fallback: the iterated colour, which every device takes.
const char* const kIteratedColorShader = "ps_1_3\nmov r0, v0";

// Starts a new line: a line feed before every line but the first.
std::ostream& NewLine(std::ostream& stream)
{
    if (stream.tellp() > 0) {
        stream << '\n';
    }
    return stream;
}

// Chroma-keying: c2 holds the key colour (set with the key value); c5.b is
// 0.5 less the largest squared distance from the key colour that still
// counts as the key (half a step per channel), c5.a the least alpha of a
// pixel that is not keyed.
const char* const kChromakeyLimits = "def c5, 0.0f, 0.0f, 0.4999962f, 0.0039216f";
// With a texture: t3 is 0 where TMU 0's texel is in the key colour, else 1.
const char* const kChromakeyTexelLines[] = {
    "sub_sat r1.a, c5, r0",
    "add r0.a, r0, r1",
    "mul r0, r0, t3",
    nullptr,
};
// Without one the combined colour itself is compared with the key: r0.a
// becomes 0.5 plus the squared distance less the limit, which the cnd test
// (r0.a > 0.5) reads.
const char* const kChromakeyColorLines[] = {
    "sub r1.rgb, r0, c2",
    "+ sub_sat r1.a, c5, r0",
    "dp3 r1.rgb, r1, r1",
    "+ add r1.a, r0, r1",
    "add r0.a, r1.b, c5.b",
    "cnd r0.a, r0.a, r1, c7.b",
    nullptr,
};

struct HalfTexts {
    const char* result;
    const char* temp;
};

// Writes one instruction; the sources end at the first None or missing text.
template <typename OperandText>
void WriteRecord(std::ostream& stream, const PS13Record& record, bool coIssued, const HalfTexts& destinations,
                 OperandText operandText)
{
    NewLine(stream);
    if (coIssued) {
        stream << "+ ";
    }
    stream << PS13Mnemonics[record.opcode] << ' '
           << (record.destination == PS13Temp ? destinations.temp : destinations.result);
    const uint32_t sources[3] = {record.source1, record.source2, record.source3};
    for (uint32_t source : sources) {
        const char* text = source == PS13None ? nullptr : operandText(source);
        if (text == nullptr) {
            break;
        }
        stream << ", " << text;
    }
}

// Walks the colour and alpha lists side by side; an alpha instruction at the
// position of a written colour instruction is co-issued with it.
template <typename ColorText, typename AlphaText>
void WritePairs(std::ostream& stream, const PS13Entry& color, const PS13Entry& alpha, const HalfTexts& colorDest,
                const HalfTexts& alphaDest, ColorText colorText, AlphaText alphaText)
{
    uint32_t c = 0;
    uint32_t a = 0;
    const uint32_t colorCount = color.count < 3 ? color.count : 3;
    const uint32_t alphaCount = alpha.count < 3 ? alpha.count : 3;
    while (c < colorCount || a < alphaCount) {
        bool paired = false;
        if (c < colorCount) {
            const PS13Record& record = color.records[c++];
            if (!IsPS13Skipped(record.opcode)) {
                WriteRecord(stream, record, false, colorDest, colorText);
                paired = true;
            }
        }
        if (a < alphaCount) {
            const PS13Record& record = alpha.records[a++];
            if (!IsPS13Skipped(record.opcode)) {
                WriteRecord(stream, record, paired, alphaDest, alphaText);
            }
        }
    }
}

}  // namespace

bool ZelkGrTexPipelineTranslatorPS13::TexturesUsed(uint32_t colorFactor, uint32_t colorOther, uint32_t alphaFactor,
                                                  uint32_t alphaOther)
{
    return colorOther == 1 || alphaOther == 1 || colorFactor == 4 || colorFactor == 5 || colorFactor == 12 ||
           alphaFactor == 4 || alphaFactor == 12;
}

void ZelkGrTexPipelineTranslatorPS13::WritePs13Header(uint32_t chromakeyMode, bool texturesUsed,
                                                      std::ostream& stream)
{
    NewLine(stream) << "ps_1_3";
    NewLine(stream) << "def c6, 1.0f, 1.0f, 1.0f, 0.5f";
    NewLine(stream) << "def c7, 0.0f, 0.0f, 0.0f, 1.0f";
    if (chromakeyMode == 1) {
        NewLine(stream) << kChromakeyLimits;
    }
    if (texturesUsed) {
        NewLine(stream) << "tex t0";
        NewLine(stream) << "tex t1";
        if (chromakeyMode == 1) {
            NewLine(stream) << "texreg2ar t2, t0";
            NewLine(stream) << "texreg2gb t3, t0";
            // The key test's sum stays in t3: the texture units and ITRGB
            // lighting write t1 and t2 only.
            NewLine(stream) << "add_sat t3, t2, t3";
        }
    }
}

bool ZelkGrTexPipelineTranslatorPS13::UsesOtherInput(uint32_t colorFunction, uint32_t colorFactor,
                                                     uint32_t alphaFunction, uint32_t alphaFactor)
{
    const PS13Entry* entries[2] = {&GetPS13Entry(colorFunction, colorFactor),
                                   &GetPS13Entry(alphaFunction, alphaFactor)};
    for (const PS13Entry* entry : entries) {
        for (uint32_t i = 0; i < entry->count && i < 3; ++i) {
            const PS13Record& record = entry->records[i];
            for (uint32_t source : {record.source1, record.source2, record.source3}) {
                if (source >= PS13Other && source <= PS13OneMinusOtherAlpha) {
                    return true;
                }
            }
        }
    }
    return false;
}

const char* ZelkGrTexPipelineTranslatorPS13::GetTexUnitColorOperand(uint32_t unit, uint32_t operand)
{
    // The highest unit has no other input: its other is zero.
    static const char* const texts[2][PS13OperandCount] = {
        {"t0", "1 - t0", "t0.a", "1 - t0.a", "t2", "1 - t2", "t2.a", "1 - t2.a", "c7.a", "c7", "v1", "1 - v1", "t1",
         "1 - t1", "r1", "1 - r1", "c7", "c7.a", nullptr},
        {"t1", "1 - t1", "t1.a", "1 - t1.a", "c7", "c7.a", "c7", "c7.a", "c7.a", "c7", "v1", "1 - v1", "t2",
         "1 - t2", "r1", "1 - r1", "c7", "c7.a", nullptr},
    };
    return unit < 2 && operand < PS13OperandCount ? texts[unit][operand] : nullptr;
}

const char* ZelkGrTexPipelineTranslatorPS13::GetTexUnitAlphaOperand(uint32_t unit, uint32_t operand)
{
    // The detail factor is in v1's colour (its alpha may carry fog).
    static const char* const texts[2][PS13OperandCount] = {
        {"t0", "1 - t0", "t0", "1 - t0", "t2", "1 - t2", "t2", "1 - t2", "c7", "c7.b", "v1.b", "1 - v1.b", "t1",
         "1 - t1", "r1", "1 - r1", "c7.b", "c7", nullptr},
        {"t1", "1 - t1", "t1", "1 - t1", "c7.b", "c7", "c7.b", "c7", "c7", "c7.b", "v1.b", "1 - v1.b", "t2", "1 - t2",
         "r1", "1 - r1", "c7.b", "c7", nullptr},
    };
    return unit < 2 && operand < PS13OperandCount ? texts[unit][operand] : nullptr;
}

namespace {

// Texts of a selector: iterated, constant, third choice; null past the end.
const char* Select(uint32_t selector, const char* iterated, const char* constant, const char* third)
{
    switch (selector) {
    case 0:
        return iterated;
    case 1:
        return constant;
    case 2:
        return third;
    default:
        return nullptr;
    }
}

// Operands that read the same in both halves of the final combine.
const char* CommonCombineOperand(uint32_t operand)
{
    switch (operand) {
    case PS13TextureRgb:
        return "t1";
    case PS13OneMinusTextureRgb:
        return "1 - t1";
    case PS13Result:
        return "r0";
    case PS13OneMinusResult:
        return "1 - r0";
    case PS13Temp:
        return "r1";
    case PS13OneMinusTemp:
        return "1 - r1";
    default:
        return nullptr;
    }
}

}  // namespace

const char* ZelkGrTexPipelineTranslatorPS13::GetCombineColorOperand(uint32_t operand, uint32_t colorLocal,
                                                                    uint32_t colorOther, uint32_t alphaLocal,
                                                                    uint32_t alphaOther, bool itrgbLighting,
                                                                    bool texturesUsed)
{
    switch (operand) {
    case PS13Local:
        if (itrgbLighting) {
            return texturesUsed ? "t2" : "v0";
        }
        return Select(colorLocal, "v0", "c0", nullptr);
    case PS13OneMinusLocal:
        if (itrgbLighting) {
            return texturesUsed ? "1 - t2" : "1 - v0";
        }
        return Select(colorLocal, "1 - v0", "c1", nullptr);
    case PS13LocalAlpha:
        // Depth has no value here: zero.
        return Select(alphaLocal, "v0.a", "c0.a", "c7");
    case PS13OneMinusLocalAlpha:
        return Select(alphaLocal, "1 - v0.a", "c1.a", "c7.a");
    case PS13Other:
        return Select(colorOther, "v0", "t1", "c0");
    case PS13OneMinusOther:
        return Select(colorOther, "1 - v0", "1 - t1", "c1");
    case PS13OtherAlpha:
        return Select(alphaOther, "v0.a", "t1.a", "c0.a");
    case PS13OneMinusOtherAlpha:
        return Select(alphaOther, "1 - v0.a", "1 - t1.a", "c1.a");
    case PS13TextureAlpha:
        return "t1.a";
    case PS13OneMinusTextureAlpha:
        return "1 - t1.a";
    case PS13Zero:
        return "c7";
    case PS13One:
        return "c7.a";
    default:
        return CommonCombineOperand(operand);
    }
}

const char* ZelkGrTexPipelineTranslatorPS13::GetCombineAlphaOperand(uint32_t operand, uint32_t alphaLocal,
                                                                    uint32_t alphaOther)
{
    switch (operand) {
    case PS13Local:
    case PS13LocalAlpha:
        return Select(alphaLocal, "v0", "c0", "c7.b");
    case PS13OneMinusLocal:
    case PS13OneMinusLocalAlpha:
        return Select(alphaLocal, "1 - v0", "c1", "c7");
    case PS13Other:
    case PS13OtherAlpha:
        return Select(alphaOther, "v0", "t1", "c0");
    case PS13OneMinusOther:
    case PS13OneMinusOtherAlpha:
        return Select(alphaOther, "1 - v0", "1 - t1", "c1");
    case PS13TextureAlpha:
        return "t1";
    case PS13OneMinusTextureAlpha:
        return "1 - t1";
    case PS13Zero:
        return "c7.b";
    case PS13One:
        return "c7";
    default:
        return CommonCombineOperand(operand);
    }
}

void ZelkGrTexPipelineTranslatorPS13::WritePs13TexUnit(uint32_t unit, uint32_t colorFunction, uint32_t colorFactor,
                                                       uint32_t colorInvert, uint32_t alphaFunction,
                                                       uint32_t alphaFactor, uint32_t alphaInvert,
                                                       std::ostream& stream)
{
    unit = unit == 0 ? 0 : 1;
    static const HalfTexts colorDest[2] = {{"t1.rgb", "r1.rgb"}, {"t2.rgb", "r1.rgb"}};
    static const HalfTexts alphaDest[2] = {{"t1.a", "r1.a"}, {"t2.a", "r1.a"}};
    WritePairs(
        stream, GetPS13Entry(colorFunction, colorFactor), GetPS13Entry(alphaFunction, alphaFactor), colorDest[unit],
        alphaDest[unit], [unit](uint32_t operand) { return GetTexUnitColorOperand(unit, operand); },
        [unit](uint32_t operand) { return GetTexUnitAlphaOperand(unit, operand); });

    static const char* const invertLines[2][3] = {
        {"mov_sat t1.rgb, 1 - t1", "mov_sat t1.a, 1 - t1", "mov_sat t1.rgb, 1 - t1 + mov_sat t1.a, 1 - t1"},
        {"mov_sat t2.rgb, 1 - t2", "mov_sat t2.a, 1 - t2", "mov_sat t2.rgb, 1 - t2 + mov_sat t2.a, 1 - t2"},
    };
    if (colorInvert && alphaInvert) {
        NewLine(stream) << invertLines[unit][2];
    } else if (colorInvert) {
        NewLine(stream) << invertLines[unit][0];
    } else if (alphaInvert) {
        NewLine(stream) << invertLines[unit][1];
    }
}

void ZelkGrTexPipelineTranslatorPS13::WritePs13Combine(uint32_t colorFunction, uint32_t colorFactor,
                                                       uint32_t colorLocal, uint32_t colorOther,
                                                       uint32_t colorInvert, uint32_t alphaFunction,
                                                       uint32_t alphaFactor, uint32_t alphaLocal,
                                                       uint32_t alphaOther, uint32_t alphaInvert,
                                                       uint32_t chromakeyMode, bool itrgbLighting,
                                                       bool texturesUsed, std::ostream& stream)
{
    if (itrgbLighting && texturesUsed) {
        // The top bit of the texture output's alpha picks the constant
        // colour over the iterated one (cnd tests r0.a > 0.5).
        NewLine(stream) << "mov r0.a, t1";
        NewLine(stream) << "cnd t2, r0.a, c0, v0";
    }
    static const HalfTexts colorDest = {"r0.rgb", "r1.rgb"};
    static const HalfTexts alphaDest = {"r0.a", "r1.a"};
    WritePairs(
        stream, GetPS13Entry(colorFunction, colorFactor), GetPS13Entry(alphaFunction, alphaFactor), colorDest,
        alphaDest,
        [=](uint32_t operand) {
            return GetCombineColorOperand(operand, colorLocal, colorOther, alphaLocal, alphaOther, itrgbLighting,
                                          texturesUsed);
        },
        [=](uint32_t operand) { return GetCombineAlphaOperand(operand, alphaLocal, alphaOther); });

    if (colorInvert && alphaInvert) {
        NewLine(stream) << "mov_sat r0.rgba, 1 - r0.rgba";
    } else if (colorInvert) {
        NewLine(stream) << "mov_sat r0.rgb, 1 - r0.rgb";
    } else if (alphaInvert) {
        NewLine(stream) << "mov_sat r0.a, 1 - r0.a";
    }
    if (chromakeyMode == 1) {
        // Keying removes the pixels in the key colour whatever their alpha,
        // and none other: the alpha test that keying forces (greater or
        // equal 1) sees alpha 0 for a keyed pixel and at least 1 / 255 for
        // every other one.
        const char* const* lines = texturesUsed ? kChromakeyTexelLines : kChromakeyColorLines;
        for (; *lines != nullptr; ++lines) {
            NewLine(stream) << *lines;
        }
    }
}

void ZelkGrTexPipelineTranslatorPS13::WritePs13Shader(const ZelkGrPs13CombineState& state, uint32_t tmuCount,
                                                      std::ostream& stream)
{
    const bool texturesUsed = TexturesUsed(state.colorFactor, state.colorOther, state.alphaFactor, state.alphaOther);
    WritePs13Header(state.chromakeyMode, texturesUsed, stream);
    if (texturesUsed) {
        const uint32_t units = tmuCount < 2 ? tmuCount : 2;
        uint32_t last = 0;
        while (last + 1 < units && UsesOtherInput(state.tmu[last].rgbFunction, state.tmu[last].rgbFactor,
                                                  state.tmu[last].alphaFunction, state.tmu[last].alphaFactor)) {
            ++last;
        }
        for (uint32_t unit = last + 1; unit-- > 0;) {
            const ZelkGrPs13CombineState::TexUnit& tmu = state.tmu[unit];
            WritePs13TexUnit(unit, tmu.rgbFunction, tmu.rgbFactor, tmu.rgbInvert, tmu.alphaFunction, tmu.alphaFactor,
                             tmu.alphaInvert, stream);
        }
    }
    WritePs13Combine(state.colorFunction, state.colorFactor, state.colorLocal, state.colorOther, state.colorInvert,
                     state.alphaFunction, state.alphaFactor, state.alphaLocal, state.alphaOther, state.alphaInvert,
                     state.chromakeyMode, state.itrgbLighting, texturesUsed, stream);
}

namespace {

// Written the way the error log's records are.
void AppendCodeBlock(const std::string& text)
{
    std::ofstream log(kErrorLogFileName, std::ios::out | std::ios::app);
    if (!log) {
        return;
    }
    log << kCodeBlockRule << '\n' << kCodeBlockTitle << '\n' << text << "\n\n" << kCodeBlockRule << '\n';
}

}  // namespace

IDirect3DPixelShader9Ptr ZelkGrTexPipelineTranslatorPS13::CreatePixelShaderEnd(IDirect3DDevice9* device,
                                                                               std::iostream& stream)
{
    IDirect3DDevice9Ptr deviceRef(device);
    std::string text;
    IDirect3DPixelShader9Ptr shader;
    try {
        std::ostringstream copy;
        copy << stream.rdbuf();
        text = copy.str();
        ID3DXBufferPtr code;
        ID3DXBufferPtr errors;
        HRESULT result = D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), nullptr, nullptr, 0, &code,
                                            &errors);
        if (FAILED(result)) {
            std::string message = kAssembleFailed;
            if (errors != nullptr) {
                std::string errorText;
                message += "\n" + BufferToString(errors, errorText);
            }
            throw ZelkException(kThrower, result, message);
        }
        result = deviceRef->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &shader);
        if (FAILED(result)) {
            throw ZelkException(kThrower, result, kCreateFailed);
        }
    } catch (ZelkException& exception) {
        WriteErrorLog(exception);
        AppendCodeBlock(text);
        shader = nullptr;
        throw;
    }
    return shader;
}

namespace {

// Assembles and creates without logging or throwing; null on failure.
IDirect3DPixelShader9Ptr CreatePixelShaderQuietly(IDirect3DDevice9* device, const std::string& text)
{
    ID3DXBufferPtr code;
    IDirect3DPixelShader9Ptr shader;
    if (FAILED(D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), nullptr, nullptr, 0, &code,
                                  nullptr)) ||
        FAILED(device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &shader))) {
        return IDirect3DPixelShader9Ptr();
    }
    return shader;
}

}  // namespace

IDirect3DPixelShader9Ptr ZelkGrTexPipelineTranslatorPS13::CreateFallbackPixelShader(
    IDirect3DDevice9* device, const ZelkGrPs13CombineState& state, uint32_t tmuCount)
{
    struct Reduction {
        bool dropItrgbLighting;
        bool oneUnit;
    };
    static const Reduction reductions[] = {{true, false}, {false, true}, {true, true}};
    for (const Reduction& reduction : reductions) {
        if ((reduction.dropItrgbLighting && !state.itrgbLighting) || (reduction.oneUnit && tmuCount < 2)) {
            continue;
        }
        ZelkGrPs13CombineState reduced = state;
        if (reduction.dropItrgbLighting) {
            reduced.itrgbLighting = false;
        }
        std::stringstream stream;
        WritePs13Shader(reduced, reduction.oneUnit ? 1 : tmuCount, stream);
        IDirect3DPixelShader9Ptr shader = CreatePixelShaderQuietly(device, stream.str());
        if (shader != nullptr) {
            return shader;
        }
    }
    return CreatePixelShaderQuietly(device, kIteratedColorShader);
}

}  // namespace zelk
