/*
 * Glide 2.x interface, as the wrapper library defines it and as Glide
 * programs (and the tests) call it.
 *
 * Every function is listed once, in an X-macro list, with its stdcall
 * argument byte count. The prototypes and the function-pointer typedefs
 * (PFN_<name>) are generated from these lists, and the DLL's export table
 * must name exactly their functions:
 *
 *   ZELK_GLIDE_FUNCTIONS(X)
 *       The Glide 2.x functions of the export table, exported under their
 *       stdcall names "_<name>@<bytes>" (64-bit builds: "<name>").
 *       X(returnType, name, (parameters), stdcallBytes)
 *
 *   ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(X)
 *       Declared by the Glide 2.x utility interface but not in the export
 *       table. Same shape as above.
 *
 *   ZELK_GLIDE_DECORATED_FUNCTIONS(X)
 *       Later Glide entry points that the library exports under C++
 *       (Microsoft) decorated names. The library defines each as the stdcall
 *       C function <glideName>Impl, since grTexNCCTable and grLfbWriteRegion
 *       already name the Glide 2.x forms.  The decorations are those of
 *       32-bit programs: 64-bit builds do not export these functions.
 *       X(returnType, implName, (parameters), stdcallBytes, "decoratedName")
 *
 * A program that loads the library with LoadLibrary finds a function with
 * GetProcAddress(module, ZELK_GLIDE_EXPORT_NAME(name, bytes)) or under its
 * decorated name, and casts it to PFN_<name>.
 */
#ifndef ZELK_GLIDE_GLIDE2_H
#define ZELK_GLIDE_GLIDE2_H

#include "glideapi/Glide2Types.h"

/* The export name of a stdcall function: "_grDrawTriangle@12".  64-bit
 * Windows has one calling convention and no decoration: "grDrawTriangle". */
#if defined(_WIN64)
#define ZELK_GLIDE_EXPORT_NAME(name, stdcallBytes) #name
#else
#define ZELK_GLIDE_EXPORT_NAME(name, stdcallBytes) "_" #name "@" #stdcallBytes
#endif

