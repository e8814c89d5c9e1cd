#pragma once

#include <cstdint>

namespace zelk {

// A rectangle of four signed 32-bit fields, right and bottom exclusive where
// a user takes it as an area.
struct ZelkGrRect {
    ZelkGrRect(std::int32_t left = 0, std::int32_t top = 0, std::int32_t right = 0, std::int32_t bottom = 0)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }

    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

}  // namespace zelk
