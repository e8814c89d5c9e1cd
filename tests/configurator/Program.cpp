// ZelkGlideConfigurator.exe as a user meets it: started on the virtual
// display, driven through its sheet's own messages, with the registry
// checked afterwards; a screenshot of every page is kept in the build
// folder.  Also the start-up's version check and a failed start.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cctype>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/D3DProxy.h"
#include "common/TestDevice.h"
#include "common/TestDirectory.h"
#include "common/TestWindow.h"
#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGlideConfigurator.h"
#include "framework/ZelkD3D.h"
#include "framework/ZelkRegKey.h"
#include "glide/ZelkGlideSettings.h"
#include "glide/ZelkGrTextureManager.h"
#include "support/ConfiguratorTestSupport.h"

namespace {

const char* const kRoot = "Software\\zelkGlide";
const char* const kSubkeys[6] = {"direct3d device setting", "texture setting", "card style",
                                 "primitive rendering",     "lfb accessing",   "misc"};
const char* const kCaption = "ZelkGlide Configurator";
constexpr DWORD kTimeoutMs = 20000;
constexpr int kApplyButton = 0x3021;

std::string SubkeyPath(const char* subkey)
{
    return std::string(kRoot) + "\\" + subkey;
}

using Tree = std::map<std::string, std::map<std::string, DWORD>>;

// Every value of the six subkeys and the root's "version".
Tree ReadTree()
{
    Tree tree;
    for (const char* subkey : kSubkeys) {
        tree[subkey] = zelktest::HkcuValues(SubkeyPath(subkey));
    }
    if (auto version = zelktest::ReadHkcuValue(kRoot, "version")) {
        tree[""]["version"] = *version;
    }
    return tree;
}

// Removes what these tests write: the six subkeys and "version" (the model
// tests keep roots of their own beside them).
void RemoveTree()
{
    zelk::ZelkRegKey root;
    if (root.Open(HKEY_CURRENT_USER, kRoot) == ERROR_SUCCESS) {
        for (const char* subkey : kSubkeys) {
            root.DeleteTree(subkey);
        }
        RegDeleteValueA(root.Handle(), "version");
    }
}

// The Unix path of the build folder, from the Wine path of its bin folder.
std::string UnixBuildDir()
{
    std::string bin = ZELK_BIN_DIR;
    if (bin.size() > 2 && bin[1] == ':') {
        bin = bin.substr(2);
    }
    return bin.substr(0, bin.rfind('/'));
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kTimeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// A picture as 8-bit red, green, blue rows, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    bool Holds(const RECT& area) const
    {
        return area.left >= 0 && area.top >= 0 && area.right <= width && area.bottom <= height;
    }
    unsigned long Pixel(int x, int y) const
    {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return static_cast<unsigned long>(p[0]) << 16 | static_cast<unsigned long>(p[1]) << 8 | p[2];
    }
    // The most common colour of an area the picture holds.
    unsigned long CommonColour(const RECT& area) const
    {
        std::map<unsigned long, int> counts;
        unsigned long common = 0;
        int most = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const int count = ++counts[Pixel(x, y)];
                if (count > most) {
                    most = count;
                    common = Pixel(x, y);
                }
            }
        }
        return common;
    }
    // The pixels of an area the picture holds that are not of one colour.
    int CountOther(const RECT& area, unsigned long colour) const
    {
        int other = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                other += Pixel(x, y) != colour;
            }
        }
        return other;
    }
};

