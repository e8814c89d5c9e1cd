#pragma once

// How every page opens its subkeys: created or opened under the root key,
// with the failure every page reports the same way.
#include <functional>
#include <initializer_list>

#include "configurator/ZelkRegKey.h"

namespace zelk {

// One of a page's subkeys: a new one receives the page's values at once
// (write), an existing one is read (read).
struct ZelkPageKey {
    ZelkRegKey* key;
    const char* name;
    std::function<void()> write;
    std::function<void()> read;
};

// Creates or opens the page's subkeys under the root key in order and writes
// or reads each.  A subkey that cannot be created (no open root included)
// throws ZelkException (the thrower, false, "The function [ CRegKey::Create ]
// is failed.").  When anything fails the error is logged, every key is
// closed, every subkey is removed from the root again and the exception
// passes on.
void LoadPageKeys(ZelkRegKey* root, const char* thrower, std::initializer_list<ZelkPageKey> keys);

// Writes a switch as 0 or 1.
void WriteFlag(const ZelkRegKey& key, const char* name, bool value);

}  // namespace zelk
