// Any byte string given to the surface reader is refused or read, never read
// outside of; a file it accepts accounts for every byte of each surface, and
// the checks a game reader's walk of its node trees makes end on every part.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "surface/SurReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = kx::ReadSurFile({data, size});
    if (!file.Ok()) {
        return 0;
    }
    for (const kx::SurPart& part : file->parts) {
        size_t bytes = 48 + 16 * part.vertices.size() + 28 * part.nodes.size();
        for (const kx::SurHull& hull : part.hulls) {
            bytes += 16 + 16 * hull.triangles.size();
        }
        if (bytes != part.surfaceSize) {
            std::abort();
        }
        const kx::SurTreeWalk walk = kx::WalkSurNodeTree(part);
        if (walk.hullsReached.size() != part.hulls.size() ||
            walk.nodesReached.size() != part.nodes.size()) {
            std::abort();
        }
        (void)kx::CheckSurPartForReaders(part);
    }
    return 0;
}
