#pragma once

// An open registry key that closes itself: creation or opening with full
// access, four-byte value reads and writes, and removal of a subkey with
// everything below it.
#include <windows.h>

namespace zelk {

class ZelkRegKey {
public:
    ZelkRegKey() = default;
    ~ZelkRegKey();
    ZelkRegKey(const ZelkRegKey&) = delete;
    ZelkRegKey& operator=(const ZelkRegKey&) = delete;

    // Creates or opens a non-volatile subkey with full access, closing what
    // this object held.  created (when given) tells whether it was new.
    LONG Create(HKEY parent, const char* name, bool* created = nullptr);
    // Opens an existing subkey with the given access.
    LONG Open(HKEY parent, const char* name, REGSAM access = KEY_ALL_ACCESS);
    void Close();

    bool IsOpen() const { return key_ != nullptr; }
    HKEY Handle() const { return key_; }

    // Reads a value through a four-byte buffer, whatever its stored type;
    // false when it is missing or longer than four bytes.
    bool ReadDword(const char* name, DWORD& value) const;
    // Reads a value and turns it into a switch (not 0 is true); false leaves
    // the switch as it was.
    bool ReadFlag(const char* name, bool& value) const;
    LONG WriteDword(const char* name, DWORD value) const;
    // Deletes a subkey with all its subkeys and values; a missing subkey is
    // no error.
    LONG DeleteTree(const char* name) const;

private:
    HKEY key_ = nullptr;
};

// Deletes a subkey of any key with everything below it.
LONG DeleteRegistryTree(HKEY parent, const char* name);

}  // namespace zelk
