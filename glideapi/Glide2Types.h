/*
 * Glide 2.x interface: scalar types, enumerations, constants and records.
 *
 * Included through glideapi/Glide2.h, which adds the function prototypes. The
 * layouts are those of 32-bit Windows, the ABI Glide 2.x programs are built
 * for; the checks at the end of this file hold them there. The header is
 * valid C as well as C++, as Glide programs are usually written in C.
 */
#ifndef ZELK_GLIDE_GLIDE2TYPES_H
#define ZELK_GLIDE_GLIDE2TYPES_H

#include <stddef.h>

/* ------------------------------------------------------------------------
 * Calling conventions. Every Glide function is stdcall; the error callback
 * that the program hands in is the compiler's default (cdecl).
 */
#if defined(_WIN32)
#define ZELK_GLIDE_STDCALL __stdcall
#define ZELK_GLIDE_CDECL __cdecl
#else
#define ZELK_GLIDE_STDCALL
#define ZELK_GLIDE_CDECL
#endif

#ifndef FX_CALL
#define FX_CALL ZELK_GLIDE_STDCALL
#endif

/* ------------------------------------------------------------------------
 * Scalar types. On Windows the 32-bit types are long-based, which is what
 * the C++ decorated entry points encode.
 */
typedef unsigned char FxU8;
typedef signed char FxI8;
typedef unsigned short FxU16;
typedef signed short FxI16;
#if defined(_WIN32)
typedef unsigned long FxU32;
typedef signed long FxI32;
#else
typedef unsigned int FxU32;
typedef signed int FxI32;
#endif
typedef unsigned long AnyPtr;
typedef int FxBool;
typedef float FxFloat;
typedef double FxDouble;
typedef unsigned long FxColor_t;
typedef struct
{
    float r, g, b, a;
} FxColor4;

#define FXTRUE 1
#define FXFALSE 0
#define FXBIT(i) (1 << (i))
#define FXUNUSED(a) ((void)(a))

typedef FxU32 GrColor_t;
typedef FxU8 GrAlpha_t;
typedef FxU32 GrMipMapId_t;
typedef FxU8 GrFog_t;

typedef void (FX_CALL *GrProc)(void);
typedef void (ZELK_GLIDE_CDECL *GrErrorCallbackFnc_t)(const char *string, FxBool fatal);

/* ------------------------------------------------------------------------
 * Build constants.
 */
#ifndef GLIDE_NUM_TMU
#define GLIDE_NUM_TMU 2
#endif
#if GLIDE_NUM_TMU != 2
#error "The Glide 2.x records are laid out for two texture units."
#endif

#define MAX_NUM_SST 4
#define MAX_MIPMAPS_PER_SST 1024
#define GR_FOG_TABLE_SIZE 64
#define GR_NULL_MIPMAP_HANDLE ((GrMipMapId_t)-1)

#define GR_ZDEPTHVALUE_NEAREST 0xFFFF
#define GR_ZDEPTHVALUE_FARTHEST 0x0000
#define GR_WDEPTHVALUE_NEAREST 0x0000
#define GR_WDEPTHVALUE_FARTHEST 0xFFFF

#define GR_MIPMAPLEVELMASK_EVEN FXBIT(0)
#define GR_MIPMAPLEVELMASK_ODD FXBIT(1)
#define GR_MIPMAPLEVELMASK_BOTH (GR_MIPMAPLEVELMASK_EVEN | GR_MIPMAPLEVELMASK_ODD)

#define GR_LODBIAS_BILINEAR 0.5
#define GR_LODBIAS_TRILINEAR 0.0

#define GR_GENERATE_FIFOCHECK_HINT_MASK(swHWM, swLWM) \
    ((((swHWM) & 0xffff) << 16) | ((swLWM) & 0xffff))

#define GLIDE3_EXTRA_STATE 0
#if defined(_WIN64)
/* Builds with 8-byte pointers only: each texture unit's part of the saved
 * state holds a texel pointer. */
#define GLIDE_STATE_PAD_SIZE (320 + GLIDE3_EXTRA_STATE)
#else
#define GLIDE_STATE_PAD_SIZE (312 + GLIDE3_EXTRA_STATE)
#endif

/* Index of each float within GrVertex (in floats, not bytes). */
#define GR_VERTEX_X_OFFSET 0
#define GR_VERTEX_Y_OFFSET 1
#define GR_VERTEX_Z_OFFSET 2
#define GR_VERTEX_R_OFFSET 3
#define GR_VERTEX_G_OFFSET 4
#define GR_VERTEX_B_OFFSET 5
#define GR_VERTEX_OOZ_OFFSET 6
#define GR_VERTEX_A_OFFSET 7
#define GR_VERTEX_OOW_OFFSET 8
#define GR_VERTEX_SOW_TMU0_OFFSET 9
#define GR_VERTEX_TOW_TMU0_OFFSET 10
#define GR_VERTEX_OOW_TMU0_OFFSET 11
#define GR_VERTEX_SOW_TMU1_OFFSET 12
#define GR_VERTEX_TOW_TMU1_OFFSET 13
#define GR_VERTEX_OOW_TMU1_OFFSET 14

