#include "doc/block_store.h"

#include <cstdlib>
#include <limits>

#include "doc/graph_doc.h"

namespace qv {

namespace {

std::size_t g_limit = std::numeric_limits<std::size_t>::max();
std::size_t g_inUse = 0;

bool fits(std::size_t oldSize, std::size_t newSize)
{
    return g_inUse - oldSize <= g_limit && newSize <= g_limit - (g_inUse - oldSize);
}

bool releasable(const PointBlock* b, const PointBlock* except)
{
    return b && b != except && b != documentProgram().beingFilled && b->locks == 0;
}

void dropEquationBlock(Equation& e)
{
    e.points = freeBlock(e.points);
    e.pointCount = 0;
}

// Releases one cached block in the fixed order; false when nothing more can be released.
bool releaseOne(const PointBlock* except)
{
    DocumentProgram& program = documentProgram();
    GraphDoc* doc = program.current;
    if (doc) {
        for (Equation* e = doc->tail(); e; e = e->previous)
            if (!(e->flags & eqflag::OnGrid) && releasable(e->points, except)) {
                dropEquationBlock(*e);
                return true;
            }
    }
    if (program.printing && program.printingStash) {
        BlockStash& stash = *program.printingStash;
        for (auto it = stash.rbegin(); it != stash.rend(); ++it)
            if (releasable(it->block, except)) {
                it->block = freeBlock(it->block);
                return true;
            }
    }
    if (doc) {
        for (Equation* e = doc->tail(); e; e = e->previous)
            if (releasable(e->points, except)) {
                dropEquationBlock(*e);
                if (e->flags & eqflag::OnGrid) {
                    e->flags &= ~eqflag::OnGrid;
                    if (doc->onScreen > 0)
                        --doc->onScreen;
                }
                return true;
            }
    }
    return false;
}

bool validPointCount(std::size_t points) { return points <= (std::numeric_limits<std::size_t>::max() - 2) / 4; }

}  // namespace

void setBlockMemoryLimit(std::size_t bytes) { g_limit = bytes; }
std::size_t blockMemoryLimit() { return g_limit; }
std::size_t blockMemoryInUse() { return g_inUse; }

PointBlock* allocBlock(std::size_t points)
{
    if (!validPointCount(points))
        return nullptr;
    const std::size_t bytes = blockBytes(points);
    for (;;) {
        if (fits(0, bytes)) {
            auto* data = static_cast<std::uint8_t*>(std::malloc(bytes));
            if (data) {
                g_inUse += bytes;
                return new PointBlock{data, bytes, 0};
            }
        }
        if (!releaseOne(nullptr))
            return nullptr;
    }
}

PointBlock* growBlock(PointBlock* block, std::size_t points)
{
    if (!block)
        return allocBlock(points);
    if (!validPointCount(points) || block->locks > 0)
        return nullptr;
    const std::size_t bytes = blockBytes(points);
    for (;;) {
        if (fits(block->size, bytes)) {
            auto* data = static_cast<std::uint8_t*>(std::realloc(block->data, bytes));
            if (data) {
                g_inUse = g_inUse - block->size + bytes;
                block->data = data;
                block->size = bytes;
                return block;
            }
        }
        if (!releaseOne(block))
            return nullptr;
    }
}

std::uint8_t* lockBlock(PointBlock* block)
{
    if (!block)
        return nullptr;
    ++block->locks;
    return block->data;
}

void unlockBlock(PointBlock* block)
{
    if (block && block->locks > 0)
        --block->locks;
}

PointBlock* freeBlock(PointBlock* block)
{
    if (block) {
        g_inUse -= block->size;
        std::free(block->data);
        delete block;
    }
    return nullptr;
}

BlockStash stashOnScreenBlocks(GraphDoc& doc)
{
    BlockStash stash;
    for (Equation* e = doc.queueHead; e; e = e->next)
        if (e->flags & eqflag::OnGrid) {
            stash.push_back({e, e->points, e->pointCount});
            e->points = nullptr;
            e->pointCount = 0;
        }
    return stash;
}

void restoreOnScreenBlocks(GraphDoc& /*doc*/, BlockStash& stash)
{
    for (StashEntry& entry : stash) {
        Equation& e = *entry.equation;
        e.points = freeBlock(e.points);
        e.points = entry.block;
        e.pointCount = entry.block ? entry.count : 0;
        entry.block = nullptr;
    }
    stash.clear();
}

}  // namespace qv
