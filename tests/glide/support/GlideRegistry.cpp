#include "GlideRegistry.h"

#include "common/TestSettingsKey.h"

namespace zelktest {

namespace {

std::string SubkeyPath(const char* subkey)
{
    return std::string(kSettingsRoot) + "\\" + subkey;
}

}  // namespace

GlideRegistry::GlideRegistry() { RemoveAll(); }
GlideRegistry::~GlideRegistry() { RemoveAll(); }

void GlideRegistry::RemoveAll() { DeleteHkcuTree(kSettingsRoot); }

void GlideRegistry::SetDword(const char* subkey, const char* name, std::uint32_t value)
{
    WriteHkcuValue(SubkeyPath(subkey), name, value);
}

void GlideRegistry::SetString(const char* subkey, const char* name, const std::string& value)
{
    WriteHkcuString(SubkeyPath(subkey), name, value);
}

}  // namespace zelktest
