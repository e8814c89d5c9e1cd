#include "glide/ZelkGr3dfFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "glide/ZelkGrTextureSize.h"

namespace zelk {

namespace {

const char* const kVersionWord = "3df v";
const char* const kLodRangeWord = "lod range:";
const char* const kAspectRatioWord = "aspect ratio:";

// Each header line, without its line end, holds at most these bytes.
constexpr size_t kVersionLineMax = 8;
constexpr size_t kFormatLineMax = 8;
constexpr size_t kLodRangeLineMax = 19;
constexpr size_t kAspectRatioLineMax = 17;

// The NCC table of the YIQ formats: 16 Y, 12 I and 12 Q big-endian values.
constexpr size_t kNccFileBytes = 80;
// The palette: 256 big-endian entries.
constexpr size_t kPaletteFileBytes = 1024;

struct FormatName {
    const char* name;
    FxU32 format;
};

const FormatName kFormatNames[] = {
    {"rgb332", 0},   {"yiq", 1},       {"a8", 2},        {"i8", 3},        {"ai44", 4},
    {"p8", 5},       {"argb8332", 8},  {"ayiq8422", 9},  {"rgb565", 10},   {"argb1555", 11},
    {"argb4444", 12}, {"ai88", 13},    {"ap88", 14},
};

// One header line: its text without the line end, and where the next line
// begins.
struct HeaderLine {
    const char* text;
    size_t length;
    size_t next;
};

// Takes the line at offset: it must end with a line feed (a carriage return
// before it is accepted) and hold at most maxLength bytes before its end.
bool TakeLine(const BYTE* bytes, size_t size, size_t offset, size_t maxLength, HeaderLine& line)
{
    const size_t limit = offset + maxLength + 2;  // text, carriage return, line feed
    for (size_t at = offset; at < size && at < limit; ++at) {
        if (bytes[at] != '\n') {
            continue;
        }
        size_t length = at - offset;
        if (length > 0 && bytes[at - 1] == '\r') {
            --length;
        }
        if (length > maxLength) {
            return false;
        }
        line = {reinterpret_cast<const char*>(bytes + offset), length, at + 1};
        return true;
    }
    return false;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithWord(const HeaderLine& line, const char* word)
{
    const size_t length = std::strlen(word);
    if (line.length < length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (Lower(line.text[i]) != word[i]) {
            return false;
        }
    }
    return true;
}

bool FindFormat(const HeaderLine& line, FxU32& format)
{
    for (const FormatName& entry : kFormatNames) {
        const size_t length = std::strlen(entry.name);
        if (line.length == length && StartsWithWord(line, entry.name)) {
            format = entry.format;
            return true;
        }
    }
    return false;
}

// The two integers after the line's word; an integer that cannot be read
// keeps the value 1.
void ReadTwoIntegers(const HeaderLine& line, size_t wordLength, int& first, int& second)
{
    char text[32] = {};
    const size_t length = line.length - wordLength;
    std::memcpy(text, line.text + wordLength, length < sizeof text - 1 ? length : sizeof text - 1);
    first = 1;
    second = 1;
    std::sscanf(text, "%d %d", &first, &second);
}

FxU32 LodOfEdge(int edge)
{
    for (FxU32 lod = 0; lod < 8; ++lod) {
        if (edge == static_cast<int>(256u >> lod)) {
            return lod;
        }
    }
    return 8;
}

FxU32 AspectOf(int width, int height)
{
    switch (width) {
    case 8:
        return 0;
    case 4:
        return 1;
    case 2:
        return 2;
    case 1:
        return height == 2 ? 4 : height == 4 ? 5 : height == 8 ? 6 : 3;
    default:
        return 3;
    }
}

struct ParsedHeader {
    Gu3dfHeader header;
    FxU32 memRequired;
    size_t bodyOffset;
};

bool ParseHeader(const BYTE* bytes, size_t size, ParsedHeader& parsed)
{
    if (bytes == nullptr) {
        return false;
    }
    HeaderLine version = {}, name = {}, lodRange = {}, aspectRatio = {};
    FxU32 format = 0;
    if (!TakeLine(bytes, size, 0, kVersionLineMax, version) || !StartsWithWord(version, kVersionWord) ||
        !TakeLine(bytes, size, version.next, kFormatLineMax, name) || !FindFormat(name, format) ||
        !TakeLine(bytes, size, name.next, kLodRangeLineMax, lodRange) ||
        !StartsWithWord(lodRange, kLodRangeWord) ||
        !TakeLine(bytes, size, lodRange.next, kAspectRatioLineMax, aspectRatio) ||
        !StartsWithWord(aspectRatio, kAspectRatioWord)) {
        return false;
    }
    int smallEdge = 1, largeEdge = 1, aspectWidth = 1, aspectHeight = 1;
    ReadTwoIntegers(lodRange, std::strlen(kLodRangeWord), smallEdge, largeEdge);
    ReadTwoIntegers(aspectRatio, std::strlen(kAspectRatioWord), aspectWidth, aspectHeight);

    Gu3dfHeader& header = parsed.header;
    header.small_lod = static_cast<int>(LodOfEdge(smallEdge));
    header.large_lod = static_cast<int>(LodOfEdge(largeEdge));
    header.aspect_ratio = static_cast<GrAspectRatio_t>(AspectOf(aspectWidth, aspectHeight));
    header.format = static_cast<GrTextureFormat_t>(format);
    const ZelkGrLevelSize level = GrLevelSize(static_cast<uint32_t>(header.large_lod), header.aspect_ratio);
    header.width = level.width;
    header.height = level.height;
    parsed.memRequired = Calc3dfMemRequired(format, kGrMaskBoth, static_cast<FxU32>(header.small_lod),
                                            static_cast<FxU32>(header.large_lod),
                                            static_cast<FxU32>(header.aspect_ratio));
    parsed.bodyOffset = aspectRatio.next;
    return true;
}

bool IsFileFormat(FxU32 format)
{
    for (const FormatName& entry : kFormatNames) {
        if (entry.format == format) {
            return true;
        }
    }
    return false;
}

size_t TableBytes(FxU32 format)
{
    switch (format) {
    case 1:
    case 9:
        return kNccFileBytes;
    case 5:
    case 14:
        return kPaletteFileBytes;
    default:
        return 0;
    }
}

FxU32 BigEndian16(const BYTE* at)
{
    return (static_cast<FxU32>(at[0]) << 8) | at[1];
}

// Expands the file's 80-byte table into the record's NCC table: the low
// byte of each Y, the low nine bits of each I and Q, and the packed words.
void ExpandNccTable(const BYTE* at, GuNccTable& table)
{
    for (int i = 0; i < 16; ++i) {
        table.yRGB[i] = static_cast<FxU8>(BigEndian16(at + 2 * i) & 0xFF);
    }
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < 3; ++c) {
            table.iRGB[k][c] = static_cast<FxI16>(BigEndian16(at + 32 + 2 * (3 * k + c)) & 0x1FF);
            table.qRGB[k][c] = static_cast<FxI16>(BigEndian16(at + 56 + 2 * (3 * k + c)) & 0x1FF);
        }
    }
    for (int k = 0; k < 4; ++k) {
        table.packed_data[k] = static_cast<FxU32>(table.yRGB[4 * k]) |
                               (static_cast<FxU32>(table.yRGB[4 * k + 1]) << 8) |
                               (static_cast<FxU32>(table.yRGB[4 * k + 2]) << 16) |
                               (static_cast<FxU32>(table.yRGB[4 * k + 3]) << 24);
        table.packed_data[4 + k] = (static_cast<FxU32>(table.iRGB[k][0]) << 18) |
                                   (static_cast<FxU32>(table.iRGB[k][1]) << 9) |
                                   static_cast<FxU32>(table.iRGB[k][2]);
        table.packed_data[8 + k] = (static_cast<FxU32>(table.qRGB[k][0]) << 18) |
                                   (static_cast<FxU32>(table.qRGB[k][1]) << 9) |
                                   static_cast<FxU32>(table.qRGB[k][2]);
    }
}

void ReadPalette(const BYTE* at, GuTexPalette& palette)
{
    for (int i = 0; i < 256; ++i) {
        const BYTE* entry = at + 4 * i;
        palette.data[i] = (static_cast<FxU32>(entry[0]) << 24) | (static_cast<FxU32>(entry[1]) << 16) |
                          (static_cast<FxU32>(entry[2]) << 8) | entry[3];
    }
}

}  // namespace

