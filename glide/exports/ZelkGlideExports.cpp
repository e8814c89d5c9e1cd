// The exported Glide functions.  Each export is a stdcall entry point,
// generated from the export lists of glideapi/Glide2.h, that runs its body
// (zelk::glidebody, glide/ZelkGlideBodies.h) inside the export guard.  The
// public symbol under the Glide name ("_grDrawTriangle@12" in 32-bit builds,
// "grDrawTriangle" in 64-bit ones, which the .def file exports) is a jump to
// the guarded stdcall function; that function takes the same arguments and
// pops them itself.
#include "glideapi/Glide2.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideExportGuard.h"

#define ZELK_STRINGIFY_(x) #x
#define ZELK_STRINGIFY(x) ZELK_STRINGIFY_(x)

// The guarded function of each body, reached through a pointer with a C name.
#define ZELK_GLIDE_GUARDED(returnType, name, parameters, bytes)                                   \
    static constexpr char kExportName_##name[] = #name;                                          \
    extern "C" void* const zelkGuarded_##name;                                                   \
    extern "C" __attribute__((used)) void* const zelkGuarded_##name =                              \
        reinterpret_cast<void*>(&zelk::ZelkGlideExport<&zelk::glidebody::name, kExportName_##name>::Call);
#define ZELK_GLIDE_GUARDED_DECORATED(returnType, name, parameters, bytes, decorated) \
    ZELK_GLIDE_GUARDED(returnType, name, parameters, bytes)

ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_GUARDED)
ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ZELK_GLIDE_GUARDED)
ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_GLIDE_GUARDED_DECORATED)

// The public entry points: "_name@bytes: jmp *_zelkGuarded_name" (64-bit
// builds: "name: jmp *zelkGuarded_name(%rip)").
#if defined(__i386__)
#define ZELK_GLIDE_THUNK(returnType, name, parameters, bytes)     \
    ".globl _" #name "@" ZELK_STRINGIFY(bytes) "\n"               \
    "_" #name "@" ZELK_STRINGIFY(bytes) ":\n"                     \
    "    jmp *_zelkGuarded_" #name "\n"
#else
#define ZELK_GLIDE_THUNK(returnType, name, parameters, bytes) \
    ".globl " #name "\n"                                      \
    #name ":\n"                                               \
    "    jmp *zelkGuarded_" #name "(%rip)\n"
#endif
#define ZELK_GLIDE_THUNK_DECORATED(returnType, name, parameters, bytes, decorated) \
    ZELK_GLIDE_THUNK(returnType, name, parameters, bytes)

// Never called: its body only carries the entry points into the code section.
extern "C" __attribute__((naked, used)) void zelkGlideExportThunks()
{
    asm(ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_THUNK)
        ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ZELK_GLIDE_THUNK)
        ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_GLIDE_THUNK_DECORATED));
}
