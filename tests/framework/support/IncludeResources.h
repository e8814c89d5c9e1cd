#pragma once

// Resources of type "HLSL" linked into the framework tests for the include
// handler.
#define ZELK_TEST_RESOURCE_DEFINITIONS 901  // IncludeDefinitions.hlsl
#define ZELK_TEST_RESOURCE_ZERO_INSIDE 902  // a text with a zero byte inside
#define ZELK_TEST_RESOURCE_EMPTY 903        // no bytes at all
#define ZELK_TEST_RESOURCE_MISSING 999      // not in the module
