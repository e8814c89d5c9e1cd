#pragma once

// Placeholder bodies for export families whose code lives elsewhere and is
// not in this build yet.  Each placeholder writes one log entry the first
// time it is called and returns the Glide failure value.
//
// A file names the family's functions in a list of probes,
//   #define ZELK_PENDING_grTexSource ~, 1
// and expands ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_DEFINE_PENDING_BODY); the
// signatures come from the export lists, so only the names are repeated.
#include "glide/Glide2.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideExportGuard.h"

namespace zelk {

// Logs once per function that a body is not available in this build.
void LogPendingBody(const char* name, bool& logged) noexcept;

}  // namespace zelk

#define ZELK_PENDING_SECOND_(a, b, ...) b
#define ZELK_PENDING_SECOND(...) ZELK_PENDING_SECOND_(__VA_ARGS__)
#define ZELK_PENDING_IS(name) ZELK_PENDING_SECOND(ZELK_PENDING_##name, 0, ~)
#define ZELK_PENDING_CAT_(a, b) a##b
#define ZELK_PENDING_CAT(a, b) ZELK_PENDING_CAT_(a, b)
#define ZELK_PENDING_WHEN_0(definition)
#define ZELK_PENDING_WHEN_1(definition) ZELK_PENDING_EXPAND definition
#define ZELK_PENDING_EXPAND(returnType, name, parameters)        \
    returnType zelk::glidebody::name parameters                   \
    {                                                             \
        static bool logged = false;                               \
        zelk::LogPendingBody(#name, logged);                      \
        return zelk::GlideFailureValue<returnType>();             \
    }

#define ZELK_GLIDE_DEFINE_PENDING_BODY(returnType, name, parameters, bytes) \
    ZELK_PENDING_CAT(ZELK_PENDING_WHEN_, ZELK_PENDING_IS(name))((returnType, name, parameters))
#define ZELK_GLIDE_DEFINE_PENDING_DECORATED_BODY(returnType, name, parameters, bytes, decorated) \
    ZELK_GLIDE_DEFINE_PENDING_BODY(returnType, name, parameters, bytes)
