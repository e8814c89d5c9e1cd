// Placeholder bodies of the texture family until its code is in the build.
#include "glide/ZelkGlidePendingBodies.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

#define ZELK_PENDING_grTexCalcMemRequired ~, 1
#define ZELK_PENDING_grTexTextureMemRequired ~, 1
#define ZELK_PENDING_grTexMinAddress ~, 1
#define ZELK_PENDING_grTexMaxAddress ~, 1
#define ZELK_PENDING_grTexSource ~, 1
#define ZELK_PENDING_grTexMultibaseAddress ~, 1
#define ZELK_PENDING_grTexClampMode ~, 1
#define ZELK_PENDING_grTexFilterMode ~, 1
#define ZELK_PENDING_grTexMipMapMode ~, 1
#define ZELK_PENDING_grTexLodBiasValue ~, 1
#define ZELK_PENDING_grTexDetailControl ~, 1
#define ZELK_PENDING_grTexCombine ~, 1
#define ZELK_PENDING_grTexCombineFunction ~, 1
#define ZELK_PENDING_grTexDownloadMipMap ~, 1
#define ZELK_PENDING_grTexDownloadMipMapLevel ~, 1
#define ZELK_PENDING_grTexDownloadMipMapLevelPartial ~, 1
#define ZELK_PENDING_grTexDownloadTable ~, 1
#define ZELK_PENDING_grTexDownloadTablePartial ~, 1
#define ZELK_PENDING_ConvertAndDownloadRle ~, 1
#define ZELK_PENDING_guTexAllocateMemory ~, 1
#define ZELK_PENDING_guTexChangeAttributes ~, 1
#define ZELK_PENDING_guTexCombineFunction ~, 1
#define ZELK_PENDING_guTexGetCurrentMipMap ~, 1
#define ZELK_PENDING_guTexGetMipMapInfo ~, 1
#define ZELK_PENDING_guTexMemQueryAvail ~, 1
#define ZELK_PENDING_guTexMemReset ~, 1
#define ZELK_PENDING_guTexDownloadMipMap ~, 1
#define ZELK_PENDING_guTexDownloadMipMapLevel ~, 1
#define ZELK_PENDING_guTexSource ~, 1
#define ZELK_PENDING_grTexMultibase ~, 1
#define ZELK_PENDING_grTexNCCTable ~, 1
#define ZELK_PENDING_guTexCreateColorMipMap ~, 1
#define ZELK_PENDING_grTexNCCTableImpl ~, 1
#define ZELK_PENDING_gu3dfGetInfo ~, 1
#define ZELK_PENDING_gu3dfLoad ~, 1

ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_DEFINE_PENDING_BODY)
ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_GLIDE_DEFINE_PENDING_DECORATED_BODY)
