#include "plot/colours.h"

#include <cstdlib>

#include "doc/graph_doc.h"

namespace qv {

const std::array<Colour, PALETTE_SIZE> PALETTE = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
    0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0,
};

Colour colourOf(const ColourScheme& scheme, int element)
{
    if (element == COLOUR_FIXED_RED)
        return 0x0000FF;
    if (element < 0 || element >= SCHEME_SIZE)
        return 0x000000;
    int index = scheme[element];
    return index < PALETTE_SIZE ? PALETTE[index] : 0x000000;
}

Colour colourOf(int element) { return colourOf(programOptions().colourScheme, element); }

Colour graphColour(int k)
{
    k = std::abs(k);
    if (k < 1 || k > GRAPH_COLOURS)
        return colourOf(COLOUR_FIXED_BLACK);
    return colourOf(k + COLOUR_GRAPH_BASE);
}

int builtinSchemeOf(const ColourScheme& scheme)
{
    for (int i = 0; i < int(BUILTIN_SCHEMES.size()); ++i)
        if (BUILTIN_SCHEMES[i] == scheme)
            return i;
    return -1;
}

void selectBuiltinScheme(ColourScheme& scheme, int which)
{
    if (which >= 0 && which < int(BUILTIN_SCHEMES.size()))
        scheme = BUILTIN_SCHEMES[which];
}

}  // namespace qv