/* Platform selectors of the Glide runtime's own build (Voodoo2 values). */
#define GLIDE_ENDIAN_SHIFT 30
#define GLIDE_ENDIAN_LITTLE (0x1UL << GLIDE_ENDIAN_SHIFT)
#define GLIDE_ENDIAN_BIG (0x2UL << GLIDE_ENDIAN_SHIFT)
#define GLIDE_OS_SHIFT 0
#define GLIDE_OS_UNIX 0x1
#define GLIDE_OS_DOS32 0x2
#define GLIDE_OS_WIN32 0x4
#define GLIDE_OS_MACOS 0x8
#define GLIDE_OS_OS2 0x10
#define GLIDE_OS_OTHER 0x40
#define GLIDE_SST_SHIFT 7
#define GLIDE_SST_HW (0x2 << GLIDE_SST_SHIFT)
#define GLIDE_HW_SHIFT 9
#define GLIDE_HW_SST1 (0x1 << GLIDE_HW_SHIFT)
#define GLIDE_HW_SST96 (0x2 << GLIDE_HW_SHIFT)
#define GLIDE_HW_H3 (0x4 << GLIDE_HW_SHIFT)
#define GLIDE_HW_CVG (0x10 << GLIDE_HW_SHIFT)

/* ------------------------------------------------------------------------
 * Enumerations: 32-bit integers with their constants.
 */
typedef FxI32 GrChipID_t;
#define GR_TMU0 0x0
#define GR_TMU1 0x1
#define GR_TMU2 0x2
#define GR_FBI 0x3

typedef FxI32 GrCombineFunction_t;
#define GR_COMBINE_FUNCTION_ZERO 0x0
#define GR_COMBINE_FUNCTION_NONE GR_COMBINE_FUNCTION_ZERO
#define GR_COMBINE_FUNCTION_LOCAL 0x1
#define GR_COMBINE_FUNCTION_LOCAL_ALPHA 0x2
#define GR_COMBINE_FUNCTION_SCALE_OTHER 0x3
#define GR_COMBINE_FUNCTION_BLEND_OTHER GR_COMBINE_FUNCTION_SCALE_OTHER
#define GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL 0x4
#define GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA 0x5
#define GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL 0x6
#define GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL 0x7
#define GR_COMBINE_FUNCTION_BLEND GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL
#define GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA 0x8
#define GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL 0x9
#define GR_COMBINE_FUNCTION_BLEND_LOCAL GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL
#define GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA 0x10

typedef FxI32 GrCombineFactor_t;
#define GR_COMBINE_FACTOR_ZERO 0x0
#define GR_COMBINE_FACTOR_NONE GR_COMBINE_FACTOR_ZERO
#define GR_COMBINE_FACTOR_LOCAL 0x1
#define GR_COMBINE_FACTOR_OTHER_ALPHA 0x2
#define GR_COMBINE_FACTOR_LOCAL_ALPHA 0x3
#define GR_COMBINE_FACTOR_TEXTURE_ALPHA 0x4
#define GR_COMBINE_FACTOR_DETAIL_FACTOR GR_COMBINE_FACTOR_TEXTURE_ALPHA
#define GR_COMBINE_FACTOR_TEXTURE_RGB 0x5
#define GR_COMBINE_FACTOR_LOD_FRACTION 0x5
#define GR_COMBINE_FACTOR_ONE 0x8
#define GR_COMBINE_FACTOR_ONE_MINUS_LOCAL 0x9
#define GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA 0xa
#define GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA 0xb
#define GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA 0xc
#define GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA
#define GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION 0xd

typedef FxI32 GrCombineLocal_t;
#define GR_COMBINE_LOCAL_ITERATED 0x0
#define GR_COMBINE_LOCAL_CONSTANT 0x1
#define GR_COMBINE_LOCAL_NONE GR_COMBINE_LOCAL_CONSTANT
#define GR_COMBINE_LOCAL_DEPTH 0x2

typedef FxI32 GrCombineOther_t;
#define GR_COMBINE_OTHER_ITERATED 0x0
#define GR_COMBINE_OTHER_TEXTURE 0x1
#define GR_COMBINE_OTHER_CONSTANT 0x2
#define GR_COMBINE_OTHER_NONE GR_COMBINE_OTHER_CONSTANT

