// The shader include handler, served from this test program's own resources,
// and BufferToString.
#include <gtest/gtest.h>

#include "common/TestDirectory.h"
#include "framework/ZelkD3DPtr.h"
#include "framework/ZelkD3DXInclude.h"
#include "framework/ZelkException.h"
#include "support/IncludeResources.h"

#include <cstring>
#include <string>

using zelk::BufferToString;
using zelk::IncludeKey;
using zelk::IncludeKeyLess;
using zelk::ZelkD3DXInclude;
using zelk::ZelkException;

namespace {

const char* const kDefinitionsName = "ZelkTestDefinitions.hlsl";
const char* const kResourceType = "HLSL";

// The resource's bytes exactly as linked, for comparison.
std::string ResourceBytes(int id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), kResourceType);
    if (!resource) {
        return std::string();
    }
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(bytes, SizeofResource(module, resource));
}

ZelkD3DXInclude DefinitionsHandler(D3DXINCLUDE_TYPE type)
{
    return ZelkD3DXInclude(type, kDefinitionsName, ZELK_TEST_RESOURCE_DEFINITIONS, kResourceType,
                           GetModuleHandleA(nullptr));
}

// Opens a name and returns what the handler served, closing the copy again.
struct Served {
    HRESULT result;
    std::string text;
    bool nullWhenFailed;
    bool terminated;
};

Served OpenText(ZelkD3DXInclude& handler, D3DXINCLUDE_TYPE type, const char* name)
{
    const void* data = reinterpret_cast<const void*>(1);
    UINT bytes = 12345;
    Served served{handler.Open(type, name, nullptr, &data, &bytes), std::string(), false, false};
    if (FAILED(served.result)) {
        served.nullWhenFailed = data == nullptr && bytes == 0;
        return served;
    }
    served.text.assign(static_cast<const char*>(data), bytes);
    served.terminated = static_cast<const char*>(data)[bytes] == 0;
    EXPECT_EQ(handler.Close(data), S_OK);
    return served;
}

int CountOccurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(IncludeHandler, ServesTheWholeResourceText)
{
    const std::string expected = ResourceBytes(ZELK_TEST_RESOURCE_DEFINITIONS);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(expected.find('\0'), std::string::npos);
    ASSERT_NE(expected.find("#define ZELK_TEST_SCALE 2.0\n"), std::string::npos);

    ZelkD3DXInclude handler = DefinitionsHandler(D3DXINC_LOCAL);
    const Served served = OpenText(handler, D3DXINC_LOCAL, kDefinitionsName);
    ASSERT_EQ(served.result, S_OK);
    EXPECT_EQ(served.text, expected);
    EXPECT_TRUE(served.terminated);
}

