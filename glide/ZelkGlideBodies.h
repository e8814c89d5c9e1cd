#pragma once

// The bodies of the exported Glide functions.
//
// Every export of Rodoz2o.dll (glide/exports/) is a thin stdcall function
// that guards its body: the body runs the Glide call and may throw; the
// export catches, makes sure the failure is logged, and returns the Glide
// failure value.  Bodies carry the Glide names and signatures of the export
// lists in glideapi/Glide2.h and live in the wrapper library, so that unit tests
// call them directly.  They are defined by family:
//   glide/ZelkGlideTextureInterface.cpp   grTex*, guTex*, gu3df*
//   glide/ZelkGlideLfbInterface.cpp       grLfb*
//   glide/ZelkGlide*.cpp                  everything else
#include "glideapi/Glide2.h"

namespace zelk {
namespace glidebody {

#define ZELK_GLIDE_DECLARE_BODY(returnType, name, parameters, stdcallBytes) \
    returnType name parameters;
#define ZELK_GLIDE_DECLARE_DECORATED_BODY(returnType, name, parameters, stdcallBytes, decorated) \
    returnType name parameters;

ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_DECLARE_BODY)
ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ZELK_GLIDE_DECLARE_BODY)
ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_GLIDE_DECLARE_DECORATED_BODY)

#undef ZELK_GLIDE_DECLARE_DECORATED_BODY
#undef ZELK_GLIDE_DECLARE_BODY

}  // namespace glidebody
}  // namespace zelk
