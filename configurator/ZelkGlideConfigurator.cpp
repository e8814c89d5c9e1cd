#include "configurator/ZelkGlideConfigurator.h"

#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

#include "configurator/ZelkGrD3DDevicePage.h"
#include "configurator/ZelkGrMiscPage.h"
#include "configurator/ZelkGrPropertyPage.h"
#include "configurator/ZelkGrRendererPage.h"
#include "configurator/ZelkGrTexturePage.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkException.h"
#include "framework/ZelkGlideSettingsKeys.h"
#include "framework/ZelkRegKey.h"

namespace zelk {

namespace keys = settingskeys;

const char* const kConfiguratorCaption = "ZelkGlide Configurator";

namespace {

const char* const kRunName = "Run";
const char* const kRootCreateFailed = "The function [ CRegKey::Create ] is failed.";
const char* const kNoDirect3D = "The function [ ZelkD3D::GetD3D ] failed.";
const char* const kSoftwareKey = "Software";
const char* const kTreeName = "zelkGlide";
const char* const kStartFailedHead = "The configurator could not start.\n\n";
const char* const kStartFailedTail = "\n\nDetails are in the error log ";
const char* const kUnexpectedFailure = "An unexpected error occurred.";

// Subkeys removed when the stored layout version is not the current one.
const char* const kVersionedSubkeys[] = {
    keys::kDirect3DDeviceSetting, keys::kTextureSetting, keys::kCardStyle,
    keys::kPrimitiveRendering,    keys::kLfbAccessing,   keys::kMisc,
};

// Keeps the enumeration singleton for the run and destroys it at the end.
struct EnumerationScope {
    ~EnumerationScope() { ZelkD3D::DestroyD3D(); }
};

int CALLBACK SheetCallback(HWND, UINT, LPARAM)
{
    return 0;
}

void DeleteSettingsTree()
{
    ZelkRegKey software;
    if (software.Open(HKEY_CURRENT_USER, kSoftwareKey) == ERROR_SUCCESS) {
        software.DeleteTree(kTreeName);
    }
}

void ShowStartFailure(const std::string& message)
{
    const std::string text = kStartFailedHead + message + kStartFailedTail + "\"" + kErrorLogFileName + "\".";
    MessageBoxA(nullptr, text.c_str(), kConfiguratorCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

int Run(HINSTANCE instance, const char*, int)
{
    std::uint32_t adapterOrdinal = keys::kNoAdapter;
    ZelkRegKey root;
    // Only a tree whose keys cannot be built is removed; a machine without a
    // usable Direct3D keeps the user's settings.
    bool removeTreeOnFailure = true;
    try {
        if (root.Create(HKEY_CURRENT_USER, keys::kRootKey) != ERROR_SUCCESS) {
            throw ZelkException(kRunName, false, kRootCreateFailed);
        }
        DWORD version = 0;
        if (!root.ReadDword(keys::kVersion, version) || version != keys::kVersionValue) {
            for (const char* subkey : kVersionedSubkeys) {
                root.DeleteTree(subkey);
            }
            root.WriteDword(keys::kVersion, keys::kVersionValue);
        }

        EnumerationScope enumerationScope;
        removeTreeOnFailure = false;
        ZelkD3D* enumeration = ZelkD3D::GetD3D();
        if (!enumeration) {
            throw ZelkException(kRunName, false, kNoDirect3D);
        }
        removeTreeOnFailure = true;

        // The device page first: it sets the adapter ordinal the others read.
        std::vector<std::unique_ptr<ZelkGrPropertyPage>> pages;
        pages.push_back(std::make_unique<ZelkGrPropertyPage>(
            instance, std::make_unique<ZelkGrD3DDevicePage>(enumeration, &adapterOrdinal, &root)));
        pages.push_back(std::make_unique<ZelkGrPropertyPage>(
            instance, std::make_unique<ZelkGrRendererPage>(enumeration, &adapterOrdinal, &root)));
        pages.push_back(std::make_unique<ZelkGrPropertyPage>(
            instance, std::make_unique<ZelkGrTexturePage>(enumeration, &adapterOrdinal, &root)));
        pages.push_back(std::make_unique<ZelkGrPropertyPage>(instance, std::make_unique<ZelkGrMiscPage>(&root)));

        std::vector<HPROPSHEETPAGE> handles;
        for (const auto& page : pages) {
            if (HPROPSHEETPAGE handle = page->Create()) {
                handles.push_back(handle);
            }
        }
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_USECALLBACK;
        header.hwndParent = GetActiveWindow();
        header.hInstance = instance;
        header.pszCaption = kConfiguratorCaption;
        header.nPages = static_cast<UINT>(handles.size());
        header.nStartPage = 0;
        header.phpage = handles.data();
        header.pfnCallback = &SheetCallback;
        PropertySheetA(&header);

        // Pages go in reverse order (misc first), then the enumeration.
        while (!pages.empty()) {
            pages.pop_back();
        }
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        root.Close();
        if (removeTreeOnFailure) {
            DeleteSettingsTree();
        }
        throw;
    }
    root.Close();
    return 0;
}

int ConfiguratorWinMain(HINSTANCE instance, HINSTANCE, const char* commandLine, int showCommand)
{
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&controls);

    int result = 0;
    try {
        result = Run(instance, commandLine, showCommand);
    } catch (ZelkException& e) {
        // Run has logged it already.
        ShowStartFailure(e.message);
        result = 1;
    } catch (...) {
        ZelkException e(kRunName, false, kUnexpectedFailure);
        WriteErrorLog(e);
        ShowStartFailure(e.message);
        result = 1;
    }
    CoUninitialize();
    return result;
}

}  // namespace zelk
