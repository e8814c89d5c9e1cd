#pragma once

// A page whose lists depend on the device chosen on the Direct3D device page
// (the renderer and texture pages).  It fills its controls when it is first
// shown for a device choice and again only when that choice has changed
// since; with no device chosen it shows its controls disabled and refuses to
// open.  Choice is the part of the device choice the page depends on, with
// ==.
#include <cstdint>

#include "configurator/ZelkGrPageModel.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkRegKey.h"

namespace zelk {

template <typename Choice>
class ZelkGrDeviceDependentPage : public ZelkGrPageModel {
public:
    void InitDialog() override
    {
        Choice choice = {};
        if (!CurrentChoice(choice)) {
            filled_ = false;
            ShowDisabled();
            return;
        }
        Fill(choice);
    }

    bool SetActive() override
    {
        Choice choice = {};
        if (!CurrentChoice(choice)) {
            return false;
        }
        if (!filled_ || !(choice == lastFilled_)) {
            Fill(choice);
        }
        return true;
    }

    void DefaultClicked() override
    {
        filled_ = false;
        SetDefaults();
        SetActive();
    }

protected:
    ZelkGrDeviceDependentPage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root)
        : enumeration_(enumeration), adapterOrdinal_(adapterOrdinal), root_(root)
    {
    }

    // The current device choice; false when no device is chosen.
    virtual bool CurrentChoice(Choice& choice) const = 0;
    // Shows every control for the current device.
    virtual void FillControls() = 0;
    // Shows every control disabled, for no device.
    virtual void ShowDisabled() = 0;
    // Sets the page's values to their defaults.
    virtual void SetDefaults() = 0;

    ZelkD3D* enumeration_;
    std::uint32_t* adapterOrdinal_;
    ZelkRegKey* root_;
    ZelkRegKey key_;

private:
    void Fill(const Choice& choice)
    {
        filled_ = true;
        lastFilled_ = choice;
        FillControls();
    }

    bool filled_ = false;
    Choice lastFilled_ = {};
};

}  // namespace zelk
