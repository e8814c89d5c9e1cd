#pragma once

// How every page opens its subkeys: created or opened under the root key,
// with the failure every page reports the same way.
#include "configurator/ZelkRegKey.h"

namespace zelk {

// The message of a key that cannot be created.
extern const char* const kRegKeyCreateFailed;

// Creates or opens the subkey under the root key into key; true when it was
// created.  Throws ZelkException (the thrower, false, kRegKeyCreateFailed)
// when it cannot (no open root included).
bool CreatePageKey(ZelkRegKey& key, ZelkRegKey* root, const char* name, const char* thrower);

// Writes a switch as 0 or 1.
void WriteFlag(const ZelkRegKey& key, const char* name, bool value);

}  // namespace zelk