#define ZELK_GLIDE_FUNCTIONS(X) \
    /* Drawing */ \
    X(void, grDrawPoint, (const GrVertex *pt), 4) \
    X(void, grDrawLine, (const GrVertex *v1, const GrVertex *v2), 8) \
    X(void, grDrawTriangle, (const GrVertex *a, const GrVertex *b, const GrVertex *c), 12) \
    X(void, grDrawPolygon, (int nverts, const int ilist[], const GrVertex vlist[]), 12) \
    X(void, grDrawPolygonVertexList, (int nverts, const GrVertex vlist[]), 8) \
    X(void, grDrawPlanarPolygon, (int nverts, const int ilist[], const GrVertex vlist[]), 12) \
    X(void, grDrawPlanarPolygonVertexList, (int nverts, const GrVertex vlist[]), 8) \
    X(void, grAADrawPoint, (const GrVertex *pt), 4) \
    X(void, grAADrawLine, (const GrVertex *v1, const GrVertex *v2), 8) \
    X(void, grAADrawTriangle, (const GrVertex *a, const GrVertex *b, const GrVertex *c, \
        FxBool ab_antialias, FxBool bc_antialias, FxBool ca_antialias), 24) \
    X(void, grAADrawPolygon, (const int nverts, const int ilist[], const GrVertex vlist[]), 12) \
    X(void, grAADrawPolygonVertexList, (const int nverts, const GrVertex vlist[]), 8) \
    /* Buffers */ \
    X(void, grBufferClear, (GrColor_t color, GrAlpha_t alpha, FxU16 depth), 12) \
    X(void, grBufferSwap, (int swap_interval), 4) \
    X(int, grBufferNumPending, (void), 0) \
    X(void, grRenderBuffer, (GrBuffer_t buffer), 4) \
    /* Errors */ \
    X(void, grErrorSetCallback, (GrErrorCallbackFnc_t fnc), 4) \
    /* Board, window and status */ \
    X(FxBool, grSstQueryBoards, (GrHwConfiguration *hwconfig), 4) \
    X(FxBool, grSstQueryHardware, (GrHwConfiguration *hwconfig), 4) \
    X(void, grSstSelect, (int which_sst), 4) \
    X(FxBool, grSstWinOpen, (FxU32 hWnd, GrScreenResolution_t screen_resolution, \
        GrScreenRefresh_t refresh_rate, GrColorFormat_t color_format, \
        GrOriginLocation_t origin_location, int nColBuffers, int nAuxBuffers), 28) \
    X(void, grSstWinClose, (void), 0) \
    X(FxBool, grSstControl, (FxU32 code), 4) \
    X(void, grSstOrigin, (GrOriginLocation_t origin), 4) \
    X(FxU32, grSstScreenWidth, (void), 0) \
    X(FxU32, grSstScreenHeight, (void), 0) \
    X(FxU32, grSstStatus, (void), 0) \
    X(void, grSstIdle, (void), 0) \
    X(FxBool, grSstIsBusy, (void), 0) \
    X(FxU32, grSstVideoLine, (void), 0) \
    X(FxBool, grSstVRetraceOn, (void), 0) \
    X(void, grSstPerfStats, (GrSstPerfStats_t *pStats), 4) \
    X(void, grSstResetPerfStats, (void), 0) \
    X(void, grTriStats, (FxU32 *trisProcessed, FxU32 *trisDrawn), 8) \
    X(void, grResetTriStats, (void), 0) \
    /* Rendering state */ \
    X(void, grAlphaBlendFunction, (GrAlphaBlendFnc_t rgb_sf, GrAlphaBlendFnc_t rgb_df, \
        GrAlphaBlendFnc_t alpha_sf, GrAlphaBlendFnc_t alpha_df), 16) \
    X(void, grAlphaCombine, (GrCombineFunction_t function, GrCombineFactor_t factor, \
        GrCombineLocal_t local, GrCombineOther_t other, FxBool invert), 20) \
    X(void, grAlphaControlsITRGBLighting, (FxBool enable), 4) \
    X(void, grAlphaTestFunction, (GrCmpFnc_t function), 4) \
    X(void, grAlphaTestReferenceValue, (GrAlpha_t value), 4) \
    X(void, grChromakeyMode, (GrChromakeyMode_t mode), 4) \
    X(void, grChromakeyValue, (GrColor_t value), 4) \
    X(void, grClipWindow, (FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy), 16) \
    X(void, grColorCombine, (GrCombineFunction_t function, GrCombineFactor_t factor, \
        GrCombineLocal_t local, GrCombineOther_t other, FxBool invert), 20) \
    X(void, grColorMask, (FxBool rgb, FxBool a), 8) \
    X(void, grConstantColorValue, (GrColor_t value), 4) \
    X(void, grConstantColorValue4, (float a, float r, float g, float b), 16) \
    X(void, grCullMode, (GrCullMode_t mode), 4) \
    X(void, grDepthBiasLevel, (FxI16 level), 4) \
    X(void, grDepthBufferFunction, (GrCmpFnc_t function), 4) \
    X(void, grDepthBufferMode, (GrDepthBufferMode_t mode), 4) \
    X(void, grDepthMask, (FxBool mask), 4) \
    X(void, grDisableAllEffects, (void), 0) \
    X(void, grDitherMode, (GrDitherMode_t mode), 4) \
    X(void, grFogColorValue, (GrColor_t fogcolor), 4) \
    X(void, grFogMode, (GrFogMode_t mode), 4) \
    X(void, grFogTable, (const GrFog_t ft[]), 4) \
    X(void, grGammaCorrectionValue, (float value), 4) \
    X(void, grHints, (GrHint_t hintType, FxU32 hintMask), 8) \
    X(void, grSplash, (float x, float y, float width, float height, FxU32 frame), 20) \
    /* Texture (gr) */ \
    X(FxU32, grTexCalcMemRequired, (GrLOD_t lodmin, GrLOD_t lodmax, GrAspectRatio_t aspect, \
        GrTextureFormat_t fmt), 16) \
    X(FxU32, grTexTextureMemRequired, (FxU32 evenOdd, GrTexInfo *info), 8) \
    X(FxU32, grTexMinAddress, (GrChipID_t tmu), 4) \
    X(FxU32, grTexMaxAddress, (GrChipID_t tmu), 4) \
    X(void, grTexSource, (GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo *info), 16) \
    X(void, grTexMultibase, (GrChipID_t tmu, FxBool enable), 8) \
    X(void, grTexMultibaseAddress, (GrChipID_t tmu, GrTexBaseRange_t range, FxU32 startAddress, \
        FxU32 evenOdd, GrTexInfo *info), 20) \
    X(void, grTexClampMode, (GrChipID_t tmu, GrTextureClampMode_t s_clampmode, \
        GrTextureClampMode_t t_clampmode), 12) \
    X(void, grTexFilterMode, (GrChipID_t tmu, GrTextureFilterMode_t minfilter_mode, \
        GrTextureFilterMode_t magfilter_mode), 12) \
    X(void, grTexMipMapMode, (GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend), 12) \
    X(void, grTexLodBiasValue, (GrChipID_t tmu, float bias), 8) \
    X(void, grTexDetailControl, (GrChipID_t tmu, int lod_bias, FxU8 detail_scale, \
        float detail_max), 16) \
    X(void, grTexCombine, (GrChipID_t tmu, GrCombineFunction_t rgb_function, \
        GrCombineFactor_t rgb_factor, GrCombineFunction_t alpha_function, \
        GrCombineFactor_t alpha_factor, FxBool rgb_invert, FxBool alpha_invert), 28) \
    X(void, grTexCombineFunction, (GrChipID_t tmu, GrTextureCombineFnc_t fnc), 8) \
    X(void, grTexNCCTable, (GrChipID_t tmu, GrNCCTable_t table), 8) \
    X(void, grTexDownloadMipMap, (GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, \
        GrTexInfo *info), 16) \
    X(void, grTexDownloadMipMapLevel, (GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, \
        GrLOD_t largeLod, GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd, \
        void *data), 32) \
    X(void, grTexDownloadMipMapLevelPartial, (GrChipID_t tmu, FxU32 startAddress, \
        GrLOD_t thisLod, GrLOD_t largeLod, GrAspectRatio_t aspectRatio, \
        GrTextureFormat_t format, FxU32 evenOdd, void *data, int start, int end), 40) \
    X(void, grTexDownloadTable, (GrChipID_t tmu, GrTexTable_t type, void *data), 12) \
    X(void, grTexDownloadTablePartial, (GrChipID_t tmu, GrTexTable_t type, void *data, \
        int start, int end), 20) \
    X(void, ConvertAndDownloadRle, (GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, \
        GrLOD_t largeLod, GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd, \
        FxU8 *bm_data, long bm_h, FxU32 u0, FxU32 v0, FxU32 width, FxU32 height, \
        FxU32 dest_width, FxU32 dest_height, FxU16 *tlut), 64) \
    X(void, grCheckForRoom, (FxI32 n), 4) \
    /* Texture utility (gu, mip-map handles) */ \
    X(GrMipMapId_t, guTexAllocateMemory, (GrChipID_t tmu, FxU8 odd_even_mask, int width, \
        int height, GrTextureFormat_t fmt, GrMipMapMode_t mm_mode, GrLOD_t smallest_lod, \
        GrLOD_t largest_lod, GrAspectRatio_t aspect, GrTextureClampMode_t s_clamp_mode, \
        GrTextureClampMode_t t_clamp_mode, GrTextureFilterMode_t minfilter_mode, \
        GrTextureFilterMode_t magfilter_mode, float lod_bias, FxBool trilinear), 60) \
    X(FxBool, guTexChangeAttributes, (GrMipMapId_t mmid, int width, int height, \
        GrTextureFormat_t fmt, GrMipMapMode_t mm_mode, GrLOD_t smallest_lod, \
        GrLOD_t largest_lod, GrAspectRatio_t aspect, GrTextureClampMode_t s_clamp_mode, \
        GrTextureClampMode_t t_clamp_mode, GrTextureFilterMode_t minFilterMode, \
        GrTextureFilterMode_t magFilterMode), 48) \
    X(void, guTexCombineFunction, (GrChipID_t tmu, GrTextureCombineFnc_t fnc), 8) \
    X(GrMipMapId_t, guTexGetCurrentMipMap, (GrChipID_t tmu), 4) \
    X(GrMipMapInfo *, guTexGetMipMapInfo, (GrMipMapId_t mmid), 4) \
    X(FxU32, guTexMemQueryAvail, (GrChipID_t tmu), 4) \
    X(void, guTexMemReset, (void), 0) \
    X(void, guTexDownloadMipMap, (GrMipMapId_t mmid, const void *src, \
        const GuNccTable *table), 12) \
    X(void, guTexDownloadMipMapLevel, (GrMipMapId_t mmid, GrLOD_t lod, const void **src), 12) \
    X(void, guTexSource, (GrMipMapId_t id), 4) \
    X(FxU16 *, guTexCreateColorMipMap, (void), 0) \
    /* Linear frame buffer */ \
    X(FxBool, grLfbLock, (GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode, \
        GrOriginLocation_t origin, FxBool pixelPipeline, GrLfbInfo_t *info), 24) \
    X(FxBool, grLfbUnlock, (GrLock_t type, GrBuffer_t buffer), 8) \
    X(void, grLfbConstantAlpha, (GrAlpha_t alpha), 4) \
    X(void, grLfbConstantDepth, (FxU16 depth), 4) \
    X(void, grLfbWriteColorSwizzle, (FxBool swizzleBytes, FxBool swapWords), 8) \
    X(void, grLfbWriteColorFormat, (GrColorFormat_t colorFormat), 4) \
    X(FxBool, grLfbWriteRegion, (GrBuffer_t dst_buffer, FxU32 dst_x, FxU32 dst_y, \
        GrLfbSrcFmt_t src_format, FxU32 src_width, FxU32 src_height, FxI32 src_stride, \
        void *src_data), 32) \
    X(FxBool, grLfbReadRegion, (GrBuffer_t src_buffer, FxU32 src_x, FxU32 src_y, \
        FxU32 src_width, FxU32 src_height, FxU32 dst_stride, void *dst_data), 28) \
    /* Glide management */ \
    X(void, grGlideInit, (void), 0) \
    X(void, grGlideShutdown, (void), 0) \
    X(void, grGlideGetVersion, (char version[80]), 4) \
    X(void, grGlideGetState, (GrState *state), 4) \
    X(void, grGlideSetState, (const GrState *state), 4) \
    X(void, grGlideShamelessPlug, (const FxBool on), 4) \
    /* Utility library */ \
    X(void, guDrawTriangleWithClip, (const GrVertex *a, const GrVertex *b, const GrVertex *c), 12) \
    X(void, guAADrawTriangleWithClip, (const GrVertex *a, const GrVertex *b, \
        const GrVertex *c), 12) \
    X(void, guAlphaSource, (GrAlphaSource_t mode), 4) \
    X(void, guColorCombineFunction, (GrColorCombineFnc_t fnc), 4) \
    X(int, guEncodeRLE16, (void *dst, void *src, FxU32 width, FxU32 height), 16) \
    X(float, guFogTableIndexToW, (int i), 4) \
    X(void, guFogGenerateExp, (GrFog_t fogtable[], float density), 8) \
    X(void, guFogGenerateExp2, (GrFog_t fogtable[], float density), 8) \
    X(void, guFogGenerateLinear, (GrFog_t fogtable[], float nearZ, float farZ), 12) \
    X(FxU32, guEndianSwapWords, (FxU32 value), 4) \
    X(FxU16, guEndianSwapBytes, (FxU16 value), 4) \
    X(FxBool, gu3dfGetInfo, (const char *filename, Gu3dfInfo *info), 8) \
    X(FxBool, gu3dfLoad, (const char *filename, Gu3dfInfo *data), 8)