// A binary PPM (P6) or PGM (P5, as a grey PNG decodes) of 8-bit channels;
// an empty picture when malformed.
Picture ParsePnm(const std::string& bytes)
{
    Picture picture;
    size_t at = 2;
    auto number = [&]() -> int {
        while (at < bytes.size() && (std::isspace(static_cast<unsigned char>(bytes[at])) || bytes[at] == '#')) {
            if (bytes[at] == '#') {
                at = bytes.find('\n', at);
                if (at == std::string::npos) {
                    return -1;
                }
            }
            ++at;
        }
        int value = 0;
        bool digits = false;
        for (; at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])); ++at, digits = true) {
            value = value * 10 + (bytes[at] - '0');
        }
        return digits ? value : -1;
    };
    const bool colour = bytes.compare(0, 2, "P6") == 0;
    if (!colour && bytes.compare(0, 2, "P5") != 0) {
        return picture;
    }
    const int width = number(), height = number(), maximum = number();
    const size_t pixels = static_cast<size_t>(width) * height;
    ++at;  // the one white-space byte before the samples
    if (width <= 0 || height <= 0 || maximum != 255 || at + pixels * (colour ? 3 : 1) > bytes.size()) {
        return picture;
    }
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(pixels * 3);
    for (size_t i = 0; i < pixels * 3; ++i) {
        picture.rgb[i] = static_cast<unsigned char>(bytes[at + (colour ? i : i / 3)]);
    }
    return picture;
}

// Memory committed in another process for the object's life.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
    }
    ~RemoteMemory()
    {
        if (address_) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    unsigned char* Address() const { return static_cast<unsigned char*>(address_); }

private:
    HANDLE process_;
    void* address_;
};

// A piece of text a page shows, with the screen rectangle its letters take.
struct Label {
    std::string text;
    RECT area;
};

// Collects into a vector of labels the texts of a page's static labels and
// check boxes that the user sees.  A check box's letters start right of its
// box.
BOOL CALLBACK CollectLabel(HWND control, LPARAM parameter)
{
    char className[32] = {};
    GetClassNameA(control, className, sizeof(className));
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG buttonType = style & BS_TYPEMASK;
    const bool isStatic = lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
    const bool isCheckBox =
        lstrcmpiA(className, "Button") == 0 && (buttonType == BS_CHECKBOX || buttonType == BS_AUTOCHECKBOX);
    if (!IsWindowVisible(control) || !(isStatic || isCheckBox)) {
        return TRUE;
    }
    wchar_t text[128] = {};
    SendMessageW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    char narrow[128] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
    if (narrow[0] == 0) {
        return TRUE;
    }
    RECT area;
    GetWindowRect(control, &area);
    // Inside any border a static may draw; past a check box's box.
    InflateRect(&area, -2, -2);
    if (isCheckBox) {
        area.left += (area.bottom - area.top) + 6;
    }
    reinterpret_cast<std::vector<Label>*>(parameter)->push_back({narrow, area});
    return TRUE;
}

std::vector<Label> VisibleLabels(HWND page)
{
    std::vector<Label> labels;
    EnumChildWindows(page, CollectLabel, reinterpret_cast<LPARAM>(&labels));
    return labels;
}

