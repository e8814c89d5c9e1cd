#pragma once

// A stand-in for the shader compiler where this machine's compiler lacks
// HLSL that the shader sources need (the natural logarithm, floor, ceil and
// indexed table reads of table fog; the profile-specific definition,
// uniform initialisers, boolean constants, user functions and the rest of
// the vs_2_x source).  It records the macros and profile it is given, and
// compiles a stand-in for the requested shader written only with
// constructs this compiler accepts, as vs_2_0: the same computation (table
// fog by an exact equivalent in the vs_1_1 variants), except that the vs_2_x
// stand-in's table fog takes the table's first entry.
//
// Sources that the compiler here accepts as they are go to it unchanged.
#include <windows.h>
#include <d3dx9.h>

#include <mutex>
#include <string>
#include <vector>

namespace zelktest {

struct ShaderCompileCall {
    std::vector<std::pair<std::string, std::string>> macros;
    std::string profile;
    bool standIn = false;  // true when an equivalent text was compiled
};

class ShaderStandIn {
public:
    // Installs the stand-in for its lifetime.
    ShaderStandIn();
    ~ShaderStandIn();
    ShaderStandIn(const ShaderStandIn&) = delete;
    ShaderStandIn& operator=(const ShaderStandIn&) = delete;

    static std::vector<ShaderCompileCall> Calls();
    static void ClearCalls();
    // Fails the nth compile from now (1 = the next) with the result and an
    // error text.
    static void FailCompile(unsigned nth, HRESULT result);
};

// The compile function itself (what ShaderStandIn installs).
HRESULT WINAPI StandInCompileShader(LPCSTR source, UINT sourceLength, const D3DXMACRO* defines,
                                    LPD3DXINCLUDE include, LPCSTR functionName, LPCSTR profile, DWORD flags,
                                    LPD3DXBUFFER* shader, LPD3DXBUFFER* errorMessages,
                                    LPD3DXCONSTANTTABLE* constantTable);

}  // namespace zelktest
