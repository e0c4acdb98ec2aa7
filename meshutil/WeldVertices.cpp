#include "meshutil/WeldVertices.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "meshutil/CompactMesh.h"
#include "meshutil/TriMesh.h"
#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

namespace {

// One compared element of a vertex: `count` components at `offset`, float32
// values, or bytes (colours) compared on the 0..1 scale.
struct Element {
    std::uint32_t offset;
    std::uint32_t count;
    bool bytes;
    float tolerance;
};

std::vector<Element> ElementsOf(std::uint32_t format, const WeldEpsilons& eps) {
    std::vector<Element> elements;
    std::uint32_t offset = 0;
    auto add = [&](std::uint32_t count, bool bytes, float tolerance) {
        elements.push_back({offset, count, bytes, tolerance});
        offset += bytes ? 4 : 4 * count;
    };
    add(3, false, eps.position);
    const std::uint32_t position = format & FVF_POSITION_MASK;
    if (position >= 0x006 && position <= 0x00E) {
        std::uint32_t betas = (position - 0x004) / 2;
        // With a "last beta is indices" bit the final beta holds blend indices: exact.
        const bool lastIsIndices = (format & 0x9000) != 0;
        if (lastIsIndices) {
            --betas;
        }
        if (betas > 0) {
            add(betas, false, eps.blendWeights);
        }
        if (lastIsIndices) {
            add(1, false, 0.0f);
        }
    }
    if (format & FVF_NORMAL) {
        add(3, false, eps.normal);
    }
    if (format & FVF_PSIZE) {
        add(1, false, eps.pSize);
    }
    if (format & FVF_DIFFUSE) {
        add(4, true, eps.diffuse);
    }
    if (format & FVF_SPECULAR) {
        add(4, true, eps.specular);
    }
    for (std::uint32_t i = 0; i < TexSetCount(format); ++i) {
        add(fvf::kTexSetFloats[TexSetSizeField(format, i)], false,
            eps.texcoord[std::min<std::uint32_t>(i, 7)]);
    }
    return elements;
}

float Component(const std::uint8_t* vertex, const Element& element, std::uint32_t i) {
    if (element.bytes) {
        return vertex[element.offset + i] / 255.0f;
    }
    float value;
    std::memcpy(&value, vertex + element.offset + 4 * i, sizeof value);
    return value;
}

// Equal bit patterns, or a difference within tolerance (so +0 matches -0).
bool ElementMatches(const std::uint8_t* b, const std::uint8_t* a, const Element& element) {
    const std::uint32_t width = element.bytes ? 1 : 4;
    for (std::uint32_t i = 0; i < element.count; ++i) {
        if (std::memcmp(b + element.offset + width * i, a + element.offset + width * i, width) ==
            0) {
            continue;
        }
        const float d = Component(b, element, i) - Component(a, element, i);
        if (!(d <= element.tolerance && d >= -element.tolerance)) {
            return false;
        }
    }
    return true;
}

std::uint32_t ElementBytes(const Element& element) {
    return element.bytes ? 4 : 4 * element.count;
}

}  // namespace

Status WeldVertices(TriMesh* mesh, std::uint32_t flags, const WeldEpsilons* epsilons,
                    const std::uint32_t* adjacencyIn, std::uint32_t* adjacencyOut,
                    std::uint32_t* faceRemapOut, DataBuffer** vertexRemapOut) {
    if (mesh == nullptr || (flags & ~0xFu) != 0 || mesh->IsWriteOnly() ||
        !HasPosition(mesh->GetVertexFormat())) {
        return STATUS_INVALID_CALL;
    }
    try {
        std::vector<std::uint32_t> computedAdjacency;
        if (adjacencyIn == nullptr) {
            computedAdjacency.resize(std::size_t{mesh->GetFaceCount()} * 3);
            const Status status = mesh->GenerateAdjacency(0.0f, computedAdjacency.data());
            if (status != STATUS_OK) {
                return status;
            }
            adjacencyIn = computedAdjacency.data();
        }
        const std::uint32_t n = mesh->GetVertexCount();
        std::vector<std::uint32_t> pointRep(n);
        if (const Status status = mesh->AdjacencyToPointReps(adjacencyIn, pointRep.data());
            status != STATUS_OK) {
            return status;
        }
        // Circular lists: the representative, then its members by descending index.
        std::vector<std::uint32_t> ring(n);
        bool shared = false;
        for (std::uint32_t v = 0; v < n; ++v) {
            ring[v] = v;
            const std::uint32_t r = pointRep[v];
            if (r != v) {
                ring[v] = ring[r];
                ring[r] = v;
                shared = true;
            }
        }
        if (shared) {
            WeldEpsilons defaults;
            if (epsilons == nullptr) {
                defaults.position = defaults.blendWeights = defaults.normal = defaults.pSize =
                    defaults.specular = defaults.diffuse = defaults.tangent = defaults.binormal =
                        defaults.tessFactor = 1.0e-6f;
                std::fill(std::begin(defaults.texcoord), std::end(defaults.texcoord), 1.0e-6f);
                epsilons = &defaults;
            }
            const std::vector<Element> elements = ElementsOf(mesh->GetVertexFormat(), *epsilons);
            const std::size_t stride = mesh->GetVertexStride();
            std::uint8_t* vertices = mesh->VertexBytes();
            auto matches = [&](std::uint32_t b, std::uint32_t a) {
                if (flags & WELD_ALL) {
                    return true;
                }
                std::uint8_t* vb = vertices + b * stride;
                const std::uint8_t* va = vertices + a * stride;
                bool all = true;
                for (const Element& element : elements) {
                    if (!ElementMatches(vb, va, element)) {
                        all = false;
                    } else if (flags & WELD_PARTIAL_MATCHES) {
                        std::memcpy(vb + element.offset, va + element.offset,
                                    ElementBytes(element));
                    }
                }
                return all;
            };

            std::vector<std::uint32_t> remap(n);
            for (std::uint32_t v = 0; v < n; ++v) {
                remap[v] = v;
            }
            bool merged = false;
            for (std::uint32_t i = 0; i < n; ++i) {
                if (pointRep[i] != i || ring[i] == i) {
                    continue;
                }
                std::uint32_t a = i;
                do {
                    if (remap[a] == a) {
                        for (std::uint32_t b = ring[i]; b != i; b = ring[b]) {
                            if (b != a && remap[b] == b && matches(b, a) &&
                                (flags & WELD_DONT_REMOVE_VERTICES) == 0) {
                                remap[b] = a;
                                merged = true;
                            }
                        }
                    }
                    a = ring[a];
                } while (a != i);
            }
            if (merged) {
                const std::uint32_t marker = mesh->UnusedMarker();
                for (std::size_t f = 0; f < mesh->GetFaceCount(); ++f) {
                    if (mesh->Index(3 * f) == marker) {
                        continue;
                    }
                    for (std::size_t c = 0; c < 3; ++c) {
                        mesh->SetIndex(3 * f + c, remap[mesh->Index(3 * f + c)]);
                    }
                }
            }
        }
        return CompactMesh(mesh, adjacencyIn, adjacencyOut, faceRemapOut, vertexRemapOut);
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
}

}  // namespace kx::meshutil
