#include "render/ZelkGrPrimitiveRendererVSCompiler.h"

#include <atomic>

namespace zelk {

namespace {
std::atomic<ShaderCompileFunction> compileFunction{nullptr};
}

ShaderCompileFunction SetShaderCompileFunction(ShaderCompileFunction function)
{
    return compileFunction.exchange(function);
}

HRESULT CompileShader(LPCSTR source, UINT sourceLength, const D3DXMACRO* defines, LPD3DXINCLUDE include,
                      LPCSTR functionName, LPCSTR profile, DWORD flags, LPD3DXBUFFER* shader,
                      LPD3DXBUFFER* errorMessages, LPD3DXCONSTANTTABLE* constantTable)
{
    const ShaderCompileFunction function = compileFunction.load();
    if (function != nullptr) {
        return function(source, sourceLength, defines, include, functionName, profile, flags, shader, errorMessages,
                        constantTable);
    }
    return D3DXCompileShader(source, sourceLength, defines, include, functionName, profile, flags, shader,
                             errorMessages, constantTable);
}

}  // namespace zelk