typedef FxI32 GrAlphaSource_t;
#define GR_ALPHASOURCE_CC_ALPHA 0x0
#define GR_ALPHASOURCE_ITERATED_ALPHA 0x1
#define GR_ALPHASOURCE_TEXTURE_ALPHA 0x2
#define GR_ALPHASOURCE_TEXTURE_ALPHA_TIMES_ITERATED_ALPHA 0x3

typedef FxI32 GrColorCombineFnc_t;
#define GR_COLORCOMBINE_ZERO 0x0
#define GR_COLORCOMBINE_CCRGB 0x1
#define GR_COLORCOMBINE_ITRGB 0x2
#define GR_COLORCOMBINE_ITRGB_DELTA0 0x3
#define GR_COLORCOMBINE_DECAL_TEXTURE 0x4
#define GR_COLORCOMBINE_TEXTURE_TIMES_CCRGB 0x5
#define GR_COLORCOMBINE_TEXTURE_TIMES_ITRGB 0x6
#define GR_COLORCOMBINE_TEXTURE_TIMES_ITRGB_DELTA0 0x7
#define GR_COLORCOMBINE_TEXTURE_TIMES_ITRGB_ADD_ALPHA 0x8
#define GR_COLORCOMBINE_TEXTURE_TIMES_ALPHA 0x9
#define GR_COLORCOMBINE_TEXTURE_TIMES_ALPHA_ADD_ITRGB 0xa
#define GR_COLORCOMBINE_TEXTURE_ADD_ITRGB 0xb
#define GR_COLORCOMBINE_TEXTURE_SUB_ITRGB 0xc
#define GR_COLORCOMBINE_CCRGB_BLEND_ITRGB_ON_TEXALPHA 0xd
#define GR_COLORCOMBINE_DIFF_SPEC_A 0xe
#define GR_COLORCOMBINE_DIFF_SPEC_B 0xf
#define GR_COLORCOMBINE_ONE 0x10

/* A code is "source colour" as a destination factor and "destination colour"
 * as a source factor; 0xf is alpha-saturate as a source factor and the
 * pre-fog colour as a destination factor. */
typedef FxI32 GrAlphaBlendFnc_t;
#define GR_BLEND_ZERO 0x0
#define GR_BLEND_SRC_ALPHA 0x1
#define GR_BLEND_SRC_COLOR 0x2
#define GR_BLEND_DST_COLOR GR_BLEND_SRC_COLOR
#define GR_BLEND_DST_ALPHA 0x3
#define GR_BLEND_ONE 0x4
#define GR_BLEND_ONE_MINUS_SRC_ALPHA 0x5
#define GR_BLEND_ONE_MINUS_SRC_COLOR 0x6
#define GR_BLEND_ONE_MINUS_DST_COLOR GR_BLEND_ONE_MINUS_SRC_COLOR
#define GR_BLEND_ONE_MINUS_DST_ALPHA 0x7
#define GR_BLEND_RESERVED_8 0x8
#define GR_BLEND_RESERVED_9 0x9
#define GR_BLEND_RESERVED_A 0xa
#define GR_BLEND_RESERVED_B 0xb
#define GR_BLEND_RESERVED_C 0xc
#define GR_BLEND_RESERVED_D 0xd
#define GR_BLEND_RESERVED_E 0xe
#define GR_BLEND_ALPHA_SATURATE 0xf
#define GR_BLEND_PREFOG_COLOR GR_BLEND_ALPHA_SATURATE

/* Width x height: 8x1 is eight texels wide and one high. */
typedef FxI32 GrAspectRatio_t;
#define GR_ASPECT_8x1 0x0
#define GR_ASPECT_4x1 0x1
#define GR_ASPECT_2x1 0x2
#define GR_ASPECT_1x1 0x3
#define GR_ASPECT_1x2 0x4
#define GR_ASPECT_1x4 0x5
#define GR_ASPECT_1x8 0x6

typedef FxI32 GrBuffer_t;
#define GR_BUFFER_FRONTBUFFER 0x0
#define GR_BUFFER_BACKBUFFER 0x1
#define GR_BUFFER_AUXBUFFER 0x2
#define GR_BUFFER_DEPTHBUFFER 0x3
#define GR_BUFFER_ALPHABUFFER 0x4
#define GR_BUFFER_TRIPLEBUFFER 0x5

typedef FxI32 GrChromakeyMode_t;
#define GR_CHROMAKEY_DISABLE 0x0
#define GR_CHROMAKEY_ENABLE 0x1

typedef FxI32 GrCmpFnc_t;
#define GR_CMP_NEVER 0x0
#define GR_CMP_LESS 0x1
#define GR_CMP_EQUAL 0x2
#define GR_CMP_LEQUAL 0x3
#define GR_CMP_GREATER 0x4
#define GR_CMP_NOTEQUAL 0x5
#define GR_CMP_GEQUAL 0x6
#define GR_CMP_ALWAYS 0x7