// The program, started in the test's working directory.
class Configurator {
public:
    Configurator()
    {
        const std::string exe = std::string(ZELK_BIN_DIR) + "/ZelkGlideConfigurator.exe";
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_)) {
            ADD_FAILURE() << "cannot start " << exe << " (" << GetLastError() << ")";
            return;
        }
        const bool shown = WaitFor([this] {
            sheet_ = FindWindowA(nullptr, kCaption);
            return sheet_ && Page(0);
        });
        EXPECT_TRUE(shown) << "no sheet appeared";
    }

    ~Configurator()
    {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 99);
                WaitForSingleObject(process_.hProcess, kTimeoutMs);
            }
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }

    HWND Sheet() const { return sheet_; }
    HANDLE Process() const { return process_.hProcess; }
    HWND Page(int index) const
    {
        return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
    }
    HWND CurrentPage() const { return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)); }
    int CurrentIndex() const
    {
        return static_cast<int>(SendMessageA(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage()), 0));
    }
    void Select(int index) const { SendMessageA(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

    // Picks an item of a combo on the current page as the user would.
    void Choose(int id, int item) const
    {
        const HWND page = CurrentPage();
        const HWND combo = GetDlgItem(page, id);
        ASSERT_NE(combo, nullptr) << id;
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    // The selected item's text (asked in UTF-16: the program's controls are
    // Unicode windows, and only that form crosses the process boundary whole).
    std::string Text(int id) const
    {
        const HWND combo = GetDlgItem(CurrentPage(), id);
        const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (item < 0) {
            return std::string();
        }
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
        char narrow[256] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
        return narrow;
    }
    int Count(int id) const { return static_cast<int>(SendDlgItemMessageA(CurrentPage(), id, CB_GETCOUNT, 0, 0)); }
    void Click(int id) const { SendDlgItemMessageA(CurrentPage(), id, BM_CLICK, 0, 0); }
    bool Checked(int id) const { return SendDlgItemMessageA(CurrentPage(), id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(CurrentPage(), id)) != FALSE; }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet_, kApplyButton)) != FALSE; }
    // Presses a sheet button.  The sheet's modal loop notices that it has
    // ended only when a message arrives, as one always does after a real
    // click; a null message stands in for it.
    void Press(int button) const
    {
        SendMessageA(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        PostMessageA(sheet_, WM_NULL, 0, 0);
    }

    // Waits for the program to end; its exit code, or -1 on a time-out.
    int WaitForExit() const
    {
        if (WaitForSingleObject(process_.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }

    // The whole virtual display into <build>/screenshots/<name>.png, and the
    // picture read back from that file (decoded through <name>.pnm beside it,
    // removed again).
    // Wine starts Unix programs without a process handle, so the last file's
    // arrival (written under another name, then renamed) shows the end.
    Picture Screenshot(const std::string& name) const
    {
        UpdateWindow(sheet_);
        Sleep(300);
        const std::string folder = UnixBuildDir() + "/screenshots";
        const std::string file = folder + "/" + name + ".png";
        const std::string decoded = folder + "/" + name + ".pnm";
        DeleteFileA(("Z:" + file).c_str());
        DeleteFileA(("Z:" + decoded).c_str());
        std::string command = "/bin/sh -c \"mkdir -p '" + folder + "' && xwd -root -display $DISPLAY | xwdtopnm 2>/dev/null | pnmtopng > '" + file +
                              ".part' && mv '" + file + ".part' '" + file + "' && pngtopnm '" + file + "' > '" +
                              decoded + ".part' && mv '" + decoded + ".part' '" + decoded + "'\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION shell = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &shell)) {
            ADD_FAILURE() << "cannot run the screenshot command (" << GetLastError() << ")";
            return Picture();
        }
        CloseHandle(shell.hThread);
        CloseHandle(shell.hProcess);
        const bool saved =
            WaitFor([&] { return GetFileAttributesA(("Z:" + decoded).c_str()) != INVALID_FILE_ATTRIBUTES; });
        EXPECT_TRUE(saved) << "no screenshot " << file;
        if (!saved) {
            return Picture();
        }
        const Picture picture = ParsePnm(zelktest::ReadFileText("Z:" + decoded));
        DeleteFileA(("Z:" + decoded).c_str());
        return picture;
    }

    // The captions of the sheet's tabs, in order.  The tab control answers
    // into memory of its own process, so the item lives there.
    std::vector<std::string> TabCaptions() const
    {
        std::vector<std::string> captions;
        const HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0));
        const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        constexpr int kTextMax = 64;
        RemoteMemory memory(process_.hProcess, sizeof(TCITEMW) + kTextMax * sizeof(wchar_t));
        if (!memory.Address()) {
            ADD_FAILURE() << "VirtualAllocEx failed (" << GetLastError() << ")";
            return captions;
        }
        wchar_t* const remoteText = reinterpret_cast<wchar_t*>(memory.Address() + sizeof(TCITEMW));
        for (int index = 0; index < count; ++index) {
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = remoteText;
            item.cchTextMax = kTextMax;
            wchar_t text[kTextMax + 1] = {};
            if (!WriteProcessMemory(process_.hProcess, memory.Address(), &item, sizeof(item), nullptr) ||
                !SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(memory.Address())) ||
                !ReadProcessMemory(process_.hProcess, memory.Address(), &item, sizeof(item), nullptr) ||
                !ReadProcessMemory(process_.hProcess, item.pszText, text, kTextMax * sizeof(wchar_t), nullptr)) {
                ADD_FAILURE() << "cannot read tab " << index;
                return captions;
            }
            char narrow[kTextMax * 2] = {};
            WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
            captions.push_back(narrow);
        }
        return captions;
    }

private:
    PROCESS_INFORMATION process_ = {};
    HWND sheet_ = nullptr;
};

