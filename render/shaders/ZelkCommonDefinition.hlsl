// ZelkCommonDefinition.hlsl
// Type names and precision macros shared by the vertex conversion shaders.
#ifndef ZELK_COMMONDEFINITION_HLSL
#define ZELK_COMMONDEFINITION_HLSL

#define FLOAT_TYPE_FLOAT 0
#define FLOAT_TYPE_HALF 1
#define FLOAT_TYPE_DOUBLE 2

#ifndef CURRENT_FLOAT_TYPE
#define CURRENT_FLOAT_TYPE FLOAT_TYPE_FLOAT
#endif

typedef bool _bool_t;
typedef bool1 _bool1_t;
typedef bool2 _bool2_t;
typedef bool3 _bool3_t;
typedef bool4 _bool4_t;
typedef bool1x1 _bool1x1_t;
typedef bool1x2 _bool1x2_t;
typedef bool1x3 _bool1x3_t;
typedef bool1x4 _bool1x4_t;
typedef bool2x1 _bool2x1_t;
typedef bool2x2 _bool2x2_t;
typedef bool2x3 _bool2x3_t;
typedef bool2x4 _bool2x4_t;
typedef bool3x1 _bool3x1_t;
typedef bool3x2 _bool3x2_t;
typedef bool3x3 _bool3x3_t;
typedef bool3x4 _bool3x4_t;
typedef bool4x1 _bool4x1_t;
typedef bool4x2 _bool4x2_t;
typedef bool4x3 _bool4x3_t;
typedef bool4x4 _bool4x4_t;

typedef int _int_t;
typedef int1 _int1_t;
typedef int2 _int2_t;
typedef int3 _int3_t;
typedef int4 _int4_t;
typedef int1x1 _int1x1_t;
typedef int1x2 _int1x2_t;
typedef int1x3 _int1x3_t;
typedef int1x4 _int1x4_t;
typedef int2x1 _int2x1_t;
typedef int2x2 _int2x2_t;
typedef int2x3 _int2x3_t;
typedef int2x4 _int2x4_t;
typedef int3x1 _int3x1_t;
typedef int3x2 _int3x2_t;
typedef int3x3 _int3x3_t;
typedef int3x4 _int3x4_t;
typedef int4x1 _int4x1_t;
typedef int4x2 _int4x2_t;
typedef int4x3 _int4x3_t;
typedef int4x4 _int4x4_t;

#if CURRENT_FLOAT_TYPE == FLOAT_TYPE_HALF
typedef half _float_t;
typedef half1 _float1_t;
typedef half2 _float2_t;
typedef half3 _float3_t;
typedef half4 _float4_t;
typedef half1x1 _float1x1_t;
typedef half1x2 _float1x2_t;
typedef half1x3 _float1x3_t;
typedef half1x4 _float1x4_t;
typedef half2x1 _float2x1_t;
typedef half2x2 _float2x2_t;
typedef half2x3 _float2x3_t;
typedef half2x4 _float2x4_t;
typedef half3x1 _float3x1_t;
typedef half3x2 _float3x2_t;
typedef half3x3 _float3x3_t;
typedef half3x4 _float3x4_t;
typedef half4x1 _float4x1_t;
typedef half4x2 _float4x2_t;
typedef half4x3 _float4x3_t;
typedef half4x4 _float4x4_t;
#elif CURRENT_FLOAT_TYPE == FLOAT_TYPE_DOUBLE
typedef double _float_t;
typedef double1 _float1_t;
typedef double2 _float2_t;
typedef double3 _float3_t;
typedef double4 _float4_t;
typedef double1x1 _float1x1_t;
typedef double1x2 _float1x2_t;
typedef double1x3 _float1x3_t;
typedef double1x4 _float1x4_t;
typedef double2x1 _float2x1_t;
typedef double2x2 _float2x2_t;
typedef double2x3 _float2x3_t;
typedef double2x4 _float2x4_t;
typedef double3x1 _float3x1_t;
typedef double3x2 _float3x2_t;
typedef double3x3 _float3x3_t;
typedef double3x4 _float3x4_t;
typedef double4x1 _float4x1_t;
typedef double4x2 _float4x2_t;
typedef double4x3 _float4x3_t;
typedef double4x4 _float4x4_t;
#else
typedef float _float_t;
typedef float1 _float1_t;
typedef float2 _float2_t;
typedef float3 _float3_t;
typedef float4 _float4_t;
typedef float1x1 _float1x1_t;
typedef float1x2 _float1x2_t;
typedef float1x3 _float1x3_t;
typedef float1x4 _float1x4_t;
typedef float2x1 _float2x1_t;
typedef float2x2 _float2x2_t;
typedef float2x3 _float2x3_t;
typedef float2x4 _float2x4_t;
typedef float3x1 _float3x1_t;
typedef float3x2 _float3x2_t;
typedef float3x3 _float3x3_t;
typedef float3x4 _float3x4_t;
typedef float4x1 _float4x1_t;
typedef float4x2 _float4x2_t;
typedef float4x3 _float4x3_t;
typedef float4x4 _float4x4_t;
#endif

typedef vector _vector_t;
typedef matrix _matrix_t;

#endif // ZELK_COMMONDEFINITION_HLSL