#define ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(X) \
    X(void, guDrawPolygonVertexListWithClip, (int nverts, const GrVertex vlist[]), 8)

#define ZELK_GLIDE_DECORATED_FUNCTIONS(X) \
    X(FxI32, grGetImpl, (FxU32 pname, FxU32 plength, FxI32 *params), 12, \
        "?grGet@@YGJKKPAJ@Z") \
    X(const char *, grGetStringImpl, (FxU32 pname), 4, "?grGetString@@YGPBDK@Z") \
    X(FxBool, grResetImpl, (FxU32 what), 4, "?grReset@@YGHK@Z") \
    X(GrProc, grGetProcAddressImpl, (char *procName), 4, "?grGetProcAddress@@YGP6GXXZPAD@Z") \
    X(void, grEnableImpl, (FxU32 mode), 4, "?grEnable@@YGXK@Z") \
    X(void, grDisableImpl, (FxU32 mode), 4, "?grDisable@@YGXK@Z") \
    X(void, grCoordinateSpaceImpl, (FxU32 mode), 4, "?grCoordinateSpace@@YGXK@Z") \
    X(void, grDepthRangeImpl, (FxFloat n, FxFloat f), 8, "?grDepthRange@@YGXMM@Z") \
    X(void, grViewportImpl, (FxI32 x, FxI32 y, FxI32 width, FxI32 height), 16, \
        "?grViewport@@YGXJJJJ@Z") \
    X(void, grVertexLayoutImpl, (FxU32 param, FxI32 offset, FxU32 mode), 12, \
        "?grVertexLayout@@YGXKJK@Z") \
    X(void, grDrawVertexArrayImpl, (FxU32 mode, FxU32 Count, void *pointers), 12, \
        "?grDrawVertexArray@@YGXKKPAX@Z") \
    X(void, grDrawVertexArrayLinearImpl, (FxU32 mode, FxU32 Count, void *pointers, \
        FxU32 stride), 16, "?grDrawVertexArrayLinear@@YGXKKPAXK@Z") \
    X(void, grFinishImpl, (void), 0, "?grFinish@@YGXXZ") \
    X(void, grFlushImpl, (void), 0, "?grFlush@@YGXXZ") \
    X(void, grLoadGammaTableImpl, (FxU32 nentries, FxU32 *red, FxU32 *green, FxU32 *blue), 16, \
        "?grLoadGammaTable@@YGXKPAK00@Z") \
    X(void, grTexNCCTableImpl, (GrNCCTable_t table), 4, "?grTexNCCTable@@YGXK@Z") \
    X(FxBool, grLfbWriteRegionImpl, (GrBuffer_t dst_buffer, FxU32 dst_x, FxU32 dst_y, \
        GrLfbSrcFmt_t src_format, FxU32 src_width, FxU32 src_height, FxBool pixelPipeline, \
        FxI32 src_stride, void *src_data), 36, "?grLfbWriteRegion@@YGHJKKKKKHJPAX@Z") \
    X(void, guGammaCorrectionRGBImpl, (FxFloat red, FxFloat green, FxFloat blue), 12, \
        "?guGammaCorrectionRGB@@YGXMMM@Z")

/* ------------------------------------------------------------------------
 * Prototypes and function-pointer types.
 */
#define ZELK_GLIDE_DECLARE(returnType, name, parameters, stdcallBytes) \
    returnType FX_CALL name parameters; \
    typedef returnType(FX_CALL *PFN_##name) parameters;
#define ZELK_GLIDE_DECLARE_DECORATED(returnType, name, parameters, stdcallBytes, decoratedName) \
    ZELK_GLIDE_DECLARE(returnType, name, parameters, stdcallBytes)

#ifdef __cplusplus
extern "C" {
#endif

ZELK_GLIDE_FUNCTIONS(ZELK_GLIDE_DECLARE)
ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ZELK_GLIDE_DECLARE)
ZELK_GLIDE_DECORATED_FUNCTIONS(ZELK_GLIDE_DECLARE_DECORATED)

#ifdef __cplusplus
}
#endif

#undef ZELK_GLIDE_DECLARE_DECORATED
#undef ZELK_GLIDE_DECLARE

#endif /* ZELK_GLIDE_GLIDE2_H */
