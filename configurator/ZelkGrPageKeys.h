#pragma once

// How every page opens its subkeys (created or opened under the root key,
// with the failure every page reports the same way) and reads and writes
// its values in them.
#include <functional>
#include <initializer_list>

#include "framework/ZelkRegKey.h"

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

// A page lists the values of a subkey once, handing each with its name to a
// visitor's Number or Switch; reading and writing are these two visitors.
// A value that cannot be read keeps the member as it was.
struct ZelkPageValueReader {
    const ZelkRegKey& key;
    void Number(const char* name, DWORD& value) const { key.ReadDword(name, value); }
    void Switch(const char* name, bool& value) const { key.ReadFlag(name, value); }
};

// Writes switches as 0 or 1.
struct ZelkPageValueWriter {
    const ZelkRegKey& key;
    void Number(const char* name, DWORD value) const { key.WriteDword(name, value); }
    void Switch(const char* name, bool value) const { key.WriteDword(name, value ? 1 : 0); }
};

}  // namespace zelk