FxBool Parse3dfHeader(const BYTE* bytes, size_t size, Gu3dfInfo* info)
{
    ParsedHeader parsed = {};
    if (info == nullptr || !ParseHeader(bytes, size, parsed)) {
        return 0;
    }
    std::memset(info, 0, sizeof *info);
    info->header = parsed.header;
    info->mem_required = parsed.memRequired;
    return 1;
}

FxU32 Calc3dfMemRequired(FxU32 format, FxU32 mask, FxU32 smallLod, FxU32 largeLod, FxU32 aspect)
{
    if (!IsGrLod(smallLod) || !IsGrLod(largeLod) || smallLod < largeLod) {
        return 0;
    }
    FxU32 sum = 0;
    for (FxU32 lod = largeLod; lod <= smallLod; ++lod) {
        if (GrLodInMask(lod, mask)) {
            sum += GrLevelDataBytes(lod, aspect, format);
        }
    }
    return sum;
}

FxBool Load3dfData(const BYTE* bytes, size_t size, Gu3dfInfo* info)
{
    if (info == nullptr || info->data == nullptr || info->mem_required == 0) {
        return 0;
    }
    const FxU32 format = static_cast<FxU32>(info->header.format);
    ParsedHeader parsed = {};
    if (!IsFileFormat(format) || !ParseHeader(bytes, size, parsed)) {
        return 0;
    }
    const size_t tableBytes = TableBytes(format);
    const size_t texelBytes = info->mem_required;
    if (parsed.bodyOffset > size || size - parsed.bodyOffset < tableBytes) {
        return 0;
    }
    // Files written by the SDK's own tools may end a little before their
    // last texels; the texels the file holds are copied and the rest of the
    // buffer is zero, as those files have always loaded.  Nothing past the
    // file's end is read.
    const size_t heldBytes = std::min(texelBytes, size - parsed.bodyOffset - tableBytes);

    const BYTE* at = bytes + parsed.bodyOffset;
    if (tableBytes == kNccFileBytes) {
        ExpandNccTable(at, info->table.nccTable);
    } else if (tableBytes == kPaletteFileBytes) {
        ReadPalette(at, info->table.palette);
    }
    at += tableBytes;

    BYTE* data = static_cast<BYTE*>(info->data);
    size_t written = heldBytes;
    if (GrTexelBytes(format) == 2) {
        // Big-endian texels become the machine's 16-bit values.
        size_t i = 0;
        for (; i + 1 < heldBytes; i += 2) {
            data[i] = at[i + 1];
            data[i + 1] = at[i];
        }
        if (i < heldBytes) {
            if (i + 1 < texelBytes) {
                // The file ends inside a texel: it holds the high byte.
                data[i] = 0;
                data[i + 1] = at[i];
                written = i + 2;
            } else {
                data[i] = at[i];
            }
        }
    } else {
        std::memcpy(data, at, heldBytes);
    }
    std::memset(data + written, 0, texelBytes - written);
    return 1;
}