class ProgramTest : public testing::Test {
protected:
    void SetUp() override { RemoveTree(); }
    void TearDown() override { RemoveTree(); }
};

TEST_F(ProgramTest, NewTreeIsCompleteAndCancelWritesNothingMore)
{
    Configurator program;
    ASSERT_NE(program.Sheet(), nullptr);
    const Tree written = ReadTree();
    EXPECT_EQ(written.at("").at("version"), 165u);
    EXPECT_EQ(written.at("direct3d device setting").size(), 6u);
    EXPECT_EQ(written.at("primitive rendering").size(), 8u);
    EXPECT_EQ(written.at("texture setting").size(), 15u);
    EXPECT_EQ(written.at("texture setting").at("Y4I2Q2"), 1002u);
    EXPECT_EQ(written.at("card style").size(), 4u);
    EXPECT_EQ(written.at("lfb accessing").size(), 7u);
    EXPECT_EQ(written.at("misc").size(), 3u);

    // Tabs in order, opening on the device page.
    const HWND tab = reinterpret_cast<HWND>(SendMessageA(program.Sheet(), PSM_GETTABCONTROL, 0, 0));
    ASSERT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(program.CurrentIndex(), 0);

    // Changes on three pages, then Cancel.
    program.Choose(IDC_ZELK_PROCESSING_TYPE, 1);
    program.Click(IDC_ZELK_USE_WINDOW_MODE);
    program.Select(1);
    program.Choose(IDC_ZELK_VERTEX_CONVERT, 1);
    program.Select(3);
    program.Click(IDC_ZELK_ENABLE_SLI);
    EXPECT_TRUE(program.ApplyEnabled());
    program.Press(PSBTN_CANCEL);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_EQ(ReadTree(), written);
}

TEST_F(ProgramTest, ApplyAndOkWriteTheOpenedPagesOnly)
{
    // Values that the misc and renderer pages would change when applied.
    zelktest::WriteHkcuValue(kRoot, "version", 165);
    zelktest::WriteHkcuValue(SubkeyPath("card style"), "number of tmu", 5);
    zelktest::WriteHkcuValue(SubkeyPath("primitive rendering"), "vertex convert function type", 7);

    Configurator program;
    ASSERT_NE(program.Sheet(), nullptr);
    EXPECT_FALSE(program.ApplyEnabled());
    program.Choose(IDC_ZELK_PROCESSING_TYPE, 2);
    EXPECT_EQ(program.Text(IDC_ZELK_PROCESSING_TYPE), "MixedTnL");
    EXPECT_TRUE(program.ApplyEnabled());
    program.Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(WaitFor([] {
        return zelktest::ReadHkcuValue(SubkeyPath("direct3d device setting"), "processing type") == 2u;
    }));
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("card style"), "number of tmu"), 5u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("primitive rendering"), "vertex convert function type"), 7u);

    // The renderer page: vertex shaders leave only the pixel-shader pipeline.
    program.Select(1);
    ASSERT_EQ(program.CurrentIndex(), 1);
    EXPECT_EQ(program.Text(IDC_ZELK_VERTEX_CONVERT), "Software");
    program.Choose(IDC_ZELK_VERTEX_CONVERT, 2);
    EXPECT_EQ(program.Count(IDC_ZELK_TEXEL_BLENDING), 1);
    EXPECT_EQ(program.Text(IDC_ZELK_TEXEL_BLENDING), "PixelShader v1.3");
    // Mixed processing offers the software shaders.
    EXPECT_EQ(program.Count(IDC_ZELK_SHADER_VERSION), 5);
    EXPECT_TRUE(program.Enabled(IDC_ZELK_ASSUME_OFOG));
    program.Press(PSBTN_OK);
    EXPECT_EQ(program.WaitForExit(), 0);

    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("primitive rendering"), "vertex convert function type"), 2u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("primitive rendering"), "texel blending function type"), 0x10000u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("primitive rendering"), "vertex shader version"), 1u);
    // The misc page was never opened: its clamped number was not applied.
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("card style"), "number of tmu"), 5u);
}

