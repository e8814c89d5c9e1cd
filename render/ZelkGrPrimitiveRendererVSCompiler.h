#pragma once

#include <windows.h>
#include <d3dx9.h>

namespace zelk {

// The shader compiler the vertex-shader renderers call; D3DXCompileShader
// unless replaced.
using ShaderCompileFunction = HRESULT(WINAPI*)(LPCSTR source, UINT sourceLength, const D3DXMACRO* defines,
                                               LPD3DXINCLUDE include, LPCSTR functionName, LPCSTR profile,
                                               DWORD flags, LPD3DXBUFFER* shader, LPD3DXBUFFER* errorMessages,
                                               LPD3DXCONSTANTTABLE* constantTable);

// Installs a compiler (null restores D3DXCompileShader); returns the
// previous one.
ShaderCompileFunction SetShaderCompileFunction(ShaderCompileFunction function);

HRESULT CompileShader(LPCSTR source, UINT sourceLength, const D3DXMACRO* defines, LPD3DXINCLUDE include,
                      LPCSTR functionName, LPCSTR profile, DWORD flags, LPD3DXBUFFER* shader,
                      LPD3DXBUFFER* errorMessages, LPD3DXCONSTANTTABLE* constantTable);

}  // namespace zelk