ZelkGr3dfFile::ZelkGr3dfFile(const char* fileName)
{
    if (fileName == nullptr) {
        return;
    }
    file_ = CreateFileA(fileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        return;
    }
    LARGE_INTEGER fileSize = {};
    if (!GetFileSizeEx(file_, &fileSize) || fileSize.QuadPart <= 0 ||
        static_cast<unsigned long long>(fileSize.QuadPart) > static_cast<unsigned long long>(SIZE_MAX)) {
        return;
    }
    mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_ == nullptr) {
        return;
    }
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    if (view_ != nullptr) {
        size_ = static_cast<size_t>(fileSize.QuadPart);
    }
}

ZelkGr3dfFile::~ZelkGr3dfFile()
{
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
    }
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
    }
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
    }
}

FxBool ZelkGr3dfFile::GetInfo(const char* fileName, Gu3dfInfo* info)
{
    if (fileName == nullptr || info == nullptr) {
        return 0;
    }
    const ZelkGr3dfFile file(fileName);
    return file.IsOpen() ? Parse3dfHeader(file.Bytes(), file.Size(), info) : 0;
}

FxBool ZelkGr3dfFile::Load(const char* fileName, Gu3dfInfo* info)
{
    if (fileName == nullptr || info == nullptr) {
        return 0;
    }
    const ZelkGr3dfFile file(fileName);
    return file.IsOpen() ? Load3dfData(file.Bytes(), file.Size(), info) : 0;
}

}  // namespace zelk