typedef FxI32 GrColorFormat_t;
#define GR_COLORFORMAT_ARGB 0x0
#define GR_COLORFORMAT_ABGR 0x1
#define GR_COLORFORMAT_RGBA 0x2
#define GR_COLORFORMAT_BGRA 0x3

typedef FxI32 GrCullMode_t;
#define GR_CULL_DISABLE 0x0
#define GR_CULL_NEGATIVE 0x1
#define GR_CULL_POSITIVE 0x2

typedef FxI32 GrDepthBufferMode_t;
#define GR_DEPTHBUFFER_DISABLE 0x0
#define GR_DEPTHBUFFER_ZBUFFER 0x1
#define GR_DEPTHBUFFER_WBUFFER 0x2
#define GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS 0x3
#define GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS 0x4

typedef FxI32 GrDitherMode_t;
#define GR_DITHER_DISABLE 0x0
#define GR_DITHER_2x2 0x1
#define GR_DITHER_4x4 0x2

/* A mode, optionally ORed with the MULT2 or ADD2 modifier bit. */
typedef FxI32 GrFogMode_t;
#define GR_FOG_DISABLE 0x0
#define GR_FOG_WITH_ITERATED_ALPHA 0x1
#define GR_FOG_WITH_TABLE 0x2
#define GR_FOG_WITH_ITERATED_Z 0x3
#define GR_FOG_MULT2 0x100
#define GR_FOG_ADD2 0x200

/* READ_ONLY or WRITE_ONLY, ORed with IDLE or NOIDLE. */
typedef FxU32 GrLock_t;
#define GR_LFB_READ_ONLY 0x00
#define GR_LFB_WRITE_ONLY 0x01
#define GR_LFB_IDLE 0x00
#define GR_LFB_NOIDLE 0x10

typedef FxI32 GrLfbBypassMode_t;
#define GR_LFBBYPASS_DISABLE 0x0
#define GR_LFBBYPASS_ENABLE 0x1

typedef FxI32 GrLfbWriteMode_t;
#define GR_LFBWRITEMODE_565 0x0
#define GR_LFBWRITEMODE_555 0x1
#define GR_LFBWRITEMODE_1555 0x2
#define GR_LFBWRITEMODE_RESERVED1 0x3
#define GR_LFBWRITEMODE_888 0x4
#define GR_LFBWRITEMODE_8888 0x5
#define GR_LFBWRITEMODE_RESERVED2 0x6
#define GR_LFBWRITEMODE_RESERVED3 0x7
#define GR_LFBWRITEMODE_RESERVED4 0x8
#define GR_LFBWRITEMODE_RESERVED5 0x9
#define GR_LFBWRITEMODE_RESERVED6 0xa
#define GR_LFBWRITEMODE_RESERVED7 0xb
#define GR_LFBWRITEMODE_565_DEPTH 0xc
#define GR_LFBWRITEMODE_555_DEPTH 0xd
#define GR_LFBWRITEMODE_1555_DEPTH 0xe
#define GR_LFBWRITEMODE_ZA16 0xf
#define GR_LFBWRITEMODE_ANY 0xFF

typedef FxI32 GrOriginLocation_t;
#define GR_ORIGIN_UPPER_LEFT 0x0
#define GR_ORIGIN_LOWER_LEFT 0x1
#define GR_ORIGIN_ANY 0xFF

/* The number is the level's larger side in texels: a larger code is a
 * smaller level. */
typedef FxI32 GrLOD_t;
#define GR_LOD_256 0x0
#define GR_LOD_128 0x1
#define GR_LOD_64 0x2
#define GR_LOD_32 0x3
#define GR_LOD_16 0x4
#define GR_LOD_8 0x5
#define GR_LOD_4 0x6
#define GR_LOD_2 0x7
#define GR_LOD_1 0x8

typedef FxI32 GrMipMapMode_t;
#define GR_MIPMAP_DISABLE 0x0
#define GR_MIPMAP_NEAREST 0x1
#define GR_MIPMAP_NEAREST_DITHER 0x2

typedef FxI32 GrSmoothingMode_t;
#define GR_SMOOTHING_DISABLE 0x0
#define GR_SMOOTHING_ENABLE 0x1

typedef FxI32 GrTextureClampMode_t;
#define GR_TEXTURECLAMP_WRAP 0x0
#define GR_TEXTURECLAMP_CLAMP 0x1

