// The sixteen-colour palette and the colour scheme: one palette index for each element of a graph
// screen (background, border, axes, grid, legends, annotations) and for each of the seven graph
// colours. Every drawing part asks colourOf for its colours.
#pragma once

#include <array>
#include <cstdint>

#include "doc/colour_scheme.h"
#include "platform/plot_surface.h"

namespace qv {

constexpr int PALETTE_SIZE = 16;

// Elements of the scheme.
enum ColourElement {
    COLOUR_BACK = 0,
    COLOUR_BORDER = 1,
    COLOUR_AXES = 2,
    COLOUR_GRID = 3,
    COLOUR_LEGEND = 4,
    COLOUR_ANNOTE = 5,
    COLOUR_GRAPH_BASE = 5,  // graph colour k is element k + 5, k from 1 to 7
    COLOUR_FIXED_RED = 19,  // always pure red
    COLOUR_FIXED_BLACK = 20,
};
constexpr int GRAPH_COLOURS = 7;

extern const std::array<Colour, PALETTE_SIZE> PALETTE;


// The palette colour of an element of the scheme; elements outside the scheme, and palette indices
// outside the palette, give black (19 is always red).
Colour colourOf(const ColourScheme& scheme, int element);
// The same for the program's current scheme.
Colour colourOf(int element);
// The colour of graph colour k (1 to 7; the sign of a strict inequality's colour is ignored).
Colour graphColour(int k);

// Which built-in scheme the scheme equals, comparing all entries; -1 for a custom one.
int builtinSchemeOf(const ColourScheme& scheme);
void selectBuiltinScheme(ColourScheme& scheme, int which);

}  // namespace qv
