// A colour scheme: one palette index for each element of a graph screen (background, border, axes,
// grid, legends, annotations) and for each of the seven graph colours; and the four built-in ones.
#pragma once

#include <array>
#include <cstdint>

namespace qv {

constexpr int SCHEME_SIZE = 13;
using ColourScheme = std::array<std::uint8_t, SCHEME_SIZE>;

enum BuiltinScheme { SCHEME_MONOCHROME = 0, SCHEME_GRAY = 1, SCHEME_WHITE = 2, SCHEME_BLACK = 3 };
inline constexpr std::array<ColourScheme, 4> BUILTIN_SCHEMES = {{
    {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {14, 12, 12, 3, 7, 7, 4, 7, 5, 2, 3, 6, 1},
    {7, 12, 12, 10, 0, 0, 4, 0, 5, 2, 3, 6, 1},
    {0, 12, 12, 3, 7, 7, 4, 7, 5, 2, 3, 6, 1},
}};

}  // namespace qv