typedef FxI32 GrTextureCombineFnc_t;
#define GR_TEXTURECOMBINE_ZERO 0x0
#define GR_TEXTURECOMBINE_DECAL 0x1
#define GR_TEXTURECOMBINE_OTHER 0x2
#define GR_TEXTURECOMBINE_ADD 0x3
#define GR_TEXTURECOMBINE_MULTIPLY 0x4
#define GR_TEXTURECOMBINE_SUBTRACT 0x5
#define GR_TEXTURECOMBINE_DETAIL 0x6
#define GR_TEXTURECOMBINE_DETAIL_OTHER 0x7
#define GR_TEXTURECOMBINE_TRILINEAR_ODD 0x8
#define GR_TEXTURECOMBINE_TRILINEAR_EVEN 0x9
#define GR_TEXTURECOMBINE_ONE 0xa

typedef FxI32 GrTextureFilterMode_t;
#define GR_TEXTUREFILTER_POINT_SAMPLED 0x0
#define GR_TEXTUREFILTER_BILINEAR 0x1

/* Formats below GR_TEXFMT_16BIT take one byte per texel, the rest two. */
typedef FxI32 GrTextureFormat_t;
#define GR_TEXFMT_8BIT 0x0
#define GR_TEXFMT_RGB_332 GR_TEXFMT_8BIT
#define GR_TEXFMT_YIQ_422 0x1
#define GR_TEXFMT_ALPHA_8 0x2
#define GR_TEXFMT_INTENSITY_8 0x3
#define GR_TEXFMT_ALPHA_INTENSITY_44 0x4
#define GR_TEXFMT_P_8 0x5
#define GR_TEXFMT_RSVD0 0x6
#define GR_TEXFMT_RSVD1 0x7
#define GR_TEXFMT_16BIT 0x8
#define GR_TEXFMT_ARGB_8332 GR_TEXFMT_16BIT
#define GR_TEXFMT_AYIQ_8422 0x9
#define GR_TEXFMT_RGB_565 0xa
#define GR_TEXFMT_ARGB_1555 0xb
#define GR_TEXFMT_ARGB_4444 0xc
#define GR_TEXFMT_ALPHA_INTENSITY_88 0xd
#define GR_TEXFMT_AP_88 0xe
#define GR_TEXFMT_RSVD2 0xf

typedef FxU32 GrTexTable_t;
#define GR_TEXTABLE_NCC0 0x0
#define GR_TEXTABLE_NCC1 0x1
#define GR_TEXTABLE_PALETTE 0x2

typedef FxU32 GrNCCTable_t;
#define GR_NCCTABLE_NCC0 0x0
#define GR_NCCTABLE_NCC1 0x1

typedef FxU32 GrTexBaseRange_t;
#define GR_TEXBASE_256 0x0
#define GR_TEXBASE_128 0x1
#define GR_TEXBASE_64 0x2
#define GR_TEXBASE_32_TO_1 0x3

/* The write-mode codes plus run-length encoded 16-bit data. */
typedef FxU32 GrLfbSrcFmt_t;
#define GR_LFB_SRC_FMT_565 0x00
#define GR_LFB_SRC_FMT_555 0x01
#define GR_LFB_SRC_FMT_1555 0x02
#define GR_LFB_SRC_FMT_888 0x04
#define GR_LFB_SRC_FMT_8888 0x05
#define GR_LFB_SRC_FMT_565_DEPTH 0x0c
#define GR_LFB_SRC_FMT_555_DEPTH 0x0d
#define GR_LFB_SRC_FMT_1555_DEPTH 0x0e
#define GR_LFB_SRC_FMT_ZA16 0x0f
#define GR_LFB_SRC_FMT_RLE16 0x80

typedef FxI32 GrPassthruMode_t;
#define GR_PASSTHRU_SHOW_VGA 0x0
#define GR_PASSTHRU_SHOW_SST1 0x1

typedef FxU32 GrHint_t;
#define GR_HINTTYPE_MIN 0
#define GR_HINT_STWHINT 0
#define GR_HINT_FIFOCHECKHINT 1
#define GR_HINT_FPUPRECISION 2
#define GR_HINT_ALLOW_MIPMAP_DITHER 3
#define GR_HINT_LFB_WRITE 4
#define GR_HINT_LFB_PROTECT 5
#define GR_HINT_LFB_RESET 6
#define GR_HINTTYPE_MAX GR_HINT_LFB_RESET

/* Bits of the GR_HINT_STWHINT mask. */
typedef FxU32 GrSTWHint_t;
#define GR_STWHINT_W_DIFF_FBI FXBIT(0)
#define GR_STWHINT_W_DIFF_TMU0 FXBIT(1)
#define GR_STWHINT_ST_DIFF_TMU0 FXBIT(2)
#define GR_STWHINT_W_DIFF_TMU1 FXBIT(3)
#define GR_STWHINT_ST_DIFF_TMU1 FXBIT(4)
#define GR_STWHINT_W_DIFF_TMU2 FXBIT(5)
#define GR_STWHINT_ST_DIFF_TMU2 FXBIT(6)