TEST(IncludeHandler, EachOpenHandsOutItsOwnCopy)
{
    ZelkD3DXInclude handler = DefinitionsHandler(D3DXINC_LOCAL);
    const void* first = nullptr;
    const void* second = nullptr;
    UINT firstBytes = 0;
    UINT secondBytes = 0;
    ASSERT_EQ(handler.Open(D3DXINC_LOCAL, kDefinitionsName, nullptr, &first, &firstBytes), S_OK);
    ASSERT_EQ(handler.Open(D3DXINC_LOCAL, kDefinitionsName, nullptr, &second, &secondBytes), S_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(firstBytes, secondBytes);
    EXPECT_EQ(handler.Close(first), S_OK);
    EXPECT_EQ(std::memcmp(second, ResourceBytes(ZELK_TEST_RESOURCE_DEFINITIONS).data(), secondBytes), 0);
    EXPECT_EQ(handler.Close(second), S_OK);
    EXPECT_EQ(handler.Close(nullptr), S_OK);
}

TEST(IncludeHandler, LooksUpByTypeAndExactName)
{
    struct Case {
        D3DXINCLUDE_TYPE filedAs;
        D3DXINCLUDE_TYPE asked;
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {D3DXINC_LOCAL, D3DXINC_LOCAL, kDefinitionsName, true},
        {D3DXINC_LOCAL, D3DXINC_SYSTEM, kDefinitionsName, false},   // system never falls back to local
        {D3DXINC_SYSTEM, D3DXINC_SYSTEM, kDefinitionsName, true},
        {D3DXINC_SYSTEM, D3DXINC_LOCAL, kDefinitionsName, true},    // local falls back to system
        {D3DXINC_LOCAL, D3DXINC_LOCAL, "zelktestdefinitions.hlsl", false},
        {D3DXINC_LOCAL, D3DXINC_LOCAL, "ZelkTestDefinitions.hls", false},
        {D3DXINC_LOCAL, D3DXINC_LOCAL, "ZelkTestDefinitions.hlsl ", false},
        {D3DXINC_LOCAL, D3DXINC_LOCAL, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " filed " + std::to_string(c.filedAs) + " asked " +
                     std::to_string(c.asked));
        ZelkD3DXInclude handler = DefinitionsHandler(c.filedAs);
        const Served served = OpenText(handler, c.asked, c.name);
        if (c.found) {
            EXPECT_EQ(served.result, S_OK);
            EXPECT_EQ(served.text, ResourceBytes(ZELK_TEST_RESOURCE_DEFINITIONS));
        } else {
            EXPECT_EQ(served.result, E_FAIL);
            EXPECT_TRUE(served.nullWhenFailed);
        }
    }
}

TEST(IncludeHandler, TextWithZeroByteIsServedUpToIt)
{
    ZelkD3DXInclude handler(D3DXINC_LOCAL, "zero.h", ZELK_TEST_RESOURCE_ZERO_INSIDE, kResourceType,
                            GetModuleHandleA(nullptr));
    const Served served = OpenText(handler, D3DXINC_LOCAL, "zero.h");
    ASSERT_EQ(served.result, S_OK);
    EXPECT_EQ(served.text, "#define ZELK_TEST_FIRST 1\n");
    EXPECT_TRUE(served.terminated);
}

TEST(IncludeHandler, FilingTheSameKeyTwiceKeepsTheFirstText)
{
    ZelkD3DXInclude handler = DefinitionsHandler(D3DXINC_LOCAL);
    handler.InsertIncludeFile(D3DXINC_LOCAL, kDefinitionsName, ZELK_TEST_RESOURCE_ZERO_INSIDE, kResourceType,
                              GetModuleHandleA(nullptr));
    handler.InsertIncludeFile(D3DXINC_SYSTEM, kDefinitionsName, ZELK_TEST_RESOURCE_ZERO_INSIDE, kResourceType,
                              GetModuleHandleA(nullptr));
    EXPECT_EQ(OpenText(handler, D3DXINC_LOCAL, kDefinitionsName).text,
              ResourceBytes(ZELK_TEST_RESOURCE_DEFINITIONS));
    EXPECT_EQ(OpenText(handler, D3DXINC_SYSTEM, kDefinitionsName).text, "#define ZELK_TEST_FIRST 1\n");
}

TEST(IncludeHandler, MissingOrEmptyResourceThrowsAndLogsOnce)
{
    struct Case {
        int id;
        const char* type;
        HRESULT result;
        const char* message;
    };
    const Case cases[] = {
        {ZELK_TEST_RESOURCE_MISSING, kResourceType, HRESULT(0x80070716),  // ERROR_RESOURCE_NAME_NOT_FOUND
         "The function [ WIN32API::FindResource ] failed."},
        {ZELK_TEST_RESOURCE_DEFINITIONS, "NOSUCHTYPE", HRESULT(0x80070715),  // ERROR_RESOURCE_TYPE_NOT_FOUND
         "The function [ WIN32API::FindResource ] failed."},
        {ZELK_TEST_RESOURCE_EMPTY, kResourceType, 0, "The function [ WIN32API::SizeofResource ] failed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        zelktest::TestDirectory directory;
        try {
            ZelkD3DXInclude handler(D3DXINC_LOCAL, kDefinitionsName, c.id, c.type, GetModuleHandleA(nullptr));
            ADD_FAILURE() << "no exception";
        } catch (const ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkD3DXInclude::InsertIncludeFile");
            EXPECT_EQ(e.message, c.message);
            EXPECT_EQ(e.returnValue.result, c.result);
            EXPECT_TRUE(e.logged);
        }
        const std::string log = zelktest::ReadFileText(zelk::kErrorLogFileName);
        EXPECT_EQ(CountOccurrences(log, c.message), 1) << log;
    }
}

TEST(IncludeHandler, KeysOrderByTypeThenUnsignedBytesThenLength)
{
    const IncludeKeyLess less;
    const IncludeKey local{D3DXINC_LOCAL, "b"};
    const IncludeKey system{D3DXINC_SYSTEM, "a"};
    EXPECT_TRUE(less(local, system));
    EXPECT_FALSE(less(system, local));
    EXPECT_TRUE(less(IncludeKey{D3DXINC_LOCAL, "a"}, IncludeKey{D3DXINC_LOCAL, "b"}));
    EXPECT_TRUE(less(IncludeKey{D3DXINC_LOCAL, "z"}, IncludeKey{D3DXINC_LOCAL, "\xE9"}));  // unsigned bytes
    EXPECT_TRUE(less(IncludeKey{D3DXINC_LOCAL, "ab"}, IncludeKey{D3DXINC_LOCAL, "abc"}));
    EXPECT_FALSE(less(IncludeKey{D3DXINC_LOCAL, "abc"}, IncludeKey{D3DXINC_LOCAL, "abc"}));
    EXPECT_TRUE(less(IncludeKey{D3DXINC_SYSTEM, "z"}, IncludeKey{D3DXINC_FORCE_DWORD, "a"}));
}

// The assembler asks the handler for a quoted include and uses its macros.
TEST(IncludeHandler, AssemblerIsServedTheInclude)
{
    const char* const source =
        "#include \"ZelkTestDefinitions.hlsl\"\n"
        "vs_1_1\n"
        "dcl_position v0\n"
        "mov ZELK_TEST_POSITION_OUT, v0\n";
    ZelkD3DXInclude handler = DefinitionsHandler(D3DXINC_LOCAL);
    ID3DXBufferPtr code;
    ID3DXBufferPtr errors;
    const HRESULT served = D3DXAssembleShader(source, static_cast<UINT>(std::strlen(source)), nullptr, &handler, 0,
                                              &code, &errors);
    std::string messages;
    EXPECT_EQ(served, D3D_OK) << BufferToString(errors, messages);
    EXPECT_TRUE(code != nullptr);

    // Filed under another name the include is not found and the assembly fails.
    ZelkD3DXInclude other(D3DXINC_LOCAL, "Other.hlsl", ZELK_TEST_RESOURCE_DEFINITIONS, kResourceType,
                          GetModuleHandleA(nullptr));
    code = nullptr;
    errors = nullptr;
    EXPECT_TRUE(FAILED(D3DXAssembleShader(source, static_cast<UINT>(std::strlen(source)), nullptr, &other, 0, &code,
                                          &errors)));
}

// The compiler is served the include as well (the renderers' path).
TEST(IncludeHandler, CompilerIsServedTheInclude)
{
    const char* const source =
        "#include \"ZelkTestDefinitions.hlsl\"\n"
        "float4 main(float4 position : POSITION) : POSITION { return position * ZELK_TEST_SCALE; }\n";
    ZelkD3DXInclude handler = DefinitionsHandler(D3DXINC_LOCAL);
    ID3DXBufferPtr code;
    ID3DXBufferPtr errors;
    const HRESULT compiled = D3DXCompileShader(source, static_cast<UINT>(std::strlen(source)), nullptr, &handler,
                                               "main", "vs_2_0", 0, &code, &errors, nullptr);
    std::string messages;
    EXPECT_EQ(compiled, D3D_OK) << BufferToString(errors, messages);
    EXPECT_TRUE(code != nullptr);
}

TEST(BufferToString, NullBufferGivesEmptyText)
{
    std::string out = "left over";
    EXPECT_EQ(&BufferToString(nullptr, out), &out);
    EXPECT_EQ(out, "");
}

TEST(BufferToString, StopsAtZeroByteOrAtTheBuffersEnd)
{
    struct Case {
        const char* bytes;
        DWORD size;
        const char* expected;
    };
    const Case cases[] = {
        {"abc\0more", 8, "abc"},
        {"abcdef", 3, "abc"},  // no zero byte inside the buffer: its size ends the text
        {"\0abc", 4, ""},
    };
    for (const Case& c : cases) {
        ID3DXBufferPtr buffer;
        ASSERT_EQ(D3DXCreateBuffer(c.size, &buffer), D3D_OK);
        std::memcpy(buffer->GetBufferPointer(), c.bytes, c.size);
        std::string out;
        EXPECT_EQ(BufferToString(buffer, out), c.expected);
        // The reference taken while reading is given back.
        buffer->AddRef();
        EXPECT_EQ(buffer->Release(), 1u);
    }
}
