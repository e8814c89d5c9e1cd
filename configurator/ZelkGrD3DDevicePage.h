#pragma once

// The Direct3D device page: adapter, device type, vertex processing, window
// mode, display and depth formats.  The choices live as the selections of
// the enumeration records (so the renderer and texture pages see them at
// once) and are stored as positions in the enumeration's lists.
#include <cstdint>
#include <string>

#include "configurator/ZelkGrPageModel.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkRegKey.h"

namespace zelk {

// Names shown for device types (1 "HAL", 2 "REF"), behaviour flags and the
// enumeration's candidate formats; null for a value without a name.
const char* GetDeviceTypeName(DWORD deviceType);
const char* GetProcessingTypeName(DWORD behaviorFlags);
const char* GetFormatName(DWORD format);

// An adapter description cut to at most 31 bytes without splitting a
// character of the given code page.
std::string CutAdapterDescription(const char* description, UINT codePage);
// The display-format item: both names right-aligned in 10 characters.
std::string FormatPairLabel(DWORD displayFormat, DWORD backBufferFormat);

class ZelkGrD3DDevicePage : public ZelkGrPageModel {
public:
    // Sets the adapter ordinal and the enumeration's selections from the
    // stored values, or stores the selections in a new key.  Throws
    // ZelkException when the key cannot be created.
    ZelkGrD3DDevicePage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root);
    ~ZelkGrD3DDevicePage() override;

    int DialogId() const override;
    void InitDialog() override;
    bool SetActive() override;
    void ComboChanged(int id, DWORD data) override;
    void CheckClicked(int id, bool checked) override;
    void DefaultClicked() override;
    bool SaveSettings() override;

private:
    void ReadSettings();
    void FillAdapterList();
    void FillDeviceTypeList();
    void FillDeviceControls();
    void FillProcessingList();
    void FillWindowModeBox();
    void FillDisplayFormatList();
    void FillDepthList();

    ZelkD3D* enumeration_;
    std::uint32_t* adapterOrdinal_;
    ZelkRegKey* root_;
    ZelkRegKey key_;
};

}  // namespace zelk