/* Codes for grSstControl. */
typedef FxU32 GrControl_t;
#define GR_CONTROL_ACTIVATE 0x1
#define GR_CONTROL_DEACTIVATE 0x2
#define GR_CONTROL_RESIZE 0x3
#define GR_CONTROL_MOVE 0x4

typedef int GrSstType;
#define GR_SSTTYPE_VOODOO 0
#define GR_SSTTYPE_SST96 1
#define GR_SSTTYPE_AT3D 2
#define GR_SSTTYPE_Voodoo2 3

/* Not in frequency order: 85 Hz is 7. */
typedef FxI32 GrScreenRefresh_t;
#define GR_REFRESH_60Hz 0x0
#define GR_REFRESH_70Hz 0x1
#define GR_REFRESH_72Hz 0x2
#define GR_REFRESH_75Hz 0x3
#define GR_REFRESH_80Hz 0x4
#define GR_REFRESH_90Hz 0x5
#define GR_REFRESH_100Hz 0x6
#define GR_REFRESH_85Hz 0x7
#define GR_REFRESH_120Hz 0x8
#define GR_REFRESH_NONE 0xff

typedef FxI32 GrScreenResolution_t;
#define GR_RESOLUTION_320x200 0x0
#define GR_RESOLUTION_320x240 0x1
#define GR_RESOLUTION_400x256 0x2
#define GR_RESOLUTION_512x384 0x3
#define GR_RESOLUTION_640x200 0x4
#define GR_RESOLUTION_640x350 0x5
#define GR_RESOLUTION_640x400 0x6
#define GR_RESOLUTION_640x480 0x7
#define GR_RESOLUTION_800x600 0x8
#define GR_RESOLUTION_960x720 0x9
#define GR_RESOLUTION_856x480 0xa
#define GR_RESOLUTION_512x256 0xb
#define GR_RESOLUTION_1024x768 0xC
#define GR_RESOLUTION_1280x1024 0xD
#define GR_RESOLUTION_1600x1200 0xE
#define GR_RESOLUTION_400x300 0xF
#define GR_RESOLUTION_NONE 0xff
#define GR_RESOLUTION_MIN GR_RESOLUTION_320x200
#define GR_RESOLUTION_MAX GR_RESOLUTION_1600x1200

/* ------------------------------------------------------------------------
 * Records.
 */
typedef struct
{
    float sow; /* s / w */
    float tow; /* t / w */
    float oow; /* 1 / w for this texture unit */
} GrTmuVertex;

typedef struct
{
    float x, y;  /* screen position */
    float z;     /* not used by the hardware */
    float r, g, b; /* 0 .. 255.0 */
    float ooz;   /* 65535 / z, for Z-buffering */
    float a;     /* 0 .. 255.0 */
    float oow;   /* 1 / w, for W-buffering and texturing */
    GrTmuVertex tmuvtx[GLIDE_NUM_TMU];
} GrVertex;

typedef struct
{
    GrLOD_t smallLod;
    GrLOD_t largeLod;
    GrAspectRatio_t aspectRatio;
    GrTextureFormat_t format;
    void *data;
} GrTexInfo;

typedef struct
{
    int size; /* set by the caller to sizeof(GrLfbInfo_t) */
    void *lfbPtr;
    FxU32 strideInBytes;
    GrLfbWriteMode_t writeMode;
    GrOriginLocation_t origin;
} GrLfbInfo_t;

/* Saved by grGlideGetState and restored by grGlideSetState; opaque to
 * programs. */
typedef struct _GrState_s
{
    char pad[GLIDE_STATE_PAD_SIZE];
} GrState;

typedef struct GrSstPerfStats_s
{
    FxU32 pixelsIn;   /* pixels processed, buffer clears not counted */
    FxU32 chromaFail; /* rejected by the chroma key */
    FxU32 zFuncFail;  /* rejected by the depth test */
    FxU32 aFuncFail;  /* rejected by the alpha test */
    FxU32 pixelsOut;  /* drawn, buffer clears counted */
} GrSstPerfStats_t;

typedef struct GrTMUConfig_St
{
    int tmuRev;
    int tmuRam; /* megabytes */
} GrTMUConfig_t;

typedef struct GrVoodooConfig_St
{
    int fbRam; /* megabytes */
    int fbiRev;
    int nTexelfx;
    FxBool sliDetect;
    GrTMUConfig_t tmuConfig[GLIDE_NUM_TMU];
} GrVoodooConfig_t;

typedef GrVoodooConfig_t GrVoodoo2Config_t;

typedef struct GrSst96Config_St
{
    int fbRam;
    int nTexelfx;
    GrTMUConfig_t tmuConfig;
} GrSst96Config_t;

typedef struct GrAT3DConfig_St
{
    int rev;
} GrAT3DConfig_t;

