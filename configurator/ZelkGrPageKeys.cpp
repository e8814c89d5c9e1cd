#include "configurator/ZelkGrPageKeys.h"

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kRegKeyCreateFailed = "The function [ CRegKey::Create ] is failed.";

// Creates or opens the subkey under the root key into key; true when it was
// created.
bool CreatePageKey(ZelkRegKey& key, ZelkRegKey* root, const char* name, const char* thrower)
{
    bool created = false;
    if (!root || !root->IsOpen() || key.Create(root->Handle(), name, &created) != ERROR_SUCCESS) {
        throw ZelkException(thrower, false, kRegKeyCreateFailed);
    }
    return created;
}

}  // namespace

void LoadPageKeys(ZelkRegKey* root, const char* thrower, std::initializer_list<ZelkPageKey> keys)
{
    try {
        for (const ZelkPageKey& page : keys) {
            if (CreatePageKey(*page.key, root, page.name, thrower)) {
                page.write();
            } else {
                page.read();
            }
        }
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        for (const ZelkPageKey& page : keys) {
            page.key->Close();
        }
        if (root && root->IsOpen()) {
            for (const ZelkPageKey& page : keys) {
                root->DeleteTree(page.name);
            }
        }
        throw;
    }
}

}  // namespace zelk
