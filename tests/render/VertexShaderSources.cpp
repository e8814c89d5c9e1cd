// The shader sources as resources: every vs_1_1 variant compiles with the
// compiler in use here, and where it does not, it is because of a construct
// that has no equivalent this compiler accepts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/ZelkD3DPtr.h"
#include "framework/ZelkD3DXInclude.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrPrimitiveRendererVS.h"

namespace {

const char* const kValueMacros[][2] = {
    {"ORIGIN_LOWERLEFT", "0"},   {"ORIGIN_UPPERLEFT", "1"},  {"DEPTHTYPE_DISABLE", "0"}, {"DEPTHTYPE_Z", "1"},
    {"DEPTHTYPE_W", "2"},        {"DETAILFACTOR_DISABLE", "0"}, {"DETAILFACTOR_ENABLE", "1"},
    {"FOGTYPE_DISABLE", "0"},    {"FOGTYPE_ALPHA", "1"},     {"FOGTYPE_TABLE", "2"},     {"TEXCOORD_DISABLE", "0"},
    {"TEXCOORD_ENABLE", "1"},
};

std::string LoadResourceText(int id)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "HLSL");
    if (found == nullptr) {
        return std::string();
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found));
}

struct CompileOutcome {
    HRESULT result;
    std::string messages;
};

CompileOutcome Compile(const std::string& source, const D3DXMACRO* macros, const char* profile)
{
    zelk::ZelkD3DXInclude include(D3DXINC_LOCAL, "ZelkCommonDefinition.hlsl", 108, "hlsl", nullptr);
    ID3DXBufferPtr code, messages;
    ID3DXConstantTablePtr table;
    CompileOutcome outcome;
    outcome.result = D3DXCompileShader(source.c_str(), static_cast<UINT>(source.size()), macros, &include,
                                       "VpMain_ConvertGrVertexToD3DVertex", profile, 0, &code, &messages, &table);
    zelk::BufferToString(messages, outcome.messages);
    return outcome;
}

TEST(VertexShaderSources, ResourcesArePresent)
{
    EXPECT_NE(LoadResourceText(108).find("ZELK_COMMONDEFINITION_HLSL"), std::string::npos);
    EXPECT_NE(LoadResourceText(117).find("ZELKGLIDE_CONVERTVERTEX_VS11_HLSL"), std::string::npos);
    EXPECT_NE(LoadResourceText(118).find("ZELKGLIDE_CONVERTVERTEX_VS2X_HLSL"), std::string::npos);
}

// The renderers' loader finds the resources by the type in any case and
// hands out exactly their bytes; a missing one empties the string.
TEST(VertexShaderSources, LoadShaderFromResource)
{
    std::string out = "left over";
    zelk::ZelkGrPrimitiveRendererVS::LoadShaderFromResource(117, "hlsl", nullptr, out);
    EXPECT_EQ(out, LoadResourceText(117));
    out = "left over";
    try {
        zelk::ZelkGrPrimitiveRendererVS::LoadShaderFromResource(999, "hlsl", nullptr, out);
        FAIL() << "no exception";
    } catch (const zelk::ZelkException& e) {
        EXPECT_EQ(e.functionName, "ZelkGrPrimitiveRendererVS::LoadShaderFromResource");
        EXPECT_EQ(e.message, "The function [ WIN32API::FindResource ] failed.");
        EXPECT_TRUE(e.logged);
    }
    EXPECT_TRUE(out.empty());
}

// Table fog needs the natural logarithm and an indexed table read; every
// other variant compiles without a message.
TEST(VertexShaderSources, EveryVariantWithoutTableFogCompiles)
{
    const std::string source = LoadResourceText(117);
    const char* origins[] = {"ORIGIN_LOWERLEFT", "ORIGIN_UPPERLEFT"};
    const char* depths[] = {"DEPTHTYPE_DISABLE", "DEPTHTYPE_Z", "DEPTHTYPE_W"};
    const char* details[] = {"DETAILFACTOR_DISABLE", "DETAILFACTOR_ENABLE"};
    const char* fogs[] = {"FOGTYPE_DISABLE", "FOGTYPE_ALPHA", "FOGTYPE_TABLE"};
    const char* texcoords[] = {"TEXCOORD_DISABLE", "TEXCOORD_ENABLE"};
    int clean = 0;
    std::string report;
    for (int index = 0; index < 72; ++index) {
        const int t = index % 2, f = index / 2 % 3, e = index / 6 % 2, d = index / 12 % 3, o = index / 36;
        for (int fogValid = 0; fogValid < 2; ++fogValid) {
            D3DXMACRO macros[20] = {};
            int n = 0;
            for (const auto& value : kValueMacros) {
                macros[n++] = {value[0], value[1]};
            }
            macros[n++] = {"ORIGIN", origins[o]};
            macros[n++] = {"DEPTHTYPE", depths[d]};
            macros[n++] = {"DETAILFACTOR", details[e]};
            macros[n++] = {"FOGTYPE", fogs[f]};
            macros[n++] = {"TEXCOORD", texcoords[t]};
            if (fogValid) {
                macros[n++] = {"FOGFACTORVALID", ""};
            }
            for (const char* profile : {"vs_1_1", "vs_2_0"}) {
                const CompileOutcome outcome = Compile(source, macros, profile);
                const bool ok = SUCCEEDED(outcome.result) && outcome.messages.empty();
                if (f != 2) {
                    EXPECT_TRUE(ok) << "variant " << index << " " << profile << ": " << outcome.messages;
                }
                if (ok) {
                    ++clean;
                } else {
                    char line[64];
                    std::snprintf(line, sizeof line, "variant %d %s fogvalid %d\n", index, profile, fogValid);
                    report += line;
                }
            }
        }
    }
    std::printf("%d of 288 compiles clean; not clean:\n%s", clean, report.c_str());
}

// What the tests' stand-in compiler replaces, because the compiler here
// refuses it: the table fog of the vs_1_1 source and the whole vs_2_x
// source.  Once either compiles here, the stand-in should give it up.
TEST(VertexShaderSources, WhatTheStandInReplacesDoesNotCompileHere)
{
    D3DXMACRO macros[20] = {};
    int n = 0;
    for (const auto& value : kValueMacros) {
        macros[n++] = {value[0], value[1]};
    }
    macros[n++] = {"ORIGIN", "ORIGIN_UPPERLEFT"};
    macros[n++] = {"DEPTHTYPE", "DEPTHTYPE_Z"};
    macros[n++] = {"DETAILFACTOR", "DETAILFACTOR_DISABLE"};
    macros[n++] = {"FOGTYPE", "FOGTYPE_TABLE"};
    macros[n++] = {"TEXCOORD", "TEXCOORD_ENABLE"};
    const CompileOutcome tableFog = Compile(LoadResourceText(117), macros, "vs_1_1");
    EXPECT_FALSE(SUCCEEDED(tableFog.result) && tableFog.messages.empty());
    EXPECT_NE(tableFog.messages.find("Function \"log\" is not defined."), std::string::npos) << tableFog.messages;

    const D3DXMACRO none[1] = {};
    for (const char* profile : {"vs_1_1", "vs_2_0"}) {
        const CompileOutcome vs2x = Compile(LoadResourceText(118), none, profile);
        EXPECT_FALSE(SUCCEEDED(vs2x.result) && vs2x.messages.empty()) << profile;
        EXPECT_NE(vs2x.messages.find("Uniform initializer"), std::string::npos) << vs2x.messages;
    }
}

}  // namespace