union SstBoard_u
{
    GrVoodooConfig_t VoodooConfig;
    GrSst96Config_t SST96Config;
    GrAT3DConfig_t AT3DConfig;
    GrVoodoo2Config_t Voodoo2Config;
};

typedef struct
{
    int num_sst;
    struct
    {
        GrSstType type;
        union SstBoard_u sstBoard;
    } SSTs[MAX_NUM_SST];
} GrHwConfiguration;

typedef struct
{
    FxU32 width, height;
    int small_lod, large_lod; /* GrLOD_t codes */
    GrAspectRatio_t aspect_ratio;
    GrTextureFormat_t format;
} Gu3dfHeader;

typedef struct
{
    FxU8 yRGB[16];
    FxI16 iRGB[4][3];
    FxI16 qRGB[4][3];
    FxU32 packed_data[12];
} GuNccTable;

typedef struct
{
    FxU32 data[256];
} GuTexPalette;

typedef union
{
    GuNccTable nccTable;
    GuTexPalette palette;
} GuTexTable;

typedef struct
{
    Gu3dfHeader header;
    GuTexTable table;
    void *data;         /* texel buffer, allocated by the caller */
    FxU32 mem_required; /* bytes for all mip levels */
} Gu3dfInfo;

/* Note: the magnification filter comes before the minification filter. */
typedef struct
{
    int sst;
    FxBool valid;
    int width, height;
    GrAspectRatio_t aspect_ratio;
    void *data;
    GrTextureFormat_t format;
    GrMipMapMode_t mipmap_mode;
    GrTextureFilterMode_t magfilter_mode;
    GrTextureFilterMode_t minfilter_mode;
    GrTextureClampMode_t s_clamp_mode;
    GrTextureClampMode_t t_clamp_mode;
    FxU32 tLOD;
    FxU32 tTextureMode;
    FxU32 lod_bias; /* 4.2 fixed point, pre-shifted */
    GrLOD_t lod_min, lod_max;
    int tmu;
    FxU32 odd_even_mask;
    FxU32 tmu_base_address;
    FxBool trilinear;
    GuNccTable ncc_table;
} GrMipMapInfo;

/* ------------------------------------------------------------------------
 * The 32-bit Windows layouts that programs and the library must share.
 */
#if defined(_WIN32) && !defined(_WIN64)
#if defined(__cplusplus)
#define ZELK_GLIDE_LAYOUT(condition) static_assert(condition, #condition)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ZELK_GLIDE_LAYOUT(condition) _Static_assert(condition, #condition)
#endif
#endif

#ifdef ZELK_GLIDE_LAYOUT
ZELK_GLIDE_LAYOUT(sizeof(FxU8) == 1 && sizeof(FxI8) == 1);
ZELK_GLIDE_LAYOUT(sizeof(FxU16) == 2 && sizeof(FxI16) == 2);
ZELK_GLIDE_LAYOUT(sizeof(FxU32) == 4 && sizeof(FxI32) == 4);
ZELK_GLIDE_LAYOUT(sizeof(AnyPtr) == 4 && sizeof(FxColor_t) == 4);
ZELK_GLIDE_LAYOUT(sizeof(FxBool) == 4 && sizeof(FxFloat) == 4 && sizeof(FxDouble) == 8);
ZELK_GLIDE_LAYOUT(sizeof(FxColor4) == 16 && offsetof(FxColor4, a) == 12);
ZELK_GLIDE_LAYOUT(sizeof(GrColor_t) == 4 && sizeof(GrAlpha_t) == 1);
ZELK_GLIDE_LAYOUT(sizeof(GrMipMapId_t) == 4 && sizeof(GrFog_t) == 1);
ZELK_GLIDE_LAYOUT(sizeof(GrProc) == 4 && sizeof(GrErrorCallbackFnc_t) == 4);

ZELK_GLIDE_LAYOUT(sizeof(GrTmuVertex) == 12);
ZELK_GLIDE_LAYOUT(offsetof(GrTmuVertex, tow) == 4 && offsetof(GrTmuVertex, oow) == 8);
ZELK_GLIDE_LAYOUT(sizeof(GrVertex) == 60);
ZELK_GLIDE_LAYOUT(offsetof(GrVertex, x) == 0 && offsetof(GrVertex, y) == 4);
ZELK_GLIDE_LAYOUT(offsetof(GrVertex, z) == 8 && offsetof(GrVertex, r) == 12);
ZELK_GLIDE_LAYOUT(offsetof(GrVertex, g) == 16 && offsetof(GrVertex, b) == 20);
ZELK_GLIDE_LAYOUT(offsetof(GrVertex, ooz) == 24 && offsetof(GrVertex, a) == 28);
ZELK_GLIDE_LAYOUT(offsetof(GrVertex, oow) == 32 && offsetof(GrVertex, tmuvtx) == 36);
ZELK_GLIDE_LAYOUT(offsetof(GrVertex, tmuvtx[1]) == 48);

