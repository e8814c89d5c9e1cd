#include "configurator/ZelkGrPageKeys.h"

#include "framework/ZelkException.h"

namespace zelk {

const char* const kRegKeyCreateFailed = "The function [ CRegKey::Create ] is failed.";

bool CreatePageKey(ZelkRegKey& key, ZelkRegKey* root, const char* name, const char* thrower)
{
    bool created = false;
    if (!root || !root->IsOpen() || key.Create(root->Handle(), name, &created) != ERROR_SUCCESS) {
        throw ZelkException(thrower, false, kRegKeyCreateFailed);
    }
    return created;
}

void WriteFlag(const ZelkRegKey& key, const char* name, bool value)
{
    key.WriteDword(name, value ? 1 : 0);
}

}  // namespace zelk