TEST_F(ProgramTest, UpDownChangesReachTheMiscPage)
{
    Configurator program;
    ASSERT_NE(program.Sheet(), nullptr);
    program.Select(3);
    ASSERT_EQ(program.CurrentIndex(), 3);
    // A combo without a selection is no change.
    program.Select(0);
    program.Choose(IDC_ZELK_PROCESSING_TYPE, -1);
    EXPECT_FALSE(program.ApplyEnabled());
    program.Select(3);
    const HWND spin = GetDlgItem(program.CurrentPage(), IDC_ZELK_FBI_MEMORY);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(LOWORD(SendMessageA(spin, UDM_GETPOS, 0, 0)), 4);
    EXPECT_FALSE(program.ApplyEnabled());
    SendMessageA(spin, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(spin, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(LOWORD(SendMessageA(spin, UDM_GETPOS, 0, 0)), 5);
    EXPECT_TRUE(program.ApplyEnabled());

    // Frame-buffer access off disables its boxes.
    program.Click(IDC_ZELK_ENABLE_LFB);
    EXPECT_FALSE(program.Enabled(IDC_ZELK_BACK_WRITING));
    EXPECT_FALSE(program.Checked(IDC_ZELK_BACK_WRITING));
    program.Press(PSBTN_OK);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("card style"), "fbi memory size"), 5u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("lfb accessing"), "enable lfb accessing"), 0u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("lfb accessing"), "enable back buffer writing"), 1u);
}

// An adapter ordinal that names no adapter keeps the whole tree: the sheet
// opens with the device page's lists disabled, and the renderer and texture
// pages refuse to open until "Default" chooses an adapter.
TEST_F(ProgramTest, MissingAdapterKeepsTheTreeAndRefusesTheDevicePages)
{
    zelktest::WriteHkcuValue(kRoot, "version", 165);
    zelktest::WriteHkcuValue(SubkeyPath("direct3d device setting"), "adapter ordinal", 7);
    zelktest::WriteHkcuValue(SubkeyPath("primitive rendering"), "vertex convert function type", 2);
    zelktest::WriteHkcuValue(SubkeyPath("texture setting"), "A8", 21);
    Tree before;
    {
        Configurator program;
        ASSERT_NE(program.Sheet(), nullptr);
        before = ReadTree();  // the misc page's new keys are complete now
        EXPECT_EQ(before.at("direct3d device setting").size(), 1u);
        EXPECT_EQ(before.at("primitive rendering").size(), 1u);
        EXPECT_FALSE(program.Enabled(IDC_ZELK_ADAPTER));
        program.Select(1);
        EXPECT_NE(program.CurrentIndex(), 1);
        EXPECT_NE(program.CurrentIndex(), 2);
        program.Select(0);
        // OK fails on the device page while no adapter is chosen.
        program.Press(PSBTN_OK);
        EXPECT_EQ(WaitForSingleObject(program.Process(), 1000), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the sheet closed without an adapter";
        EXPECT_EQ(ReadTree(), before);
        program.Press(PSBTN_CANCEL);
        EXPECT_EQ(program.WaitForExit(), 0);
    }
    EXPECT_EQ(ReadTree(), before);

    Configurator program;
    ASSERT_NE(program.Sheet(), nullptr);
    SendDlgItemMessageA(program.CurrentPage(), IDC_ZELK_DEFAULT, BM_CLICK, 0, 0);
    EXPECT_TRUE(program.Enabled(IDC_ZELK_ADAPTER));
    program.Select(2);
    ASSERT_EQ(program.CurrentIndex(), 2);
    EXPECT_EQ(program.Text(IDC_ZELK_TEX_A8), "A8R8G8B8");
    program.Press(PSBTN_OK);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("direct3d device setting"), "adapter ordinal"), 0u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("texture setting"), "A8"), 21u);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("primitive rendering"), "vertex convert function type"), 2u);
}

