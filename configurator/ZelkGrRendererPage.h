#pragma once

// The renderer page: vertex conversion, texel blending, vertex-shader
// version and three switches, limited to what the chosen device can do.
#include <cstdint>

#include "configurator/ZelkGrPageModel.h"
#include "configurator/ZelkRegKey.h"
#include "framework/ZelkD3D.h"

namespace zelk {

// Whether a table value may be offered for a device.  vertexConvert is the
// chosen vertex-convert value.
bool IsVertexConvertAvailable(DWORD value, const D3DCAPS9& caps);
bool IsTexelBlendingAvailable(DWORD value, DWORD vertexConvert, const D3DCAPS9& caps);
bool IsVertexShaderVersionAvailable(DWORD value, DWORD vertexConvert, const ZelkD3DDeviceInfo& device);

// Stored values to table positions; anything else is position 0.
int VertexConvertPosition(DWORD value);
int TexelBlendingPosition(DWORD value);
int VertexShaderVersionPosition(DWORD value);

class ZelkGrRendererPage : public ZelkGrPageModel {
public:
    ZelkGrRendererPage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root);
    ~ZelkGrRendererPage() override;

    int DialogId() const override;
    void InitDialog() override;
    bool SetActive() override;
    void ComboChanged(int id, DWORD data) override;
    void CheckClicked(int id, bool checked) override;
    void DefaultClicked() override;
    bool SaveSettings() override;

    // A position in a table, or none when no entry is allowed.
    static constexpr int kNone = -1;

private:
    struct DeviceChoice {
        std::uint32_t ordinal;
        INT device;
        INT processing;
        bool operator==(const DeviceChoice& other) const
        {
            return ordinal == other.ordinal && device == other.device && processing == other.processing;
        }
    };

    void SetDefaults();
    void ReadSettings();
    ZelkD3DDeviceInfo* CurrentDevice() const;
    bool CurrentChoice(DeviceChoice& choice) const;
    void FillVertexConvertList();
    void FillTexelBlendingList();
    void FillShaderVersionList();
    void FillOFogBox();
    void ShowSwitchBoxes();
    DWORD VertexConvertValue() const;

    ZelkD3D* enumeration_;
    std::uint32_t* adapterOrdinal_;
    ZelkRegKey* root_;
    ZelkRegKey key_;
    bool filled_ = false;
    DeviceChoice lastFilled_ = {};

    int vertexConvert_ = 0;
    int texelBlending_ = 0;
    int shaderVersion_ = 0;
    bool useBackgroundThread_ = false;
    bool assumeOFogIsValid_ = true;
    bool useTriangleStrip_ = true;
    DWORD maximumQueueSize_ = 16;
    DWORD threadPriority_ = 0;
};

}  // namespace zelk
