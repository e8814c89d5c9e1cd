#pragma once

// The device choice that the Direct3D device page keeps inside the
// enumeration records, read safely: each step is null when its selection
// does not name a record.
#include <cstdint>
#include <vector>

#include "framework/ZelkD3D.h"

namespace zelk {

// The adapter at the ordinal (null for 255 or any other position past the
// list, or without an enumeration).
ZelkD3DAdapterInfo* SelectedAdapter(ZelkD3D* enumeration, std::uint32_t ordinal);
// The adapter's selected device record.
ZelkD3DDeviceInfo* SelectedDevice(ZelkD3DAdapterInfo* adapter);
// The device's active format list: its windowed list while its windowed
// flag is set, else its full-screen list; and that list's selection.
std::vector<ZelkD3DFormatInfo>& ActiveFormatList(ZelkD3DDeviceInfo& device);
INT& ActiveFormatSelection(ZelkD3DDeviceInfo& device);
// The record at the active list's selected position.
ZelkD3DFormatInfo* ActiveFormatRecord(ZelkD3DDeviceInfo* device);

// True when a stored position names an entry of a list of this size.
inline bool InRange(DWORD position, std::size_t size)
{
    return position < size;
}
inline bool InRange(INT position, std::size_t size)
{
    return position >= 0 && static_cast<std::size_t>(position) < size;
}

}  // namespace zelk