// Each page's picture shows its labels: every static label and check box
// caption has letters (pixels unlike the page's background) where the
// control sits.  The tabs carry the four captions in order.
TEST_F(ProgramTest, ScreenshotOfEveryPage)
{
    // A8 held for RGB 332, where it is offered after A8R8G8B8.
    zelktest::WriteHkcuValue(kRoot, "version", 165);
    zelktest::WriteHkcuValue(SubkeyPath("texture setting"), "R3G3B2", 28);
    Configurator program;
    ASSERT_NE(program.Sheet(), nullptr);
    SetWindowPos(program.Sheet(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    const std::vector<std::string> kTabs = {"D3DDevice", "Renderer", "Texture", "Misc"};
    EXPECT_EQ(program.TabCaptions(), kTabs);
    const char* const names[4] = {"configurator-d3ddevice", "configurator-renderer", "configurator-texture",
                                  "configurator-misc"};
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(names[index]);
        program.Select(index);
        ASSERT_EQ(program.CurrentIndex(), index);
        const Picture picture = program.Screenshot(names[index]);
        ASSERT_GT(picture.width, 0) << "the screenshot cannot be read";
        if (index == 2) {
            // A8R8G8B8 stands before A8 in the list: the label is matched whole.
            EXPECT_EQ(program.Text(IDC_ZELK_TEX_R3G3B2), "A8");
            EXPECT_EQ(program.Text(IDC_ZELK_TEX_A8), "A8L8");
        }
        RECT frame;
        GetWindowRect(program.CurrentPage(), &frame);
        ASSERT_TRUE(picture.Holds(frame));
        const unsigned long background = picture.CommonColour(frame);
        const std::vector<Label> labels = VisibleLabels(program.CurrentPage());
        EXPECT_GE(labels.size(), 3u);
        for (const Label& label : labels) {
            RECT inside;
            ASSERT_TRUE(IntersectRect(&inside, &label.area, &frame) && EqualRect(&inside, &label.area))
                << "'" << label.text << "' lies outside the page";
            int letters = 0;
            for (char c : label.text) {
                letters += c != ' ';
            }
            EXPECT_GE(picture.CountOther(label.area, background), 6 * letters)
                << "'" << label.text << "' is not in the picture";
        }
    }
    program.Press(PSBTN_CANCEL);
    EXPECT_EQ(program.WaitForExit(), 0);
}

// Version check: a tree of another layout loses its six subkeys and is
// rebuilt from the defaults; other values of the root stay.
TEST_F(ProgramTest, OtherVersionRebuildsTheSubkeys)
{
    zelktest::WriteHkcuValue(kRoot, "version", 164);
    zelktest::WriteHkcuValue(SubkeyPath("card style"), "number of tmu", 1);
    zelktest::WriteHkcuValue(SubkeyPath("misc") + "\\nested", "value", 1);
    zelktest::WriteHkcuValue(SubkeyPath("misc"), "stale", 1);
    {
        Configurator program;
        ASSERT_NE(program.Sheet(), nullptr);
        EXPECT_EQ(zelktest::ReadHkcuValue(kRoot, "version"), 165u);
        EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("card style"), "number of tmu"), 2u);
        EXPECT_FALSE(zelktest::HkcuKeyExists(SubkeyPath("misc") + "\\nested"));
        EXPECT_FALSE(zelktest::ReadHkcuValue(SubkeyPath("misc"), "stale").has_value());
        program.Press(PSBTN_CANCEL);
        EXPECT_EQ(program.WaitForExit(), 0);
    }
    // A version value wider than four bytes counts as missing.
    zelk::ZelkRegKey root;
    ASSERT_EQ(root.Open(HKEY_CURRENT_USER, kRoot), ERROR_SUCCESS);
    const unsigned char wide[8] = {165, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(RegSetValueExA(root.Handle(), "version", 0, REG_BINARY, wide, sizeof(wide)), ERROR_SUCCESS);
    zelktest::WriteHkcuValue(SubkeyPath("card style"), "number of tmu", 1);
    Configurator program;
    ASSERT_NE(program.Sheet(), nullptr);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("card style"), "number of tmu"), 2u);
    program.Press(PSBTN_CANCEL);
    EXPECT_EQ(program.WaitForExit(), 0);
}

