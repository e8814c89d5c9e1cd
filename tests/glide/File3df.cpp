// The 3DF reader: the genuine files of the test data, texels and tables
// checked against the file bytes, header variants, and truncated and
// corrupted copies that must be refused without reading past the bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/TextureFiles.h"
#include "glide/ZelkGr3dfFile.h"

namespace {

using zelk::ZelkGr3dfFile;
using zelktest::ReadBytes;
using zelktest::TestFile3df;

constexpr BYTE kSentinel = 0xA5;
constexpr size_t kGuard = 64;

// The header fields and memory size a case expects.
template <typename Expected>
void ExpectHeader(const Gu3dfInfo& info, const Expected& expected)
{
    EXPECT_EQ(info.header.format, expected.format);
    EXPECT_EQ(info.header.small_lod, expected.smallLod);
    EXPECT_EQ(info.header.large_lod, expected.largeLod);
    EXPECT_EQ(info.header.aspect_ratio, expected.aspect);
    EXPECT_EQ(info.header.width, expected.width);
    EXPECT_EQ(info.header.height, expected.height);
    EXPECT_EQ(info.mem_required, expected.memRequired);
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<BYTE> Bytes(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

// A record filled with a pattern, to see what a call writes.
Gu3dfInfo PatternRecord()
{
    Gu3dfInfo info;
    std::memset(&info, 0xCD, sizeof info);
    return info;
}

// A texel buffer with guard bytes behind it.
struct TexelBuffer {
    explicit TexelBuffer(size_t size) : bytes(size + kGuard, kSentinel), size(size) {}
    bool GuardIntact() const
    {
        for (size_t i = size; i < bytes.size(); ++i) {
            if (bytes[i] != kSentinel) {
                return false;
            }
        }
        return true;
    }
    bool Untouched() const { return GuardIntact() && bytes[0] == kSentinel && bytes[size - 1] == kSentinel; }
    std::vector<BYTE> bytes;
    size_t size;
};

struct GenuineFile {
    const char* name;
    GrTextureFormat_t format;
    int smallLod, largeLod;
    GrAspectRatio_t aspect;
    FxU32 width, height, memRequired;
    size_t bodyOffset;  // the header's bytes
    size_t tableBytes;  // in the file
    size_t missing;     // texel bytes the file lacks at its end
    FxU32 firstTexel, lastTexel;
};

// Sizes worked out from the headers: a 256 chain holds 87381 texels, a 64
// chain 5461; the first and last texels are read off the file bytes.
const GenuineFile kGenuineFiles[] = {
    {"alpha.3df", 2, 8, 0, 3, 256, 256, 87381, 47, 0, 0, 0x00, 0x52},
    {"argb1555.3df", 11, 8, 0, 3, 256, 256, 174762, 53, 0, 0, 0x294B, 0x28C7},
    {"argb4444.3df", 12, 8, 0, 3, 256, 256, 174762, 53, 0, 0, 0x0555, 0x0533},
    {"rgb565.3df", 10, 8, 0, 3, 256, 256, 174762, 51, 0, 0, 0x528B, 0x51A7},
    {"light.3df", 10, 8, 2, 3, 64, 64, 10922, 50, 0, 0, 0x39E7, 0x630C},
    // These three copies, written by the SDK's own tools, lack bytes at
    // their ends: they load with the missing texels zero.
    {"lava.3df", 5, 8, 0, 3, 256, 256, 87381, 47, 1024, 2, 0x10, 0},
    {"ap88.3df", 14, 8, 0, 3, 256, 256, 174762, 49, 1024, 1932, 0x002C, 0},
    {"yiq.3df", 1, 8, 0, 3, 256, 256, 87381, 48, 80, 190, 0x66, 0},
};

FxU32 TexelAt(const BYTE* data, bool sixteen, size_t index)
{
    return sixteen ? *reinterpret_cast<const FxU16*>(data + 2 * index) : data[index];
}

TEST(File3df, GenuineFilesReadAsTheirBytesSay)
{
    for (const GenuineFile& f : kGenuineFiles) {
        SCOPED_TRACE(f.name);
        const std::string path = TestFile3df(f.name);
        const std::vector<BYTE> file = ReadBytes(path);
        ASSERT_FALSE(file.empty());

        Gu3dfInfo info = PatternRecord();
        ASSERT_EQ(ZelkGr3dfFile::GetInfo(path.c_str(), &info), 1);
        ExpectHeader(info, f);
        EXPECT_EQ(info.data, nullptr);
        EXPECT_EQ(info.table.palette.data[0], 0u);

        TexelBuffer buffer(info.mem_required);
        info.data = buffer.bytes.data();
        const bool sixteen = f.format >= 8;
        ASSERT_EQ(file.size(), f.bodyOffset + f.tableBytes + f.memRequired - f.missing);
        ASSERT_EQ(ZelkGr3dfFile::Load(path.c_str(), &info), 1);
        EXPECT_TRUE(buffer.GuardIntact()) << "written past mem_required";
        const BYTE* data = buffer.bytes.data();
        const size_t texels = sixteen ? f.memRequired / 2 : f.memRequired;
        EXPECT_EQ(TexelAt(data, sixteen, 0), f.firstTexel);
        EXPECT_EQ(TexelAt(data, sixteen, texels - 1), f.lastTexel);
        // Every texel: big-endian in the file for the 16-bit formats, and
        // zero where the file has ended.
        const size_t bodyStart = f.bodyOffset + f.tableBytes;
        const auto fileByte = [&](size_t i) -> FxU32 {
            return bodyStart + i < file.size() ? file[bodyStart + i] : 0u;
        };
        size_t mismatches = 0;
        for (size_t i = 0; i < texels; ++i) {
            const FxU32 expected = sixteen ? (fileByte(2 * i) << 8) | fileByte(2 * i + 1) : fileByte(i);
            mismatches += TexelAt(data, sixteen, i) != expected;
        }
        EXPECT_EQ(mismatches, 0u);
        size_t zeroTail = 0;
        while (zeroTail < f.memRequired && data[f.memRequired - 1 - zeroTail] == 0) {
            ++zeroTail;
        }
        EXPECT_GE(zeroTail, f.missing);
    }
}

// The short copies made whole again with zero texels at their ends, so that
// their tables can be checked.
std::string CompletedCopy(const GenuineFile& f)
{
    std::vector<BYTE> bytes = ReadBytes(TestFile3df(f.name));
    bytes.resize(f.bodyOffset + f.tableBytes + f.memRequired, 0);
    const std::string path = std::string("whole_") + f.name;
    WriteBytes(path, bytes);
    return path;
}

TEST(File3df, NccTableExpandsFromItsBigEndianForm)
{
    const std::string path = CompletedCopy(kGenuineFiles[7]);
    Gu3dfInfo info = PatternRecord();
    ASSERT_EQ(ZelkGr3dfFile::GetInfo(path.c_str(), &info), 1);
    TexelBuffer buffer(info.mem_required);
    info.data = buffer.bytes.data();
    ASSERT_EQ(ZelkGr3dfFile::Load(path.c_str(), &info), 1);

    const GuNccTable& ncc = info.table.nccTable;
    const FxU8 y[16] = {0x01, 0x1F, 0x2B, 0x34, 0x45, 0x46, 0x58, 0x6B,
                        0x73, 0x8D, 0xA6, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    const FxI16 i[4][3] = {{0x020, 0x001, 0x003}, {0x1F5, 0x1F6, 0x1F6}, {0x003, 0x000, 0x003}, {0x1F9, 0x1EC, 0x1F6}};
    const FxI16 q[4][3] = {{0x1FE, 0x1F2, 0x1F4}, {0x012, 0x1FA, 0x1FC}, {0x1FF, 0x1FF, 0x004}, {0x001, 0x1F8, 0x1FE}};
    const FxU32 packed[12] = {0x342B1F01, 0x6B584645, 0xBBA68D73, 0xFFEEDDCC, 0x00800203, 0x07D7EDF6,
                              0x000C0003, 0x07E7D9F6, 0x07FBE5F4, 0x004BF5FC, 0x07FFFE04, 0x0007F1FE};
    EXPECT_EQ(std::memcmp(ncc.yRGB, y, sizeof y), 0);
    EXPECT_EQ(std::memcmp(ncc.iRGB, i, sizeof i), 0);
    EXPECT_EQ(std::memcmp(ncc.qRGB, q, sizeof q), 0);
    EXPECT_EQ(std::memcmp(ncc.packed_data, packed, sizeof packed), 0);
    // The texels follow the 80 bytes of the table.
    EXPECT_EQ(buffer.bytes[0], 0x66);
    EXPECT_EQ(buffer.bytes[1], 0x6A);
}

TEST(File3df, PaletteEntriesAreBigEndian)
{
    struct Case {
        const GenuineFile& file;
        FxU32 entry0, entry1;
    } cases[] = {{kGenuineFiles[5], 0x00B50808, 0x00FF7310}, {kGenuineFiles[6], 0x003A1919, 0x005A4242}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.name);
        const std::string path = CompletedCopy(c.file);
        Gu3dfInfo info = PatternRecord();
        ASSERT_EQ(ZelkGr3dfFile::GetInfo(path.c_str(), &info), 1);
        TexelBuffer buffer(info.mem_required);
        info.data = buffer.bytes.data();
        ASSERT_EQ(ZelkGr3dfFile::Load(path.c_str(), &info), 1);
        EXPECT_EQ(info.table.palette.data[0], c.entry0);
        EXPECT_EQ(info.table.palette.data[1], c.entry1);
        EXPECT_EQ(TexelAt(buffer.bytes.data(), c.file.format >= 8, 0), c.file.firstTexel);
        EXPECT_TRUE(buffer.GuardIntact());
    }
}

// Header bytes placed at the very end of a readable page, with a page that
// cannot be read behind them: a parser that looks past the bytes faults.
class PageEnd {
public:
    PageEnd()
    {
        SYSTEM_INFO system = {};
        GetSystemInfo(&system);
        page_ = system.dwPageSize;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
    }
    ~PageEnd() { VirtualFree(base_, 0, MEM_RELEASE); }
    const BYTE* Place(const std::string& text)
    {
        BYTE* at = base_ + page_ - text.size();
        std::memcpy(at, text.data(), text.size());
        return at;
    }

private:
    DWORD page_ = 0;
    BYTE* base_ = nullptr;
};

TEST(File3df, HeaderVariants)
{
    struct Case {
        const char* what;
        std::string text;
        bool accepted;
        int smallLod = 0, largeLod = 0;
        GrAspectRatio_t aspect = 0;
        GrTextureFormat_t format = 0;
        FxU32 width = 0, height = 0, memRequired = 0;
    };
    const Case cases[] = {
        {"plain", "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n", true, 8, 0, 3, 10, 256, 256, 174762},
        // Levels narrower than the aspect count the texels they hold:
        // 8192 + 2048 + 512 + 128 + 32 + 8 + 4 + 2 + 1 texels of 2 bytes.
        {"wide", "3df v1.0\nrgb565\nlod range: 1 256\naspect ratio: 8 1\n", true, 8, 0, 0, 10, 256, 32, 21854},
        {"tall", "3df v1.0\nrgb565\nlod range: 1 256\naspect ratio: 1 8\n", true, 8, 0, 6, 10, 32, 256, 21854},
        {"2x1 p8", "3df v1.1\np8\nlod range: 8 64\naspect ratio: 2 1\n", true, 5, 2, 2, 5, 64, 32,
         2048 + 512 + 128 + 32},
        {"capitals", "3DF V1.1\nRGB565\nLOD RANGE: 1 256\nASPECT RATIO: 1 1\n", true, 8, 0, 3, 10, 256, 256, 174762},
        {"carriage returns", "3df v1.1\r\nargb1555\r\nlod range: 1 256\r\naspect ratio: 1 1\r\n", true, 8, 0, 3, 11,
         256, 256, 174762},
        {"unreadable numbers", "3df v1.1\nai88\nlod range: x y\naspect ratio: z\n", true, 8, 8, 3, 13, 1, 1, 2},
        {"32-bit format", "3df v1.1\nargb8888\nlod range: 1 256\naspect ratio: 1 1\n", false},
        {"unknown format", "3df v1.1\nrgb566\nlod range: 1 256\naspect ratio: 1 1\n", false},
        {"long version", "3df v1.10\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n", false},
        {"bad magic", "3dg v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n", false},
        {"no colon", "3df v1.1\nrgb565\nlod range 1 256\naspect ratio: 1 1\n", false},
        {"long aspect line", "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio:   1   1\n", false},
        {"no last line end", "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1", false},
        {"three lines", "3df v1.1\nrgb565\nlod range: 1 256\n", false},
        {"empty", "", false},
    };
    PageEnd page;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Gu3dfInfo info = PatternRecord();
        const Gu3dfInfo before = info;
        const FxBool result = zelk::Parse3dfHeader(page.Place(c.text), c.text.size(), &info);
        if (!c.accepted) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
            continue;
        }
        ASSERT_EQ(result, 1);
        ExpectHeader(info, c);
    }
}

// Copies cut inside the header or the colour table are refused with the
// buffer untouched; copies cut inside the texels load, the texels the copy
// holds as in the file and the rest zero, nothing written past mem_required.
TEST(File3df, TruncatedAndCorruptedCopies)
{
    struct Case {
        const char* file;
        const char* what;
        size_t length;
        bool headerReads;
        bool loads;
        FxU32 firstTexel, lastTexel;  // 16-bit values for rgb565, bytes for lava
    } cases[] = {
        {"rgb565.3df", "one byte", 1, false, false, 0, 0},
        {"rgb565.3df", "inside line 3", 30, false, false, 0, 0},
        {"rgb565.3df", "before the last line end", 50, false, false, 0, 0},
        {"rgb565.3df", "header only", 51, true, true, 0x0000, 0x0000},
        {"rgb565.3df", "half a texel", 52, true, true, 0x5200, 0x0000},
        {"rgb565.3df", "one texel", 53, true, true, 0x528B, 0x0000},
        {"rgb565.3df", "half the last texel", 174812, true, true, 0x528B, 0x5100},
        // lava.3df: a 1024-byte palette from byte 47 on.
        {"lava.3df", "inside the palette", 47 + 1000, true, false, 0, 0},
        {"lava.3df", "one byte before the texels", 47 + 1023, true, false, 0, 0},
        {"lava.3df", "palette whole, no texels", 47 + 1024, true, true, 0x00, 0x00},
        {"lava.3df", "one texel", 47 + 1025, true, true, 0x10, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ": " + c.what);
        const std::vector<BYTE> genuine = ReadBytes(TestFile3df(c.file));
        ASSERT_GT(genuine.size(), c.length);
        WriteBytes("cut.3df", std::vector<BYTE>(genuine.begin(), genuine.begin() + c.length));
        Gu3dfInfo info = PatternRecord();
        EXPECT_EQ(ZelkGr3dfFile::GetInfo("cut.3df", &info), c.headerReads ? 1 : 0);
        // Load with the record of the whole file.
        ASSERT_EQ(ZelkGr3dfFile::GetInfo(TestFile3df(c.file).c_str(), &info), 1);
        TexelBuffer buffer(info.mem_required);
        info.data = buffer.bytes.data();
        if (!c.loads) {
            EXPECT_EQ(ZelkGr3dfFile::Load("cut.3df", &info), 0);
            EXPECT_TRUE(buffer.Untouched());
            continue;
        }
        ASSERT_EQ(ZelkGr3dfFile::Load("cut.3df", &info), 1);
        EXPECT_TRUE(buffer.GuardIntact()) << "written past mem_required";
        const bool sixteen = info.header.format >= 8;
        const size_t texels = sixteen ? info.mem_required / 2 : info.mem_required;
        EXPECT_EQ(TexelAt(buffer.bytes.data(), sixteen, 0), c.firstTexel);
        EXPECT_EQ(TexelAt(buffer.bytes.data(), sixteen, texels - 1), c.lastTexel);
        size_t nonZero = 0;
        for (size_t i = 1; i + 1 < texels; ++i) {
            nonZero += TexelAt(buffer.bytes.data(), sixteen, i) != 0;
        }
        // Only the one-byte-short copy holds texels between its first and last.
        EXPECT_EQ(nonZero > 0, c.length == 174812u) << nonZero;
    }

    const std::vector<BYTE> genuine = ReadBytes(TestFile3df("rgb565.3df"));
    ASSERT_EQ(genuine.size(), 174813u);

    // An empty file cannot be mapped.
    WriteBytes("empty.3df", {});
    Gu3dfInfo info = PatternRecord();
    EXPECT_EQ(ZelkGr3dfFile::GetInfo("empty.3df", &info), 0);

    // A damaged format name.
    std::vector<BYTE> damaged = genuine;
    damaged[10] = 'x';
    WriteBytes("damaged.3df", damaged);
    EXPECT_EQ(ZelkGr3dfFile::GetInfo("damaged.3df", &info), 0);
    ASSERT_EQ(ZelkGr3dfFile::GetInfo(TestFile3df("rgb565.3df").c_str(), &info), 1);
    TexelBuffer buffer(info.mem_required);
    info.data = buffer.bytes.data();
    EXPECT_EQ(ZelkGr3dfFile::Load("damaged.3df", &info), 0);
    EXPECT_TRUE(buffer.Untouched());
}

TEST(File3df, BodyStartsRightAfterTheFourthLine)
{
    // The genuine body behind a header with carriage returns.
    const std::vector<BYTE> genuine = ReadBytes(TestFile3df("rgb565.3df"));
    std::vector<BYTE> bytes = Bytes("3df v1.1\r\nrgb565\r\nlod range: 1 256\r\naspect ratio: 1 1\r\n");
    bytes.insert(bytes.end(), genuine.begin() + 51, genuine.end());
    WriteBytes("crlf.3df", bytes);

    Gu3dfInfo info = PatternRecord();
    ASSERT_EQ(ZelkGr3dfFile::GetInfo("crlf.3df", &info), 1);
    TexelBuffer buffer(info.mem_required);
    info.data = buffer.bytes.data();
    ASSERT_EQ(ZelkGr3dfFile::Load("crlf.3df", &info), 1);
    EXPECT_EQ(TexelAt(buffer.bytes.data(), true, 0), 0x528Bu);
    EXPECT_EQ(TexelAt(buffer.bytes.data(), true, 174762 / 2 - 1), 0x51A7u);
    EXPECT_TRUE(buffer.GuardIntact());
}

TEST(File3df, MissingArgumentsAndFilesGiveZero)
{
    const std::string path = TestFile3df("rgb565.3df");
    Gu3dfInfo info = PatternRecord();
    EXPECT_EQ(ZelkGr3dfFile::GetInfo(nullptr, &info), 0);
    EXPECT_EQ(ZelkGr3dfFile::GetInfo(path.c_str(), nullptr), 0);
    EXPECT_EQ(ZelkGr3dfFile::GetInfo("missing.3df", &info), 0);
    EXPECT_EQ(ZelkGr3dfFile::Load(nullptr, &info), 0);
    EXPECT_EQ(ZelkGr3dfFile::Load(path.c_str(), nullptr), 0);

    ASSERT_EQ(ZelkGr3dfFile::GetInfo(path.c_str(), &info), 1);
    EXPECT_EQ(ZelkGr3dfFile::Load(path.c_str(), &info), 0);  // no buffer
    TexelBuffer buffer(info.mem_required);
    info.data = buffer.bytes.data();
    info.mem_required = 0;
    EXPECT_EQ(ZelkGr3dfFile::Load(path.c_str(), &info), 0);
    info.header.format = 15;
    info.mem_required = 2;
    EXPECT_EQ(ZelkGr3dfFile::Load(path.c_str(), &info), 0);
    EXPECT_TRUE(buffer.Untouched());
}

}  // namespace
