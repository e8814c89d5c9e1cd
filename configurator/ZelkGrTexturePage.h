#pragma once

// The texture page: the Direct3D format used for each of the thirteen Glide
// texture formats, and the anisotropic-filtering and mipmap switches.
#include <cstdint>

#include "configurator/ZelkGrDeviceDependentPage.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkTextureFormatChoice.h"

namespace zelk {

// Slot values that are no Direct3D format.
constexpr DWORD kTextureFormatNeverConverted = 1000;  // "Unsupported With zelkGlide"
constexpr DWORD kTextureFormatUnsupported = 1001;     // "Unsupported With This Device"
constexpr DWORD kTextureFormatNotChosen = 1002;       // no choice made yet

constexpr std::size_t kTextureSlotCount = 13;

// What the texture page's lists depend on: the adapter, its device and the
// device's active display format.
struct ZelkGrTextureDeviceChoice {
    std::uint32_t ordinal;
    INT device;
    bool windowed;
    INT format;
    bool operator==(const ZelkGrTextureDeviceChoice& other) const
    {
        return ordinal == other.ordinal && device == other.device && windowed == other.windowed &&
               format == other.format;
    }
};

class ZelkGrTexturePage : public ZelkGrDeviceDependentPage<ZelkGrTextureDeviceChoice> {
public:
    ZelkGrTexturePage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root);
    ~ZelkGrTexturePage() override;

    int DialogId() const override;
    void ComboChanged(int id, DWORD data) override;
    void CheckClicked(int id, bool checked) override;
    bool SaveSettings() override;

    // The slot values in slot order.
    DWORD SlotFormat(std::size_t slot) const { return formats_[slot]; }

private:
    bool CurrentChoice(ZelkGrTextureDeviceChoice& choice) const override;
    void FillControls() override;
    void ShowDisabled() override;
    void SetDefaults() override;
    void ReadSettings();
    // The two switches, for a ZelkPageValueReader or ZelkPageValueWriter.
    template <typename Visitor>
    void VisitSwitches(const Visitor& visit);
    const ZelkD3DFormatInfo* ActiveRecord() const;
    void FillSlot(std::size_t slot);

    // Set by SetDefaults before anything reads them.
    DWORD formats_[kTextureSlotCount] = {};
    bool forceAnisotropicFiltering_ = false;
    bool createMipmap_ = false;
};

}  // namespace zelk