// Without Direct3D the start fails: logged once, reported in a message box,
// a non-zero result, and the user's settings stay.
TEST_F(ProgramTest, FailedStartIsReportedAndKeepsTheTree)
{
    zelktest::WriteHkcuValue(kRoot, "version", 165);
    zelktest::WriteHkcuValue(SubkeyPath("card style"), "number of tmu", 1);
    zelk::ZelkD3D::DestroyD3D();
    zelktest::D3DProxy proxy;
    proxy.FailCall(zelktest::D3DCall::Direct3DCreate9, E_FAIL);

    int result = -1;
    DWORD threadId = 0;
    std::thread run([&] {
        threadId = GetCurrentThreadId();
        result = zelk::ConfiguratorWinMain(GetModuleHandleA(nullptr), nullptr, "", SW_SHOWNORMAL);
    });
    HWND box = nullptr;
    const bool shown = WaitFor([&] {
        box = FindWindowA("#32770", kCaption);
        return box != nullptr;
    });
    EXPECT_TRUE(shown) << "no message box";
    if (box) {
        char text[512] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        EXPECT_NE(std::string(text).find("Direct3DCreate9"), std::string::npos) << text;
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    }
    run.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(zelktest::ReadHkcuValue(SubkeyPath("card style"), "number of tmu"), 1u);
    const std::string log = zelktest::ReadFileText("vezoRerez.log");
    EXPECT_NE(log.find("ZelkD3D::ZelkD3D"), std::string::npos) << log;
    EXPECT_EQ(log.find("Function name"), log.rfind("Function name")) << "logged more than once:\n" << log;
}

