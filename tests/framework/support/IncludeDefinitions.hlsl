// Definitions served to the include handler's tests.
#define ZELK_TEST_POSITION_OUT oPos
#define ZELK_TEST_SCALE 2.0
