#pragma once

// The device choice kept inside the enumeration records, read safely (each
// step is null when its selection does not name a record), and set from the
// stored "direct3d device setting" values by the configurator and the
// library alike.
#include <cstdint>
#include <functional>
#include <vector>

#include "framework/ZelkD3D.h"

namespace zelk {

// The adapter at the ordinal (null for 255 or any other position past the
// list, or without an enumeration).
ZelkD3DAdapterInfo* SelectedAdapter(ZelkD3D* enumeration, std::uint32_t ordinal);
// The adapter's selected device record.
ZelkD3DDeviceInfo* SelectedDevice(ZelkD3DAdapterInfo* adapter);
// The selected device record of the adapter at the ordinal.
ZelkD3DDeviceInfo* SelectedDevice(ZelkD3D* enumeration, std::uint32_t ordinal);
// The device's active format list: its windowed list while its windowed
// flag is set, else its full-screen list; and that list's selection.
std::vector<ZelkD3DFormatInfo>& ActiveFormatList(ZelkD3DDeviceInfo& device);
INT& ActiveFormatSelection(ZelkD3DDeviceInfo& device);
// The record at the active list's selected position.
ZelkD3DFormatInfo* ActiveFormatRecord(ZelkD3DDeviceInfo* device);

// Reads one stored value; false when it is missing or cannot be read.
using ZelkStoredValueRead = std::function<bool(const char* name, DWORD& value)>;

// Sets the adapter ordinal and the enumeration's selections from the stored
// device choice.  A stored adapter ordinal replaces the given one; an ordinal
// that names no adapter becomes 255 ("no adapter") and nothing more is read.
// The other values are positions in the enumeration's lists: one past its
// list (for the processing type also one naming the pure device) selects the
// record's default, and after a device type or display format past its list
// nothing more is read.  Missing values keep the selections as they are.
void ReadStoredDeviceChoice(ZelkD3D* enumeration, std::uint32_t& adapterOrdinal, const ZelkStoredValueRead& read);

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
