// Placeholder bodies of the frame-buffer family until its code is in the
// build.
#include "glide/ZelkGlidePendingBodies.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

#define ZELK_PENDING_grLfbLock ~, 1
#define ZELK_PENDING_grLfbUnlock ~, 1
#define ZELK_PENDING_grLfbConstantAlpha ~, 1
#define ZELK_PENDING_grLfbConstantDepth ~, 1
#define ZELK_PENDING_grLfbReadRegion ~, 1
#define ZELK_PENDING_grLfbWriteRegion ~, 1
#define ZELK_PENDING_grLfbWriteRegionImpl ~, 1
#define ZELK_PENDING_grLfbWriteColorSwizzle ~, 1
#define ZELK_PENDING_grLfbWriteColorFormat ~, 1

ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_DEFINE_PENDING_BODY)
ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_GLIDE_DEFINE_PENDING_DECORATED_BODY)
