#pragma once

// The texture page: the Direct3D format used for each of the thirteen Glide
// texture formats, and the anisotropic-filtering and mipmap switches.
#include <cstdint>

#include "configurator/ZelkGrPageModel.h"
#include "configurator/ZelkRegKey.h"
#include "framework/ZelkD3D.h"

namespace zelk {

// Slot values that are no Direct3D format.
constexpr DWORD kTextureFormatNeverConverted = 1000;  // "Unsupported With zelkGlide"
constexpr DWORD kTextureFormatUnsupported = 1001;     // "Unsupported With This Device"
constexpr DWORD kTextureFormatNotChosen = 1002;       // no choice made yet

constexpr std::size_t kTextureSlotCount = 13;

// Whether textures of the source format may be stored in the target format.
bool IsConvertibleFormat(DWORD source, DWORD target);

class ZelkGrTexturePage : public ZelkGrPageModel {
public:
    ZelkGrTexturePage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root);
    ~ZelkGrTexturePage() override;

    int DialogId() const override;
    void InitDialog() override;
    bool SetActive() override;
    void ComboChanged(int id, DWORD data) override;
    void CheckClicked(int id, bool checked) override;
    void DefaultClicked() override;
    bool SaveSettings() override;

    // The slot values in slot order.
    DWORD SlotFormat(std::size_t slot) const { return formats_[slot]; }

private:
    struct DeviceChoice {
        std::uint32_t ordinal;
        INT device;
        bool windowed;
        INT format;
        bool operator==(const DeviceChoice& other) const
        {
            return ordinal == other.ordinal && device == other.device && windowed == other.windowed &&
                   format == other.format;
        }
    };

    void SetDefaults();
    void ReadSettings();
    bool CurrentChoice(DeviceChoice& choice) const;
    const ZelkD3DFormatInfo* ActiveRecord() const;
    void FillAll();
    void FillSlot(std::size_t slot);

    ZelkD3D* enumeration_;
    std::uint32_t* adapterOrdinal_;
    ZelkRegKey* root_;
    ZelkRegKey key_;
    bool filled_ = false;
    DeviceChoice lastFilled_ = {};

    DWORD formats_[kTextureSlotCount] = {};
    bool forceAnisotropicFiltering_ = false;
    bool createMipmap_ = true;
};

}  // namespace zelk
