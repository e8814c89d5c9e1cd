#pragma once

// Where a back-buffer format stands among the windowed format records of
// the enumeration that the library runs too (adapter 0, its selected
// device): the position a setting stores.
#include <d3d9.h>

namespace zelktest {

// The position of the windowed record with this back-buffer format; -1
// where there is none.
int WindowedFormatPosition(D3DFORMAT back);

}  // namespace zelktest
