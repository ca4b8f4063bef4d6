// Movable memory blocks for the device points an equation computed when it was last drawn, so that a
// repaint needs no recomputation. A block of n points holds 4n+2 bytes: a 2-byte header, then 4 bytes
// a point. Blocks may move while unlocked; a lock pins the data until the matching unlock.
//
// When a request cannot be met, the store releases cached blocks in a fixed order, retrying after each
// single release: first the blocks of equations that are not on screen (oldest first), then, only while
// printing, the stashed screen blocks (last stash entry first), then every other block but the one being
// filled (oldest first; those equations leave the screen).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

struct GraphDoc;
struct Equation;

struct PointBlock {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;  // bytes
    int locks = 0;
};

constexpr std::size_t blockBytes(std::size_t points) { return 4 * points + 2; }

// One stashed screen block of an equation, kept while printing computes fresh points.
struct StashEntry {
    Equation* equation = nullptr;
    PointBlock* block = nullptr;
    std::uint16_t count = 0;
};
using BlockStash = std::vector<StashEntry>;

// What the store may release under memory pressure. The program points it at the current document,
// the printing stash while printing runs, and the block the graphing driver is filling.
struct BlockStoreContext {
    GraphDoc* currentDocument = nullptr;
    BlockStash* printingStash = nullptr;
    PointBlock* beingFilled = nullptr;
};
BlockStoreContext& blockStoreContext();

// Total bytes the platform lets the store hold; tests lower it to force the memory-pressure path.
void setBlockMemoryLimit(std::size_t bytes);
std::size_t blockMemoryLimit();
std::size_t blockMemoryInUse();

PointBlock* allocBlock(std::size_t points);
// Resizes the block (it may move; it must not be locked). Returns the block, or nullptr when even the
// releases cannot make room: the old block is then still valid and unchanged.
PointBlock* growBlock(PointBlock* block, std::size_t points);
std::uint8_t* lockBlock(PointBlock* block);
void unlockBlock(PointBlock* block);
// Freeing nullptr is allowed; the result is always nullptr, for `b = freeBlock(b)`.
PointBlock* freeBlock(PointBlock* block);

// Detaches the blocks of the equations on screen, newest first, so that printing computes fresh points,
// and gives them back afterwards (freeing what printing left in their place).
BlockStash stashOnScreenBlocks(GraphDoc& doc);
void restoreOnScreenBlocks(GraphDoc& doc, BlockStash& stash);

}  // namespace qv
