#include "glide/ZelkGrTextureFormatResolver.h"

#include <d3dx9.h>

#include <string>

#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkException.h"
#include "framework/ZelkTextureFormatChoice.h"

namespace zelk {

namespace keys = settingskeys;

namespace {

const char* const kResolveName = "ZelkGrTextureManager::ZelkGrTextureManager";
const char* const kReplacedStart = "The Direct3D format [ ";
const char* const kReplacedFor = " ] of the texture setting [ ";
const char* const kReplacedBy = " ] cannot be used; [ ";
const char* const kReplacedEnd = " ] is used in its place.";
const char* const kNoReplacement = " ] cannot be used, and the device has no format for it.";

// The candidate table's name of a format, or its number.
std::string FormatName(DWORD format)
{
    for (const ZelkD3DCandidateFormat& candidate : kCandidateFormats) {
        if (static_cast<DWORD>(candidate.format) == format) {
            return candidate.name;
        }
    }
    return std::to_string(format);
}

bool IsCandidateFormat(DWORD format)
{
    for (const ZelkD3DCandidateFormat& candidate : kCandidateFormats) {
        if (static_cast<DWORD>(candidate.format) == format) {
            return true;
        }
    }
    return false;
}

// The first preferred format, else the first candidate, that the device
// supports and that can hold the Glide format's texels; 0 when none.
DWORD Replacement(unsigned glideFormat, const ZelkTextureFormatSupport& supported)
{
    const auto fits = [&](D3DFORMAT format) {
        return format != D3DFMT_UNKNOWN && IsTextureFormatFor(glideFormat, format) && supported(format);
    };
    for (const D3DFORMAT format : GetTextureFormatRule(glideFormat).preference) {
        if (fits(format)) {
            return format;
        }
    }
    for (const ZelkD3DCandidateFormat& candidate : kCandidateFormats) {
        if (fits(candidate.format)) {
            return candidate.format;
        }
    }
    return 0;
}

void LogReplacement(unsigned glideFormat, DWORD stored, DWORD replacement)
{
    std::string message = kReplacedStart + FormatName(stored) + kReplacedFor +
                          keys::kTextureFormatValues[glideFormat].valueName;
    message += replacement != 0 ? kReplacedBy + FormatName(replacement) + kReplacedEnd : std::string(kNoReplacement);
    ZelkException note(kResolveName, false, message);
    WriteErrorLog(note);
}

}  // namespace

void ResolveTextureFormats(ZelkGrTextureSettings& settings, const ZelkTextureFormatSupport& supported)
{
    for (unsigned glideFormat = 0; glideFormat < keys::kGlideTextureFormatCount; ++glideFormat) {
        std::uint32_t& format = settings.format[glideFormat];
        if (format == 0) {
            continue;
        }
        const bool usable = IsCandidateFormat(format) && supported(static_cast<D3DFORMAT>(format));
        if (GetTextureFormatRule(glideFormat).source == D3DFMT_UNKNOWN) {
            if (!usable) {
                format = 0;
            }
            continue;
        }
        if (usable && IsTextureFormatFor(glideFormat, format)) {
            continue;
        }
        const DWORD replacement = Replacement(glideFormat, supported);
        if (settings.storedFormats & (1u << glideFormat)) {
            LogReplacement(glideFormat, format, replacement);
        }
        format = replacement;
    }
}

ZelkTextureFormatSupport DeviceTextureSupport(IDirect3DDevice9* device)
{
    return [device](D3DFORMAT format) {
        D3DFORMAT checked = format;
        return SUCCEEDED(
                   D3DXCheckTextureRequirements(device, nullptr, nullptr, nullptr, 0, &checked, D3DPOOL_DEFAULT)) &&
               checked == format;
    };
}

}  // namespace zelk