// What the sheet writes is what the library reads: its settings reader,
// started on the tree the program left, finds every choice made in it.
TEST_F(ProgramTest, LibraryReadsWhatTheSheetWrote)
{
    {
        Configurator program;
        ASSERT_NE(program.Sheet(), nullptr);
        program.Choose(IDC_ZELK_PROCESSING_TYPE, 2);       // MixedTnL
        program.Click(IDC_ZELK_USE_WINDOW_MODE);           // full screen
        program.Choose(IDC_ZELK_DISPLAY_FORMAT, 1);        // X8R8G8B8 on X8R8G8B8
        program.Choose(IDC_ZELK_DEPTH_FORMAT, 2);          // D24X8
        EXPECT_EQ(program.Text(IDC_ZELK_DISPLAY_FORMAT), "  X8R8G8B8   X8R8G8B8");
        program.Select(1);
        program.Choose(IDC_ZELK_VERTEX_CONVERT, 2);
        program.Choose(IDC_ZELK_SHADER_VERSION, 3);
        EXPECT_EQ(program.Text(IDC_ZELK_SHADER_VERSION), "v2.x software");
        program.Click(IDC_ZELK_BACKGROUND_THREAD);
        program.Select(2);
        program.Choose(IDC_ZELK_TEX_A8, 0);
        EXPECT_EQ(program.Text(IDC_ZELK_TEX_A8), "A8R8G8B8");
        program.Click(IDC_ZELK_FORCE_ANISOTROPIC);
        program.Select(3);
        SendDlgItemMessageA(program.CurrentPage(), IDC_ZELK_TMU_MEMORY, WM_KEYDOWN, VK_UP, 0);
        program.Click(IDC_ZELK_ENABLE_SLI);
        program.Click(IDC_ZELK_RENDERING_STATISTICS);
        program.Click(IDC_ZELK_DEPTH_READING);
        program.Press(PSBTN_OK);
        ASSERT_EQ(program.WaitForExit(), 0);
    }

    zelk::ZelkD3D::DestroyD3D();
    const zelk::ZelkGlideSettings settings = zelk::ReadGlideSettings();
    EXPECT_EQ(settings.adapterOrdinal, 0u);
    EXPECT_EQ(settings.vertexConvertType, 2u);
    EXPECT_EQ(settings.texelBlendingType, 0x10000u);
    EXPECT_EQ(settings.renderer.vertexShaderVersion, 4u);
    EXPECT_EQ(settings.renderer.useBackgroundThread, 1);
    EXPECT_EQ(settings.renderer.useTriangleStrip, 1);
    EXPECT_EQ(settings.renderer.assumeOFogValid, 1);
    EXPECT_EQ(settings.renderer.displayStatistics, 1);
    EXPECT_EQ(settings.renderer.maxQueueSize, 16u);
    EXPECT_EQ(settings.forceAnisotropicMin, 1);
    EXPECT_EQ(settings.forceAnisotropicMag, 1);
    EXPECT_EQ(settings.texture.createMipmap, 1);
    // Glide format codes: 0 RGB 332, 2 alpha 8, 5 palette 8, 14 alpha-palette 88.
    EXPECT_EQ(settings.texture.format[0], 23u);
    EXPECT_EQ(settings.texture.format[2], 21u);
    EXPECT_EQ(settings.texture.format[5], 22u);
    EXPECT_EQ(settings.texture.format[14], 21u);
    EXPECT_EQ(settings.tmuCount, 2u);
    EXPECT_EQ(settings.fbiMemorySize, 4u);
    EXPECT_EQ(settings.tmuMemorySize, 5u);
    EXPECT_EQ(settings.enableSli, 1);
    EXPECT_EQ(settings.enableLfbAccessing, 1);
    EXPECT_EQ(settings.lfb.readDepth, 1);
    EXPECT_EQ(settings.lfb.writeBack, 1);

    // The device choice went into the enumeration records.
    zelk::ZelkD3D* enumeration = zelk::ZelkD3D::GetD3D();
    ASSERT_NE(enumeration, nullptr);
    const zelk::ZelkD3DAdapterInfo& adapter = *enumeration->GetAdapterInfo(0);
    ASSERT_EQ(adapter.selectedDeviceIndex, 0);
    const zelk::ZelkD3DDeviceInfo& device = adapter.devices[0];
    EXPECT_EQ(device.behaviorFlags.at(static_cast<size_t>(device.selectedBehaviorIndex)), 0x80u);
    EXPECT_FALSE(device.selectedWindowed);
    ASSERT_EQ(device.selectedFullScreenFormatIndex, 1);
    const zelk::ZelkD3DFormatInfo& format = device.fullScreenFormats[1];
    EXPECT_EQ(format.backBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(format.depthStencilFormats.at(static_cast<size_t>(format.selectedDepthStencilFormatIndex)),
              D3DFMT_D24X8);
    zelk::ZelkD3D::DestroyD3D();
}

// OK on the first page leaves "no choice yet" in every texture slot; a
// device opened on that tree gives each convertible Glide format a format
// the device has, and says so once for each.
TEST_F(ProgramTest, LibraryResolvesTheTextureFormatsOfAFreshTree)
{
    {
        Configurator program;
        ASSERT_NE(program.Sheet(), nullptr);
        program.Press(PSBTN_OK);
        ASSERT_EQ(program.WaitForExit(), 0);
    }
    zelk::ZelkD3D::DestroyD3D();
    const zelk::ZelkGlideSettings settings = zelk::ReadGlideSettings();
    EXPECT_EQ(settings.texture.format[5], 1002u);
    EXPECT_EQ(settings.texture.format[1], 1002u);

    zelktest::TestWindow window(64, 64, "fresh tree");
    IDirect3D9Ptr d3d;
    d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d != nullptr);
    IDirect3DDevice9Ptr device;
    ASSERT_EQ(zelktest::CreateTestDevice(d3d, window.Handle(), 64, 64, device), D3D_OK);
    const zelk::ZelkGrTextureManager manager(device, nullptr, settings.texture);
    // By Glide format code, on Wine's windowed X8R8G8B8 device: no R3G3B2,
    // A4L4, A8R3G3B2, P8 or A8P8 textures; the YIQ and reserved codes have
    // none.
    const std::uint32_t resolved[16] = {23, 0, 51, 50, 51, 22, 0, 0, 21, 0, 23, 25, 26, 51, 21, 0};
    for (int code = 0; code < 16; ++code) {
        EXPECT_EQ(manager.settings.format[code], resolved[code]) << "Glide format " << code;
    }
    const std::string log = zelktest::ReadFileText("vezoRerez.log");
    int replaced = 0;
    for (size_t at = log.find("is used in its place."); at != std::string::npos;
         at = log.find("is used in its place.", at + 1)) {
        ++replaced;
    }
    EXPECT_EQ(replaced, 11) << log;
}

}  // namespace
