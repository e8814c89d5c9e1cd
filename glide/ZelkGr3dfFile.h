#pragma once

// 3DF texture files: a four-line text header (version, format name, LOD
// range, aspect ratio), then an NCC table (YIQ formats) or a palette
// (palettised formats), then the texels of every mip level from the largest
// to the smallest.  Tables and 16-bit texels are big-endian in the file.
// Nothing is ever read outside the file's bytes: a truncated or malformed
// file is refused.
#include <windows.h>

#include <cstddef>

#include "glideapi/Glide2Types.h"

namespace zelk {

// Reads the header of the file's bytes into the record: width, height,
// LOD codes, aspect, format and the bytes of texel data; the table, data
// pointer and everything else are cleared.  Returns 1, or 0 with the record
// untouched when the header is malformed or names a format the reader does
// not know.
FxBool Parse3dfHeader(const BYTE* bytes, size_t size, Gu3dfInfo* info);

// Bytes of texel data of the levels from the large LOD down to the small
// LOD that lie in the even/odd mask, each level counted with the texels it
// really holds (both sides at least 1).
FxU32 Calc3dfMemRequired(FxU32 format, FxU32 mask, FxU32 smallLod, FxU32 largeLod, FxU32 aspect);

// Copies the table and info->mem_required bytes of texels from the file's
// bytes into the record's table and its data buffer, laid out by the
// record's header; texels past the end of a file that ends early are zero.
// Returns 1, or 0 with nothing written when the record has no buffer, its
// format is not one of a 3DF file's, or the file's header is malformed or
// ends before its colour table does.
FxBool Load3dfData(const BYTE* bytes, size_t size, Gu3dfInfo* info);

// A file mapped read-only for the length of the object.
class ZelkGr3dfFile {
public:
    // Opens and maps the file; a missing, empty or unreadable file leaves
    // the object closed.
    explicit ZelkGr3dfFile(const char* fileName);
    ~ZelkGr3dfFile();
    ZelkGr3dfFile(const ZelkGr3dfFile&) = delete;
    ZelkGr3dfFile& operator=(const ZelkGr3dfFile&) = delete;

    bool IsOpen() const { return view_ != nullptr; }
    const BYTE* Bytes() const { return static_cast<const BYTE*>(view_); }
    size_t Size() const { return size_; }

    // The two utility calls: read the header, or the table and texels, of
    // the named file.  A null name or record, or a file that cannot be
    // opened and mapped, gives 0.
    static FxBool GetInfo(const char* fileName, Gu3dfInfo* info);
    static FxBool Load(const char* fileName, Gu3dfInfo* info);

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const void* view_ = nullptr;
    size_t size_ = 0;
};

}  // namespace zelk