ZELK_GLIDE_LAYOUT(sizeof(GrTexInfo) == 20);
ZELK_GLIDE_LAYOUT(offsetof(GrTexInfo, largeLod) == 4 && offsetof(GrTexInfo, aspectRatio) == 8);
ZELK_GLIDE_LAYOUT(offsetof(GrTexInfo, format) == 12 && offsetof(GrTexInfo, data) == 16);

ZELK_GLIDE_LAYOUT(sizeof(GrLfbInfo_t) == 20);
ZELK_GLIDE_LAYOUT(offsetof(GrLfbInfo_t, size) == 0 && offsetof(GrLfbInfo_t, lfbPtr) == 4);
ZELK_GLIDE_LAYOUT(offsetof(GrLfbInfo_t, strideInBytes) == 8);
ZELK_GLIDE_LAYOUT(offsetof(GrLfbInfo_t, writeMode) == 12 && offsetof(GrLfbInfo_t, origin) == 16);

ZELK_GLIDE_LAYOUT(sizeof(GrState) == 312);

ZELK_GLIDE_LAYOUT(sizeof(GrSstPerfStats_t) == 20);
ZELK_GLIDE_LAYOUT(offsetof(GrSstPerfStats_t, aFuncFail) == 12);
ZELK_GLIDE_LAYOUT(offsetof(GrSstPerfStats_t, pixelsOut) == 16);

ZELK_GLIDE_LAYOUT(sizeof(GrTMUConfig_t) == 8);
ZELK_GLIDE_LAYOUT(sizeof(GrVoodooConfig_t) == 32);
ZELK_GLIDE_LAYOUT(offsetof(GrVoodooConfig_t, sliDetect) == 12);
ZELK_GLIDE_LAYOUT(offsetof(GrVoodooConfig_t, tmuConfig) == 16);
ZELK_GLIDE_LAYOUT(sizeof(GrSst96Config_t) == 16 && offsetof(GrSst96Config_t, tmuConfig) == 8);
ZELK_GLIDE_LAYOUT(sizeof(GrAT3DConfig_t) == 4);
ZELK_GLIDE_LAYOUT(sizeof(union SstBoard_u) == 32);
ZELK_GLIDE_LAYOUT(sizeof(GrHwConfiguration) == 148);
ZELK_GLIDE_LAYOUT(offsetof(GrHwConfiguration, SSTs) == 4);
ZELK_GLIDE_LAYOUT(offsetof(GrHwConfiguration, SSTs[1]) == 40);
ZELK_GLIDE_LAYOUT(offsetof(GrHwConfiguration, SSTs[3]) == 112);
ZELK_GLIDE_LAYOUT(offsetof(GrHwConfiguration, SSTs[0].sstBoard) == 8);

ZELK_GLIDE_LAYOUT(sizeof(Gu3dfHeader) == 24);
ZELK_GLIDE_LAYOUT(offsetof(Gu3dfHeader, small_lod) == 8 && offsetof(Gu3dfHeader, large_lod) == 12);
ZELK_GLIDE_LAYOUT(offsetof(Gu3dfHeader, aspect_ratio) == 16 && offsetof(Gu3dfHeader, format) == 20);
ZELK_GLIDE_LAYOUT(sizeof(GuNccTable) == 112);
ZELK_GLIDE_LAYOUT(offsetof(GuNccTable, iRGB) == 16 && offsetof(GuNccTable, qRGB) == 40);
ZELK_GLIDE_LAYOUT(offsetof(GuNccTable, packed_data) == 64);
ZELK_GLIDE_LAYOUT(sizeof(GuTexPalette) == 1024 && sizeof(GuTexTable) == 1024);
ZELK_GLIDE_LAYOUT(sizeof(Gu3dfInfo) == 1056);
ZELK_GLIDE_LAYOUT(offsetof(Gu3dfInfo, table) == 24 && offsetof(Gu3dfInfo, data) == 1048);
ZELK_GLIDE_LAYOUT(offsetof(Gu3dfInfo, mem_required) == 1052);

ZELK_GLIDE_LAYOUT(sizeof(GrMipMapInfo) == 196);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, aspect_ratio) == 16 && offsetof(GrMipMapInfo, data) == 20);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, magfilter_mode) == 32);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, minfilter_mode) == 36);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, tLOD) == 48 && offsetof(GrMipMapInfo, lod_bias) == 56);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, lod_min) == 60 && offsetof(GrMipMapInfo, tmu) == 68);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, trilinear) == 80);
ZELK_GLIDE_LAYOUT(offsetof(GrMipMapInfo, ncc_table) == 84);
#undef ZELK_GLIDE_LAYOUT
#endif

#endif /* ZELK_GLIDE_GLIDE2TYPES_H */
