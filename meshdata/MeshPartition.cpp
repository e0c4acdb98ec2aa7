#include "meshdata/MeshPartition.h"

#include <cstdio>

#include "base/Text.h"
#include "container/NameHash.h"

namespace kx {

namespace {

struct Totals {
    uint32_t meshes = 0, triangles = 0, vertices = 0;
};

Totals DrawnTotals(std::span<const ExportMesh> meshes) {
    Totals t;
    for (const ExportMesh& m : meshes) {
        if (m.Drawn()) {
            ++t.meshes;
            t.triangles += static_cast<uint32_t>(m.triangles.size());
            t.vertices += static_cast<uint32_t>(m.vertices.size());
        }
    }
    return t;
}

// The mesh record of a drawn mesh whose vertices start at `start` within its
// part.
VMeshRecord Header(const ExportMesh& mesh, uint32_t start) {
    VMeshRecord r;
    r.materialId = NameHash(mesh.materialName);
    r.startVertex = static_cast<uint16_t>(start);
    r.endVertex = static_cast<uint16_t>(start + mesh.vertices.size() - 1);
    r.indexCount = static_cast<uint16_t>(mesh.triangles.size() * 3);
    return r;
}

// Part and file name from the part's first mesh. The base name is cut so the
// longer of the two, suffix included, fits its zero-terminated field: the
// file name keeps its extension.
void NamePart(ExportPart& part, const ExportMesh& first) {
    std::string base = first.name;
    std::string partSuffix = "_lod1", fileSuffix = "_lod1.3db";
    if (first.synthetic) {
        if (StartsWithIgnoringCase(base, "Hfov|")) {
            base.erase(0, 5);
        }
        partSuffix = "";
        fileSuffix = ".cam";
    }
    const size_t room = kPartNameField - 1 - fileSuffix.size();
    if (base.size() > room) {
        base.resize(room);
    }
    part.partName = base + partSuffix;
    part.fileName = base + fileSuffix;
    part.camera = first.synthetic;
}

uint16_t Add16(uint16_t a, uint16_t b) {
    return static_cast<uint16_t>(a + b);
}

}  // namespace

MeshPartition PartitionSinglePart(std::span<const ExportMesh> meshes) {
    MeshPartition p;
    uint32_t start = 0;
    for (const ExportMesh& m : meshes) {
        if (!m.Drawn()) {
            continue;
        }
        p.headers.push_back(Header(m, start));
        start += static_cast<uint32_t>(m.vertices.size());
        WidenBox(p.summary.box, m.box);
    }
    const Totals t = DrawnTotals(meshes);
    p.summary.meshCount = static_cast<uint16_t>(t.meshes);
    p.summary.vertexCount = static_cast<uint16_t>(t.vertices);
    p.summary.indexCount = static_cast<uint16_t>(t.triangles * 3);
    return p;
}

MeshPartition PartitionGroups(std::span<const ExportMesh> meshes,
                              std::span<const int32_t> quantities) {
    MeshPartition p;
    size_t cursor = 0;
    auto skipHardpoints = [&] {
        while (cursor < meshes.size() && meshes[cursor].hardpoint) {
            ++cursor;
        }
    };
    uint32_t partVertex = 0;  // start vertex of the next mesh within its part
    for (int32_t quantity : quantities) {
        ExportPart part;
        if (!p.parts.empty()) {
            const ExportPart& last = p.parts.back();
            part.startVertex = Add16(last.startVertex, last.vertexCount);
            part.startIndex = Add16(last.startIndex, last.indexCount);
            part.startMesh = Add16(last.startMesh, last.meshCount);
        }
        partVertex = 0;
        skipHardpoints();
        if (cursor < meshes.size()) {
            NamePart(part, meshes[cursor]);
        }
        bool boxed = false;
        for (int32_t taken = 0; taken < quantity; ++taken) {
            skipHardpoints();
            if (cursor == meshes.size()) {
                break;
            }
            // A mesh without triangles still takes its place in the group
            // (and may name the part) but adds no record and no box: its
            // zero box would stretch the part's to the origin.
            const ExportMesh& m = meshes[cursor++];
            if (!m.synthetic && !m.Drawn()) {
                continue;
            }
            if (!boxed) {
                part.box = m.box;
                boxed = true;
            } else {
                WidenBox(part.box, m.box);
            }
            if (m.synthetic) {
                continue;
            }
            p.headers.push_back(Header(m, partVertex));
            partVertex += static_cast<uint32_t>(m.vertices.size());
            part.vertexCount = Add16(part.vertexCount, static_cast<uint16_t>(m.vertices.size()));
            part.indexCount = Add16(part.indexCount, static_cast<uint16_t>(m.triangles.size() * 3));
            part.meshCount = Add16(part.meshCount, 1);
        }
        p.parts.push_back(part);
    }
    // Only when the quantities fall short of the meshes: their records
    // continue the last part's vertex numbering, and no part covers them.
    for (; cursor < meshes.size(); ++cursor) {
        const ExportMesh& m = meshes[cursor];
        if (m.Drawn()) {
            p.headers.push_back(Header(m, partVertex));
            partVertex += static_cast<uint32_t>(m.vertices.size());
        }
    }
    return p;
}

MeshPartition PartitionCockpit(std::vector<ExportMesh>& meshes, ExportMesh camera) {
    int32_t pilotMeshes = 0;
    for (const ExportMesh& m : meshes) {
        if (!StartsWithIgnoringCase(m.name, "Hp") && !StartsWithIgnoringCase(m.name, "Hfov")) {
            ++pilotMeshes;
        }
    }
    camera.synthetic = true;
    meshes.push_back(std::move(camera));
    const int32_t quantities[] = {pilotMeshes, 1};
    return PartitionGroups(meshes, quantities);
}

Status CheckBlockFits(std::span<const ExportMesh> meshes) {
    const Totals t = DrawnTotals(meshes);
    if (t.vertices <= kVMeshMaxCount && t.triangles <= kVMeshMaxTriangles &&
        t.meshes <= kVMeshMaxCount) {
        return Status::Success();
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "The model is too large for one mesh data block (%u vertices, %u triangles; "
                  "at most 65535 vertices and 21845 triangles)",
                  t.vertices, t.triangles);
    return Status::Failure(Fault::Refused, text);
}

bool WriteMeshBlock(std::span<const ExportMesh> meshes, const MeshPartition& partition,
                    std::vector<uint8_t>& out) {
    if (!CheckBlockFits(meshes)) {
        return false;
    }
    VMeshBlock block;
    block.format = kFvfExport;
    block.meshes = partition.headers;
    for (const ExportMesh& m : meshes) {
        if (!m.Drawn()) {
            continue;
        }
        block.triangles.insert(block.triangles.end(), m.triangles.begin(), m.triangles.end());
        for (const ExportVertex& v : m.vertices) {
            VMeshVertex bv;
            bv.position = v.position;
            bv.normal = v.normal;
            bv.uv = {v.u, v.v};
            block.vertices.push_back(bv);
        }
    }
    return EncodeVMeshData(block, out);
}

}  // namespace kx
