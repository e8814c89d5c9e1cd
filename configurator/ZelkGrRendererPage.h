#pragma once

// The renderer page: vertex conversion, texel blending, vertex-shader
// version and three switches, limited to what the chosen device can do.
#include <cstdint>

#include "configurator/ZelkGrDeviceDependentPage.h"
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

// What the renderer page's lists depend on: the adapter, its device and the
// device's vertex processing.
struct ZelkGrRendererDeviceChoice {
    std::uint32_t ordinal;
    INT device;
    INT processing;
    bool operator==(const ZelkGrRendererDeviceChoice& other) const
    {
        return ordinal == other.ordinal && device == other.device && processing == other.processing;
    }
};

class ZelkGrRendererPage : public ZelkGrDeviceDependentPage<ZelkGrRendererDeviceChoice> {
public:
    ZelkGrRendererPage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root);
    ~ZelkGrRendererPage() override;

    int DialogId() const override;
    void ComboChanged(int id, DWORD data) override;
    void CheckClicked(int id, bool checked) override;
    bool SaveSettings() override;

    // A position in a table, or none when no entry is allowed.
    static constexpr int kNone = -1;

private:
    bool CurrentChoice(ZelkGrRendererDeviceChoice& choice) const override;
    void FillControls() override;
    void ShowDisabled() override;
    void SetDefaults() override;
    void ReadSettings();
    // The switches and numbers, stored as they are, for a
    // ZelkPageValueReader or ZelkPageValueWriter.
    template <typename Visitor>
    void VisitPlainValues(const Visitor& visit);
    ZelkD3DDeviceInfo* CurrentDevice() const;
    void FillVertexConvertList();
    void FillTexelBlendingList();
    void FillShaderVersionList();
    void FillOFogBox();
    DWORD VertexConvertValue() const;

    // Set by SetDefaults before anything reads them.
    int vertexConvert_ = 0;
    int texelBlending_ = 0;
    int shaderVersion_ = 0;
    bool useBackgroundThread_ = false;
    bool assumeOFogIsValid_ = false;
    bool useTriangleStrip_ = false;
    DWORD maximumQueueSize_ = 0;
    DWORD threadPriority_ = 0;
};

}  // namespace zelk
